// Storage of the position stack and its companions, the hash keys and the
// initial position.
#include "board/board.h"

#include <cstring>

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
    for (int sq = 1; sq <= 64; ++sq) {
        for (int piece = 1; piece <= 12; ++piece) {
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
}

void ComputeSquareSets(PlyPosition& p) {
    std::memset(p.PieceSquares, 0, sizeof p.PieceSquares);
    std::memset(p.SideSquares, 0, sizeof p.SideSquares);
    for (int s = 1; s <= 64; ++s) {
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
    return p.EpFile + 9 * p.CastleRights[0] + 18 * p.CastleRights[1] + 36 * p.CastleRights[2] +
           72 * p.CastleRights[3] + 144 * p.SideToMove;
}
