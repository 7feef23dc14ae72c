// AttackingSquare: which piece is reported, pawn directions, blocked rays.
#include <gtest/gtest.h>

#include "board_test_util.h"

TEST(Attack, KnightIsReportedBeforeRookAndPawnsFromBothSides) {
    BoardTables& bt = *ThreadBoard;
    FreshTables();
    EmptyBoard(White);
    Put(0, "a1", WhiteKing);
    Put(0, "h8", BlackKing);
    Put(0, "d8", WhiteRook);  // d8 attacks d4 along the file
    Put(0, "c2", WhiteKnight);
    EXPECT_EQ(AttackingSquare(0, Sq("d4"), White), Sq("c2"));
    SetSquare(bt.PositionStack[0], Sq("c2"), Empty);
    EXPECT_EQ(AttackingSquare(0, Sq("d4"), White), Sq("d8"));

    EmptyBoard(White);
    Put(0, "e4", WhitePawn);
    EXPECT_EQ(AttackingSquare(0, Sq("d5"), White), Sq("e4"));
    EXPECT_EQ(AttackingSquare(0, Sq("f5"), White), Sq("e4"));
    EXPECT_EQ(AttackingSquare(0, Sq("e5"), White), 0);
    EXPECT_EQ(AttackingSquare(0, Sq("d3"), White), 0);
    EXPECT_EQ(AttackingSquare(0, Sq("d5"), Black), 0);

    // Black pawn on d5 attacks c4 and e4, not c6.
    EmptyBoard(White);
    Put(0, "d5", BlackPawn);
    EXPECT_EQ(AttackingSquare(0, Sq("c4"), Black), Sq("d5"));
    EXPECT_EQ(AttackingSquare(0, Sq("e4"), Black), Sq("d5"));
    EXPECT_EQ(AttackingSquare(0, Sq("c6"), Black), 0);
}

TEST(Attack, PawnsAreNeverReportedFromBeyondTheirRanks) {
    FreshTables();
    EmptyBoard(White);
    // Pawns standing where no pawn can be: nothing below rank 3 for white
    // and above rank 6 for black is ever reported.
    for (const char* sq : {"a1", "b1", "c1", "d1", "e1", "f1", "g1", "h1"}) Put(0, sq, WhitePawn);
    for (const char* sq : {"a8", "b8", "c8", "d8", "e8", "f8", "g8", "h8"}) Put(0, sq, BlackPawn);
    for (int target = 1; target <= 16; ++target) EXPECT_EQ(AttackingSquare(0, target, White), 0) << target;
    for (int target = 49; target <= 64; ++target) EXPECT_EQ(AttackingSquare(0, target, Black), 0) << target;
}

TEST(Attack, KingNeighboursAndRaysThatStopOrWouldWrap) {
    FreshTables();
    EmptyBoard(Black);
    Put(0, "e5", BlackKing);
    // With only the black king, exactly its eight neighbours are attacked by black.
    int attacked = 0;
    for (int target = 1; target <= 64; ++target) {
        int from = AttackingSquare(0, target, Black);
        if (from != 0) {
            ++attacked;
            EXPECT_EQ(from, Sq("e5"));
            EXPECT_LE(std::abs(FileOf[target] - 5), 1);
            EXPECT_LE(std::abs(RankOf[target] - 5), 1);
        }
    }
    EXPECT_EQ(attacked, 8);

    EmptyBoard(White);
    Put(0, "a1", WhiteRook);
    EXPECT_EQ(AttackingSquare(0, Sq("a3"), White), Sq("a1"));
    Put(0, "a2", BlackKnight);
    EXPECT_EQ(AttackingSquare(0, Sq("a3"), White), 0);
    Put(0, "a2", WhitePawn);
    EXPECT_EQ(AttackingSquare(0, Sq("a3"), White), 0);

    EmptyBoard(White);
    Put(0, "h1", WhiteRook);
    EXPECT_EQ(AttackingSquare(0, Sq("a2"), White), 0);  // h1 -> a2 would wrap
    EXPECT_EQ(AttackingSquare(0, Sq("a1"), White), Sq("h1"));
    EmptyBoard(White);
    Put(0, "h2", WhiteBishop);
    EXPECT_EQ(AttackingSquare(0, Sq("a2"), White), 0);
    EXPECT_EQ(AttackingSquare(0, Sq("a3"), White), 0);  // h2 -> a3 is not a diagonal
    EXPECT_EQ(AttackingSquare(0, Sq("b8"), White), Sq("h2"));
    EXPECT_EQ(AttackingSquare(0, Sq("g1"), White), Sq("h2"));
    // A queen attacks along both kinds of lines; a bishop never along a file.
    EmptyBoard(White);
    Put(0, "d1", WhiteQueen);
    Put(0, "f1", WhiteBishop);
    EXPECT_EQ(AttackingSquare(0, Sq("d8"), White), Sq("d1"));
    EXPECT_EQ(AttackingSquare(0, Sq("h3"), White), Sq("f1"));
    EXPECT_EQ(AttackingSquare(0, Sq("f8"), White), 0);
}
