// Storage of the position stack and its companions, the hash keys and the
// initial position.
#include "board/board.h"

#include <cstring>

#include "platform/mix.h"

KeyPair ZobristKeys[SquareSlots][PieceSlots];
uint32_t SideKey[2];

namespace {
// The engine's own 32-bit linear congruential generator. It starts from 0 and
// is never seeded, so the keys are the same in every run.
uint32_t RandomState = 0;
uint32_t NextRandom() {
    RandomState = RandomState * 134775813u + 1u;
    return RandomState;
}
}  // namespace

void InitZobristKeys() {
    RandomState = 0;
    for (int sq = FirstSquare; sq <= LastSquare; ++sq) {
        for (int piece = 1; piece < PieceSlots; ++piece) {
            ZobristKeys[sq][piece].Lo = NextRandom();
            ZobristKeys[sq][piece].Hi = NextRandom();
        }
    }
    SideKey[0] = NextRandom();
    SideKey[1] = NextRandom();
    while (SideKey[1] == SideKey[0]) SideKey[1] = NextRandom();
}

void SetStartPosition() {
    BoardTables& bt = *ThreadBoard;
    PlyPosition& p = bt.PositionStack[0];
    std::memcpy(p.Board, StartBoard, sizeof p.Board);
    ComputeSquareSets(p);
    p.SideToMove = White;
    p.HalfmoveClock = 0;
    p.EpFile = 0;
    for (auto& right : p.CastleRights) right = 1;
    ArrangeStandardCastling(bt.Castling);
}

bool Chess960Notation = false;

namespace {
// The squares from a to b (both included) of one rank.
uint64_t SquaresBetween(int a, int b) {
    const int low = a < b ? a : b, high = a < b ? b : a;
    return (SquareBit(high) << 1) - SquareBit(low);  // wraps to the top bits for h8
}
}  // namespace

void ArrangeCastling(CastlingSetup& c, const int kingStart[2], const int rookStart[4], const uint8_t rights[4]) {
    std::memset(&c, 0, sizeof c);
    bool standard = true;
    for (int r = 0; r < 4; ++r) {
        const Side side = r / 2;
        const int corner = r % 2 == 1 ? KingRookHome[side] : QueenRookHome[side];
        if (rights[r] != 0 && (kingStart[side] != KingHome[side] || rookStart[r] != corner)) standard = false;
    }
    c.KingTakesRook = Chess960Notation || !standard;
    if (!c.KingTakesRook) {
        // The king's two-square moves: rights by the standard table.
        std::memcpy(c.LostAt, CastleRightsLostAt, sizeof c.LostAt);
        for (Side side = White; side <= Black; ++side) {
            c.KingStart[side] = static_cast<uint8_t>(KingHome[side]);
            c.RookStart[CastleRightOf(side, false)] = static_cast<uint8_t>(QueenRookHome[side]);
            c.RookStart[CastleRightOf(side, true)] = static_cast<uint8_t>(KingRookHome[side]);
        }
        return;
    }
    uint64_t key = 0;
    for (Side side = White; side <= Black; ++side) c.KingStart[side] = static_cast<uint8_t>(kingStart[side]);
    for (int r = 0; r < 4; ++r) {
        if (rights[r] == 0) continue;
        const Side side = r / 2;
        const int king = kingStart[side], rook = rookStart[r];
        c.RookStart[r] = static_cast<uint8_t>(rook);
        c.LostAt[king] |= static_cast<uint8_t>(3u << (2 * side));
        c.LostAt[rook] |= static_cast<uint8_t>(1u << r);
        const uint64_t kingPath = SquaresBetween(king, CastleKingTarget[r]);
        const uint64_t rookPath = SquaresBetween(rook, CastleRookTarget[r]);
        c.MustBeEmpty[r] = (kingPath | rookPath) & ~SquareBit(king) & ~SquareBit(rook);
        c.KingCrosses[r] = kingPath & ~SquareBit(king);
        key = key << 8 | static_cast<uint64_t>(rook);
    }
    key = Mix64(key << 16 | static_cast<uint64_t>(kingStart[White]) << 8 | static_cast<uint64_t>(kingStart[Black]));
    c.Key = KeyPair{static_cast<uint32_t>(key), static_cast<uint32_t>(key >> 32)};
}

void ArrangeStandardCastling(CastlingSetup& c) {
    const uint8_t all[4] = {1, 1, 1, 1};
    const int rooks[4] = {QueenRookHome[White], KingRookHome[White], QueenRookHome[Black], KingRookHome[Black]};
    ArrangeCastling(c, KingHome, rooks, all);
}

void ComputeSquareSets(PlyPosition& p) {
    std::memset(p.PieceSquares, 0, sizeof p.PieceSquares);
    std::memset(p.SideSquares, 0, sizeof p.SideSquares);
    for (int s = FirstSquare; s <= LastSquare; ++s) {
        const int code = p.Board[s];
        if (code == Empty || code > BlackKing) continue;
        p.PieceSquares[code] |= SquareBit(s);
        p.SideSquares[ColourOf[code]] |= SquareBit(s);
    }
}

bool SquareSetsMatch(const PlyPosition& p) {
    PlyPosition fresh;
    std::memcpy(fresh.Board, p.Board, sizeof fresh.Board);
    ComputeSquareSets(fresh);
    return std::memcmp(fresh.PieceSquares, p.PieceSquares, sizeof fresh.PieceSquares) == 0 &&
           std::memcmp(fresh.SideSquares, p.SideSquares, sizeof fresh.SideSquares) == 0;
}

void ClearPositionState() {
    // The whole record at once, so that a table added to it is cleared too.
    std::memset(static_cast<void*>(ThreadBoard), 0, sizeof *ThreadBoard);
    SetStartPosition();
}

int ComputeStateCode(const PlyPosition& p) {
    return p.EpFile + 9 * p.CastleRights[0] + 18 * p.CastleRights[1] + 36 * p.CastleRights[2] + 72 * p.CastleRights[3] +
           144 * p.SideToMove;
}
