// The census that one evaluation builds in its single pass over the board,
// and the stage procedures that read it. Internal to src/eval/.
//
// Every stage returns its contribution to the White-view score (positive =
// good for White); the frame in evaluate.cpp adds them up in a fixed order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "board/board.h"

struct EvalScan {
    const uint8_t* board;  // Board[1..64] of the evaluated position
    // Its square sets per piece code (PlyPosition::PieceSquares), or null
    // for the scan to find them on the board.
    const uint64_t* pieceSquares;
    int ply;
    Side sideToMove;
    int wk;  // square of the white king
    int bk;  // square of the black king

    // The census: ScanBoard writes all of it but passerFile and kingDanger,
    // which the stages fill in and which start at zero (see ClearCensus).
    int pieceTotal;             // occupied squares counted, kings included
    uint8_t count[PieceSlots];  // pieces per PieceCode
    uint8_t pawnsOnFile[2][9];  // [side][file 1..8]
    uint8_t frontPawn[2][9];    // most advanced pawn of the side on the file
    bool bishopOnColour[2][2];  // [side][square colour: 0 light, 1 dark]
    uint8_t pawnsOnColour[2][2];
    int passerFile[2];     // file of the side's unstoppable passed pawn, 0 = none
    int kingDanger[2];     // danger accumulated against the side's king
    uint8_t pawnFiles[2];  // [side]: bit f - 1 set when the side has a pawn on file f
    // [side]: bit f - 1 set when the side's front pawn on file f is passed.
    uint8_t passedFiles[2];
    // [side]: in the side's own view, what the pawns alone decide of the pawn
    // stage: doubled pawns, and each passed pawn's value with its protection.
    int pawnStructure[2];
    // [side]: the squares where a piece of the side is not pawn-safe (below).
    uint64_t pawnUnsafe[2];
    uint64_t occupied;     // every occupied square of the board (bit s - 1)
    uint64_t pieceSet[2];  // [side]: the squares of its knights, bishops, rooks and queens
    // Per PieceCode, the first 8 squares in scan order; only the first
    // count[code] entries are meaningful, so the clearing skips them.
    uint8_t squares[PieceSlots][8];
};

// Zeroes what the stages fill in (passerFile and kingDanger); ScanBoard
// writes the rest.
inline void ClearCensus(EvalScan& e) {
    e.passerFile[White] = e.passerFile[Black] = 0;
    e.kingDanger[White] = e.kingDanger[Black] = 0;
}

// Dark (1) when file + rank is even, light (0) otherwise.
inline int SquareColour(int s) { return (FileOf[s] + RankOf[s] + 1) & 1; }

// Rank counted from the side's own back rank (1..8).
inline constexpr auto RelativeRankTable = [] {
    struct {
        uint8_t rank[2][SquareSlots];
    } t{};
    for (int s = 1; s <= 64; ++s) {
        t.rank[White][s] = RankOf[s];
        t.rank[Black][s] = static_cast<uint8_t>(9 - RankOf[s]);
    }
    return t;
}();
inline int RelativeRank(Side side, int s) { return RelativeRankTable.rank[side][s]; }

// Piece counts of a side by kind of piece (Pawn .. Queen).
inline int CountOf(const EvalScan& e, Side side, int kind) { return e.count[PieceOf(side, kind)]; }
inline int MinorCount(const EvalScan& e, Side side) { return CountOf(e, side, Knight) + CountOf(e, side, Bishop); }
inline int HeavyCount(const EvalScan& e, Side side) { return CountOf(e, side, Rook) + CountOf(e, side, Queen); }
// Knights, bishops, rooks and queens of a side.
inline int PieceCount(const EvalScan& e, Side side) { return MinorCount(e, side) + HeavyCount(e, side); }
// Number of listed pieces of a code (the lists hold at most 8).
inline int ListedCount(const EvalScan& e, int code) { return e.count[code] < 8 ? e.count[code] : 8; }

// A piece of `side` on square s is pawn-safe when no enemy pawn on a
// neighbouring file stands in front of it (only the enemy's least advanced
// pawn of each such file is looked at; one on the same rank does not count),
// so no enemy pawn can ever advance to attack it.
// The pawn census works this out for every square at once (pawnUnsafe).
inline bool PawnSafe(const EvalScan& e, Side side, int s) { return (e.pawnUnsafe[side] >> (s - 1) & 1) == 0; }

// --- evaluate.cpp: the census ---
// One pass over squares 1..64 (stopping once 32 pieces are counted): fills
// the census of an EvalScan whose board, pieceSquares, ply and sideToMove
// are set, and returns the sum of the per-square terms.
int ScanBoard(EvalScan& e);

// --- pawn_census.cpp ---
// Fills the pawn part of the census (pawn counts and lists, the per-file
// records, pawns per square colour, passed files, the pawn-only part of the
// pawn stage, the pawn-safe squares) for the given white and black pawn sets
// and returns the pawns' square terms. cacheable: the sets are the board's
// own (not cut short), so the answer may come from and go to the cache; the
// board itself is read only when they are not.
int ScanPawns(EvalScan& e, uint64_t white, uint64_t black, bool cacheable);

// --- endgame.cpp: recognisers and mating terms ---
// Runs the endgame recognisers on the census right after the scan. Returns
// true when one of them settles the evaluation; value is then the White-view
// result (and DeadDrawFlag is set for the positions nobody can win).
bool RecogniseEndgame(const EvalScan& e, int scanScore, int material, int& value);
// Mating drive and drawishness corrections of a side that has a rook or queen.
int HeavyEndgameTerms(const EvalScan& e, Side side);

// --- evaluate.cpp: material ---
int MaterialTerms(const EvalScan& e);
int OwnPawnMaterialTerms(const EvalScan& e, Side side);
int LoneMinorTerms(const EvalScan& e);
int CannotWinClamp(const EvalScan& e, int score);

// --- pawns.cpp: pawn structure, passed pawns and the race ---
int PawnStage(EvalScan& e, Side side);
int PassedPawnRace(const EvalScan& e);

// --- pieces.cpp: rook, queen, bishop and knight terms ---
int RookAndQueenTerms(const EvalScan& e, Side side);
int FileControl(const EvalScan& e, Side side);
int BishopTerms(const EvalScan& e, Side side);
int KnightTerms(const EvalScan& e, Side side);

// --- king_safety.cpp ---
// Danger to the king of `side` from the enemy's heavy pieces (>= 0), or 0 when
// the enemy lacks the material the measure needs.
int KingDanger(EvalScan& e, Side side);
