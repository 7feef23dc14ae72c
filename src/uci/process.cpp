// Start-up in its fixed order, the input thread, and the main thread's loop
// that sleeps on SearchRequest and runs the search driver.
#include "uci/process.h"

#include <thread>

#include "board/board.h"
#include "platform/output.h"
#include "platform/platform.h"
#include "play/strength.h"
#include "search/control.h"
#include "search/driver.h"
#include "search/reset.h"
#include "search/threads.h"
#include "uci/perft.h"
#include "uci/reader.h"

int RunEngine() {
    PrepareProcessIo();
    OpenLog();
    ResetEngineState();
    // The strength levels' choice differs from run to run, also for a GUI
    // that never sends "ucinewgame".
    ReseedStrengthForNewGame();

    ResetEvent(SearchRequest);
    // The input thread lowers its own priority before it reads anything.
    std::thread inputThread(InputLoop);

    while (EngineRunning.load() != 0) {
        WaitEvent(SearchRequest);
        if (EngineRunning.load() == 0) break;
        // A "go" always gets its search and its "bestmove", even when "stop"
        // arrived before this thread woke up: the GUI waits for the answer.
        if (SearchPending()) {
            const int perftDepth = PendingPerftDepth();
            if (perftDepth >= 0) RunUciPerft(perftDepth);
            else RunSearch(DepthLimit);
            SearchFinished();
        }
    }
    SearchFinished();
    SetSearchThreads(1);  // the helpers are joined

    CloseLog();
    inputThread.join();
    return 0;
}
