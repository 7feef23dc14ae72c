// The ordering tables of a search thread over time: the history and killer
// updates of a stored node, the mate history, and the resets and shifts
// between searches and games.
#include "search/ordering_tables.h"

#include <cstring>

#include "search/search.h"

void UpdateOrderingTables(int ply, int storedDepth, int best, int alpha, int beta, bool pvNode) {
    BoardTables& bt = *ThreadBoard;
    SearchThread& st = *ThreadSearch;
    const Move m = st.PvTable[ply][0];
    if (m.From == 0 || IsPromotion(m)) return;
    const PlyPosition& pos = bt.PositionStack[ply];
    const int side = pos.SideToMove;
    const bool refutesThreat = best >= beta && ply > 1 && IsThreatChild(ply - 1);
    if (pvNode || beta - alpha > 1 || refutesThreat) st.HistoryTable[m.From][m.To] += storedDepth;
    if (best >= beta && bt.RepStatus[ply + 1] < 1 && best < MateBound && pos.Board[m.To] == 0) {
        Move& first = st.KillerMoves[0][ply][side];
        Move& second = st.KillerMoves[1][ply][side];
        if (pvNode) {
            // The principal-variation search keeps its latest two refutations.
            if (!(first == m)) {
                second = first;
                first = m;
            }
        } else if (first.From == 0) {
            first = m;
        } else if (second.From == 0) {
            second = m;
        }
    }
}

void RecordMate(int ply, Move move) {
    BoardTables& bt = *ThreadBoard;
    SearchThread& st = *ThreadSearch;
    const int piece = bt.PositionStack[ply].Board[move.From];
    if (!IsPromotion(move)) ++st.MateHistory[piece][move.To];
    const int checker = bt.CheckerSquare[ply + 1];
    if (checker != 0 && checker != DestinationOf(move.To))
        ++st.MateHistory[bt.PositionStack[ply + 1].Board[checker]][checker];
}

void ResetSearchTables(SearchThread& st) {
    std::memset(st.PvTable, 0, sizeof st.PvTable);
    std::memset(st.KillerMoves, 0, sizeof st.KillerMoves);
    std::memset(st.MateKiller, 0, sizeof st.MateKiller);
    std::memset(st.HistoryTable, 0, sizeof st.HistoryTable);
    std::memset(st.MateHistory, 0, sizeof st.MateHistory);
    std::memset(st.VerifiedCount, 0, sizeof st.VerifiedCount);
    std::memset(st.RootScores, 0, sizeof st.RootScores);
}

void ShiftSearchTables(SearchThread& st) {
    constexpr int last = MaxPly - 1;
    const Move none{0, 0};
    for (int side = 0; side < 2; ++side) {
        for (int ply = last - 1; ply <= last; ++ply) {
            st.KillerMoves[0][ply][side] = none;
            st.KillerMoves[1][ply][side] = none;
            st.MateKiller[ply][side] = none;
        }
    }
    for (int k = 0; k <= last - 2; ++k) {
        for (int side = 0; side < 2; ++side) {
            st.KillerMoves[0][k][side] = st.KillerMoves[0][k + 2][side];
            st.KillerMoves[1][k][side] = st.KillerMoves[1][k + 2][side];
            st.MateKiller[k][side] = st.MateKiller[k + 2][side];
        }
        st.PvTable[0][k] = st.PvTable[0][k + 2];
        if (k <= last - 3) {
            // Row k + 1 takes the moved line from its own ply on; row 0's
            // positions from k + 3 on have not been moved yet.
            for (int from = k + 3, to = 0; from <= last; ++from, ++to) {
                st.PvTable[k + 1][to] = st.PvTable[0][from];
                if (IsEmptyMove(st.PvTable[0][from])) break;
            }
        }
    }
    st.PvTable[0][last - 1] = none;
    st.PvTable[0][last] = none;
}
