// The evaluation frame: the per-ply cache, the single scan that builds the
// census and adds the square terms, the order of the stages, the material
// terms, the lone-minor terms, the cannot-win clamp and the final sign.
#include "eval/evaluate.h"

#include <bit>
#include <cstring>

#include "eval/eval_scan.h"
#include "eval/eval_tables.h"

int32_t EvalCache[MaxPly][2];
uint8_t LeadPawnSquare[MaxPly][2];
bool DeadDrawFlag;

void ClearEvalCaches() {
    std::memset(EvalCache, 0, sizeof EvalCache);
    std::memset(LeadPawnSquare, 0, sizeof LeadPawnSquare);
    DeadDrawFlag = false;
}

namespace {

// Dark squares as a mask (bit s - 1 for square s).
constexpr uint64_t DarkSquares = 0xAA55AA55AA55AA55ull;

}  // namespace

// Each piece code's squares come from one mask of the board, visited in
// ascending order, so every list and per-file record matches a scan of the
// squares in order.
int ScanBoard(EvalScan& e) {
    const uint8_t* board = e.board;
    uint64_t pieces[13];
    for (int code = 1; code <= 12; ++code) pieces[code] = SquaresOfPiece(board, code);
    e.occupied = OccupiedSquares(board);
    // The census counts at most 32 pieces, the first 32 in square order; a
    // board with more (no accepted position has one) leaves the rest out.
    if (std::popcount(e.occupied) > 32) {
        uint64_t kept = 0, left = e.occupied;
        for (int n = 0; n < 32; ++n, left &= left - 1) kept |= left & (~left + 1);
        for (int code = 1; code <= 12; ++code) pieces[code] &= kept;
    }
    int score = 0;
    int pieceTotal = 0;

    // The squares of one code: its count, its first 8 squares, its square terms.
    auto list = [&](int code, auto visit) {
        int n = 0;
        for (uint64_t left = pieces[code]; left != 0; left &= left - 1) {
            const int s = std::countr_zero(left) + 1;
            if (n < 8) e.squares[code][n] = static_cast<uint8_t>(s);
            ++n;
            score += SquareTermTable.term[code][s];
            visit(s, FileOf[s]);
        }
        e.count[code] = static_cast<uint8_t>(n);
        pieceTotal += n;
    };

    // Ascending order: each later white pawn of a file is further up.
    list(WhitePawn, [&](int s, int f) {
        if (e.pawnsOnFile[White][f]++ == 0) {
            e.pawnFiles[White] |= static_cast<uint8_t>(1u << (f - 1));
            e.rearPawn[White][f] = static_cast<uint8_t>(s);
            e.enemyRearRank[Black][f] = static_cast<uint8_t>(9 - RankOf[s]);
        }
        e.frontPawn[White][f] = static_cast<uint8_t>(s);
        ++e.pawnsOnColour[White][SquareColour(s)];
        if (s <= 56 && board[s + 8] != Empty) score -= 1;
    });
    // Ascending order: each later black pawn of a file is further back.
    list(BlackPawn, [&](int s, int f) {
        if (e.pawnsOnFile[Black][f]++ == 0) {
            e.pawnFiles[Black] |= static_cast<uint8_t>(1u << (f - 1));
            e.frontPawn[Black][f] = static_cast<uint8_t>(s);
        }
        e.rearPawn[Black][f] = static_cast<uint8_t>(s);
        e.enemyRearRank[White][f] = RankOf[s];
        ++e.pawnsOnColour[Black][SquareColour(s)];
        if (s >= 9 && board[s - 8] != Empty) score += 1;
    });
    for (int side = White; side <= Black; ++side) {
        auto onFile = [&](int, int f) { ++e.piecesOnFile[side][f]; };
        for (int type = 2; type <= 5; ++type) list(6 * side + type, onFile);
        list(6 * side + 6, [](int, int) {});
        const uint64_t bishops = pieces[6 * side + 3];
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
    const int score = side == Black ? -whiteView : whiteView;
    EvalCache[ply][side] = score;
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
    const int nP = CountOf(e, side, 1), nN = CountOf(e, side, 2), nR = CountOf(e, side, 4);
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
        const bool blackHasChances =
            e.count[BlackPawn] > 0 || HeavyCount(e, Black) > 0 || MinorCount(e, Black) >= 2;
        return blackHasChances ? -1 : 0;
    }
    if (score < 0 && e.count[BlackPawn] == 0 && HeavyCount(e, Black) == 0 && MinorCount(e, Black) <= 1) {
        const bool whiteHasChances =
            e.count[WhitePawn] > 0 || HeavyCount(e, White) > 0 || MinorCount(e, White) >= 2;
        return whiteHasChances ? 1 : 0;
    }
    return score;
}

int Evaluate(int ply) {
    DeadDrawFlag = false;
    const PlyPosition& position = PositionStack[ply];
    const Side side = position.SideToMove;
    if (EvalCache[ply][side] > -32000) return EvalCache[ply][side];

    LeadPawnSquare[ply][White] = 0;
    LeadPawnSquare[ply][Black] = 0;

    EvalScan e;
    ClearCensus(e);
    e.board = position.Board;
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
