// The forms of "go" as GUIs, match runners and scripts send them: a bare
// "go", searchmoves, pondering, several principal variations, mate searches,
// the figures before "bestmove", the end of input and roots without moves.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <regex>
#include <set>
#include <thread>

#include "engine_process.h"
#include "search_test_util.h"

namespace {

const char* StartFen = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
const char* Middlegame = "r2q1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N1PN2/PP3PPP/R1BQ1RK1 w - - 0 9";

bool StartsWith(const std::string& text, const std::string& prefix) { return text.rfind(prefix, 0) == 0; }

// The move of a "bestmove" line.
std::string BestOf(const std::string& line) {
    if (!StartsWith(line, "bestmove ")) return "";
    const std::string rest = line.substr(9);
    return rest.substr(0, rest.find(' '));
}

// The moves after " pv " of an info line.
std::vector<std::string> PvOf(const std::string& line) {
    std::vector<std::string> moves;
    const std::size_t at = line.find(" pv ");
    if (at == std::string::npos) return moves;
    std::string rest = line.substr(at + 4);
    std::size_t i = 0;
    while (i < rest.size()) {
        const std::size_t end = std::min(rest.find(' ', i), rest.size());
        moves.push_back(rest.substr(i, end - i));
        i = end + 1;
    }
    return moves;
}

std::string WithoutTimes(const std::string& line) {
    return std::regex_replace(line, std::regex(" (time|nps) [0-9]+"), "");
}

// Lines that arrive within the time (none expected to be a "bestmove").
std::vector<std::string> LinesWithin(EngineProcess& engine, int ms) {
    std::vector<std::string> lines;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    std::string line;
    while (true) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        if (left.count() <= 0 || !engine.ReadLine(line, static_cast<int>(left.count()))) break;
        lines.push_back(line);
    }
    return lines;
}

// The lines of a before b.
std::vector<std::string> Joined(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

bool HasBestMove(const std::vector<std::string>& lines) {
    for (const auto& l : lines)
        if (StartsWith(l, "bestmove")) return true;
    return false;
}

// The end of every search: the last principal variation sent (the best one
// when several are ranked) starts with the move played, and "info nodes N time T nps X" with the final node count
// comes right before "bestmove".
void ExpectClosingLines(const std::vector<std::string>& lines) {
    ASSERT_GE(lines.size(), 2u);
    const std::string& best = lines.back();
    ASSERT_TRUE(StartsWith(best, "bestmove ")) << best;
    std::smatch m;
    const std::string& speed = lines[lines.size() - 2];
    ASSERT_TRUE(std::regex_match(speed, m, std::regex("info nodes ([0-9]+) time [0-9]+ nps [0-9]+"))) << speed;
    std::string lastPv, lastNodes = "0";
    for (std::size_t k = 0; k + 2 < lines.size(); ++k) {
        const bool lowerRank =
            lines[k].find(" multipv ") != std::string::npos && lines[k].find(" multipv 1 ") == std::string::npos;
        if (!PvOf(lines[k]).empty() && !lowerRank) lastPv = PvOf(lines[k])[0];
        std::smatch n;
        if (std::regex_search(lines[k], n, std::regex(" nodes ([0-9]+)"))) lastNodes = n[1];
    }
    EXPECT_EQ(lastPv, BestOf(best));
    EXPECT_GE(std::stoull(m[1]), std::stoull(lastNodes));
}

}  // namespace

