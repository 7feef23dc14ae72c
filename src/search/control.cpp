// The search control values.
#include "search/control.h"

#include <condition_variable>
#include <limits>
#include <mutex>

#include "play/strength.h"
#include "play/wdl.h"
#include "search/tables.h"

Event SearchRequest;
std::atomic<uint8_t> EngineRunning{1};
std::atomic<int32_t> SearchState{SearchStopped};
std::atomic<double> SearchStartTime{0};
std::atomic<double> TimeBudget{0};
std::atomic<double> SearchDeadline{0};
std::atomic<double> HardDeadline{std::numeric_limits<double>::infinity()};
double ReportStartTime = 0;
int32_t DepthLimit = 0;
uint64_t NodeLimit = 0;
std::atomic<bool> FixedMoveTime{false};
int32_t MateLimit = 0;
char SearchMoveTexts[MaxSearchMoves][6];
int32_t SearchMoveCount = 0;
int32_t MultiPvLines = 1;
int32_t MoveOverheadMs = DefaultMoveOverheadMs;
std::atomic<bool> Pondering{false};

namespace {
std::mutex HoldLock;
std::condition_variable HoldChanged;
bool Held = false;
}  // namespace

void HoldBestMove(bool hold) {
    std::lock_guard<std::mutex> guard(HoldLock);
    Held = hold;
}

void ReleaseBestMove() {
    {
        std::lock_guard<std::mutex> guard(HoldLock);
        Held = false;
    }
    HoldChanged.notify_all();
}

void WaitWhileBestMoveHeld() {
    std::unique_lock<std::mutex> guard(HoldLock);
    HoldChanged.wait(guard, [] { return !Held; });
}

void ResetControlState() {
    SearchThread& st = *ThreadSearch;
    EngineRunning.store(1);
    SearchState.store(SearchStopped);
    st.RootMoveReady.store(0);
    SearchStartTime = TimeBudget = SearchDeadline = 0;
    ReportStartTime = 0;
    HardDeadline = std::numeric_limits<double>::infinity();
    DepthLimit = st.StartDepth = st.IterationDepth = st.SelDepth = 0;
    st.NodeCount = NodeLimit = 0;
    FixedMoveTime = false;
    MateLimit = 0;
    SearchMoveCount = 0;
    MultiPvLines = 1;
    MoveOverheadMs = DefaultMoveOverheadMs;
    LimitStrength = false;
    StrengthElo = DefaultStrengthElo;
    ShowWdl = false;
    Pondering = false;
    HoldBestMove(false);
}
