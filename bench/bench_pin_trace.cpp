// Tracing and constraint writing on the 3,000-pin part of a repository made
// by bench/gen_repo -bigpart 3000 -wirebig 1 -bankif 1 (or ZEM_BENCH_REPO):
// the board's interfaces cover every part pin, 152 bits on the FPGA itself
// and the rest on 29 connector banks, one bus net away. Warm, as in a session:
//   - trace every interface of the board (its FPGA pins as a collection);
//   - the same with -paths (one dict per pin, with its hops);
//   - write its constraints as lpf and as qsf, to a file in the temporary folder.
#include <benchmark/benchmark.h>
#include <tcl.h>

#include "bench_shell.h"

namespace {

Tcl_Interp* shell() {
    static Tcl_Interp* interp = bench::makeShell(
        generatedRepository("/tmp/zem_bench_pin_trace_repo", "-boards 20 -bigpart 3000 -wirebig 1 -bankif 1"),
        "set board [index_collection [::board::get_boards *:synth_0000:*] 0]\n"
        "current_board_part -quiet [get_property VENDOR $board]:synth_0000:part0:[get_property FILE_VERSION $board]\n"
        "set interfaces [::board::get_board_component_interfaces -all -of_objects $board]\n"
        "set out [file join [expr {[info exists env(TMPDIR)] ? $env(TMPDIR) : {/tmp}}] zem_bench_pins]\n"
        "::board::trace_board_pins -quiet -of_objects $interfaces");
    return interp;
}

// Times the script; "pins" counts the part pins the interfaces reach.
void run(benchmark::State& state, const char* script) {
    Tcl_Interp* interp = shell();
    bench::evalEach(state, interp, script);
    state.counters["pins"] = bench::resultSize(interp, "::board::trace_board_pins -quiet -of_objects $interfaces");
}

void BM_TraceEveryInterface(benchmark::State& state) {
    run(state, "::board::trace_board_pins -quiet -of_objects $interfaces");
}

void BM_TraceEveryInterfaceWithPaths(benchmark::State& state) {
    run(state, "::board::trace_board_pins -quiet -paths -of_objects $interfaces");
}

void BM_WriteConstraintsLpf(benchmark::State& state) {
    run(state, "::board::write_pin_constraints -quiet -format lpf -file $out.lpf -of_objects $interfaces");
}

void BM_WriteConstraintsQsf(benchmark::State& state) {
    run(state, "::board::write_pin_constraints -quiet -format qsf -file $out.qsf -of_objects $interfaces");
}

BENCHMARK(BM_TraceEveryInterface)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TraceEveryInterfaceWithPaths)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteConstraintsLpf)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteConstraintsQsf)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
