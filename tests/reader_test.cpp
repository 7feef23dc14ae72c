// The command reader's number parsing and time allocation.
#include <gtest/gtest.h>

#include <cmath>

#include "board/board.h"
#include "search/control.h"
#include "search/tables.h"
#include "uci/reader.h"

TEST(Reader, ReadNumberAtSkipsToDigitsAndSaturates) {
    EXPECT_EQ(ReadNumberAt(7, "wtime 60000 btime 5"), 60000);
    EXPECT_EQ(ReadNumberAt(1, "abc-500x"), 500);             // no sign: the minus is skipped
    EXPECT_EQ(ReadNumberAt(7, "depth "), 0);                  // nothing follows the keyword
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
    EXPECT_NEAR(BudgetMs("go wtime 60000 btime 60000 winc 1000 binc 1000", White), 2000.0, 1e-6);
    EXPECT_EQ(DepthLimit, 79);
    EXPECT_NEAR(BudgetMs("go wtime 10000 btime 10000 movestogo 1", White), 2500.0, 1e-6);
    EXPECT_NEAR(BudgetMs("go wtime 10000 btime 80000 movestogo 19", White), 250.0, 1e-6);  // D capped at 40
    EXPECT_NEAR(BudgetMs("go wtime 500 winc 1000", White), 12.5, 1e-6);  // increment not below the time: ignored
    EXPECT_NEAR(BudgetMs("go wtime 1000 btime 30000 winc 0 binc 2000", Black), 1750.0, 1e-6);
    // The deadline is the budget after the start.
    EXPECT_NEAR((SearchDeadline - SearchStartTime) * MillisecondsPerDay, 1750.0, 5.0);
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
}

TEST(Reader, DeadlineCheckStagesAndTheHardLimit) {
    SearchThread& st = *ThreadSearch;
    ResetControlState();
    SearchState.store(0);
    st.IterationDepth = 5;
    SearchStartTime = CurrentTime() - 100 / MillisecondsPerDay;
    TimeBudget = 50 / MillisecondsPerDay;
    SearchDeadline = SearchStartTime + TimeBudget;
    HardDeadline = SearchStartTime + 1000 / MillisecondsPerDay;
    // No root move yet: the passed deadline does not stop the search.
    EXPECT_FALSE(DeadlineCheck());
    EXPECT_EQ(SearchState.load(), 0);
    // With a root move: the first overrun extends to twice the budget...
    st.RootMoveReady.store(1);
    EXPECT_FALSE(DeadlineCheck());
    EXPECT_EQ(SearchState.load(), 1);
    EXPECT_NEAR((SearchDeadline - SearchStartTime) * MillisecondsPerDay, 100.0, 1e-6);
    // ...and the second unwinds.
    EXPECT_TRUE(DeadlineCheck());
    EXPECT_EQ(SearchState.load(), 2);
    // Depth 3 and below are never cut by the clock.
    SearchState.store(0);
    st.IterationDepth = 3;
    EXPECT_FALSE(DeadlineCheck());
    // Past the end of the clock the search stops even without a root move.
    st.IterationDepth = 4;
    st.RootMoveReady.store(0);
    HardDeadline = CurrentTime() - 1 / MillisecondsPerDay;
    EXPECT_TRUE(DeadlineCheck());
    EXPECT_EQ(SearchState.load(), 2);
    ResetControlState();
}
