// The iterative-deepening driver: score texts, the speed line, the stop
// rules, and whole searches run in-process.
#include <gtest/gtest.h>

#include "search/driver.h"
#include "search/info.h"
#include "search_test_util.h"

TEST(DriverText, ScoreTextShowsMatesAsMovesAndEverythingElseInCentipawns) {
    EXPECT_EQ(ScoreText(29999), " score mate 1");  // mate delivered at ply 1
    EXPECT_EQ(ScoreText(29997), " score mate 2");  // at ply 3
    EXPECT_EQ(ScoreText(29995), " score mate 3");
    EXPECT_EQ(ScoreText(-29998), " score mate -1");  // mated at ply 2
    EXPECT_EQ(ScoreText(-29996), " score mate -2");
    EXPECT_EQ(ScoreText(-30001), " score cp -30001");
    EXPECT_EQ(ScoreText(30001), " score cp 30001");
    EXPECT_EQ(ScoreText(0), " score cp 0");
    EXPECT_EQ(ScoreText(-57), " score cp -57");
    EXPECT_EQ(ScoreText(19999), " score cp 19999");
    EXPECT_EQ(ScoreText(20001), " score mate 5000");
}

TEST(DriverText, SpeedLineUsesTruncatedTimeAndSixtyFourBitProduct) {
    EXPECT_EQ(SpeedLine(5000000, 2000.0), "info nodes 5000000 time 2000 nps 2500000");
    EXPECT_EQ(SpeedLine(1000, 1500.7), "info nodes 1000 time 1500 nps 666");
    // 5,000,000,000 nodes: the product with 1000 overflows 32 bits many times over.
    EXPECT_EQ(SpeedLine(5000000000ull, 4000.0), "info nodes 5000000000 time 4000 nps 1250000000");
}

TEST(DriverStopRules, DepthLimitAndSingleRootMoveStopInAnyState) {
    EXPECT_EQ(DecideAfterIteration(0, 3, 1, 0, 1e9, 20), IterationVerdict::Stop);  // "go depth 1": one iteration at 3
    EXPECT_EQ(DecideAfterIteration(0, 5, 5, 0, 1e9, 20), IterationVerdict::Stop);
    EXPECT_EQ(DecideAfterIteration(0, 4, 5, 0, 1e9, 20), IterationVerdict::Deeper);
    EXPECT_EQ(DecideAfterIteration(0, 3, 79, 0, 1e9, 1), IterationVerdict::Stop);  // a single root move
    EXPECT_EQ(DecideAfterIteration(0, 3, 79, 0, 1e9, 2), IterationVerdict::Deeper);
    // Before the deadline has passed neither the score nor the clock matters.
    EXPECT_EQ(DecideAfterIteration(0, 10, 79, 29999, 0, 20), IterationVerdict::Deeper);
    EXPECT_EQ(DecideAfterIteration(0, 10, 79, 300, -100, 20), IterationVerdict::Deeper);
}

TEST(DriverStopRules, AfterTheDeadlineWasExtended) {
    // Less than 50 ms left, from depth 7 on.
    EXPECT_EQ(DecideAfterIteration(1, 7, 79, 0, 49.9, 20), IterationVerdict::AdvanceState);
    EXPECT_EQ(DecideAfterIteration(1, 6, 79, 0, 49.9, 20), IterationVerdict::Deeper);
    EXPECT_EQ(DecideAfterIteration(1, 7, 79, 0, 50, 20), IterationVerdict::Deeper);
    // Standing better by more than 20 and less than 5000, from depth 7 on.
    EXPECT_EQ(DecideAfterIteration(1, 7, 79, 21, 1000, 20), IterationVerdict::AdvanceState);
    EXPECT_EQ(DecideAfterIteration(1, 7, 79, 4999, 1000, 20), IterationVerdict::AdvanceState);
    EXPECT_EQ(DecideAfterIteration(1, 7, 79, 20, 1000, 20), IterationVerdict::Deeper);
    EXPECT_EQ(DecideAfterIteration(1, 7, 79, 5000, 1000, 20), IterationVerdict::Deeper);
    EXPECT_EQ(DecideAfterIteration(1, 7, 79, -300, 1000, 20), IterationVerdict::Deeper);
    EXPECT_EQ(DecideAfterIteration(1, 6, 79, 300, 1000, 20), IterationVerdict::Deeper);
    // A winning mate at any depth.
    EXPECT_EQ(DecideAfterIteration(1, 3, 79, 20001, 1000, 20), IterationVerdict::AdvanceState);
    EXPECT_EQ(DecideAfterIteration(1, 3, 79, -29998, 1000, 20), IterationVerdict::Deeper);
    // None of these: the depth limit and the single move still apply.
    EXPECT_EQ(DecideAfterIteration(1, 8, 8, 0, 1000, 20), IterationVerdict::Stop);
    EXPECT_EQ(DecideAfterIteration(1, 4, 79, 0, 1000, 1), IterationVerdict::Stop);
}

