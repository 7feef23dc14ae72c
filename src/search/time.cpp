// Time handling: the clock in day counts, the budget and deadlines of a
// "go" command, and the deadline check the searches make.
#include "search/time.h"

#include <algorithm>
#include <limits>

#include "board/board.h"
#include "platform/platform.h"
#include "play/strength.h"
#include "search/limits.h"
#include "search/tables.h"
#include "search/threads.h"

namespace {

constexpr double Never = std::numeric_limits<double>::infinity();

// A clock without "movestogo" is shared out as if MovesToShare moves were
// left (with it, over 2 x (movestogo + 1) when that is fewer).
constexpr int64_t MovesToShare = 40;
// The hard limit keeps at least MinimumSafetyMs (or the move overhead when
// larger) and a SafetyShare-th of the remaining time in reserve.
constexpr double MinimumSafetyMs = 30;
constexpr double SafetyShare = 20;

// The main thread's node count at its last clock read.
uint64_t ClockReadAtNodes = 0;

// The limits of the last "go ponder" line, for its "ponderhit".
GoLimits PonderedGo;
Side PonderedSide = White;

// Budget and hard limit in milliseconds for the clock of one side.
void ClockBudget(const GoLimits& go, Side side, double& budgetMs, double& hardMs) {
    const int32_t remaining = go.Time[side];
    int64_t divider = MovesToShare;
    if (go.HasMovesToGo) divider = std::min(2 * (static_cast<int64_t>(go.MovesToGo) + 1), MovesToShare);
    // Every move costs time outside the search (pipes, the GUI, a busy
    // machine): a reserve for that overhead of each move still to play is
    // taken off the clock before it is shared out.
    const int64_t movesLeft = go.HasMovesToGo ? std::clamp<int64_t>(go.MovesToGo, 1, MovesToShare) : MovesToShare;
    const double overhead = std::max(0, MoveOverheadMs);
    const double usable = std::max(0.0, remaining - overhead * static_cast<double>(movesLeft));
    budgetMs = usable / static_cast<double>(divider);
    if (go.HasIncrement[side]) {
        const int32_t increment = go.Increment[side];
        if (increment < remaining) budgetMs += increment / 2.0;
    }
    // Never plan past the clock: keep a margin for the moves' transfer (at
    // least the move overhead) and for the iteration that is running when
    // the deadline passes.
    hardMs = std::max(0.0, remaining - std::max(MinimumSafetyMs, overhead) - remaining / SafetyShare);
    budgetMs = std::min(budgetMs, hardMs);
}

// Starts the clock of a "go" line at the given moment. The deadline is
// written last: the search reads a complete set once it sees it.
void StartClock(const GoLimits& go, Side side, double start, bool pondering) {
    double budgetMs = Never;
    double hardMs = Never;
    bool fixed = false;
    if (!pondering && !go.Infinite) {
        if (go.HasTime[side]) ClockBudget(go, side, budgetMs, hardMs);
        if (go.HasMoveTime) {
            budgetMs = go.MoveTime;
            hardMs = std::min(hardMs, budgetMs);
            fixed = true;
        }
    }
    SearchStartTime = start;
    TimeBudget = budgetMs / MillisecondsPerDay;
    HardDeadline = start + hardMs / MillisecondsPerDay;
    FixedMoveTime = fixed;
    SearchDeadline = std::min(CurrentTime() + budgetMs / MillisecondsPerDay, start + hardMs / MillisecondsPerDay);
}

}  // namespace

double CurrentTime() { return MonotonicMilliseconds() / MillisecondsPerDay; }

double ElapsedMilliseconds() { return (CurrentTime() - ReportStartTime) * MillisecondsPerDay; }

bool SearchesWithoutLimit(const GoLimits& go) {
    BoardTables& bt = *ThreadBoard;
    const Side side = bt.PositionStack[0].SideToMove;
    return go.Infinite || !(go.HasTime[side] || go.HasDepth || go.HasNodes || go.HasMoveTime || go.HasMate);
}