TEST(ProtocolGo, BareGoAndGoWithUnknownWordsSearchUntilStop) {
    for (const char* go : {"go", "go   ", "go foo bar"}) {
        EngineProcess engine;
        // A single legal move: even then the answer waits for "stop".
        engine.Send("position fen R6k/8/5K2/8/8/8/8/8 b - - 0 1");
        engine.Send(go);
        const auto before = LinesWithin(engine, 400);
        EXPECT_FALSE(HasBestMove(before)) << go;
        engine.Send("isready");
        const auto ready = engine.ReadUntil("readyok", 5000);
        EXPECT_FALSE(ready.empty());
        engine.Send("stop");
        const auto lines = Joined(Joined(before, ready), engine.ReadUntil("bestmove", 5000));
        ASSERT_FALSE(lines.empty()) << go;
        EXPECT_EQ(BestOf(lines.back()), "h8h7");
        ExpectClosingLines(lines);
        // Exactly one answer: a second "stop" sends nothing.
        engine.Send("stop");
        engine.Send("isready");
        const auto after = engine.ReadUntil("readyok", 5000);
        ASSERT_EQ(after.size(), 1u) << after[0];
        engine.Send("quit");
        EXPECT_EQ(engine.Wait(), 0);
    }
}

TEST(ProtocolGo, SearchmovesRestrictsTheRootToTheListedLegalMoves) {
    EngineProcess engine;
    engine.Send("position startpos");
    engine.Send("go depth 5 searchmoves a2a3 h2h3 e1e2");  // e1e2 is not legal here
    auto lines = engine.ReadUntil("bestmove", 60000);
    ASSERT_FALSE(lines.empty());
    const std::set<std::string> listed{"a2a3", "h2h3"};
    bool depth5 = false;
    for (const auto& line : lines) {
        if (StartsWith(line, "info depth 5 ")) depth5 = true;
        if (!PvOf(line).empty()) {
            EXPECT_TRUE(listed.count(PvOf(line)[0])) << line;
        }
        const std::size_t cm = line.find(" currmove ");
        if (cm != std::string::npos) {
            EXPECT_TRUE(listed.count(line.substr(cm + 10, 4))) << line;
        }
    }
    EXPECT_TRUE(depth5);
    EXPECT_TRUE(listed.count(BestOf(lines.back())));
    ExpectClosingLines(lines);

    // A single listed move is searched to the depth asked for, not played at once.
    engine.Send("go depth 5 searchmoves g1f3");
    lines = engine.ReadUntil("bestmove", 60000);
    ASSERT_FALSE(lines.empty());
    std::string lastDepth;
    for (const auto& l : lines)
        if (StartsWith(l, "info depth ") && l.find("currmove") == std::string::npos) lastDepth = l;
    EXPECT_TRUE(StartsWith(lastDepth, "info depth 5 ")) << lastDepth;
    EXPECT_EQ(BestOf(lines.back()), "g1f3");

    // None legal: every move is searched, and an info string says so.
    engine.Send("go depth 3 searchmoves e2e5 e1g1");
    lines = engine.ReadUntil("bestmove", 60000);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], "info string searchmoves names no legal move here; searching every move");
    EXPECT_TRUE(IsLegalIn(StartFen, BestOf(lines.back())));
    engine.Send("quit");
    EXPECT_EQ(engine.Wait(), 0);
}

TEST(ProtocolGo, PonderNeverAnswersBeforePonderhitOrStop) {
    EngineProcess engine;
    engine.Send("setoption name Ponder value true");
    engine.Send("position startpos moves e2e4");
    // A depth-limited ponder search ends on its own at once, then waits.
    engine.Send("go ponder depth 3");
    auto before = LinesWithin(engine, 500);
    EXPECT_FALSE(HasBestMove(before));
    engine.Send("ponderhit");
    auto lines = Joined(before, engine.ReadUntil("bestmove", 5000));
    ASSERT_FALSE(lines.empty());
    ExpectClosingLines(lines);

    // With a clock: no deadline while pondering; "stop" answers at once.
    engine.Send("go ponder wtime 1000 btime 1000");
    before = LinesWithin(engine, 1500);
    EXPECT_FALSE(HasBestMove(before));
    engine.Send("stop");
    lines = Joined(before, engine.ReadUntil("bestmove", 2000));
    ASSERT_FALSE(lines.empty());
    ExpectClosingLines(lines);

    // "ponderhit" starts the clock of the go line: 2000 ms left with the
    // default 50 ms overhead leaves a budget of zero, so the answer follows
    // the first iterations after it.
    engine.Send("go ponder wtime 2000 btime 2000");
    before = LinesWithin(engine, 800);
    EXPECT_FALSE(HasBestMove(before));
    engine.Send("ponderhit");
    lines = Joined(before, engine.ReadUntil("bestmove", 3000));
    ASSERT_FALSE(lines.empty());
    ExpectClosingLines(lines);

    // "ponderhit" without a ponder search is rejected.
    engine.Send("ponderhit");
    std::string line;
    ASSERT_TRUE(engine.ReadLine(line, 5000));
    EXPECT_EQ(line, "info string ponderhit without a ponder search; ignored");
    engine.Send("quit");
    EXPECT_EQ(engine.Wait(), 0);
}

