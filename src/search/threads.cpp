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
#include <new>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "search/control.h"
#include "search/hash.h"
#include "search/info.h"
#include "search/ordering_tables.h"
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

// What the main search thread last read of the helpers' node counts, and at
// which of its own counts it reads them again (for "go nodes"; main thread only).
uint64_t HelperNodesSeen = 0;
uint64_t HelperNodesDue = 0;
// The helpers' counts are summed again after this many nodes of the main thread.
constexpr uint64_t HelperNodesInterval = 4096;

// The iterations of a helper on the root the main thread gave it (prepared,
// and narrowed to the "searchmoves" when the go line names some). Odd
// helpers begin one ply deeper than the main thread, so that the threads do
// not all search the same depth at the same moment.
void HelperSearch(SearchThread& st) {
    st.RootMoveReady.store(0);
    ResetEvalPly(0);
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
    BindThread(state);
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

// Creates one more helper; false when the system has no thread or memory for it.
bool StartHelper() {
    Helper h;
    try {
        h.State = std::make_unique<SearchThread>();
        h.State->Index = static_cast<int32_t>(Helpers.size()) + 1;
        uint64_t started;
        {
            std::lock_guard<std::mutex> guard(PoolLock);
            started = Generation;
        }
        h.Thread = std::thread(HelperLoop, h.State.get(), h.State->Index, started);
    } catch (const std::system_error&) {
        return false;
    } catch (const std::bad_alloc&) {
        return false;
    }
    Helpers.push_back(std::move(h));
    return true;
}

// Zeroes what a helper has learnt: its positions, evaluation caches and
// search tables, and its counters.
void ClearHelperState(SearchThread& st) {
    std::memset(static_cast<void*>(&st.Board), 0, sizeof st.Board);
    std::memset(static_cast<void*>(&st.Eval), 0, sizeof st.Eval);
    ResetSearchTables(st);
    st.NodeCount.store(0, std::memory_order_relaxed);
    st.RootMoveReady.store(0);
    st.StartDepth = st.IterationDepth = st.SelDepth = 0;
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
        if (!StartHelper()) {
            SendInfoString("could not start search thread " + std::to_string(Helpers.size() + 2) + "; searching with " +
                           std::to_string(Helpers.size() + 1));
            break;
        }
    }
    SetHashClearThreads(SearchThreadCount());
}

int SearchThreadCount() { return static_cast<int>(Helpers.size()) + 1; }

void StartHelpers() {
    if (Helpers.empty()) return;
    const SearchThread& main = *ThreadSearch;
    for (Helper& h : Helpers) {
        // The whole position stack: the prepared root, its (possibly
        // restricted) list and the game history.
        SearchThread& st = *h.State;
        std::memcpy(static_cast<void*>(&st.Board), &main.Board, sizeof main.Board);
        st.VerifiedCount[0] = main.VerifiedCount[0];
        st.StartDepth = main.StartDepth;
        st.NodeCount.store(0, std::memory_order_relaxed);
    }
    HelperNodesSeen = 0;
    HelperNodesDue = 0;
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

uint64_t NodesForLimit() {
    const uint64_t own = MainSearchThread.NodeCount.load(std::memory_order_relaxed);
    if (Helpers.empty()) return own;
    if (own >= HelperNodesDue) {
        HelperNodesSeen = 0;
        for (const Helper& h : Helpers) HelperNodesSeen += h.State->NodeCount.load(std::memory_order_relaxed);
        HelperNodesDue = own + HelperNodesInterval;
    }
    return own + HelperNodesSeen;
}

void ResetHelperTables() {
    for (Helper& h : Helpers) ClearHelperState(*h.State);
}

void ShiftThreadTables() {
    ShiftSearchTables(MainSearchThread);
    for (Helper& h : Helpers) ShiftSearchTables(*h.State);
}
