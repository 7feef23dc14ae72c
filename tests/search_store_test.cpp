// The node store (store.cpp): stored depths and bounds, the best-move
// rotation, the mate killer, and the ordering updates a stored node makes.
#include <gtest/gtest.h>

#include "search/node.h"
#include "search/tables.h"
#include "search_test_util.h"

namespace {

// Stores the root node (slot of ply 0) with the values a search would have:
// its target ply, best score, window, table bounds and loop position, and
// the list's move count.
void Store(int limit, int best, int alpha, int beta, int lower, int upper, int loop, int moveCount, bool pv) {
    NodeState n;
    n.limit = limit;
    n.best = best;
    n.alpha = alpha;
    n.beta = beta;
    n.slot = HashSlot(0);
    n.lower = lower;
    n.upper = upper;
    n.i = loop;
    StoreNode(*ThreadSearch, n, moveCount, pv);
}

}  // namespace

TEST(SearchStore, MatesWithinTheDepthAreFinalAndSetTheMateKiller) {
    SearchThread& st = *ThreadSearch;
    FreshSearch("6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1");
    const uint32_t slot = HashSlot(0);
    st.PvTable[0][0] = MoveFromText(0, "a1a8");
    Store(3, 29999, -ScoreInfinity, ScoreInfinity, -ScoreInfinity, ScoreInfinity, 21, 20, false);
    EXPECT_EQ(int(ReadEntry(slot).StoredDepth), 79);
    EXPECT_EQ(int(ReadEntry(slot).LowerBound), 29999);
    EXPECT_EQ(int(ReadEntry(slot).UpperBound), 29999);  // every move searched: exact
    EXPECT_EQ(MoveText(st.MateKiller[0][White]), " a1a8");
    // A mate further away than the depth searched holds only when it cut off.
    Store(3, 29991, -ScoreInfinity, ScoreInfinity, -ScoreInfinity, ScoreInfinity, 21, 20, false);
    EXPECT_EQ(int(ReadEntry(slot).StoredDepth), 3);
    Store(3, 29991, 0, 100, -ScoreInfinity, 500, 4, 20, false);
    EXPECT_EQ(int(ReadEntry(slot).StoredDepth), 79);
    EXPECT_EQ(int(ReadEntry(slot).UpperBound), ScoreInfinity);
    // A fail-low keeps the node's lower value and records best as the upper bound.
    Store(4, -50, 0, 100, -200, ScoreInfinity, 21, 20, false);
    EXPECT_EQ(int(ReadEntry(slot).StoredDepth), 4);
    EXPECT_EQ(int(ReadEntry(slot).LowerBound), -200);
    EXPECT_EQ(int(ReadEntry(slot).UpperBound), -50);
}

TEST(SearchStore, BestMoveChangesKeepThePreviousOne) {
    SearchThread& st = *ThreadSearch;
    FreshSearch("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
    const uint32_t slot = HashSlot(0);
    st.PvTable[0][0] = MoveFromText(0, "e2e4");
    Store(3, 30, -ScoreInfinity, ScoreInfinity, -ScoreInfinity, ScoreInfinity, 21, 20, false);
    st.PvTable[0][0] = MoveFromText(0, "d2d4");
    Store(3, 30, -ScoreInfinity, ScoreInfinity, -ScoreInfinity, ScoreInfinity, 21, 20, false);
    EXPECT_EQ(MoveText(ReadEntry(slot).BestMove), " d2d4");
    EXPECT_EQ(MoveText(ReadEntry(slot).PreviousBest), " e2e4");
}

TEST(SearchStore, KillersFillOnceInAlphaBetaAndShiftInPvSearch) {
    BoardTables& bt = *ThreadBoard;
    SearchThread& st = *ThreadSearch;
    FreshSearch("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
    bt.RepStatus[1] = RepNone;
    auto cutWith = [&](const char* text, bool pv) {
        st.PvTable[0][0] = MoveFromText(0, text);
        Store(3, 50, 0, 1, -ScoreInfinity, ScoreInfinity, 3, 20, pv);
    };
    cutWith("e2e4", false);
    cutWith("d2d4", false);
    cutWith("c2c4", false);
    EXPECT_EQ(MoveText(st.KillerMoves[0][0][White]), " e2e4");
    EXPECT_EQ(MoveText(st.KillerMoves[1][0][White]), " d2d4");
    // A zero-window cut-off outside a threat search leaves the history alone.
    EXPECT_EQ(st.HistoryTable[12][28], 0);
    cutWith("c2c4", true);
    cutWith("g1f3", true);
    EXPECT_EQ(MoveText(st.KillerMoves[0][0][White]), " g1f3");
    EXPECT_EQ(MoveText(st.KillerMoves[1][0][White]), " c2c4");
    // The principal-variation store raises the history by the stored depth.
    EXPECT_EQ(st.HistoryTable[11][27], 3);
    // An open window in AlphaBeta does too.
    st.PvTable[0][0] = MoveFromText(0, "b1c3");
    Store(5, 50, 0, 100, -ScoreInfinity, ScoreInfinity, 21, 20, false);
    EXPECT_EQ(st.HistoryTable[2][19], 5);
}
