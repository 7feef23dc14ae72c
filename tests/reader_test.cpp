// The command reader's number parsing and time allocation.
#include <gtest/gtest.h>

#include <cmath>

#include "board/board.h"
#include "search/control.h"
#include "search/tables.h"
#include "uci/reader.h"

TEST(Reader, ReadNumberAtSkipsToDigitsAndSaturates) {
    EXPECT_EQ(ReadNumberAt(7, "wtime 60000 btime 5"), 60000);
    EXPECT_EQ(ReadNumberAt(1, "abc-500x"), 500);  // no sign: the minus is skipped
    EXPECT_EQ(ReadNumberAt(7, "depth "), 0);      // nothing follows the keyword
    EXPECT_EQ(ReadNumberAt(1, "99999999999999999999"), 2147483647);
    EXPECT_EQ(ReadNumberAt(1, "12 34"), 12);
}

namespace {
double BudgetMs(const std::string& line, Side side) {
    BoardTables& bt = *ThreadBoard;
    bt.PositionStack[0].SideToMove = side;
    AllocateTime(ReadGoLimits(line));
    return TimeBudget * MillisecondsPerDay;
}
}  // namespace

TEST(Reader, TimeBudgetsFollowTheClockRules) {
    // Without a move overhead: the plain shares of the clock.
    MoveOverheadMs = 0;
    EXPECT_NEAR(BudgetMs("go wtime 60000 btime 60000 winc 1000 binc 1000", White), 2000.0, 1e-6);
    EXPECT_EQ(DepthLimit, 79);
    EXPECT_NEAR(BudgetMs("go wtime 10000 btime 10000 movestogo 1", White), 2500.0, 1e-6);
    EXPECT_NEAR(BudgetMs("go wtime 10000 btime 80000 movestogo 19", White), 250.0, 1e-6);  // D capped at 40
    EXPECT_NEAR(BudgetMs("go wtime 500 winc 1000", White), 12.5, 1e-6);  // increment not below the time: ignored
    EXPECT_NEAR(BudgetMs("go wtime 1000 btime 30000 winc 0 binc 2000", Black), 1750.0, 1e-6);
    // The deadline is the budget after the start.
    EXPECT_NEAR((SearchDeadline - SearchStartTime) * MillisecondsPerDay, 1750.0, 5.0);
    MoveOverheadMs = 50;
}

TEST(Reader, MoveOverheadIsReservedForEveryMoveStillToPlay) {
    MoveOverheadMs = 50;
    // 40 moves to play: 60000 - 40 x 50 = 58000 shared by 40, plus half the increment.
    EXPECT_NEAR(BudgetMs("go wtime 60000 btime 60000 winc 1000 binc 1000", White), 1950.0, 1e-6);
    // The hard limit stays the overhead and a twentieth of the clock away from the flag.
    EXPECT_NEAR((HardDeadline - SearchStartTime) * MillisecondsPerDay, 60000.0 - 50 - 3000, 1e-6);
    // movestogo 1: one move to play, D = 4: (10000 - 50) / 4.
    EXPECT_NEAR(BudgetMs("go wtime 10000 btime 10000 movestogo 1", White), 2487.5, 1e-6);
    // movestogo 30: 30 moves to play, D capped at 40: (10000 - 1500) / 40.
    EXPECT_NEAR(BudgetMs("go wtime 10000 btime 10000 movestogo 30", White), 212.5, 1e-6);
    // A clock below the reserve leaves only half the increment: 1000 ms at 10 ms a move.
    EXPECT_NEAR(BudgetMs("go wtime 1000 btime 1000 winc 10 binc 10", White), 5.0, 1e-6);
    EXPECT_NEAR((HardDeadline - SearchStartTime) * MillisecondsPerDay, 1000.0 - 50 - 50, 1e-6);
    // A large overhead moves the hard limit further from the flag than the 30 ms margin.
    MoveOverheadMs = 400;
    EXPECT_NEAR(BudgetMs("go wtime 100000 btime 100000", Black), (100000.0 - 16000) / 40, 1e-6);
    EXPECT_NEAR((HardDeadline - SearchStartTime) * MillisecondsPerDay, 100000.0 - 400 - 5000, 1e-6);
    // Below 30 ms the margin stays 30 ms.
    MoveOverheadMs = 10;
    BudgetMs("go wtime 2000 btime 2000", White);
    EXPECT_NEAR((HardDeadline - SearchStartTime) * MillisecondsPerDay, 2000.0 - 30 - 100, 1e-6);
    MoveOverheadMs = 50;
}

