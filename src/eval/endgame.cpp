// Endgame knowledge: the recognisers that settle known endings right after the
// board scan (pawn endings, pawns with minors, few pieces), the mating
// evaluation that drives a lone king to the edge, and the heavy-piece terms of
// the general path.
#include "eval/eval_scan.h"
#include "eval/eval_tables.h"
#include "eval/evaluate.h"

namespace {

constexpr int SqA1 = 1, SqB1 = 2, SqG1 = 7, SqH1 = 8, SqA2 = 9, SqB2 = 10, SqG2 = 15, SqH2 = 16;
constexpr int SqA7 = 49, SqB7 = 50, SqG7 = 55, SqH7 = 56, SqA8 = 57, SqB8 = 58, SqG8 = 63, SqH8 = 64;

int KingDistance(const EvalScan& e) {
    return std::abs(FileOf[e.bk] - FileOf[e.wk]) + std::abs(RankOf[e.bk] - RankOf[e.wk]);
}

// White has the stronger material: reward the black king near the edge and
// the kings close together, keep the white king off the edge.
int MatingEvaluationWhite(const EvalScan& e, int base) {
    const int d = KingDistance(e);
    int value = base - 6 * KingCentreTable[e.bk];
    if (d > 2) value -= 3 * d;
    return value - EdgeTable[e.wk];
}

int MatingEvaluationBlack(const EvalScan& e, int base) {
    const int d = KingDistance(e);
    int value = base + 6 * KingCentreTable[e.wk];
    if (d > 2) value += 3 * d;
    return value + EdgeTable[e.bk];
}

bool IsCorner(int s) { return s == SqA1 || s == SqH1 || s == SqA8 || s == SqH8; }

// Group A: kings and pawns only. Returns true and the value when settled.
bool PawnEnding(const EvalScan& e, int scanScore, int& value) {
    const int nWP = e.count[WhitePawn], nBP = e.count[BlackPawn];
    const int wk = e.wk, bk = e.bk;
    const bool whiteToMove = e.sideToMove == White;

    if (nWP == 0 && nBP > 0) {
        // Rook pawns with the defending king in the corner or in front of them.
        if (e.pawnsOnFile[Black][1] == nBP) {
            if (wk == SqA1 || wk == SqB1 || wk == SqA2 || wk == SqB2) return value = 0, true;
            if (FileOf[wk] == 1 && RankOf[wk] < RankOf[e.frontPawn[Black][1]]) return value = 0, true;
        }
        if (e.pawnsOnFile[Black][8] == nBP) {
            if (wk == SqG1 || wk == SqH1 || wk == SqG2 || wk == SqH2) return value = 0, true;
            if (FileOf[wk] == 8 && RankOf[wk] < RankOf[e.frontPawn[Black][8]]) return value = 0, true;
        }
        if (nBP == 1) {
            const int p = e.squares[BlackPawn][0];
            if (wk == p - 8 && bk == p + 8) return value = 0, true;
            if (!whiteToMove && bk > 24 && wk == bk - 16 && bk == p - 8) return value = 0, true;
            if (wk == bk - 16) {
                const bool kingFarAhead = RankOf[p] > RankOf[bk] + 1 && FileOf[bk] == FileOf[p];
                const bool kingJustAhead = bk == p - 8 && (whiteToMove || bk <= 24);
                if (kingFarAhead || kingJustAhead) {
                    value = scanScore - (700 + PassedPawnTable[9 - RankOf[p]]);
                    return true;
                }
            }
        }
        return false;
    }

    if (nBP == 0 && nWP > 0) {
        if (e.pawnsOnFile[White][1] == nWP) {
            if (bk == SqA7 || bk == SqB7 || bk == SqA8 || bk == SqB8) return value = 0, true;
            if (FileOf[bk] == 1 && RankOf[bk] > RankOf[e.frontPawn[White][1]]) return value = 0, true;
        }
        if (e.pawnsOnFile[White][8] == nWP) {
            if (bk == SqG7 || bk == SqH7 || bk == SqG8 || bk == SqH8) return value = 0, true;
            if (FileOf[bk] == 8 && RankOf[bk] > RankOf[e.frontPawn[White][8]]) return value = 0, true;
        }
        if (nWP == 1) {
            const int p = e.squares[WhitePawn][0];
            if (wk == p - 8 && bk == p + 8) return value = 0, true;
            if (whiteToMove && wk < 41 && bk == wk + 16 && wk == p + 8) return value = 0, true;
            if (bk == wk + 16) {
                const bool kingFarAhead = RankOf[p] < RankOf[wk] - 1 && FileOf[wk] == FileOf[p];
                const bool kingJustAhead = wk == p + 8 && (!whiteToMove || wk > 40);
                if (kingFarAhead || kingJustAhead) {
                    value = scanScore + 700 + PassedPawnTable[RankOf[p]];
                    return true;
                }
            }
        }
    }
    return false;
}

// Group B: pawns with at most one minor a side and at most one knight.
bool PawnsWithMinors(const EvalScan& e) {
    const int nWP = e.count[WhitePawn], nBP = e.count[BlackPawn];
    const int nWN = e.count[WhiteKnight], nBN = e.count[BlackKnight];
    const int wk = e.wk, bk = e.bk;

    if (nWP == 0 && nBN == 0) {
        const int f = FileOf[wk];
        if (MinorCount(e, White) == 1) {
            // The white king stands in front of all black pawns, on a square
            // Black's bishop cannot attack.
            return !e.bishopOnColour[Black][SquareColour(wk)] && e.pawnsOnFile[Black][f] == nBP &&
                   RankOf[e.frontPawn[Black][f]] > RankOf[wk];
        }
        // A rook pawn whose promotion square the black bishop cannot cover.
        if (e.pawnsOnFile[Black][1] == nBP && !e.bishopOnColour[Black][1] && (wk == SqA1 || wk == SqB2)) return true;
        if (e.pawnsOnFile[Black][8] == nBP && !e.bishopOnColour[Black][0] && (wk == SqH1 || wk == SqG2)) return true;
        return false;
    }
    if (nBP == 0 && nWN == 0) {
        const int f = FileOf[bk];
        if (MinorCount(e, Black) == 1) {
            return !e.bishopOnColour[White][SquareColour(bk)] && e.pawnsOnFile[White][f] == nWP &&
                   RankOf[e.frontPawn[White][f]] < RankOf[bk];
        }
        if (e.pawnsOnFile[White][1] == nWP && !e.bishopOnColour[White][0] && (bk == SqA8 || bk == SqB7)) return true;
        if (e.pawnsOnFile[White][8] == nWP && !e.bishopOnColour[White][1] && (bk == SqH8 || bk == SqG7)) return true;
        return false;
    }
    if (nWP > 0 && nBP > 0 && nWN + nBN == 0 && e.count[WhiteBishop] == 1 && e.count[BlackBishop] == 1) {
        // Each king blockades the other side's pawns on a colour the enemy
        // bishop cannot reach.
        const int wf = FileOf[wk], bf = FileOf[bk];
        return !e.bishopOnColour[Black][SquareColour(wk)] && !e.bishopOnColour[White][SquareColour(bk)] &&
               std::abs(wf - bf) > 1 && e.pawnsOnFile[White][bf] == nWP &&
               RankOf[e.frontPawn[White][bf]] < RankOf[bk] && e.pawnsOnFile[Black][wf] == nBP &&
               RankOf[e.frontPawn[Black][wf]] > RankOf[wk];
    }
    return false;
}

// Group C: decided by the number of pieces on the board.
bool FewPieces(const EvalScan& e, int material, bool& deadDraw, int& value) {
    const int nWB = e.count[WhiteBishop], nBB = e.count[BlackBishop];
    const int nWR = e.count[WhiteRook], nBR = e.count[BlackRook];
    const int nWQ = e.count[WhiteQueen], nBQ = e.count[BlackQueen];

    if (e.pieceTotal == 2) return deadDraw = true, value = 0, true;

    if (e.pieceTotal == 3) {
        if (MinorCount(e, White) + MinorCount(e, Black) == 1) return deadDraw = true, value = 0, true;
        if (nWR + nWQ > 0) return value = MatingEvaluationWhite(e, material + 5090), true;
        if (nBR + nBQ > 0) return value = MatingEvaluationBlack(e, material - 5090), true;
        return false;
    }

    if (e.pieceTotal == 4) {
        if (nWB == 1 && nBB == 1 &&
            SquareColour(e.squares[WhiteBishop][0]) == SquareColour(e.squares[BlackBishop][0]))
            return deadDraw = true, value = 0, true;
        if (nWR == 1 && nBR == 1) return value = EdgeTable[e.bk] - EdgeTable[e.wk], true;
        if ((nWR == 1 || nWQ == 1) && MinorCount(e, Black) == 1)
            return value = MatingEvaluationWhite(e, material + (nWQ == 1 ? 220 : -90)), true;
        if ((nBR == 1 || nBQ == 1) && MinorCount(e, White) == 1)
            return value = MatingEvaluationBlack(e, material + (nBQ == 1 ? -220 : 90)), true;
        if (e.count[WhiteKnight] == 2 && e.sideToMove == Black && IsCorner(e.bk)) return value = 0, true;
        if (e.count[BlackKnight] == 2 && e.sideToMove == White && IsCorner(e.wk)) return value = 0, true;
    }
    return false;
}

}  // namespace

