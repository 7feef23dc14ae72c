// AlphaBeta and Quiesce node by node: positions without moves, mate
// distances, the horizon extensions, the lone-king rules, the mate-in-hand
// rule and the quiescence hand-over for checks.
#include <gtest/gtest.h>

#include "eval/evaluate.h"
#include "search/tables.h"
#include "search_test_util.h"

namespace {

HashEntry RootEntry() { return ReadEntry(HashSlot(0)); }

// Searches the node at ply with its target ply equal to its ply: true when it
// went on for a ply instead of handing over to the quiescence search (the
// selective depth then reaches the ply). The positions used have no capture
// for the quiescence search to try.
bool ExtendsAtHorizon(int ply) {
    SearchThread& st = *ThreadSearch;
    st.SelDepth = 0;
    AlphaBeta(ply, ply, -ScoreInfinity, ScoreInfinity, true);
    return st.SelDepth >= ply;
}

}  // namespace

TEST(SearchNode, CheckmatedRootScoresMinusMateAndIsStoredAsFinal) {
    BoardTables& bt = *ThreadBoard;
    SearchThread& st = *ThreadSearch;
    FreshSearch("R5k1/5ppp/8/8/8/8/8/6K1 b - - 0 1");
    EXPECT_EQ(AlphaBeta(0, 3, -ScoreInfinity, ScoreInfinity, false), -30000);
    EXPECT_EQ(bt.PositionStack[0].MoveCount, 0);
    const HashEntry e = RootEntry();
    ASSERT_TRUE(HashMatches(e, 0));
    EXPECT_EQ(int(e.StoredDepth), 79);
    EXPECT_EQ(int(e.LowerBound), -30000);
    EXPECT_EQ(int(e.UpperBound), -30000);
    EXPECT_EQ(int(e.BestMove.From), 0);
    EXPECT_EQ(st.PvTable[0][0].From, 0);
}

TEST(SearchNode, StalemateScoresZeroAndIsStoredAsFinal) {
    FreshSearch("7k/5Q2/6K1/8/8/8/8/8 b - - 0 1");
    EXPECT_EQ(AlphaBeta(0, 3, -ScoreInfinity, ScoreInfinity, false), 0);
    const HashEntry e = RootEntry();
    ASSERT_TRUE(HashMatches(e, 0));
    EXPECT_EQ(int(e.StoredDepth), 79);
    EXPECT_EQ(int(e.LowerBound), 0);
    EXPECT_EQ(int(e.UpperBound), 0);
}

TEST(SearchNode, MateScoresMoveOnePointTowardZeroPerPly) {
    SearchThread& st = *ThreadSearch;
    // White mates at once: 30000 on the board at ply 1, 29999 at the root.
    FreshSearch("6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1");
    EXPECT_EQ(AlphaBeta(0, 3, -ScoreInfinity, ScoreInfinity, false), 29999);
    EXPECT_EQ(MoveText(st.PvTable[0][0]), " a1a8");
    // Black to move is mated after each of its moves: -29998.
    FreshSearch("7k/1R6/8/8/7p/8/R7/7K b - - 0 1");
    EXPECT_EQ(AlphaBeta(0, 3, -ScoreInfinity, ScoreInfinity, false), -29998);
    // Mate in two moves: 29997.
    FreshSearch("7k/8/8/8/8/8/R7/1R5K w - - 0 1");
    EXPECT_EQ(AlphaBeta(0, 3, -ScoreInfinity, ScoreInfinity, false), 29997);
}

TEST(SearchHorizon, PawnReachingItsSeventhRankExtendsWithinTheIterationDepth) {
    SearchThread& st = *ThreadSearch;
    FreshSearch("4k3/7p/2P5/8/8/8/8/4K3 w - - 0 1");
    PlayText(0, "c6c7");
    st.IterationDepth = 3;
    EXPECT_TRUE(ExtendsAtHorizon(1));
    FreshSearch("4k3/7p/2P5/8/8/8/8/4K3 w - - 0 1");
    PlayText(0, "c6c7");
    st.IterationDepth = 0;  // ply 1 is beyond the iteration depth + 1
    EXPECT_FALSE(ExtendsAtHorizon(1));
    // A black pawn from below square 25 (c3 is 19).
    FreshSearch("4k3/8/8/8/8/2p5/7P/4K3 b - - 0 1");
    PlayText(0, "c3c2");
    st.IterationDepth = 3;
    EXPECT_TRUE(ExtendsAtHorizon(1));
    // A pawn step elsewhere does not extend.
    FreshSearch("4k3/7p/8/2P5/8/8/8/4K3 w - - 0 1");
    PlayText(0, "c5c6");
    EXPECT_FALSE(ExtendsAtHorizon(1));
}

