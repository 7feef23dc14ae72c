// The Syzygy tables: probe results of worked positions (values checked with
// an independent prober), the root's choice of moves, the options and the
// library's faults the wrapper guards against, and endings played out by the
// engine against itself. The tables are the small 3- and 4-piece files in
// tests/data/syzygy. Skipped when the build has no Fathom.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "engine_process.h"
#include "search/rootlines.h"
#include "search/syzygy.h"
#include "search_test_util.h"
#include "uci/position.h"

namespace {

const std::string DataFolder = QUILL_TEST_DATA "/syzygy";

// Probes ply 0 of a FEN; -9 when the tables do not answer.
int Wdl(const std::string& fen) {
    FreshSearch(fen);
    int wdl = -9;
    return ProbeTablebaseWdl(0, wdl) ? wdl : -9;
}

// The moves the root keeps and the score it reports, for a FEN.
std::vector<std::string> KeptMoves(const std::string& fen, int& score) {
    FreshSearch(fen);
    std::vector<std::string> kept;
    const bool narrowed = NarrowRootToTablebase();
    score = TablebaseRootScore(123);
    EndRootRestriction();
    if (!narrowed) return kept;
    for (int j = 1; j <= ThreadBoard->PositionStack[0].MoveCount; ++j)
        kept.push_back(MoveText(ThreadBoard->MoveList[0][j]).substr(1));
    return kept;
}

// The move played after a search of the FEN's root whose own choice was
// searchMove (one of the moves the root keeps).
std::string Played(const std::string& fen, const std::string& searchMove) {
    FreshSearch(fen);
    NarrowRootToTablebase();
    const int entry = ListEntry(0, searchMove);
    ThreadSearch->PvTable[0][0] = entry == 0 ? Move{0, 0} : ThreadBoard->MoveList[0][entry];
    ChooseTablebaseRootMove();
    EndRootRestriction();
    EndTablebaseSearch();
    return MoveText(ThreadSearch->PvTable[0][0]).substr(1);
}

}  // namespace

