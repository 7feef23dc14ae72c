// Storage, sizing, clearing and lookup of the transposition table, and the
// child bound the searches read before searching a move.
#include "search/hash.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "platform/output.h"
#include "search/limits.h"

HashWords* HashTable = nullptr;
uint32_t EntryCount = 0;

namespace {

// The remainder by EntryCount without a division: with
// Reciprocal = ceil(2^64 / EntryCount), the high 64 bits of
// (Reciprocal * x mod 2^64) * EntryCount are exactly x mod EntryCount for
// every 32-bit x. Set with the entry count, before any search reads it.
uint64_t Reciprocal = 0;

int ClearThreads = 1;

// Takes a new array of count entries as the table.
void UseTable(HashWords* table, uint32_t count) {
    std::free(HashTable);
    HashTable = table;
    EntryCount = count;
    Reciprocal = ~uint64_t{0} / count + 1;
}

// Allocates a zeroed array of count entries; nullptr when memory is short.
// A large block comes straight from the operating system as zero pages, so
// a new table of any size is ready at once: zero words read as empty.
HashWords* AllocateEntries(uint32_t count) { return static_cast<HashWords*>(std::calloc(count, sizeof(HashWords))); }

inline uint32_t RemainderByEntryCount(uint32_t x) {
    const uint64_t low = Reciprocal * x;
    return static_cast<uint32_t>((static_cast<unsigned __int128>(low) * EntryCount) >> 64);
}

// A mix of the data word that any change of the data carries into the
// check's key bits: the product by an odd constant keeps the lowest changed
// bit and scatters the bits above it, and the rotation brings the high half
// (where a change of the top bits alone ends up) down onto the key.
inline uint64_t MixData(uint64_t x) { return std::rotl(x * 0x9E3779B97F4A7C15ull, 32); }

// The check word of an empty entry (check key 0, check code -32768, stored
// depth -128). The word in memory is the check XOR this marker XOR the mix of
// the data word, so that zero memory (data 0, whose mix is 0) reads as empty
// and a cleared entry with data 0 is all zero bits.
constexpr uint64_t EmptyCheck =
    uint64_t{static_cast<uint16_t>(int16_t{-32768})} << 32 | uint64_t{static_cast<uint8_t>(int8_t{-128})} << 48;

// The check word as stored for a check and a data word, and back.
inline uint64_t SealCheck(uint64_t check, uint64_t data) { return check ^ EmptyCheck ^ MixData(data); }
inline uint64_t OpenCheck(uint64_t stored, uint64_t data) { return stored ^ EmptyCheck ^ MixData(data); }

inline uint64_t LoadWord(uint64_t& word) { return std::atomic_ref<uint64_t>(word).load(std::memory_order_relaxed); }
inline void StoreWord(uint64_t& word, uint64_t value) {
    std::atomic_ref<uint64_t>(word).store(value, std::memory_order_relaxed);
}

inline uint64_t MoveBits(Move m) { return uint64_t{m.From} | uint64_t{m.To} << 8; }

// Which to-bytes a move can have (the empty move's 0 among them).
constexpr auto ToByteIsValid = [] {
    struct {
        bool valid[256];
    } t{};
    t.valid[0] = true;
    for (int b = 1; b < 256; ++b) t.valid[b] = IsValidToByte(b);
    return t;
}();

// A move read back from the table: anything but a well-formed move (bits
// that no store wrote together, say) becomes the empty move.
inline Move MoveOfBits(uint64_t bits) {
    const Move m{static_cast<uint8_t>(bits), static_cast<uint8_t>(bits >> 8)};
    if (m.From <= LastSquare && ToByteIsValid.valid[m.To]) return m;
    return Move{0, 0};
}

// Entries [first, last) marked empty over their own data words (bounds and
// moves stay). A word that already holds its value is not written: the pages
// of a table never stored to stay the operating system's shared zero pages.
void ClearRange(uint32_t first, uint32_t last) {
    for (uint32_t i = first; i < last; ++i) {
        const uint64_t empty = SealCheck(EmptyCheck, LoadWord(HashTable[i].Data));
        if (LoadWord(HashTable[i].Check) != empty) StoreWord(HashTable[i].Check, empty);
    }
}

// Entries [first, last) set to zero bits: empty, and without bounds or moves
// (zero words are not written, as above).
void WipeRange(uint32_t first, uint32_t last) {
    for (uint32_t i = first; i < last; ++i) {
        if (LoadWord(HashTable[i].Data) != 0) StoreWord(HashTable[i].Data, 0);
        if (LoadWord(HashTable[i].Check) != 0) StoreWord(HashTable[i].Check, 0);
    }
}

// Runs a range procedure over the whole table: a small table at once, a
// large one in as many parts as there are search threads, each by a thread
// of its own.
void OverTable(void (*range)(uint32_t, uint32_t)) {
    constexpr uint32_t partMinimum = 1u << 20;
    const uint32_t parts = std::min<uint32_t>(static_cast<uint32_t>(ClearThreads), EntryCount / partMinimum + 1);
    if (parts <= 1) {
        range(0, EntryCount);
        return;
    }
    std::vector<std::thread> workers;
    const uint32_t share = EntryCount / parts;
    for (uint32_t k = 1; k < parts; ++k)
        workers.emplace_back(range, k * share, k + 1 == parts ? EntryCount : (k + 1) * share);
    range(0, share);
    for (std::thread& t : workers) t.join();
}

}  // namespace

