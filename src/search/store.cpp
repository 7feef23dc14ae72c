// StoreNode: writes a finished alpha-beta or principal-variation node into
// its transposition-table slot (always replacing what was there) and runs
// the ordering updates that belong to a stored node.
#include "search/node.h"
#include "search/ordering_tables.h"
#include "search/search.h"

int StoreNode(SearchThread& st, const NodeState& n, int moveCount, bool pvNode) {
    const int ply = n.ply, alpha = n.alpha, beta = n.beta, lower = n.lower, loopPosition = n.i;
    int best = n.best, upper = n.upper;
    BoardTables& bt = st.Board;
    // A root that searches only part of its moves keeps its result out of the table.
    const bool keepOut = ply == 0 && RootTableOff.load(std::memory_order_relaxed);
    HashEntry entry = ReadEntry(n.slot);
    const PlyPosition& pos = bt.PositionStack[ply];
    const int side = pos.SideToMove;
    const Move bestMove = st.PvTable[ply][0];

    int depth = n.limit - ply;
    StampEntry(entry, ply);

    if (best > MateBound) {
        if (depth >= MateInHandDepth(best)) {
            // The mate lies within the searched depth: it holds at any depth.
            depth = AnyDepth;
            if (upper < best) upper = best;
        } else if (best >= beta) {
            depth = AnyDepth;
            if (upper < best) upper = ScoreInfinity;
        }
        st.MateKiller[ply][side] = bestMove;
    } else if (best < -MateBound && best <= beta && loopPosition >= moveCount) {
        depth = AnyDepth;  // every move was searched and each one is mated
    }
    entry.StoredDepth = static_cast<int8_t>(depth);

    if (moveCount == 0) {
        // No legal move: mate or stalemate, final at any depth. Only slot 0 is
        // emptied (that already ends the row); slot 1 keeps its move, which a
        // quiescence child at the next ply may still try first.
        st.PvTable[ply][0] = Move{0, 0};
        entry.StoredDepth = AnyDepth;
        best = n.inCheck ? -MateScore : 0;
        entry.LowerBound = static_cast<int16_t>(best);
        entry.UpperBound = static_cast<int16_t>(best);
    } else if (best < alpha) {
        entry.UpperBound = static_cast<int16_t>(best);
        entry.LowerBound = static_cast<int16_t>(lower);
    } else {
        UpdateOrderingTables(ply, entry.StoredDepth, best, alpha, beta, pvNode);
        entry.LowerBound = static_cast<int16_t>(best);
        const bool onlyLower = best > beta || (!pvNode && moveCount == -1) || loopPosition < moveCount;
        entry.UpperBound = static_cast<int16_t>(onlyLower ? upper : best);
    }

    SetEntryBestMove(entry, st.PvTable[ply][0]);
    if (!keepOut) WriteEntry(n.slot, entry);
    return best;
}
