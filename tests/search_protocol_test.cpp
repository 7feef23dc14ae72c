// Searches as a GUI sees them: the engine binary answering "go" with its
// "info" lines and a legal "bestmove", also when "stop" or "quit" cut a
// search short, and giving the same result every time it starts afresh.
#include <gtest/gtest.h>

#include <chrono>
#include <regex>
#include <thread>

#include "engine_process.h"
#include "search_test_util.h"

namespace {

const char* Middlegame = "r2q1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N1PN2/PP3PPP/R1BQ1RK1 w - - 0 9";

std::vector<std::string> Search(EngineProcess& engine, const std::string& position, const std::string& go,
                                int timeoutMs = 120000) {
    engine.Send(position);
    engine.Send(go);
    return engine.ReadUntil("bestmove", timeoutMs);
}

bool StartsWith(const std::string& text, const std::string& prefix) { return text.rfind(prefix, 0) == 0; }

// The move of a "bestmove" line (without its " ponder" part).
std::string BestMove(const std::vector<std::string>& lines) {
    if (lines.empty() || !StartsWith(lines.back(), "bestmove ")) return "";
    const std::string rest = lines.back().substr(9);
    return rest.substr(0, rest.find(' '));
}

// The line with every " time N" and " nps N" value removed.
std::string WithoutTimes(const std::string& line) {
    return std::regex_replace(line, std::regex(" (time|nps) [0-9]+"), "");
}

}  // namespace

TEST(ProtocolSearch, GoDepthReportsEachIterationAndPlaysALegalMove) {
    EngineProcess engine;
    const auto lines = Search(engine, "position startpos", "go depth 5");
    ASSERT_FALSE(lines.empty());
    // Depth 3: one line naming only the first move of the principal variation.
    EXPECT_TRUE(std::regex_match(lines[0], std::regex("info depth 3 seldepth [0-9]+ score cp -?[0-9]+ nodes [0-9]+ "
                                                      "time [0-9]+ pv [a-h][1-8][a-h][1-8]")))
        << lines[0];
    bool depth4 = false, depth5 = false;
    std::string lastPv;
    for (const auto& line : lines) {
        EXPECT_EQ(line.find("currmove"), std::string::npos) << line;  // none below depth 6
        if (StartsWith(line, "info depth 4 ")) depth4 = true;
        if (StartsWith(line, "info depth 5 ")) depth5 = true;
        const std::size_t pv = line.find(" pv ");
        if (pv != std::string::npos) lastPv = line.substr(pv + 4, 4);
    }
    EXPECT_TRUE(depth4);
    EXPECT_TRUE(depth5);
    EXPECT_EQ(BestMove(lines), lastPv);
    EXPECT_TRUE(IsLegalIn("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", BestMove(lines)));
    engine.Send("quit");
    EXPECT_EQ(engine.Wait(), 0);
}

TEST(ProtocolSearch, CurrmoveLinesFromDepthSixAreSentButNotLogged) {
    EngineProcess engine;
    const auto lines = Search(engine, std::string("position fen ") + Middlegame, "go depth 6");
    ASSERT_FALSE(lines.empty());
    int currmoveLines = 0, lastNumber = 0;
    const std::regex form(
        "info depth 6 seldepth [0-9]+ currmove [a-h][1-8][a-h][1-8][nbrq]? currmovenumber ([0-9]+) nodes [0-9]+");
    for (const auto& line : lines) {
        if (line.find("currmove") == std::string::npos) continue;
        std::smatch m;
        ASSERT_TRUE(std::regex_match(line, m, form)) << line;
        const int number = std::stoi(m[1]);
        EXPECT_GT(number, lastNumber);
        lastNumber = number;
        ++currmoveLines;
    }
    EXPECT_GE(currmoveLines, 2);
    engine.Send("quit");
    EXPECT_EQ(engine.Wait(), 0);
    const std::string log = engine.ReadFile("Log.Txt");
    EXPECT_EQ(log.find("currmove"), std::string::npos);
    EXPECT_NE(log.find("Quill: info depth 6 "), std::string::npos);
    EXPECT_NE(log.find("Quill: " + lines.back() + "\r\n"), std::string::npos);
}

