// The staged move picker, the root ordering of the principal-variation
// search and the quiescence picker.
#include <gtest/gtest.h>

#include "search/ordering.h"
#include "search/tables.h"
#include "search_test_util.h"

namespace {

// Puts the move with this text at position i of the ply's list.
void PlaceAt(int ply, int i, const std::string& text) {
    BoardTables& bt = *ThreadBoard;
    const int j = ListEntry(ply, text);
    ASSERT_NE(j, 0) << text;
    std::swap(bt.MoveList[ply][i], bt.MoveList[ply][j]);
}

std::string Picked(PickerState& picker, int ply, int i, int best = 0, int limit = 5) {
    BoardTables& bt = *ThreadBoard;
    PickMove(picker, ply, i, best, limit);
    return MoveText(bt.MoveList[ply][i]).substr(1);
}

void SetRootScore(const std::string& text, int score) {
    SearchThread& st = *ThreadSearch;
    st.RootScores[ListEntry(0, text)] = score;
}

}  // namespace

TEST(SearchOrdering, AfterTheTableMoveComePreviousBestAncestorCapturesAndTheBestCapture) {
    BoardTables& bt = *ThreadBoard;
    SearchThread& st = *ThreadSearch;
    FreshSearch("4k3/8/8/8/2r1nb2/3P1N2/3Q4/4K3 w - - 0 1");
    PlayText(0, "e1f1");
    PlayText(1, "e8f8");
    const Move previousBest = MoveFromText(2, "f3h4");
    const Move ancestorCapture = MoveFromText(2, "d2f4");
    GenerateMoves(2, true);
    // The table move is in position 1 (Qd2-e2), the entry's previous best is
    // Nf3-h4, and the root's line holds Qd2xf4 for ply 2.
    PlaceAt(2, 1, "d2e2");
    st.PvTable[2][0] = bt.MoveList[2][1];
    st.PvTable[0][2] = ancestorCapture;
    st.PvTable[1][1] = Move{0, 0};
    PickerState picker = NewPicker(2, StagePreviousBest);
    picker.OrderedCount = 1;
    picker.PreviousBest = previousBest;

    EXPECT_EQ(Picked(picker, 2, 2), "f3h4");  // previous best
    EXPECT_EQ(Picked(picker, 2, 3), "d2f4");  // the ancestor line's capture, though the weakest
    EXPECT_EQ(Picked(picker, 2, 4), "d3c4");  // pawn takes rook: 10 - 1
    EXPECT_EQ(Picked(picker, 2, 5), "d3e4");  // pawn takes knight: 8 - 1
    EXPECT_EQ(Picked(picker, 2, 6), "d3d4");  // history order: the pawn first
}

TEST(SearchOrdering, BestCaptureAlreadyInPlaceIsNotChosenAndAKillerGoesFirst) {
    SearchThread& st = *ThreadSearch;
    FreshSearch("4k3/8/8/8/2r1nb2/3P1N2/3Q4/4K3 w - - 0 1");
    st.KillerMoves[0][0][White] = MoveFromText(0, "d2e2");
    GenerateMoves(0, true);
    PlaceAt(0, 1, "d3c4");  // the best capture already stands at position 1
    PickerState picker = NewPicker(0, StagePreviousBest);
    EXPECT_EQ(Picked(picker, 0, 1), "d2e2");
}

TEST(SearchOrdering, QueenPromotionComesBeforeTheOtherPromotions) {
    FreshSearch("8/P7/8/8/8/8/6k1/K7 w - - 0 1");
    PickerState picker = NewPicker(0, StagePreviousBest);
    EXPECT_EQ(Picked(picker, 0, 1), "a7a8q");
}

