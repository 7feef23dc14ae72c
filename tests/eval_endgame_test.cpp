// Endgame recognisers, the mating evaluation and the heavy-piece endgame terms.
#include "eval_support.h"

using evaltest::CensusOfRoot;
using evaltest::EvalFen;
using evaltest::SetupOrFail;

TEST(EvalEndgame, MatingEvaluationWithFewPieces) {
    EvalTables& et = *ThreadEval;
    // King and rook against king, black king e5 (centre 5), white king e3,
    // distance 2: 500 + 5090 - 30 - 0.
    EXPECT_EQ(EvalFen("8/8/8/4k3/8/4K3/8/R7 w - - 0 1"), 5560);
    EXPECT_FALSE(et.DeadDrawFlag);
    EXPECT_EQ(EvalFen("8/8/8/4k3/8/4K3/8/R7 b - - 0 1"), -5560);
    // Black's rook: -500 - 5090 + 6 x 2 (white king e1) + 3 x 7 + 4 (black
    // king on the edge).
    EXPECT_EQ(EvalFen("4k3/8/8/8/8/8/8/r3K3 w - - 0 1"), -5590 + 12 + 21 + 4);
    // King and queen against king and bishop: 650 + 220 - 12 - 21 - 4.
    EXPECT_EQ(EvalFen("2b1k3/8/8/8/8/8/8/3QK3 w - - 0 1"), 833);
    // King and rook against king and knight: 175 - 90 - 12 - 3 x 5.
    EXPECT_EQ(EvalFen("1n2k3/8/8/8/3K4/8/8/R7 w - - 0 1"), 58);
    // One rook each: edge value of the black king minus that of the white one.
    EXPECT_EQ(EvalFen("4k2r/8/8/8/3K4/8/8/R7 w - - 0 1"), 4);
    EXPECT_EQ(EvalFen("4k2r/8/8/8/3K4/8/8/R7 b - - 0 1"), -4);
}

TEST(EvalEndgame, TwoKnightsAndTwoRooks) {
    EvalTables& et = *ThreadEval;
    // Two knights against a king in the corner with Black to move: a draw
    // (no dead-draw flag).
    EXPECT_EQ(EvalFen("7k/8/8/8/8/8/8/1NN1K3 b - - 0 1"), 0);
    EXPECT_FALSE(et.DeadDrawFlag);
    // White to move: the general path, 650 - 27 - 26 + 4 + 4.
    EXPECT_EQ(EvalFen("7k/8/8/8/8/8/8/1NN1K3 w - - 0 1"), 605);

    // Two rooks against king and knight: White's mating drive 5000 - 12 - 4.
    SetupOrFail("1n2k3/8/8/8/8/8/8/R3K2R w - - 0 1");
    EvalScan e = CensusOfRoot();
    EXPECT_EQ(HeavyEndgameTerms(e, White), 4984);
    // 675 + 62 + 37 + 27 (scan) + 4984 + 58 (rooks) + 47 (file control)
    // + 19 (black king danger) - 4 (knight) + 175 (Black's lone minor).
    EXPECT_EQ(Evaluate(0), 6080);
}

TEST(EvalEndgame, HeavyPieceDrawishness) {
    // Rook and bishop against a rook: -150; queen and bishop against a queen:
    // -150; queen and bishop against a rook: nothing.
    SetupOrFail("4k2r/8/8/8/8/8/8/R1B1K3 w - - 0 1");
    EvalScan e = CensusOfRoot();
    EXPECT_EQ(HeavyEndgameTerms(e, White), -150);
    EXPECT_EQ(HeavyEndgameTerms(e, Black), 0);
    SetupOrFail("3qk3/8/8/8/8/8/8/2BQK3 w - - 0 1");
    EXPECT_EQ(HeavyEndgameTerms(CensusOfRoot(), White), -150);
    SetupOrFail("4k2r/8/8/8/8/8/8/2BQK3 w - - 0 1");
    EXPECT_EQ(HeavyEndgameTerms(CensusOfRoot(), White), 0);
    // Black's mirror: +150.
    SetupOrFail("r1b1k3/8/8/8/8/8/8/4K2R w - - 0 1");
    EXPECT_EQ(HeavyEndgameTerms(CensusOfRoot(), Black), 150);
    // Against a pawn the mating drive does not apply.
    SetupOrFail("4k3/8/8/8/8/8/P7/4K2r w - - 0 1");
    EXPECT_EQ(HeavyEndgameTerms(CensusOfRoot(), Black), 0);
}

