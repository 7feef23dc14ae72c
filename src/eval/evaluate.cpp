// The evaluation frame: the per-ply cache, the single scan that builds the
// census and adds the square terms, the order of the stages, the material
// terms, the lone-minor terms, the cannot-win clamp and the final sign.
#include "eval/evaluate.h"

#include <bit>
#include <cassert>
#include <cstring>

#include "eval/eval_scan.h"
#include "eval/eval_tables.h"

void ClearEvalCaches() {
    EvalTables& et = *ThreadEval;
    std::memset(et.EvalCache, 0, sizeof et.EvalCache);
    std::memset(et.LeadPawnSquare, 0, sizeof et.LeadPawnSquare);
    et.DeadDrawFlag = false;
}

namespace {

// Dark squares as a mask (bit s - 1 for square s).
constexpr uint64_t DarkSquares = 0xAA55AA55AA55AA55ull;

}  // namespace

// Each piece code's squares come from one mask of the board, visited in
// ascending order, so every list and per-file record matches a scan of the
// squares in order.
int ScanBoard(EvalScan& e) {
    // The position's own sets are read in place; a copy is made only when
    // they have to be found on the board or cut short.
    uint64_t found[PieceSlots];
    const uint64_t* pieces = e.pieceSquares;
    if (pieces == nullptr) {
        for (int code = 1; code <= 12; ++code) found[code] = SquaresOfPiece(e.board, code);
        pieces = found;
    }
    e.occupied = 0;
    for (int code = 1; code <= 12; ++code) e.occupied |= pieces[code];
    // The census counts at most 32 pieces, the first 32 in square order; a
    // board with more (no accepted position has one) leaves the rest out.
    const bool cut = CountSquares(e.occupied) > 32;
    if (cut) {
        uint64_t kept = 0, left = e.occupied;
        for (int n = 0; n < 32; ++n, left &= left - 1) kept |= left & (~left + 1);
        for (int code = 1; code <= 12; ++code) found[code] = pieces[code] & kept;
        pieces = found;
    }
    e.count[Empty] = 0;
    // A board without a king of a side (only ever built by hand) reads square 0 for it.
    e.squares[WhiteKing][0] = 0;
    e.squares[BlackKing][0] = 0;
    int score = 0;
    int pieceTotal = 0;

    // The squares of one code: its count, its first 8 squares, its square terms.
    auto list = [&](int code) {
        int n = 0;
        for (uint64_t left = pieces[code]; left != 0; left &= left - 1) {
            const int s = std::countr_zero(left) + 1;
            if (n < 8) e.squares[code][n] = static_cast<uint8_t>(s);
            ++n;
            score += SquareTermTable.term[code][s];
        }
        e.count[code] = static_cast<uint8_t>(n);
        pieceTotal += n;
    };

    score += ScanPawns(e, pieces[WhitePawn], pieces[BlackPawn], !cut);
    pieceTotal += e.count[WhitePawn] + e.count[BlackPawn];
    // A pawn whose square in front is occupied: 1 against its side.
    score -= CountSquares(pieces[WhitePawn] & (e.occupied >> 8));
    score += CountSquares(pieces[BlackPawn] & (e.occupied << 8));
    for (int side = White; side <= Black; ++side) {
        e.pieceSet[side] = 0;
        for (int kind = Knight; kind <= Queen; ++kind) {
            list(PieceOf(side, kind));
            e.pieceSet[side] |= pieces[PieceOf(side, kind)];
        }
        list(PieceOf(side, King));
        const uint64_t bishops = pieces[PieceOf(side, Bishop)];
        e.bishopOnColour[side][0] = (bishops & ~DarkSquares) != 0;
        e.bishopOnColour[side][1] = (bishops & DarkSquares) != 0;
    }

    // A side's first rook is worth 25 more than the others; each queen after
    // the first costs 25.
    if (e.count[WhiteRook] > 0) score += 25;
    if (e.count[BlackRook] > 0) score -= 25;
    if (e.count[WhiteQueen] > 1) score -= 25 * (e.count[WhiteQueen] - 1);
    if (e.count[BlackQueen] > 1) score += 25 * (e.count[BlackQueen] - 1);
    e.pieceTotal = pieceTotal;
    e.wk = e.squares[WhiteKing][0];
    e.bk = e.squares[BlackKing][0];
    return score;
}

namespace {

// Stores the White-view value as the side to move's score and returns it.
int Finish(int ply, Side side, int whiteView) {
    EvalTables& et = *ThreadEval;
    const int score = side == Black ? -whiteView : whiteView;
    et.EvalCache[ply][side] = score;
    return score;
}

}  // namespace

