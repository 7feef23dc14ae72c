// The ordering tables of a search thread over time: what a stored node and
// a mate teach them, and how they are reset or moved between searches.
#pragma once

#include "board/board.h"
#include "search/tables.h"

// Ordering updates of a stored node (history and killers), after its stored
// depth is known. Not for a fail-low or a node without moves.
void UpdateOrderingTables(int ply, int storedDepth, int best, int alpha, int beta, bool pvNode);

// Counts a move of ply that mated on the board in MateHistory: the piece on
// its destination, and the checking piece on its square when that is another
// one (a discovered check).
void RecordMate(int ply, Move move);

// Zeroes every search table of a thread (PvTable, killers, mate killer,
// history tables, VerifiedCount, RootScores): the state of a freshly started
// engine.
void ResetSearchTables(SearchThread& st);

// Moves a thread's killer tables and principal variation two plies towards
// the root: the previous search's line continues after the two moves just
// played.
void ShiftSearchTables(SearchThread& st);
