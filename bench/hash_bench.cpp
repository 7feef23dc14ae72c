// Transposition-table sizing and clearing: how long a new "Hash" size takes
// before "readyok" can follow (the table is fresh zero memory, never
// cleared), and how long "Clear Hash" takes on a table whose every page has
// been written (one store per 4096-byte page before each clearing).
#include <benchmark/benchmark.h>

#include <cstdint>

#include "search/hash.h"
#include "search/reset.h"

namespace {

void BM_NewTable(benchmark::State& state) {
    InitEngineTables();
    for (auto _ : state) {
        // Alternating sizes, so that every iteration allocates a new table.
        ResizeHashTable(state.range(0));
        ResizeHashTable(state.range(0) - 1);
    }
    state.SetLabel("two resizes per iteration");
    ResizeHashTable(1);
}
BENCHMARK(BM_NewTable)->Arg(64)->Arg(4096)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_ClearWrittenTable(benchmark::State& state) {
    InitEngineTables();
    ResizeHashTable(state.range(0));
    HashEntry e{};
    e.StoredDepth = 1;
    for (auto _ : state) {
        state.PauseTiming();
        for (uint32_t slot = 0; slot < EntryCount; slot += 256) WriteEntry(slot, e);
        state.ResumeTiming();
        ClearHashTable();
    }
    ResizeHashTable(1);
}
BENCHMARK(BM_ClearWrittenTable)->Arg(64)->Arg(1024)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