TEST(SearchHorizon, RecaptureExtendsWithinTheIterationDepth) {
    SearchThread& st = *ThreadSearch;
    const char* fen = "4k3/8/4b3/3p4/4P3/8/8/R3K3 w - - 0 1";
    FreshSearch(fen);
    PlayText(0, "e4d5");
    PlayText(1, "e6d5");
    st.IterationDepth = 2;
    EXPECT_TRUE(ExtendsAtHorizon(2));
    FreshSearch(fen);
    PlayText(0, "e4d5");
    PlayText(1, "e6d5");
    st.IterationDepth = 1;
    EXPECT_FALSE(ExtendsAtHorizon(2));
    // A capture that is not a recapture.
    FreshSearch(fen);
    PlayText(0, "e1d1");
    PlayText(1, "d5e4");
    st.IterationDepth = 3;
    EXPECT_FALSE(ExtendsAtHorizon(2));
}

TEST(SearchHorizon, CheckSingleReplyAndFiftyMoveCountExtend) {
    BoardTables& bt = *ThreadBoard;
    SearchThread& st = *ThreadSearch;
    FreshSearch("4k3/7p/8/8/8/8/8/R3K3 w - - 0 1");
    PlayText(0, "a1a8");
    st.IterationDepth = 0;
    EXPECT_TRUE(ExtendsAtHorizon(1));  // in check

    FreshSearch("4k3/7p/8/8/8/8/8/R3K3 w - - 0 1");
    PlayText(0, "a1a2");
    st.IterationDepth = 0;
    EXPECT_FALSE(ExtendsAtHorizon(1));
    FreshSearch("4k3/7p/8/8/8/8/8/R3K3 w - - 0 1");
    PlayText(0, "a1a2");
    st.IterationDepth = 0;
    bt.PositionStack[0].MoveCount = 1;  // the move was the only one
    EXPECT_TRUE(ExtendsAtHorizon(1));

    FreshSearch("4k3/7p/8/8/8/8/8/R3K3 w - - 98 80");
    PlayText(0, "a1a2");  // clock 99
    st.IterationDepth = 0;
    EXPECT_TRUE(ExtendsAtHorizon(1));
    FreshSearch("4k3/7p/8/8/8/8/8/R3K3 w - - 90 80");
    PlayText(0, "a1a2");  // clock 91
    st.IterationDepth = 0;
    EXPECT_FALSE(ExtendsAtHorizon(1));
}

TEST(SearchHorizon, NothingExtendsAtPly79) {
    BoardTables& bt = *ThreadBoard;
    SearchThread& st = *ThreadSearch;
    FreshSearch("4k3/8/8/8/8/8/8/R3K3 w - - 98 80");
    PlayText(0, "a1a8");  // check, and clock 99
    // The same position placed at ply 79, its predecessor at 78.
    bt.PositionStack[78] = bt.PositionStack[0];
    bt.PositionStack[79] = bt.PositionStack[1];
    bt.CheckerSquare[79] = bt.CheckerSquare[1];
    bt.RepStatus[79] = 0;
    bt.LastMove[79] = bt.LastMove[1];
    ResetEvalPly(79);
    st.IterationDepth = 79;
    EXPECT_NE(bt.CheckerSquare[79], 0);
    EXPECT_FALSE(ExtendsAtHorizon(79));
}

