// Evaluations per second: each iteration clears the per-ply cache so that
// every call computes the full evaluation; a second benchmark measures the
// answer from the cache.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>

#include "board/board.h"
#include "board/setup.h"
#include "eval/evaluate.h"
#include "search/reset.h"

namespace {

// Openings, middle games and endings of different kinds.
const char* const BenchFens[] = {
    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
    "r1bqkb1r/pppp1ppp/2n2n2/4p3/2B1P3/5N2/PPPP1PPP/RNBQK2R w KQkq - 4 4",
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
    "r2q1rk1/pp2bppp/2n1pn2/3p4/3P4/2NBPN2/PP3PPP/R2Q1RK1 b - - 0 9",
    "2r2rk1/1b3ppp/p3pn2/1p6/3N4/1B2P3/PP3PPP/2RR2K1 w - - 0 20",
    "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
    "8/5pk1/6p1/8/3P4/5K2/8/8 b - - 0 40",
    "4k3/8/8/8/8/8/4P3/4K2R w K - 0 1",
};
constexpr int PositionCount = sizeof(BenchFens) / sizeof(BenchFens[0]);

// Puts each position on its own ply (1..PositionCount).
void SetUpPositions() {
    BoardTables& bt = *ThreadBoard;
    static bool done = false;
    if (done) return;
    done = true;
    InitEngineTables();
    for (int i = 0; i < PositionCount; ++i) {
        if (!SetupFen(BenchFens[i])) {
            std::fprintf(stderr, "rejected: %s\n", BenchFens[i]);
            std::exit(1);
        }
        bt.PositionStack[i + 1] = bt.PositionStack[0];
    }
}

void BM_EvaluateComputed(benchmark::State& state) {
    SetUpPositions();
    int ply = 1;
    for (auto _ : state) {
        ResetEvalPly(ply);
        benchmark::DoNotOptimize(Evaluate(ply));
        ply = ply == PositionCount ? 1 : ply + 1;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_EvaluateComputed);

void BM_EvaluateCached(benchmark::State& state) {
    SetUpPositions();
    for (int ply = 1; ply <= PositionCount; ++ply) {
        ResetEvalPly(ply);
        Evaluate(ply);
    }
    int ply = 1;
    for (auto _ : state) {
        benchmark::DoNotOptimize(Evaluate(ply));
        ply = ply == PositionCount ? 1 : ply + 1;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_EvaluateCached);

}  // namespace

BENCHMARK_MAIN();
