// The search control values.
#include "search/control.h"

#include <limits>

Event SearchRequest;
std::atomic<uint8_t> EngineRunning{1};
std::atomic<int32_t> SearchState{SearchStopped};
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

void ResetControlState() {
    EngineRunning.store(1);
    SearchState.store(SearchStopped);
    RootMoveReady.store(0);
    SearchStartTime = TimeBudget = SearchDeadline = 0;
    HardDeadline = std::numeric_limits<double>::infinity();
    DepthLimit = StartDepth = IterationDepth = SelDepth = 0;
    NodeCount = NodeLimit = 0;
    FixedMoveTime = false;
}
