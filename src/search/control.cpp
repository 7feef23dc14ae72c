// The search control values.
#include "search/control.h"

#include <limits>

#include "search/tables.h"

Event SearchRequest;
std::atomic<uint8_t> EngineRunning{1};
std::atomic<int32_t> SearchState{SearchStopped};
double SearchStartTime = 0;
double TimeBudget = 0;
double SearchDeadline = 0;
double HardDeadline = std::numeric_limits<double>::infinity();
int32_t DepthLimit = 0;
uint64_t NodeLimit = 0;
bool FixedMoveTime = false;

void ResetControlState() {
    SearchThread& st = *ThreadSearch;
    EngineRunning.store(1);
    SearchState.store(SearchStopped);
    st.RootMoveReady.store(0);
    SearchStartTime = TimeBudget = SearchDeadline = 0;
    HardDeadline = std::numeric_limits<double>::infinity();
    DepthLimit = st.StartDepth = st.IterationDepth = st.SelDepth = 0;
    st.NodeCount = NodeLimit = 0;
    FixedMoveTime = false;
}