TEST(Tablebase, ProbesAndRootChoicesOfWorkedPositions) {
    if (!TablebasesBuiltIn()) GTEST_SKIP() << "built without Fathom: no tables";
    OutputSilenced = true;
    SetTablebasePath(DataFolder);
    EXPECT_EQ(TablebaseCount(), 10);
    EXPECT_EQ(TablebaseReach, 4);

    EXPECT_EQ(Wdl("8/8/8/8/8/2k5/8/KQ6 w - - 0 1"), 2);     // KQ-K won
    EXPECT_EQ(Wdl("8/8/8/8/8/2k5/8/KQ6 b - - 0 1"), -2);    // and lost for the lone king
    EXPECT_EQ(Wdl("8/8/8/4k3/8/8/8/R3K3 b - - 0 1"), -2);   // KR-K
    EXPECT_EQ(Wdl("8/8/8/4k3/8/8/8/4KBN1 w - - 0 1"), 2);   // KBN-K
    EXPECT_EQ(Wdl("8/8/8/8/8/1k6/8/KB6 w - - 0 1"), 0);     // KB-K
    EXPECT_EQ(Wdl("8/8/3k4/3r4/8/8/3RK3/8 w - - 0 1"), 0);  // KR-KR
    // En passant decides: exg6 wins, without the right it is a draw.
    EXPECT_EQ(Wdl("5k2/8/5K2/6pP/8/8/8/8 w - g6 0 1"), 2);
    EXPECT_EQ(Wdl("5k2/8/5K2/6pP/8/8/8/8 w - - 0 1"), 0);
    // Not probed in the search: a running fifty-move count, castling rights,
    // a material combination without its table (KQ-KN).
    EXPECT_EQ(Wdl("8/8/8/8/8/2k5/8/KQ6 w - - 3 1"), -9);
    EXPECT_EQ(Wdl("8/8/8/4k3/8/8/8/R3K3 w Q - 0 1"), -9);
    EXPECT_EQ(Wdl("8/8/8/8/8/2k5/7n/KQ6 w - - 0 1"), -9);

    // The root keeps the 17 winning moves of 21, shortest distance to zeroing
    // first (Qe4: 11 plies to mate), and reports the win.
    int score = 0;
    std::vector<std::string> kept = KeptMoves("8/8/8/8/8/2k5/8/KQ6 w - - 0 1", score);
    ASSERT_EQ(kept.size(), 17u);
    EXPECT_EQ(kept[0], "b1e4");
    EXPECT_EQ(score, TablebaseWinScore);
    // Only Rb7 holds this KR-KR draw; the 13 other moves lose.
    kept = KeptMoves("1R5K/5k2/8/8/8/8/5r2/8 w - - 0 1", score);
    EXPECT_EQ(kept, std::vector<std::string>{"b8b7"});
    EXPECT_EQ(score, 0);
    // No table for KQ-KN: the root is left as it is.
    EXPECT_TRUE(KeptMoves("8/8/8/8/8/2k5/7n/KQ6 w - - 0 1", score).empty());
    EXPECT_EQ(score, 123);
    // A win spoilt by the fifty-move count: 90 half-moves played and 11 to
    // go is 101, a draw under the rule and a win without it.
    kept = KeptMoves("8/8/8/8/8/2k5/8/KQ6 w - - 90 1", score);
    EXPECT_EQ(score, 0);
    EXPECT_EQ(kept.size(), 17u);
    TablebaseRule50 = false;
    KeptMoves("8/8/8/8/8/2k5/8/KQ6 w - - 90 1", score);
    EXPECT_EQ(score, TablebaseWinScore);
    TablebaseRule50 = true;
    // A mate the search proves is reported as the mate.
    FreshSearch("8/8/8/8/8/2k5/8/KQ6 w - - 0 1");
    NarrowRootToTablebase();
    EXPECT_EQ(TablebaseRootScore(MateScore - 21), MateScore - 21);
    EXPECT_EQ(TablebaseRootScore(-MateScore + 21), TablebaseWinScore);
    EndRootRestriction();

    // The move played in a root the tables decide: the search's move when it
    // ties the best distance to zeroing, else the first kept move, whatever
    // the search claims. Won: Qe4 (10 plies) over Qb8 (16); Qh8 mates at once.
    EXPECT_EQ(Played("8/8/8/8/8/2k5/8/KQ6 w - - 0 1", "b1b8"), "b1e4");
    EXPECT_EQ(Played("k7/8/1K6/8/8/8/7Q/8 w - - 0 1", "h2h7"), "h2h8");
    // A pawn move zeroes at once (1 ply): it beats the queen's mate in 2 (3 plies).
    const std::string pawnMove = Played("k2K4/8/8/8/6Q1/8/P7/8 w - - 0 1", "d8c7");
    EXPECT_TRUE(pawnMove == "a2a3" || pawnMove == "a2a4") << pawnMove;
    EXPECT_EQ(Played("k2K4/8/8/8/6Q1/8/P7/8 w - - 0 1", "a2a4"), "a2a4");
    // Lost: the longest resistance, Kd4 or Kc4 (13 plies) rather than Kd2 (9).
    EXPECT_EQ(Played("8/8/8/8/8/2k5/8/KQ6 b - - 0 1", "c3d2"), "c3d4");
    EXPECT_EQ(Played("8/8/8/8/8/2k5/8/KQ6 b - - 0 1", "c3c4"), "c3c4");
    // A cursed win (a draw under the fifty-move rule) still heads for zeroing.
    EXPECT_EQ(Played("8/8/8/8/8/2k5/8/KQ6 w - - 90 1", "b1h1"), "b1e4");
    // A drawn root leaves the search's move alone.
    EXPECT_EQ(Played("1R5K/5k2/8/8/8/8/5r2/8 w - - 0 1", "b8b7"), "b8b7");

    // WDL files alone: the root keeps the same 17 winning moves, unranked.
    const std::filesystem::path wdlOnly = std::filesystem::temp_directory_path() / "quill-wdl-only";
    std::filesystem::create_directories(wdlOnly);
    for (const char* name : {"KQvK.rtbw", "KBvK.rtbw"})
        std::filesystem::copy_file(DataFolder + "/" + name, wdlOnly / name,
                                   std::filesystem::copy_options::overwrite_existing);
    SetTablebasePath(wdlOnly.string());
    EXPECT_EQ(TablebaseCount(), 2);
    EXPECT_EQ(KeptMoves("8/8/8/8/8/2k5/8/KQ6 w - - 0 1", score).size(), 17u);
    EXPECT_EQ(score, TablebaseWinScore);
    EXPECT_EQ(Wdl("8/8/8/8/8/2k5/8/KQ6 b - - 0 1"), -2);

    // An empty path probes nothing, however often it changes.
    for (const std::string& path : std::vector<std::string>{"", "<empty>", DataFolder, "", wdlOnly.string(), "<empty>"})
        SetTablebasePath(path);
    EXPECT_EQ(TablebaseReach, 0);
    EXPECT_EQ(Wdl("8/8/8/8/8/2k5/8/KQ6 w - - 0 1"), -9);
    EXPECT_TRUE(KeptMoves("8/8/8/8/8/2k5/8/KQ6 w - - 0 1", score).empty());
    EXPECT_EQ(TablebaseHitsText(), "");
    std::filesystem::remove_all(wdlOnly);
}