TEST(ProtocolGo, BestmoveNamesTheExpectedReplyOfThePrincipalVariation) {
    EngineProcess engine;
    engine.Send(std::string("position fen ") + Middlegame);
    engine.Send("go depth 6");
    const auto lines = engine.ReadUntil("bestmove", 60000);
    ASSERT_FALSE(lines.empty());
    std::vector<std::string> lastPv;
    for (const auto& l : lines)
        if (!PvOf(l).empty()) lastPv = PvOf(l);
    ASSERT_GE(lastPv.size(), 2u);
    EXPECT_EQ(lines.back(), "bestmove " + lastPv[0] + " ponder " + lastPv[1]);
    engine.Send("quit");
    EXPECT_EQ(engine.Wait(), 0);
}

TEST(ProtocolGo, MultiPvThreeRanksThreeLinesPerDepthAndOneChangesNothing) {
    std::vector<std::string> transcripts[2];
    for (int run = 0; run < 2; ++run) {
        EngineProcess engine;
        if (run == 1) engine.Send("setoption name MultiPV value 1");
        engine.Send(std::string("position fen ") + Middlegame);
        engine.Send("go depth 6");
        const auto lines = engine.ReadUntil("bestmove", 60000);
        ASSERT_FALSE(lines.empty());
        for (const auto& l : lines)
            if (!StartsWith(l, "info nodes ")) transcripts[run].push_back(WithoutTimes(l));
        engine.Send("quit");
        EXPECT_EQ(engine.Wait(), 0);
    }
    EXPECT_EQ(transcripts[0], transcripts[1]);
    for (const auto& l : transcripts[1]) EXPECT_EQ(l.find("multipv"), std::string::npos) << l;

    EngineProcess engine;
    engine.Send("setoption name MultiPV value 3");
    engine.Send(std::string("position fen ") + Middlegame);
    engine.Send("go depth 6");
    const auto lines = engine.ReadUntil("bestmove", 120000);
    ASSERT_FALSE(lines.empty());
    const std::regex form(
        "info depth ([0-9]+) seldepth [0-9]+ multipv ([0-9]+) score cp (-?[0-9]+) nodes [0-9]+ "
        "time [0-9]+ pv [a-h1-8nbrq ]+");
    std::vector<std::string> ranked;  // every multipv line, in order
    for (const auto& l : lines) {
        if (l.find("currmove") != std::string::npos || StartsWith(l, "info nodes ") || StartsWith(l, "bestmove"))
            continue;
        ranked.push_back(l);
    }
    // Depths 3 to 6, three lines each: numbered 1, 2, 3, scores not rising,
    // three different first moves.
    ASSERT_EQ(ranked.size(), 12u);
    for (int d = 0; d < 4; ++d) {
        std::set<std::string> firsts;
        int previous = 1 << 20;
        for (int k = 0; k < 3; ++k) {
            std::smatch m;
            const std::string& l = ranked[3 * d + k];
            ASSERT_TRUE(std::regex_match(l, m, form)) << l;
            EXPECT_EQ(std::stoi(m[1]), d + 3) << l;
            EXPECT_EQ(std::stoi(m[2]), k + 1) << l;
            EXPECT_LE(std::stoi(m[3]), previous) << l;
            previous = std::stoi(m[3]);
            firsts.insert(PvOf(l)[0]);
            EXPECT_TRUE(IsLegalIn(Middlegame, PvOf(l)[0]));
        }
        EXPECT_EQ(firsts.size(), 3u);
    }
    EXPECT_EQ(BestOf(lines.back()), PvOf(ranked[9])[0]);
    ExpectClosingLines(lines);

    // More lines than root moves: one per move (a king with three moves).
    engine.Send("setoption name MultiPV value 64");
    engine.Send("position fen 7k/8/8/8/8/8/8/R5K1 b - - 0 1");
    engine.Send("go depth 4");
    const auto few = engine.ReadUntil("bestmove", 60000);
    ASSERT_FALSE(few.empty());
    std::set<std::string> depth4;
    for (const auto& l : few)
        if (StartsWith(l, "info depth 4 ")) depth4.insert(PvOf(l)[0]);
    EXPECT_EQ(depth4, (std::set<std::string>{"h8g8", "h8g7", "h8h7"}));
    engine.Send("quit");
    EXPECT_EQ(engine.Wait(), 0);
}

