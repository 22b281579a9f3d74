// The jumper, parameter, preset, IP-association, IP-preference and pin
// queries on a generated repository of 1,000 boards, warm: each command once
// with a small answer (the fixed cost of a call, the current board looked up
// where that is the default) and once over the whole repository (the cost
// per returned object), and the preset query with and without -ip.
// The repository comes from bench/gen_repo (or ZEM_BENCH_REPO when set).
#include <benchmark/benchmark.h>
#include <tcl.h>

#include <string>
#include <vector>

#include "bench_shell.h"
#include "HBOBoardCReposMgr.h"
#include "HBOBoardModel.h"
#include "HUTEnv.h"
#include "tcl_command.h"

namespace {

struct bench_extension {};
struct bench_tuid {};
using scope = tov::tcltasks::tcl_scope<bench_extension, bench_tuid>;

// A global Tcl list of the objects, as native objects.
template <class T>
void setObjects(Tcl_Interp* interp, const char* name, const std::vector<T*>& objects) {
    Tcl_Obj* list = Tcl_NewListObj(0, nullptr);
    for (T* object : objects) Tcl_ListObjAppendElement(nullptr, list, scope::to_tcl(object));
    Tcl_SetVar2Ex(interp, name, nullptr, list, TCL_GLOBAL_ONLY);
}

// The objects the queries start from: every board, the FPGA of the first
// hundred (their pins), every interface and every component mode, and one
// interface, mode and bus net.
void setStartingObjects(Tcl_Interp* interp) {
    std::vector<HBOBoard*> boards;
    HBOBoardCReposMgr::getGlobal()->appendAllBoards(boards);
    std::vector<HBOBoardComponent*> parts;
    std::vector<HBOBusIf*> interfaces;
    std::vector<HBOComponentMode*> modes;
    for (HBOBoard* board : boards) {
        HBOBoardComponent* fpga = board->findFpgaComponent();
        if (parts.size() < 100) parts.push_back(fpga);
        fpga->getBusIfSeq(interfaces);
        fpga->getComponentModes(modes);
    }
    setObjects(interp, "boards", boards);
    setObjects(interp, "parts", parts);
    setObjects(interp, "interfaces", interfaces);
    setObjects(interp, "modes", modes);
    setObjects(interp, "interface", std::vector<HBOBusIf*>{interfaces.front()});
    setObjects(interp, "mode", std::vector<HBOComponentMode*>{modes.front()});
    std::vector<HBOBoardBus*> buses;
    boards.front()->getBuses(buses);
    std::vector<HBOBoardBusNet*> nets;
    buses.front()->getBoardBusNets(nets);
    setObjects(interp, "net", std::vector<HBOBoardBusNet*>{nets.front()});
    bench::evalOrThrow(interp, "current_board_part -quiet " + parts.front()->getName());
}

// As the host runs: the ::board commands imported, so that "current_board"
// answers the preference query.
Tcl_Interp* shell() {
    static Tcl_Interp* interp = [] {
        HUTEnv::setProductName("Corvel");
        Tcl_Interp* created =
            bench::makeShell(generatedRepository("/tmp/zem_bench_board_details_repo", "-boards 1000"), "");
        setStartingObjects(created);
        // Warm: presets and pins are read on first use.
        bench::evalOrThrow(created,
                           "::tesmar::board::get_board_presets -of_objects $boards; "
                           "::board::get_board_component_pins -of_objects $parts");
        return created;
    }();
    return interp;
}

void run(benchmark::State& state, const char* script) {
    const int returned = bench::timeScript(state, shell(), script);
    state.counters["objects"] = returned;
    state.counters["per_object"] = bench::perObject(state, returned);
}

#define QUERY(name, script)                                         \
    void BM_##name(benchmark::State& state) { run(state, script); } \
    BENCHMARK(BM_##name)->Unit(benchmark::kMicrosecond)

QUERY(JumpersOfCurrentBoard, "::board::get_board_jumpers -quiet");
QUERY(JumpersOfAllBoards, "::board::get_board_jumpers -quiet -of_objects $boards");
QUERY(ParametersOfCurrentBoard, "::board::get_board_parameters -quiet");
QUERY(ParametersOfAllBoards, "::board::get_board_parameters -quiet -of_objects $boards");
QUERY(PresetsOfCurrentBoardPart, "::tesmar::board::get_board_presets -quiet");
QUERY(PresetsOfAllBoards, "::tesmar::board::get_board_presets -quiet -of_objects $boards");
QUERY(PresetsOfAllBoardsIp, "::tesmar::board::get_board_presets -quiet -of_objects $boards -ip acme.com:ip:gpio:2.0");
QUERY(PresetsOfAllBoardsIpFallback,
      "::tesmar::board::get_board_presets -quiet -of_objects $boards -ip acme.com:ip:gpio:9.9");
QUERY(PresetsOfAllInterfaces, "::tesmar::board::get_board_presets -quiet -of_objects $interfaces");
QUERY(AssociatedOfCurrentBoardPart, "::tesmar::board::get_ip_associated_interfaces -quiet");
QUERY(AssociatedOfAllBoards, "::tesmar::board::get_ip_associated_interfaces -quiet -of_objects $boards");
QUERY(PreferencesOfOneInterface, "::board::get_board_ip_preferences -quiet -of_objects $interface");
QUERY(PreferencesOfAllInterfaces, "::board::get_board_ip_preferences -quiet -of_objects $interfaces");
QUERY(PreferencesOfAllModes, "::board::get_board_ip_preferences -quiet -of_objects $modes");
QUERY(PinsOfOneNet, "::board::get_board_component_pins -quiet -of_objects $net");
QUERY(PinsOfOnePart, "::board::get_board_component_pins -quiet -of_objects [lindex $parts 0]");
QUERY(PinsOfHundredParts, "::board::get_board_component_pins -quiet -of_objects $parts");

}  // namespace

BENCHMARK_MAIN();
