// Playing strength a person can choose (UCI_LimitStrength, UCI_Elo) and the
// win/draw/loss display (UCI_ShowWDL).
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "engine_process.h"
#include "play/strength.h"
#include "play/wdl.h"
#include "search/driver.h"
#include "search/info.h"
#include "search/rootlines.h"
#include "search_test_util.h"

namespace {

// Positions from Quill's self-play games: openings, middlegames, endgames.
const char* const GamePositions[] = {
    "rnb1k1nr/pp2bppp/2p1p1q1/3pP3/3P4/P1N2N1P/1PP2PPR/R1BQKB2 b Qkq - 2 4",
    "1rb1k2r/p3b1pp/p1p4q/3pPp2/1P1P4/P1N2N1P/2P2PR1/R2QK3 b Qk - 0 11",
    "1r1q1rk1/p5pp/8/pp2P3/P2P1p2/R4Q2/2PK1P1R/8 b - - 0 21",
    "5k2/6p1/5r1p/R7/8/8/8/2K5 b - - 0 36",
    "r1b1k1nr/pp2b1p1/nqp1p3/5pPp/1P1P4/P1NB1N1P/2PBKP1R/R2Q4 b kq - 1 11",
    "r1b2rk1/p1n1n1p1/1qpbp1P1/1p3p2/1P1P3p/P1NBBN1P/2P1QPR1/4RK2 b - - 6 21",
    "r1b1k1nr/ppp2pp1/2n1p2p/2bpq3/2P2P2/P2P2P1/1P2P2P/RNBQKBNR b kq - 0 4",
    "r1b2rk1/ppp2ppq/2n1pb1p/8/1PPp1P2/P2P1NP1/4P2P/R1BQKB1R b - - 0 11",
    "r1bk1b1r/1pp1np2/p1nPpqpp/1N6/3P1N1P/P2BPPP1/1P3K2/R1BQ3R b - - 0 11",
    "2rk3r/1Qpb1pb1/4pqpp/1p6/3P1N1P/P2BPPP1/1P3K2/1RR5 b - - 1 21",
    "3r4/3bk1b1/2p1p2p/1pR1P2P/r2NB1p1/P3P1P1/1P6/2R3K1 b - - 2 36",
    "r2qkb1r/ppp3pp/n3pn2/3pNb2/3P1P2/N7/PPP1P2P/R1BQKBR1 b Qkq - 3 4",
    "r3k2r/pp4pp/n1p1p3/3p1bN1/3P1P2/q1P1P3/P2Q3P/R3KBR1 b Qkq - 0 11",
    "6rk/p1n3p1/2p1p2p/qp3r2/3PpP2/P1P1P3/4B1RP/2Q1K1R1 b - - 3 21",
    "5rk1/p2r2p1/4pnBp/qp6/2pP1P2/P1P1P2R/3KR2P/2Q5 b - - 6 36",
    "r1bq1rk1/p1p4p/np4p1/3pNp1Q/2PPnP2/P3P3/P6P/1RB1KBR1 b - - 1 11",
    "r7/p1n3kp/1pprb1p1/4Np2/P2PnP1q/BR1BP3/P3Q2P/5KR1 b - - 6 21",
    "r2qkbr1/npp2p1p/4pn2/pP1p2p1/3P2P1/1QPP1P2/P1N4P/R1B1KB1R b KQq - 0 11",
    "r3kb1r/1ppq1p1n/4p3/nP1p2P1/3P1P1R/2PPN3/PQ6/R1B1KB2 b Qq - 4 21",
    "r3k2r/5p1n/2p1p3/6P1/2P2P1R/3B4/P4K2/3R4 b - - 1 36",
    "4rb1r/2pk1p1p/pp1q1np1/3pn3/1P1Q1NbP/N1P3P1/P3PP2/R1BK1B1R b - - 3 11",
    "4r2r/2pkbp2/5np1/pp5p/PP1P1NbP/6P1/4PP2/R1B1KBR1 b - - 0 21",
    "8/4k3/2p1pnp1/p6p/Pr1PP2P/K1R2PP1/B7/8 b - - 3 36",
    "r1b1kbnr/1p4p1/4p3/pB4Pp/Pn1q4/1QN4N/3P3P/R1B1K2R b KQkq - 1 11",
    "r1b2k2/1p2n1p1/3b4/p3p1Pp/Pn4q1/6QN/3PN1BP/R1BK4 b - - 1 21",
    "5rk1/1p2b1p1/2b3P1/pNNn4/P2B2p1/4n3/7P/R4BK1 b - - 0 36",
    "r3q1nr/ppnb1kp1/8/3p1pPp/Pb1QpP2/7N/3PP2P/RNB1KB1R b KQ - 1 11",
    "4rknr/pp1b2p1/4P3/1Pb2pNp/3pp3/8/3PP2P/1RB1KBR1 b - - 0 21",
    "8/R2nk3/8/1P3p1p/8/4p3/4K2P/5Br1 b - - 2 36",
    "3qkb1r/3p4/2p1pn2/n4p1p/6pP/N1PPP3/P3NPP1/2BQ1RK1 b k - 1 11",
    "3q1b2/r4k2/5n2/2np1p1p/1B1P2pP/N7/P4PP1/1RNQ2K1 b - - 0 21",
    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
};

// The move played in a position as after "go depth D", at a rating when elo
// is given (the level's node budget and choice apply, from a fixed seed),
// else at full strength.
std::string PlayAtLevel(const char* fen, int elo, uint64_t seed, int depth = 8) {
    SearchThread& st = *ThreadSearch;
    FreshSearch(fen);
    LimitStrength = elo > 0;
    StrengthElo = elo > 0 ? elo : DefaultStrengthElo;
    GoLimits go;
    go.HasDepth = true;
    go.Depth = depth;
    AllocateTime(go);
    SeedStrengthRandom(seed);
    SearchState.store(SearchRunning);
    RunSearch(DepthLimit);
    const std::string played = MoveText(st.PvTable[0][0]).substr(1);
    LimitStrength = false;
    return played;
}

}  // namespace

