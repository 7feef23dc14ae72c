// quill_match: plays games between two UCI engines under a clock, checking
// every move with Quill's own move generator and legality test.
//
//   quill_match --engine1 PATH [--name1 N] [--option1 Name=Value]...
//               --engine2 PATH [--name2 N] [--option2 Name=Value]...
//               [--games N] [--tc SECONDS+INCREMENT] [--hash-churn] [--stop-infinite] [--seed N]
//
// Each opening of a built-in list is played twice, colours exchanged. A game
// ends by mate, stalemate, the fifty-move rule, threefold repetition, bare
// material, an illegal move, a time loss, or an engine that dies or hangs.
// With --hash-churn, engine 1 gets a new "Hash" size and "Clear Hash"
// before every game; with --stop-infinite, engine 1 is sometimes asked to
// "go infinite" and stopped at a random moment instead of getting a clock.
// Exit code 0 when no engine lost on time, played an illegal move, died or hung.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "board/board.h"
#include "board/movetext.h"
#include "board/setup.h"
#include "engine_process.h"
#include "search/reset.h"
#include "uci/position.h"

namespace {

struct EngineConfig {
    std::string Path;
    std::string Name;
    std::vector<std::string> Options;
};

struct Tally {
    int Wins = 0, Draws = 0, Losses = 0;  // from engine 1's point of view
    int TimeLosses[2] = {0, 0};
    int IllegalMoves[2] = {0, 0};
    int Crashes[2] = {0, 0};
    int Hangs[2] = {0, 0};
};

const char* const Openings[] = {
    "",
    "e2e4 e7e5 g1f3 b8c6 f1b5 a7a6",
    "e2e4 c7c5 g1f3 d7d6 d2d4 c5d4 f3d4 g8f6 b1c3 a7a6",
    "d2d4 d7d5 c2c4 e7e6 b1c3 g8f6",
    "d2d4 g8f6 c2c4 g7g6 b1c3 f8g7 e2e4 d7d6",
    "e2e4 e7e6 d2d4 d7d5 b1c3 f8b4",
    "e2e4 c7c6 d2d4 d7d5 e4e5 c8f5",
    "c2c4 e7e5 b1c3 g8f6 g1f3 b8c6",
    "g1f3 d7d5 g2g3 g8f6 f1g2 e7e6",
    "e2e4 e7e5 g1f3 b8c6 f1c4 f8c5 c2c3 g8f6",
    "d2d4 d7d5 c2c4 c7c6 g1f3 g8f6 b1c3 d5c4",
    "e2e4 d7d5 e4d5 d8d5 b1c3 d5a5",
    "d2d4 g8f6 c2c4 e7e6 g1f3 b7b6 g2g3 c8b7",
    "e2e4 c7c5 b1c3 b8c6 g2g3 g7g6 f1g2 f8g7",
    "e2e4 e7e5 f2f4 e5f4 g1f3 g7g5",
    "d2d4 f7f5 g2g3 g8f6 f1g2 g7g6",
    "e2e4 g7g6 d2d4 f8g7 b1c3 d7d6 f2f4",
    "c2c4 c7c5 b1c3 b8c6 g2g3 g7g6",
    "e2e4 e7e5 g1f3 g8f6 f3e5 d7d6 e5f3 f6e4",
    "d2d4 d7d5 g1f3 g8f6 c1f4 c7c5 e2e3 b8c6",
};
constexpr int OpeningCount = sizeof Openings / sizeof Openings[0];

long long NowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// Legal moves of the ply-0 position as text, in generation order, by the
// engine's own legality test (the mover's king not attacked, no castling out of check).
std::vector<std::string> LegalMoves() {
    BoardTables& bt = *ThreadBoard;
    std::vector<std::string> moves;
    for (int n = 1; n <= bt.PositionStack[0].MoveCount; ++n) {
        MakeMove(1, n);
        if (!MoveWasLegal(1)) continue;
        moves.push_back(MoveText(bt.MoveList[0][n]).substr(1));
    }
    return moves;
}

// Neither side can mate: bare kings, or one minor piece against a bare king.
bool BareMaterial() {
    BoardTables& bt = *ThreadBoard;
    int minors = 0, others = 0;
    for (int sq = 1; sq <= 64; ++sq) {
        int p = bt.PositionStack[0].Board[sq];
        if (p == Empty || p == WhiteKing || p == BlackKing) continue;
        if (p == WhiteKnight || p == WhiteBishop || p == BlackKnight || p == BlackBishop) ++minors;
        else ++others;
    }
    return others == 0 && minors <= 1;
}

bool StartEngine(std::unique_ptr<EngineProcess>& engine, const EngineConfig& config) {
    engine = std::make_unique<EngineProcess>(std::vector<std::string>{}, config.Path);
    engine->Send("uci");
    if (engine->ReadUntil("uciok", 10000).empty()) return false;
    for (const auto& option : config.Options) {
        std::size_t eq = option.find('=');
        engine->Send("setoption name " + option.substr(0, eq) + " value " + option.substr(eq + 1));
    }
    engine->Send("isready");
    return !engine->ReadUntil("readyok", 10000).empty();
}

enum class Outcome { WhiteWins, BlackWins, Draw };

struct GameResult {
    Outcome Result;
    std::string Reason;
    int Culprit = -1;  // engine that died or hung, if any
};

struct MatchSettings {
    int Games = 40;
    double BaseSeconds = 10;
    double IncrementSeconds = 0.1;
    bool HashChurn = false;
    bool StopInfinite = false;
};

GameResult PlayGame(std::unique_ptr<EngineProcess> engines[2], const EngineConfig configs[2], int whiteEngine,
                    const std::string& opening, const MatchSettings& settings, Tally& tally, std::mt19937& rng) {
    BoardTables& bt = *ThreadBoard;
    std::string moves = opening;
    std::vector<std::string> seen;  // positions so far, for threefold repetition
    long long clock[2] = {static_cast<long long>(settings.BaseSeconds * 1000),
                          static_cast<long long>(settings.BaseSeconds * 1000)};
    const long long increment = static_cast<long long>(settings.IncrementSeconds * 1000);
    for (int e = 0; e < 2; ++e) {
        engines[e]->Send("ucinewgame");
        engines[e]->Send("isready");
        engines[e]->ReadUntil("readyok", 10000);
    }
    for (int ply = 0; ply < 800; ++ply) {
        std::string position = "position startpos" + (moves.empty() ? std::string() : " moves " + moves);
        LastPositionLine.clear();  // always the set-up path
        SetPosition(position, position);
        const Side side = bt.PositionStack[0].SideToMove;
        std::vector<std::string> legal = LegalMoves();
        if (legal.empty()) {
            if (bt.CheckerSquare[0] != 0) return {side == White ? Outcome::BlackWins : Outcome::WhiteWins, "mate"};
            return {Outcome::Draw, "stalemate"};
        }
        if (bt.PositionStack[0].HalfmoveClock >= 100) return {Outcome::Draw, "fifty moves"};
        if (BareMaterial()) return {Outcome::Draw, "bare material"};
        std::string key = std::to_string(bt.PositionStack[0].KeyLo) + ":" + std::to_string(bt.PositionStack[0].KeyHi) +
                          ":" + std::to_string(bt.PositionStack[0].StateCode);
        int repeats = 0;
        for (const auto& k : seen) repeats += k == key;
        if (repeats >= 2) return {Outcome::Draw, "threefold repetition"};
        seen.push_back(key);

        const int mover = side == White ? whiteEngine : 1 - whiteEngine;
        const Outcome loss = side == White ? Outcome::BlackWins : Outcome::WhiteWins;
        EngineProcess& engine = *engines[mover];
        engine.Send(position);
        long long started = NowMs();
        bool infinite = settings.StopInfinite && mover == 0 && rng() % 8 == 0;
        if (infinite) {
            engine.Send("go infinite");
            engine.Fill(static_cast<int>(rng() % 300));
            engine.Send("stop");
        } else {
            long long own = clock[mover], other = clock[1 - mover];
            long long wtime = side == White ? own : other, btime = side == White ? other : own;
            engine.Send("go wtime " + std::to_string(wtime) + " btime " + std::to_string(btime) + " winc " +
                        std::to_string(increment) + " binc " + std::to_string(increment));
        }
        long long limit = infinite ? 10000 : clock[mover] + 5000;
        std::vector<std::string> lines = engine.ReadUntil("bestmove", static_cast<int>(limit));
        long long used = NowMs() - started;
        if (lines.empty()) {
            if (engine.Wait(0) != -1 || engine.Pid < 0) {
                ++tally.Crashes[mover];
                return {loss, configs[mover].Name + " died", mover};
            }
            ++tally.Hangs[mover];
            return {loss, configs[mover].Name + " hangs", mover};
        }
        if (!infinite) {
            clock[mover] -= used;
            if (clock[mover] < 0) {
                ++tally.TimeLosses[mover];
                return {loss, configs[mover].Name + " lost on time (" + std::to_string(-clock[mover]) + " ms over)"};
            }
            clock[mover] += increment;
        }
        std::string best = lines.back().substr(std::strlen("bestmove"));
        while (!best.empty() && best[0] == ' ') best.erase(0, 1);
        best = best.substr(0, best.find(' '));
        bool ok = false;
        for (const auto& m : legal) ok = ok || m == best;
        if (!ok) {
            ++tally.IllegalMoves[mover];
            return {loss, configs[mover].Name + " played illegal move '" + best + "'"};
        }
        moves += (moves.empty() ? "" : " ") + best;
    }
    return {Outcome::Draw, "game length"};
}

void Usage() {
    std::fprintf(stderr,
                 "usage: quill_match --engine1 PATH [--name1 N] [--option1 Name=Value]... --engine2 PATH [--name2 N] "
                 "[--option2 Name=Value]... [--games N] [--tc SECONDS+INCREMENT] [--hash-churn] [--stop-infinite] "
                 "[--seed N]\n");
}

}  // namespace