TEST(ProtocolGo, GoMateStopsOnceTheMateIsProven) {
    EngineProcess engine;
    engine.Send("position fen 7k/8/8/8/8/8/R7/1R5K w - - 0 1");
    engine.Send("go mate 2");
    auto lines = engine.ReadUntil("bestmove", 20000);
    ASSERT_FALSE(lines.empty());
    std::string last;
    for (const auto& l : lines)
        if (l.find(" score ") != std::string::npos) last = l;
    EXPECT_NE(last.find(" score mate 2 "), std::string::npos) << last;
    ExpectClosingLines(lines);

    // A mate in one is not there: the search goes on until "stop", also
    // once it has run through every depth.
    engine.Send("go mate 1");
    const auto before = LinesWithin(engine, 1500);
    EXPECT_FALSE(HasBestMove(before));
    engine.Send("stop");
    lines = Joined(before, engine.ReadUntil("bestmove", 5000));
    ASSERT_FALSE(lines.empty());
    ExpectClosingLines(lines);

    // At the end of input a mate search is a search with a limit: it runs
    // to its end (here every depth) and answers.
    engine.Send("go mate 1");
    engine.CloseInput();
    lines = engine.ReadUntil("bestmove", 60000);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(engine.Wait(), 0);
}

TEST(ProtocolGo, EndOfInputFinishesALimitedSearchAndStopsAnUnlimitedOne) {
    {
        // As a script sends it: the depth-10 result arrives, then the process ends.
        EngineProcess engine;
        engine.SendRaw("position fen 8/8/4k3/8/2K5/3R4/8/8 w - - 0 1\ngo depth 10\n");
        engine.CloseInput();
        const auto lines = engine.ReadUntil("bestmove", 60000);
        ASSERT_FALSE(lines.empty());
        bool depth10 = false;
        for (const auto& l : lines) depth10 = depth10 || StartsWith(l, "info depth 10 ");
        EXPECT_TRUE(depth10);
        ExpectClosingLines(lines);
        EXPECT_EQ(engine.Wait(), 0);
    }
    for (const char* go : {"go infinite", "go", "go ponder wtime 10000 btime 10000"}) {
        EngineProcess engine;
        engine.SendRaw(std::string("position startpos\n") + go + "\n");
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        engine.CloseInput();
        const auto lines = engine.ReadUntil("bestmove", 10000);
        ASSERT_FALSE(lines.empty()) << go;
        EXPECT_TRUE(IsLegalIn(StartFen, BestOf(lines.back())));
        EXPECT_EQ(engine.Wait(), 0) << go;
    }
}