TEST(SearchOrdering, BothCastlingMovesBeforeTheHistoryStage) {
    FreshSearch("4k3/8/8/8/8/8/P6P/R3K2R w KQ - 0 1");
    PickerState picker = NewPicker(0, StagePreviousBest);
    EXPECT_EQ(Picked(picker, 0, 1), "e1c1");
    EXPECT_EQ(picker.Stage, StageCastling);
    EXPECT_EQ(Picked(picker, 0, 2), "e1g1");
    Picked(picker, 0, 3);
    EXPECT_EQ(picker.Stage, StagesDone);
}

TEST(SearchOrdering, HistoryFirstTakesTheMoveThatMatedBeforeAndMarksTheMateKiller) {
    BoardTables& bt = *ThreadBoard;
    SearchThread& st = *ThreadSearch;
    FreshSearch("6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1");
    st.MateHistory[WhiteRook][57] = 3;  // Ra8 has mated here before
    st.MateKiller[0][White] = MoveFromText(0, "a1a8");
    PickerState picker = NewPicker(0, StageHistoryFirst);
    int i = 1;
    EXPECT_TRUE(PickMove(picker, 0, i, 0, 5));
    EXPECT_EQ(MoveText(bt.MoveList[0][1]), " a1a8");
    EXPECT_EQ(picker.Stage, StageHistoryFirst);  // it runs again at the next pick
}

TEST(SearchOrdering, MoveBackWhenLosing) {
    BoardTables& bt = *ThreadBoard;
    // White played Nf3-g5 (in the game) and stands worse: Ng5-f3 is tried first.
    FreshSearch("4k3/8/8/8/8/5N2/8/4K3 w - - 0 1");
    PlayText(0, "f3g5");
    PlayText(1, "e8d8");
    bt.PositionStack[2].HalfmoveClock = 7;
    GenerateMoves(2, true);
    PickerState picker = NewPicker(2, StageMoveBack);
    int i = 1;
    EXPECT_TRUE(PickMove(picker, 2, i, -50, 5));
    EXPECT_EQ(MoveText(bt.MoveList[2][1]), " g5f3");
    // Not when the node's best is not below 0.
    GenerateMoves(2, true);
    picker = NewPicker(2, StageMoveBack);
    i = 1;
    EXPECT_FALSE(PickMove(picker, 2, i, 0, 5));
}

