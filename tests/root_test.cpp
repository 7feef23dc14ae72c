// PrepareRoot: derived fields, game history, check and root list;
// PrepareSearchRoot on top of it: the first iteration depth taken from the table.
#include <gtest/gtest.h>

#include "board_test_util.h"
#include "search/control.h"
#include "search/search.h"

namespace {

// Stores an entry for the ply-0 position.
void StoreRoot(int depth, int lower, int upper) {
    HashEntry e = ReadEntry(HashSlot(0));
    StampEntry(e, 0);
    e.StoredDepth = static_cast<int8_t>(depth);
    e.LowerBound = static_cast<int16_t>(lower);
    e.UpperBound = static_cast<int16_t>(upper);
    WriteEntry(HashSlot(0), e);
}

}  // namespace

TEST(PrepareRoot, InitialPositionIsCompleted) {
    BoardTables& bt = *ThreadBoard;
    SearchThread& st = *ThreadSearch;
    FreshTables();
    bt.GameHistory[0] = GameHistoryRecord{1, 2, 3, 4, 1};
    st.VerifiedCount[0] = 7;
    PrepareSearchRoot();
    const PlyPosition& p = bt.PositionStack[0];
    EXPECT_EQ(p.Material, 0);
    EXPECT_EQ(p.KingSquare[White], 5);
    EXPECT_EQ(p.KingSquare[Black], 61);
    EXPECT_EQ(p.StateCode, 135);
    EXPECT_EQ(bt.CheckerSquare[0], 0);
    EXPECT_EQ(p.MoveCount, 20);
    EXPECT_EQ(bt.GameHistory[0].KeyLo, p.KeyLo);
    EXPECT_EQ(bt.GameHistory[0].KeyHi, p.KeyHi);
    EXPECT_EQ(bt.GameHistory[0].Side, White);
    // The move that led into the record is not PrepareRoot's to change.
    EXPECT_EQ(bt.LastMove[0].MovedPiece, 3);
    EXPECT_EQ(bt.LastMove[0].FromSquare, 4);
    EXPECT_EQ(st.StartDepth, 3);
    EXPECT_EQ(st.VerifiedCount[0], 0);  // a fresh root list: nothing verified yet
    EXPECT_NE(p.KeyLo | p.KeyHi, 0u);

    // Same pieces, different castling rights: same key, different state code.
    Fen("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1");
    const uint32_t lo = bt.PositionStack[0].KeyLo, hi = bt.PositionStack[0].KeyHi;
    const int code = bt.PositionStack[0].StateCode;
    Fen("r3k2r/8/8/8/8/8/8/R3K2R w Kq - 0 1");
    EXPECT_EQ(bt.PositionStack[0].KeyLo, lo);
    EXPECT_EQ(bt.PositionStack[0].KeyHi, hi);
    EXPECT_NE(bt.PositionStack[0].StateCode, code);
}

TEST(PrepareRoot, KnightCheckIsFoundAndEvaded) {
    BoardTables& bt = *ThreadBoard;
    FreshTables();
    Fen("4k3/8/8/8/8/5n2/8/4K3 w - - 0 1");
    EXPECT_EQ(bt.CheckerSquare[0], Sq("f3"));
    // Contact evasions: the king's five moves and nothing else.
    EXPECT_EQ(bt.PositionStack[0].MoveCount, 5);
    for (int n = 1; n <= 5; ++n) EXPECT_EQ(bt.MoveList[0][n].From, Sq("e1"));
}

TEST(PrepareRoot, StartDepthFromTheTable) {
    BoardTables& bt = *ThreadBoard;
    SearchThread& st = *ThreadSearch;
    FreshTables();
    PrepareSearchRoot();
    EXPECT_EQ(st.StartDepth, 3);  // empty entry
    StoreRoot(10, -50, 50);
    PrepareSearchRoot();
    EXPECT_EQ(st.StartDepth, 10);
    StoreRoot(1, -50, 50);
    PrepareSearchRoot();
    EXPECT_EQ(st.StartDepth, 3);
    StoreRoot(79, 29995, 30001);
    PrepareSearchRoot();
    EXPECT_EQ(st.StartDepth, 7);
    StoreRoot(79, -29990, -29990);
    PrepareSearchRoot();
    EXPECT_EQ(st.StartDepth, 79);  // equal bounds: a final score
    StoreRoot(79, -30001, -29996);
    PrepareSearchRoot();
    EXPECT_EQ(st.StartDepth, 6);
    // A distant mate never asks for more than the deepest iteration.
    StoreRoot(79, 20001, 30001);
    PrepareSearchRoot();
    EXPECT_EQ(st.StartDepth, 79);
    StoreRoot(79, -30001, -20001);
    PrepareSearchRoot();
    EXPECT_EQ(st.StartDepth, 79);
    // Another state code (black to move) does not match.
    StoreRoot(12, 0, 0);
    HashEntry other = ReadEntry(HashSlot(0));
    other.CheckCode = static_cast<int16_t>(bt.PositionStack[0].StateCode + 144);
    WriteEntry(HashSlot(0), other);
    PrepareSearchRoot();
    EXPECT_EQ(st.StartDepth, 3);
    ClearHashTable();
    PrepareSearchRoot();
    EXPECT_EQ(st.StartDepth, 3);
}