TEST(Strength, LevelsFollowTheOptionsAndWeakenMoreAsTheRatingFalls) {
    // UCI_Elo alone changes nothing; the highest rating is full strength.
    ResetControlState();
    StrengthElo = MinStrengthElo;
    EXPECT_FALSE(CurrentStrengthLevel().Limited);
    LimitStrength = true;
    StrengthElo = MaxStrengthElo;
    EXPECT_FALSE(CurrentStrengthLevel().Limited);
    // Down the ratings: fewer nodes, a hotter and wider choice, never rising.
    StrengthLevel previous = LevelForStrength(MaxInternalStrength - 1);
    for (int elo = MaxStrengthElo - 1; elo >= MinStrengthElo; elo -= 50) {
        StrengthElo = elo;
        const StrengthLevel level = CurrentStrengthLevel();
        ASSERT_TRUE(level.Limited) << elo;
        EXPECT_LE(level.Nodes, previous.Nodes) << elo;
        EXPECT_GE(level.TemperatureCp, previous.TemperatureCp) << elo;
        EXPECT_GE(level.MarginCp, previous.MarginCp) << elo;
        EXPECT_GT(level.Lines, 1) << elo;
        previous = level;
    }
    EXPECT_LT(previous.Nodes, LevelForStrength(MaxInternalStrength / 2).Nodes);
    ResetControlState();
    EXPECT_FALSE(LimitStrength);
}

TEST(Strength, TheLowestLevelPlaysLegalMovesAndWorseOnesMoreOftenThanAHigherLevel) {
    // Each position at the lowest rating and at a middle one, from the same
    // seeds: every move is legal, and the weak level leaves the full engine's
    // move more often. The weakest level must also leave it in a fair share
    // of positions, or it would not be weaker.
    int weakWorse = 0, middleWorse = 0, positions = 0;
    // The full engine's move, at a depth the middle level's budget reaches.
    std::vector<std::string> full;
    for (const char* fen : GamePositions) full.push_back(PlayAtLevel(fen, 0, 0, 6));
    uint64_t seed = 0;
    for (int round = 0; round < 2; ++round) {
        for (std::size_t k = 0; k < full.size(); ++k) {
            const char* fen = GamePositions[k];
            ++seed;  // each position its own draw, the same for both levels
            const std::string weak = PlayAtLevel(fen, MinStrengthElo, seed);
            EXPECT_TRUE(IsLegalIn(fen, weak)) << fen << " " << weak;
            const std::string middle = PlayAtLevel(fen, 1500, seed);
            EXPECT_TRUE(IsLegalIn(fen, middle)) << fen << " " << middle;
            weakWorse += weak == full[k] ? 0 : 1;
            middleWorse += middle == full[k] ? 0 : 1;
            ++positions;
        }
    }
    RecordProperty("weak_worse", weakWorse);
    RecordProperty("middle_worse", middleWorse);
    EXPECT_GT(weakWorse, middleWorse);
    EXPECT_GE(weakWorse * 5, positions) << weakWorse << " of " << positions;
    ResetControlState();
}

