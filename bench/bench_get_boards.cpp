// ::board::get_boards on a generated repository of 1,000 boards, warm:
// time per call (and so per returned board), plain and with a filter.
// The repository comes from bench/gen_repo (or ZEM_BENCH_REPO when set);
// bench/tdom_load.tcl answers the same filter question with tDOM for
// comparison.
#include <benchmark/benchmark.h>
#include <tcl.h>

#include <cstdlib>
#include <stdexcept>
#include <string>

#include "HPAParamMgr.h"
#include "bench_repository.h"
#include "ZemHost.h"

extern "C" int Zem_boardcommontasks_Init(Tcl_Interp* interp);

namespace {

Tcl_Interp* shell() {
    static Tcl_Interp* interp = [] {
        Tcl_FindExecutable(nullptr);
        Tcl_Interp* created = Tcl_CreateInterp();
        HPAParamMgr::getParamMgr().setValue("board.repoPaths", generatedRepository());
        if (Zem_host_Init(created) != TCL_OK || Zem_boardcommontasks_Init(created) != TCL_OK) {
            throw std::runtime_error(Tcl_GetStringResult(created));
        }
        Tcl_Eval(created, "::board::get_boards");  // warm: the repository is listed once
        return created;
    }();
    return interp;
}

void run(benchmark::State& state, const char* script) {
    Tcl_Interp* interp = shell();
    Tcl_Obj* command = Tcl_NewStringObj(script, -1);
    Tcl_IncrRefCount(command);
    int returned = 0;
    for (auto _ : state) {
        if (Tcl_EvalObjEx(interp, command, 0) != TCL_OK) {
            state.SkipWithError(Tcl_GetStringResult(interp));
            break;
        }
        benchmark::DoNotOptimize(Tcl_GetObjResult(interp));
    }
    Tcl_Eval(interp, (std::string("sizeof_collection [") + script + "]").c_str());
    Tcl_GetIntFromObj(nullptr, Tcl_GetObjResult(interp), &returned);
    state.counters["boards"] = returned;
    state.counters["per_board"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * returned,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    Tcl_DecrRefCount(command);
}

void BM_GetBoards(benchmark::State& state) { run(state, "::board::get_boards"); }
void BM_GetBoardsFilter(benchmark::State& state) {
    run(state, "::board::get_boards -filter {VENDOR == acme.com && FILE_VERSION >= 1.1}");
}
BENCHMARK(BM_GetBoards)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_GetBoardsFilter)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