TEST(DriverSearch, DepthOneStillSearchesTheFirstIterationAtDepthThree) {
    SearchThread& st = *ThreadSearch;
    FreshSearch("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
    RunSearch(1);
    EXPECT_EQ(st.IterationDepth, 3);
    EXPECT_EQ(SearchState.load(), 2);
    EXPECT_EQ(SearchDeadline, 0);
    EXPECT_GT(st.NodeCount, 20u);
    EXPECT_TRUE(
        IsLegalIn("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", MoveText(st.PvTable[0][0]).substr(1)));
}

TEST(DriverSearch, SingleRootMoveEndsAfterTheFirstIteration) {
    SearchThread& st = *ThreadSearch;
    // The black king on h8 is in check from the rook on a8 and has only h7.
    const char* fen = "R6k/8/5K2/8/8/8/8/8 b - - 0 1";
    FreshSearch(fen);
    RunSearch(10);
    EXPECT_EQ(st.IterationDepth, 3);
    EXPECT_EQ(MoveText(st.PvTable[0][0]), " h8h7");
}

TEST(DriverSearch, ExtendedDeadlineAndWinningMateStopsAtOnce) {
    SearchThread& st = *ThreadSearch;
    FreshSearch("6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1");
    SearchState.store(1);  // the first deadline has passed
    RunSearch(10);
    EXPECT_EQ(st.IterationDepth, 3);
    EXPECT_EQ(SearchState.load(), 2);
    EXPECT_EQ(MoveText(st.PvTable[0][0]), " a1a8");
}

TEST(DriverSearch, ExtendedDeadlineRunsOnWhenLosingOrLevel) {
    SearchThread& st = *ThreadSearch;
    // Black to move is mated after either of its two moves: a losing mate
    // score never stops the driver early.
    FreshSearch("7k/1R6/8/8/7p/8/R7/7K b - - 0 1");
    SearchState.store(1);
    RunSearch(5);
    EXPECT_EQ(st.IterationDepth, 5);
    EXPECT_EQ(SearchState.load(), 2);
    // Bare kings: level, on to the depth limit.
    FreshSearch("6k1/8/8/8/8/8/8/6K1 w - - 0 1");
    SearchState.store(1);
    RunSearch(5);
    EXPECT_EQ(st.IterationDepth, 5);
}

TEST(DriverSearch, StopBeforeTheSearchStartsStillPlaysALegalMove) {
    SearchThread& st = *ThreadSearch;
    // Row 0 of the PvTable holds a move of another position (a1a8 is not
    // even a move here): the driver still answers with a legal move.
    const char* fen = "4k3/8/8/8/8/8/4P3/4K3 w - - 0 1";
    FreshSearch(fen);
    st.PvTable[0][0] = Move{1, 57};
    SearchState.store(2);
    RunSearch(79);
    EXPECT_TRUE(IsLegalIn(fen, MoveText(st.PvTable[0][0]).substr(1))) << MoveText(st.PvTable[0][0]);
}

TEST(DriverSearch, NoLegalMoveGivesTheEmptyMove) {
    SearchThread& st = *ThreadSearch;
    const char* fen = "R5k1/5ppp/8/8/8/8/8/6K1 b - - 0 1";  // black is mated
    FreshSearch(fen);
    RunSearch(3);
    EXPECT_EQ(MoveText(st.PvTable[0][0]), " 0000");
}
