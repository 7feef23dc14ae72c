// The searches near the end of the ply-indexed tables: nodes placed at the
// deepest plies the searches can reach stay inside every table (the
// sanitizer build turns any stray index into a failure).
#include <gtest/gtest.h>

#include "eval/evaluate.h"
#include "search_test_util.h"

namespace {

const char* const Positions[] = {
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
    "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
    "rnbq1bnr/pppPkppp/8/8/8/8/PPP1PPPP/RNBQKBNR w KQ - 1 5",
    "4k3/8/8/8/8/8/8/R3K3 w - - 0 1",
    "6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1",
    "7k/5Q2/6K1/8/8/8/8/8 b - - 0 1",
};

// Copies the root position to ply p (with a predecessor of the other side to
// move) as if the search had reached it there.
void PlaceRootAt(int p) {
    BoardTables& bt = *ThreadBoard;
    bt.PositionStack[p - 1] = bt.PositionStack[0];
    bt.PositionStack[p - 1].SideToMove = 1 - bt.PositionStack[0].SideToMove;
    bt.PositionStack[p - 1].MoveCount = 2;
    bt.PositionStack[p] = bt.PositionStack[0];
    bt.CheckerSquare[p - 1] = 0;
    bt.CheckerSquare[p] = bt.CheckerSquare[0];
    bt.BareKing[p - 1] = 0;
    bt.RepStatus[p] = 0;
    bt.LastMove[p] = bt.LastMove[0];
    ResetEvalPly(p);
}

}  // namespace

TEST(SearchBounds, NodesAtTheDeepestPliesStayInsideTheTables) {
    SearchThread& st = *ThreadSearch;
    for (const char* fen : Positions) {
        for (int p = 76; p <= 81; ++p) {
            FreshSearch(fen);
            st.IterationDepth = 79;
            st.RootMoveReady.store(1);
            PlaceRootAt(p);
            const int score = AlphaBeta(p, p + 3, -ScoreInfinity, ScoreInfinity, true);
            EXPECT_GE(score, -NoScore) << fen << " at ply " << p;
            EXPECT_LE(score, NoScore) << fen << " at ply " << p;
            FreshSearch(fen);
            PlaceRootAt(p);
            Quiesce(p, -ScoreInfinity, ScoreInfinity);
            FreshSearch(fen);
            st.IterationDepth = 79;
            PlaceRootAt(p);
            PvSearch(p, p + 4, -ScoreInfinity, ScoreInfinity, true);
        }
    }
}

TEST(SearchBounds, DeepestIterationFromAPositionWithEndlessChecks) {
    SearchThread& st = *ThreadSearch;
    // Both queens can check for a long time; every check extends the line.
    FreshSearch("3qk3/8/8/8/8/8/8/3QK3 w - - 0 1");
    st.IterationDepth = 79;
    st.RootMoveReady.store(1);
    SearchState.store(0);
    NodeLimit = 200000;  // the deadline check ends the search here
    const int score = PvSearch(0, 79, -ScoreInfinity, ScoreInfinity, false);
    EXPECT_GE(score, -NoScore);
    EXPECT_GE(st.SelDepth, 60);  // the check lines reach the deepest plies
    EXPECT_TRUE(LegalLineLength(st.PvTable[0], 1) == 1 || SearchState.load() >= 2);
}

TEST(SearchBounds, ANodeWhoseTargetPlyLiesBehindItGoesToTheHorizon) {
    SearchThread& st = *ThreadSearch;
    // A child limit below the child's own ply never meets "ply equals limit";
    // such a node must still hand over to the quiescence search at once (one
    // node, nothing deeper) rather than walk on past the per-ply tables.
    const char* fen = "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R b KQkq - 0 1";
    FreshSearch(fen);
    st.IterationDepth = 5;
    PlaceRootAt(6);
    const int quiet = Quiesce(6, -ScoreInfinity, ScoreInfinity);
    const uint64_t quietNodes = st.NodeCount;
    const int quietSelDepth = st.SelDepth;
    FreshSearch(fen);
    st.IterationDepth = 5;
    PlaceRootAt(6);
    EXPECT_EQ(AlphaBeta(6, 5, -ScoreInfinity, ScoreInfinity, true), quiet);
    EXPECT_EQ(st.NodeCount, quietNodes);
    EXPECT_EQ(st.SelDepth, quietSelDepth);  // the node itself was not counted at ply 6
}
