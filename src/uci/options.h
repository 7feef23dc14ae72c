// The engine's identity and its options ("Hash", "Clear Hash").
#pragma once

#include <string>

// The answer to "uci": the identity lines, the options and "uciok".
void SendIdentity();
// Carries out a "setoption name ..." line (command form). The caller makes
// sure no search runs.
void SetOption(const std::string& lower);
