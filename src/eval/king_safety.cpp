// King safety: open lines next to a king (up to two squares in each of the
// four orthogonal directions), a king on a file without pawns, and a
// multiplier when the enemy queen is near.
#include "eval/eval_scan.h"

int KingDanger(EvalScan& e, Side side) {
    const Side enemy = 1 - side;
    const int enemyQueens = CountOf(e, enemy, Queen), enemyRooks = CountOf(e, enemy, Rook);
    // Needs a queen, or at least two rooks and minors together.
    if (enemyQueens == 0 && enemyRooks + MinorCount(e, enemy) < 2) return 0;

    const uint8_t* board = e.board;
    const int k = side == White ? e.wk : e.bk;
    const int f = FileOf[k], r = RankOf[k];
    // A square is open for the attacker when it holds none of the king's pieces.
    auto open = [&](int s) { return ColourOf[board[s]] != side; };
    int danger = 0;

    if (r <= 6 && open(k + 8)) danger += (r <= 5 && open(k + 16)) ? 5 : 2;
    if (r >= 3 && open(k - 8)) danger += (r >= 4 && open(k - 16)) ? 5 : 2;
    if (f <= 6 && open(k + 1)) danger += (f <= 5 && open(k + 2)) ? 5 : 2;
    if (f >= 3 && open(k - 1)) danger += (f >= 4 && open(k - 2)) ? 5 : 2;

    if (e.pawnsOnFile[White][f] == 0 && e.pawnsOnFile[Black][f] == 0) danger += enemyQueens + enemyRooks + 2;

    if (enemyQueens > 0 && danger > 8) {
        const int q = e.squares[6 * enemy + 5][0];
        const bool near = std::abs(RankOf[q] - r) < 4 && std::abs(FileOf[q] - f) < 4;
        danger *= near ? 4 : 2;
    }
    e.kingDanger[side] = danger;
    return danger;
}