TEST(ProtocolSearch, StopEndsAnInfiniteSearchWithALegalMove) {
    EngineProcess engine;
    engine.Send(std::string("position fen ") + Middlegame);
    engine.Send("go infinite");
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    engine.Send("stop");
    const auto lines = engine.ReadUntil("bestmove", 10000);
    ASSERT_FALSE(lines.empty());
    EXPECT_TRUE(IsLegalIn(Middlegame, BestMove(lines))) << BestMove(lines);
    engine.Send("quit");
    EXPECT_EQ(engine.Wait(), 0);
}

TEST(ProtocolSearch, StopBeforeTheFirstMoveStillGivesALegalMoveOfTheNewPosition) {
    EngineProcess engine;
    // The first search leaves a black reply at the head of the principal variation.
    ASSERT_FALSE(Search(engine, "position startpos moves e2e4", "go depth 3").empty());
    // In the next position no black move can be played; "stop" follows "go" at once.
    const char* fen = "8/8/8/4k3/8/8/8/4K2R w K - 0 1";
    engine.SendRaw(std::string("position fen ") + fen + "\ngo infinite\nstop\n");
    const auto lines = engine.ReadUntil("bestmove", 10000);
    ASSERT_FALSE(lines.empty());
    EXPECT_TRUE(IsLegalIn(fen, BestMove(lines))) << BestMove(lines);
    engine.Send("quit");
    EXPECT_EQ(engine.Wait(), 0);
}

TEST(ProtocolSearch, QuitDuringASearchEndsTheProcessWithoutBestmove) {
    EngineProcess engine;
    engine.Send(std::string("position fen ") + Middlegame);
    engine.Send("go infinite");
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    engine.Send("quit");
    EXPECT_EQ(engine.Wait(), 0);
    engine.Fill(100);
    EXPECT_EQ(engine.AllOutput.find("bestmove"), std::string::npos);
}

TEST(ProtocolSearch, MovetimeAndNodeLimitsEndTheSearch) {
    EngineProcess engine;
    auto lines = Search(engine, std::string("position fen ") + Middlegame, "go movetime 300", 20000);
    ASSERT_FALSE(lines.empty());
    EXPECT_TRUE(IsLegalIn(Middlegame, BestMove(lines)));
    lines = Search(engine, std::string("position fen ") + Middlegame, "go nodes 20000", 20000);
    ASSERT_FALSE(lines.empty());
    EXPECT_TRUE(IsLegalIn(Middlegame, BestMove(lines)));
    const std::regex nodes(".* nodes ([0-9]+).*");
    for (const auto& line : lines) {
        std::smatch m;
        if (std::regex_match(line, m, nodes)) {
            EXPECT_LT(std::stoll(m[1]), 40000) << line;
        }
    }
    engine.Send("quit");
    EXPECT_EQ(engine.Wait(), 0);
}

TEST(SearchDeterminism, SameSearchFromAFreshStartGivesTheSameNodesAndMove) {
    std::vector<std::string> runs[2];
    for (auto& run : runs) {
        EngineProcess engine;
        const auto lines = Search(engine, std::string("position fen ") + Middlegame, "go depth 6");
        ASSERT_FALSE(lines.empty());
        // The speed line depends on the clock (it follows iterations that end
        // after the first second), so it is left out of the comparison.
        for (const auto& line : lines)
            if (!StartsWith(line, "info nodes ")) run.push_back(WithoutTimes(line));
        engine.Send("quit");
        EXPECT_EQ(engine.Wait(), 0);
    }
    EXPECT_EQ(runs[0], runs[1]);
    EXPECT_TRUE(StartsWith(runs[0].back(), "bestmove "));
}
