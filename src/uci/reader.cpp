// InputLoop: reads the GUI's lines, logs them, recognises commands by
// keyword in the lower-cased line and carries them out.
#include "uci/reader.h"

#include <algorithm>
#include <climits>
#include <condition_variable>
#include <mutex>

#include "board/board.h"
#include "platform/output.h"
#include "search/control.h"
#include "search/tables.h"
#include "search/time.h"
#include "uci/options.h"
#include "uci/position.h"

namespace {

std::mutex PendingLock;
std::condition_variable PendingDone;
bool Pending = false;

bool Contains(const std::string& text, const char* keyword) { return text.find(keyword) != std::string::npos; }

// Index (1-based) of the character after the keyword, or 0 when absent.
std::size_t After(const std::string& text, const std::string& keyword) {
    std::size_t at = text.find(keyword);
    return at == std::string::npos ? 0 : at + keyword.size() + 1;
}

// Reads one line: leading characters below 33 are skipped, then characters
// up to a line feed are kept when their code is 32 or more. False at the end
// of input (or on a read error) before a line started.
bool ReadLine(std::string& line) {
    line.clear();
    int c;
    do {
        c = ReadStdinByte();
        if (c < 0) return false;
    } while (c < 33);
    while (c >= 0 && c != '\n') {
        if (c >= 32) line.push_back(static_cast<char>(c));
        c = ReadStdinByte();
    }
    return true;
}

void Quit() {
    SearchThread& st = *ThreadSearch;
    SearchState.store(SearchStopped);
    st.RootMoveReady.store(1);
    EngineRunning.store(0);
    SetEvent(SearchRequest);
}

}  // namespace

int32_t ReadNumberAt(std::size_t index, const std::string& text) {
    std::size_t i = index == 0 ? 0 : index - 1;
    while (i < text.size() && (text[i] < '0' || text[i] > '9')) ++i;
    int64_t value = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        value = std::min<int64_t>(value * 10 + (text[i] - '0'), INT32_MAX);
        ++i;
    }
    return static_cast<int32_t>(value);
}

GoLimits ReadGoLimits(const std::string& lower) {
    GoLimits go;
    auto read = [&](const char* keyword, bool& present, int32_t& value) {
        const std::size_t at = After(lower, keyword);
        present = at != 0;
        if (present) value = ReadNumberAt(at, lower);
    };
    read("wtime ", go.HasTime[White], go.Time[White]);
    read("btime ", go.HasTime[Black], go.Time[Black]);
    read("winc ", go.HasIncrement[White], go.Increment[White]);
    read("binc ", go.HasIncrement[Black], go.Increment[Black]);
    read("movestogo ", go.HasMovesToGo, go.MovesToGo);
    read("movetime ", go.HasMoveTime, go.MoveTime);
    read("nodes ", go.HasNodes, go.Nodes);
    read("depth ", go.HasDepth, go.Depth);
    go.Infinite = Contains(lower, "infinite");
    return go;
}

void WaitForSearchEnd() {
    std::unique_lock<std::mutex> guard(PendingLock);
    if (!Pending) return;
    SearchState.store(SearchStopped);
    PendingDone.wait(guard, [] { return !Pending; });
}

bool SearchPending() {
    std::lock_guard<std::mutex> guard(PendingLock);
    return Pending;
}

void SearchFinished() {
    {
        std::lock_guard<std::mutex> guard(PendingLock);
        Pending = false;
    }
    PendingDone.notify_all();
}

bool ExecuteLine(const std::string& raw) {
    std::string lower = raw;
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    LogLine("GUI: " + raw);

    if (Contains(lower, "stop")) SearchState.store(SearchStopped);
    if (Contains(lower, "quit")) {
        Quit();
        return false;
    }
    if (lower == "uci") {
        SendIdentity();
    } else if (Contains(lower, "isready")) {
        SendLine("readyok");
    } else if (lower.rfind("setoption name ", 0) == 0) {
        // The table must not change under a running search.
        WaitForSearchEnd();
        SetOption(lower);
    } else if (Contains(lower, "position")) {
        WaitForSearchEnd();
        SetPosition(lower, raw);
    }
    if (Contains(lower, "go ")) {
        WaitForSearchEnd();
        AllocateTime(ReadGoLimits(lower));
        {
            std::lock_guard<std::mutex> guard(PendingLock);
            Pending = true;
        }
        SearchState.store(SearchRunning);
        SetEvent(SearchRequest);
    }
    return true;
}

void InputLoop() {
    LowerThreadPriority();
    std::string line;
    while (EngineRunning.load() != 0) {
        // The end of standard input without "quit" acts as "quit".
        if (!ReadLine(line)) {
            Quit();
            return;
        }
        if (!ExecuteLine(line)) return;
    }
}
