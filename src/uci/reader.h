// The UCI command reader: the input thread's procedure.
#pragma once

#include <cstdint>
#include <string>

#include "search/time.h"

// Reads and carries out commands until "quit" or the end of standard input.
void InputLoop();
// Carries out one raw input line (already stripped of control characters);
// false after "quit".
bool ExecuteLine(const std::string& raw);
// Reads a decimal number starting the search at the 1-based index; skips
// non-digits, stops at the first non-digit after the number, saturates at
// 2^31 - 1, and gives 0 when no digit follows.
int32_t ReadNumberAt(std::size_t index, const std::string& text);
// The limits of a "go " line (command form): each keyword's number, when the
// keyword is present.
GoLimits ReadGoLimits(const std::string& lower);
// Stops a running search and waits until the main thread has finished it.
void WaitForSearchEnd();
// True from a "go " line until the main thread has finished that search.
bool SearchPending();
// Called by the main thread when it has finished (or dropped) a requested search.
void SearchFinished();
