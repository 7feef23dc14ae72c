// The transposition table: sizes, clearing, slots and matches, the child
// bound, and the "Hash" option's log line.
#include <gtest/gtest.h>

#include <string>

#include "board_test_util.h"
#include "engine_process.h"

TEST(HashTable, EntryCountsForHashSizes) {
    EXPECT_EQ(EntryCountFor(1), 69905u);
    EXPECT_EQ(EntryCountFor(16), 1118481u);
    EXPECT_EQ(EntryCountFor(64), 4473924u);
    EXPECT_EQ(EntryCountFor(4096), 286331153u);
    // Out-of-range values are clamped to 1..4096.
    EXPECT_EQ(EntryCountFor(0), 69905u);
    EXPECT_EQ(EntryCountFor(-5), 69905u);
    EXPECT_EQ(EntryCountFor(4097), 286331153u);
    EXPECT_EQ(EntryCountFor(1'000'000), 286331153u);
}

TEST(HashTable, ResizeClearAndMatch) {
    BoardTables& bt = *ThreadBoard;
    FreshTables();
    ResizeHashTable(2);
    EXPECT_EQ(EntryCount, 139810u);
    for (uint32_t i = 0; i < EntryCount; i += 997) {
        const HashEntry cleared = ReadEntry(i);
        const int depth = cleared.StoredDepth;
        const uint32_t key = cleared.CheckKey;
        const int code = cleared.CheckCode;
        EXPECT_EQ(depth, -128);
        EXPECT_EQ(key, 0u);
        EXPECT_EQ(code, -32768);
    }
    PrepareRoot();
    const PlyPosition& p = bt.PositionStack[0];
    EXPECT_EQ(HashSlot(0), (p.KeyLo ^ SideKey[p.SideToMove]) % EntryCount);
    HashEntry e = ReadEntry(HashSlot(0));
    StampEntry(e, 0);
    e.StoredDepth = 5;
    WriteEntry(HashSlot(0), e);
    EXPECT_TRUE(HashMatches(ReadEntry(HashSlot(0)), 0));
    e.CheckCode = static_cast<int16_t>(p.StateCode + 1);
    EXPECT_FALSE(HashMatches(e, 0));
    // The check word's last byte holds KeyLo's top byte: another one (a
    // position that shares the slot and KeyHi) does not match either.
    StampEntry(e, 0);
    e.CheckByte ^= 0x80;
    WriteEntry(HashSlot(0), e);
    EXPECT_EQ(ReadEntry(HashSlot(0)).CheckByte, e.CheckByte);
    EXPECT_FALSE(HashMatches(ReadEntry(HashSlot(0)), 0));
    EXPECT_EQ(ChildBound(0, 0, BoundKind::Upper), 32000);
    ClearHashTable();
    EXPECT_FALSE(HashMatches(ReadEntry(HashSlot(0)), 0));
    ResizeHashTable(0);  // clamped to 1 megabyte
    EXPECT_EQ(EntryCount, 69905u);
}

TEST(HashTable, ChildBoundReadsTheChildsEntryFromTheParentsSide) {
    BoardTables& bt = *ThreadBoard;
    FreshTables();
    PrepareRoot();
    MakeMove(1, FindMove(0, Sq("g1"), Sq("f3")));
    EXPECT_EQ(ChildBound(1, 5, BoundKind::Upper), 32000);
    EXPECT_EQ(ChildBound(1, 5, BoundKind::Lower), -32000);
    HashEntry e = ReadEntry(HashSlot(1));
    StampEntry(e, 1);
    e.StoredDepth = 4;
    e.LowerBound = -40;
    e.UpperBound = 25;
    WriteEntry(HashSlot(1), e);
    EXPECT_EQ(ChildBound(1, 5, BoundKind::Upper), 40);  // 4 >= 5 - 1
    EXPECT_EQ(ChildBound(1, 5, BoundKind::Lower), -25);
    EXPECT_EQ(ChildBound(1, 6, BoundKind::Upper), 32000);  // too shallow
    e.LowerBound = 0;
    WriteEntry(HashSlot(1), e);
    EXPECT_EQ(ChildBound(1, 5, BoundKind::Upper), 0);

    // A child that repeats an earlier position is worth 0 without any entry.
    ClearHashTable();
    PrepareRoot();
    int ply = 0;
    for (auto [from, to] : {std::pair{"g1", "f3"}, {"g8", "f6"}, {"f3", "g1"}, {"f6", "g8"}}) {
        const PlyPosition& p = bt.PositionStack[ply];
        bt.CheckerSquare[ply] = AttackingSquare(ply, p.KingSquare[p.SideToMove], 1 - p.SideToMove);
        GenerateMoves(ply, true);
        MakeMove(ply + 1, FindMove(ply, Sq(from), Sq(to)));
        ++ply;
    }
    EXPECT_EQ(ChildBound(4, 8, BoundKind::Upper), 0);
    EXPECT_EQ(ChildBound(4, 8, BoundKind::Lower), 0);
}

TEST(HashTable, HashOptionLogsTheEntryCount) {
    EngineProcess engine;
    engine.Send("setoption name Hash value 64");
    engine.Send("setoption name Hash value 0");
    engine.Send("setoption name Clear Hash");
    engine.Send("isready");
    ASSERT_FALSE(engine.ReadUntil("readyok").empty());
    engine.Send("quit");
    EXPECT_EQ(engine.Wait(), 0);
    const std::string log = engine.ReadFile("Log.Txt");
    EXPECT_NE(log.find("GUI: setoption name Hash value 64\r\nSetze Hash auf 4473924\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find("GUI: setoption name Hash value 0\r\n"
                       "Quill: info string option Hash: value 0 is out of range 1..4096; using 1\r\n"
                       "Setze Hash auf 69905\r\n"),
              std::string::npos)
        << log;
    EXPECT_EQ(log.find("Setze Hash auf", log.find("Clear Hash")), std::string::npos);
}

