// The win/draw/loss model: a logistic curve for the win rate in the score,
// and its mirror image for the loss rate; the draw rate is what remains.
// Shift and scale depend on the material left, m (pawn units on the board,
// both sides, over the 78 of the start position, at most 1): with less
// material a score converts less often and a draw is likelier.
//   a(m) = WdlShiftCp + WdlShiftPerMaterialCp * m
//   b(m) = WdlScaleCp + WdlScalePerMaterialCp * m
//   win(s) = 1 / (1 + exp(-(s - a) / b)),   loss(s) = win(-s)
// The constants are the maximum-likelihood fit of tools/wdl-fit.py on
// Quill's self-play games (220 games at 2+0.02, 24266 scored positions).
#include "play/wdl.h"

#include <algorithm>
#include <cmath>

#include "board/board.h"

bool ShowWdl = false;

namespace {

constexpr double WdlShiftCp = 362;
constexpr double WdlShiftPerMaterialCp = -332;
constexpr double WdlScaleCp = 307;
constexpr double WdlScalePerMaterialCp = -207;
// The material of the start position in pawn units (pawn 1, knight and
// bishop 3, rook 5, queen 9), which m is measured against.
constexpr int StartMaterial = 78;
// Neither shift nor scale goes below this many centipawns.
constexpr double SmallestShapeCp = 1;
// Scores this far from zero are decided: mates (beyond 20000) and the
// table wins and losses reported just below them.
constexpr int DecidedScore = 15000;

int Permille(double rate) { return static_cast<int>(std::lround(rate * 1000)); }

}  // namespace

int WdlMaterial(const PlyPosition& p) {
    constexpr int Values[] = {0, 1, 3, 3, 5, 9, 0};
    int total = 0;
    for (int kind = Pawn; kind <= Queen; ++kind)
        total += Values[kind] * (CountSquares(p.PieceSquares[PieceOf(White, kind)]) +
                                 CountSquares(p.PieceSquares[PieceOf(Black, kind)]));
    return total;
}

WdlPermille WdlForScore(int score, int material) {
    if (score >= DecidedScore) return {1000, 0, 0};
    if (score <= -DecidedScore) return {0, 0, 1000};
    const double m = std::clamp(material / static_cast<double>(StartMaterial), 0.0, 1.0);
    const double shift = std::max(SmallestShapeCp, WdlShiftCp + WdlShiftPerMaterialCp * m);
    const double scale = std::max(SmallestShapeCp, WdlScaleCp + WdlScalePerMaterialCp * m);
    auto winRate = [&](double s) { return 1 / (1 + std::exp(-(s - shift) / scale)); };
    int win = Permille(winRate(score));
    int loss = Permille(winRate(-score));
    // Rounding can take the two past 1000 only when the draw rate is below
    // a permille: the larger one gives way.
    if (win + loss > 1000) (win > loss ? win : loss) = 1000 - (win > loss ? loss : win);
    return {win, 1000 - win - loss, loss};
}

std::string WdlText(int score) {
    if (!ShowWdl) return "";
    const WdlPermille w = WdlForScore(score, WdlMaterial(ThreadBoard->PositionStack[0]));
    return " wdl " + std::to_string(w.Win) + " " + std::to_string(w.Draw) + " " + std::to_string(w.Loss);
}
