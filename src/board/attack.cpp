// AttackingSquare: is a square attacked by a side, and by which piece.
#include "board/board.h"

namespace {

// First occupied square from target in direction step (at most `count`
// squares), or 0 when the ray runs off the board without meeting a piece.
inline int FirstOccupied(const uint8_t* board, int target, int step, int count) {
    int sq = target;
    for (int i = 0; i < count; ++i) {
        sq += step;
        if (board[sq] != Empty) return sq;
    }
    return 0;
}

}  // namespace

uint8_t AttackingSquare(int ply, int target, Side side) {
    const uint8_t* board = PositionStack[ply].Board;
    const int king = 6 * side + 6, knight = 6 * side + 2;
    const int bishop = 6 * side + 3, rook = 6 * side + 4, queen = 6 * side + 5;
    const int pawn = 6 * side + 1;

    // 1. King and knight contact, slot by slot. An unused slot holds square
    // 0, whose board byte is always empty, so it never matches.
    for (int i = 0; i < 8; ++i) {
        const int k = KingTargets[target][i];
        if (board[k] == king) return static_cast<uint8_t>(k);
        const int n = KnightTargets[target][i];
        if (board[n] == knight) return static_cast<uint8_t>(n);
    }

    const int file = FileOf[target], rank = RankOf[target];
    const uint8_t* length = RayLength[target];
    int sq;

    // 2. Not on file h: a pawn from the h-side, then the eastward ray.
    if (file != 8) {
        if (side == White) {
            if (target > 16 && board[target - 7] == pawn) return static_cast<uint8_t>(target - 7);
        } else {
            if (target < 49 && board[target + 9] == pawn) return static_cast<uint8_t>(target + 9);
        }
        sq = FirstOccupied(board, target, +1, length[East]);
        if (sq != 0 && (board[sq] == rook || board[sq] == queen)) return static_cast<uint8_t>(sq);
    }
    // 3. Not on file a: a pawn from the a-side, then the westward ray.
    if (file != 1) {
        if (side == White) {
            if (target > 16 && board[target - 9] == pawn) return static_cast<uint8_t>(target - 9);
        } else {
            if (target < 49 && board[target + 7] == pawn) return static_cast<uint8_t>(target + 7);
        }
        sq = FirstOccupied(board, target, -1, length[West]);
        if (sq != 0 && (board[sq] == rook || board[sq] == queen)) return static_cast<uint8_t>(sq);
    }
    // 4. Not on rank 8: north-east, north-west diagonals, then north.
    if (rank != 8) {
        sq = FirstOccupied(board, target, +9, length[NorthEast]);
        if (sq != 0 && (board[sq] == bishop || board[sq] == queen)) return static_cast<uint8_t>(sq);
        sq = FirstOccupied(board, target, +7, length[NorthWest]);
        if (sq != 0 && (board[sq] == bishop || board[sq] == queen)) return static_cast<uint8_t>(sq);
        sq = FirstOccupied(board, target, +8, length[North]);
        if (sq != 0 && (board[sq] == rook || board[sq] == queen)) return static_cast<uint8_t>(sq);
    }
    // 5. Not on rank 1: south-east, south-west diagonals, then south.
    if (rank != 1) {
        sq = FirstOccupied(board, target, -7, length[SouthEast]);
        if (sq != 0 && (board[sq] == bishop || board[sq] == queen)) return static_cast<uint8_t>(sq);
        sq = FirstOccupied(board, target, -9, length[SouthWest]);
        if (sq != 0 && (board[sq] == bishop || board[sq] == queen)) return static_cast<uint8_t>(sq);
        sq = FirstOccupied(board, target, -8, length[South]);
        if (sq != 0 && (board[sq] == rook || board[sq] == queen)) return static_cast<uint8_t>(sq);
    }
    return 0;
}
