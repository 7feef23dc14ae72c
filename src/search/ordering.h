// The staged move picker of the alpha-beta and principal-variation searches.
#pragma once

#include "board/board.h"

// Values of PickerState::Stage. Each stage runs once per pick while it is the
// current one; a stage that chose a move may set itself back to run again.
enum PickStageValue : int {
    StageRootOrdering = -3,  // root moves by their scores from earlier iterations
    StageHistoryFirst = -2,  // moves that mated at once before
    StagePreviousBest = -1,  // the table entry's previous best move
    StageMateKillerEarly = 0,
    StageAncestorCaptures = 1,
    StageBestCapture = 2,
    StageAncestorMoves = 3,
    StageMateKillerLate = 4,
    StageKiller1 = 5,
    StageKiller2 = 6,
    StageMoveBack = 7,
    StageCastling = 8,
    StagesDone = 9,  // only the history order is left
};

struct PickerState {
    int Stage;
    int OrderedCount;    // leading list positions filled by a stage's choice
    Move Suggested;      // a move to try soon (lead pawn, threat); From 0 = none
    Move PreviousBest;   // From 0 = none
    int AncestorCursor;  // the ancestor-line stages read PvTable[ply - k][k]
};

// Fresh picker state for a node at ply.
inline PickerState NewPicker(int ply, int stage) { return PickerState{stage, 0, Move{0, 0}, Move{0, 0}, ply}; }

// Brings the next move to search to position i of the ply's list and returns
// whether it is marked (a marked move is always searched in full). best is
// the node's best score so far, limit its target ply (for the root ordering).
// The root ordering may pass over moves, so i can grow; it may also remove
// lost root moves. When i ends beyond the list's count, nothing is left.
bool PickMove(PickerState& picker, int ply, int& i, int best, int limit);

// Brings the table's move (slot 0 of the ply's row) to the front of the
// ply's list when it is a move of the side to move that the list holds;
// capturesOnly: only when it captures or promotes. Returns whether it did.
bool TableMoveFirst(int ply, bool capturesOnly);

// The move the side to move's lead pawn suggests at ply: its step forward,
// or the empty move.
Move LeadPawnStep(int ply);

// Picker of the quiescence search: brings the next capture to position i.
void PickQuiescenceMove(int ply, int i);
