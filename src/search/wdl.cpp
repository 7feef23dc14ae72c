// The win/draw/loss model: a logistic curve for the win rate in the score,
// and its mirror image for the loss rate; the draw rate is what remains.
//   win(s)  = 1 / (1 + exp(-(s - WdlShiftCp) / WdlScaleCp))
//   loss(s) = win(-s)
// The constants are the maximum-likelihood fit of tools/wdl-fit.py on
// Quill's self-play games.
#include "search/wdl.h"

#include <algorithm>
#include <cmath>

bool ShowWdl = false;

namespace {

constexpr double WdlShiftCp = 150;
constexpr double WdlScaleCp = 80;
// Scores this far from zero are decided: mates (beyond 20000) and the
// table wins and losses reported just below them.
constexpr int DecidedScore = 15000;

int Permille(double rate) { return static_cast<int>(std::lround(rate * 1000)); }

double WinRate(double score) { return 1 / (1 + std::exp(-(score - WdlShiftCp) / WdlScaleCp)); }

}  // namespace

WdlPermille WdlForScore(int score) {
    if (score >= DecidedScore) return {1000, 0, 0};
    if (score <= -DecidedScore) return {0, 0, 1000};
    int win = Permille(WinRate(score));
    int loss = Permille(WinRate(-score));
    // Rounding can take the two past 1000 only when the draw rate is below
    // a permille: the larger one gives way.
    if (win + loss > 1000) (win > loss ? win : loss) = 1000 - (win > loss ? loss : win);
    return {win, 1000 - win - loss, loss};
}

std::string WdlText(int score) {
    if (!ShowWdl) return "";
    const WdlPermille w = WdlForScore(score);
    return " wdl " + std::to_string(w.Win) + " " + std::to_string(w.Draw) + " " + std::to_string(w.Loss);
}