bool RecogniseEndgame(const EvalScan& e, int scanScore, int material, int& value) {
    const int pawns = e.count[WhitePawn] + e.count[BlackPawn];
    const int minors = MinorCount(e, White) + MinorCount(e, Black);
    const int heavies = HeavyCount(e, White) + HeavyCount(e, Black);

    if (minors + heavies == 0 && pawns > 0 && PawnEnding(e, scanScore, value)) return true;

    if (heavies == 0 && pawns > 0 && minors > 0 && MinorCount(e, White) <= 1 && MinorCount(e, Black) <= 1 &&
        e.count[WhiteKnight] + e.count[BlackKnight] <= 1 && PawnsWithMinors(e)) {
        value = 0;
        return true;
    }

    bool deadDraw = false;
    if (FewPieces(e, material, deadDraw, value)) {
        DeadDrawFlag = deadDraw;
        return true;
    }
    return false;
}

int HeavyEndgameTerms(const EvalScan& e, Side side) {
    const Side enemy = 1 - side;
    const int sign = side == White ? 1 : -1;
    const int ownKing = side == White ? e.wk : e.bk;
    const int enemyKing = side == White ? e.bk : e.wk;
    const int enemyMinors = MinorCount(e, enemy);
    const bool enemyHasPawnOrHeavy = CountOf(e, enemy, Pawn) > 0 || HeavyCount(e, enemy) > 0;

    // Mating drive against a bare king, or a king with one minor against two
    // heavy pieces: push the enemy king to the edge, keep the own one off it.
    if (!enemyHasPawnOrHeavy && (enemyMinors == 0 || (HeavyCount(e, side) >= 2 && enemyMinors <= 1)))
        return sign * (5000 - 6 * KingCentreTable[enemyKing] - EdgeTable[ownKing]);

    // A lone rook (or queen) plus one minor against the same heavy piece and
    // no pawns or minors is hard to win.
    if (enemyHasPawnOrHeavy && MinorCount(e, side) == 1 && CountOf(e, enemy, Pawn) == 0 && enemyMinors == 0) {
        const int nP = CountOf(e, side, Pawn), nR = CountOf(e, side, Rook), nQ = CountOf(e, side, Queen);
        if (nR == 1 && nP == 0 && nQ == 0 && HeavyCount(e, enemy) > 0) return -sign * 150;
        if (nQ == 1 && nP == 0 && nR == 0 && CountOf(e, enemy, Queen) > 0) return -sign * 150;
    }
    return 0;
}