TEST(HashTable, SlotIsTheKeysRemainderForEverySizeAndKey) {
    BoardTables& bt = *ThreadBoard;
    FreshTables();
    const uint32_t keys[] = {0u, 1u, 69904u, 69905u, 69906u, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFEu, 0xFFFFFFFFu};
    PlyPosition& p = bt.PositionStack[5];
    p.SideToMove = White;
    uint32_t state = 12345;
    for (int megabytes : {1, 2, 3, 7, 13}) {
        ResizeHashTable(megabytes);
        ASSERT_EQ(EntryCount, EntryCountFor(megabytes));
        for (uint32_t key : keys) {
            for (Side side : {White, Black}) {
                // Keys that give exactly x after the side key is mixed in.
                p.KeyLo = key ^ SideKey[side];
                p.SideToMove = side;
                EXPECT_EQ(HashSlot(5), key % EntryCount) << megabytes << " MB, key " << key;
            }
        }
        for (int n = 0; n < 20000; ++n) {
            state = state * 1664525u + 1013904223u;
            p.KeyLo = state;
            p.SideToMove = static_cast<Side>(n & 1);
            ASSERT_EQ(HashSlot(5), (state ^ SideKey[n & 1]) % EntryCount) << megabytes << " MB, key " << state;
        }
    }
    ResizeHashTable(1);
}

TEST(HashTable, AnEntryMixedFromTwoStoresMatchesNeitherPosition) {
    FreshTables();
    PrepareRoot();
    HashEntry a{};
    a.CheckKey = 0x12345678u;
    a.CheckCode = 17;
    a.StoredDepth = 6;
    a.LowerBound = -40;
    a.UpperBound = 25;
    a.BestMove = Move{13, 29};
    HashEntry b = a;
    b.CheckKey = 0x9ABCDEF0u;
    b.CheckCode = 161;
    b.LowerBound = 300;
    const uint32_t slot = 1234;
    WriteEntry(slot, a);
    const HashWords first = HashTable[slot];
    WriteEntry(slot, b);
    const HashWords second = HashTable[slot];
    // Each store reads back whole.
    EXPECT_EQ(ReadEntry(slot).CheckKey, b.CheckKey);
    EXPECT_EQ(ReadEntry(slot).LowerBound, 300);
    // The check word of one store with the data word of the other: no key of
    // either, so no position takes the other's bounds.
    for (const HashWords& torn : {HashWords{first.Check, second.Data}, HashWords{second.Check, first.Data}}) {
        HashTable[slot] = torn;
        const HashEntry e = ReadEntry(slot);
        EXPECT_FALSE(e.CheckKey == a.CheckKey && e.CheckCode == a.CheckCode);
        EXPECT_FALSE(e.CheckKey == b.CheckKey && e.CheckCode == b.CheckCode);
    }
    // Whatever the words hold, the moves read back are well-formed.
    HashTable[slot] = HashWords{0, 0xFFFF'FFFF'0000'0000ull};
    EXPECT_TRUE(IsEmptyMove(ReadEntry(slot).BestMove));
    EXPECT_TRUE(IsEmptyMove(ReadEntry(slot).PreviousBest));
}

TEST(HashTable, ZeroMemoryReadsAsEmptyAndAClearedEntryIsZero) {
    // A new table comes from the allocator as zero memory, uncleared: every
    // entry of zero bits must read as empty, give no child bound and match
    // no position, and clearing or wiping an entry without data leaves zero bits.
    FreshTables();
    PrepareRoot();
    MakeMove(1, FindMove(0, Sq("e2"), Sq("e4")));
    const uint32_t slot = HashSlot(1);
    HashTable[slot] = HashWords{0, 0};
    const HashEntry e = ReadEntry(slot);
    EXPECT_EQ(e.CheckKey, 0u);
    EXPECT_EQ(e.CheckCode, -32768);
    EXPECT_EQ(e.StoredDepth, -128);
    EXPECT_TRUE(IsEmptyMove(e.BestMove));
    EXPECT_FALSE(HashMatches(e, 1));
    EXPECT_EQ(ChildBound(1, -100, BoundKind::Upper), 32000);
    ClearHashTable();
    EXPECT_EQ(HashTable[slot].Check, 0u);
    EXPECT_EQ(HashTable[slot].Data, 0u);
    // A stored entry, wiped as "ucinewgame" does, is zero bits again.
    HashEntry stored = e;
    StampEntry(stored, 1);
    stored.StoredDepth = 3;
    stored.LowerBound = 12;
    WriteEntry(slot, stored);
    EXPECT_TRUE(HashMatches(ReadEntry(slot), 1));
    WipeHashTable();
    EXPECT_EQ(HashTable[slot].Check, 0u);
    EXPECT_EQ(HashTable[slot].Data, 0u);
    // A resized table is empty without having been cleared.
    ResizeHashTable(3);
    for (uint32_t i = 0; i < EntryCount; i += 4099) EXPECT_EQ(ReadEntry(i).StoredDepth, -128);
    ResizeHashTable(1);
}
