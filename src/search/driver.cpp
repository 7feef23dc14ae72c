// RunSearch: the iterative-deepening driver. It prepares the root, searches
// it at increasing depths (AlphaBeta up to depth 3, PvSearch beyond),
// reports, decides after each iteration whether to go one ply deeper, and
// ends with "bestmove".
#include "search/driver.h"

#include <algorithm>
#include <string>

#include "board/board.h"
#include "platform/output.h"
#include "play/strength.h"
#include "play/wdl.h"
#include "search/control.h"
#include "search/info.h"
#include "search/rootlines.h"
#include "search/search.h"
#include "search/syzygy.h"
#include "search/threads.h"
#include "search/time.h"

namespace {

// Once the deadline has been extended, iterations deeper than this stop the
// search when less than LastMillisecondsLeft remain, or when the score
// stands between ClearlyBetterScore and ClearlyWinningScore (better, but no
// mate or decisive win that more depth could still improve).
constexpr int StopRulesFromDepth = 6;
constexpr double LastMillisecondsLeft = 50;
constexpr int ClearlyBetterScore = 20;
constexpr int ClearlyWinningScore = 5000;
// The speed line follows iterations that end this long after "go".
constexpr double SpeedLineAfterMs = 1000;

}  // namespace

IterationVerdict DecideAfterIteration(int state, int iterationDepth, int depthLimit, int score, double msRemaining,
                                      int rootMoves) {
    // Once the deadline has been extended: stop early when little time is
    // left, when the side to move stands clearly better, or on a winning mate.
    if (state == SearchExtended) {
        if (iterationDepth > StopRulesFromDepth && msRemaining < LastMillisecondsLeft)
            return IterationVerdict::AdvanceState;
        if (iterationDepth > StopRulesFromDepth && score > ClearlyBetterScore && score < ClearlyWinningScore)
            return IterationVerdict::AdvanceState;
        if (score > MateBound) return IterationVerdict::AdvanceState;
    }
    if (iterationDepth >= depthLimit || rootMoves == 1) return IterationVerdict::Stop;
    return IterationVerdict::Deeper;
}

namespace {

// Whether a root score proves a mate in mateLimit moves or fewer ("go mate").
bool MateLimitReached(int score, int mateLimit) {
    return mateLimit > 0 && score > MateBound && score <= MateScore && (ScoreInfinity - score) / 2 <= mateLimit;
}

// One iteration over the whole (or the searchmoves) root list: the search
// reports its own lines.
int SearchRootOnce() {
    SearchThread& st = *ThreadSearch;
    const int score = SearchRootAtDepth(st.IterationDepth);
    // PvSearch reports its own lines; a shallow iteration reports once.
    if (st.IterationDepth < PvSearchFromDepth) SendRootInfoLine(score, 1);
    return score;
}

// The end of a search: the answer, once it may be given. The last line
// shown starts with the move played, and the final figures precede it.
void Answer(int score) {
    SearchThread& st = *ThreadSearch;
    SearchDeadline = 0;
    WaitWhileBestMoveHeld();
    if (EngineRunning.load() == 0) return;
    const Move best = st.PvTable[0][0];
    if (best.From != 0 && !(LastReportedMove() == best)) {
        if (MultiPvLines > 1) SendMultiPvLine(1, score, st.PvTable[0]);
        else SendRootInfoLine(score);
    }
    SendSpeedLine(TotalNodes(), ElapsedMilliseconds());
    Move ponder{0, 0};
    if (best.From != 0 && LegalLineLength(st.PvTable[0], 2) == 2) ponder = st.PvTable[0][1];
    SendBestMove(best, ponder);
}

}  // namespace

void RunSearch(int depthLimit) {
    BoardTables& bt = *ThreadBoard;
    SearchThread& st = *ThreadSearch;
    if (depthLimit > MaxSearchDepth) depthLimit = MaxSearchDepth;
    ResetEvent(SearchRequest);
    st.RootMoveReady.store(0);
    ForgetReportedMove();
    PrepareSearchRoot();
    st.NodeCount = 0;

    if (FirstLegalRootMove().From == 0) {
        // Checkmated or stalemated: nothing to search and no line to show.
        const bool mated = bt.CheckerSquare[0] != 0;
        std::string line = mated ? "info depth 0 score mate 0" : "info depth 0 score cp 0";
        if (ShowWdl) line += mated ? " wdl 0 0 1000" : " wdl 0 1000 0";  // decided: lost, or drawn
        SendLine(line);
        SearchState.store(SearchStopped);
        st.PvTable[0][0] = Move{0, 0};
        Answer(0);
        return;
    }
    const bool restricted = RestrictRootToSearchMoves();
    const bool narrowed = NarrowRootToTablebase();
    // A limited strength searches several lines to choose among (its node
    // budget is in NodeLimit); at full strength only MultiPV asks for them.
    const StrengthLevel level = CurrentStrengthLevel();
    const int lines = level.Limited ? std::max<int>(MultiPvLines, level.Lines) : MultiPvLines;
    const bool severalLines = lines > 1;
    if (severalLines) PrepareRootLines(restricted || narrowed, lines);
    st.IterationDepth = st.StartDepth;
    if (st.IterationDepth > MaxSearchDepth) st.IterationDepth = MaxSearchDepth;
    StartHelpers();

    int score = 0;
    while (true) {
        st.SelDepth = st.IterationDepth;
        score = severalLines ? SearchRootLines(score) : SearchRootOnce();
        SeedPrincipalVariation();

        const double elapsed = ElapsedMilliseconds();
        const uint64_t nodes = TotalNodes();
        if (nodes != 0 && elapsed > SpeedLineAfterMs) SendSpeedLine(nodes, elapsed);

        // A restricted root plays on to its limits even with a single move left.
        const int rootMoves = restricted ? 0 : severalLines ? RootLineCandidates() : bt.PositionStack[0].MoveCount;
        const double remaining = (SearchDeadline - CurrentTime()) * MillisecondsPerDay;
        switch (DecideAfterIteration(SearchState.load(), st.IterationDepth, depthLimit, score, remaining, rootMoves)) {
            case IterationVerdict::AdvanceState:
                SearchState.fetch_add(1);  // never lowers a SearchStopped from "stop" or "quit"
                break;
            case IterationVerdict::Stop: SearchState.store(SearchStopped); break;
            case IterationVerdict::Deeper: ++st.IterationDepth; break;
        }
        if (MateLimitReached(score, MateLimit)) {
            // The mate asked for is proven (also in the iteration that ended
            // at the depth limit): the answer goes out now, unless the
            // search is a ponder search still waiting for "ponderhit".
            SearchState.store(SearchStopped);
            if (!Pondering.load()) ReleaseBestMove();
        }
        if (SearchIsStopped()) break;
    }
    EndRootRestriction();
    if (level.Limited && severalLines) score = PlayChosenRootLine(level, score);

    // A search cut off before its first move was scored, or decided by a
    // table entry, may leave a move of another position in row 0: the move
    // played is always a legal one when the root has one.
    if (LegalLineLength(st.PvTable[0], 1) == 0) {
        st.PvTable[0][0] = FirstLegalRootMove();
        EndPvRow(0);
    }
    // The helpers unwind on the same stopped state; the answer's figures
    // count their nodes once they have all stopped.
    WaitForHelpers();
    ChooseTablebaseRootMove();
    Answer(score);
}
