// Perft: leaf counts of the legal move tree against the published values,
// and the "quill perft" command-line mode.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>

#include "board_test_util.h"
#include "engine_process.h"
#include "perft_cases.h"
#include "uci/perft.h"

namespace {

const char* const Kiwipete = "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1";

}  // namespace

// Small enough for the sanitizer builds.
TEST(Perft, ShallowCountsOfTheStandardPositions) {
    const PerftCase cases[] = {
        {nullptr, 1, 20},
        {nullptr, 2, 400},
        {nullptr, 3, 8902},
        {nullptr, 4, 197281},
        {Kiwipete, 1, 48},
        {Kiwipete, 2, 2039},
        {Kiwipete, 3, 97862},
        {"8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1", 4, 43238},
        {"r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1", 3, 9467},
        {"r2q1rk1/pP1p2pp/Q4n2/bbp1p3/Np6/1B3NBn/pPPP1PPP/R3K2R b KQ - 0 1", 3, 9467},
        {"rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8", 3, 62379},
        {"r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - - 0 10", 3, 89890},
        {"8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1", 1, 14},
        {"8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1", 2, 191},
        {"8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1", 3, 2812},
        // Self-stalemate, mates and stalemates at the leaves.
        {"K1k5/8/P7/8/8/8/8/8 w - - 0 1", 6, 2217},
        {"8/8/2k5/5q2/5n2/8/5K2/8 b - - 0 1", 4, 23527},
        // En passant that would expose the king along a diagonal.
        {"8/8/1k6/2b5/2pP4/8/5K2/8 b - d3 0 1", 6, 1440467},
    };
    CheckPerftCases(cases);
}

TEST(Perft, SlowPublishedCounts) {
    const PerftCase cases[] = {
        {nullptr, 5, 4865609},
        {Kiwipete, 4, 4085603},
        {"8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1", 6, 11030083},
        {"r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1", 5, 15833292},
        {"rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8", 4, 2103487},
        {"r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - - 0 10", 4, 3894594},
        {"3k4/3p4/8/K1P4r/8/8/8/8 b - - 0 1", 6, 1134888},
        {"8/8/4k3/8/2p5/8/B2P2K1/8 w - - 0 1", 6, 1015133},
        {"8/8/1k6/2b5/2pP4/8/5K2/8 b - d3 0 1", 6, 1440467},
        {"8/5bk1/8/2Pp4/8/1K6/8/8 w - d6 0 1", 6, 824064},
        {"8/8/1k6/8/2pP4/8/5BK1/8 b - d3 0 1", 6, 824064},
        {"5k2/8/8/8/8/8/8/4K2R w K - 0 1", 6, 661072},
        {"3k4/8/8/8/8/8/8/R3K3 w Q - 0 1", 6, 803711},
        {"r3k2r/1b4bq/8/8/8/8/7B/R3K2R w KQkq - 0 1", 4, 1274206},
        {"r3k2r/8/3Q4/8/8/5q2/8/R3K2R b KQkq - 0 1", 4, 1720476},
        {"2K2r2/4P3/8/8/8/8/8/3k4 w - - 0 1", 6, 3821001},
        {"8/8/1P2K3/8/2n5/1q6/8/5k2 b - - 0 1", 5, 1004658},
        {"4k3/1P6/8/8/8/8/K7/8 w - - 0 1", 6, 217342},
        {"8/P1k5/K7/8/8/8/8/8 w - - 0 1", 6, 92683},
        {"8/k1P5/8/1K6/8/8/8/8 w - - 0 1", 7, 567584},
    };
    CheckPerftCases(cases);
}

TEST(Perft, CommandLineModePrintsRootMovesAndTotal) {
    EngineProcess engine({"perft", "2"});
    std::string line;
    ASSERT_TRUE(engine.ReadLine(line));
    EXPECT_EQ(line, "b1a3: 20");
    std::vector<std::string> rest = engine.ReadUntil("Nodes searched: ");
    ASSERT_FALSE(rest.empty());
    EXPECT_EQ(rest.back(), "Nodes searched: 400");
    ASSERT_GE(rest.size(), 2u);
    EXPECT_EQ(rest[rest.size() - 2], "");
    EXPECT_EQ(rest[rest.size() - 3], "h2h4: 20");
    EXPECT_EQ(engine.Wait(), 0);
    EXPECT_FALSE(std::filesystem::exists(engine.Directory + "/Log.Txt"));  // no log in this mode

    EngineProcess kiwi({"perft", "1", Kiwipete});
    std::vector<std::string> lines = kiwi.ReadUntil("Nodes searched: ");
    ASSERT_EQ(lines.size(), 50u);
    EXPECT_EQ(lines.front(), "a1b1: 1");
    EXPECT_EQ(lines.back(), "Nodes searched: 48");
    EXPECT_EQ(kiwi.Wait(), 0);

    EngineProcess bad({"perft", "3", "8/8/8/8/8/8/8/8 w - - 0 1"});
    EXPECT_EQ(bad.Wait(), 2);
    EXPECT_EQ(bad.AllOutput, "");
}