TEST(Reader, GoLinesWithoutALimitSearchUntilStop) {
    BoardTables& bt = *ThreadBoard;
    bt.PositionStack[0].SideToMove = White;
    EXPECT_TRUE(SearchesWithoutLimit(ReadGoLimits("go")));
    EXPECT_TRUE(SearchesWithoutLimit(ReadGoLimits("go foo bar")));
    EXPECT_TRUE(SearchesWithoutLimit(ReadGoLimits("go infinite")));
    EXPECT_TRUE(SearchesWithoutLimit(ReadGoLimits("go btime 1000 binc 10")));  // only the other side's clock
    EXPECT_TRUE(SearchesWithoutLimit(ReadGoLimits("go searchmoves e2e4 movestogo 5")));
    EXPECT_TRUE(SearchesWithoutLimit(ReadGoLimits("go depth 9 infinite")));
    EXPECT_FALSE(SearchesWithoutLimit(ReadGoLimits("go wtime 1000")));
    EXPECT_FALSE(SearchesWithoutLimit(ReadGoLimits("go depth 9")));
    EXPECT_FALSE(SearchesWithoutLimit(ReadGoLimits("go nodes 900")));
    EXPECT_FALSE(SearchesWithoutLimit(ReadGoLimits("go movetime 90")));
    EXPECT_FALSE(SearchesWithoutLimit(ReadGoLimits("go mate 3")));
    EXPECT_TRUE(SearchesWithoutLimit(ReadGoLimits("go mate 0")));
    const GoLimits ponder = ReadGoLimits("go ponder wtime 5000 btime 4000 mate 2");
    EXPECT_TRUE(ponder.Ponder);
    EXPECT_TRUE(ponder.HasMate);
    EXPECT_EQ(ponder.Mate, 2);
    EXPECT_FALSE(ReadGoLimits("go wtime 5000").Ponder);
    // A ponder search has no deadline until "ponderhit" starts its clock.
    MoveOverheadMs = 0;
    AllocateTime(ReadGoLimits("go ponder wtime 4000 btime 4000"));
    EXPECT_TRUE(Pondering.load());
    EXPECT_TRUE(std::isinf(SearchDeadline.load()));
    StartPonderedClock();
    EXPECT_FALSE(Pondering.load());
    EXPECT_NEAR(TimeBudget * MillisecondsPerDay, 100.0, 1e-6);
    EXPECT_NEAR((SearchDeadline - SearchStartTime) * MillisecondsPerDay, 100.0, 5.0);
    MoveOverheadMs = 50;
}

TEST(Reader, TabsAndRunsOfBlanksBecomeSingleBlanks) {
    EXPECT_EQ(NormaliseBlanks("position\tstartpos   moves \t e2e4"), "position startpos moves e2e4");
    EXPECT_EQ(NormaliseBlanks("go  depth\t\t5 "), "go depth 5 ");
    EXPECT_EQ(NormaliseBlanks("isready"), "isready");
}

TEST(Reader, GoWithoutOwnClockOrWithInfiniteHasNoDeadline) {
    EXPECT_TRUE(std::isinf(BudgetMs("go depth 200", White)));
    EXPECT_EQ(DepthLimit, 79);
    EXPECT_TRUE(std::isinf(SearchDeadline));
    EXPECT_TRUE(std::isinf(BudgetMs("go btime 1000", White)));  // only the other side's clock
    EXPECT_TRUE(std::isinf(BudgetMs("go wtime 1000 infinite", White)));
    EXPECT_TRUE(std::isinf(HardDeadline));
    BudgetMs("go depth 0", White);
    EXPECT_EQ(DepthLimit, 0);
    BudgetMs("go depth 7", Black);
    EXPECT_EQ(DepthLimit, 7);
}

