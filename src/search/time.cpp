// Time handling: the clock in day counts, the budget and deadlines of a
// "go" command, and the deadline check the searches make.
#include "search/time.h"

#include <algorithm>
#include <limits>

#include "board/board.h"
#include "platform/platform.h"
#include "search/limits.h"
#include "search/tables.h"
#include "search/threads.h"

double CurrentTime() { return MonotonicMilliseconds() / MillisecondsPerDay; }

double ElapsedMilliseconds() { return (CurrentTime() - SearchStartTime) * MillisecondsPerDay; }

void AllocateTime(const GoLimits& go) {
    BoardTables& bt = *ThreadBoard;
    constexpr double infinity = std::numeric_limits<double>::infinity();
    const Side side = bt.PositionStack[0].SideToMove;
    SearchStartTime = CurrentTime();
    FixedMoveTime = false;
    NodeLimit = 0;

    double budgetMs = infinity;
    double hardMs = infinity;
    if (go.HasTime[side]) {
        const int32_t remaining = go.Time[side];
        int64_t divider = 40;
        if (go.HasMovesToGo) {
            divider = 2 * (static_cast<int64_t>(go.MovesToGo) + 1);
            if (divider > 40) divider = 40;
        }
        budgetMs = static_cast<double>(remaining) / static_cast<double>(divider);
        if (go.HasIncrement[side]) {
            const int32_t increment = go.Increment[side];
            if (increment < remaining) budgetMs += increment / 2.0;
        }
        // Never plan past the clock: keep a margin for the moves' transfer and
        // for the iteration that is running when the deadline passes.
        hardMs = std::max(0.0, remaining - 30.0 - remaining / 20.0);
        budgetMs = std::min(budgetMs, hardMs);
    }
    if (go.HasMoveTime) {
        budgetMs = go.MoveTime;
        hardMs = std::min(hardMs, budgetMs);
        FixedMoveTime = true;
    }
    if (go.HasNodes) NodeLimit = static_cast<uint64_t>(go.Nodes);
    if (go.Infinite) {
        budgetMs = infinity;
        hardMs = infinity;
        FixedMoveTime = false;
    }
    TimeBudget = budgetMs / MillisecondsPerDay;
    HardDeadline = SearchStartTime + hardMs / MillisecondsPerDay;
    SearchDeadline = std::min(CurrentTime() + TimeBudget, HardDeadline);

    DepthLimit = MaxSearchDepth;
    if (go.HasDepth) DepthLimit = std::min<int32_t>(go.Depth, MaxSearchDepth);
}


bool DeadlineCheck() {
    SearchThread& st = *ThreadSearch;
    // A helper unwinds when the main search thread stops; the clock is the main thread's.
    if (st.Index != 0) return SearchIsStopped();
    if (st.IterationDepth <= 3) return false;
    if (st.RootMoveReady.load(std::memory_order_relaxed) == 0) {
        // Before this search has a move of its own it normally goes on, but
        // never past the end of the clock: the driver then plays the table's
        // move or the first legal one rather than lose on time.
        if (HardDeadline == std::numeric_limits<double>::infinity() || CurrentTime() <= HardDeadline) return false;
        SearchState.store(SearchStopped);
        return true;
    }
    if (NodeLimit != 0 && TotalNodes() >= NodeLimit) {
        SearchState.store(SearchStopped);
        return true;
    }
    if (CurrentTime() <= SearchDeadline) return SearchIsStopped();
    if (FixedMoveTime) {
        SearchState.store(SearchStopped);
        return true;
    }
    // First overrun: the deadline moves to twice the budget (never past the
    // clock's hard limit); the second overrun unwinds the search. The atomic
    // add keeps a 2 written by "stop" or "quit" at the same moment.
    SearchDeadline = std::min(SearchStartTime + 2 * TimeBudget, HardDeadline);
    return SearchState.fetch_add(1) + 1 >= SearchStopped;
}
