// Endgame knowledge: the recognisers that settle known endings right after the
// board scan (pawn endings, pawns with minors, few pieces), the mating
// evaluation that drives a lone king to the edge, and the heavy-piece terms of
// the general path.
#include <initializer_list>

#include "eval/eval_scan.h"
#include "eval/eval_tables.h"
#include "eval/evaluate.h"

namespace {

constexpr int SqA1 = 1, SqH1 = 8, SqA8 = 57, SqH8 = 64;

// Square of a file and a rank.
constexpr int SquareAt(int file, int rank) { return (rank - 1) * 8 + file; }
// A square as the side sees it: Black's squares mirrored top to bottom, so
// that the side's pawns run up the board as White's do.
int SeenBy(Side side, int s) { return side == White ? s : SquareAt(FileOf[s], 9 - RankOf[s]); }

int KingDistance(const EvalScan& e) {
    return std::abs(FileOf[e.bk] - FileOf[e.wk]) + std::abs(RankOf[e.bk] - RankOf[e.wk]);
}

// The side `strong` has the stronger material: reward the enemy king near
// the edge and the kings close together, keep the own king off the edge.
// base and the result are White-view values.
int MatingEvaluation(const EvalScan& e, Side strong, int base) {
    const int sign = strong == White ? 1 : -1;
    const int ownKing = strong == White ? e.wk : e.bk;
    const int enemyKing = strong == White ? e.bk : e.wk;
    const int d = KingDistance(e);
    int value = base - sign * 6 * KingCentreTable[enemyKing];
    if (d > 2) value -= sign * 3 * d;
    return value - sign * EdgeTable[ownKing];
}

bool IsCorner(int s) { return s == SqA1 || s == SqH1 || s == SqA8 || s == SqH8; }

// Group A, one side's pawns against a bare king: the rook pawns the
// defending king holds in the corner or in front of them, and the single
// pawn that its king escorts or that the defending king blocks. Worked out
// as White's pawns; Black's are the mirror image (squares seen by Black).
bool PawnsAgainstKing(const EvalScan& e, Side side, int scanScore, int& value) {
    const int sign = side == White ? 1 : -1;
    const int nP = CountOf(e, side, Pawn);
    const int own = SeenBy(side, side == White ? e.wk : e.bk);
    const int defender = SeenBy(side, side == White ? e.bk : e.wk);
    const bool ownMove = e.sideToMove == side;

    if (e.pawnsOnFile[side][1] == nP) {
        if (defender == SquareAt(1, 7) || defender == SquareAt(2, 7) || defender == SqA8 || defender == SquareAt(2, 8))
            return value = 0, true;
        if (FileOf[defender] == 1 && RankOf[defender] > RankOf[SeenBy(side, e.frontPawn[side][1])])
            return value = 0, true;
    }
    if (e.pawnsOnFile[side][8] == nP) {
        if (defender == SquareAt(7, 7) || defender == SquareAt(8, 7) || defender == SquareAt(7, 8) || defender == SqH8)
            return value = 0, true;
        if (FileOf[defender] == 8 && RankOf[defender] > RankOf[SeenBy(side, e.frontPawn[side][8])])
            return value = 0, true;
    }
    if (nP != 1) return false;
    const int p = SeenBy(side, e.squares[PieceOf(side, Pawn)][0]);
    if (own == p - 8 && defender == p + 8) return value = 0, true;
    if (ownMove && own < SquareAt(1, 6) && defender == own + 16 && own == p + 8) return value = 0, true;
    if (defender == own + 16) {
        const bool kingFarAhead = RankOf[p] < RankOf[own] - 1 && FileOf[own] == FileOf[p];
        const bool kingJustAhead = own == p + 8 && (!ownMove || own > SquareAt(8, 5));
        if (kingFarAhead || kingJustAhead) {
            value = scanScore + sign * (700 + PassedPawnTable[RankOf[p]]);
            return true;
        }
    }
    return false;
}

// Group A: kings and pawns only. Returns true and the value when settled.
bool PawnEnding(const EvalScan& e, int scanScore, int& value) {
    const int nWP = e.count[WhitePawn], nBP = e.count[BlackPawn];
    if (nWP == 0 && nBP > 0) return PawnsAgainstKing(e, Black, scanScore, value);
    if (nBP == 0 && nWP > 0) return PawnsAgainstKing(e, White, scanScore, value);
    return false;
}

// Group B for a side without pawns against an enemy without knights: the
// side's king holds the enemy pawns. Returns whether the position is held.
bool PawnlessSideHolds(const EvalScan& e, Side side) {
    const Side enemy = 1 - side;
    const int king = side == White ? e.wk : e.bk;
    const int nEP = CountOf(e, enemy, Pawn);
    const int f = FileOf[king];
    if (MinorCount(e, side) == 1) {
        // The king stands in front of all enemy pawns, on a square the enemy
        // bishop cannot attack.
        return !e.bishopOnColour[enemy][SquareColour(king)] && e.pawnsOnFile[enemy][f] == nEP &&
               RelativeRank(enemy, e.frontPawn[enemy][f]) < RelativeRank(enemy, king);
    }
    // A rook pawn whose promotion square the enemy bishop cannot cover, with
    // the king in the corner or diagonally in front of it.
    const int lastRank = enemy == White ? 8 : 1, nextRank = enemy == White ? 7 : 2;
    for (const int file : {1, 8}) {
        const int corner = SquareAt(file, lastRank), inFront = SquareAt(file == 1 ? 2 : 7, nextRank);
        if (e.pawnsOnFile[enemy][file] == nEP && !e.bishopOnColour[enemy][SquareColour(corner)] &&
            (king == corner || king == inFront))
            return true;
    }
    return false;
}

// Group B: pawns with at most one minor a side and at most one knight.
bool PawnsWithMinors(const EvalScan& e) {
    const int nWP = e.count[WhitePawn], nBP = e.count[BlackPawn];
    const int nWN = e.count[WhiteKnight], nBN = e.count[BlackKnight];
    const int wk = e.wk, bk = e.bk;

    if (nWP == 0 && nBN == 0) return PawnlessSideHolds(e, White);
    if (nBP == 0 && nWN == 0) return PawnlessSideHolds(e, Black);
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
        if (nWR + nWQ > 0) return value = MatingEvaluation(e, White, material + 5090), true;
        if (nBR + nBQ > 0) return value = MatingEvaluation(e, Black, material - 5090), true;
        return false;
    }

    if (e.pieceTotal == 4) {
        if (nWB == 1 && nBB == 1 && SquareColour(e.squares[WhiteBishop][0]) == SquareColour(e.squares[BlackBishop][0]))
            return deadDraw = true, value = 0, true;
        if (nWR == 1 && nBR == 1) return value = EdgeTable[e.bk] - EdgeTable[e.wk], true;
        if ((nWR == 1 || nWQ == 1) && MinorCount(e, Black) == 1)
            return value = MatingEvaluation(e, White, material + (nWQ == 1 ? 220 : -90)), true;
        if ((nBR == 1 || nBQ == 1) && MinorCount(e, White) == 1)
            return value = MatingEvaluation(e, Black, material + (nBQ == 1 ? -220 : 90)), true;
        if (e.count[WhiteKnight] == 2 && e.sideToMove == Black && IsCorner(e.bk)) return value = 0, true;
        if (e.count[BlackKnight] == 2 && e.sideToMove == White && IsCorner(e.wk)) return value = 0, true;
    }
    return false;
}

}  // namespace

bool RecogniseEndgame(const EvalScan& e, int scanScore, int material, int& value) {
    EvalTables& et = *ThreadEval;
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
        et.DeadDrawFlag = deadDraw;
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
