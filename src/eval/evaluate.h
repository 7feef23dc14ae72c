// The static evaluation and its per-ply cache.
#pragma once

#include <cstdint>

#include "board/board.h"

// Marks a cache entry that holds no result.
constexpr int32_t EvalNotComputed = -32000;
// The evaluation's per-thread state: its cache and its outputs for the searches.
struct EvalTables {
    // Last result of Evaluate per ply and side to move; EvalNotComputed or below = none.
    int32_t EvalCache[MaxPly][2];
    // Per ply and side: a square holding a pawn the searches should look at, or 0.
    uint8_t LeadPawnSquare[MaxPly][2];
    // True after an Evaluate call that recognised a position nobody can win.
    bool DeadDrawFlag;
};
// The calling thread's evaluation state (defined, like ThreadBoard, by the
// search floor that owns the threads).
extern constinit thread_local EvalTables* ThreadEval;

// Static score of the position at ply, from the side to move's point of view.
int Evaluate(int ply);

// Empties the cache and the lead pawns of every ply, as at start-up.
void ClearEvalCaches();

// Marks both cache entries of a ply as not computed and clears its lead pawns.
inline void ResetEvalPly(int ply) {
    EvalTables& et = *ThreadEval;
    et.EvalCache[ply][0] = EvalNotComputed;
    et.EvalCache[ply][1] = EvalNotComputed;
    et.LeadPawnSquare[ply][0] = 0;
    et.LeadPawnSquare[ply][1] = 0;
}
