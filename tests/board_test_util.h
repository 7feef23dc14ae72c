// Helpers shared by the board tests: table set-up, square names, positions.
#pragma once

#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>

#include "board/board.h"
#include "board/setup.h"
#include "search/hash.h"
#include "uci/position.h"

// Keys, a 1-megabyte table and the initial position, as at start-up.
inline void FreshTables() {
    InitZobristKeys();
    InitHashTable();
    SetStartPosition();
    PrepareRoot();
    LastPositionLine.clear();
}

// "e4" -> 29.
inline int Sq(const char* name) { return (name[1] - '1') * 8 + (name[0] - 'a') + 1; }

// Sets up a FEN that must be accepted.
inline void Fen(const std::string& fen) {
    if (!SetupFen(fen)) throw std::runtime_error("FEN rejected: " + fen);
}

// Carries out a "position" command line as the reader hands it over: the
// lower-cased form and the line as received.
inline void Position(const std::string& line) {
    std::string lower = line;
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    SetPosition(lower, line);
}

// Entry of a move in a ply's list, 0 when absent.
inline int FindMove(int ply, int from, int toByte) {
    BoardTables& bt = *ThreadBoard;
    for (int n = 1; n <= bt.PositionStack[ply].MoveCount; ++n)
        if (bt.MoveList[ply][n].From == from && bt.MoveList[ply][n].To == toByte) return n;
    return 0;
}

// Makes a legal move of the ply's generated list at ply + 1: the entries are
// tried from a random one on until one is legal. False when none is.
template <class Random>
bool PlayRandomLegalMove(int ply, Random& random) {
    const int count = ThreadBoard->PositionStack[ply].MoveCount;
    const int first = count > 0 ? static_cast<int>(random() % count) : 0;
    for (int i = 0; i < count; ++i) {
        MakeMove(ply + 1, (first + i) % count + 1);
        if (MoveWasLegal(ply + 1)) return true;
    }
    return false;
}

// Clears ply 0 to an empty board with the given side to move, no rights,
// no en passant, clock 0; pieces are then put on with Put.
inline void EmptyBoard(Side side) {
    BoardTables& bt = *ThreadBoard;
    PlyPosition& p = bt.PositionStack[0];
    std::memset(&p, 0, sizeof p);
    p.SideToMove = side;
}
inline void Put(int ply, const char* square, int piece) {
    BoardTables& bt = *ThreadBoard;
    SetSquare(bt.PositionStack[ply], Sq(square), piece);
}
