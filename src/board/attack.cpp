// AttackingSquare: is a square attacked by a side, and by which piece.
#include "board/board.h"

#include <bit>

namespace {

// Squares a king or a knight on s reaches, together as one mask (bit t - 1
// for square t).
constexpr auto ContactMasks = [] {
    struct {
        uint64_t either[65];
    } t{};
    for (int s = 1; s <= 64; ++s)
        for (int i = 0; i < 8; ++i) {
            if (KingTargets[s][i] != 0) t.either[s] |= uint64_t{1} << (KingTargets[s][i] - 1);
            if (KnightTargets[s][i] != 0) t.either[s] |= uint64_t{1} << (KnightTargets[s][i] - 1);
        }
    return t;
}();

// First occupied square from target along a ray (given as its mask and
// whether it runs to higher squares), or 0 when it runs off the board
// without meeting a piece.
inline int FirstOccupied(uint64_t occupied, uint64_t ray, bool upward) {
    const uint64_t blockers = occupied & ray;
    if (blockers == 0) return 0;
    return upward ? std::countr_zero(blockers) + 1 : 64 - std::countl_zero(blockers);
}

}  // namespace

uint8_t AttackingSquare(int ply, int target, Side side) {
    BoardTables& bt = *ThreadBoard;
    const uint8_t* board = bt.PositionStack[ply].Board;
    const int king = PieceOf(side, King), knight = PieceOf(side, Knight);
    const int bishop = PieceOf(side, Bishop), rook = PieceOf(side, Rook), queen = PieceOf(side, Queen);
    const int pawn = PieceOf(side, Pawn);

    // 1. King and knight contact, slot by slot. An unused slot holds square
    // 0, whose board byte is always empty, so it never matches. The slots are
    // only visited when the side's king or a knight of it stands a king or
    // knight step away (either step for either piece: the slots then decide).
    if ((ContactMasks.either[target] & (SquaresOfPiece(board, king) | SquaresOfPiece(board, knight))) != 0) {
        for (int i = 0; i < 8; ++i) {
            const int k = KingTargets[target][i];
            if (board[k] == king) return static_cast<uint8_t>(k);
            const int n = KnightTargets[target][i];
            if (board[n] == knight) return static_cast<uint8_t>(n);
        }
    }

    const uint64_t occupied = OccupiedSquares(board);
    const uint64_t* rays = RayMask[target];
    const int file = FileOf[target], rank = RankOf[target];
    int sq;

    // 2. Not on file h: a pawn from the h-side, then the eastward ray.
    if (file != 8) {
        if (side == White) {
            if (target > 16 && board[target - 7] == pawn) return static_cast<uint8_t>(target - 7);
        } else {
            if (target < 49 && board[target + 9] == pawn) return static_cast<uint8_t>(target + 9);
        }
        sq = FirstOccupied(occupied, rays[East], true);
        if (sq != 0 && (board[sq] == rook || board[sq] == queen)) return static_cast<uint8_t>(sq);
    }
    // 3. Not on file a: a pawn from the a-side, then the westward ray.
    if (file != 1) {
        if (side == White) {
            if (target > 16 && board[target - 9] == pawn) return static_cast<uint8_t>(target - 9);
        } else {
            if (target < 49 && board[target + 7] == pawn) return static_cast<uint8_t>(target + 7);
        }
        sq = FirstOccupied(occupied, rays[West], false);
        if (sq != 0 && (board[sq] == rook || board[sq] == queen)) return static_cast<uint8_t>(sq);
    }
    // 4. Not on rank 8: north-east, north-west diagonals, then north.
    if (rank != 8) {
        sq = FirstOccupied(occupied, rays[NorthEast], true);
        if (sq != 0 && (board[sq] == bishop || board[sq] == queen)) return static_cast<uint8_t>(sq);
        sq = FirstOccupied(occupied, rays[NorthWest], true);
        if (sq != 0 && (board[sq] == bishop || board[sq] == queen)) return static_cast<uint8_t>(sq);
        sq = FirstOccupied(occupied, rays[North], true);
        if (sq != 0 && (board[sq] == rook || board[sq] == queen)) return static_cast<uint8_t>(sq);
    }
    // 5. Not on rank 1: south-east, south-west diagonals, then south.
    if (rank != 1) {
        sq = FirstOccupied(occupied, rays[SouthEast], false);
        if (sq != 0 && (board[sq] == bishop || board[sq] == queen)) return static_cast<uint8_t>(sq);
        sq = FirstOccupied(occupied, rays[SouthWest], false);
        if (sq != 0 && (board[sq] == bishop || board[sq] == queen)) return static_cast<uint8_t>(sq);
        sq = FirstOccupied(occupied, rays[South], false);
        if (sq != 0 && (board[sq] == rook || board[sq] == queen)) return static_cast<uint8_t>(sq);
    }
    return 0;
}