int main(int argc, char** argv) {
    EngineConfig configs[2];
    MatchSettings settings;
    unsigned seed = 1;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto next = [&]() -> std::string {
            if (i + 1 >= argc) {
                Usage();
                std::exit(2);
            }
            return argv[++i];
        };
        if (a == "--engine1") configs[0].Path = next();
        else if (a == "--engine2") configs[1].Path = next();
        else if (a == "--name1") configs[0].Name = next();
        else if (a == "--name2") configs[1].Name = next();
        else if (a == "--option1") configs[0].Options.push_back(next());
        else if (a == "--option2") configs[1].Options.push_back(next());
        else if (a == "--games") settings.Games = std::atoi(next().c_str());
        else if (a == "--seed") seed = static_cast<unsigned>(std::atoi(next().c_str()));
        else if (a == "--tc") {
            std::string tc = next();
            settings.BaseSeconds = std::atof(tc.c_str());
            std::size_t plus = tc.find('+');
            settings.IncrementSeconds = plus == std::string::npos ? 0 : std::atof(tc.c_str() + plus + 1);
        } else if (a == "--hash-churn") settings.HashChurn = true;
        else if (a == "--stop-infinite") settings.StopInfinite = true;
        else {
            Usage();
            return 2;
        }
    }
    if (configs[0].Path.empty() || configs[1].Path.empty()) {
        Usage();
        return 2;
    }
    for (auto& s : configs)
        if (s.Name.empty()) s.Name = s.Path.substr(s.Path.rfind('/') + 1);
    if (configs[0].Name == configs[1].Name) configs[1].Name += "-2";

    InitEngineTables();
    std::mt19937 rng(seed);
    Tally tally;
    std::unique_ptr<EngineProcess> engines[2];
    for (int g = 0; g < settings.Games; ++g) {
        for (int e = 0; e < 2; ++e) {
            if (engines[e]) continue;
            if (!StartEngine(engines[e], configs[e])) {
                std::fprintf(stderr, "%s does not answer uci\n", configs[e].Name.c_str());
                return 1;
            }
        }
        if (settings.HashChurn) {
            static const int sizes[] = {1, 2, 8, 16, 32, 4};
            engines[0]->Send("setoption name Hash value " + std::to_string(sizes[rng() % 6]));
            engines[0]->Send("setoption name Clear Hash");
        }
        const int whiteEngine = g % 2;  // engine 1 has White in even games
        const std::string opening = Openings[(g / 2) % OpeningCount];
        GameResult r = PlayGame(engines, configs, whiteEngine, opening, settings, tally, rng);
        int score1 = r.Result == Outcome::Draw ? 0 : ((r.Result == Outcome::WhiteWins) == (whiteEngine == 0) ? 1 : -1);
        tally.Wins += score1 == 1;
        tally.Draws += score1 == 0;
        tally.Losses += score1 == -1;
        std::printf("game %d: %s (white) - %s (black): %s, %s\n", g + 1, configs[whiteEngine].Name.c_str(),
                    configs[1 - whiteEngine].Name.c_str(),
                    r.Result == Outcome::Draw ? "1/2-1/2" : (r.Result == Outcome::WhiteWins ? "1-0" : "0-1"),
                    r.Reason.c_str());
        std::fflush(stdout);
        if (r.Culprit >= 0) engines[r.Culprit].reset();  // a dead or hung engine is restarted
    }
    std::printf("\n%s vs %s: +%d =%d -%d\n", configs[0].Name.c_str(), configs[1].Name.c_str(), tally.Wins, tally.Draws,
                tally.Losses);
    int anomalies = 0;
    for (int e = 0; e < 2; ++e) {
        std::printf("%s: time losses %d, illegal moves %d, crashes %d, hangs %d\n", configs[e].Name.c_str(),
                    tally.TimeLosses[e], tally.IllegalMoves[e], tally.Crashes[e], tally.Hangs[e]);
        anomalies += tally.TimeLosses[e] + tally.IllegalMoves[e] + tally.Crashes[e] + tally.Hangs[e];
    }
    return anomalies == 0 ? 0 : 1;
}
