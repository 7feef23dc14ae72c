// IsRepetition: the search line, the game history, the fifty-move count and
// a game far longer than the history.
#include <gtest/gtest.h>

#include <string>

#include "board_test_util.h"

namespace {

// Makes the move from-to at ply (into ply + 1), as the searches do.
void PlayAt(int ply, const char* from, const char* to) {
    BoardTables& bt = *ThreadBoard;
    const PlyPosition& p = bt.PositionStack[ply];
    bt.CheckerSquare[ply] = AttackingSquare(ply, p.KingSquare[p.SideToMove], 1 - p.SideToMove);
    GenerateMoves(ply, true);
    const int n = FindMove(ply, Sq(from), Sq(to));
    ASSERT_NE(n, 0) << from << to;
    MakeMove(ply + 1, n);
}

}  // namespace

TEST(Repetition, KnightsOutAndBackRepeatTheRoot) {
    BoardTables& bt = *ThreadBoard;
    FreshTables();
    PrepareRoot();
    PlayAt(0, "g1", "f3");
    PlayAt(1, "g8", "f6");
    PlayAt(2, "f3", "g1");
    PlayAt(3, "f6", "g8");
    EXPECT_EQ(bt.PositionStack[4].HalfmoveClock, 4);
    EXPECT_EQ(bt.RepStatus[4], -1);
    EXPECT_TRUE(IsRepetition(4));
    EXPECT_EQ(bt.RepStatus[4], 1);
    // Plies 1 to 3 are within four plies of the last pawn move.
    EXPECT_FALSE(IsRepetition(3));
    EXPECT_FALSE(IsRepetition(0));

    // A record in which the same side moves again is never a repetition.
    bt.PositionStack[5] = bt.PositionStack[4];
    bt.RepStatus[5] = -1;
    EXPECT_FALSE(IsRepetition(5));
    EXPECT_EQ(bt.RepStatus[5], -1);

    // After a capture or pawn move the clock restarts: no repetition.
    PlayAt(4, "e2", "e4");
    EXPECT_EQ(bt.RepStatus[5], 0);
    EXPECT_FALSE(IsRepetition(5));
}

TEST(Repetition, GameHistoryNeedsTwoEarlierOccurrences) {
    BoardTables& bt = *ThreadBoard;
    FreshTables();
    // The game went Nf3 Nf6 Ng1 Ng8 (the start position once before the root),
    // then Nf3 Nf6: the root is the position after 1. Nf3 Nf6 for the second time.
    SetPosition("position startpos moves g1f3 g8f6 f3g1 f6g8 g1f3 g8f6",
                "position startpos moves g1f3 g8f6 f3g1 f6g8 g1f3 g8f6");
    ASSERT_EQ(bt.PositionStack[0].HalfmoveClock, 6);
    // Search line: Ng1 Ng8 Nf3 Nf6 Ng1 Ng8 reaches the start position at ply 2 and ply 6.
    PlayAt(0, "f3", "g1");
    PlayAt(1, "f6", "g8");
    // Clock 8, ply 2: only the game history can be used; the start position
    // occurred there twice (records 0 and 4).
    EXPECT_EQ(bt.RepStatus[2], -1);
    EXPECT_TRUE(IsRepetition(2));

    // Once in the history is not enough: here the start position occurred
    // only at record 0.
    SetPosition("position startpos moves g1f3 g8f6 b1c3 b8c6 f3g1 f6g8",
                "position startpos moves g1f3 g8f6 b1c3 b8c6 f3g1 f6g8");
    PlayAt(0, "c3", "b1");
    PlayAt(1, "c6", "b8");
    EXPECT_EQ(bt.RepStatus[2], -1);
    EXPECT_FALSE(IsRepetition(2));
    EXPECT_EQ(bt.RepStatus[2], 0);
}

TEST(Repetition, FiftyMoveCountAndVeryLongGames) {
    BoardTables& bt = *ThreadBoard;
    FreshTables();
    Fen("4k3/8/8/8/8/8/8/4K2N w - - 100 80");
    PlayAt(0, "h1", "g3");
    EXPECT_EQ(bt.PositionStack[1].HalfmoveClock, 101);
    EXPECT_TRUE(IsRepetition(1));

    // 300 plies of knight moves without a capture or pawn move: the clock and
    // the history stay in bounds, and repetitions are still seen.
    std::string line = "position startpos moves e2e4 e7e5";
    const char* cycle[4] = {" g1f3", " g8f6", " f3g1", " f6g8"};
    const char* wander[8] = {" b1c3", " b8c6", " c3b5", " c6b4", " b5c3", " b4c6", " c3b1", " c6b8"};
    for (int i = 0; i < 300; ++i) line += (i / 8) % 2 == 0 ? wander[i % 8] : cycle[i % 4];
    SetPosition(line, line);
    EXPECT_EQ(LastPositionLine, line);  // every move was played
    EXPECT_EQ(bt.PositionStack[0].HalfmoveClock, 100);
    for (int i = 0; i <= 100; ++i) EXPECT_TRUE(bt.GameHistory[i].Side == 0 || bt.GameHistory[i].Side == 1) << i;
    // The latest 101 positions are kept: the root, and the same position
    // four and twelve plies earlier, are in records 100, 96 and 88.
    EXPECT_EQ(bt.GameHistory[100].KeyLo, bt.PositionStack[0].KeyLo);
    for (int i : {96, 88}) {
        EXPECT_EQ(bt.GameHistory[i].KeyLo, bt.PositionStack[0].KeyLo) << i;
        EXPECT_EQ(bt.GameHistory[i].KeyHi, bt.PositionStack[0].KeyHi) << i;
    }
    EXPECT_NE(bt.GameHistory[99].KeyLo, bt.PositionStack[0].KeyLo);
    // With the clock at 100, any further reversible move is the fifty-move draw.
    PlayAt(0, "g1", "f3");
    EXPECT_EQ(bt.RepStatus[1], 1);
    EXPECT_TRUE(IsRepetition(1));
}
