// Internal to the searches: the node body shared by AlphaBeta and PvSearch,
// and the full search of one move in the principal-variation scheme.
#pragma once

#include "board/board.h"

// One node of AlphaBeta (Pv false) or PvSearch (Pv true).
template <bool Pv>
int SearchNode(int ply, int limit, int alpha, int beta, bool fresh);

// The full search of the move at position i of a PvSearch node: a first
// search with the window (alpha, zw), a re-search with the full window when
// it fails high inside it, the root's "currmove" and "info" lines. Updates
// the node's values; returns true when the move cut off (leave the loop).
bool PvFullSearch(int ply, int limit, int i, Move move, int searchLimit, int childLimit, int& alpha, int beta, int& best,
                  int& lower, int upper, int& zw);
