// Storage, sizing, clearing and lookup of the transposition table, and the
// child bound the searches read before searching a move.
#include "search/hash.h"

#include <cstdlib>
#include <string>

#include "platform/output.h"
#include "search/limits.h"

HashEntry* HashTable = nullptr;
uint32_t EntryCount = 0;

namespace {

// Allocates a zeroed array of count entries; nullptr when memory is short.
HashEntry* AllocateEntries(uint32_t count) {
    return static_cast<HashEntry*>(std::calloc(count, sizeof(HashEntry)));
}

}  // namespace

uint32_t EntryCountFor(int64_t megabytes) {
    if (megabytes < 1) megabytes = 1;
    if (megabytes > 4096) megabytes = 4096;
    return static_cast<uint32_t>(static_cast<uint64_t>(megabytes) * 1048576ull / 15ull);
}

void InitHashTable() {
    const uint32_t count = EntryCountFor(1);
    if (HashTable == nullptr || EntryCount != count) {
        HashEntry* table = AllocateEntries(count);
        if (table != nullptr) {
            std::free(HashTable);
            HashTable = table;
            EntryCount = count;
        }
    }
    ClearHashTable();
}

void ResizeHashTable(int64_t megabytes) {
    const uint32_t count = EntryCountFor(megabytes);
    HashEntry* table = AllocateEntries(count);
    // Without memory for the new size the old table stays as it is; the log
    // line names the entry count actually in use.
    if (table != nullptr) {
        std::free(HashTable);
        HashTable = table;
        EntryCount = count;
    }
    LogLine("Setze Hash auf " + std::to_string(EntryCount));
    if (table != nullptr) ClearHashTable();
}

void ClearHashTable() {
    for (uint32_t i = 0; i < EntryCount; ++i) {
        HashTable[i].StoredDepth = -128;
        HashTable[i].CheckKey = 0;
        HashTable[i].CheckCode = -32768;
    }
}

namespace {

// The remainder by EntryCount without a division: with
// Reciprocal = ceil(2^64 / EntryCount), the high 64 bits of
// (Reciprocal * x mod 2^64) * EntryCount are exactly x mod EntryCount for
// every 32-bit x. Recomputed whenever the entry count has changed.
uint32_t ReciprocalFor = 0;
uint64_t Reciprocal = 0;

inline uint32_t RemainderByEntryCount(uint32_t x) {
    if (ReciprocalFor != EntryCount) {
        ReciprocalFor = EntryCount;
        Reciprocal = ~uint64_t{0} / EntryCount + 1;
    }
    const uint64_t low = Reciprocal * x;
    return static_cast<uint32_t>((static_cast<unsigned __int128>(low) * EntryCount) >> 64);
}

}  // namespace

uint32_t HashSlot(int ply) {
    BoardTables& bt = *ThreadBoard;
    const PlyPosition& p = bt.PositionStack[ply];
    return RemainderByEntryCount(p.KeyLo ^ SideKey[p.SideToMove]);
}

bool RootTableOff = false;

bool HashMatches(const HashEntry& e, int ply) {
    BoardTables& bt = *ThreadBoard;
    if (ply == 0 && RootTableOff) return false;
    const PlyPosition& p = bt.PositionStack[ply];
    return e.CheckKey == p.KeyHi && e.CheckCode == p.StateCode;
}

int ChildBound(int ply, int limit, BoundKind which) {
    const HashEntry& e = HashTable[HashSlot(ply)];
    int value = which == BoundKind::Upper ? NoScore : -NoScore;
    if (HashMatches(e, ply) && e.StoredDepth >= limit - ply)
        value = which == BoundKind::Upper ? -e.LowerBound : -e.UpperBound;
    if (value != 0 && IsRepetition(ply)) value = 0;
    return value;
}