TEST(Reader, SmallClocksAreBoundedByTheHardLimit) {
    MoveOverheadMs = 0;
    // 40 ms left with a large increment: the budget is 40/40 + 15 ms, and the
    // extended deadline may never reach the end of the clock.
    double budget = BudgetMs("go wtime 40 winc 30", White);
    EXPECT_LE(budget, 16.0);
    EXPECT_LE((HardDeadline - SearchStartTime) * MillisecondsPerDay, 40.0);
    // "movetime" is a fixed budget that is not extended.
    EXPECT_NEAR(BudgetMs("go movetime 300", White), 300.0, 1e-6);
    EXPECT_TRUE(FixedMoveTime);
    EXPECT_NEAR((HardDeadline - SearchStartTime) * MillisecondsPerDay, 300.0, 1e-6);
    BudgetMs("go nodes 5000", White);
    EXPECT_EQ(NodeLimit, 5000u);
    EXPECT_FALSE(FixedMoveTime);
    MoveOverheadMs = 50;
}

TEST(Reader, DeadlineCheckStagesAndTheHardLimit) {
    SearchThread& st = *ThreadSearch;
    ResetControlState();
    // The clock is read once every ClockCheckNodes nodes: each check below
    // comes that many nodes after the one before, unless it says otherwise.
    const auto checkLater = [&st](uint64_t nodes = ClockCheckNodes) {
        st.NodeCount += nodes;
        return DeadlineCheck();
    };
    SearchState.store(0);
    st.IterationDepth = 5;
    SearchStartTime = CurrentTime() - 100 / MillisecondsPerDay;
    TimeBudget = 50 / MillisecondsPerDay;
    SearchDeadline = SearchStartTime + TimeBudget;
    HardDeadline = SearchStartTime + 1000 / MillisecondsPerDay;
    // No root move yet: the passed deadline does not stop the search.
    EXPECT_FALSE(checkLater());
    EXPECT_EQ(SearchState.load(), 0);
    // With a root move, but fewer nodes than the cadence after the last
    // read: the clock is not read, the passed deadline not yet seen.
    st.RootMoveReady.store(1);
    EXPECT_FALSE(checkLater(ClockCheckNodes - 1));
    EXPECT_EQ(SearchState.load(), 0);
    // One node later it is: the first overrun extends to twice the budget...
    EXPECT_FALSE(checkLater(1));
    EXPECT_EQ(SearchState.load(), 1);
    EXPECT_NEAR((SearchDeadline - SearchStartTime) * MillisecondsPerDay, 100.0, 1e-6);
    // ...and the second unwinds; "stop" is seen at once, between clock reads.
    EXPECT_TRUE(checkLater());
    EXPECT_EQ(SearchState.load(), 2);
    EXPECT_TRUE(checkLater(1));
    // Depth 3 and below are never cut by the budget...
    SearchState.store(0);
    st.IterationDepth = 3;
    EXPECT_FALSE(checkLater());
    EXPECT_EQ(SearchState.load(), 0);
    // ...but they are by the end of the clock.
    const double hard = HardDeadline;
    HardDeadline = CurrentTime() - 1 / MillisecondsPerDay;
    EXPECT_TRUE(checkLater());
    EXPECT_EQ(SearchState.load(), 2);
    HardDeadline = hard;
    SearchState.store(0);
    // Past the end of the clock the search stops even without a root move.
    st.IterationDepth = 4;
    st.RootMoveReady.store(0);
    HardDeadline = CurrentTime() - 1 / MillisecondsPerDay;
    EXPECT_TRUE(checkLater());
    EXPECT_EQ(SearchState.load(), 2);
    // A new search counts from 0 again: its first check reads the clock.
    SearchState.store(0);
    st.NodeCount = 1;
    EXPECT_TRUE(DeadlineCheck());
    ResetControlState();
}
