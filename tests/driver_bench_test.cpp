// The bench mode: a fixed node count at a fixed depth, the same on every
// run, and its output lines.
#include <gtest/gtest.h>

#include <regex>

#include "engine/bench.h"
#include "engine_process.h"
#include "search_test_util.h"

TEST(DriverBench, DepthThreeNodeCountIsPinnedAndRepeats) {
    const BenchResult first = RunBench(3);
    EXPECT_EQ(first.Positions, 35);
    EXPECT_EQ(first.Nodes, 252490u);
    const BenchResult second = RunBench(3);
    EXPECT_EQ(second.Nodes, first.Nodes);
    EXPECT_FALSE(OutputSilenced);
}

TEST(DriverBench, CommandPrintsTotalsAndWritesNoLog) {
    EngineProcess engine({"bench", "3"});
    EXPECT_EQ(engine.Wait(60000), 0);
    engine.Fill(200);
    EXPECT_NE(engine.AllOutput.find("\nNodes searched: 252490\n"), std::string::npos) << engine.AllOutput;
    EXPECT_TRUE(std::regex_search(engine.AllOutput, std::regex("\nNodes/second: [0-9]+\n$"))) << engine.AllOutput;
    EXPECT_EQ(engine.AllOutput.find("bestmove"), std::string::npos);
    EXPECT_EQ(engine.ReadFile("Log.Txt"), "");
}
