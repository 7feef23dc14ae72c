// The search threads. The main search thread (the process's main thread,
// which runs RunSearch) decides, reports and answers; the helpers search the
// same root with their own SearchThread and share only the transposition
// table, so that what one finds reaches the others through it.
#pragma once

#include <cstdint>

#include "search/tables.h"

// The most search threads the "Threads" option allows.
constexpr int MaxSearchThreads = 256;

// Makes count threads search (1..MaxSearchThreads: the main search thread and
// count - 1 helpers): creates the missing helpers, joins the ones no longer
// wanted. Only while no search runs; 1 joins every helper (at "quit").
void SetSearchThreads(int count);
// The number of threads that search.
int SearchThreadCount();

// Called by the driver on the main search thread once the root is prepared:
// every helper takes a copy of the main thread's positions (the root, the
// game history) and starts its iterations.
void StartHelpers();
// Called by the driver after its search has stopped (SearchState stopped):
// waits until every helper has unwound.
void WaitForHelpers();

// Nodes searched in the current search by all threads together.
uint64_t TotalNodes();
// Whether the calling thread is a helper (it sends nothing and leaves the
// clock to the main search thread).
inline bool IsHelperThread() { return ThreadSearch->Index != 0; }

// The node count a "go nodes" limit is checked against (main search thread
// only): its own count exactly, plus the helpers' counts as last summed,
// which is done again every few thousand of its nodes rather than at each.
uint64_t NodesForLimit();

// Zeroes what every helper has learnt (a fresh engine's state).
void ResetHelperTables();
// Moves the killer tables and principal variations of every search thread
// two plies towards the root (the game went on by the two moves searched).
void ShiftThreadTables();

// One node counted by the calling thread (a plain increment of its own
// counter, which other threads only read).
inline void CountNodes(SearchThread& st, int delta) {
    st.NodeCount.store(st.NodeCount.load(std::memory_order_relaxed) + static_cast<uint64_t>(delta),
                       std::memory_order_relaxed);
}
