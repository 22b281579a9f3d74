// Memory over long diagram sessions that keep nothing: 200,000 times
// read_board_diagram and close_board_diagram of one integrated board file,
// then 20,000 diagrams made with one board instance each, no result kept.
// Prints the resident size (RSS) and the heap in use before and after each
// run. A measurement, not a test: nothing is asserted.
#include <malloc.h>
#include <tcl.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

#include "bench_memory.h"
#include "ZemHost.h"

extern "C" int Zem_boardcommontasks_Init(Tcl_Interp* interp);

namespace {

void report(const char* what) {
    std::printf("%-52s RSS %8.1f MB   heap in use %8.1f MB\n", what, rssMegabytes(), heapMegabytes());
    std::fflush(stdout);
}

}  // namespace

int main() {
    const std::string folder = (std::filesystem::temp_directory_path() / "zem_bench_diagram_memory").string();
    std::filesystem::create_directories(folder);
    Tcl_FindExecutable(nullptr);
    Tcl_Interp* interp = Tcl_CreateInterp();
    if (Zem_host_Init(interp) != TCL_OK || Zem_boardcommontasks_Init(interp) != TCL_OK) return 1;
    eval(interp, "set_param board.enableSchema2 1");
    // A diagram of two instances of a sample board, written once.
    eval(interp, "set d [::board::create_board_diagram -vendor vnd -name pair -version 1.0 -dir {" + folder +
                     "}]\n"
                     "set base [::board::get_boards *cobalt*]\n"
                     "::board::create_board_instance -board $base -name left $d\n"
                     "::board::create_board_instance -board $base -name right $d\n"
                     "::board::write_board_file -of_objects $d\n"
                     "unset d\n"
                     "proc readAndClose {file n} {\n"
                     "    for {set i 0} {$i < $n} {incr i} {\n"
                     "        ::board::read_board_diagram -file $file\n"
                     "        ::board::close_board_diagram -name vnd:pair:1.0\n"
                     "    }\n"
                     "}\n"
                     "proc diagramsWithOneInstance {base n} {\n"
                     "    for {set i 0} {$i < $n} {incr i} {\n"
                     "        ::board::create_board_instance -board $base -name i [::board::create_board_diagram]\n"
                     "    }\n"
                     "}");
    report("before");
    eval(interp, "readAndClose {" + folder + "/board.xml} 2000");
    report("after 2,000 read_board_diagram + close_board_diagram");
    eval(interp, "readAndClose {" + folder + "/board.xml} 198000");
    report("after 200,000 read_board_diagram + close_board_diagram");
    eval(interp, "diagramsWithOneInstance $base 200");
    report("after 200 diagrams with one instance each");
    eval(interp, "diagramsWithOneInstance $base 19800");
    report("after 20,000 diagrams with one instance each");
    Tcl_DeleteInterp(interp);
    std::filesystem::remove_all(folder);
    return 0;
}
