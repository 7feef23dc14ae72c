// Move text: the coordinate form of moves, promotions and the empty move.
#include <gtest/gtest.h>

#include "board/movetext.h"

TEST(MoveTextTest, CoordinateTextOfMovesAndPromotions) {
    EXPECT_EQ(MoveText({13, 29}), " e2e4");
    EXPECT_EQ(MoveText({5, 7}), " e1g1");
    EXPECT_EQ(MoveText({53, 105}), " e7e8q");
    EXPECT_EQ(MoveText({55, 78}), " g7h8n");
    EXPECT_EQ(MoveText({10, 111}), " b2a1n");
    EXPECT_EQ(MoveText({15, 147}), " g2g1q");
    EXPECT_EQ(MoveText({12, 133}), " d2c1r");
    EXPECT_EQ(MoveText({52, 91}), " d7a8r");  // 91 - 34 = 57
    EXPECT_EQ(MoveText({0, 0}), " 0000");
    for (int bad : {65, 70, 79, 80, 109, 110, 119, 149, 255})
        EXPECT_EQ(MoveText({12, static_cast<uint8_t>(bad)}), " 0000") << bad;
}