namespace {

// The folder separator of the engine under test (';' for the Windows build).
std::string Separator() { return EngineWrapper().empty() ? ":" : ";"; }

// Sends a go line and returns the lines up to "bestmove" (currmove lines left out).
std::vector<std::string> Search(EngineProcess& engine, const std::string& go) {
    engine.Send(go);
    std::vector<std::string> lines;
    for (const std::string& line : engine.ReadUntil("bestmove"))
        if (line.find("currmove") == std::string::npos) lines.push_back(line);
    return lines;
}

// Plays a position out with the engine moving for both sides at "go depth
// D"; returns the plies until the side to move has no move (mated when
// mated is set), or -1 after maxPlies. Every score line is collected.
int PlayOut(EngineProcess& engine, const std::string& fen, int depth, int maxPlies, bool& mated,
            std::vector<std::string>& scores) {
    std::string moves;
    for (int ply = 0; ply <= maxPlies; ++ply) {
        engine.Send("position fen " + fen + (moves.empty() ? "" : " moves" + moves));
        const std::vector<std::string> lines = Search(engine, "go depth " + std::to_string(depth));
        if (lines.empty()) return -1;
        const std::string best = lines.back().substr(9, lines.back().find(' ', 9) - 9);
        if (best == "0000") {
            mated = lines.front() == "info depth 0 score mate 0";
            return ply;
        }
        for (const std::string& line : lines)
            if (line.find(" score ") != std::string::npos) scores.push_back(line.substr(line.find(" score ")));
        moves += " " + best;
    }
    return -1;
}

}  // namespace

TEST(TablebaseProtocol, EndingsAreMatedWithinFiftyMovesAndTheDrawIsHeld) {
    if (!TablebasesBuiltIn()) GTEST_SKIP() << "built without Fathom: no tables";
    EngineProcess engine;
    engine.Send("setoption name Threads value 2");
    engine.Send("setoption name SyzygyPath value " + DataFolder);
    const struct {
        const char* fen;
        int fullMoves;  // what the tables give: moves to mate with best play
    } endings[] = {
        {"8/8/8/8/8/2k5/8/KQ6 w - - 0 1", 6},
        {"8/8/8/4k3/8/8/8/R3K3 w - - 0 1", 14},
        {"8/8/8/4k3/8/8/8/4KBN1 w - - 0 1", 29},
    };
    for (const auto& ending : endings) {
        bool mated = false;
        std::vector<std::string> scores;
        const int plies = PlayOut(engine, ending.fen, 5, 100, mated, scores);
        // Mated on the board, without a capture: the fifty-move count never ran out.
        EXPECT_TRUE(mated) << ending.fen;
        EXPECT_GT(plies, 0) << ending.fen;
        EXPECT_LE(plies, 2 * ending.fullMoves + 20) << ending.fen;
        // Every score is the tables' result or a proven mate.
        for (const std::string& s : scores) {
            EXPECT_TRUE(s.rfind(" score cp 19000 ", 0) == 0 || s.rfind(" score cp -19000 ", 0) == 0 ||
                        s.rfind(" score mate ", 0) == 0)
                << ending.fen << ":" << s;
        }
    }
    // KR-KR with one drawing move: 30 plies later both sides still see the draw.
    bool mated = false;
    std::vector<std::string> scores;
    EXPECT_EQ(PlayOut(engine, "1R5K/5k2/8/8/8/8/5r2/8 w - - 0 1", 5, 30, mated, scores), -1);
    ASSERT_FALSE(scores.empty());
    for (const std::string& s : scores) {
        EXPECT_EQ(s.rfind(" score cp 0 ", 0), 0u) << s;
    }
}

