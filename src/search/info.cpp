// Every line the searches send to the GUI: the "info" lines of the root and
// of the iterations, and "bestmove". All go out through SendLine.
#include "search/info.h"

#include "board/movetext.h"
#include "platform/output.h"
#include "search/control.h"
#include "search/search.h"
#include "search/threads.h"
#include "search/time.h"

std::string ScoreText(int score) {
    if ((score > -MateBound && score < MateBound) || score > MateScore || score < -MateScore)
        return " score cp " + std::to_string(score);
    if (score > MateBound) return " score mate " + std::to_string((ScoreInfinity - score) / 2);
    return " score mate -" + std::to_string((score + ScoreInfinity) / 2);
}

std::string SpeedLine(uint64_t nodes, double elapsedMs) {
    const uint64_t nps = static_cast<uint64_t>(static_cast<double>(nodes * 1000) / elapsedMs);
    return "info nodes " + std::to_string(nodes) + " time " + std::to_string(static_cast<int64_t>(elapsedMs)) +
           " nps " + std::to_string(nps);
}

std::string PvText(int maxMoves) {
    SearchThread& st = *ThreadSearch;
    std::string text = " pv";
    const int length = LegalLineLength(st.PvTable[0], maxMoves);
    for (int k = 0; k < length; ++k) text += MoveText(st.PvTable[0][k]);
    return text;
}

void SendRootInfoLine(int score, int pvMoves) {
    SearchThread& st = *ThreadSearch;
    if (IsHelperThread()) return;  // only the main search thread reports
    SendLine("info depth " + std::to_string(st.IterationDepth) + " seldepth " + std::to_string(st.SelDepth) +
             ScoreText(score) + " nodes " + std::to_string(TotalNodes()) + " time " +
             std::to_string(static_cast<int64_t>(ElapsedMilliseconds())) + PvText(pvMoves));
}

void SendCurrMoveLine(Move move, int number) {
    SearchThread& st = *ThreadSearch;
    if (IsHelperThread()) return;
    SendLine("info depth " + std::to_string(st.IterationDepth) + " seldepth " + std::to_string(st.SelDepth) +
             " currmove" + MoveText(move) + " currmovenumber " + std::to_string(number) + " nodes " +
             std::to_string(TotalNodes()));
}

void SendSpeedLine(uint64_t nodes, double elapsedMs) { SendLine(SpeedLine(nodes, elapsedMs)); }

void SendBestMove(Move move) { SendLine("bestmove" + MoveText(move)); }
