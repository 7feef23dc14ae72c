// RunSearch: the iterative-deepening driver. It prepares the root, searches
// it at increasing depths (AlphaBeta up to depth 3, PvSearch beyond),
// reports, decides after each iteration whether to go one ply deeper, and
// ends with "bestmove".
#include "search/driver.h"

#include "board/board.h"
#include "search/control.h"
#include "search/info.h"
#include "search/search.h"
#include "search/threads.h"
#include "search/time.h"

IterationVerdict DecideAfterIteration(int state, int iterationDepth, int depthLimit, int score, double msRemaining,
                                      int rootMoves) {
    // Once the deadline has been extended: stop early when little time is
    // left, when the side to move stands clearly better, or on a winning mate.
    if (state == SearchExtended) {
        if (iterationDepth > 6 && msRemaining < 50) return IterationVerdict::AdvanceState;
        if (iterationDepth > 6 && score > 20 && score < 5000) return IterationVerdict::AdvanceState;
        if (score > MateBound) return IterationVerdict::AdvanceState;
    }
    if (iterationDepth >= depthLimit || rootMoves == 1) return IterationVerdict::Stop;
    return IterationVerdict::Deeper;
}

void SeedPrincipalVariation() {
    SearchThread& st = *ThreadSearch;
    for (int i = 1; i <= LastLineSlot; ++i) {
        const Move m = st.PvTable[0][i];
        if (m.From == 0) break;
        if (!(st.PvTable[i][0] == m)) {
            st.PvTable[i][0] = m;
            st.PvTable[i][1].From = 0;
        }
    }
}

void RunSearch(int depthLimit) {
    BoardTables& bt = *ThreadBoard;
    SearchThread& st = *ThreadSearch;
    if (depthLimit > MaxSearchDepth) depthLimit = MaxSearchDepth;
    ResetEvent(SearchRequest);
    st.RootMoveReady.store(0);
    PrepareSearchRoot();
    st.NodeCount = 0;
    st.IterationDepth = st.StartDepth;
    if (st.IterationDepth > MaxSearchDepth) st.IterationDepth = MaxSearchDepth;
    StartHelpers();

    while (true) {
        st.SelDepth = st.IterationDepth;
        int score;
        if (st.IterationDepth > 3) {
            score = PvSearch(0, st.IterationDepth, -ScoreInfinity, ScoreInfinity, false);
        } else {
            score = AlphaBeta(0, st.IterationDepth, -ScoreInfinity, ScoreInfinity, false);
            SendRootInfoLine(score, 1);
        }
        SeedPrincipalVariation();

        const double elapsed = ElapsedMilliseconds();
        const uint64_t nodes = TotalNodes();
        if (nodes != 0 && elapsed > 1000) SendSpeedLine(nodes, elapsed);

        const double remaining = (SearchDeadline - CurrentTime()) * MillisecondsPerDay;
        switch (DecideAfterIteration(SearchState.load(), st.IterationDepth, depthLimit, score, remaining,
                                     bt.PositionStack[0].MoveCount)) {
            case IterationVerdict::AdvanceState:
                SearchState.fetch_add(1);  // never lowers a SearchStopped from "stop" or "quit"
                break;
            case IterationVerdict::Stop:
                SearchState.store(SearchStopped);
                break;
            case IterationVerdict::Deeper:
                ++st.IterationDepth;
                break;
        }
        if (SearchIsStopped()) break;
    }

    SearchDeadline = 0;
    // A search cut off before its first move was scored, or decided by a
    // table entry, may leave a move of another position in row 0: the move
    // played is always a legal one when the root has one.
    if (LegalLineLength(st.PvTable[0], 1) == 0) {
        st.PvTable[0][0] = FirstLegalRootMove();
        EndPvRow(0);
    }
    if (EngineRunning.load() != 0) SendBestMove(st.PvTable[0][0]);
    // The helpers unwind on the same stopped state; the next search waits for them.
    WaitForHelpers();
}
