// SendLine and the log. Both threads write: a mutex keeps every log line
// whole, and each standard-output line goes out in one write.
#include "platform/output.h"

#include <cstdio>
#include <mutex>
#include <string>

#include "platform/platform.h"

namespace {
std::FILE* LogFile = nullptr;
std::mutex LogLock;
}  // namespace

void OpenLog() {
    std::lock_guard<std::mutex> guard(LogLock);
    LogFile = std::fopen("Log.Txt", "wb");
}

void CloseLog() {
    std::lock_guard<std::mutex> guard(LogLock);
    if (LogFile) std::fclose(LogFile);
    LogFile = nullptr;
}

void LogLine(std::string_view text) {
    std::string line(text);
    line += "\r\n";
    std::lock_guard<std::mutex> guard(LogLock);
    if (!LogFile) return;
    std::fwrite(line.data(), 1, line.size(), LogFile);
    std::fflush(LogFile);  // a killed process loses nothing of the log
}

bool OutputSilenced = false;

void SendLine(std::string_view line) {
    if (OutputSilenced) return;
    if (line.find("currmove") == std::string_view::npos) {
        std::string logged = "Quill: ";
        logged += line;
        LogLine(logged);
    }
    std::string out(line);
    out += '\n';
    WriteStdout(out.data(), out.size());
}

void SendInfoString(const std::string& message) { SendLine("info string " + message); }
