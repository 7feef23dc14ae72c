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
    bool Infinite = false;
};

// Current time as a day count on a monotonic clock.
double CurrentTime();
// Milliseconds since SearchStartTime, as a fraction.
double ElapsedMilliseconds();

// Fills the time budget, deadlines, node limit and depth limit for a "go"
// command, for the side to move in ply 0.
void AllocateTime(const GoLimits& go);

// The deadline check of the searches: true when the search must unwind.
bool DeadlineCheck();