TEST(EvalEndgame, PawnEndings) {
    EvalTables& et = *ThreadEval;
    // White e4, king e5, black king e7, Black to move: White wins:
    // scan 100 + 2 (e4, e5 occupied) + 700 + 18, negated.
    EXPECT_EQ(EvalFen("8/4k3/8/4K3/4P3/8/8/8 b - - 0 1"), -820);
    // White to move: the opposition is Black's: draw.
    EXPECT_EQ(EvalFen("8/4k3/8/4K3/4P3/8/8/8 w - - 0 1"), 0);
    EXPECT_FALSE(et.DeadDrawFlag);
    // Black's mirror: e5, king e4, white king e2, White to move: Black wins.
    EXPECT_EQ(EvalFen("8/8/8/4p3/4k3/8/4K3/8 w - - 0 1"), -820);
    EXPECT_EQ(EvalFen("8/8/8/4p3/4k3/8/4K3/8 b - - 0 1"), 0);
    // The king two ranks in front of its pawn wins with either side to move.
    EXPECT_EQ(EvalFen("4k3/8/4K3/8/4P3/8/8/8 w - - 0 1"), 100 + 3 + 700 + 18);
    // Blocked from in front with the enemy king behind the pawn: draw.
    EXPECT_EQ(EvalFen("8/8/8/4k3/4p3/4K3/8/8 w - - 0 1"), 0);

    // Black pawns on the h-file only, white king h1: draw however many.
    EXPECT_EQ(EvalFen("8/8/2k5/8/7p/7p/8/7K w - - 0 1"), 0);
    EXPECT_EQ(EvalFen("8/8/2k5/8/8/7p/8/7K b - - 0 1"), 0);
    // The white king on the a-file below Black's a-pawn: draw.
    EXPECT_EQ(EvalFen("8/8/8/p7/2k5/K7/8/8 w - - 0 1"), 0);
    // White's a-pawns with the black king in the corner: draw.
    EXPECT_EQ(EvalFen("1k6/8/8/P7/P7/8/8/4K3 w - - 0 1"), 0);
}

TEST(EvalEndgame, PawnsWithMinors) {
    BoardTables& bt = *ThreadBoard;
    // Dark-squared bishop and a-pawns against a king on a8 or b7: the bishop
    // cannot cover a8: draw.
    EXPECT_EQ(EvalFen("k7/8/8/8/8/P7/P7/2B1K3 w - - 0 1"), 0);
    EXPECT_EQ(EvalFen("8/1k6/8/8/8/P7/P7/2B1K3 w - - 0 1"), 0);
    // A light-squared bishop: general path. 525 + 2 - 21 - 19 (scan) - 8
    // (a-pawns: doubled -24, passed 16) + 34 (bishop) - 75.
    EXPECT_EQ(EvalFen("k7/8/8/8/8/P7/P7/3BK3 w - - 0 1"), 438);

    // The white king in front of all black pawns on a square the black
    // bishop cannot reach: draw; with the bishop on the king's colour: no rule.
    EXPECT_EQ(EvalFen("7k/2b5/8/8/3p4/8/8/3K1N2 w - - 0 1"), 0);
    SetupOrFail("7k/1b6/8/8/3p4/8/8/3K1N2 w - - 0 1");
    EvalScan e = CensusOfRoot();
    int value = 12345;
    EXPECT_FALSE(RecogniseEndgame(e, 0, bt.PositionStack[0].Material, value));

    // Both sides with one bishop, each king blockading the other's pawns on
    // a colour the enemy bishop does not cover: draw.
    EXPECT_EQ(EvalFen("8/3b2k1/8/1p6/6P1/8/1K2B3/8 w - - 0 1"), 0);
    // White's bishop on the colour of the black king's square: no rule.
    SetupOrFail("8/3b2k1/8/1p6/6P1/8/1K1B4/8 w - - 0 1");
    e = CensusOfRoot();
    EXPECT_FALSE(RecogniseEndgame(e, 0, bt.PositionStack[0].Material, value));
}
