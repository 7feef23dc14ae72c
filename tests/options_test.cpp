// The option table: the range and default that "uci" lists for an option are
// the ones its value check applies.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "engine_process.h"
#include "search/syzygy.h"

TEST(Options, ListedRangesAndDefaultsAreTheOnesTheValueCheckUses) {
    EngineProcess engine;
    engine.Send("uci");
    const std::vector<std::string> listing = engine.ReadUntil("uciok");
    ASSERT_FALSE(listing.empty());
    // Each spin option: below its minimum, above its maximum (not Threads,
    // which would start 257 threads) and a word; each check option: a word.
    std::string expected;
    int spins = 0, checks = 0;
    for (const std::string& line : listing) {
        const std::size_t typeAt = line.find(" type ");
        if (line.rfind("option name ", 0) != 0 || typeAt == std::string::npos) continue;
        const std::string name = line.substr(12, typeAt - 12);
        std::istringstream rest(line.substr(typeAt + 6));
        std::string kind, word;
        rest >> kind;
        if (kind == "spin") {
            int def = 0, min = 0, max = 0;
            rest >> word >> def >> word >> min >> word >> max;
            const std::string range = " is out of range " + std::to_string(min) + ".." + std::to_string(max);
            engine.Send("setoption name " + name + " value " + std::to_string(min - 1));
            expected += "info string option " + name + ": value " + std::to_string(min - 1) + range + "; using " +
                        std::to_string(min) + "\n";
            if (name != "Threads") {
                engine.Send("setoption name " + name + " value " + std::to_string(max + 1));
                expected += "info string option " + name + ": value " + std::to_string(max + 1) + range + "; using " +
                            std::to_string(max) + "\n";
            }
            engine.Send("setoption name " + name + " value x1");
            expected += "info string option " + name + ": value 'x1' is not a number; keeping " +
                        std::to_string(name != "Threads" ? max : min) + "\n";
            ++spins;
        } else if (kind == "check") {
            std::string def;
            rest >> word >> def;
            engine.Send("setoption name " + name + " value maybe");
            expected += "info string option " + name + ": value 'maybe' is not true or false; keeping " + def + "\n";
            ++checks;
        }
    }
    // Hash, Threads, MultiPV, Move Overhead and UCI_Elo; Ponder, UCI_Chess960,
    // UCI_LimitStrength and UCI_ShowWDL; with the tablebase library also
    // SyzygyProbeDepth, SyzygyProbeLimit and Syzygy50MoveRule.
    EXPECT_EQ(spins, TablebasesBuiltIn() ? 7 : 5);
    EXPECT_EQ(checks, TablebasesBuiltIn() ? 5 : 4);
    engine.Send("isready");
    std::string answered;
    for (const std::string& line : engine.ReadUntil("readyok")) answered += line + "\n";
    EXPECT_EQ(answered, expected + "readyok\n");
    engine.Send("quit");
    EXPECT_EQ(engine.Wait(), 0);
}
