// Pictures of the 3,000-pin board of a repository made by bench/gen_repo (or
// the one named by ZEM_BENCH_REPO): 40 peripherals, each with an interface
// and a bus to the part, and 27 connector banks wiring the spare pins. Each
// run builds the graph, lays it out and writes the file, as a user's call
// does (the part's pins are loaded once, before timing):
//   - the graph text (-format dot: no layout);
//   - SVG, the enabled objects and with -all;
//   - PNG (Graphviz's cairo renderer: the pixels dominate).
#include <benchmark/benchmark.h>
#include <tcl.h>

#include <string>

#include "bench_shell.h"

namespace {

Tcl_Interp* shell() {
    static Tcl_Interp* interp = bench::makeShell(
        generatedRepository("/tmp/zem_bench_picture_repo", "-boards 1 -components 41 -bigpart 3000 -wirebig 1"),
        "set board [index_collection [::board::get_boards *:synth_0000:*] 0]\n"
        "set pictures [file join [expr {[info exists env(TMPDIR)] ? $env(TMPDIR) : {/tmp}}] zem_bench_pictures]\n"
        "file mkdir $pictures\n"
        "::board::write_board_picture -of_objects $board -format dot -file $pictures/warm.dot");
    return interp;
}

// Times the script (one call writing one picture) and counts the bytes of
// the file it wrote.
void run(benchmark::State& state, const char* script) {
    Tcl_Interp* interp = shell();
    bench::evalEach(state, interp, script);
    bench::evalOrThrow(interp, std::string("file size [") + script + "]");
    Tcl_WideInt bytes = 0;
    Tcl_GetWideIntFromObj(nullptr, Tcl_GetObjResult(interp), &bytes);
    state.counters["bytes"] = static_cast<double>(bytes);
}

void BM_PictureDot(benchmark::State& state) {
    run(state, "::board::write_board_picture -of_objects $board -file $pictures/board.dot");
}

void BM_PictureSvg(benchmark::State& state) {
    run(state, "::board::write_board_picture -of_objects $board -file $pictures/board.svg");
}

void BM_PictureSvgAll(benchmark::State& state) {
    run(state, "::board::write_board_picture -all -of_objects $board -file $pictures/board_all.svg");
}

void BM_PicturePng(benchmark::State& state) {
    run(state, "::board::write_board_picture -of_objects $board -file $pictures/board.png");
}

}  // namespace

BENCHMARK(BM_PictureDot)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PictureSvg)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PictureSvgAll)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PicturePng)->Unit(benchmark::kMillisecond)->Iterations(5);

BENCHMARK_MAIN();
