// Perft cases for the tests: a position (a FEN, or nullptr for the start
// position), a depth and the leaf count it must give.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>

#include "board_test_util.h"
#include "uci/perft.h"

struct PerftCase {
    const char* Fen;
    int Depth;
    uint64_t Nodes;
};

// Leaf count of a position to a depth, from fresh tables.
inline uint64_t PerftOf(const char* fen, int depth) {
    FreshTables();
    if (fen != nullptr) Fen(fen);
    else PrepareRoot();
    return PerftCount(0, depth);
}

// Checks every case, naming the position and depth of a wrong count.
template <std::size_t N>
void CheckPerftCases(const PerftCase (&cases)[N]) {
    for (const PerftCase& c : cases)
        EXPECT_EQ(PerftOf(c.Fen, c.Depth), c.Nodes) << (c.Fen != nullptr ? c.Fen : "startpos") << " depth " << c.Depth;
}
