// The "position" command.
#pragma once

#include <string>

// The text of the last accepted "position" command (case kept); empty when
// the next command must take the set-up path.
extern std::string LastPositionLine;

// Carries out a "position" line: lower is the command form, raw the line as
// received. Rejects lines that do not describe a playable position (the
// previous position stays) and stops at the first illegal move.
void SetPosition(const std::string& lower, const std::string& raw);
