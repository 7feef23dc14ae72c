// A session as a tester runs it: "ucinewgame" gives the output of a fresh
// process, rejected input is answered by an "info string" (and logged), and
// tabs or runs of blanks separate words like one blank.
#include <gtest/gtest.h>

#include <regex>

#include "engine_process.h"

namespace {

// Sends the lines, waits for the answer of each "go" and returns every
// answer line with its time and speed figures removed. The speed lines after
// iterations depend on the clock (they follow iterations that end after the
// first second) and are left out; the one before "bestmove" stays.
std::vector<std::string> Session(EngineProcess& engine, const std::vector<std::string>& commands) {
    std::vector<std::string> out;
    for (const auto& c : commands) {
        engine.Send(c);
        if (c.rfind("go", 0) != 0) continue;
        const auto lines = engine.ReadUntil("bestmove", 120000);
        for (std::size_t k = 0; k < lines.size(); ++k) {
            const bool beforeAnswer = k + 1 < lines.size() && lines[k + 1].rfind("bestmove", 0) == 0;
            if (lines[k].rfind("info nodes ", 0) == 0 && !beforeAnswer) continue;
            out.push_back(std::regex_replace(lines[k], std::regex(" (time|nps) [0-9]+"), ""));
        }
    }
    return out;
}

}  // namespace

TEST(ProtocolSession, UcinewgameGivesTheOutputOfAFreshProcess) {
    const std::vector<std::string> game = {"position startpos moves e2e4", "go depth 6",
                                           "position startpos moves e2e4 e7e5 g1f3", "go depth 6"};
    EngineProcess fresh;
    fresh.Send("setoption name Hash value 2");
    const auto expected = Session(fresh, game);
    ASSERT_EQ(expected.size() > 10, true);

    EngineProcess used;
    used.Send("setoption name Hash value 2");
    // Earlier games fill the table, the history and killer tables, the game
    // history and the evaluation caches; the same moves are continued too.
    Session(used, {"position fen r2q1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N1PN2/PP3PPP/R1BQ1RK1 w - - 0 9", "go depth 6",
                   "position startpos moves e2e4", "go depth 5", "position startpos moves e2e4 e7e5", "go depth 5"});
    used.Send("ucinewgame");
    EXPECT_EQ(Session(used, game), expected);
    used.Send("quit");
    EXPECT_EQ(used.Wait(), 0);
    fresh.Send("quit");
    EXPECT_EQ(fresh.Wait(), 0);
}

