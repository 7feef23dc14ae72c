// The debug check of a position record (board/consistency.cpp) and the
// per-ply record that saves, restores and copies every per-ply table
// (search/plies.h).
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "board_test_util.h"
#include "eval/evaluate.h"
#include "search/plies.h"

namespace {

// Puts a piece (or Empty) on a square of a record, keeping its keys and
// material in step, so that only the rule under test is broken.
void SetSquare(PlyPosition& p, const char* square, int piece) {
    const int s = Sq(square);
    for (const int code : {static_cast<int>(p.Board[s]), piece}) {
        if (code == Empty) continue;
        p.KeyLo ^= ZobristKeys[s][code].Lo;
        p.KeyHi ^= ZobristKeys[s][code].Hi;
    }
    p.Material += PieceValue[piece] - PieceValue[p.Board[s]];
    p.Board[s] = static_cast<uint8_t>(piece);
}

}  // namespace

TEST(PositionCheck, PlayedPositionsPassAndEachCorruptionIsCaught) {
    BoardTables& bt = *ThreadBoard;
    FreshTables();
    Fen("r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1");
    ASSERT_TRUE(PositionIsConsistent(0));
    // Every legal move of the root (both castlings among them) and every
    // legal reply keeps the record consistent.
    int checked = 0;
    for (int i = 1; i <= bt.PositionStack[0].MoveCount; ++i) {
        MakeMove(1, i);
        if (!MoveWasLegal(1)) continue;
        EXPECT_TRUE(PositionIsConsistent(1)) << i;
        bt.CheckerSquare[1] = AttackingSquare(1, bt.PositionStack[1].KingSquare[Black], White);
        GenerateMoves(1, true);
        for (int j = 1; j <= bt.PositionStack[1].MoveCount; ++j) {
            MakeMove(2, j);
            if (MoveWasLegal(2)) {
                EXPECT_TRUE(PositionIsConsistent(2)) << i << " " << j;
            }
            ++checked;
        }
    }
    EXPECT_GT(checked, 1500);

    // The side to move flipped on the same record, as a threat search does.
    bt.PositionStack[3] = bt.PositionStack[0];
    bt.PositionStack[3].SideToMove = Black;
    EXPECT_TRUE(PositionIsConsistent(3));

    const std::vector<std::pair<std::string, std::function<void(PlyPosition&)>>> corruptions = {
        {"a piece moved without its keys", [](PlyPosition& p) { std::swap(p.Board[Sq("a2")], p.Board[Sq("a4")]); }},
        {"material off by one", [](PlyPosition& p) { p.Material += 1; }},
        {"upper key half", [](PlyPosition& p) { p.KeyHi ^= 1; }},
        {"king square", [](PlyPosition& p) { p.KingSquare[White] = Sq("d1"); }},
        {"second king", [](PlyPosition& p) { SetSquare(p, "d1", WhiteKing); }},
        {"no black king", [](PlyPosition& p) { SetSquare(p, "e8", Empty); }},
        {"pawn on its last rank",
         [](PlyPosition& p) {
             SetSquare(p, "a2", Empty);
             SetSquare(p, "b8", WhitePawn);
         }},
        {"ninth pawn",
         [](PlyPosition& p) {
             SetSquare(p, "a6", Empty);
             SetSquare(p, "d4", BlackPawn);
         }},
        {"right without its rook", [](PlyPosition& p) { SetSquare(p, "h1", Empty); }},
        {"piece code beyond the kings", [](PlyPosition& p) { p.Board[Sq("d4")] = 13; }},
        {"side to move", [](PlyPosition& p) { p.SideToMove = 2; }},
        {"state code", [](PlyPosition& p) { p.StateCode += 9; }},
        {"en-passant file", [](PlyPosition& p) { p.EpFile = 9; }},
    };
    for (const auto& [name, corrupt] : corruptions) {
        bt.PositionStack[3] = bt.PositionStack[0];
        corrupt(bt.PositionStack[3]);
        EXPECT_FALSE(PositionIsConsistent(3)) << name;
    }
}

TEST(PlyRecord, SaveRestoreAndCopyCarryEveryPerPlyTable) {
    BoardTables& bt = *ThreadBoard;
    EvalTables& et = *ThreadEval;
    SearchThread& st = *ThreadSearch;
    FreshTables();
    Fen("8/5k2/8/3pP3/8/8/5K2/8 w - d6 0 1");
    const int p = 5;
    auto fill = [&](int ply) {
        bt.PositionStack[ply] = bt.PositionStack[0];
        bt.MoveList[ply][1] = Move{37, 44};
        bt.MoveList[ply][MoveListCapacity - 1] = Move{13, 21};
        bt.CheckerSquare[ply] = 17;
        bt.BareKing[ply] = 1;
        bt.RepStatus[ply] = RepDraw;
        bt.LastMove[ply] = LastMoveRecord{WhitePawn, 21};
        et.EvalCache[ply][White] = 123;
        et.EvalCache[ply][Black] = -45;
        et.LeadPawnSquare[ply][White] = 37;
        et.LeadPawnSquare[ply][Black] = 36;
        st.VerifiedCount[ply] = 7;
    };
    auto expectFilled = [&](int ply) {
        EXPECT_EQ(std::memcmp(bt.PositionStack[ply].Board, bt.PositionStack[0].Board, sizeof bt.PositionStack[0].Board),
                  0);
        EXPECT_EQ(bt.PositionStack[ply].Board[Sq("e5")], WhitePawn);
        EXPECT_EQ(bt.PositionStack[ply].EpFile, bt.PositionStack[0].EpFile);
        EXPECT_EQ(bt.PositionStack[ply].KeyLo, bt.PositionStack[0].KeyLo);
        EXPECT_EQ(bt.PositionStack[ply].KingSquare[Black], Sq("f7"));
        EXPECT_TRUE((bt.MoveList[ply][1] == Move{37, 44}));
        EXPECT_TRUE((bt.MoveList[ply][MoveListCapacity - 1] == Move{13, 21}));
        EXPECT_EQ(bt.CheckerSquare[ply], 17);
        EXPECT_EQ(bt.BareKing[ply], 1);
        EXPECT_EQ(bt.RepStatus[ply], RepDraw);
        EXPECT_EQ(bt.LastMove[ply].MovedPiece, WhitePawn);
        EXPECT_EQ(bt.LastMove[ply].FromSquare, 21);
        EXPECT_EQ(et.EvalCache[ply][White], 123);
        EXPECT_EQ(et.EvalCache[ply][Black], -45);
        EXPECT_EQ(et.LeadPawnSquare[ply][White], 37);
        EXPECT_EQ(et.LeadPawnSquare[ply][Black], 36);
        EXPECT_EQ(st.VerifiedCount[ply], 7);
    };
    fill(p);
    PlyRecord record;
    SavePly(record, p);
    // Whatever a search writes into the ply afterwards...
    bt.PositionStack[p] = PlyPosition{};
    bt.MoveList[p][1] = bt.MoveList[p][MoveListCapacity - 1] = Move{0, 0};
    bt.CheckerSquare[p] = bt.BareKing[p] = 0;
    bt.RepStatus[p] = RepUnknown;
    bt.LastMove[p] = LastMoveRecord{0, 0};
    ResetEvalPly(p);
    st.VerifiedCount[p] = 0;
    // ...goes with the restore.
    RestorePly(record, p);
    expectFilled(p);
    // A record restores into any ply.
    RestorePly(record, p + 1);
    expectFilled(p + 1);
}
