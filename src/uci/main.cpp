// Process entry. With no arguments Quill is the UCI engine; the first
// argument can name a command-line mode instead.
#include <cstring>

#include "platform/platform.h"
#include "uci/about.h"
#include "uci/bench.h"
#include "uci/eval_command.h"
#include "uci/perft.h"
#include "uci/process.h"

int main(int argc, char** argv) {
    // Every mode writes lines that end in a single line feed, on Windows too.
    PrepareProcessIo();
    if (argc > 1 && std::strcmp(argv[1], "perft") == 0) return PerftCommand(argc, argv);
    if (argc > 1 && std::strcmp(argv[1], "eval") == 0) return EvalCommand(argc, argv);
    if (argc > 1 && std::strcmp(argv[1], "bench") == 0) return BenchCommand(argc, argv);
    if (argc > 1 && std::strcmp(argv[1], "--version") == 0) return VersionCommand();
    if (argc > 1 && std::strcmp(argv[1], "--help") == 0) return HelpCommand();
    return RunEngine();
}
