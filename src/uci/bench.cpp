// The bench mode: a fixed list of positions (openings, middlegames,
// endgames, mates and promotions) searched to a fixed depth, one after the
// other with the tables they share, from a freshly cleared state.
#include "uci/bench.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

#include "board/board.h"
#include "board/movetext.h"
#include "board/setup.h"
#include "platform/output.h"
#include "search/control.h"
#include "search/driver.h"
#include "search/hash.h"
#include "search/info.h"
#include "search/reset.h"
#include "search/search.h"
#include "search/threads.h"
#include "search/time.h"

namespace {

const char* const BenchPositions[] = {
    // Openings.
    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
    "rnbqkbnr/pppp1ppp/8/4p3/4P3/8/PPPP1PPP/RNBQKBNR w KQkq - 0 2",
    "r1bqkbnr/pppp1ppp/2n5/1B2p3/4P3/5N2/PPPP1PPP/RNBQK2R b KQkq - 3 3",
    "rnbqkb1r/pp2pppp/3p1n2/8/3NP3/8/PPP2PPP/RNBQKB1R w KQkq - 1 5",
    "rnbqkb1r/ppp1pppp/5n2/3p4/2PP4/8/PP2PPPP/RNBQKBNR w KQkq - 1 3",
    "r1bqk2r/pppp1ppp/2n2n2/2b1p3/2B1P3/3P1N2/PPP2PPP/RNBQK2R w KQkq - 1 5",
    // Middlegames.
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
    "r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - - 0 10",
    "r2q1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N1PN2/PP3PPP/R1BQ1RK1 w - - 0 9",
    "2rq1rk1/pb1nbppp/1p2pn2/2pp4/2PP4/1PNBPN2/PB3PPP/2RQ1RK1 w - - 2 11",
    "r1b2rk1/2q1bppp/p2ppn2/1p6/3BPP2/2N2B2/PPP3PP/R2Q1R1K w - - 0 13",
    "r2qr1k1/1p1bbppp/p1np1n2/4p3/4P3/1NN1BP2/PPPQB1PP/2KR3R w - - 4 12",
    "3r1rk1/p4ppp/1pq1pn2/2b5/2P5/1P3NP1/PB2QPKP/3R1R2 b - - 3 18",
    "r1bq1rk1/ppp1nppp/4n3/3p3Q/3P4/1BP1B3/PP1N2PP/R4RK1 w - - 1 16",
    "4rrk1/pp1n3p/3q2pQ/2p1pb2/2PP4/2P3N1/P2B2PP/4RRK1 b - - 7 19",
    "r3r1k1/2p2ppp/p1p1bn2/8/1q2P3/2NPQN2/PPP3PP/R4RK1 b - - 2 15",
    // Endgames.
    "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
    "8/8/4k3/8/2p5/8/B2P2K1/8 w - - 0 1",
    "8/5pk1/6p1/7p/1R5P/6P1/r4PK1/8 w - - 0 40",
    "8/8/1p4k1/p1p2p2/P1P2P2/1P4K1/8/8 w - - 0 45",
    "6k1/5p2/6p1/8/7p/8/6PP/6K1 b - - 0 1",
    "8/3k4/8/8/3PK3/8/8/8 w - - 0 1",
    "4k3/8/8/8/8/8/8/4K2R w K - 0 1",
    "8/8/8/4k3/8/8/2Q5/4K3 w - - 0 1",
    "8/5k2/8/8/8/8/1B6/KN6 w - - 0 1",
    "2r3k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - 0 30",
    // Mates and tactics.
    "6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1",
    "r1bqkb1r/pppp1ppp/2n2n2/4p2Q/2B1P3/8/PPPP1PPP/RNB1K1NR w KQkq - 4 4",
    "kr6/pp6/8/8/8/8/5PPP/3R2K1 w - - 0 1",
    "r5rk/5p1p/5R2/4B3/8/8/7P/7K w - - 0 1",
    "1k6/ppp5/8/8/8/8/5Q2/K7 w - - 0 1",
    // Promotions.
    "8/P7/8/8/8/8/6k1/K7 w - - 0 1",
    "8/1P6/8/8/8/k7/6p1/6K1 w - - 0 1",
    "3r4/4P3/5K2/8/8/8/8/6k1 w - - 0 1",
    "rnbq1bnr/pppPkppp/8/8/8/8/PPP1PPPP/RNBQKBNR w KQ - 1 5",
};
constexpr int BenchPositionCount = sizeof BenchPositions / sizeof BenchPositions[0];

// Search control for a bench search: no clock, no node limit.
void StartBenchSearch() {
    constexpr double never = std::numeric_limits<double>::infinity();
    SearchStartTime = CurrentTime();
    TimeBudget = never;
    SearchDeadline = never;
    HardDeadline = never;
    NodeLimit = 0;
    FixedMoveTime = false;
    SearchState.store(SearchRunning);
}

}  // namespace

