// Square tables of the evaluation and the per-square terms the board scan adds
// for each piece. Internal to src/eval/. Every table is indexed by square
// (1..64, rank 1 first; entry 0 unused).
#pragma once

#include <cstdint>

#include "board/board.h"

// Knights: 2 in the corners up to 8 in the centre block. Symmetric between
// rank r and rank 9 - r, so both colours use it unchanged.
inline constexpr uint8_t KnightTable[65] = {
    0,
    2, 3, 4, 4, 4, 4, 3, 2,
    3, 4, 6, 6, 6, 6, 4, 3,
    4, 6, 8, 8, 8, 8, 6, 4,
    4, 6, 8, 8, 8, 8, 6, 4,
    4, 6, 8, 8, 8, 8, 6, 4,
    4, 6, 8, 8, 8, 8, 6, 4,
    3, 4, 6, 6, 6, 6, 4, 3,
    2, 3, 4, 4, 4, 4, 3, 2};

inline constexpr uint8_t BishopTable[65] = {
    0,
    1, 2, 2, 2, 2, 2, 2, 1,
    2, 4, 4, 4, 4, 4, 4, 2,
    2, 4, 4, 4, 4, 4, 4, 2,
    2, 4, 4, 4, 4, 4, 4, 2,
    2, 4, 4, 4, 4, 4, 4, 2,
    2, 4, 4, 4, 4, 4, 4, 2,
    2, 4, 4, 4, 4, 4, 4, 2,
    1, 2, 2, 2, 2, 2, 2, 1};

inline constexpr uint8_t RookTable[65] = {
    0,
    2, 3, 3, 3, 3, 3, 3, 2,
    3, 4, 4, 4, 4, 4, 4, 3,
    3, 4, 4, 4, 4, 4, 4, 3,
    3, 4, 4, 4, 4, 4, 4, 3,
    3, 4, 4, 4, 4, 4, 4, 3,
    3, 4, 4, 4, 4, 4, 4, 3,
    3, 4, 4, 4, 4, 4, 4, 3,
    2, 3, 3, 3, 3, 3, 3, 2};

inline constexpr uint8_t QueenTable[65] = {
    0,
    3, 5, 5, 5, 5, 5, 5, 3,
    5, 8, 8, 8, 8, 8, 8, 5,
    5, 8, 8, 8, 8, 8, 8, 5,
    5, 8, 8, 8, 8, 8, 8, 5,
    5, 8, 8, 8, 8, 8, 8, 5,
    5, 8, 8, 8, 8, 8, 8, 5,
    5, 8, 8, 8, 8, 8, 8, 5,
    3, 5, 5, 5, 5, 5, 5, 3};

// White pawns by square; a black pawn reads the entry of the square with the
// same file on rank 9 - rank. Ranks 1 and 8 hold no pawn and read 0.
inline constexpr int8_t PawnTable[65] = {
    0,
    0, 0, 0, 0, 0, 0, 0, 0,
    -5, -3, -1, 0, 0, -1, -3, -5,
    -4, -2, 0, 1, 1, 0, -2, -4,
    -2, 0, 2, 3, 3, 2, 0, -2,
    1, 3, 5, 6, 6, 5, 3, 1,
    5, 7, 9, 10, 10, 9, 7, 5,
    10, 12, 14, 15, 15, 14, 12, 10,
    0, 0, 0, 0, 0, 0, 0, 0};

// Value of a passed pawn by its rank counted from its own side (2..7); the
// entries for ranks 0, 1, 8 and 9 are there so that no index leaves the table.
inline constexpr int PassedPawnTable[10] = {0, 0, 15, 16, 18, 24, 52, 96, 0, 0};

// 4 on the edge squares, 0 inside.
inline constexpr uint8_t EdgeTable[65] = {
    0,
    4, 4, 4, 4, 4, 4, 4, 4,
    4, 0, 0, 0, 0, 0, 0, 4,
    4, 0, 0, 0, 0, 0, 0, 4,
    4, 0, 0, 0, 0, 0, 0, 4,
    4, 0, 0, 0, 0, 0, 0, 4,
    4, 0, 0, 0, 0, 0, 0, 4,
    4, 0, 0, 0, 0, 0, 0, 4,
    4, 4, 4, 4, 4, 4, 4, 4};

// Square term of a white pawn on s: its table value, -15 on an edge file,
// -1 when the square in front of it is occupied.
inline int WhitePawnScanTerm(const uint8_t* board, int s) {
    int term = PawnTable[s];
    const int f = FileOf[s];
    if (f == 1 || f == 8) term -= 15;
    if (s + 8 <= 64 && board[s + 8] != Empty) term -= 1;
    return term;
}

// The black pawn's mirror, as a White-view contribution.
inline int BlackPawnScanTerm(const uint8_t* board, int s) {
    int term = -PawnTable[(8 - RankOf[s]) * 8 + FileOf[s]];
    const int f = FileOf[s];
    if (f == 1 || f == 8) term += 15;
    if (s - 8 >= 1 && board[s - 8] != Empty) term += 1;
    return term;
}

// Square terms of a knight, bishop, rook or queen (White view). `nth` is how
// many pieces of this code the scan has met, this one included: the first
// rook of a side earns 60 and each further one 35; each queen after the first
// costs 25.
inline int PieceScanTerm(int code, int s, int nth) {
    switch (code) {
        case WhiteKnight: return KnightTable[s] - 30;
        case WhiteBishop: return BishopTable[s];
        case WhiteRook: return RookTable[s] + (nth == 1 ? 60 : 35);
        case WhiteQueen: return QueenTable[s] - (nth > 1 ? 25 : 0);
        case BlackKnight: return 30 - KnightTable[s];
        case BlackBishop: return -BishopTable[s];
        case BlackRook: return -RookTable[s] - (nth == 1 ? 60 : 35);
        case BlackQueen: return -QueenTable[s] + (nth > 1 ? 25 : 0);
        default: return 0;
    }
}
