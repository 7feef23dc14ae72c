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

// Squares left to the edge in each direction, from a file and rank.
inline int Min(int a, int b) { return a < b ? a : b; }

}  // namespace

uint8_t AttackingSquare(int ply, int target, Side side) {
    const uint8_t* board = PositionStack[ply].Board;
    const int king = 6 * side + 6, knight = 6 * side + 2;
    const int bishop = 6 * side + 3, rook = 6 * side + 4, queen = 6 * side + 5;
    const int pawn = 6 * side + 1;

    // 1. King and knight contact, slot by slot.
    for (int i = 0; i < 8; ++i) {
        int k = KingTargets[target][i];
        if (k != 0 && board[k] == king) return static_cast<uint8_t>(k);
        int n = KnightTargets[target][i];
        if (n != 0 && board[n] == knight) return static_cast<uint8_t>(n);
    }

    const int file = FileOf[target], rank = RankOf[target];
    const int east = 8 - file, west = file - 1, north = 8 - rank, south = rank - 1;
    int sq;

    // 2. Not on file h: a pawn from the h-side, then the eastward ray.
    if (file != 8) {
        if (side == White) {
            if (target > 16 && board[target - 7] == pawn) return static_cast<uint8_t>(target - 7);
        } else {
            if (target < 49 && board[target + 9] == pawn) return static_cast<uint8_t>(target + 9);
        }
        sq = FirstOccupied(board, target, +1, east);
        if (sq != 0 && (board[sq] == rook || board[sq] == queen)) return static_cast<uint8_t>(sq);
    }
    // 3. Not on file a: a pawn from the a-side, then the westward ray.
    if (file != 1) {
        if (side == White) {
            if (target > 16 && board[target - 9] == pawn) return static_cast<uint8_t>(target - 9);
        } else {
            if (target < 49 && board[target + 7] == pawn) return static_cast<uint8_t>(target + 7);
        }
        sq = FirstOccupied(board, target, -1, west);
        if (sq != 0 && (board[sq] == rook || board[sq] == queen)) return static_cast<uint8_t>(sq);
    }
    // 4. Not on rank 8: north-east, north-west diagonals, then north.
    if (rank != 8) {
        sq = FirstOccupied(board, target, +9, Min(north, east));
        if (sq != 0 && (board[sq] == bishop || board[sq] == queen)) return static_cast<uint8_t>(sq);
        sq = FirstOccupied(board, target, +7, Min(north, west));
        if (sq != 0 && (board[sq] == bishop || board[sq] == queen)) return static_cast<uint8_t>(sq);
        sq = FirstOccupied(board, target, +8, north);
        if (sq != 0 && (board[sq] == rook || board[sq] == queen)) return static_cast<uint8_t>(sq);
    }
    // 5. Not on rank 1: south-east, south-west diagonals, then south.
    if (rank != 1) {
        sq = FirstOccupied(board, target, -7, Min(south, east));
        if (sq != 0 && (board[sq] == bishop || board[sq] == queen)) return static_cast<uint8_t>(sq);
        sq = FirstOccupied(board, target, -9, Min(south, west));
        if (sq != 0 && (board[sq] == bishop || board[sq] == queen)) return static_cast<uint8_t>(sq);
        sq = FirstOccupied(board, target, -8, south);
        if (sq != 0 && (board[sq] == rook || board[sq] == queen)) return static_cast<uint8_t>(sq);
    }
    return 0;
}
