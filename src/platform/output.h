// The output channel to the GUI and the log file "Log.Txt".
#pragma once

#include <string>
#include <string_view>

// Creates or truncates "Log.Txt" in the working directory. When it cannot be
// created, every later log write is skipped silently.
void OpenLog();
void CloseLog();
// Writes one log line ending in carriage return and line feed, whole.
void LogLine(std::string_view text);
// When set, SendLine sends and logs nothing (the bench mode and tests that
// search in-process set it before any thread runs).
extern bool OutputSilenced;
// Sends one line to the GUI (line feed only, one write) and logs it as
// "Quill: " + line, except lines that contain "currmove".
void SendLine(std::string_view line);
// "info string " and a message.
void SendInfoString(const std::string& message);
