// The helper threads of the parallel search: created when the "Threads"
// option changes, asleep on a condition variable between searches, started
// by the driver after it has prepared the root and stopped through the
// shared SearchState. A helper runs the driver's iterations without the
// driver's decisions: it searches one depth after the other from the root
// until the main search thread stops, and only its table entries remain.
#include "search/threads.h"

#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "search/control.h"
#include "search/driver.h"
#include "search/hash.h"
#include "search/search.h"

namespace {

struct Helper {
    std::unique_ptr<SearchThread> State;
    std::thread Thread;
};

std::vector<Helper> Helpers;
std::mutex PoolLock;
std::condition_variable PoolWake;  // a search to join, or the end of a helper
std::condition_variable PoolIdle;  // the last helper of a search has unwound
uint64_t Generation = 0;           // searches started so far
int Busy = 0;                      // helpers still in the current search
int Retiring = MaxSearchThreads;   // helpers from this index on leave their loop

// The iterations of a helper on the root the main thread gave it. Odd
// helpers begin one ply deeper than the main thread, so that the threads do
// not all search the same depth at the same moment.
void HelperSearch(SearchThread& st) {
    st.RootMoveReady.store(0);
    PrepareSearchRoot();
    int depth = st.StartDepth + (st.Index % 2);
    while (!SearchIsStopped() && depth <= MaxSearchDepth) {
        st.IterationDepth = depth;
        st.SelDepth = depth;
        SearchRootAtDepth(depth);
        if (SearchIsStopped() || ThreadBoard->PositionStack[0].MoveCount <= 1) break;
        SeedPrincipalVariation();
        ++depth;
    }
}

// seen: the searches started before the helper was created. The helper
// keeps its index apart from its state, which ResetHelperTables may wipe
// between searches.
void HelperLoop(SearchThread* state, int32_t index, uint64_t seen) {
    ThreadSearch = state;
    ThreadBoard = &state->Board;
    ThreadEval = &state->Eval;
    while (true) {
        {
            std::unique_lock<std::mutex> guard(PoolLock);
            PoolWake.wait(guard, [&] { return Generation != seen || index >= Retiring; });
            if (index >= Retiring) return;
            seen = Generation;
        }
        HelperSearch(*state);
        std::lock_guard<std::mutex> guard(PoolLock);
        if (--Busy == 0) PoolIdle.notify_all();
    }
}

// Joins every helper at the end of the process if nobody did before.
struct HelperJoiner {
    ~HelperJoiner() { SetSearchThreads(1); }
} JoinAtExit;

}  // namespace

void SetSearchThreads(int count) {
    if (count < 1) count = 1;
    if (count > MaxSearchThreads) count = MaxSearchThreads;
    const int helpers = count - 1;
    if (static_cast<int>(Helpers.size()) > helpers) {
        {
            std::lock_guard<std::mutex> guard(PoolLock);
            Retiring = count;
        }
        PoolWake.notify_all();
        for (std::size_t k = helpers; k < Helpers.size(); ++k) Helpers[k].Thread.join();
        Helpers.resize(helpers);
        std::lock_guard<std::mutex> guard(PoolLock);
        Retiring = MaxSearchThreads;
    }
    while (static_cast<int>(Helpers.size()) < helpers) {
        Helper h;
        h.State = std::make_unique<SearchThread>();
        h.State->Index = static_cast<int32_t>(Helpers.size()) + 1;
        uint64_t started;
        {
            std::lock_guard<std::mutex> guard(PoolLock);
            started = Generation;
        }
        h.Thread = std::thread(HelperLoop, h.State.get(), h.State->Index, started);
        Helpers.push_back(std::move(h));
    }
    SetHashClearThreads(count);
}

int SearchThreadCount() { return static_cast<int>(Helpers.size()) + 1; }

void StartHelpers() {
    if (Helpers.empty()) return;
    const SearchThread& main = *ThreadSearch;
    for (Helper& h : Helpers) {
        // The whole position stack: the root, its list and the game history.
        std::memcpy(static_cast<void*>(&h.State->Board), &main.Board, sizeof main.Board);
        h.State->NodeCount.store(0, std::memory_order_relaxed);
    }
    {
        std::lock_guard<std::mutex> guard(PoolLock);
        ++Generation;
        Busy = static_cast<int>(Helpers.size());
    }
    PoolWake.notify_all();
}

void WaitForHelpers() {
    std::unique_lock<std::mutex> guard(PoolLock);
    PoolIdle.wait(guard, [] { return Busy == 0; });
}

uint64_t TotalNodes() {
    uint64_t total = MainSearchThread.NodeCount.load(std::memory_order_relaxed);
    for (const Helper& h : Helpers) total += h.State->NodeCount.load(std::memory_order_relaxed);
    return total;
}

void ResetHelperTables() {
    for (Helper& h : Helpers) {
        const int32_t index = h.State->Index;
        SearchThread* state = h.State.get();
        std::memset(static_cast<void*>(state), 0, sizeof *state);
        state->Index = index;
    }
}
