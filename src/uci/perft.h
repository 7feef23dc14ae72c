// "quill perft DEPTH [FEN]": counts the leaf nodes of the legal move tree.
#pragma once

#include <cstdint>

// Legal leaf nodes below the prepared position at ply, depth plies deep.
// CheckerSquare[ply] must be set (PrepareRoot does it for ply 0).
uint64_t PerftCount(int ply, int depth);
// The command-line mode; argv[1] is "perft". Returns the process exit code.
int PerftCommand(int argc, char** argv);
