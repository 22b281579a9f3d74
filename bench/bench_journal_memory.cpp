// Memory of the command journal over a long session: 1,000 framework
// command calls, each with a 1 MB argument (a name pattern nothing
// matches), in one interpreter. Prints the resident size (RSS) and the heap
// in use before and after, and the bytes the journal keeps.
// A measurement, not a test: nothing is asserted.
#include <malloc.h>
#include <tcl.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "bench_memory.h"
#include "tcltasks_framework.h"
#include "ZemHost.h"

extern "C" int Zem_boardcommontasks_Init(Tcl_Interp* interp);

namespace {

const int kCalls = 1000;

std::size_t journalBytes() {
    std::size_t total = 0;
    for (const std::string& line : tov::tcltasks::task_manager::journal()) total += line.size();
    return total;
}

}  // namespace

int main() {
    Tcl_FindExecutable(nullptr);
    Tcl_Interp* interp = Tcl_CreateInterp();
    if (Zem_host_Init(interp) != TCL_OK || Zem_boardcommontasks_Init(interp) != TCL_OK) return 1;
    Tcl_Eval(interp, "::board::get_boards -quiet nothing");  // lists the repository first
    std::printf("before:  RSS %7.1f MB, heap %7.1f MB\n", rssMegabytes(), heapMegabytes());
    // Each call gets a fresh 1 MB string, as a script that reads files would.
    const std::string script = "for {set i 0} {$i < " + std::to_string(kCalls) +
                               "} {incr i} { ::board::get_boards -quiet [string repeat x 1000000]$i }";
    if (Tcl_Eval(interp, script.c_str()) != TCL_OK) {
        std::fprintf(stderr, "%s\n", Tcl_GetStringResult(interp));
        return 1;
    }
    std::printf("after:   RSS %7.1f MB, heap %7.1f MB (%d calls with a 1 MB argument)\n", rssMegabytes(),
                heapMegabytes(), kCalls);
    std::printf("journal: %zu entries, %zu bytes\n", tov::tcltasks::task_manager::journal().size(), journalBytes());
    Tcl_DeleteInterp(interp);
    return 0;
}
