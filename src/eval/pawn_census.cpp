// The pawn part of the evaluation census: pawn counts and lists, the
// per-file records, the pawns per square colour and the pawns' square terms.
// All of it depends on nothing but where the pawns stand, so it is kept in a
// small cache per thread, keyed by the two pawn sets themselves (a hit is
// always exact); the search meets the same pawn placements again and again.
#include <bit>
#include <cstring>

#include "eval/eval_scan.h"
#include "eval/eval_tables.h"

namespace {

struct PawnCensus {
    uint64_t pawns[White + 2];  // [side]: the pawn set it was counted for
    int32_t squareTerms;        // the pawns' square terms, White-view
    uint8_t count[2];
    uint8_t squares[2][8];
    uint8_t pawnsOnFile[2][9];
    uint8_t frontPawn[2][9];
    uint8_t rearPawn[2][9];
    uint8_t enemyRearRank[2][10];
    uint8_t pawnsOnColour[2][2];
    uint8_t pawnFiles[2];
};

// A zeroed entry is the correct census of a board without pawns, so the
// cache needs no clearing.
constexpr int PawnCacheEntries = 1024;
thread_local PawnCensus PawnCache[PawnCacheEntries];

inline unsigned PawnCacheIndex(uint64_t white, uint64_t black) {
    const uint64_t mixed = white * 0x9E3779B97F4A7C15ull ^ black * 0xC2B2AE3D27D4EB4Full;
    return static_cast<unsigned>(mixed >> 54);  // 10 bits: PawnCacheEntries
}

// Counts the pawns of two sets in ascending square order, as a scan of the
// board would meet them.
void CountPawns(PawnCensus& c, uint64_t white, uint64_t black) {
    std::memset(&c, 0, sizeof c);
    c.pawns[White] = white;
    c.pawns[Black] = black;
    int n = 0;
    // Each later white pawn of a file is further up.
    for (uint64_t left = white; left != 0; left &= left - 1, ++n) {
        const int s = std::countr_zero(left) + 1, f = FileOf[s];
        if (n < 8) c.squares[White][n] = static_cast<uint8_t>(s);
        c.squareTerms += SquareTermTable.term[WhitePawn][s];
        if (c.pawnsOnFile[White][f]++ == 0) {
            c.pawnFiles[White] |= static_cast<uint8_t>(1u << (f - 1));
            c.rearPawn[White][f] = static_cast<uint8_t>(s);
            c.enemyRearRank[Black][f] = static_cast<uint8_t>(9 - RankOf[s]);
        }
        c.frontPawn[White][f] = static_cast<uint8_t>(s);
        ++c.pawnsOnColour[White][SquareColour(s)];
    }
    c.count[White] = static_cast<uint8_t>(n);
    n = 0;
    // Each later black pawn of a file is further back.
    for (uint64_t left = black; left != 0; left &= left - 1, ++n) {
        const int s = std::countr_zero(left) + 1, f = FileOf[s];
        if (n < 8) c.squares[Black][n] = static_cast<uint8_t>(s);
        c.squareTerms += SquareTermTable.term[BlackPawn][s];
        if (c.pawnsOnFile[Black][f]++ == 0) {
            c.pawnFiles[Black] |= static_cast<uint8_t>(1u << (f - 1));
            c.frontPawn[Black][f] = static_cast<uint8_t>(s);
        }
        c.rearPawn[Black][f] = static_cast<uint8_t>(s);
        c.enemyRearRank[White][f] = RankOf[s];
        ++c.pawnsOnColour[Black][SquareColour(s)];
    }
    c.count[Black] = static_cast<uint8_t>(n);
}

}  // namespace

int ScanPawns(EvalScan& e, uint64_t white, uint64_t black, bool cacheable) {
    PawnCensus counted;
    const PawnCensus* c = &counted;
    if (cacheable) {
        PawnCensus& entry = PawnCache[PawnCacheIndex(white, black)];
        if (entry.pawns[White] != white || entry.pawns[Black] != black) CountPawns(entry, white, black);
        c = &entry;
    } else {
        CountPawns(counted, white, black);
    }
    e.count[WhitePawn] = c->count[White];
    e.count[BlackPawn] = c->count[Black];
    std::memcpy(e.squares[WhitePawn], c->squares[White], sizeof c->squares[White]);
    std::memcpy(e.squares[BlackPawn], c->squares[Black], sizeof c->squares[Black]);
    std::memcpy(e.pawnsOnFile, c->pawnsOnFile, sizeof e.pawnsOnFile);
    std::memcpy(e.frontPawn, c->frontPawn, sizeof e.frontPawn);
    std::memcpy(e.rearPawn, c->rearPawn, sizeof e.rearPawn);
    std::memcpy(e.enemyRearRank, c->enemyRearRank, sizeof e.enemyRearRank);
    std::memcpy(e.pawnsOnColour, c->pawnsOnColour, sizeof e.pawnsOnColour);
    std::memcpy(e.pawnFiles, c->pawnFiles, sizeof e.pawnFiles);
    return c->squareTerms;
}