int MaterialTerms(const EvalScan& e) {
    const int nWN = e.count[WhiteKnight], nWB = e.count[WhiteBishop];
    const int nWR = e.count[WhiteRook], nWQ = e.count[WhiteQueen];
    const int nBN = e.count[BlackKnight], nBB = e.count[BlackBishop];
    const int nBR = e.count[BlackRook], nBQ = e.count[BlackQueen];
    int score = 0;

    // Rooks work well with minors, a queen with knights.
    if (nWR > 0 && nWN + nWB > 0) score += (2 * nWB + nWN) * nWR;
    if (nWQ > 0 && nWN > 0) score += nWQ * nWN;
    if (nBR > 0 && nBN + nBB > 0) score -= (2 * nBB + nBN) * nBR;
    if (nBQ > 0 && nBN > 0) score -= nBQ * nBN;

    // Against a queen: knights with rooks, and two rooks against a queen
    // without rooks. Black's knight term is not multiplied by its rooks.
    if (nWQ == 0 && nBQ > 0) {
        if (nWR > 0) score += 2 * nWN * nWR;
        if (nWR > 1 && nBR == 0) score += 100 - 12 * (nBN + nBB);
    }
    if (nBQ == 0 && nWQ > 0) {
        if (nBR > 0) score -= 2 * nBN;
        if (nBR > 1 && nWR == 0) score += -100 + 12 * (nWN + nWB);
    }
    return score;
}

int OwnPawnMaterialTerms(const EvalScan& e, Side side) {
    const int nP = CountOf(e, side, Pawn), nN = CountOf(e, side, Knight), nR = CountOf(e, side, Rook);
    // Knights gain with own pawns on the board, rooks lose.
    const int term = 6 * nN * nP - 12 * nR * nP;
    return side == White ? term : -term;
}

int LoneMinorTerms(const EvalScan& e) {
    int score = 0;
    if (HeavyCount(e, White) == 0 && MinorCount(e, White) == 1) score -= e.count[WhitePawn] == 0 ? 175 : 75;
    if (HeavyCount(e, Black) == 0 && MinorCount(e, Black) == 1) score += e.count[BlackPawn] == 0 ? 175 : 75;
    return score;
}

int CannotWinClamp(const EvalScan& e, int score) {
    // A side with at most one minor and nothing else cannot win.
    if (score > 0 && e.count[WhitePawn] == 0 && HeavyCount(e, White) == 0 && MinorCount(e, White) <= 1) {
        const bool blackHasChances = e.count[BlackPawn] > 0 || HeavyCount(e, Black) > 0 || MinorCount(e, Black) >= 2;
        return blackHasChances ? -1 : 0;
    }
    if (score < 0 && e.count[BlackPawn] == 0 && HeavyCount(e, Black) == 0 && MinorCount(e, Black) <= 1) {
        const bool whiteHasChances = e.count[WhitePawn] > 0 || HeavyCount(e, White) > 0 || MinorCount(e, White) >= 2;
        return whiteHasChances ? 1 : 0;
    }
    return score;
}

// Every stage is inlined into this one body (link-time optimisation reaches
// the stages in their own files): the side of each stage call is then a
// constant, and the census stays in registers and on this frame.
[[gnu::flatten]] int Evaluate(int ply) {
    BoardTables& bt = *ThreadBoard;
    EvalTables& et = *ThreadEval;
    et.DeadDrawFlag = false;
    const PlyPosition& position = bt.PositionStack[ply];
    const Side side = position.SideToMove;
    if (et.EvalCache[ply][side] > EvalNotComputed) return et.EvalCache[ply][side];

    et.LeadPawnSquare[ply][White] = 0;
    et.LeadPawnSquare[ply][Black] = 0;

    EvalScan e;
    ClearCensus(e);
    assert(SquareSetsMatch(position));
    e.board = position.Board;
    e.pieceSquares = position.PieceSquares;
    e.ply = ply;
    e.sideToMove = side;
    int score = position.Material + ScanBoard(e);

    int finished = 0;
    if (RecogniseEndgame(e, score, position.Material, finished)) return Finish(ply, side, finished);

    score += MaterialTerms(e);

    if (e.count[WhitePawn] > 0) score += OwnPawnMaterialTerms(e, White) + PawnStage(e, White);
    if (e.count[BlackPawn] > 0) score += OwnPawnMaterialTerms(e, Black) + PawnStage(e, Black);
    score += PassedPawnRace(e);

    if (HeavyCount(e, Black) > 0) {
        score += HeavyEndgameTerms(e, Black);
        score += RookAndQueenTerms(e, Black);
        score += FileControl(e, Black);
        score -= KingDanger(e, White);
    }
    if (HeavyCount(e, White) > 0) {
        score += HeavyEndgameTerms(e, White);
        score += RookAndQueenTerms(e, White);
        score += FileControl(e, White);
        score += KingDanger(e, Black);
    }

    score += BishopTerms(e, White) + BishopTerms(e, Black);
    score += KnightTerms(e, White) + KnightTerms(e, Black);

    score += LoneMinorTerms(e);
    score = CannotWinClamp(e, score);
    return Finish(ply, side, score);
}
