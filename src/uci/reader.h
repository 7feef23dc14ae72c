// The UCI command reader: the input thread's procedure.
#pragma once

#include <cstdint>
#include <string>

#include "search/time.h"

// Reads and carries out commands until "quit" or the end of standard input;
// at the end of input a search with limits runs to its end, one without is
// stopped, and either answers before the loop returns.
void InputLoop();
// Tabs become blanks and every run of blanks a single one.
std::string NormaliseBlanks(const std::string& line);
// Carries out one input line (already stripped of control characters; its
// blanks are normalised here); false after "quit".
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
// The depth of the pending "go perft" request; -1 when the pending request
// is a search (or none is pending).
int PendingPerftDepth();
// Called by the main thread when it has finished (or dropped) a requested search.
void SearchFinished();
