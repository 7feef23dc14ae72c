// Storage of the search tables.
#include "search/tables.h"

#include <cstring>

#include "search/search.h"

Move PvTable[PvRows][PvSlots];
Move KillerMoves[2][MaxPly][2];
Move MateKiller[MaxPly][2];
int64_t HistoryTable[65][65];
int64_t MateHistory[13][65];
int32_t VerifiedCount[MaxPly];
int32_t RootScores[MoveListCapacity];

SearchThread MainSearchThread;
thread_local SearchThread* ThreadSearch = &MainSearchThread;
// The lower floors reach their part of the calling thread's state through
// these; a helper thread points all three at its own SearchThread.
thread_local BoardTables* ThreadBoard = &MainSearchThread.Board;
thread_local EvalTables* ThreadEval = &MainSearchThread.Eval;

void ResetSearchTables() {
    std::memset(PvTable, 0, sizeof PvTable);
    std::memset(KillerMoves, 0, sizeof KillerMoves);
    std::memset(MateKiller, 0, sizeof MateKiller);
    std::memset(HistoryTable, 0, sizeof HistoryTable);
    std::memset(MateHistory, 0, sizeof MateHistory);
    std::memset(VerifiedCount, 0, sizeof VerifiedCount);
    std::memset(RootScores, 0, sizeof RootScores);
}

void ShiftSearchTables() {
    constexpr int last = MaxPly - 1;
    const Move none{0, 0};
    for (int side = 0; side < 2; ++side) {
        for (int ply = last - 1; ply <= last; ++ply) {
            KillerMoves[0][ply][side] = none;
            KillerMoves[1][ply][side] = none;
            MateKiller[ply][side] = none;
        }
    }
    for (int k = 0; k <= last - 2; ++k) {
        for (int side = 0; side < 2; ++side) {
            KillerMoves[0][k][side] = KillerMoves[0][k + 2][side];
            KillerMoves[1][k][side] = KillerMoves[1][k + 2][side];
            MateKiller[k][side] = MateKiller[k + 2][side];
        }
        PvTable[0][k] = PvTable[0][k + 2];
        if (k <= last - 3) {
            // Row k + 1 takes the moved line from its own ply on; row 0's
            // positions from k + 3 on have not been moved yet.
            for (int from = k + 3, to = 0; from <= last; ++from, ++to) {
                PvTable[k + 1][to] = PvTable[0][from];
                if (IsEmptyMove(PvTable[0][from])) break;
            }
        }
    }
    PvTable[0][last - 1] = none;
    PvTable[0][last] = none;
}

