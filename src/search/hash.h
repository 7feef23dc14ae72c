// The transposition table: one array of entries, one entry per slot, always
// replaced on store. Every search thread probes and stores it at once without
// a lock: an entry is kept as two 64-bit words, each read and written as one
// relaxed atomic, and the check word is stored XORed with a mix of the data
// word, so that an entry whose two words come from different stores no longer
// matches any position (a miss) instead of pairing one position's key with
// another's bounds.
#pragma once

#include <atomic>

#include <cstdint>

#include "board/board.h"

// One entry as the searches read and write it (15 bytes of information).
struct HashEntry {
    uint32_t CheckKey;  // the position's KeyHi
    int16_t CheckCode;  // the position's StateCode
    uint8_t CheckByte;  // the top byte of the position's KeyLo (CheckByteOf)
    int16_t LowerBound;
    int16_t UpperBound;
    int8_t StoredDepth;  // remaining depth; AnyDepth (limits.h) = holds at any depth; -128 = empty
    Move PreviousBest;
    Move BestMove;
};

// One entry in memory: CheckKey, CheckCode, StoredDepth and CheckByte in the check word
// (XORed with a mix of the data word and with the empty entry's check, so
// that an entry of zero bits reads as empty), the bounds and both moves in
// the data word.
struct HashWords {
    uint64_t Check;
    uint64_t Data;
};

extern HashWords* HashTable;
extern uint32_t EntryCount;

// The entry in a slot; one whose two words were written by different stores
// reads as an entry of no position. Its moves are always well-formed.
HashEntry ReadEntry(uint32_t slot);
// Writes an entry into a slot (both words).
void WriteEntry(uint32_t slot, const HashEntry& e);

// Entry count for a "Hash" value in megabytes (clamped to 1..4096).
uint32_t EntryCountFor(int64_t megabytes);
// Creates the start-up table of 1 megabyte (69905 entries), cleared, without a log line.
void InitHashTable();
// Reallocates the table for N megabytes and logs "Setze Hash auf <count>".
// The new table is zero memory from the allocator, which reads as empty, so
// it needs no clearing. A table that cannot be allocated leaves the previous one.
void ResizeHashTable(int64_t megabytes);
// Marks every entry empty (its bounds and moves stay), in parallel with the
// number of threads set by SetHashClearThreads for a large table.
void ClearHashTable();
// Sets every entry to zero bits (empty, without bounds or moves), with as
// many threads as ClearHashTable.
void WipeHashTable();
// How many threads clear the table (the "Threads" option; 1 at start).
void SetHashClearThreads(int threads);
// Slot of the position at ply: (KeyLo xor SideKey[side]) mod EntryCount.
uint32_t HashSlot(int ply);
// Whether an entry belongs to the position at ply.
bool HashMatches(const HashEntry& e, int ply);
// The part of a position's KeyLo that an entry keeps in its check word's
// last byte: the slot comes from KeyLo modulo the entry count, so this adds
// eight bits that positions sharing a slot and a KeyHi still differ in.
inline uint8_t CheckByteOf(const PlyPosition& p) { return static_cast<uint8_t>(p.KeyLo >> 24); }
// Marks an entry as the one of the position at ply (its check key, code and byte).
inline void StampEntry(HashEntry& e, int ply) {
    BoardTables& bt = *ThreadBoard;
    const PlyPosition& p = bt.PositionStack[ply];
    e.CheckKey = p.KeyHi;
    e.CheckCode = static_cast<int16_t>(p.StateCode);
    e.CheckByte = CheckByteOf(p);
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
extern std::atomic<bool> RootTableOff;
enum class BoundKind { Lower, Upper };
// A bound on the score of the child just made at ply, seen from its parent.
int ChildBound(int ply, int limit, BoundKind which);
