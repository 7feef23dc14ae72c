// Internal to the searches: the node body shared by AlphaBeta and PvSearch,
// and the full search of one move in the principal-variation scheme.
#pragma once

#include "board/board.h"
#include "search/ordering.h"
#include "search/search.h"

// What one node of SearchNode keeps while it runs.
struct NodeState {
    int ply = 0;
    int limit = 0;  // target ply; extensions move it
    int alpha = 0;
    int beta = 0;
    int entryAlpha = 0;  // alpha as the node was called
    int side = 0;
    bool threatChild = false;
    bool inCheck = false;
    uint32_t slot = 0;  // the node's table slot
    int lower = 0;      // bounds on the node's score (from the table)
    int upper = 0;
    int best = 0;
    int childLimit = 0;  // target ply of the children, shortened by a mate in hand
    PickerState picker{};
    int zw = 0;  // first window of each move (PvSearch)
    int i = 0;   // position in the move list
};

// One node of AlphaBeta (Pv false) or PvSearch (Pv true).
template <bool Pv>
int SearchNode(int ply, int limit, int alpha, int beta, bool fresh);

// The full search of the move at position n.i of a PvSearch node, to target
// ply searchLimit: a first search with the window (alpha, zw), a re-search
// with the full window when it fails high inside it, the root's "currmove"
// and "info" lines. Updates the node's values; returns true when the move
// cut off (leave the loop).
bool PvFullSearch(SearchThread& st, NodeState& n, Move move, int searchLimit);

// Stores a finished AlphaBeta/PvSearch node (its slot, ply, target ply,
// window, bounds, best score and loop position, with the list's moveCount)
// in its table slot and updates the ordering tables. Returns the node's
// score (changed only for a node without moves: -MateScore in check, 0
// otherwise).
int StoreNode(SearchThread& st, const NodeState& n, int moveCount, bool pvNode);

// --- Steps shared by the node searches (SearchNode and Quiesce) ---

// The table's best move becomes the move tried first at ply (slot 0 of its
// row); a changed first move ends the row behind it.
inline void AdoptTableMove(SearchThread& st, int ply, const HashEntry& entry) {
    if (!(st.PvTable[ply][0] == entry.BestMove)) {
        st.PvTable[ply][0] = entry.BestMove;
        EndPvRow(ply);
    }
}

// Applies the bounds of a matching table entry to a node's window (n is a
// NodeState or a QuiesceState: its ply, alpha, beta, lower and upper).
// Returns true when they decide the node (its score in decided; a position
// the entry shows without moves at any depth has its list emptied);
// otherwise narrows alpha and beta and sets lower and upper to the entry's
// bounds.
template <typename Node>
inline bool ApplyTableBounds(SearchThread& st, const HashEntry& entry, Node& n, int& decided) {
    const int lb = entry.LowerBound, ub = entry.UpperBound;
    if (lb >= n.beta || lb >= ub) {
        if (entry.StoredDepth >= AnyDepth && lb >= ub) st.Board.PositionStack[n.ply].MoveCount = 0;
        decided = lb;
        return true;
    }
    if (ub <= n.alpha) {
        decided = ub;
        return true;
    }
    // The root keeps its full window against a mate bound.
    if (ub < n.beta && (n.ply >= 1 || ub < MateBound)) n.beta = ub;
    if (lb > n.alpha) n.alpha = lb;
    if (n.alpha >= n.beta) {
        decided = n.alpha;
        return true;
    }
    n.lower = lb;
    n.upper = ub;
    return false;
}

// A lone king never wins: its node's score is capped at 1.
inline void CapLoneKing(int& upper, int& beta) {
    if (upper > 1) {
        upper = 1;
        if (beta > 1) beta = 1;
    }
}

// Whether a node that failed high with best, above the table's upper bound
// of the node, returns that bound instead (not for a mate, a repetition
// draw of the child, or the root).
inline bool FailHighTakesUpper(const SearchThread& st, int ply, int best, int upper) {
    return upper < best && best < MateBound && st.Board.RepStatus[ply + 1] != RepDraw && ply >= 1;
}

// Whether the move just made from ply into ply + 1 leaves the mover's king
// attacked, or castles out of check.
inline bool MadeMoveIsIllegal(const SearchThread& st, int ply, Move move) {
    const BoardTables& bt = st.Board;
    const PlyPosition& pos = bt.PositionStack[ply];
    const int side = pos.SideToMove;
    if (AttackingSquare(ply + 1, bt.PositionStack[ply + 1].KingSquare[side], 1 - side) != 0) return true;
    return IsCastlingMove(pos, move) && AttackingSquare(ply, move.From, 1 - side) != 0;
}
