// The pawn part of the evaluation census: pawn counts and lists, the
// per-file records, the pawns per square colour, the pawns' square terms,
// the doubled and passed pawns and the squares that are not pawn-safe.
// All of it depends on nothing but where the pawns stand, so it is kept in a
// small cache per thread, keyed by the two pawn sets themselves (a hit is
// always exact); the search meets the same pawn placements again and again.
#include <algorithm>
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
    // [side][file 0..9]: rank, counted from the side, of the enemy's least
    // advanced pawn on the file; 0 without one (files 0 and 9 stay 0). The
    // passed pawns and the pawn-safe squares are worked out from it.
    uint8_t enemyRearRank[2][10];
    uint8_t pawnsOnColour[2][2];
    uint8_t pawnFiles[2];
    uint8_t passedFiles[2];
    int32_t pawnStructure[2];
    uint64_t pawnUnsafe[2];
};

// A zeroed entry is the correct census of a board without pawns (no pawn
// makes a square unsafe, no file is passed), so the cache needs no clearing.
constexpr int PawnCacheEntries = 1024;
thread_local PawnCensus PawnCache[PawnCacheEntries];

inline unsigned PawnCacheIndex(uint64_t white, uint64_t black) {
    const uint64_t mixed = white * 0x9E3779B97F4A7C15ull ^ black * 0xC2B2AE3D27D4EB4Full;
    return static_cast<unsigned>(mixed >> 54);  // 10 bits: PawnCacheEntries
}

// [side][r]: the squares whose rank, counted from the side, is below r (0..9).
constexpr auto RanksBelow = [] {
    struct {
        uint64_t squares[2][10];
    } t{};
    for (int side = White; side <= Black; ++side)
        for (int r = 0; r <= 9; ++r)
            for (int s = 1; s <= 64; ++s)
                if (RelativeRankTable.rank[side][s] < r) t.squares[side][r] |= SquareBit(s);
    return t;
}();

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
        c.enemyRearRank[White][f] = RankOf[s];
        ++c.pawnsOnColour[Black][SquareColour(s)];
    }
    c.count[Black] = static_cast<uint8_t>(n);
}

// The parts of the pawn stage that read nothing but the pawns, in the side's
// own view: doubled pawns, and for each file whose front pawn is passed (no
// enemy pawn in front of it on its own or a neighbouring file, only the
// enemy's rearmost pawn of each file counting) its value, and more when an
// own pawn diagonally behind protects it. ownPawns: the side's pawns on the
// board, which the protection test reads.
void StructureOfSide(PawnCensus& c, Side side, uint64_t ownPawns) {
    const int nP = c.count[side];
    const int up = side == White ? 8 : -8;
    const uint8_t* enemyRear = c.enemyRearRank[side];
    int structure = 0;
    for (unsigned files = c.pawnFiles[side]; files != 0; files &= files - 1) {
        const int f = std::countr_zero(files) + 1;
        const int n = c.pawnsOnFile[side][f];
        const int p = c.frontPawn[side][f];
        const int r = RelativeRank(side, p);
        if (n > 1) structure -= n * (n + 12 - nP);
        if (enemyRear[f - 1] > r || enemyRear[f] > r || enemyRear[f + 1] > r) continue;
        c.passedFiles[side] |= static_cast<uint8_t>(1u << (f - 1));
        structure += PassedPawnTable[r];
        const int behind = p - up;
        if (behind < 1 || behind > 64) continue;
        if ((f > 1 && (ownPawns & SquareBit(behind - 1)) != 0) || (f < 8 && (ownPawns & SquareBit(behind + 1)) != 0))
            structure += PassedPawnTable[r] - PassedPawnTable[r - 1];
    }
    c.pawnStructure[side] = structure;
    // A square is unsafe when an enemy pawn on a neighbouring file stands in
    // front of it: its relative rank is below the higher of the two files'
    // enemy rear ranks.
    uint64_t unsafe = 0;
    for (int f = 1; f <= 8; ++f) {
        const int highest = std::max(enemyRear[f - 1], enemyRear[f + 1]);
        unsafe |= RanksBelow.squares[side][highest] & FileSquares(f);
    }
    c.pawnUnsafe[side] = unsafe;
}

// The whole census of two pawn sets; boardWhite and boardBlack are the pawns
// on the board (the same sets unless the census was cut short).
void CountCensus(PawnCensus& c, uint64_t white, uint64_t black, uint64_t boardWhite, uint64_t boardBlack) {
    CountPawns(c, white, black);
    StructureOfSide(c, White, boardWhite);
    StructureOfSide(c, Black, boardBlack);
}

}  // namespace

int ScanPawns(EvalScan& e, uint64_t white, uint64_t black, bool cacheable) {
    PawnCensus counted;
    const PawnCensus* c = &counted;
    if (cacheable) {
        PawnCensus& entry = PawnCache[PawnCacheIndex(white, black)];
        if (entry.pawns[White] != white || entry.pawns[Black] != black) CountCensus(entry, white, black, white, black);
        c = &entry;
    } else {
        CountCensus(counted, white, black, SquaresOfPiece(e.board, WhitePawn), SquaresOfPiece(e.board, BlackPawn));
    }
    e.count[WhitePawn] = c->count[White];
    e.count[BlackPawn] = c->count[Black];
    std::memcpy(e.squares[WhitePawn], c->squares[White], sizeof c->squares[White]);
    std::memcpy(e.squares[BlackPawn], c->squares[Black], sizeof c->squares[Black]);
    std::memcpy(e.pawnsOnFile, c->pawnsOnFile, sizeof e.pawnsOnFile);
    std::memcpy(e.frontPawn, c->frontPawn, sizeof e.frontPawn);
    std::memcpy(e.pawnsOnColour, c->pawnsOnColour, sizeof e.pawnsOnColour);
    std::memcpy(e.pawnFiles, c->pawnFiles, sizeof e.pawnFiles);
    std::memcpy(e.passedFiles, c->passedFiles, sizeof e.passedFiles);
    e.pawnStructure[White] = c->pawnStructure[White];
    e.pawnStructure[Black] = c->pawnStructure[Black];
    e.pawnUnsafe[White] = c->pawnUnsafe[White];
    e.pawnUnsafe[Black] = c->pawnUnsafe[Black];
    return c->squareTerms;
}
