// Storage of the search tables.
#include "search/tables.h"

#include <cstring>

#include "search/search.h"

SearchThread MainSearchThread;
constinit thread_local SearchThread* ThreadSearch = &MainSearchThread;
// The lower floors reach their part of the calling thread's state through
// these; a helper thread points all three at its own SearchThread.
constinit thread_local BoardTables* ThreadBoard = &MainSearchThread.Board;
constinit thread_local EvalTables* ThreadEval = &MainSearchThread.Eval;

void ResetSearchTables() {
    SearchThread& st = *ThreadSearch;
    std::memset(st.PvTable, 0, sizeof st.PvTable);
    std::memset(st.KillerMoves, 0, sizeof st.KillerMoves);
    std::memset(st.MateKiller, 0, sizeof st.MateKiller);
    std::memset(st.HistoryTable, 0, sizeof st.HistoryTable);
    std::memset(st.MateHistory, 0, sizeof st.MateHistory);
    std::memset(st.VerifiedCount, 0, sizeof st.VerifiedCount);
    std::memset(st.RootScores, 0, sizeof st.RootScores);
}

void ShiftSearchTables() {
    SearchThread& st = *ThreadSearch;
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