HashEntry ReadEntry(uint32_t slot) {
    HashWords& w = HashTable[slot];
    const uint64_t data = LoadWord(w.Data);
    const uint64_t check = OpenCheck(LoadWord(w.Check), data);
    HashEntry e;
    e.CheckKey = static_cast<uint32_t>(check);
    e.CheckCode = static_cast<int16_t>(check >> 32);
    e.StoredDepth = static_cast<int8_t>(check >> 48);
    e.CheckByte = static_cast<uint8_t>(check >> 56);
    e.LowerBound = static_cast<int16_t>(data);
    e.UpperBound = static_cast<int16_t>(data >> 16);
    e.PreviousBest = MoveOfBits(data >> 32);
    e.BestMove = MoveOfBits(data >> 48);
    return e;
}

void WriteEntry(uint32_t slot, const HashEntry& e) {
    const uint64_t data = uint64_t{static_cast<uint16_t>(e.LowerBound)} |
                          uint64_t{static_cast<uint16_t>(e.UpperBound)} << 16 | MoveBits(e.PreviousBest) << 32 |
                          MoveBits(e.BestMove) << 48;
    const uint64_t check = uint64_t{e.CheckKey} | uint64_t{static_cast<uint16_t>(e.CheckCode)} << 32 |
                           uint64_t{static_cast<uint8_t>(e.StoredDepth)} << 48 | uint64_t{e.CheckByte} << 56;
    HashWords& w = HashTable[slot];
    StoreWord(w.Data, data);
    StoreWord(w.Check, SealCheck(check, data));
}

uint32_t EntryCountFor(int64_t megabytes) {
    if (megabytes < 1) megabytes = 1;
    if (megabytes > 4096) megabytes = 4096;
    return static_cast<uint32_t>(static_cast<uint64_t>(megabytes) * 1048576ull / 15ull);
}

void InitHashTable() {
    const uint32_t count = EntryCountFor(1);
    if (HashTable == nullptr || EntryCount != count) {
        HashWords* table = AllocateEntries(count);
        if (table != nullptr) UseTable(table, count);
    }
    ClearHashTable();
}

void ResizeHashTable(int64_t megabytes) {
    const uint32_t count = EntryCountFor(megabytes);
    HashWords* table = AllocateEntries(count);
    // Without memory for the new size the old table stays as it is; the log
    // line names the entry count actually in use.
    if (table != nullptr) UseTable(table, count);
    // A new table is zero memory, which reads as empty: nothing to clear.
    LogLine("Setze Hash auf " + std::to_string(EntryCount));
}

void SetHashClearThreads(int threads) { ClearThreads = std::max(1, threads); }

void ClearHashTable() { OverTable(ClearRange); }

void WipeHashTable() { OverTable(WipeRange); }

uint32_t HashSlot(int ply) {
    BoardTables& bt = *ThreadBoard;
    const PlyPosition& p = bt.PositionStack[ply];
    return RemainderByEntryCount(p.KeyLo ^ SideKey[p.SideToMove]);
}

std::atomic<bool> RootTableOff{false};

bool HashMatches(const HashEntry& e, int ply) {
    BoardTables& bt = *ThreadBoard;
    if (ply == 0 && RootTableOff.load(std::memory_order_relaxed)) return false;
    const PlyPosition& p = bt.PositionStack[ply];
    return e.CheckKey == p.KeyHi && e.CheckCode == p.StateCode && e.CheckByte == CheckByteOf(p);
}

int ChildBound(int ply, int limit, BoundKind which) {
    // The searches ask this several times per move: only the check word's key
    // and depth and the one bound are taken out of the entry.
    const PlyPosition& p = ThreadBoard->PositionStack[ply];
    HashWords& w = HashTable[RemainderByEntryCount(p.KeyLo ^ SideKey[p.SideToMove])];
    const uint64_t data = LoadWord(w.Data);
    const uint64_t check = OpenCheck(LoadWord(w.Check), data);
    const uint64_t key =
        uint64_t{p.KeyHi} | uint64_t{static_cast<uint16_t>(p.StateCode)} << 32 | uint64_t{CheckByteOf(p)} << 56;
    int value = which == BoundKind::Upper ? NoScore : -NoScore;
    // Every bit of the check word but the stored depth's byte identifies the position.
    constexpr uint64_t identity = ~(uint64_t{0xFF} << 48);
    if ((check & identity) == key && static_cast<int8_t>(check >> 48) >= limit - ply)
        value = which == BoundKind::Upper ? -static_cast<int16_t>(data) : -static_cast<int16_t>(data >> 16);
    if (value != 0 && IsRepetition(ply)) value = 0;
    return value;
}
