// Search control state shared by the input thread and the main (search)
// thread. The values both threads touch during a search are atomics; the
// depth limit, the node limit and the option values are written by the input
// thread only while no search runs, and the SearchRequest hand-over makes
// them visible.
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/platform.h"

// Signalled by the input thread when a search is to start (or the engine
// quits); the main thread sleeps on it between searches.
extern Event SearchRequest;

extern std::atomic<uint8_t> EngineRunning;  // 1 until "quit"
extern std::atomic<int32_t> SearchState;    // a SearchStateValue

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
// a monotonic clock. An infinite search has an infinite deadline. They are
// atomics because "ponderhit" starts the clock of a search that is running.
extern std::atomic<double> SearchStartTime;  // the moment the clock budget counts from
extern std::atomic<double> TimeBudget;
extern std::atomic<double> SearchDeadline;
// The latest moment the clock allows: remaining time minus a safety margin.
extern std::atomic<double> HardDeadline;
// The moment of the "go" line, for the times and speeds the GUI is shown.
extern double ReportStartTime;
extern int32_t DepthLimit;
// Extensions for GUIs: stop once NodeCount reaches NodeLimit (0 = none), and
// a fixed "movetime" whose deadline is never extended.
extern uint64_t NodeLimit;
extern std::atomic<bool> FixedMoveTime;
// "go mate N": stop once a mate in N moves or fewer is proven (0 = none).
extern int32_t MateLimit;

// The moves a "go searchmoves" line names, as coordinate text; the search
// keeps the legal ones among them (or all moves when none is legal).
constexpr int MaxSearchMoves = 256;
extern char SearchMoveTexts[MaxSearchMoves][6];
extern int32_t SearchMoveCount;

// Option values the searches read (set by "setoption" while no search runs).
extern int32_t MultiPvLines;  // "MultiPV": root moves reported per iteration
constexpr int32_t DefaultMoveOverheadMs = 50;
extern int32_t MoveOverheadMs;  // "Move Overhead": milliseconds lost per move outside the search

// Holding the answer. A "go infinite", a bare "go" and a "go ponder" must
// not send "bestmove" before "stop" (or "ponderhit" for a ponder search with
// limits): when such a search ends on its own the main thread waits here.
// Pondering is true from "go ponder" until "ponderhit" or the end of the search.
extern std::atomic<bool> Pondering;
// Sets whether the coming search holds its answer (input thread, before the search).
void HoldBestMove(bool hold);
// Lets the answer go: "stop", "quit", end of input, "ponderhit" of a limited search.
void ReleaseBestMove();
// Main thread: waits until the answer may be sent.
void WaitWhileBestMoveHeld();

constexpr double MillisecondsPerDay = 86400000.0;

// Resets every control value to its start-of-process value (tests use it).
void ResetControlState();
