// Forced mates in one to three moves, each checked with Stockfish 16 when
// the set was made: a fresh engine searching to depth 7 reports the mate
// distance and plays a mating move.
#include <gtest/gtest.h>

#include "engine_process.h"

namespace {

struct MatePosition {
    const char* Fen;
    int Moves;             // mate in this many moves
    const char* Expected;  // the mating move when only one mates, else ""
};

const MatePosition MatePositions[] = {
    {"6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1", 1, "a1a8"},
    {"r1bqkb1r/pppp1ppp/2n2n2/4p2Q/2B1P3/8/PPPP1PPP/RNB1K1NR w KQkq - 4 4", 1, "h5f7"},
    {"7k/6pp/8/8/8/8/8/KQ6 w - - 0 1", 1, "b1b8"},
    {"3r2k1/8/8/8/8/8/5PPP/6K1 b - - 0 1", 1, "d8d1"},
    {"6rk/6pp/8/6N1/8/8/8/6K1 w - - 0 1", 1, "g5f7"},
    {"7k/8/5K2/8/8/8/8/6Q1 w - - 0 1", 1, "g1g7"},
    {"k7/2P5/1K6/8/8/8/8/8 w - - 0 1", 1, ""},
    {"6k1/8/8/8/6n1/8/6PP/6RK b - - 0 1", 1, "g4f2"},
    {"8/8/8/8/8/1k6/2p5/K7 b - - 0 1", 1, ""},
    {"8/8/8/8/8/6k1/4q3/7K b - - 0 1", 1, ""},
    {"4k3/R7/1R6/8/8/8/8/4K3 w - - 0 1", 1, "b6b8"},
    {"r2qkb1r/pp2nppp/3p4/2pNN1B1/2BnP3/3P4/PPP2PPP/R2bK2R w KQkq - 1 1", 2, "d5f6"},
    {"7k/8/8/8/8/8/R7/1R5K w - - 0 1", 2, ""},
    {"k7/8/2K5/8/8/8/8/7R w - - 0 1", 2, ""},
    {"2k5/8/3K4/8/8/8/8/7R w - - 0 1", 2, ""},
    {"1k6/8/2K5/8/8/8/8/6Q1 w - - 0 1", 2, ""},
    {"r5k1/5ppp/8/8/8/8/1Q3PPP/1R4K1 w - - 0 1", 2, ""},
    {"1r5k/r7/8/8/8/8/8/7K b - - 0 1", 2, ""},
    {"7r/8/8/8/8/2k5/8/K7 b - - 0 1", 2, ""},
    {"r2Bk2r/ppp2ppp/3p4/2bNp3/2Pnn1b1/3P4/PP2NPPP/R2QKB1R b KQkq - 1 1", 2, "d4f3"},
    {"6k1/5p1p/6p1/8/8/8/1Q3PPP/1R4K1 w - - 0 1", 3, ""},
    {"8/8/8/8/8/2k5/1r6/K7 b - - 0 1", 3, ""},
    {"1r4k1/1q3ppp/8/8/8/6P1/5P1P/6K1 b - - 0 1", 3, ""},
    {"3k4/8/8/3K4/8/8/8/R7 w - - 0 1", 3, ""},
};

}  // namespace

TEST(SearchMates, ShortMatesAreFoundWithTheirDistance) {
    for (const MatePosition& p : MatePositions) {
        EngineProcess engine;
        engine.Send(std::string("position fen ") + p.Fen);
        engine.Send("go depth 7");
        const auto lines = engine.ReadUntil("bestmove", 60000);
        ASSERT_FALSE(lines.empty()) << p.Fen;
        std::string lastScore;
        for (const auto& line : lines)
            if (line.rfind("info depth 7 ", 0) == 0 && line.find(" score ") != std::string::npos) lastScore = line;
        EXPECT_NE(lastScore.find(" score mate " + std::to_string(p.Moves) + " "), std::string::npos) << p.Fen << "\n"
                                                                                                     << lastScore;
        if (p.Expected[0] != '\0') {
            // The move, and the expected reply when the line holds one.
            const std::string best = std::string("bestmove ") + p.Expected;
            EXPECT_TRUE(lines.back() == best || lines.back().rfind(best + " ponder ", 0) == 0) << p.Fen << "\n"
                                                                                               << lines.back();
        }
        engine.Send("quit");
        EXPECT_EQ(engine.Wait(), 0);
    }
}