TEST(SearchRootOrdering, HigherEarlierScoresFirstAndClearlyBetterMovesMarked) {
    BoardTables& bt = *ThreadBoard;
    SearchThread& st = *ThreadSearch;
    FreshSearch("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
    for (int j = 1; j <= bt.PositionStack[0].MoveCount; ++j) st.RootScores[j] = -NoScore;
    SetRootScore("d2d4", 40);
    SetRootScore("e2e4", 50);
    st.VerifiedCount[0] = bt.PositionStack[0].MoveCount;
    st.RootMoveReady.store(1);
    PickerState picker = NewPicker(0, StageRootOrdering);
    int i = 1;
    EXPECT_TRUE(PickMove(picker, 0, i, -ScoreInfinity, 6));  // 50 > best + 10: marked
    EXPECT_EQ(MoveText(bt.MoveList[0][1]), " e2e4");
    EXPECT_EQ(st.RootScores[1], 50);
    i = 2;
    EXPECT_FALSE(PickMove(picker, 0, i, 45, 6));  // 40 is not above 55: taken unmarked
    EXPECT_EQ(MoveText(bt.MoveList[0][2]), " d2d4");
    EXPECT_EQ(picker.Stage, StageRootOrdering);
    i = 3;
    PickMove(picker, 0, i, 45, 6);  // nothing searched before: the normal stages take over
    EXPECT_NE(picker.Stage, StageRootOrdering);
    EXPECT_EQ(i, 3);
}

TEST(SearchRootOrdering, MatedRootMovesAreDroppedOnceAMateIsInHand) {
    BoardTables& bt = *ThreadBoard;
    SearchThread& st = *ThreadSearch;
    FreshSearch("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
    for (int j = 1; j <= bt.PositionStack[0].MoveCount; ++j) st.RootScores[j] = -NoScore;
    SetRootScore("e2e4", 29991);
    SetRootScore("d2d4", 100);
    SetRootScore("b1c3", -29980);
    SetRootScore("g1f3", -29990);
    st.VerifiedCount[0] = bt.PositionStack[0].MoveCount;
    st.RootMoveReady.store(1);
    PickerState picker = NewPicker(0, StageRootOrdering);
    int i = 1;
    PickMove(picker, 0, i, -ScoreInfinity, 6);
    EXPECT_EQ(MoveText(bt.MoveList[0][1]), " e2e4");
    i = 2;
    PickMove(picker, 0, i, 29990, 6);
    EXPECT_EQ(MoveText(bt.MoveList[0][2]), " d2d4");
    i = 3;
    PickMove(picker, 0, i, 29990, 6);
    EXPECT_EQ(bt.PositionStack[0].MoveCount, 18);
    EXPECT_EQ(st.VerifiedCount[0], 18);
    EXPECT_EQ(ListEntry(0, "b1c3"), 0);
    EXPECT_EQ(ListEntry(0, "g1f3"), 0);
}

TEST(SearchRootOrdering, MatedMovesAreRemovedWhenCloseAndPassedOverWhenFar) {
    BoardTables& bt = *ThreadBoard;
    SearchThread& st = *ThreadSearch;
    FreshSearch("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
    for (int j = 1; j <= bt.PositionStack[0].MoveCount; ++j) st.RootScores[j] = -NoScore;
    SetRootScore("e2e4", 100);
    SetRootScore("g1f3", -29980);  // mated 20 plies away: at least limit + 6
    SetRootScore("b1c3", -29995);  // mated 5 plies away
    st.VerifiedCount[0] = bt.PositionStack[0].MoveCount;
    st.RootMoveReady.store(1);
    PickerState picker = NewPicker(0, StageRootOrdering);
    int i = 1;
    PickMove(picker, 0, i, -ScoreInfinity, 6);
    i = 2;
    PickMove(picker, 0, i, 100, 6);
    EXPECT_EQ(i, 3);  // g1f3 passed over: it stays at position 2
    EXPECT_EQ(MoveText(bt.MoveList[0][2]), " g1f3");
    EXPECT_EQ(ListEntry(0, "b1c3"), 0);
    EXPECT_EQ(bt.PositionStack[0].MoveCount, 19);
}

TEST(SearchQuiesceOrdering, APromotionTakingThePieceThatJustMovedStaysInPlace) {
    BoardTables& bt = *ThreadBoard;
    // The black rook has just come to b8; c7xb8=N at position 1 stays there
    // rather than giving way to the queen promotion on c8.
    FreshSearch("4k3/2P5/8/8/8/8/7K/1r6 b - - 0 1");
    PlayText(0, "b1b8");
    GenerateMoves(1, false);
    PlaceAt(1, 1, "c7b8n");
    PickQuiescenceMove(1, 1);
    EXPECT_EQ(MoveText(bt.MoveList[1][1]), " c7b8n");
    // Another move at position 1: the scan takes the highest promotion code,
    // never a promotion just because it takes the piece that moved.
    PlaceAt(1, 1, "c7c8n");
    PickQuiescenceMove(1, 1);
    EXPECT_EQ(MoveText(bt.MoveList[1][1]), " c7c8q");

    // The colour mirror: the white rook has just come to b1.
    FreshSearch("4k3/1R6/8/8/8/8/2p5/7K w - - 0 1");
    PlayText(0, "b7b1");
    GenerateMoves(1, false);
    PlaceAt(1, 1, "c2b1n");
    PickQuiescenceMove(1, 1);
    EXPECT_EQ(MoveText(bt.MoveList[1][1]), " c2b1n");
    PlaceAt(1, 1, "c2c1n");
    PickQuiescenceMove(1, 1);
    EXPECT_EQ(MoveText(bt.MoveList[1][1]), " c2c1q");
}
