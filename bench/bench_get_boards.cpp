// ::board::get_boards on a generated repository of 1,000 boards, warm:
// time per call (and so per returned board), plain and with a filter.
// The repository comes from bench/gen_repo (or ZEM_BENCH_REPO when set);
// bench/tdom_load.tcl answers the same filter question with tDOM for
// comparison.
#include <benchmark/benchmark.h>
#include <tcl.h>

#include <string>

#include "bench_shell.h"

namespace {

// Warm: the repository is listed once.
Tcl_Interp* shell() {
    static Tcl_Interp* interp = bench::makeShell(generatedRepository(), "::board::get_boards");
    return interp;
}

void run(benchmark::State& state, const char* script) {
    const int returned = bench::timeScript(state, shell(), script);
    state.counters["boards"] = returned;
    state.counters["per_board"] = bench::perObject(state, returned);
}

void BM_GetBoards(benchmark::State& state) { run(state, "::board::get_boards"); }
void BM_GetBoardsFilter(benchmark::State& state) {
    run(state, "::board::get_boards -filter {VENDOR == acme.com && FILE_VERSION >= 1.1}");
}
BENCHMARK(BM_GetBoards)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_GetBoardsFilter)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
