// Time handling of the searches: the clock, the allocation of a "go"
// command's time and the deadline check the searches make.
#pragma once

#include <cstdint>

#include "search/control.h"

// The limits of one "go" command as read from its line; each value counts
// only when its flag is set. Times and increments are per side.
struct GoLimits {
    bool HasTime[2] = {false, false};
    int32_t Time[2] = {0, 0};  // remaining milliseconds
    bool HasIncrement[2] = {false, false};
    int32_t Increment[2] = {0, 0};
    bool HasMovesToGo = false;
    int32_t MovesToGo = 0;
    bool HasMoveTime = false;
    int32_t MoveTime = 0;
    bool HasNodes = false;
    int32_t Nodes = 0;
    bool HasDepth = false;
    int32_t Depth = 0;
    bool HasMate = false;
    int32_t Mate = 0;  // moves
    bool Infinite = false;
    bool Ponder = false;
};

// Current time as a day count on a monotonic clock.
double CurrentTime();
// Milliseconds since the "go" line (ReportStartTime), as a fraction.
double ElapsedMilliseconds();

// Whether a "go" command for the side to move in ply 0 sets no limit at all
// (no clock of its own, depth, nodes, movetime or mate): it then searches
// like "go infinite", until "stop".
bool SearchesWithoutLimit(const GoLimits& go);
// Whether the only limit of a "go" command is a mate to find: until that
// mate is proven it searches like "go infinite".
bool SearchesOnlyForMate(const GoLimits& go);
// Fills the time budget, deadlines, node, mate and depth limits for a "go"
// command, for the side to move in ply 0. A "go ponder" gets no deadline
// until "ponderhit" (StartPonderedClock).
void AllocateTime(const GoLimits& go);
// "ponderhit": the clock of the pondered "go" line starts now.
void StartPonderedClock();

// The deadline check reads the clock once every ClockCheckNodes nodes of the
// main thread, not at every check: at two million nodes a second that is
// about every half millisecond, far inside the clock's safety margin, and
// the clock read no longer costs at every node. The node limit, "stop" and
// "quit" are still seen at every check.
constexpr uint64_t ClockCheckNodes = 1024;

// The deadline check of the searches: true when the search must unwind.
bool DeadlineCheck();
