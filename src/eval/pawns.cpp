// Pawn structure: pawns on a single file, doubled pawns, passed pawns with
// their refinements, the test for a passed pawn no defender can stop, and the
// race between such pawns. Also points the searches at a side's lead pawn.
#include <bit>

#include "eval/eval_scan.h"
#include "eval/eval_tables.h"
#include "eval/evaluate.h"

namespace {

// May White's passed pawn p (file f, rank r) run to promotion unhindered?
bool WhitePawnUnstoppable(const EvalScan& e, int p, int f, int r) {
    const uint8_t* board = e.board;
    const int t = e.sideToMove == Black ? 1 : 0;
    const int nBN = e.count[BlackKnight], nBR = e.count[BlackRook];
    if (e.count[BlackBishop] > 0 || e.count[BlackQueen] > 0 || nBN >= 2) return false;
    // Only a more advanced pawn takes the mark over.
    if (e.passerFile[White] != 0 && r <= RankOf[e.frontPawn[White][e.passerFile[White]]]) return false;

    const int bk = e.bk, wk = e.wk;
    const bool kingBehind = RankOf[bk] + t < r;
    const bool kingOutsideSquare = std::abs(FileOf[bk] - f) >= 9 - r + t;

    if (nBR == 0) {
        if (nBN > 0) {
            const int n = e.squares[BlackKnight][0];
            if (std::abs(FileOf[n] - f) / 2 - 2 * t <= 8 - r) return false;
        }
        bool qualifies = kingBehind || kingOutsideSquare;
        if (!qualifies && r >= 6 && RankOf[wk] >= 7 && std::abs(FileOf[wk] - f) == 1 && std::abs(r - RankOf[wk]) < 2)
            qualifies = true;  // escorted by its own king
        if (!qualifies && e.count[WhiteQueen] > 0 && r >= 6) {
            const int q = e.squares[WhiteQueen][0];
            if (RankOf[q] >= 7 && std::abs(FileOf[q] - f) == 1 && std::abs(r - RankOf[q]) < 2) qualifies = true;
        }
        if (!qualifies) return false;
        for (int x = p + 8; x <= 64; x += 8)
            if (board[x] != Empty) return false;
        return true;
    }

    if (nBR == 1 && nBN == 0) {
        if (r < 6) return false;
        // A neighbouring pawn far enough up to promote as well.
        const int needRank = 5 + t;
        const bool neighbour =
            (f > 1 && e.pawnsOnFile[White][f - 1] > 0 && RankOf[e.frontPawn[White][f - 1]] > needRank) ||
            (f < 8 && e.pawnsOnFile[White][f + 1] > 0 && RankOf[e.frontPawn[White][f + 1]] > needRank);
        if (!neighbour) return false;
        if (!kingBehind && !kingOutsideSquare) return false;
        for (int x = p + 8; x <= 64; x += 8)
            if (board[x] != Empty && board[x] != BlackRook) return false;
        return true;
    }
    return false;
}

// Black's test. Its knight rule compares with r itself (White's uses 8 - r,
// whose mirror would be r - 1).
bool BlackPawnUnstoppable(const EvalScan& e, int p, int f, int r) {
    const uint8_t* board = e.board;
    const int t = e.sideToMove == White ? 1 : 0;
    const int nWN = e.count[WhiteKnight], nWR = e.count[WhiteRook];
    if (e.count[WhiteBishop] > 0 || e.count[WhiteQueen] > 0 || nWN >= 2) return false;
    // Only a more advanced (lower) pawn takes the mark over.
    if (e.passerFile[Black] != 0 && r >= RankOf[e.frontPawn[Black][e.passerFile[Black]]]) return false;

    const int bk = e.bk, wk = e.wk;
    const bool kingBehind = RankOf[wk] - t > r;
    const bool kingOutsideSquare = std::abs(FileOf[wk] - f) >= r + t;

    if (nWR == 0) {
        if (nWN > 0) {
            const int n = e.squares[WhiteKnight][0];
            if (std::abs(FileOf[n] - f) / 2 - 2 * t <= r) return false;
        }
        bool qualifies = kingBehind || kingOutsideSquare;
        if (!qualifies && r <= 3 && RankOf[bk] <= 2 && std::abs(FileOf[bk] - f) == 1 && std::abs(r - RankOf[bk]) < 2)
            qualifies = true;
        if (!qualifies && e.count[BlackQueen] > 0 && r <= 3) {
            const int q = e.squares[BlackQueen][0];
            if (RankOf[q] <= 2 && std::abs(FileOf[q] - f) == 1 && std::abs(r - RankOf[q]) < 2) qualifies = true;
        }
        if (!qualifies) return false;
        for (int x = p - 8; x >= 1; x -= 8)
            if (board[x] != Empty) return false;
        return true;
    }

    if (nWR == 1 && nWN == 0) {
        if (r > 3) return false;
        const int belowRank = 3 + (e.sideToMove == Black ? 1 : 0);
        const bool neighbour =
            (f > 1 && e.pawnsOnFile[Black][f - 1] > 0 && RankOf[e.frontPawn[Black][f - 1]] < belowRank) ||
            (f < 8 && e.pawnsOnFile[Black][f + 1] > 0 && RankOf[e.frontPawn[Black][f + 1]] < belowRank);
        if (!neighbour) return false;
        if (!kingBehind && !kingOutsideSquare) return false;
        for (int x = p - 8; x >= 1; x -= 8)
            if (board[x] != Empty && board[x] != WhiteRook) return false;
        return true;
    }
    return false;
}

}  // namespace

