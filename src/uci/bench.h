// "quill bench [DEPTH [list]]": searches a fixed list of positions to a fixed depth
// and reports the total node count and the speed. A change meant to leave
// the search alone must leave the node count unchanged.
#pragma once

#include <cstdint>

constexpr int DefaultBenchDepth = 6;

struct BenchResult {
    uint64_t Nodes;       // of all threads
    uint64_t MainNodes;   // of the main search thread alone
    double Milliseconds;
    int Positions;
};

// Searches every built-in position to the depth from a freshly cleared state
// and sends nothing to a GUI, with threads search threads (1: deterministic,
// the node count is the search's signature). With listPositions, prints one
// line per position on standard output: its node count, chosen move and line.
BenchResult RunBench(int depth, bool listPositions = false, int threads = 1);
// The command-line mode; returns the process exit code.
int BenchCommand(int argc, char** argv);
