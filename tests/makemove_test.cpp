// MakeMove: incremental material, keys, castling rights, en passant,
// promotions, clock and RepStatus.
#include <gtest/gtest.h>

#include <random>

#include "board_test_util.h"
#include "eval/evaluate.h"

namespace {

KeyPair Xor(KeyPair a, int square, int piece) {
    a.Lo ^= ZobristKeys[square][piece].Lo;
    a.Hi ^= ZobristKeys[square][piece].Hi;
    return a;
}

// Makes the move from-to (to-byte) of the ply-0 list into ply 1.
void Play(int from, int toByte) {
    const int n = FindMove(0, from, toByte);
    ASSERT_NE(n, 0) << from << "-" << toByte;
    MakeMove(1, n);
}

// Material, keys, king squares, square sets and state code recomputed from
// the board.
void ExpectConsistent(int ply) {
    BoardTables& bt = *ThreadBoard;
    const PlyPosition& p = bt.PositionStack[ply];
    int material = 0;
    uint32_t lo = 0, hi = 0;
    uint64_t pieceSquares[13] = {}, sideSquares[2] = {};
    for (int sq = 1; sq <= 64; ++sq) {
        const int piece = p.Board[sq];
        if (piece == Empty) continue;
        pieceSquares[piece] |= uint64_t{1} << (sq - 1);
        sideSquares[piece <= WhiteKing ? White : Black] |= uint64_t{1} << (sq - 1);
        material += PieceValue[piece];
        lo ^= ZobristKeys[sq][piece].Lo;
        hi ^= ZobristKeys[sq][piece].Hi;
        if (piece == WhiteKing) {
            EXPECT_EQ(p.KingSquare[White], sq);
        }
        if (piece == BlackKing) {
            EXPECT_EQ(p.KingSquare[Black], sq);
        }
    }
    EXPECT_EQ(p.Material, material);
    EXPECT_EQ(p.KeyLo, lo);
    EXPECT_EQ(p.KeyHi, hi);
    EXPECT_EQ(p.StateCode, ComputeStateCode(p));
    for (int piece = WhitePawn; piece <= BlackKing; ++piece)
        EXPECT_EQ(p.PieceSquares[piece], pieceSquares[piece]) << piece;
    EXPECT_EQ(p.SideSquares[White], sideSquares[White]);
    EXPECT_EQ(p.SideSquares[Black], sideSquares[Black]);
}

}  // namespace

TEST(MakeMove, KingSideCastlingMovesTheRookAndClearsBothRights) {
    BoardTables& bt = *ThreadBoard;
    FreshTables();
    Fen("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 3 1");
    const PlyPosition before = bt.PositionStack[0];
    Play(Sq("e1"), Sq("g1"));
    const PlyPosition& p = bt.PositionStack[1];
    EXPECT_EQ(p.Board[Sq("g1")], WhiteKing);
    EXPECT_EQ(p.Board[Sq("f1")], WhiteRook);
    EXPECT_EQ(p.Board[Sq("h1")], Empty);
    EXPECT_EQ(p.Board[Sq("e1")], Empty);
    EXPECT_EQ(p.CastleRights[0], 0);
    EXPECT_EQ(p.CastleRights[1], 0);
    EXPECT_EQ(p.CastleRights[2], 1);
    EXPECT_EQ(p.CastleRights[3], 1);
    EXPECT_EQ(p.Material, before.Material);
    EXPECT_EQ(p.HalfmoveClock, 4);
    EXPECT_EQ(p.KingSquare[White], Sq("g1"));
    EXPECT_EQ(p.StateCode, before.StateCode - 27 + 144);
    KeyPair k{before.KeyLo, before.KeyHi};
    k = Xor(Xor(Xor(Xor(k, Sq("e1"), WhiteKing), Sq("g1"), WhiteKing), Sq("h1"), WhiteRook), Sq("f1"), WhiteRook);
    EXPECT_EQ(p.KeyLo, k.Lo);
    EXPECT_EQ(p.KeyHi, k.Hi);
    EXPECT_EQ(bt.LastMove[1].MovedPiece, WhiteKing);
    EXPECT_EQ(bt.LastMove[1].FromSquare, Sq("e1"));
    ExpectConsistent(1);

    // Black queen-side: rook a8 to d8.
    Fen("r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1");
    Play(Sq("e8"), Sq("c8"));
    EXPECT_EQ(bt.PositionStack[1].Board[Sq("d8")], BlackRook);
    EXPECT_EQ(bt.PositionStack[1].Board[Sq("a8")], Empty);
    EXPECT_EQ(bt.PositionStack[1].KingSquare[Black], Sq("c8"));
    ExpectConsistent(1);
}

