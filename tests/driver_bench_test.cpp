// The bench mode: a fixed node count at a fixed depth, the same on every
// run, and its output lines.
#include <gtest/gtest.h>

#include <regex>

#include "engine_process.h"
#include "search_test_util.h"
#include "uci/bench.h"

TEST(DriverBench, DepthThreeNodeCountIsPinnedAndRepeats) {
    const BenchResult first = RunBench(3);
    EXPECT_EQ(first.Positions, 35);
    EXPECT_EQ(first.Nodes, 252491u);
    const BenchResult second = RunBench(3);
    EXPECT_EQ(second.Nodes, first.Nodes);
    EXPECT_FALSE(OutputSilenced);
}

TEST(DriverBench, CommandPrintsTotalsAndWritesNoLog) {
    EngineProcess engine({"bench", "3"});
    EXPECT_EQ(engine.Wait(60000), 0);
    engine.Fill(200);
    EXPECT_NE(engine.AllOutput.find("\nNodes searched: 252491\n"), std::string::npos) << engine.AllOutput;
    // The last line carries both figures in the "N nodes" and "N nps" form
    // that distributed testing clients read; the speed is the one above it.
    std::smatch m;
    ASSERT_TRUE(std::regex_search(engine.AllOutput, m,
                                  std::regex("\nNodes/second: ([0-9]+)\nTotal: 252491 nodes ([0-9]+) nps\n$")))
        << engine.AllOutput;
    EXPECT_EQ(m[1], m[2]);
    EXPECT_EQ(engine.AllOutput.find("bestmove"), std::string::npos);
    EXPECT_EQ(engine.ReadFile("Log.Txt"), "");
}

TEST(DriverBench, CommandWithThreadsAndHashSearchesWithThatTable) {
    // One thread with a 16-megabyte table: deterministic, and another count
    // than with the 1-megabyte table (fewer entries overwritten).
    EngineProcess engine({"bench", "3", "threads", "1", "hash", "16"});
    EXPECT_EQ(engine.Wait(60000), 0);
    engine.Fill(200);
    EXPECT_NE(engine.AllOutput.find("Positions: 35\nDepth: 3\nThreads: 1\nHash: 16\nTime (ms): "), std::string::npos)
        << engine.AllOutput;
    EXPECT_NE(engine.AllOutput.find("\nNodes searched: 252277\nMain thread nodes: 252277\n"), std::string::npos)
        << engine.AllOutput;
    // In the process the table is back to 1 megabyte after such a run.
    EXPECT_EQ(RunBench(3, false, 1, 16).Nodes, 252277u);
    EXPECT_EQ(EntryCount, 69905u);
    EXPECT_EQ(RunBench(3).Nodes, 252491u);
}

TEST(DriverBench, ListModePrintsEachPositionAndTheirNodesAddUp) {
    EngineProcess engine({"bench", "3", "list"});
    EXPECT_EQ(engine.Wait(60000), 0);
    engine.Fill(200);
    const std::regex line("Position ([0-9]+) nodes ([0-9]+) move ([a-h][1-8][a-h][1-8][nbrq]?) pv \\3[^\n]*\n");
    int positions = 0;
    uint64_t nodes = 0;
    for (auto it = std::sregex_iterator(engine.AllOutput.begin(), engine.AllOutput.end(), line);
         it != std::sregex_iterator(); ++it) {
        ++positions;
        EXPECT_EQ(std::stoi((*it)[1].str()), positions);
        nodes += std::stoull((*it)[2].str());
    }
    EXPECT_EQ(positions, 35);
    EXPECT_EQ(nodes, 252491u);
    // The first opening position plays d2d4 at this depth; the king-and-rook mate is a1a8.
    EXPECT_NE(engine.AllOutput.find("Position 1 nodes 186 move d2d4 pv d2d4"), std::string::npos);
    EXPECT_NE(engine.AllOutput.find("Position 27 nodes 132 move a1a8 pv a1a8\n"), std::string::npos);
    EXPECT_NE(engine.AllOutput.find("\nNodes searched: 252491\n"), std::string::npos);
}