TEST(TablebaseProtocol, OptionsFoldersAndEmptyPath) {
    if (!TablebasesBuiltIn()) GTEST_SKIP() << "built without Fathom: no tables";
    EngineProcess engine;
    const std::string sep = Separator();
    const std::string kqk = "position fen 8/8/8/8/8/2k5/8/KQ6 w - - 0 1";
    // The reference: what a fresh engine answers with no tables.
    engine.Send(kqk);
    const std::vector<std::string> plain = Search(engine, "go depth 4");

    // Two folders of one table each, an unreadable one, empty entries.
    namespace fs = std::filesystem;
    const fs::path a = fs::path(engine.Directory) / "a", b = fs::path(engine.Directory) / "b";
    fs::create_directories(a);
    fs::create_directories(b);
    for (const char* ext : {".rtbw", ".rtbz"}) {
        fs::copy_file(DataFolder + "/KQvK" + ext, a / (std::string("KQvK") + ext));
        fs::copy_file(DataFolder + "/KRvK" + ext, b / (std::string("KRvK") + ext));
    }
    engine.Send("setoption name SyzygyPath value " + a.string() + sep + sep + "/no/such/folder" + sep + b.string() +
                sep);
    engine.Send("isready");
    std::vector<std::string> lines = engine.ReadUntil("readyok");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "info string SyzygyPath: cannot read folder '/no/such/folder'; it is not used");
    EXPECT_EQ(lines[1], "info string SyzygyPath: 2 WDL and 2 DTZ tables found, up to 3 pieces");

    // Every line with "nodes" carries tbhits; the score is the tables' win.
    engine.Send("ucinewgame");
    engine.Send(kqk);
    lines = Search(engine, "go depth 4");
    for (const std::string& line : lines) {
        if (line.find(" nodes ") != std::string::npos) {
            EXPECT_NE(line.find(" tbhits "), std::string::npos) << line;
        }
    }
    EXPECT_NE(lines[0].find(" score cp 19000 "), std::string::npos) << lines[0];
    // searchmoves: of a drawing and a winning move the winning one is played.
    lines = Search(engine, "go depth 4 searchmoves b1b4 b1b2");
    EXPECT_EQ(lines.back().rfind("bestmove b1b2", 0), 0u) << lines.back();
    // The KR-K table of the second folder answers too.
    engine.Send("position fen 8/8/8/4k3/8/8/8/R3K3 w - - 0 1");
    lines = Search(engine, "go depth 3");
    EXPECT_NE(lines[0].find(" score cp 19000 "), std::string::npos) << lines[0];

    // An incomplete table file is reported by the engine and skipped; the
    // library's own lines about it reach neither output.
    const fs::path c = fs::path(engine.Directory) / "c";
    fs::create_directories(c);
    fs::copy_file(DataFolder + "/KBvK.rtbw", c / "KBvK.rtbw");
    fs::copy_file(DataFolder + "/KRvK.rtbw", c / "KRvK.rtbw");
    fs::resize_file(c / "KRvK.rtbw", 100);
    engine.Send("setoption name SyzygyPath value " + c.string());
    engine.Send("isready");
    lines = engine.ReadUntil("readyok");
    ASSERT_EQ(lines.size(), 3u);
    // (The folder and the file name are joined with the system's separator.)
    EXPECT_EQ(lines[0].rfind("info string SyzygyPath: incomplete table file '" + c.string(), 0), 0u) << lines[0];
    EXPECT_TRUE(lines[0].ends_with("KRvK.rtbw' is not used")) << lines[0];
    EXPECT_EQ(lines[1], "info string SyzygyPath: 1 WDL and 0 DTZ tables found, up to 3 pieces");

    // The path emptied: no probe, no tbhits, the fresh engine's lines again.
    engine.Send("setoption name SyzygyPath value <empty>");
    engine.Send("ucinewgame");
    engine.Send(kqk);
    lines = Search(engine, "go depth 4");
    ASSERT_EQ(lines.size(), plain.size());
    for (std::size_t k = 0; k < lines.size(); ++k)
        EXPECT_EQ(lines[k].substr(0, lines[k].find(" time ")), plain[k].substr(0, plain[k].find(" time ")));
    // And back: the tables answer again.
    engine.Send("setoption name SyzygyPath value " + a.string());
    engine.Send("isready");
    EXPECT_EQ(engine.ReadUntil("readyok").front(),
              "info string SyzygyPath: 1 WDL and 1 DTZ tables found, up to 3 pieces");
    engine.Send("ucinewgame");
    engine.Send(kqk);
    lines = Search(engine, "go depth 4");
    EXPECT_NE(lines[0].find(" score cp 19000 "), std::string::npos) << lines[0];
    EXPECT_NE(lines[0].find(" tbhits "), std::string::npos) << lines[0];
    engine.Send("quit");
    EXPECT_EQ(engine.Wait(), 0);
}