TEST(SearchLoneKing, LoneKingNeverScoresAboveZeroInAnOpenWindow) {
    // Black has only its king against king and rook.
    FreshSearch("4k3/8/8/8/8/8/8/R3K3 w - - 0 1");
    PlayText(0, "a1a2");
    EXPECT_EQ(AlphaBeta(1, 3, 0, 100, true), 0);
    FreshSearch("4k3/8/8/8/8/8/8/R3K3 w - - 0 1");
    PlayText(0, "a1a2");
    EXPECT_LE(AlphaBeta(1, 3, -100, 100, true), 1);
}

TEST(SearchLoneKing, DeadDrawsEndTheNodeWithoutMoves) {
    BoardTables& bt = *ThreadBoard;
    // The lone king to move against king and knight: the evaluation says 0.
    FreshSearch("4k3/8/8/8/8/8/8/2N1K3 w - - 0 1");
    PlayText(0, "e1d1");
    EXPECT_EQ(AlphaBeta(1, 4, -100, 100, true), 0);
    EXPECT_EQ(bt.PositionStack[1].MoveCount, 0);
    // The side with the knight to move against a lone king: also 0.
    FreshSearch("4k3/8/8/8/8/8/8/2N1K3 b - - 0 1");
    PlayText(0, "e8d8");
    EXPECT_EQ(AlphaBeta(1, 4, -100, 100, true), 0);
    EXPECT_EQ(bt.PositionStack[1].MoveCount, 0);
    // With a rook instead the position is won and searched normally.
    FreshSearch("4k3/8/8/8/8/8/8/R3K3 b - - 0 1");
    PlayText(0, "e8d8");
    EXPECT_GE(AlphaBeta(1, 4, -100, 100, true), 100);
}

TEST(SearchMateInHand, NonChecksAreRemovedInZeroWindowsAndTheirSuccessorIsTestedForLegality) {
    BoardTables& bt = *ThreadBoard;
    SearchThread& st = *ThreadSearch;
    // White to move at ply 1 with king e1 and knight g1; the black rook on a2
    // makes e1d2 illegal. The table claims a mate in one for white.
    auto setUp = [&] {
        FreshSearch("k7/8/8/8/8/8/r7/4K1N1 b - - 0 1");
        PlayText(0, "a8b8");
        const Move illegal = MoveFromText(1, "e1d2");
        const Move h3 = MoveFromText(1, "g1h3");
        const Move f3 = MoveFromText(1, "g1f3");
        bt.MoveList[1][1] = illegal;
        bt.MoveList[1][2] = h3;
        bt.MoveList[1][3] = f3;
        bt.PositionStack[1].MoveCount = 3;
        st.VerifiedCount[1] = 0;
        st.HistoryTable[7][22] = 30;  // g1f3 first
        st.HistoryTable[7][24] = 20;  // g1h3 second
        st.HistoryTable[5][12] = 10;  // e1d2 last
        HashEntry e = ReadEntry(HashSlot(1));
        StampEntry(e, 1);
        e.StoredDepth = 79;
        e.LowerBound = 29999;
        e.UpperBound = 30001;
        e.BestMove = Move{0, 0};
        e.PreviousBest = Move{0, 0};
        WriteEntry(HashSlot(1), e);
    };
    // Zero window: g1f3 is searched, g1h3 gives no check and is removed; the
    // illegal e1d2 that takes its place is tested and removed too.
    setUp();
    AlphaBeta(1, 3, 30000, 30001, false);
    EXPECT_EQ(bt.PositionStack[1].MoveCount, 1);
    EXPECT_EQ(MoveText(bt.MoveList[1][1]), " g1f3");
    // Open window: the non-checking moves are passed over, not removed; only
    // the illegal move leaves the list.
    setUp();
    AlphaBeta(1, 3, 29000, 30001, false);
    EXPECT_EQ(bt.PositionStack[1].MoveCount, 2);
    EXPECT_EQ(ListEntry(1, "e1d2"), 0);
}

TEST(SearchQuiesce, UnknownPositionInCheckBecomesAOnePlyAlphaBetaNode) {
    SearchThread& st = *ThreadSearch;
    FreshSearch("4k3/8/8/8/8/8/8/R3K3 w - - 0 1");
    PlayText(0, "a1a8");
    st.SelDepth = 0;
    Quiesce(1, -ScoreInfinity, ScoreInfinity);
    EXPECT_EQ(st.SelDepth, 1);
    // Once the table knows it, the quiescence search handles it itself and
    // never raises the selective depth.
    st.SelDepth = 0;
    ASSERT_TRUE(HashMatches(ReadEntry(HashSlot(1)), 1));
    Quiesce(1, -ScoreInfinity, ScoreInfinity);
    EXPECT_EQ(st.SelDepth, 0);
}

