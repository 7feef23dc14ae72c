// Pawn structure: pawns on a single file, doubled pawns, passed pawns with
// their refinements, the test for a passed pawn no defender can stop, and the
// race between such pawns. Also points the searches at a side's lead pawn.
#include <bit>

#include "eval/eval_scan.h"
#include "eval/eval_tables.h"
#include "eval/evaluate.h"

namespace {

// May the side's passed pawn p (file f) run to promotion unhindered? Only
// against at most a knight or a rook. The test is the same for both sides,
// ranks counted from the side, except for the knight rule (below).
bool PawnUnstoppable(const EvalScan& e, Side side, int p, int f) {
    const uint8_t* board = e.board;
    const Side enemy = 1 - side;
    const int up = side == White ? 8 : -8;
    const int r = RelativeRank(side, p);
    const int t = e.sideToMove == enemy ? 1 : 0;  // the defender moves first
    const int nEN = CountOf(e, enemy, Knight), nER = CountOf(e, enemy, Rook);
    if (CountOf(e, enemy, Bishop) > 0 || CountOf(e, enemy, Queen) > 0 || nEN >= 2) return false;
    // Only a more advanced pawn takes the mark over.
    if (e.passerFile[side] != 0 && r <= RelativeRank(side, e.frontPawn[side][e.passerFile[side]])) return false;

    const int ownKing = side == White ? e.wk : e.bk;
    const int enemyKing = side == White ? e.bk : e.wk;
    const bool kingBehind = RelativeRank(side, enemyKing) + t < r;
    const bool kingOutsideSquare = std::abs(FileOf[enemyKing] - f) >= 9 - r + t;
    // Nothing on the pawn's way to promotion but, perhaps, a piece of one code.
    auto pathFree = [&](int allowed) {
        for (int x = p + up; x >= 1 && x <= 64; x += up)
            if (board[x] != Empty && board[x] != allowed) return false;
        return true;
    };
    // A piece standing beside the pawn on the last two ranks escorts it.
    auto escorts = [&](int square) {
        const int rank = RelativeRank(side, square);
        return rank >= 7 && std::abs(FileOf[square] - f) == 1 && std::abs(r - rank) < 2;
    };

    if (nER == 0) {
        if (nEN > 0) {
            const int n = e.squares[PieceOf(enemy, Knight)][0];
            // Black's form compares with one rank more than the mirror of
            // White's: it gives up the pawn one rank earlier.
            const int reach = side == White ? 8 - r : 9 - r;
            if (std::abs(FileOf[n] - f) / 2 - 2 * t <= reach) return false;
        }
        bool qualifies = kingBehind || kingOutsideSquare;
        if (!qualifies && r >= 6 && escorts(ownKing)) qualifies = true;
        // The side's first queen (the one on the lowest square) may escort it too.
        if (!qualifies && CountOf(e, side, Queen) > 0 && r >= 6 && escorts(e.squares[PieceOf(side, Queen)][0]))
            qualifies = true;
        return qualifies && pathFree(Empty);
    }

    if (nER == 1 && nEN == 0) {
        if (r < 6) return false;
        // A neighbouring pawn far enough up to promote as well.
        const int needRank = 5 + t;
        const bool neighbour =
            (f > 1 && e.pawnsOnFile[side][f - 1] > 0 && RelativeRank(side, e.frontPawn[side][f - 1]) > needRank) ||
            (f < 8 && e.pawnsOnFile[side][f + 1] > 0 && RelativeRank(side, e.frontPawn[side][f + 1]) > needRank);
        if (!neighbour) return false;
        if (!kingBehind && !kingOutsideSquare) return false;
        return pathFree(PieceOf(enemy, Rook));
    }
    return false;
}

}  // namespace

int PawnStage(EvalScan& e, Side side) {
    EvalTables& et = *ThreadEval;
    const uint8_t* board = e.board;
    const Side enemy = 1 - side;
    const int sign = side == White ? 1 : -1;
    const int up = side == White ? 8 : -8;
    const int ownRook = PieceOf(side, Rook);
    const int ownKing = side == White ? e.wk : e.bk;
    const int enemyKing = side == White ? e.bk : e.wk;
    const bool ownPieces = PieceCount(e, side) > 0;
    // in the side's own view; turned to White's at the end. The census holds
    // what the pawns alone decide: doubled pawns, passed pawns and their
    // protection.
    int score = e.pawnStructure[side];

    // All pawns on one file.
    const unsigned files = e.pawnFiles[side];
    if (files != 0 && (files & (files - 1)) == 0) {
        const int f = std::countr_zero(files) + 1;
        const int p = e.frontPawn[side][f];
        const int r = RelativeRank(side, p);
        if (CountOf(e, enemy, Pawn) + PieceCount(e, enemy) == 0) {
            score += 2 * std::abs(FileOf[enemyKing] - f);
            const int kingRank = RelativeRank(side, enemyKing);
            if (r > kingRank) score += 2 * (r - kingRank);
        }
        if (!ownPieces) {
            const int d = std::abs(FileOf[ownKing] - f);
            if (d > 1) score -= d;
        }
        et.LeadPawnSquare[e.ply][side] = static_cast<uint8_t>(p);
    }

    // Passed pawns, from file 1 up: what the pieces add to them.
    for (unsigned passed = e.passedFiles[side]; passed != 0; passed &= passed - 1) {
        const int f = std::countr_zero(passed) + 1;
        const int p = e.frontPawn[side][f];
        const int r = RelativeRank(side, p);

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
        if (PawnUnstoppable(e, side, p, f)) e.passerFile[side] = f;
    }
    return sign * score;
}

int PassedPawnRace(const EvalScan& e) {
    EvalTables& et = *ThreadEval;
    const int whiteFile = e.passerFile[White], blackFile = e.passerFile[Black];
    if (whiteFile == 0 && blackFile == 0) return 0;
    if (whiteFile != 0) et.LeadPawnSquare[e.ply][White] = e.frontPawn[White][whiteFile];
    if (blackFile != 0) et.LeadPawnSquare[e.ply][Black] = e.frontPawn[Black][blackFile];
    if (blackFile == 0) return 700;
    if (whiteFile == 0) return -700;

    // Both sides have one: the pawn nearer promotion wins, the side to move
    // counting one rank ahead.
    int a = RankOf[e.frontPawn[White][whiteFile]];
    int b = 9 - RankOf[e.frontPawn[Black][blackFile]];
    if (a == b) return 0;
    if (e.sideToMove == White) ++a;
    else ++b;
    if (a > b) return 700;
    if (a < b) return -700;
    return 0;
}