namespace {

// The defender of a lost ending: the tables' longest-resisting reply in the
// position after the moves (the first move the root keeps when it loses).
// Empty when the side to move has no move; mated tells whether it is in check.
std::string LongestDefence(const std::string& fen, const std::string& moves, bool& mated, int& clock) {
    const std::string line = "position fen " + fen + (moves.empty() ? "" : " moves" + moves);
    FreshSearch(fen);
    LastPositionLine.clear();  // the whole line, not a continuation of the last one
    SetPosition(line, line);
    PrepareSearchRoot();
    const PlyPosition& p = ThreadBoard->PositionStack[0];
    clock = p.HalfmoveClock;
    const Side side = static_cast<Side>(p.SideToMove);
    if (IsEmptyMove(FirstLegalRootMove())) {
        mated = AttackingSquare(0, p.KingSquare[side], static_cast<Side>(1 - side)) != 0;
        return "";
    }
    NarrowRootToTablebase();
    const std::string reply = MoveText(ThreadBoard->MoveList[0][1]).substr(1);
    EndRootRestriction();
    EndTablebaseSearch();
    return reply;
}

}  // namespace

TEST(TablebaseProtocol, WonEndingsConvertAgainstTheLongestDefence) {
    if (!TablebasesBuiltIn()) GTEST_SKIP() << "built without Fathom: no tables";
    SetTablebasePath(DataFolder);
    EngineProcess engine;
    engine.Send("setoption name SyzygyPath value " + DataFolder);
    // The search proves a mate in 2 with the queen, but the pawn move zeroes
    // the count at once: the pawn move is played.
    engine.Send("position fen k2K4/8/8/8/6Q1/8/P7/8 w - - 0 1");
    std::vector<std::string> lines = Search(engine, "go depth 6");
    bool claimed = false;
    for (const std::string& line : lines) claimed = claimed || line.find(" score mate 2 ") != std::string::npos;
    EXPECT_TRUE(claimed);
    EXPECT_TRUE(lines.back() == "bestmove a2a3" || lines.back() == "bestmove a2a4") << lines.back();

    // Quill (White) against the tables' longest defence: mate on the board,
    // the fifty-move count never reaching 100, within the tables' distance.
    const struct {
        const char* fen;
        int fullMoves;  // moves to mate with best play on both sides
    } endings[] = {
        {"k7/8/8/8/8/8/8/5BNK w - - 0 1", 33},
        {"8/8/8/4k3/8/8/8/KQ6 w - - 0 1", 10},
        {"8/8/8/3k4/8/8/8/R3K3 w - - 0 1", 16},
        {"8/8/8/8/8/2k5/8/KQ5r w - - 0 1", 30},
    };
    for (const auto& ending : endings) {
        std::string moves;
        bool mated = false;
        int clock = 0, longestClock = 0, plies = 0;
        for (; plies < 2 * ending.fullMoves + 40; plies += 2) {
            engine.Send("position fen " + std::string(ending.fen) + (moves.empty() ? "" : " moves" + moves));
            lines = Search(engine, "go nodes 20000");
            const std::string best = lines.back().substr(9, lines.back().find(' ', 9) - 9);
            ASSERT_NE(best, "0000") << ending.fen << moves;
            moves += " " + best;
            const std::string reply = LongestDefence(ending.fen, moves, mated, clock);
            longestClock = std::max(longestClock, clock);
            if (reply.empty()) break;
            moves += " " + reply;
        }
        EXPECT_TRUE(mated) << ending.fen << moves;
        EXPECT_LT(longestClock, 100) << ending.fen;
        EXPECT_LE(plies / 2 + 1, ending.fullMoves + 10) << ending.fen << moves;
    }
    SetTablebasePath("<empty>");
    engine.Send("quit");
    EXPECT_EQ(engine.Wait(), 0);
}