TEST(ProtocolSession, RejectedInputIsNamedInAnInfoStringAndLogged) {
    EngineProcess engine;
    engine.SendRaw(
        "position fen 8/8/8/8/8/8/8/8 w - - 0 1\n"
        "position fen 4k3/8/8/8/8/8/8/R3K2k w - - 0 1\n"
        "position fen 4k3/8/8/8/8/8/8/4K2P w - - 0 1\n"
        "position fen 4k3/8/8/8/8/8/4R3/4K3 w - - 0 1\n"
        "position fen 4k3/8/8/8/8/8/4R3/4K3 b - - 0 1\n"
        "position fen 4k3/8/8/8/8/8/8/4K3/8/8 w - - 0 1\n"
        "position fen\n"
        "position\n"
        "position startpos moves e2e4 e7e5 e1e3 d2d4\n"
        "setoption name Hashes value 3\n"
        "setoption name Hash value 0\n"
        "setoption name Hash value big\n"
        "setoption name MultiPV value 0\n"
        "setoption name MultiPV value 65\n"
        "setoption name Move Overhead value -1\n"
        "setoption name Move Overhead value 5001\n"
        "setoption name Move Overhead value 2.5\n"
        "setoption name Ponder value yes\n"
        "setoption name Ponder value true\n"
        "setoption name Move Overhead value 100\n"
        "setoption name MultiPV value 2\n"
        "isready\n"
        "quit\n");
    EXPECT_EQ(engine.Wait(), 0);
    engine.Fill(200);
    const std::string replies =
        "info string FEN rejected: white has 0 kings instead of one; the previous position stays\n"
        "info string FEN rejected: black has 2 kings instead of one; the previous position stays\n"
        "info string FEN rejected: a pawn stands on the first or last rank; the previous position stays\n"
        "info string FEN rejected: the side not to move is in check; the previous position stays\n"
        "info string FEN rejected: the piece placement runs off the board; the previous position stays\n"
        "info string position needs startpos or fen; the previous position stays\n"
        "info string position needs startpos or fen; the previous position stays\n"
        "info string illegal move e1e3 in the move list; it and the moves after it are not played\n"
        "info string unknown option 'Hashes' ignored\n"
        "info string option Hash: value 0 is out of range 1..4096; using 1\n"
        "info string option Hash: value 'big' is not a number; keeping 1\n"
        "info string option MultiPV: value 0 is out of range 1..64; using 1\n"
        "info string option MultiPV: value 65 is out of range 1..64; using 64\n"
        "info string option Move Overhead: value -1 is out of range 0..5000; using 0\n"
        "info string option Move Overhead: value 5001 is out of range 0..5000; using 5000\n"
        "info string option Move Overhead: value '2.5' is not a number; keeping 5000\n"
        "info string option Ponder: value 'yes' is not true or false; keeping false\n"
        "readyok\n";
    EXPECT_EQ(engine.AllOutput, replies);
    // Each one is in the log after the line it answers.
    const std::string log = engine.ReadFile("Log.Txt");
    EXPECT_NE(log.find("GUI: position startpos moves e2e4 e7e5 e1e3 d2d4\r\n"
                       "Quill: info string illegal move e1e3 in the move list; it and the moves after it are not "
                       "played\r\n"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("GUI: setoption name Hashes value 3\r\nQuill: info string unknown option 'Hashes' ignored\r\n"),
              std::string::npos);
}

TEST(ProtocolSession, RejectedInputLeavesThePreviousPositionAndTheLegalMoves) {
    EngineProcess engine;
    // The moves before the illegal one stay played: black to move after e2e4 e7e5.
    engine.Send("position startpos moves e2e4 e7e5 e1e3 d2d4");
    engine.Send("position fen 8/8/8/8/8/8/8/8 w - - 0 1");
    engine.Send("go depth 3 searchmoves g1f3 d2d4");
    const auto lines = engine.ReadUntil("bestmove", 10000);
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[0], "info string illegal move e1e3 in the move list; it and the moves after it are not played");
    EXPECT_EQ(lines[1], "info string FEN rejected: white has 0 kings instead of one; the previous position stays");
    EXPECT_TRUE(lines.back() == "bestmove g1f3" || lines.back().rfind("bestmove g1f3 ", 0) == 0 ||
                lines.back().rfind("bestmove d2d4", 0) == 0)
        << lines.back();
    engine.Send("quit");
    EXPECT_EQ(engine.Wait(), 0);
}

TEST(ProtocolSession, TabsAndRunsOfBlanksSeparateWordsLikeOneBlank) {
    EngineProcess plain, spaced;
    const auto expected = Session(
        plain, {"position fen 4k3/8/8/8/8/8/4P3/4K2R w K - 0 1 moves e1g1 e8d7", "go depth 5 searchmoves f1f7 e2e4"});
    const auto got = Session(spaced, {"position\tfen  4k3/8/8/8/8/8/4P3/4K2R \t w K - 0 1\tmoves e1g1\t\te8d7",
                                      "go\tdepth  5 searchmoves\tf1f7   e2e4"});
    EXPECT_EQ(got, expected);
    // Castling was played: the rook stands on f1 and can go to f7.
    ASSERT_FALSE(got.empty());
    EXPECT_TRUE(got.back().rfind("bestmove f1f7", 0) == 0 || got.back().rfind("bestmove e2e4", 0) == 0) << got.back();
    plain.Send("quit");
    spaced.Send("quit");
    EXPECT_EQ(plain.Wait(), 0);
    EXPECT_EQ(spaced.Wait(), 0);
}
