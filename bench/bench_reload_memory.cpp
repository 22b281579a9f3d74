// Memory over repository reloads, on a repository of 200 boards made by
// bench/gen_repo (or the one named by ZEM_BENCH_REPO): after one load, 100
// reloads in which every board file changed (each is touched, so every
// board is read again), first holding nothing, then holding one board
// object of each reload (100 objects, each of another listing). Prints the
// resident size (RSS) and the heap in use after each run, as a ratio to one
// load too. A measurement, not a test: nothing is asserted.
#include <fcntl.h>
#include <malloc.h>
#include <sys/stat.h>
#include <tcl.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench_memory.h"
#include "bench_repository.h"
#include "HBOBoardCReposMgr.h"
#include "ZemHost.h"

extern "C" int Zem_boardcommontasks_Init(Tcl_Interp* interp);

namespace {

const int kReloads = 100;

// Every board file of the repository gets a new modification time, as an edit would give it.
void touchBoardFiles(const std::vector<std::string>& files, int round) {
    const timespec times[2] = {{0, UTIME_OMIT}, {1000000000 + round, 0}};
    for (const std::string& file : files) ::utimensat(AT_FDCWD, file.c_str(), times, 0);
}

std::vector<std::string> boardFiles(const std::string& repo) {
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(repo))
        if (entry.path().filename() == "board.xml") files.push_back(entry.path().string());
    return files;
}

struct Sample {
    double rss, heap;
};

Sample sample() { return {rssMegabytes(), heapMegabytes()}; }

void report(const char* what, Sample now, Sample base, Sample oneLoad) {
    const double loadRss = oneLoad.rss - base.rss;
    const double loadHeap = oneLoad.heap - base.heap;
    std::printf("%-46s RSS %7.1f MB (%4.2fx one load)   heap in use %7.1f MB (%4.2fx one load)\n", what, now.rss,
                loadRss > 0 ? (now.rss - base.rss) / loadRss : 0, now.heap,
                loadHeap > 0 ? (now.heap - base.heap) / loadHeap : 0);
}

// Touches every board file and lists again, kReloads times; keeps one board of each listing when asked.
void reloads(Tcl_Interp* interp, const std::vector<std::string>& files, int firstRound, bool hold) {
    for (int round = firstRound; round < firstRound + kReloads; ++round) {
        touchBoardFiles(files, round);
        HBOBoardCReposMgr::getGlobal()->release();  // the next query checks the files again
        if (hold)
            eval(interp, "lappend held [index_collection [::board::get_boards] " + std::to_string(round % 200) + "]");
        else eval(interp, "sizeof_collection [::board::get_boards]");
    }
}

}  // namespace

int main() {
    const std::string repo = generatedRepository("/tmp/zem_bench_reload_repo", "-boards 200");
    const std::vector<std::string> files = boardFiles(repo);
    Tcl_FindExecutable(nullptr);
    Tcl_Interp* interp = Tcl_CreateInterp();
    if (Zem_host_Init(interp) != TCL_OK || Zem_boardcommontasks_Init(interp) != TCL_OK) return 1;
    eval(interp, "set_param board.enableSchema2 1");
    const Sample base = sample();
    report("before loading", base, base, base);
    eval(interp, "set_param board.repoPaths {" + repo + "}; sizeof_collection [::board::get_boards]");
    const Sample oneLoad = sample();
    std::printf("%zu board files\n", files.size());
    report("after one load", oneLoad, base, oneLoad);
    reloads(interp, files, 0, false);
    report("after 100 reloads of changed files, none held", sample(), base, oneLoad);
    eval(interp, "set held {}");
    reloads(interp, files, kReloads, true);
    report("after 100 more, one board of each held", sample(), base, oneLoad);
    eval(interp, "llength [lmap board $held {get_property DISPLAY_NAME $board}]");
    std::printf("the %s held boards still answer\n", Tcl_GetStringResult(interp));
    Tcl_DeleteInterp(interp);
    return 0;
}
