// The search control values and the deadline check of the searches.
#include "search/control.h"

#include <algorithm>
#include <limits>

#include "platform/platform.h"

std::atomic<uint8_t> EngineRunning{1};
std::atomic<int32_t> SearchState{2};
std::atomic<uint8_t> RootMoveReady{0};
double SearchStartTime = 0;
double TimeBudget = 0;
double SearchDeadline = 0;
double HardDeadline = std::numeric_limits<double>::infinity();
int32_t DepthLimit = 0;
int32_t StartDepth = 0;
int32_t IterationDepth = 0;
int32_t SelDepth = 0;
uint64_t NodeCount = 0;
uint64_t NodeLimit = 0;
bool FixedMoveTime = false;

double CurrentTime() { return MonotonicMilliseconds() / MillisecondsPerDay; }

bool DeadlineCheck() {
    if (IterationDepth <= 3) return false;
    if (RootMoveReady.load(std::memory_order_relaxed) == 0) {
        // Before this search has a move of its own it normally goes on, but
        // never past the end of the clock: the driver then plays the table's
        // move or the first legal one rather than lose on time.
        if (HardDeadline == std::numeric_limits<double>::infinity() || CurrentTime() <= HardDeadline) return false;
        SearchState.store(2);
        return true;
    }
    if (NodeLimit != 0 && NodeCount >= NodeLimit) {
        SearchState.store(2);
        return true;
    }
    if (CurrentTime() <= SearchDeadline) return SearchState.load() > 1;
    if (FixedMoveTime) {
        SearchState.store(2);
        return true;
    }
    // First overrun: the deadline moves to twice the budget (never past the
    // clock's hard limit); the second overrun unwinds the search. The atomic
    // add keeps a 2 written by "stop" or "quit" at the same moment.
    SearchDeadline = std::min(SearchStartTime + 2 * TimeBudget, HardDeadline);
    return SearchState.fetch_add(1) + 1 > 1;
}

void ResetControlState() {
    EngineRunning.store(1);
    SearchState.store(2);
    RootMoveReady.store(0);
    SearchStartTime = TimeBudget = SearchDeadline = 0;
    HardDeadline = std::numeric_limits<double>::infinity();
    DepthLimit = StartDepth = IterationDepth = SelDepth = 0;
    NodeCount = NodeLimit = 0;
    FixedMoveTime = false;
}
