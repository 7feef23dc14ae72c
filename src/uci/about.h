// "quill --version" and "quill --help": what a player or a packager asks the
// binary before registering it in a GUI.
#pragma once

#include <string>

// One line: name, version, the compiler that built it and whether the
// Syzygy tablebases are built in.
std::string VersionLine();
// The command-line mode; prints the version line. Returns the exit code (0).
int VersionCommand();
// The command-line mode; prints the modes in a few lines and where the
// README is. Returns the exit code (0).
int HelpCommand();
