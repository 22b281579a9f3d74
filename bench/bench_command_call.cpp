// What one command call costs, each next to its floors in the same run:
//   - a bare Tcl_CreateObjCommand command that only resets the result;
//   - a Tcl proc with one argument that returns it;
//   - the framework's example query (two switches given, three objects
//     returned), with and without a name pattern;
//   - ::board::get_boards on the sample repository (an exact name, one board
//     returned) and ::board::current_board (no options).
// The ratios to the bare command are what counts: compare the CPU columns.
#include <benchmark/benchmark.h>
#include <tcl.h>

#include <string>
#include <vector>

#include "../tests/tcltasks/example_command.h"
#include "ZemHost.h"

extern "C" int Zem_boardcommontasks_Init(Tcl_Interp* interp);

namespace {

int bare_command(ClientData, Tcl_Interp* interp, int, Tcl_Obj* const[]) {
    Tcl_ResetResult(interp);
    return TCL_OK;
}

Tcl_Interp* bench_interp() {
    static Tcl_Interp* interp = [] {
        Tcl_FindExecutable(nullptr);
        Tcl_Interp* made = Tcl_CreateInterp();
        example::register_classes();
        auto& model = example::Model::global();
        example::Gadget* g = model.add_gadget("g");
        for (const char* name : {"beta", "Alpha", "gamma"}) model.add_widget(name, g);
        example::widgets_command::init(made);
        if (Zem_host_Init(made) != TCL_OK || Zem_boardcommontasks_Init(made) != TCL_OK) std::abort();
        Tcl_CreateObjCommand(made, "::bench_bare", &bare_command, nullptr, nullptr);
        Tcl_Eval(made, "proc ::bench_proc {a} { return $a }");
        Tcl_Eval(made, "current_board_part -quiet acme.com:cobalt_x4:part0:2.0");
        return made;
    }();
    return interp;
}

// Calls the words as one command, each call from the same Tcl objects, as
// a compiled script does.
void run_words(benchmark::State& state, const std::vector<const char*>& texts) {
    Tcl_Interp* interp = bench_interp();
    std::vector<Tcl_Obj*> words;
    for (const char* text : texts) {
        words.push_back(Tcl_NewStringObj(text, -1));
        Tcl_IncrRefCount(words.back());
    }
    for (auto _ : state) {
        if (Tcl_EvalObjv(interp, static_cast<int>(words.size()), words.data(), 0) != TCL_OK) {
            state.SkipWithError(Tcl_GetStringResult(interp));
            break;
        }
    }
    Tcl_ResetResult(interp);
    for (Tcl_Obj* word : words) Tcl_DecrRefCount(word);
}

void BM_BareCommand(benchmark::State& state) { run_words(state, {"::bench_bare", "-regexp", "-nocase"}); }
void BM_TclProc(benchmark::State& state) { run_words(state, {"::bench_proc", "x"}); }
void BM_FrameworkQuery(benchmark::State& state) { run_words(state, {"::test::get_widgets", "-regexp", "-nocase"}); }
void BM_FrameworkQueryPattern(benchmark::State& state) { run_words(state, {"::test::get_widgets", "-nocase", "al*"}); }
void BM_GetBoardsByName(benchmark::State& state) {
    run_words(state, {"::board::get_boards", "acme.com:cobalt_x4:2.0"});
}
void BM_CurrentBoard(benchmark::State& state) { run_words(state, {"::board::current_board"}); }

}  // namespace

BENCHMARK(BM_BareCommand)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TclProc)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FrameworkQuery)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FrameworkQueryPattern)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_GetBoardsByName)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CurrentBoard)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
