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

void ResetSearchTables() {
    std::memset(PvTable, 0, sizeof PvTable);
    std::memset(KillerMoves, 0, sizeof KillerMoves);
    std::memset(MateKiller, 0, sizeof MateKiller);
    std::memset(HistoryTable, 0, sizeof HistoryTable);
    std::memset(MateHistory, 0, sizeof MateHistory);
    std::memset(VerifiedCount, 0, sizeof VerifiedCount);
    std::memset(RootScores, 0, sizeof RootScores);
}
