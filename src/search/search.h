// The searches: alpha-beta with its selectivity, quiescence, the root and
// principal-variation search, the node store, and the helpers they share.
#pragma once

#include <cstdint>
#include <string>

#include "board/board.h"
#include "eval/evaluate.h"
#include "search/hash.h"
#include "search/limits.h"
#include "search/tables.h"

// Fetches into the cache the table entries of the positions the moves of a
// fresh list lead to (their slots from a forecast of the keys): each child is
// looked up in the table right after it is made, and the fetch then has the
// time until the move comes up.
inline void FetchChildEntries(int ply) {
    BoardTables& bt = *ThreadBoard;
    const PlyPosition& p = bt.PositionStack[ply];
    const uint32_t childSideKey = SideKey[1 - p.SideToMove];
    for (int j = 1; j <= p.MoveCount; ++j) {
        const uint32_t slot = (KeyLoAfter(ply, bt.MoveList[ply][j]) ^ childSideKey) % EntryCount;
        const char* entry = reinterpret_cast<const char*>(&HashTable[slot]);
        __builtin_prefetch(entry);  // a 16-byte entry never straddles two cache lines
        // A loop of nothing but prefetches counts as without effect and
        // would be dropped by the optimiser; this empty statement keeps it.
        asm volatile("" : : "r"(entry));
    }
}

// The searches' move generation: a fresh list of the ply, none of whose
// moves has been verified legal yet.
inline void GenerateSearchMoves(int ply, bool fullList) {
    SearchThread& st = *ThreadSearch;
    st.VerifiedCount[ply] = 0;
    GenerateMoves(ply, fullList);
    FetchChildEntries(ply);
}
// The searches' make move: the new ply starts with empty evaluation entries.
inline void SearchMakeMove(int ply, int entry) {
    ResetEvalPly(ply);
    MakeMove(ply, entry);
}

// The first iteration depth for the root in ply 0: 3, or what the table
// holds about the root (its stored depth; a proven mate two plies beyond its
// distance), within 3..MaxSearchDepth.
int RootStartDepth();
// Prepares ply 0 as the root of the next search (PrepareRoot), clears its
// evaluation entries and verified count and sets StartDepth.
void PrepareSearchRoot();

// One node of the alpha-beta search. fresh: the ply's move list is generated
// here; false when it was generated already and must be reused.
int AlphaBeta(int ply, int limit, int alpha, int beta, bool fresh);
// The principal-variation version used at the root from depth 4 on and for
// open-window children with at least three plies left.
int PvSearch(int ply, int limit, int alpha, int beta, bool fresh);
// One iteration's search of the root in ply 0 to depth with the full window:
// PvSearch from PvSearchFromDepth on, AlphaBeta below (which sends no line).
int SearchRootAtDepth(int depth);
// The quiescence search at and beyond the horizon.
int Quiesce(int ply, int alpha, int beta);

// Merges the child's line (row ply + 1) into row ply of the PvTable after the
// move in slot 0 of row ply improved the node.
void MergePv(int ply);
// Ends row ply of the PvTable after slot 0.
inline void EndPvRow(int ply) {
    SearchThread& st = *ThreadSearch;
    st.PvTable[ply][1] = Move{0, 0};
}

// Whether the node at ply was reached by a threat search (the same side to
// move as the ply before it).
inline bool IsThreatChild(int ply) {
    BoardTables& bt = *ThreadBoard;
    return ply >= 1 && bt.PositionStack[ply].SideToMove == bt.PositionStack[ply - 1].SideToMove;
}

// Removes the move at position i of the ply's list: the last move takes its
// place. The caller adjusts its picker state.
inline void RemoveListMove(int ply, int i) {
    BoardTables& bt = *ThreadBoard;
    int& count = bt.PositionStack[ply].MoveCount;
    bt.MoveList[ply][i] = bt.MoveList[ply][count];
    --count;
}

// Number of leading moves of a line that are legal one after the other from
// the root position. Leaves every table of the searches as it found them.
int LegalLineLength(const Move* line, int maxLength);
// The first legal move of the root position in generation order, or the
// empty move when there is none.
Move FirstLegalRootMove();
// The score a root node will return for a best score that came from one of
// its moves (mate scores move one point toward zero).
int ScoreAsReturned(int best);

// Copies row 0 of the PvTable down its diagonal, so that each ply of the
// next iteration tries the move of the principal variation first.
void SeedPrincipalVariation();
