// The pin questions scripts ask most, on the 3,000-pin part of a repository
// made by bench/gen_repo (or the one named by ZEM_BENCH_REPO), with that part
// current and its pins loaded (warm, as in a session):
//   - all pins of the part (a collection: no element object is made);
//   - the same as a plain list of pin objects ("tcl.disableCollections");
//   - the pins filtered by attributes;
//   - the pins of every interface of the part;
//   - the interface ports of each pin, one call per pin (time per call);
// and the floor: a plain Tcl list of 3,000 new strings, the pin names.
// bench/compare_tdom.sh runs this next to bench/tdom_pins.tcl.
#include <benchmark/benchmark.h>
#include <tcl.h>

#include <string>
#include <vector>

#include "bench_shell.h"

namespace {

using bench::evalOrThrow;

// gen_repo gives the first board, synth_0000, the big part.
Tcl_Interp* shell() {
    static Tcl_Interp* interp = bench::makeShell(
        generatedRepository("/tmp/zem_bench_part_pins_repo", "-boards 20 -bigpart 3000"),
        "set board [index_collection [::board::get_boards *:synth_0000:*] 0]\n"
        "current_board_part -quiet [get_property VENDOR $board]:synth_0000:part0:[get_property FILE_VERSION $board]\n"
        "set pins [::board::get_board_part_pins]\n"
        "foreach_in_collection pin $pins { ::board::get_board_interface_ports -of_objects $pin }");
    return interp;
}

void run(benchmark::State& state, const char* script) {
    state.counters["objects"] = bench::timeScript(state, shell(), script);
}

void BM_PartPinsAll(benchmark::State& state) { run(state, "::board::get_board_part_pins"); }

void BM_PartPinsAllAsList(benchmark::State& state) {
    HPAParamMgr::getParamMgr().setValue("tcl.disableCollections", "1");
    run(state, "::board::get_board_part_pins");
    HPAParamMgr::getParamMgr().reset("tcl.disableCollections");
}

void BM_PartPinsFilter(benchmark::State& state) {
    run(state, "::board::get_board_part_pins -filter {IOSTANDARD == LVCMOS33 && LOC =~ A*}");
}

void BM_PartPinsOfEveryInterface(benchmark::State& state) {
    run(state, "::board::get_board_part_pins -of_objects [::board::get_board_part_interfaces]");
}

// One call per pin: the time reported is per call.
void BM_InterfacePortsPerPin(benchmark::State& state) {
    Tcl_Interp* interp = shell();
    std::vector<Tcl_Obj*> pins;
    evalOrThrow(interp, "set ::pinList {}; foreach_in_collection pin $pins { lappend ::pinList $pin }; set ::pinList");
    Tcl_Obj* list = Tcl_GetObjResult(interp);
    Tcl_IncrRefCount(list);
    int count = 0;
    Tcl_Obj** elements = nullptr;
    Tcl_ListObjGetElements(nullptr, list, &count, &elements);
    Tcl_Obj* objv[3] = {Tcl_NewStringObj("::board::get_board_interface_ports", -1), Tcl_NewStringObj("-of_objects", -1),
                        nullptr};
    Tcl_IncrRefCount(objv[0]);
    Tcl_IncrRefCount(objv[1]);
    int next = 0;
    std::size_t ports = 0;
    for (auto _ : state) {
        objv[2] = elements[next];
        next = (next + 1) % count;
        if (Tcl_EvalObjv(interp, 3, objv, 0) != TCL_OK) {
            state.SkipWithError(Tcl_GetStringResult(interp));
            break;
        }
        ports += Tcl_GetCharLength(Tcl_GetObjResult(interp)) > 0;
    }
    state.counters["pins"] = count;
    state.counters["calls_with_ports"] =
        benchmark::Counter(static_cast<double>(ports), benchmark::Counter::kAvgIterations);
    Tcl_DecrRefCount(objv[0]);
    Tcl_DecrRefCount(objv[1]);
    Tcl_DecrRefCount(list);
}

// Floor: a Tcl list of new string objects, one per pin name, then freed.
void BM_PlainListFloor(benchmark::State& state) {
    Tcl_Interp* interp = shell();
    evalOrThrow(interp,
                "set ::pinNames {}; foreach_in_collection pin $pins { lappend ::pinNames [get_property NAME $pin] }");
    std::vector<std::string> names;
    Tcl_Obj* list = Tcl_GetVar2Ex(interp, "pinNames", nullptr, TCL_GLOBAL_ONLY);
    int count = 0;
    Tcl_Obj** elements = nullptr;
    Tcl_ListObjGetElements(nullptr, list, &count, &elements);
    for (int i = 0; i < count; ++i) names.emplace_back(Tcl_GetString(elements[i]));
    for (auto _ : state) {
        Tcl_Obj* made = Tcl_NewListObj(0, nullptr);
        Tcl_IncrRefCount(made);
        for (const std::string& name : names) {
            Tcl_ListObjAppendElement(nullptr, made, Tcl_NewStringObj(name.data(), static_cast<int>(name.size())));
        }
        benchmark::DoNotOptimize(made);
        Tcl_DecrRefCount(made);
    }
    state.counters["objects"] = count;
}

BENCHMARK(BM_PlainListFloor)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PartPinsAll)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PartPinsAllAsList)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PartPinsFilter)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PartPinsOfEveryInterface)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_InterfacePortsPerPin)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
