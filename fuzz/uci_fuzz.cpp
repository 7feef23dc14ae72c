// libFuzzer target: arbitrary bytes arrive on the command reader's path as a
// GUI would send them. Lines are cut the way the reader cuts them and carried
// out one by one; a "go " runs its search at once on this thread, bounded to a
// small depth and node count so that one input stays fast ("go perft" to 3 plies). The engine searches
// with two threads (a helper beside this one) unless the input sets "Threads".
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include <fcntl.h>
#include <unistd.h>

#include "board/board.h"
#include "board/setup.h"
#include "search/control.h"
#include "search/driver.h"
#include "search/reset.h"
#include "search/threads.h"
#include "uci/perft.h"
#include "uci/reader.h"

namespace {
void Initialise() {
    // Replies go nowhere; the log is never opened, so log writes are skipped.
    int null = open("/dev/null", O_WRONLY);
    if (null >= 0) dup2(null, 1);
    ResetEngineState();
    SetSearchThreads(2);
}

// Large tables would only measure the allocator, many threads only the
// scheduler: keep "Hash" values small and "Threads" to at most 4.
bool AcceptLine(const std::string& line) {
    std::string lower = line;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    std::size_t blank = lower.rfind(' ');
    std::string value = lower.substr(blank == std::string::npos ? 0 : blank + 1);
    if (lower.find("threads value") != std::string::npos) return value.size() == 1 && value[0] <= '4';
    if (lower.find("hash value") == std::string::npos) return true;
    return value.size() <= 2;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    static bool ready = (Initialise(), true);
    (void)ready;
    EngineRunning.store(1);
    std::size_t i = 0;
    while (i < size) {
        while (i < size && data[i] < 33) ++i;
        if (i >= size) break;
        std::string line;
        while (i < size && data[i] != '\n') {
            if (data[i] >= 32) line.push_back(static_cast<char>(data[i]));
            ++i;
        }
        if (!AcceptLine(line)) continue;
        bool goOn = ExecuteLine(line);
        if (SearchPending()) {
            // One thread: no "stop" can come while the search runs, so an
            // answer held for "stop" or "ponderhit" is let go at once.
            ReleaseBestMove();
            if (DepthLimit > 4) DepthLimit = 4;
            if (NodeLimit == 0 || NodeLimit > 20000) NodeLimit = 20000;
            // "go perft N" counts at most 3 plies deep.
            const int perftDepth = PendingPerftDepth();
            if (perftDepth >= 0) RunUciPerft(perftDepth > 3 ? 3 : perftDepth);
            else RunSearch(DepthLimit);
            SearchFinished();
        }
        if (!goOn) break;
    }
    EngineRunning.store(1);
    return 0;
}