bool SearchesOnlyForMate(const GoLimits& go) {
    GoLimits withoutMate = go;
    withoutMate.HasMate = false;
    return go.HasMate && !go.Infinite && SearchesWithoutLimit(withoutMate);
}

void AllocateTime(const GoLimits& go) {
    BoardTables& bt = *ThreadBoard;
    const Side side = bt.PositionStack[0].SideToMove;
    const double start = CurrentTime();
    ReportStartTime = start;
    NodeLimit = go.HasNodes ? static_cast<uint64_t>(go.Nodes) : 0;
    // A limited strength's budget: counted in nodes, so that a level plays
    // alike on any machine; the clock's limits still apply on top of it.
    const StrengthLevel level = CurrentStrengthLevel();
    if (level.Limited && (NodeLimit == 0 || level.Nodes < NodeLimit)) NodeLimit = level.Nodes;
    MateLimit = go.HasMate ? go.Mate : 0;
    DepthLimit = MaxSearchDepth;
    if (go.HasDepth) DepthLimit = std::min<int32_t>(go.Depth, MaxSearchDepth);
    if (go.Ponder) {
        PonderedGo = go;
        PonderedSide = side;
    }
    Pondering = go.Ponder;
    StartClock(go, side, start, go.Ponder);
}

void StartPonderedClock() {
    StartClock(PonderedGo, PonderedSide, CurrentTime(), false);
    Pondering = false;
}

namespace {

// Whether the main thread reads the clock at this check: every
// ClockCheckNodes nodes, and at the first check of a new search (its count,
// started again from 0, is then below that of the last read).
bool ClockReadDue(const SearchThread& st) {
    const uint64_t nodes = st.NodeCount.load(std::memory_order_relaxed);
    if (nodes >= ClockReadAtNodes && nodes - ClockReadAtNodes < ClockCheckNodes) return false;
    ClockReadAtNodes = nodes;
    return true;
}

// Whether the clock's hard limit has passed (read only when the clock is due).
bool PastHardDeadline(bool clockDue) {
    return clockDue && HardDeadline.load() != Never && CurrentTime() > HardDeadline;
}

}  // namespace

bool DeadlineCheck() {
    SearchThread& st = *ThreadSearch;
    // A helper unwinds when the main search thread stops; the clock is the main thread's.
    if (st.Index != 0) return SearchIsStopped();
    const bool clockDue = ClockReadDue(st);
    if (st.IterationDepth < BudgetCheckFromDepth) {
        // The shallow iterations are not cut by the budget, but not even
        // they run past the clock's hard limit: on a slow or busy machine a
        // shallow move is better than a lost game.
        if (!PastHardDeadline(clockDue)) return false;
        SearchState.store(SearchStopped);
        return true;
    }
    if (st.RootMoveReady.load(std::memory_order_relaxed) == 0) {
        // Before this search has a move of its own it normally goes on, but
        // never past the end of the clock: the driver then plays the table's
        // move or the first legal one rather than lose on time.
        if (!PastHardDeadline(clockDue)) return false;
        SearchState.store(SearchStopped);
        return true;
    }
    if (NodeLimit != 0 && NodesForLimit() >= NodeLimit) {
        SearchState.store(SearchStopped);
        return true;
    }
    if (!clockDue || CurrentTime() <= SearchDeadline) return SearchIsStopped();
    if (FixedMoveTime) {
        SearchState.store(SearchStopped);
        return true;
    }
    // First overrun: the deadline moves to twice the budget (never past the
    // clock's hard limit); the second overrun unwinds the search. The atomic
    // add keeps a 2 written by "stop" or "quit" at the same moment.
    SearchDeadline = std::min(SearchStartTime + 2 * TimeBudget, HardDeadline.load());
    return SearchState.fetch_add(1) + 1 >= SearchStopped;
}