TEST(MakeMove, PromotionsAndCapturesOnRookSquares) {
    BoardTables& bt = *ThreadBoard;
    FreshTables();
    Fen("1r2k3/P7/8/8/8/8/8/4K3 w - - 9 1");
    const PlyPosition before = bt.PositionStack[0];
    Play(Sq("a7"), 101);  // a8 queen
    const PlyPosition& p = bt.PositionStack[1];
    EXPECT_EQ(p.Board[Sq("a8")], WhiteQueen);
    EXPECT_EQ(p.Board[Sq("a7")], Empty);
    EXPECT_EQ(p.Material, before.Material + 875);
    EXPECT_EQ(p.HalfmoveClock, 0);
    KeyPair k = Xor(Xor(KeyPair{before.KeyLo, before.KeyHi}, Sq("a7"), WhitePawn), Sq("a8"), WhiteQueen);
    EXPECT_EQ(p.KeyLo, k.Lo);
    EXPECT_EQ(p.KeyHi, k.Hi);
    EXPECT_EQ(bt.LastMove[1].MovedPiece, WhitePawn);
    EXPECT_EQ(bt.RepStatus[1], 0);

    // b7 takes the rook on a8 and becomes a knight: the rook's value leaves
    // the material and black loses its queen-side right.
    Fen("r3k3/1P6/8/8/8/8/8/4K3 w q - 0 1");
    const int material = bt.PositionStack[0].Material;
    Play(Sq("b7"), 71);
    EXPECT_EQ(bt.PositionStack[1].Board[Sq("a8")], WhiteKnight);
    EXPECT_EQ(bt.PositionStack[1].Material, material - 100 + 325 + 500);
    EXPECT_EQ(bt.PositionStack[1].CastleRights[2], 0);
    ExpectConsistent(1);

    // A bishop taking the rook on h8 clears black's king-side right.
    Fen("4k2r/8/8/8/8/8/1B6/4K3 w k - 0 1");
    Play(Sq("b2"), Sq("h8"));
    EXPECT_EQ(bt.PositionStack[1].CastleRights[3], 0);
    EXPECT_EQ(bt.PositionStack[1].HalfmoveClock, 0);
    ExpectConsistent(1);
}

TEST(MakeMove, DoubleStepsAndEnPassant) {
    BoardTables& bt = *ThreadBoard;
    FreshTables();
    Fen("4k3/8/8/8/3p4/8/4P3/4K3 w - - 0 1");
    Play(Sq("e2"), Sq("e4"));
    EXPECT_EQ(bt.PositionStack[1].EpFile, 5);
    EXPECT_EQ(bt.PositionStack[1].StateCode, 5 + 144);
    Fen("4k3/8/8/8/8/3p4/4P3/4K3 w - - 0 1");  // the black pawn is on d3, not d4
    Play(Sq("e2"), Sq("e4"));
    EXPECT_EQ(bt.PositionStack[1].EpFile, 0);

    Fen("4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1");
    const PlyPosition before = bt.PositionStack[0];
    Play(Sq("e5"), Sq("d6"));
    const PlyPosition& p = bt.PositionStack[1];
    EXPECT_EQ(p.Board[Sq("d5")], Empty);
    EXPECT_EQ(p.Board[Sq("d6")], WhitePawn);
    EXPECT_EQ(p.Material, before.Material + 100);
    KeyPair k = KeyPair{before.KeyLo, before.KeyHi};
    k = Xor(Xor(Xor(k, Sq("e5"), WhitePawn), Sq("d5"), BlackPawn), Sq("d6"), WhitePawn);
    EXPECT_EQ(p.KeyLo, k.Lo);
    EXPECT_EQ(p.KeyHi, k.Hi);
    ExpectConsistent(1);
}

TEST(MakeMove, RepStatusFollowsTheClock) {
    BoardTables& bt = *ThreadBoard;
    FreshTables();
    Fen("4k3/8/8/8/8/8/8/4K2N w - - 4 1");
    Play(Sq("h1"), Sq("g3"));  // clock 5 at ply 1
    EXPECT_EQ(bt.PositionStack[1].HalfmoveClock, 5);
    EXPECT_EQ(bt.RepStatus[1], 0);
    // The same move made at plies 2 and 4: clock 5 gives 0 at ply 2, -1 at ply 4.
    for (int ply : {2, 4}) {
        bt.PositionStack[ply - 1] = bt.PositionStack[0];
        for (int n = 1; n <= bt.PositionStack[0].MoveCount; ++n) bt.MoveList[ply - 1][n] = bt.MoveList[0][n];
        MakeMove(ply, FindMove(0, Sq("h1"), Sq("g3")));
    }
    EXPECT_EQ(bt.RepStatus[2], 0);
    EXPECT_EQ(bt.RepStatus[4], -1);
    Fen("4k3/8/8/8/8/8/8/4K2N w - - 7 1");
    Play(Sq("h1"), Sq("g3"));
    EXPECT_EQ(bt.RepStatus[1], -1);  // clock 8
    Fen("4k3/8/8/8/8/8/8/4K2N w - - 100 1");
    Play(Sq("h1"), Sq("g3"));
    EXPECT_EQ(bt.PositionStack[1].HalfmoveClock, 101);
    EXPECT_EQ(bt.RepStatus[1], 1);
}

TEST(MakeMove, RandomGamesKeepEveryDerivedFieldConsistent) {
    BoardTables& bt = *ThreadBoard;
    FreshTables();
    std::mt19937 random(12345);
    const char* starts[] = {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
                            "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
                            "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1"};
    for (int game = 0; game < 30; ++game) {
        Fen(starts[game % 3]);
        for (int ply = 0; ply < 80; ++ply) {
            const PlyPosition& p = bt.PositionStack[ply];
            bt.CheckerSquare[ply] = AttackingSquare(ply, p.KingSquare[p.SideToMove], 1 - p.SideToMove);
            GenerateMoves(ply, true);
            if (!PlayRandomLegalMove(ply, random)) break;
            ExpectConsistent(ply + 1);
            if (::testing::Test::HasFailure()) return;
        }
    }
}