BenchResult RunBench(int depth, bool listPositions, int threads, int hashMegabytes) {
    SearchThread& st = *ThreadSearch;
    const bool silenced = OutputSilenced;
    OutputSilenced = true;
    SetSearchThreads(threads);
    ResetEngineState();
    // A table of another size starts empty too (a new table reads as empty).
    if (hashMegabytes != 1) ResizeHashTable(hashMegabytes);
    BenchResult result{0, 0, 0, 0};
    const double start = CurrentTime();
    for (int n = 0; n < BenchPositionCount; ++n) {
        if (!SetupFen(BenchPositions[n])) continue;
        StartBenchSearch();
        RunSearch(depth);
        const uint64_t nodes = TotalNodes();
        result.Nodes += nodes;
        result.MainNodes += st.NodeCount.load();
        if (listPositions) {
            // One line per position: its node count, the move chosen and the
            // line behind it, for comparing two builds position by position.
            const std::string line = "Position " + std::to_string(n + 1) + " nodes " + std::to_string(nodes) + " move" +
                                     MoveText(st.PvTable[0][0]) + PvText(LastLineSlot) + "\n";
            std::fputs(line.c_str(), stdout);
        }
        ++result.Positions;
    }
    result.Milliseconds = (CurrentTime() - start) * MillisecondsPerDay;
    SearchState.store(SearchStopped);
    SetSearchThreads(1);
    if (hashMegabytes != 1) ResizeHashTable(1);
    OutputSilenced = silenced;
    return result;
}

int BenchCommand(int argc, char** argv) {
    int depth = DefaultBenchDepth;
    if (argc > 2) {
        const int asked = std::atoi(argv[2]);
        if (asked >= 1 && asked <= MaxSearchDepth) depth = asked;
    }
    const bool listPositions = argc > 3 && std::strcmp(argv[3], "list") == 0;
    // "threads N": the same positions searched by N threads (1..MaxSearchThreads),
    // then "hash MB": with a table of MB megabytes (1..4096) instead of 1.
    int threads = 0;
    if (argc > 4 && std::strcmp(argv[3], "threads") == 0) threads = std::clamp(std::atoi(argv[4]), 1, MaxSearchThreads);
    int hash = 0;
    if (threads > 0 && argc > 6 && std::strcmp(argv[5], "hash") == 0) hash = std::clamp(std::atoi(argv[6]), 1, 4096);
    const BenchResult result = RunBench(depth, listPositions, threads > 0 ? threads : 1, hash > 0 ? hash : 1);
    const double ms = result.Milliseconds > 0 ? result.Milliseconds : 1;
    std::printf("Positions: %d\nDepth: %d\n", result.Positions, depth);
    if (threads > 0) std::printf("Threads: %d\n", threads);
    if (hash > 0) std::printf("Hash: %d\n", hash);
    std::printf("Time (ms): %.0f\n", ms);
    std::printf("Nodes searched: %llu\n", static_cast<unsigned long long>(result.Nodes));
    if (threads > 0) std::printf("Main thread nodes: %llu\n", static_cast<unsigned long long>(result.MainNodes));
    const auto nps = static_cast<unsigned long long>(static_cast<double>(result.Nodes) * 1000.0 / ms);
    std::printf("Nodes/second: %llu\n", nps);
    // Both figures once more in the "N nodes", "N nps" form that distributed
    // testing clients (OpenBench) read from the last lines of the output.
    std::printf("Total: %llu nodes %llu nps\n", static_cast<unsigned long long>(result.Nodes), nps);
    return 0;
}
