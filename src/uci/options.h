// The engine's identity and its options.
#pragma once

#include <string>

// The answer to "uci": the identity lines, the options and "uciok".
void SendIdentity();
// Carries out a "setoption name ..." line: lower is the command form, raw
// the line as received (blanks already single). An unknown option name or an
// unusable value is answered with an "info string" saying what was done
// instead. The caller makes sure no search runs.
void SetOption(const std::string& lower, const std::string& raw);
