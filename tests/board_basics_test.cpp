// Board representation: hash keys, constant tables, move codes.
#include <gtest/gtest.h>

#include "board/board.h"

TEST(BoardTables, FirstZobristKeyAndSideKeysFollowTheGenerator) {
    InitZobristKeys();
    EXPECT_EQ(ZobristKeys[1][1].Lo, 1u);
    EXPECT_EQ(ZobristKeys[1][1].Hi, 134775814u);
    // The third draw: 134775814 * 134775813 + 1 modulo 2^32.
    uint32_t third = static_cast<uint32_t>(134775814ull * 134775813ull + 1ull);
    EXPECT_EQ(ZobristKeys[1][2].Lo, third);
    EXPECT_NE(SideKey[0], SideKey[1]);
    KeyPair copy = ZobristKeys[64][12];
    InitZobristKeys();
    EXPECT_EQ(ZobristKeys[64][12].Lo, copy.Lo);
    EXPECT_EQ(ZobristKeys[64][12].Hi, copy.Hi);
}

TEST(BoardTables, TargetListsFollowTheirOffsetOrder) {
    // Knight on b1 (2): of -17, +15, -15, +17, -10, +6, -6, +10 only a3, c3 and d2 stay on the board.
    EXPECT_EQ(KnightTargets[2][0], 17);  // a3 (file - 1, two ranks up)
    EXPECT_EQ(KnightTargets[2][1], 19);  // c3
    EXPECT_EQ(KnightTargets[2][2], 12);  // d2
    EXPECT_EQ(KnightTargets[2][3], 0);
    // King on e4 (29): -1, -9, +7, +1, -7, +9, -8, +8.
    const int expected[8] = {28, 20, 36, 30, 22, 38, 21, 37};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(KingTargets[29][i], expected[i]) << i;
    // King on a1: of the eight steps only +1 (b1), +9 (b2) and +8 (a2) stay on the board.
    EXPECT_EQ(KingTargets[1][0], 2);
    EXPECT_EQ(KingTargets[1][1], 10);
    EXPECT_EQ(KingTargets[1][2], 9);
    EXPECT_EQ(KingTargets[1][3], 0);
    EXPECT_EQ(FileOf[8], 8);
    EXPECT_EQ(RankOf[57], 8);
    EXPECT_EQ(KingCentreTable[1], 1);
    EXPECT_EQ(KingCentreTable[28], 5);  // d4
    EXPECT_EQ(KingCentreTable[19], 4);  // c3
}

TEST(BoardTables, PromotionCodesDecode) {
    EXPECT_EQ(DestinationOf(101), 57);  // a8 queen
    EXPECT_EQ(PromotedPiece(101), WhiteQueen);
    EXPECT_EQ(DestinationOf(148), 8);  // h1 queen
    EXPECT_EQ(PromotedPiece(148), BlackQueen);
    EXPECT_EQ(DestinationOf(78), 64);
    EXPECT_EQ(PromotedPiece(78), WhiteKnight);
    EXPECT_EQ(DestinationOf(133), 3);
    EXPECT_EQ(PromotedPiece(133), BlackRook);
    EXPECT_EQ(DestinationOf(29), 29);
}

TEST(BoardTables, StateCodeExamples) {
    PlyPosition p{};
    for (auto& r : p.CastleRights) r = 1;
    p.SideToMove = White;
    EXPECT_EQ(ComputeStateCode(p), 135);
    for (auto& r : p.CastleRights) r = 0;
    p.SideToMove = Black;
    p.EpFile = 5;
    EXPECT_EQ(ComputeStateCode(p), 149);
}
