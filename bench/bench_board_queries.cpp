// Component, net and pin-walk queries on a generated repository of 1,000
// boards, warm: time per call, and per returned object from two sizes of the
// same query. The first board has a 3,000-pin part every pin of which ends
// on a net (gen_repo -bigpart 3000 -wirebig 1): the pin walk runs over it.
#include <benchmark/benchmark.h>
#include <tcl.h>

#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

#include "HBOBoardCReposMgr.h"
#include "HBOBoardModel.h"
#include "HPAParamMgr.h"
#include "tcl_command.h"
#include "ZemHost.h"

extern "C" int Zem_boardcommontasks_Init(Tcl_Interp* interp);

namespace {

struct tcl_extension {};
struct tuid {};
using scope = tov::tcltasks::tcl_scope<tcl_extension, tuid>;

std::string repository() {
    if (const char* given = std::getenv("ZEM_BENCH_REPO")) return given;
    const std::string folder = "/tmp/zem_bench_board_queries_repo";
    const std::string command =
        "tclsh " ZEM_BENCH_SOURCE_DIR "/gen_repo -boards 1000 -bigpart 3000 -wirebig 1 -out " + folder + " > /dev/null";
    if (std::system(command.c_str()) != 0) throw std::runtime_error("bench/gen_repo failed");
    return folder;
}

void evalOrThrow(Tcl_Interp* interp, const std::string& script) {
    if (Tcl_Eval(interp, script.c_str()) != TCL_OK)
        throw std::runtime_error(script + ": " + Tcl_GetStringResult(interp));
}

// $pins: every pin of the big part, as a list of native objects.
void setBigPartPins(Tcl_Interp* interp) {
    std::vector<HBOBoard*> boards;
    HBOBoardCReposMgr::getGlobal()->appendAllBoards(boards);
    for (HBOBoard* board : boards) {
        if (board->getBoardName() != "synth_0000") continue;
        std::vector<HBOPinProps*> pins;
        board->findFpgaComponent()->getPinsVec(pins);
        Tcl_Obj* list = Tcl_NewListObj(0, nullptr);
        for (HBOPinProps* pin : pins) Tcl_ListObjAppendElement(nullptr, list, scope::to_tcl(pin));
        Tcl_SetVar2Ex(interp, "pins", nullptr, list, TCL_GLOBAL_ONLY);
        Tcl_SetVar2Ex(interp, "pin", nullptr, scope::to_tcl(pins[pins.size() / 2]), TCL_GLOBAL_ONLY);
        return;
    }
    throw std::runtime_error("no board synth_0000");
}

Tcl_Interp* shell() {
    static Tcl_Interp* interp = [] {
        Tcl_FindExecutable(nullptr);
        Tcl_Interp* created = Tcl_CreateInterp();
        HPAParamMgr::getParamMgr().setValue("board.repoPaths", repository());
        if (Zem_host_Init(created) != TCL_OK || Zem_boardcommontasks_Init(created) != TCL_OK) {
            throw std::runtime_error(Tcl_GetStringResult(created));
        }
        // A typical board of 20 components, its first bus (8 nets), and a
        // bus of 100 nets on the big board; the typical board is current.
        evalOrThrow(created,
                    "set board [::board::get_boards *:synth_0001:*]; set big [::board::get_boards *:synth_0000:*]");
        evalOrThrow(created,
                    "current_board_part -quiet [get_property NAME [board_common::get_board_parts -of_objects $board]]");
        evalOrThrow(created, "set bus [::board::get_board_buses -of_objects $board part0_comp1]");
        evalOrThrow(created, "set bank [::board::get_board_buses -of_objects $big part0_bank1]");
        setBigPartPins(created);
        return created;
    }();
    return interp;
}

void run(benchmark::State& state, const char* script) {
    Tcl_Interp* interp = shell();
    Tcl_Obj* command = Tcl_NewStringObj(script, -1);
    Tcl_IncrRefCount(command);
    for (auto _ : state) {
        if (Tcl_EvalObjEx(interp, command, 0) != TCL_OK) {
            state.SkipWithError(Tcl_GetStringResult(interp));
            break;
        }
        benchmark::DoNotOptimize(Tcl_GetObjResult(interp));
    }
    int returned = 0;
    Tcl_Eval(interp, (std::string("sizeof_collection [") + script + "]").c_str());
    Tcl_GetIntFromObj(nullptr, Tcl_GetObjResult(interp), &returned);
    state.counters["objects"] = returned;
    Tcl_DecrRefCount(command);
}

void BM_ComponentsOfBoard(benchmark::State& state) { run(state, "::board::get_board_components -of_objects $board"); }
void BM_ComponentsOfCurrentBoard(benchmark::State& state) { run(state, "::board::get_board_components"); }
void BM_NetsOfBus8(benchmark::State& state) { run(state, "::board::get_board_bus_nets -of_objects $bus"); }
void BM_NetsOfBus100(benchmark::State& state) { run(state, "::board::get_board_bus_nets -of_objects $bank"); }
void BM_PinWalkOnePin(benchmark::State& state) { run(state, "::board::get_board_bus_nets -of_objects $pin"); }
void BM_PinWalkAllPins(benchmark::State& state) { run(state, "::board::get_board_bus_nets -of_objects $pins"); }
BENCHMARK(BM_ComponentsOfBoard)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ComponentsOfCurrentBoard)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_NetsOfBus8)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_NetsOfBus100)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PinWalkOnePin)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PinWalkAllPins)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
