// Every line the searches send to the GUI: the "info" lines of the root and
// of the iterations, and "bestmove". All go out through SendLine.
#include "search/info.h"

#include "board/movetext.h"
#include "platform/output.h"
#include "play/wdl.h"
#include "search/control.h"
#include "search/search.h"
#include "search/syzygy.h"
#include "search/threads.h"
#include "search/time.h"

bool RootLinesMuted = false;

namespace {
Move ReportedMove{0, 0};

std::string DepthText() {
    SearchThread& st = *ThreadSearch;
    return "info depth " + std::to_string(st.IterationDepth) + " seldepth " + std::to_string(st.SelDepth);
}

std::string NodesAndTime() {
    return " nodes " + std::to_string(TotalNodes()) + " time " +
           std::to_string(static_cast<int64_t>(ElapsedMilliseconds())) + TablebaseHitsText();
}
}  // namespace

std::string ScoreText(int score) {
    // With UCI_ShowWDL on, the expected outcome follows every score.
    if ((score > -MateBound && score < MateBound) || score > MateScore || score < -MateScore)
        return " score cp " + std::to_string(score) + WdlText(score);
    if (score > MateBound) return " score mate " + std::to_string((ScoreInfinity - score) / 2) + WdlText(score);
    return " score mate -" + std::to_string((score + ScoreInfinity) / 2) + WdlText(score);
}

std::string SpeedLine(uint64_t nodes, double elapsedMs) {
    // Below a millisecond the speed is taken over one millisecond.
    const double ms = elapsedMs < 1 ? 1 : elapsedMs;
    const uint64_t nps = static_cast<uint64_t>(static_cast<double>(nodes * 1000) / ms);
    return "info nodes " + std::to_string(nodes) + " time " + std::to_string(static_cast<int64_t>(elapsedMs)) +
           " nps " + std::to_string(nps) + TablebaseHitsText();
}

std::string LineText(const Move* line, int maxMoves) {
    const int length = LegalLineLength(line, maxMoves);
    if (length == 0) return "";
    std::string text = " pv";
    for (int k = 0; k < length; ++k) text += MoveText(line[k]);
    return text;
}

std::string PvText(int maxMoves) {
    SearchThread& st = *ThreadSearch;
    return LineText(st.PvTable[0], maxMoves);
}

void SendRootInfoLine(int score, int pvMoves) {
    SearchThread& st = *ThreadSearch;
    if (IsHelperThread() || RootLinesMuted) return;  // only the main search thread reports
    const std::string pv = PvText(pvMoves);
    if (!pv.empty()) ReportedMove = st.PvTable[0][0];
    SendLine(DepthText() + ScoreText(TablebaseRootScore(score)) + NodesAndTime() + pv);
}

void SendMultiPvLine(int rank, int score, const Move* line) {
    const std::string pv = LineText(line, LastLineSlot + 1);
    if (rank == 1 && !pv.empty()) ReportedMove = line[0];
    SendLine(DepthText() + " multipv " + std::to_string(rank) + ScoreText(TablebaseRootScore(score)) + NodesAndTime() +
             pv);
}

Move LastReportedMove() { return ReportedMove; }
void ForgetReportedMove() { ReportedMove = Move{0, 0}; }

void SendCurrMoveLine(Move move, int number) {
    if (IsHelperThread()) return;
    SendLine(DepthText() + " currmove" + MoveText(move) + " currmovenumber " + std::to_string(number) + " nodes " +
             std::to_string(TotalNodes()) + TablebaseHitsText());
}

void SendSpeedLine(uint64_t nodes, double elapsedMs) { SendLine(SpeedLine(nodes, elapsedMs)); }

void SendBestMove(Move move, Move ponder) {
    std::string line = "bestmove" + MoveText(move);
    if (ponder.From != 0) line += " ponder" + MoveText(ponder);
    SendLine(line);
    EndTablebaseSearch();
}