TEST(SearchQuiesce, DeadDrawIsStoredAsFinalZero) {
    FreshSearch("4k3/8/8/8/8/8/8/2N1K3 b - - 0 1");
    PlayText(0, "e8d8");
    EXPECT_EQ(Quiesce(1, -ScoreInfinity, ScoreInfinity), 0);
    const HashEntry e = ReadEntry(HashSlot(1));
    ASSERT_TRUE(HashMatches(e, 1));
    EXPECT_EQ(int(e.StoredDepth), 79);
    EXPECT_EQ(int(e.LowerBound), 0);
    EXPECT_EQ(int(e.UpperBound), 0);
}

TEST(SearchQuiesce, LoneKingWithoutCapturesIsSearchedOnePlyInFull) {
    SearchThread& st = *ThreadSearch;
    FreshSearch("4k3/8/8/8/8/8/8/R3K3 w - - 0 1");
    PlayText(0, "a1a2");
    st.SelDepth = 0;
    const int score = Quiesce(1, -ScoreInfinity, ScoreInfinity);
    EXPECT_EQ(st.SelDepth, 1);
    EXPECT_LT(score, 0);
    // In a window that starts at 0 the lone king just scores 0.
    FreshSearch("4k3/8/8/8/8/8/8/R3K3 w - - 0 1");
    PlayText(0, "a1a2");
    EXPECT_EQ(Quiesce(1, 0, 100), 0);
}

TEST(SearchPv, ALaterMoveThatFailsHighIsSearchedAgainWithTheFullWindow) {
    BoardTables& bt = *ThreadBoard;
    SearchThread& st = *ThreadSearch;
    // White wins the rook on d5. The table's move e1e2 is searched first with
    // the full window; Qxd5 then beats the zero window above it and is
    // searched again, and its exact score is the one a search that tries
    // Qxd5 first finds.
    const char* fen = "4k3/8/8/3r4/8/8/3Q4/4K3 w - - 0 1";
    FreshSearch(fen);
    st.PvTable[0][0] = MoveFromText(0, "e1e2");
    GenerateMoves(0, true);
    st.IterationDepth = 4;
    const int afterQuietFirst = PvSearch(0, 4, -ScoreInfinity, ScoreInfinity, false);
    EXPECT_EQ(MoveText(st.PvTable[0][0]), " d2d5");
    EXPECT_EQ(MoveText(bt.MoveList[0][1]), " e1e2");
    const int quietScore = st.RootScores[1];
    const int capture = ListEntry(0, "d2d5");
    EXPECT_EQ(st.RootScores[capture], afterQuietFirst);
    for (int j = 2; j <= bt.PositionStack[0].MoveCount; ++j) {
        if (j == capture) continue;
        EXPECT_LE(st.RootScores[j], afterQuietFirst) << MoveText(bt.MoveList[0][j]);
    }

    FreshSearch(fen);
    st.PvTable[0][0] = MoveFromText(0, "d2d5");
    GenerateMoves(0, true);
    st.IterationDepth = 4;
    const int captureFirst = PvSearch(0, 4, -ScoreInfinity, ScoreInfinity, false);
    EXPECT_EQ(afterQuietFirst, captureFirst);
    EXPECT_GT(captureFirst, quietScore + 300);
}

