// Memory over repository reloads: the generated 1,000-board repository
// (bench_repository.h) is loaded, then reloaded 100 times by
// changing board.repoPaths, once holding nothing and once holding one board
// object of the first load. Prints the resident size (RSS) and the heap in
// use after the first load and after the reloads, and the listings kept.
// A measurement, not a test: nothing is asserted.
#include <malloc.h>
#include <tcl.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <string>

#include "HBOBoardCReposMgr.h"
#include "HPAParamMgr.h"
#include "bench_repository.h"
#include "ZemHost.h"

extern "C" int Zem_boardcommontasks_Init(Tcl_Interp* interp);

namespace {

const int kReloads = 100;

double rssMegabytes() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
    return 0;
}

double heapMegabytes() { return static_cast<double>(mallinfo2().uordblks) / (1024.0 * 1024.0); }

void eval(Tcl_Interp* interp, const std::string& script) {
    if (Tcl_Eval(interp, script.c_str()) != TCL_OK) throw std::runtime_error(Tcl_GetStringResult(interp));
}

// Lists the repository under one of two spellings of its folder, so that
// each call changes the parameter and so reloads.
void load(Tcl_Interp* interp, const std::string& repo, int round) {
    eval(interp, "set_param board.repoPaths {" + repo + (round % 2 ? "/" : "") + "}");
    eval(interp, "sizeof_collection [::board::get_boards]");
}

void report(const char* what, double rss, double heap) {
    const HBOBoardCReposMgr::BoardsInMemory boards = HBOBoardCReposMgr::boardsInMemory();
    std::printf("%-44s RSS %8.1f MB   heap in use %8.1f MB   boards %zu listed, %zu earlier\n", what, rss, heap,
                boards.listed, boards.retired);
}

void reloads(Tcl_Interp* interp, const std::string& repo, const char* what) {
    double peak = 0;
    for (int round = 1; round <= kReloads; ++round) {
        load(interp, repo, round);
        peak = std::max(peak, rssMegabytes());
    }
    report(what, rssMegabytes(), heapMegabytes());
    std::printf("%-44s RSS %8.1f MB\n", "  peak during the reloads", peak);
}

}  // namespace

int main() {
    const std::string repo = generatedRepository();
    Tcl_FindExecutable(nullptr);
    Tcl_Interp* interp = Tcl_CreateInterp();
    if (Zem_host_Init(interp) != TCL_OK || Zem_boardcommontasks_Init(interp) != TCL_OK) return 1;
    eval(interp, "set_param board.enableSchema2 1");
    report("before loading", rssMegabytes(), heapMegabytes());
    load(interp, repo, 0);
    report("after one load of 1,000 boards", rssMegabytes(), heapMegabytes());
    reloads(interp, repo, "after 100 reloads, nothing held");
    eval(interp, "set held [index_collection [::board::get_boards] 0]");
    reloads(interp, repo, "after 100 more, one board object held");
    eval(interp, "get_property DISPLAY_NAME $held");
    std::printf("the held board still answers: %s\n", Tcl_GetStringResult(interp));
    Tcl_DeleteInterp(interp);
    return 0;
}
