// The transposition table: one array of packed 15-byte entries, one entry
// per slot, always replaced on store.
#pragma once

#include <cstdint>

#include "board/board.h"

#pragma pack(push, 1)
struct HashEntry {
    uint32_t CheckKey;     // the position's KeyHi
    int16_t CheckCode;     // the position's StateCode
    int16_t LowerBound;
    int16_t UpperBound;
    int8_t StoredDepth;    // remaining depth; AnyDepth (limits.h) = holds at any depth; -128 = empty
    Move PreviousBest;
    Move BestMove;
};
#pragma pack(pop)
static_assert(sizeof(HashEntry) == 15, "HashEntry must be packed into 15 bytes");

extern HashEntry* HashTable;
extern uint32_t EntryCount;

// Entry count for a "Hash" value in megabytes (clamped to 1..4096).
uint32_t EntryCountFor(int64_t megabytes);
// Creates the start-up table of 1 megabyte (69905 entries), cleared, without a log line.
void InitHashTable();
// Reallocates the table for N megabytes, logs "Setze Hash auf <count>" and
// clears it. A table that cannot be allocated leaves the previous one.
void ResizeHashTable(int64_t megabytes);
// Marks every entry empty.
void ClearHashTable();
// Slot of the position at ply: (KeyLo xor SideKey[side]) mod EntryCount.
uint32_t HashSlot(int ply);
// Whether an entry belongs to the position at ply.
bool HashMatches(const HashEntry& e, int ply);
// Marks an entry as the one of the position at ply (its check key and code).
inline void StampEntry(HashEntry& e, int ply) {
    BoardTables& bt = *ThreadBoard;
    const PlyPosition& p = bt.PositionStack[ply];
    e.CheckKey = p.KeyHi;
    e.CheckCode = static_cast<int16_t>(p.StateCode);
}
// Stores a node's best move; a changed one moves the old one to PreviousBest.
inline void SetEntryBestMove(HashEntry& e, Move best) {
    if (!(e.BestMove == best)) {
        e.PreviousBest = e.BestMove;
        e.BestMove = best;
    }
}
// Set while the root searches only part of its moves (searchmoves, the later
// lines of several principal variations): the root's entry then neither
// answers nor is written, since it holds or would hold a result over every
// root move. The positions below the root use the table as always.
extern bool RootTableOff;
enum class BoundKind { Lower, Upper };
// A bound on the score of the child just made at ply, seen from its parent.
int ChildBound(int ply, int limit, BoundKind which);
