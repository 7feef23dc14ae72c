// The node store (store.cpp): stored depths and bounds, the best-move
// rotation, the mate killer, and the ordering updates a stored node makes.
#include <gtest/gtest.h>

#include "search/node.h"
#include "search/tables.h"
#include "search_test_util.h"

TEST(SearchStore, MatesWithinTheDepthAreFinalAndSetTheMateKiller) {
    SearchThread& st = *ThreadSearch;
    FreshSearch("6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1");
    const uint32_t slot = HashSlot(0);
    st.PvTable[0][0] = MoveFromText(0, "a1a8");
    StoreNode(*ThreadSearch,
              NodeState{.ply = 0,
                        .limit = 3,
                        .alpha = -ScoreInfinity,
                        .beta = ScoreInfinity,
                        .slot = slot,
                        .lower = -ScoreInfinity,
                        .upper = ScoreInfinity,
                        .best = 29999,
                        .i = 21},
              20, false);
    EXPECT_EQ(int(ReadEntry(slot).StoredDepth), 79);
    EXPECT_EQ(int(ReadEntry(slot).LowerBound), 29999);
    EXPECT_EQ(int(ReadEntry(slot).UpperBound), 29999);  // every move searched: exact
    EXPECT_EQ(MoveText(st.MateKiller[0][White]), " a1a8");
    // A mate further away than the depth searched holds only when it cut off.
    StoreNode(*ThreadSearch,
              NodeState{.ply = 0,
                        .limit = 3,
                        .alpha = -ScoreInfinity,
                        .beta = ScoreInfinity,
                        .slot = slot,
                        .lower = -ScoreInfinity,
                        .upper = ScoreInfinity,
                        .best = 29991,
                        .i = 21},
              20, false);
    EXPECT_EQ(int(ReadEntry(slot).StoredDepth), 3);
    StoreNode(*ThreadSearch,
              NodeState{.ply = 0,
                        .limit = 3,
                        .alpha = 0,
                        .beta = 100,
                        .slot = slot,
                        .lower = -ScoreInfinity,
                        .upper = 500,
                        .best = 29991,
                        .i = 4},
              20, false);
    EXPECT_EQ(int(ReadEntry(slot).StoredDepth), 79);
    EXPECT_EQ(int(ReadEntry(slot).UpperBound), ScoreInfinity);
    // A fail-low keeps the node's lower value and records best as the upper bound.
    StoreNode(*ThreadSearch,
              NodeState{.ply = 0,
                        .limit = 4,
                        .alpha = 0,
                        .beta = 100,
                        .slot = slot,
                        .lower = -200,
                        .upper = ScoreInfinity,
                        .best = -50,
                        .i = 21},
              20, false);
    EXPECT_EQ(int(ReadEntry(slot).StoredDepth), 4);
    EXPECT_EQ(int(ReadEntry(slot).LowerBound), -200);
    EXPECT_EQ(int(ReadEntry(slot).UpperBound), -50);
}

TEST(SearchStore, BestMoveChangesKeepThePreviousOne) {
    SearchThread& st = *ThreadSearch;
    FreshSearch("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
    const uint32_t slot = HashSlot(0);
    st.PvTable[0][0] = MoveFromText(0, "e2e4");
    StoreNode(*ThreadSearch,
              NodeState{.ply = 0,
                        .limit = 3,
                        .alpha = -ScoreInfinity,
                        .beta = ScoreInfinity,
                        .slot = slot,
                        .lower = -ScoreInfinity,
                        .upper = ScoreInfinity,
                        .best = 30,
                        .i = 21},
              20, false);
    st.PvTable[0][0] = MoveFromText(0, "d2d4");
    StoreNode(*ThreadSearch,
              NodeState{.ply = 0,
                        .limit = 3,
                        .alpha = -ScoreInfinity,
                        .beta = ScoreInfinity,
                        .slot = slot,
                        .lower = -ScoreInfinity,
                        .upper = ScoreInfinity,
                        .best = 30,
                        .i = 21},
              20, false);
    EXPECT_EQ(MoveText(ReadEntry(slot).BestMove), " d2d4");
    EXPECT_EQ(MoveText(ReadEntry(slot).PreviousBest), " e2e4");
}

TEST(SearchStore, KillersFillOnceInAlphaBetaAndShiftInPvSearch) {
    BoardTables& bt = *ThreadBoard;
    SearchThread& st = *ThreadSearch;
    FreshSearch("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
    const uint32_t slot = HashSlot(0);
    bt.RepStatus[1] = RepNone;
    auto cutWith = [&](const char* text, bool pv) {
        st.PvTable[0][0] = MoveFromText(0, text);
        StoreNode(*ThreadSearch,
                  NodeState{.ply = 0,
                            .limit = 3,
                            .alpha = 0,
                            .beta = 1,
                            .slot = slot,
                            .lower = -ScoreInfinity,
                            .upper = ScoreInfinity,
                            .best = 50,
                            .i = 3},
                  20, pv);
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
    StoreNode(*ThreadSearch,
              NodeState{.ply = 0,
                        .limit = 5,
                        .alpha = 0,
                        .beta = 100,
                        .slot = slot,
                        .lower = -ScoreInfinity,
                        .upper = ScoreInfinity,
                        .best = 50,
                        .i = 21},
              20, false);
    EXPECT_EQ(st.HistoryTable[2][19], 5);
}
