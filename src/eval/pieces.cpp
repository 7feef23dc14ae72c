// Terms of the knights, bishops, rooks and queens beyond their square values:
// rooks and queens (safety from pawns, mobility, the seventh rank, open
// files), file control, the bishop pair and blocked bishops, and knight
// outposts.
#include "eval/eval_scan.h"
#include "eval/eval_tables.h"

int RookAndQueenTerms(const EvalScan& e, Side side) {
    const uint8_t* board = e.board;
    const Side enemy = 1 - side;
    const int sign = side == White ? 1 : -1;
    const int ownRook = PieceOf(side, Rook), ownQueen = PieceOf(side, Queen);
    const int enemyKing = side == White ? e.bk : e.wk;
    // The enemy king on its back rank and the piece on the rank before it.
    const bool enemyKingOnBackRank = RelativeRank(side, enemyKing) == 8;
    int score = 0;

    for (int i = 0; i < ListedCount(e, ownRook); ++i) {
        const int s = e.squares[ownRook][i];
        const int f = FileOf[s];
        if (PawnSafe(e, side, s)) score += 4;
        // Boxed in between own pieces (or the edge) on its rank.
        const bool leftShut = f == 1 || ColourOf[board[s - 1]] == side;
        const bool rightShut = f == 8 || ColourOf[board[s + 1]] == side;
        if (leftShut && rightShut) score -= 15;
        if (enemyKingOnBackRank && RelativeRank(side, s) == 7) score += 20;
        if (e.pawnsOnFile[side][f] == 0) {
            if (e.pawnsOnFile[enemy][f] > 0) {
                score += 10;  // half-open file
            } else {
                score += 25;  // open file
                if (std::abs(f - FileOf[enemyKing]) == 1) score += (e.pieceSet[enemy] & FileSquares(f)) == 0 ? 5 : 3;
            }
        }
    }

    for (int i = 0; i < ListedCount(e, ownQueen); ++i) {
        const int s = e.squares[ownQueen][i];
        if (PawnSafe(e, side, s)) score += 4;
        if (enemyKingOnBackRank && RelativeRank(side, s) == 7) score += 10;
    }
    return sign * score;
}

int FileControl(const EvalScan& e, Side side) {
    const Side enemy = 1 - side;
    // Only against an enemy without rooks and queens.
    if (HeavyCount(e, enemy) > 0) return 0;
    int score = 0;
    for (int f = 1; f <= 8; ++f) {
        if (e.pawnsOnFile[side][f] > 0) continue;
        score += 3;
        if (e.pawnsOnFile[enemy][f] == 0) score += 2;
        if ((e.pieceSet[enemy] & FileSquares(f)) == 0) score += 1;
    }
    return side == White ? score : -score;
}

namespace {

// The on-board squares diagonally next to each square as masks (bit t - 1
// for square t): [0] on the a1-h8 diagonal (s - 9, s + 9), [1] on the
// h1-a8 diagonal (s - 7, s + 7).
constexpr auto DiagonalNeighbours = [] {
    struct {
        uint64_t squares[2][SquareSlots];
    } t{};
    for (int s = 1; s <= 64; ++s) {
        const int f = FileOf[s], r = RankOf[s];
        if (f > 1 && r > 1) t.squares[0][s] |= uint64_t{1} << (s - 9 - 1);
        if (f < 8 && r < 8) t.squares[0][s] |= uint64_t{1} << (s + 9 - 1);
        if (f < 8 && r > 1) t.squares[1][s] |= uint64_t{1} << (s - 7 - 1);
        if (f > 1 && r < 8) t.squares[1][s] |= uint64_t{1} << (s + 7 - 1);
    }
    return t;
}();

}  // namespace

int BishopTerms(const EvalScan& e, Side side) {
    const int ownBishop = PieceOf(side, Bishop);
    if (e.count[ownBishop] == 0) return 0;
    const uint8_t* board = e.board;
    const Side enemy = 1 - side;
    const int enemyPawn = 6 * enemy + 1;
    const int enemyKing = side == White ? e.bk : e.wk;
    int score = 0;

    if (e.bishopOnColour[side][0] && e.bishopOnColour[side][1]) {
        // The pair, worth less with many own pawns.
        score += 65 - 3 * CountOf(e, side, Pawn);
        if (MinorCount(e, enemy) == 0) score += 5;
    } else {
        // All bishops on one colour: own pawns on it get in the way; alone
        // (no queen, rook or knight) it cannot reach the other colour.
        const int c = e.bishopOnColour[side][1] ? 1 : 0;
        score += 30 - 6 * e.pawnsOnColour[side][c];
        if (CountOf(e, side, Queen) + CountOf(e, side, Rook) + CountOf(e, side, Knight) == 0) {
            score -= 2 * e.pawnsOnColour[enemy][1 - c];
            if (SquareColour(enemyKing) == 1 - c) score -= 2;
        }
    }

    // The trapped-bishop patterns: on the enemy's seventh rank in the corner
    // file, shut in by two enemy pawns.
    const int hTrap = side == White ? 56 : 16, aTrap = side == White ? 49 : 9;  // h7/a7, h2/a2
    const int up = side == White ? 8 : -8;
    for (int i = 0; i < ListedCount(e, ownBishop); ++i) {
        const int s = e.squares[ownBishop][i];
        if (PawnSafe(e, side, s)) score += 4;
        const bool diagonalA = (DiagonalNeighbours.squares[0][s] & ~e.occupied) != 0;
        const bool diagonalB = (DiagonalNeighbours.squares[1][s] & ~e.occupied) != 0;
        if (diagonalA) score += 3;
        if (diagonalB) score += 3;
        if (!diagonalA && !diagonalB) {
            score -= 90;  // no empty square next to it on a diagonal
        } else if ((s == hTrap && board[hTrap - up - 1] == enemyPawn && board[hTrap - 2] == enemyPawn) ||
                   (s == aTrap && board[aTrap - up + 1] == enemyPawn && board[aTrap + 2] == enemyPawn)) {
            score -= 93;
        }
    }
    return side == White ? score : -score;
}

int KnightTerms(const EvalScan& e, Side side) {
    const int ownKnight = PieceOf(side, Knight), ownPawn = PieceOf(side, Pawn);
    const uint8_t* board = e.board;
    const int enemyKing = side == White ? e.bk : e.wk;
    const int up = side == White ? 8 : -8;
    int score = 0;
    for (int i = 0; i < ListedCount(e, ownKnight); ++i) {
        const int s = e.squares[ownKnight][i];
        if (!PawnSafe(e, side, s)) continue;
        score += 4;
        // An outpost near the enemy king, defended by a pawn.
        const int f = FileOf[s];
        if (RelativeRank(side, s) == 1) continue;
        if (std::abs(RankOf[s] - RankOf[enemyKing]) >= 4 || std::abs(f - FileOf[enemyKing]) >= 4) continue;
        const int behind = s - up;
        if ((f < 8 && board[behind + 1] == ownPawn) || (f > 1 && board[behind - 1] == ownPawn))
            score += 2 * KnightTable[s];
    }
    return side == White ? score : -score;
}