int PawnStage(EvalScan& e, Side side) {
    const uint8_t* board = e.board;
    const Side enemy = 1 - side;
    const int sign = side == White ? 1 : -1;
    const int up = side == White ? 8 : -8;
    const int ownPawn = PieceOf(side, Pawn), ownRook = PieceOf(side, Rook);
    const int ownKing = side == White ? e.wk : e.bk;
    const int enemyKing = side == White ? e.bk : e.wk;
    const int nP = e.count[ownPawn];
    const bool ownPieces = PieceCount(e, side) > 0;
    const bool enemyBare = CountOf(e, enemy, Pawn) + PieceCount(e, enemy) == 0;
    int score = 0;  // in the side's own view; turned to White's at the end

    const uint8_t* enemyRear = e.enemyRearRank[side];

    // Files with pawns of the side, from file 1 up.
    for (unsigned files = e.pawnFiles[side]; files != 0; files &= files - 1) {
        const int f = std::countr_zero(files) + 1;
        const int n = e.pawnsOnFile[side][f];
        const int p = e.frontPawn[side][f];
        const int r = RelativeRank(side, p);

        // All pawns on one file.
        if (n == nP) {
            if (enemyBare) {
                score += 2 * std::abs(FileOf[enemyKing] - f);
                const int kingRank = RelativeRank(side, enemyKing);
                if (r > kingRank) score += 2 * (r - kingRank);
            }
            if (!ownPieces) {
                const int d = std::abs(FileOf[ownKing] - f);
                if (d > 1) score -= d;
            }
            LeadPawnSquare[e.ply][side] = static_cast<uint8_t>(p);
        }

        // Doubled pawns.
        if (n > 1) score -= n * (n + 12 - nP);

        // Passed unless an enemy pawn on this or a neighbouring file stands in
        // front of it (only the enemy's rearmost pawn of each file matters).
        if (enemyRear[f - 1] > r || enemyRear[f] > r || enemyRear[f + 1] > r) continue;

        score += PassedPawnTable[r];

        // Protected by an own pawn diagonally behind it.
        const int behind = p - up;
        const bool behindOnBoard = behind >= 1 && behind <= 64;
        if (behindOnBoard && ((f > 1 && board[behind - 1] == ownPawn) || (f < 8 && board[behind + 1] == ownPawn)))
            score += PassedPawnTable[r] - PassedPawnTable[r - 1];

        // An own rook behind it with nothing in between.
        for (int i = 0; i < ListedCount(e, ownRook); ++i) {
            const int rook = e.squares[ownRook][i];
            if (FileOf[rook] != f || RelativeRank(side, rook) >= r) continue;
            int x = p - up;
            while (x >= 1 && x <= 64 && board[x] == Empty) x -= up;
            if (x >= 1 && x <= 64 && board[x] == ownRook) {
                score += 10;
                break;
            }
        }

        // Without pieces, a pawn with the enemy king in front of it is held.
        if (!ownPieces && FileOf[enemyKing] == f && RelativeRank(side, enemyKing) > r) {
            score -= PassedPawnTable[r];
            continue;
        }
        // Blocked by an enemy piece.
        const int front = p + up;
        if (front >= 1 && front <= 64 && ColourOf[board[front]] == enemy) {
            score -= 15;
            continue;
        }
        const int absoluteRank = RankOf[p];
        const bool unstoppable = side == White ? WhitePawnUnstoppable(e, p, f, absoluteRank)
                                               : BlackPawnUnstoppable(e, p, f, absoluteRank);
        if (unstoppable) e.passerFile[side] = f;
    }
    return sign * score;
}

int PassedPawnRace(const EvalScan& e) {
    const int whiteFile = e.passerFile[White], blackFile = e.passerFile[Black];
    if (whiteFile == 0 && blackFile == 0) return 0;
    if (whiteFile != 0) LeadPawnSquare[e.ply][White] = e.frontPawn[White][whiteFile];
    if (blackFile != 0) LeadPawnSquare[e.ply][Black] = e.frontPawn[Black][blackFile];
    if (blackFile == 0) return 700;
    if (whiteFile == 0) return -700;

    // Both sides have one: the pawn nearer promotion wins, the side to move
    // counting one rank ahead.
    int a = RankOf[e.frontPawn[White][whiteFile]];
    int b = 9 - RankOf[e.frontPawn[Black][blackFile]];
    if (a == b) return 0;
    if (e.sideToMove == White)
        ++a;
    else
        ++b;
    if (a > b) return 700;
    if (a < b) return -700;
    return 0;
}
