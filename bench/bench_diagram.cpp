// An integrated board diagram of 100 instances and 1,000 connections,
// through the commands: building it (create_board_diagram, 100
// create_board_instance, 1,000 connect_board_components), writing it
// (write_board_file; its text alone, without the disk, in BoardFileText) and
// reading it back (read_board_diagram, then
// close_board_diagram). Instances are of two boards of 20 components made by
// bench/gen_repo; each instance joins ten of its components to the next
// instance's. Objects made here live until the process ends, so the build
// runs a few times only.
#include <benchmark/benchmark.h>
#include <tcl.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "HBOBoardModel.h"
#include "HBOCTcBoardFileWriter.h"
#include "HPAParamMgr.h"
#include "tcl_command.h"
#include "ZemHost.h"

extern "C" int Zem_boardcommontasks_Init(Tcl_Interp* interp);

namespace fs = std::filesystem;

namespace {

struct tcl_extension {};
struct tuid {};
using scope = tov::tcltasks::tcl_scope<tcl_extension, tuid>;

const int kInstances = 100;
const int kLinksPerInstance = 10;

const fs::path& folder() {
    static const fs::path path = fs::temp_directory_path() / "zem_bench_diagram";
    return path;
}

Tcl_Interp* shell() {
    static Tcl_Interp* interp = [] {
        const std::string repo = (folder() / "repo").string();
        const std::string command =
            "tclsh " ZEM_BENCH_SOURCE_DIR "/gen_repo -boards 2 -components 20 -pins 200 -out " + repo + " > /dev/null";
        if (std::system(command.c_str()) != 0) throw std::runtime_error("bench/gen_repo failed");
        fs::create_directories(folder() / "out");
        Tcl_FindExecutable(nullptr);
        Tcl_Interp* created = Tcl_CreateInterp();
        HPAParamMgr::getParamMgr().setValue("board.repoPaths", repo);
        if (Zem_host_Init(created) != TCL_OK || Zem_boardcommontasks_Init(created) != TCL_OK) {
            throw std::runtime_error(Tcl_GetStringResult(created));
        }
        return created;
    }();
    return interp;
}

void eval(Tcl_Interp* interp, Tcl_Obj* command) {
    Tcl_IncrRefCount(command);
    const int code = Tcl_EvalObjEx(interp, command, 0);
    Tcl_DecrRefCount(command);
    if (code != TCL_OK) throw std::runtime_error(Tcl_GetStringResult(interp));
}

Tcl_Obj* words(std::initializer_list<Tcl_Obj*> items) {
    return Tcl_NewListObj(static_cast<int>(items.size()), items.begin());
}

Tcl_Obj* text(const char* word) { return Tcl_NewStringObj(word, -1); }

// Builds the diagram through the commands and returns its Tcl object (held).
Tcl_Obj* build_diagram(Tcl_Interp* interp) {
    eval(interp, Tcl_ObjPrintf("::board::create_board_diagram -vendor bench -name pair -version 1.0 -dir %s",
                               (folder() / "out").c_str()));
    Tcl_Obj* diagram = Tcl_GetObjResult(interp);
    Tcl_IncrRefCount(diagram);
    Tcl_Obj* bases[2];
    for (int b = 0; b < 2; ++b) {
        eval(interp, Tcl_ObjPrintf("index_collection [::board::get_boards] %d", b));
        bases[b] = Tcl_GetObjResult(interp);
        Tcl_IncrRefCount(bases[b]);
    }
    std::vector<std::vector<HBOBoardComponent*>> components(kInstances);
    for (int i = 0; i < kInstances; ++i) {
        eval(interp, words({text("::board::create_board_instance"), text("-board"), bases[i % 2], text("-name"),
                            Tcl_ObjPrintf("i%03d", i), diagram}));
        scope::to_native<HBOBoard*>(Tcl_GetObjResult(interp))->getBoardComponentsVec(components[i]);
    }
    for (Tcl_Obj* base : bases) Tcl_DecrRefCount(base);
    for (int i = 0; i < kInstances; ++i) {
        for (int c = 1; c <= kLinksPerInstance; ++c) {
            eval(interp, words({text("::board::connect_board_components"), scope::to_tcl(components[i][c]),
                                scope::to_tcl(components[(i + 1) % kInstances][c]), diagram}));
        }
    }
    return diagram;
}

Tcl_Obj* diagram() {
    static Tcl_Obj* built = build_diagram(shell());
    return built;
}

void BM_BuildDiagram(benchmark::State& state) {
    for (auto _ : state) Tcl_DecrRefCount(build_diagram(shell()));
}

void BM_WriteBoardFile(benchmark::State& state) {
    Tcl_Obj* command = words({text("::board::write_board_file"), text("-of_objects"), diagram()});
    Tcl_IncrRefCount(command);
    for (auto _ : state) eval(shell(), command);
    state.counters["bytes"] = static_cast<double>(fs::file_size(folder() / "out" / "board.xml"));
    Tcl_DecrRefCount(command);
}

void BM_BoardFileText(benchmark::State& state) {
    const HBOBoard& board = *scope::to_native<HBOBoard*>(diagram());
    std::size_t bytes = 0;
    for (auto _ : state) bytes = HBOCTcBoardFileWriter::board_file_text(board).size();
    state.counters["bytes"] = static_cast<double>(bytes);
}

void BM_ReadBoardDiagram(benchmark::State& state) {
    Tcl_Interp* interp = shell();
    eval(interp, words({text("::board::write_board_file"), text("-of_objects"), diagram()}));
    Tcl_Obj* read = words({text("::board::read_board_diagram"), text((folder() / "out" / "board.xml").c_str())});
    Tcl_Obj* close = text("::board::close_board_diagram -name bench:pair:1.0");
    Tcl_IncrRefCount(read);
    Tcl_IncrRefCount(close);
    for (auto _ : state) {
        eval(interp, read);
        state.PauseTiming();
        eval(interp, close);
        state.ResumeTiming();
    }
    Tcl_DecrRefCount(read);
    Tcl_DecrRefCount(close);
}

BENCHMARK(BM_BuildDiagram)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_WriteBoardFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BoardFileText)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReadBoardDiagram)->Unit(benchmark::kMillisecond)->Iterations(200);

}  // namespace

BENCHMARK_MAIN();
