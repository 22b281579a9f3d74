// Growth with the size of one file or one argument, the size doubled three
// times; near-linear growth shows as a ratio near 2 from one size to the next.
//   - reading one board.xml of N components;
//   - get_board_bus_nets -of_objects with the N pins of a connector wired to
//     the N pins of the FPGA by N/100 buses.
//
//   bench_scaling ?-start N? ?-runs R?
//
// CPU time of this thread, the minimum of R runs (default 3; start 10,000).
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <memory>
#include <string>

#include "bench_shell.h"
#include "ComMsgMgr.h"
#include "HBOBoardModel.h"
#include "HBOParser.h"

namespace fs = std::filesystem;

namespace {

double threadCpu() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

double minimumCpu(int runs, const std::function<void()>& work) {
    double best = std::numeric_limits<double>::max();
    for (int run = 0; run < runs; ++run) {
        const double start = threadCpu();
        work();
        best = std::min(best, threadCpu() - start);
    }
    return best;
}

fs::path scratch(const std::string& name) {
    fs::path folder = fs::temp_directory_path() / "zem_bench_scaling" / name;
    fs::create_directories(folder);
    return folder;
}

std::string manyComponents(long n) {
    const fs::path file = scratch("components_" + std::to_string(n)) / "board.xml";
    std::ofstream out(file);
    out << "<board schema_version=\"2.1\" vendor=\"t.org\" name=\"many\">\n<file_version>1.0</file_version>\n"
           "<components>\n";
    for (long i = 0; i < n; ++i) out << "<component name=\"c" << i << "\" type=\"chip\"/>\n";
    out << "</components>\n</board>\n";
    return file.string();
}

// part0 and J1 of n pins each, pin i of one wired to pin i of the other,
// 100 pins to a bus.
std::string wiredBoard(long n) {
    const fs::path folder = scratch("wired_" + std::to_string(n));
    std::ofstream out(folder / "board.xml");
    out << "<board schema_version=\"2.1\" vendor=\"t.org\" name=\"wired_" << n
        << "\">\n<file_version>1.0</file_version>\n<components>\n";
    for (const char* component : {"part0", "J1"}) {
        out << "<component name=\"" << component << "\" type=\"" << (component[0] == 'p' ? "fpga" : "connector")
            << "\"><pins>\n";
        for (long i = 0; i < n; ++i) out << "<pin index=\"" << i << "\" name=\"" << component << "_" << i << "\"/>\n";
        out << "</pins></component>\n";
    }
    out << "</components>\n<connections>\n";
    for (long first = 0; first < n; first += 100) {
        const long last = std::min(n, first + 100) - 1;
        out << "<connection name=\"bank" << first << "\" component1=\"part0\" component2=\"J1\">"
            << "<connection_map c1_st_index=\"" << first << "\" c1_end_index=\"" << last << "\" c2_st_index=\"" << first
            << "\" c2_end_index=\"" << last << "\"/></connection>\n";
    }
    out << "</connections>\n</board>\n";
    return folder.string();
}

void printRow(const char* what, long n, double seconds, double previous) {
    std::printf("  %-40s %8ld %12.3f", what, n, seconds * 1e3);
    if (previous > 0) std::printf(" %8.2f", seconds / previous);
    std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
    long start = 10000;
    int runs = 3;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        const long value = std::atol(argv[i + 1]);
        if ((option != "-start" && option != "-runs") || value < 1) {
            std::fprintf(stderr, "usage: bench_scaling ?-start N? ?-runs R?\n");
            return 1;
        }
        if (option == "-start") start = value;
        else runs = static_cast<int>(value);
    }
    std::printf("  %-40s %8s %12s %8s\n", "what (CPU time, min of runs)", "N", "ms", "x prev");
    double previous = 0;
    for (long n = start; n <= start * 8; n *= 2) {
        const std::string file = manyComponents(n);
        const double seconds = minimumCpu(runs, [&file] {
            HBOBoard board;
            if (!HBOParser().parseFile(file, &board)) std::abort();
        });
        printRow("read a board.xml of N components", n, seconds, previous);
        previous = seconds;
    }
    previous = 0;
    Tcl_Interp* shell = bench::makeShell("", "");
    // Each call reports that there is no current board; the report is not what is measured.
    ComMsgMgr::setSink([](const ComMsgMgrInstance&) {});
    for (long n = start; n <= start * 8; n *= 2) {
        const std::string folder = wiredBoard(n);
        bench::evalOrThrow(shell,
                           "set_param board.repoPaths {" + folder +
                               "}; set pins [::board::get_board_component_pins "
                               "-of_objects [::board::get_board_components -of_objects [::board::get_boards] *:J1:*]]");
        Tcl_Obj* command = Tcl_NewStringObj("::board::get_board_bus_nets -of_objects $pins", -1);
        Tcl_IncrRefCount(command);
        const double seconds = minimumCpu(runs, [shell, command] {
            if (Tcl_EvalObjEx(shell, command, 0) != TCL_OK) throw std::runtime_error(Tcl_GetStringResult(shell));
        });
        Tcl_DecrRefCount(command);
        if (bench::resultSize(shell, "::board::get_board_bus_nets -of_objects $pins") != n) {
            std::fprintf(stderr, "bench_scaling: expected %ld nets\n", n);
            return 1;
        }
        printRow("get_board_bus_nets -of_objects N pins", n, seconds, previous);
        previous = seconds;
    }
    return 0;
}