TEST(Strength, TheChoiceStaysWithinTheMarginAndKeepsMates) {
    const StrengthLevel weakest = LevelForStrength(MinInternalStrength);
    SeedStrengthRandom(7);
    const int spread[] = {40, 20, 0, 40 - weakest.MarginCp - 1};
    int counts[4] = {0, 0, 0, 0};
    for (int k = 0; k < 3000; ++k) ++counts[ChooseRootLine(spread, 4, weakest)];
    EXPECT_EQ(counts[3], 0);  // beyond the margin
    EXPECT_GT(counts[0], counts[1]);
    EXPECT_GT(counts[1], counts[2]);
    EXPECT_GT(counts[2], 0);
    const int mating[] = {MateScore - 5, 100, 90};
    for (int k = 0; k < 200; ++k) EXPECT_EQ(ChooseRootLine(mating, 3, weakest), 0);
    EXPECT_EQ(ChooseRootLine(spread, 4, LevelForStrength(MaxInternalStrength)), 0);
}

TEST(Strength, TheEngineAnswersStopAndIsreadyAtOnceAtTheLowestLevel) {
    EngineProcess engine;
    engine.Send("setoption name UCI_LimitStrength value true");
    engine.Send("setoption name UCI_Elo value " + std::to_string(MinStrengthElo));
    engine.Send("ucinewgame");
    engine.Send("position startpos moves e2e4 e7e5");
    engine.Send("go infinite");
    engine.Send("isready");
    ASSERT_FALSE(engine.ReadUntil("readyok").empty());
    engine.Send("stop");
    const std::vector<std::string> answer = engine.ReadUntil("bestmove");
    ASSERT_FALSE(answer.empty());
    EXPECT_TRUE(IsLegalIn("rnbqkbnr/pppp1ppp/8/4p3/4P3/8/PPPP1PPP/RNBQKBNR w KQkq - 0 2", answer.back().substr(9, 4)))
        << answer.back();
    engine.Send("quit");
    EXPECT_EQ(engine.Wait(), 0);
}

TEST(Wdl, TriplesSumToAThousandRiseWithTheScoreAndDecidedScoresAreCertain) {
    // From bare kings to more than the start position's material.
    for (int material : {0, 10, 40, 78, 100}) {
        WdlPermille previous = WdlForScore(-15000, material);
        EXPECT_EQ(previous.Loss, 1000);
        for (int score = -14999; score <= 15000; score += 7) {
            const WdlPermille w = WdlForScore(score, material);
            EXPECT_EQ(w.Win + w.Draw + w.Loss, 1000) << score << " " << material;
            EXPECT_GE(w.Draw, 0) << score << " " << material;
            EXPECT_GE(w.Win, previous.Win) << score << " " << material;
            EXPECT_LE(w.Loss, previous.Loss) << score << " " << material;
            previous = w;
        }
        EXPECT_EQ(WdlForScore(MateScore - 3, material).Win, 1000);
        EXPECT_EQ(WdlForScore(-MateScore + 4, material).Loss, 1000);
        const WdlPermille level = WdlForScore(0, material);
        EXPECT_EQ(level.Win, level.Loss);
        EXPECT_GT(level.Draw, 0);
    }
    // The same small edge converts less often with little material left.
    EXPECT_GT(WdlForScore(100, 78).Win, WdlForScore(100, 10).Win);
    InitEngineTables();
    ASSERT_TRUE(SetupFen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"));
    EXPECT_EQ(WdlMaterial(ThreadBoard->PositionStack[0]), 78);
    ASSERT_TRUE(SetupFen("4k3/8/8/8/8/8/4P3/R3K3 w - - 0 1"));
    EXPECT_EQ(WdlMaterial(ThreadBoard->PositionStack[0]), 6);
}

TEST(Wdl, ScoreLinesCarryTheTripleOnlyWhenAskedFor) {
    EngineProcess engine;
    engine.Send("position fen 6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1");
    engine.Send("go depth 4");
    for (const std::string& line : engine.ReadUntil("bestmove"))
        EXPECT_EQ(line.find(" wdl "), std::string::npos) << line;
    engine.Send("setoption name UCI_ShowWDL value true");
    int scored = 0;
    for (const char* position : {"position startpos", "position fen 6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1",
                                 "position fen R5k1/5ppp/8/8/8/8/8/6K1 b - - 0 1"}) {
        engine.Send(position);
        engine.Send("go depth 4");
        for (const std::string& line : engine.ReadUntil("bestmove")) {
            if (line.find(" score ") == std::string::npos) continue;
            ++scored;
            const std::size_t at = line.find(" wdl ");
            ASSERT_NE(at, std::string::npos) << line;
            int w = -1, d = -1, l = -1;
            ASSERT_EQ(std::sscanf(line.c_str() + at, " wdl %d %d %d", &w, &d, &l), 3) << line;
            EXPECT_EQ(w + d + l, 1000) << line;
            if (line.find("score mate 0") != std::string::npos) {
                EXPECT_EQ(l, 1000) << line;
            } else if (line.find("score mate ") != std::string::npos) {
                EXPECT_EQ(w, 1000) << line;
            }
        }
    }
    EXPECT_GT(scored, 3);
    engine.Send("quit");
    EXPECT_EQ(engine.Wait(), 0);
}
