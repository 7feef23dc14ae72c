// The tables the searches keep about the current line and about good moves.
// All live for the whole process, start at zero and are never cleared
// between searches.
#pragma once

#include <cstdint>

#include "board/board.h"

// Rows and slots of the principal-variation table. Row p holds the best line
// from ply p; slot 0 of row p is also the move tried first at ply p.
constexpr int PvRows = MaxPly;
constexpr int PvSlots = MaxPly;

extern Move PvTable[PvRows][PvSlots];
extern Move KillerMoves[2][MaxPly][2];   // [slot 0/1][ply][side]
extern Move MateKiller[MaxPly][2];       // [ply][side]
extern int64_t HistoryTable[65][65];     // [from][to square]
extern int64_t MateHistory[13][65];      // [piece code][to square]
extern int32_t VerifiedCount[MaxPly];
extern int32_t RootScores[MoveListCapacity];

// Moves the killer tables and the principal variation two plies towards the
// root: the previous search's line continues after the two moves just played.
void ShiftSearchTables();