TEST(SearchNode, NodeWithoutMovesEmptiesOnlySlotZeroAndAQuiescenceChildStillTriesSlotOne) {
    BoardTables& bt = *ThreadBoard;
    SearchThread& st = *ThreadSearch;
    // Row 1 holds a line found earlier at ply 1: slot 1 is Qa3xa6 for ply 2.
    FreshSearch("6k1/5ppp/p7/4n3/3P4/Q7/8/1R4K1 w - - 0 1");
    PlayText(0, "g1f1");
    st.PvTable[1][0] = MoveFromText(1, "h7h6");
    st.PvTable[1][1] = MoveFromText(0, "a3a6");
    PlayText(0, "b1b8");  // Black is mated at ply 1
    EXPECT_EQ(AlphaBeta(1, 2, -ScoreInfinity, ScoreInfinity, true), -30000);
    EXPECT_EQ(bt.PositionStack[1].MoveCount, 0);
    EXPECT_EQ(st.PvTable[1][0].From, 0);             // the best move is emptied...
    EXPECT_EQ(MoveText(st.PvTable[1][1]), " a3a6");  // ...and slot 1 keeps its move

    // Another line through ply 1: after Kf1 h6, a quiescence node at ply 2 with an
    // empty slot 0 takes slot 1 of row 1 and tries Qxa6 before dxe5, the capture
    // the picker ranks first (knight victim, pawn attacker). Both win material, so
    // the first one searched cuts off in a one-point window above the stand pat.
    PlayText(0, "g1f1");
    PlayText(1, "h7h6");
    st.PvTable[2][0] = Move{0, 0};
    const int standPat = Evaluate(2);
    Quiesce(2, standPat, standPat + 1);
    EXPECT_EQ(MoveText(st.PvTable[2][0]), " a3a6");
    EXPECT_EQ(MoveText(ReadEntry(HashSlot(2)).BestMove), " a3a6");

    // The same node with slot 1 of row 1 empty orders by victim and attacker.
    FreshSearch("6k1/5ppp/p7/4n3/3P4/Q7/8/1R4K1 w - - 0 1");
    PlayText(0, "g1f1");
    PlayText(1, "h7h6");
    Quiesce(2, standPat, standPat + 1);
    EXPECT_EQ(MoveText(st.PvTable[2][0]), " d4e5");
}

TEST(SearchNode, APromotionThatMatesIsNoDiscoveredMateButARealDiscoveredMateCounts) {
    BoardTables& bt = *ThreadBoard;
    SearchThread& st = *ThreadSearch;
    auto mateHistoryTotal = [&] {
        long long total = 0;
        for (int piece = 1; piece <= 12; ++piece)
            for (int square = 1; square <= 64; ++square) total += st.MateHistory[piece][square];
        return total;
    };
    // a8=Q and a8=R mate at once; the promoted piece itself gives the check, so
    // nothing is recorded (the to-byte of a promotion is no square to raise).
    FreshSearch("7k/P5pp/8/8/8/8/8/6K1 w - - 0 1");
    EXPECT_EQ(AlphaBeta(0, 3, -ScoreInfinity, ScoreInfinity, false), 29999);
    EXPECT_TRUE(IsPromotion(st.PvTable[0][0]));
    EXPECT_EQ(mateHistoryTotal(), 0);
    // The quiescence search finds the same mate through its check hand-over.
    FreshSearch("7k/P5pp/8/8/8/8/8/6K1 w - - 0 1");
    EXPECT_EQ(Quiesce(0, -ScoreInfinity, ScoreInfinity), 29999);
    EXPECT_EQ(mateHistoryTotal(), 0);
    // Black to move, mirrored: ...a1=Q mates.
    FreshSearch("6k1/8/8/8/8/8/p5PP/7K b - - 0 1");
    EXPECT_EQ(AlphaBeta(0, 3, -ScoreInfinity, ScoreInfinity, false), 29999);
    EXPECT_EQ(mateHistoryTotal(), 0);

    // A knight leaving d8 uncovers the rook on a8: the knight's move and the
    // rook on its checking square are both raised once.
    FreshSearch("R2N3k/6pp/8/8/8/8/8/6K1 w - - 0 1");
    EXPECT_EQ(AlphaBeta(0, 3, -ScoreInfinity, ScoreInfinity, false), 29999);
    const Move mate = st.PvTable[0][0];
    EXPECT_EQ(bt.PositionStack[0].Board[mate.From], WhiteKnight);
    EXPECT_EQ(st.MateHistory[WhiteKnight][mate.To], 1);
    EXPECT_EQ(st.MateHistory[WhiteRook][57], 1);
    EXPECT_EQ(mateHistoryTotal(), 2);
}
