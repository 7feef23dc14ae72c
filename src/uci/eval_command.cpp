// "quill eval": for each FEN, set the position up as the "position fen"
// command does, prepare the root and print
//   <score> <dead draw 0/1> <lead pawn of White> <lead pawn of Black>
// with squares as numbers 1..64 (0 = none). A FEN that is rejected prints a
// line starting with "error" and the next one is read.
#include "uci/eval_command.h"

#include <cstdio>
#include <iostream>
#include <string>

#include "board/board.h"
#include "board/setup.h"
#include "eval/evaluate.h"
#include "search/reset.h"

namespace {

void EvaluateFen(const std::string& fen) {
    EvalTables& et = *ThreadEval;
    if (!SetupFen(fen)) {
        std::printf("error: rejected FEN: %s\n", fen.c_str());
        return;
    }
    PrepareRoot();
    ResetEvalPly(0);
    const int score = Evaluate(0);
    std::printf("%d %d %d %d\n", score, et.DeadDrawFlag ? 1 : 0, et.LeadPawnSquare[0][White],
                et.LeadPawnSquare[0][Black]);
}

// Drops a trailing carriage return and surrounding blanks.
std::string Trimmed(const std::string& line) {
    const auto first = line.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return std::string();
    const auto last = line.find_last_not_of(" \t\r\n");
    return line.substr(first, last - first + 1);
}

}  // namespace

int EvalCommand(int argc, char** argv) {
    ResetEngineState();
    if (argc > 2) {
        std::string fen = argv[2];
        for (int i = 3; i < argc; ++i) fen += std::string(" ") + argv[i];
        EvaluateFen(Trimmed(fen));
        std::fflush(stdout);
        return 0;
    }
    std::string line;
    while (std::getline(std::cin, line)) {
        // One output line per input line, blank lines included (they are rejected).
        EvaluateFen(Trimmed(line));
    }
    std::fflush(stdout);
    return 0;
}