TEST(ProtocolGo, RootsWithoutLegalMovesShowMateZeroOrDrawAndNoPv) {
    EngineProcess engine;
    // Checkmated, then stalemated; a depth limit and an infinite search
    // (which still waits for "stop").
    engine.Send("position fen R5k1/5ppp/8/8/8/8/8/6K1 b - - 0 1");
    engine.Send("go depth 5");
    auto lines = engine.ReadUntil("bestmove", 10000);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "info depth 0 score mate 0");
    EXPECT_TRUE(std::regex_match(lines[1], std::regex("info nodes 0 time [0-9]+ nps 0"))) << lines[1];
    EXPECT_EQ(lines[2], "bestmove 0000");
    engine.Send("position fen 7k/5Q2/6K1/8/8/8/8/8 b - - 0 1");
    engine.Send("go infinite");
    std::string line;
    ASSERT_TRUE(engine.ReadLine(line));
    EXPECT_EQ(line, "info depth 0 score cp 0");
    EXPECT_FALSE(HasBestMove(LinesWithin(engine, 300)));
    engine.Send("stop");
    lines = engine.ReadUntil("bestmove", 10000);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1], "bestmove 0000");
    engine.Send("quit");
    EXPECT_EQ(engine.Wait(), 0);
}

TEST(ProtocolGo, GoPerftCountsLikeTheCommandLineAnswersIsreadyAndStops) {
    // The same lines as "quill perft 3 FEN", for the position set with
    // "position" (after a search, which reorders the root list), without "bestmove".
    const std::string kiwipete = "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1";
    EngineProcess command({"perft", "3", kiwipete});
    ASSERT_EQ(command.Wait(60000), 0);
    command.Fill(200);
    ASSERT_NE(command.AllOutput.find("\nNodes searched: 97862\n"), std::string::npos) << command.AllOutput;
    EngineProcess engine;
    engine.Send("position fen " + kiwipete);
    engine.Send("go depth 3");
    ASSERT_FALSE(engine.ReadUntil("bestmove").empty());
    engine.Send("go perft 3");
    std::string counted;
    for (const std::string& line : engine.ReadUntil("Nodes searched")) counted += line + "\n";
    EXPECT_EQ(counted, command.AllOutput);
    engine.Send("position startpos");
    engine.Send("go perft 4");
    const auto start = engine.ReadUntil("Nodes searched");
    ASSERT_EQ(start.size(), 22u);
    EXPECT_EQ(start[0], "b1a3: 8885");
    EXPECT_EQ(start[21], "Nodes searched: 197281");

    // A count of billions: "isready" is answered while it runs, and "stop"
    // ends it with the root moves counted so far, an info string and their total.
    engine.Send("go perft 7");
    engine.Send("isready");
    const auto ready = engine.ReadUntil("readyok", 5000);
    ASSERT_FALSE(ready.empty());
    engine.Send("stop");
    auto stopped = Joined(ready, engine.ReadUntil("Nodes searched", 10000));
    stopped.erase(std::remove(stopped.begin(), stopped.end(), "readyok"), stopped.end());
    ASSERT_GE(stopped.size(), 3u);
    const std::size_t moves = stopped.size() - 3;
    EXPECT_LT(moves, 20u);
    uint64_t sum = 0;
    for (std::size_t k = 0; k < moves; ++k) sum += std::stoull(stopped[k].substr(stopped[k].find(": ") + 2));
    EXPECT_EQ(stopped[moves], "info string perft stopped after " + std::to_string(moves) +
                                  " root moves: the lines above and the total count only those");
    EXPECT_EQ(stopped[moves + 1], "");
    EXPECT_EQ(stopped[moves + 2], "Nodes searched: " + std::to_string(sum));
    // The engine searches on as before, and no count ever sent "bestmove".
    engine.Send("go depth 3");
    const auto search = engine.ReadUntil("bestmove");
    ASSERT_FALSE(search.empty());
    int answers = 0;
    for (std::size_t at = engine.AllOutput.find("bestmove"); at != std::string::npos;
         at = engine.AllOutput.find("bestmove", at + 1))
        ++answers;
    EXPECT_EQ(answers, 2);  // the two "go depth 3"
    engine.Send("quit");
    EXPECT_EQ(engine.Wait(), 0);
}
