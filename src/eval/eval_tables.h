// Square tables of the evaluation and the per-square terms the board scan adds
// for each piece. Internal to src/eval/. Every table is indexed by square
// (1..64, rank 1 first; entry 0 unused).
#pragma once

#include <cstdint>

#include "board/board.h"

// Knights: 2 in the corners up to 8 in the centre block. Symmetric between
// rank r and rank 9 - r, so both colours use it unchanged.
// clang-format off
inline constexpr uint8_t KnightTable[SquareSlots] = {
    0,
    2, 3, 4, 4, 4, 4, 3, 2,
    3, 4, 6, 6, 6, 6, 4, 3,
    4, 6, 8, 8, 8, 8, 6, 4,
    4, 6, 8, 8, 8, 8, 6, 4,
    4, 6, 8, 8, 8, 8, 6, 4,
    4, 6, 8, 8, 8, 8, 6, 4,
    3, 4, 6, 6, 6, 6, 4, 3,
    2, 3, 4, 4, 4, 4, 3, 2};
// clang-format on

// clang-format off
inline constexpr uint8_t BishopTable[SquareSlots] = {
    0,
    1, 2, 2, 2, 2, 2, 2, 1,
    2, 4, 4, 4, 4, 4, 4, 2,
    2, 4, 4, 4, 4, 4, 4, 2,
    2, 4, 4, 4, 4, 4, 4, 2,
    2, 4, 4, 4, 4, 4, 4, 2,
    2, 4, 4, 4, 4, 4, 4, 2,
    2, 4, 4, 4, 4, 4, 4, 2,
    1, 2, 2, 2, 2, 2, 2, 1};
// clang-format on

// clang-format off
inline constexpr uint8_t RookTable[SquareSlots] = {
    0,
    2, 3, 3, 3, 3, 3, 3, 2,
    3, 4, 4, 4, 4, 4, 4, 3,
    3, 4, 4, 4, 4, 4, 4, 3,
    3, 4, 4, 4, 4, 4, 4, 3,
    3, 4, 4, 4, 4, 4, 4, 3,
    3, 4, 4, 4, 4, 4, 4, 3,
    3, 4, 4, 4, 4, 4, 4, 3,
    2, 3, 3, 3, 3, 3, 3, 2};
// clang-format on

// clang-format off
inline constexpr uint8_t QueenTable[SquareSlots] = {
    0,
    3, 5, 5, 5, 5, 5, 5, 3,
    5, 8, 8, 8, 8, 8, 8, 5,
    5, 8, 8, 8, 8, 8, 8, 5,
    5, 8, 8, 8, 8, 8, 8, 5,
    5, 8, 8, 8, 8, 8, 8, 5,
    5, 8, 8, 8, 8, 8, 8, 5,
    5, 8, 8, 8, 8, 8, 8, 5,
    3, 5, 5, 5, 5, 5, 5, 3};
// clang-format on

// White pawns by square; a black pawn reads the entry of the square with the
// same file on rank 9 - rank. Ranks 1 and 8 hold no pawn and read 0.
// clang-format off
inline constexpr int8_t PawnTable[SquareSlots] = {
    0,
    0, 0, 0, 0, 0, 0, 0, 0,
    -5, -3, -1, 0, 0, -1, -3, -5,
    -4, -2, 0, 1, 1, 0, -2, -4,
    -2, 0, 2, 3, 3, 2, 0, -2,
    1, 3, 5, 6, 6, 5, 3, 1,
    5, 7, 9, 10, 10, 9, 7, 5,
    10, 12, 14, 15, 15, 14, 12, 10,
    0, 0, 0, 0, 0, 0, 0, 0};
// clang-format on

// Value of a passed pawn by its rank counted from its own side (2..7); the
// entries for ranks 0, 1, 8 and 9 are there so that no index leaves the table.
inline constexpr int PassedPawnTable[10] = {0, 0, 15, 16, 18, 24, 52, 96, 0, 0};

// 4 on the edge squares, 0 inside.
// clang-format off
inline constexpr uint8_t EdgeTable[SquareSlots] = {
    0,
    4, 4, 4, 4, 4, 4, 4, 4,
    4, 0, 0, 0, 0, 0, 0, 4,
    4, 0, 0, 0, 0, 0, 0, 4,
    4, 0, 0, 0, 0, 0, 0, 4,
    4, 0, 0, 0, 0, 0, 0, 4,
    4, 0, 0, 0, 0, 0, 0, 4,
    4, 0, 0, 0, 0, 0, 0, 4,
    4, 4, 4, 4, 4, 4, 4, 4};
// clang-format on

// Square term of each piece on each square, as a White-view contribution,
// [PieceCode][square]. Pawns: the table value, 15 less on an edge file (the
// black pawn reads the square with the same file on rank 9 - rank). Knights
// lose 30. Every rook holds 35, every queen 0 here: the scan adds 25 for a
// side's first rook and takes 25 for each queen after its first, and takes 1
// for a pawn whose square in front is occupied.
inline constexpr auto SquareTermTable = [] {
    struct {
        int16_t term[PieceSlots][SquareSlots];
    } t{};
    for (int s = 1; s <= 64; ++s) {
        const int f = FileOf[s];
        const int edge = (f == 1 || f == 8) ? 15 : 0;
        t.term[WhitePawn][s] = static_cast<int16_t>(PawnTable[s] - edge);
        t.term[BlackPawn][s] = static_cast<int16_t>(-PawnTable[(8 - RankOf[s]) * 8 + f] + edge);
        t.term[WhiteKnight][s] = static_cast<int16_t>(KnightTable[s] - 30);
        t.term[BlackKnight][s] = static_cast<int16_t>(30 - KnightTable[s]);
        t.term[WhiteBishop][s] = static_cast<int16_t>(BishopTable[s]);
        t.term[BlackBishop][s] = static_cast<int16_t>(-BishopTable[s]);
        t.term[WhiteRook][s] = static_cast<int16_t>(RookTable[s] + 35);
        t.term[BlackRook][s] = static_cast<int16_t>(-RookTable[s] - 35);
        t.term[WhiteQueen][s] = static_cast<int16_t>(QueenTable[s]);
        t.term[BlackQueen][s] = static_cast<int16_t>(-QueenTable[s]);
    }
    return t;
}();
