// Storage of the search tables.
#include "search/tables.h"

Move PvTable[PvRows][PvSlots];
Move KillerMoves[2][MaxPly][2];
Move MateKiller[MaxPly][2];
int64_t HistoryTable[65][65];
int64_t MateHistory[13][65];
int32_t VerifiedCount[MaxPly];
int32_t RootScores[MoveListCapacity];
