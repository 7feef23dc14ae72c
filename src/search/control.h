// Search control state shared by the input thread and the main (search)
// thread. The values both threads touch during a search are atomics; the
// time values and the depth limit are written by the input thread only while
// no search runs, and the SearchRequest hand-over makes them visible.
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/platform.h"

// Signalled by the input thread when a search is to start (or the engine
// quits); the main thread sleeps on it between searches.
extern Event SearchRequest;

extern std::atomic<uint8_t> EngineRunning;   // 1 until "quit"
extern std::atomic<int32_t> SearchState;     // a SearchStateValue

// Values of SearchState. The deadline check and the driver add one to extend
// or to end an extension, so any value from SearchStopped up means stopped.
enum SearchStateValue : int32_t {
    SearchRunning = 0,   // searching within the first deadline
    SearchExtended = 1,  // the deadline ran out once and has been extended
    SearchStopped = 2,   // stopped ("stop", "quit", the clock, the node or depth limit); no search runs
};
// Whether the running search must unwind (or no search runs).
inline bool SearchIsStopped() { return SearchState.load() >= SearchStopped; }

// Times are day counts (one millisecond is 1/86,400,000 of a day) read from
// a monotonic clock. An infinite search has an infinite deadline.
extern double SearchStartTime;
extern double TimeBudget;
extern double SearchDeadline;
// The latest moment the clock allows: remaining time minus a safety margin.
extern double HardDeadline;
extern int32_t DepthLimit;
// Extensions for GUIs: stop once NodeCount reaches NodeLimit (0 = none), and
// a fixed "movetime" whose deadline is never extended.
extern uint64_t NodeLimit;
extern bool FixedMoveTime;

constexpr double MillisecondsPerDay = 86400000.0;

// Resets every control value to its start-of-process value (tests use it).
void ResetControlState();
