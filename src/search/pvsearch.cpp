// PvSearch: the root search from depth 4 on and the open-window nodes below
// it. The node is the one of AlphaBeta (alphabeta.cpp, SearchNode<true>);
// what differs is here: every move after the first is tried with a zero
// window and searched again with the full window when it fails high inside
// it, and the root reports its progress ("currmove" and "info" lines).
#include "search/control.h"
#include "search/info.h"
#include "search/node.h"
#include "search/search.h"

int PvSearch(int ply, int limit, int alpha, int beta, bool fresh) {
    return SearchNode<true>(ply, limit, alpha, beta, fresh);
}

int SearchRootAtDepth(int depth) {
    if (depth >= PvSearchFromDepth) return PvSearch(0, depth, -ScoreInfinity, ScoreInfinity, false);
    return AlphaBeta(0, depth, -ScoreInfinity, ScoreInfinity, false);
}

bool PvFullSearch(SearchThread& st, NodeState& n, Move move, int searchLimit) {
    const int ply = n.ply, i = n.i, childLimit = n.childLimit, beta = n.beta;
    int &alpha = n.alpha, &best = n.best, &zw = n.zw;
    BoardTables& bt = st.Board;
    if (ply == 0 && n.limit >= CurrMoveFromDepth) {
        SendCurrMoveLine(move, i);
    }
    // Children with fewer than PvChildMinimumDepth plies left, and zero
    // windows, go to AlphaBeta.
    auto child = [&](int childAlpha, int childBeta, bool fresh) {
        if (childBeta - childAlpha < 2 || childLimit - ply < PvChildMinimumDepth)
            return -AlphaBeta(ply + 1, searchLimit, -childBeta, -childAlpha, fresh);
        return -PvSearch(ply + 1, searchLimit, -childBeta, -childAlpha, fresh);
    };

    const int s = child(alpha, zw, true);
    if (ply == 0) st.RootScores[i] = s;
    if (SearchIsStopped()) return false;
    if (s > best) {
        if (!(st.PvTable[ply][0] == move)) {
            st.PvTable[ply][0] = move;
            EndPvRow(ply);
        }
        best = s;
    }
    if (s <= alpha) return false;

    bool researched = false;
    if (zw != beta && s < beta && bt.PositionStack[ply + 1].MoveCount != 0) {
        // Failed high inside the window: the exact score needs the full window.
        best = child(s, beta, false);
        if (ply == 0) st.RootScores[i] = best;
        st.PvTable[ply][0] = move;
        researched = true;
        // A re-search cut short gives no score; the node unwinds.
        if (SearchIsStopped()) return false;
    }
    if (best >= beta) {
        if (FailHighTakesUpper(st, ply, best, n.upper) && bt.PositionStack[ply + 1].MoveCount != 0)
            best = n.lower = n.upper;
        if (researched) EndPvRow(ply);
        return true;
    }
    alpha = best;
    zw = best + 1;
    if (ply == 0) st.RootMoveReady.store(1);
    MergePv(ply);
    if (ply == 0) SendRootInfoLine(ScoreAsReturned(best));
    return false;
}
