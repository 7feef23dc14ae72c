// Process entry. With no arguments Quill is the UCI engine; the first
// argument can name a command-line mode instead.
#include <cstring>

#include "engine/eval_command.h"
#include "engine/perft.h"
#include "engine/process.h"

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "perft") == 0) return PerftCommand(argc, argv);
    if (argc > 1 && std::strcmp(argv[1], "eval") == 0) return EvalCommand(argc, argv);
    return RunEngine();
}
