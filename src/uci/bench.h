// "quill bench [DEPTH [list]]" and "quill bench DEPTH threads N [hash MB]": searches a fixed list of positions to a
// fixed depth and reports the total node count and the speed. A change meant to leave the search alone must leave the
// node count unchanged.
#pragma once

#include <cstdint>

constexpr int DefaultBenchDepth = 6;

struct BenchResult {
    uint64_t Nodes;      // of all threads
    uint64_t MainNodes;  // of the main search thread alone
    double Milliseconds;
    int Positions;
};

// Searches every built-in position to the depth from a freshly cleared state
// and sends nothing to a GUI, with threads search threads (1: deterministic,
// the node count is the search's signature). With listPositions, prints one
// line per position on standard output: its node count, chosen move and line.
// The table has hashMegabytes (1..4096) for the run and 1 megabyte again after it.
BenchResult RunBench(int depth, bool listPositions = false, int threads = 1, int hashMegabytes = 1);
// The command-line mode; returns the process exit code.
int BenchCommand(int argc, char** argv);
