// Listing the repository cold, on one thread and on every core the process
// may use (board.listingThreads 1 and 0), on the 1,000-board repository of
// bench/gen_repo (or the one named by ZEM_BENCH_REPO). Real (wall) time and
// the CPU time of the whole process, and the CPU time of the calling thread,
// which is what the wall time comes to when every thread has a core of its
// own: with N free cores, near the first's divided by N.
#include <benchmark/benchmark.h>

#include <ctime>

#include <filesystem>
#include <string>
#include <vector>

#include "bench_repository.h"
#include "HBOBoardCReposMgr.h"
#include "HBOBoardUtils.h"
#include "HPAParamMgr.h"

namespace {

double threadSeconds() {
    timespec now{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// An empty folder first, so that the repository is read afresh, not reused;
// freeing the boards listed before is not timed.
void forgetListing(benchmark::State& state) {
    static const std::string empty = [] {
        const auto folder = std::filesystem::temp_directory_path() / "zem_bench_empty_repo";
        std::filesystem::create_directories(folder);
        return folder.string();
    }();
    state.PauseTiming();
    HPAParamMgr::getParamMgr().setValue("board.repoPaths", empty);
    std::vector<HBOBoard*> boards;
    HBOBoardCReposMgr::getGlobal()->appendAllBoards(boards);
    state.ResumeTiming();
}

void list(const std::string& repo) {
    HPAParamMgr::getParamMgr().setValue("board.repoPaths", repo);
    std::vector<HBOBoard*> boards;
    HBOBoardCReposMgr::getGlobal()->appendAllBoards(boards);
    benchmark::DoNotOptimize(boards.data());
}

void BM_ListRepositoryCold(benchmark::State& state) {
    const std::string repo = generatedRepository();
    HBOBoardUtils::defineParameters();
    HPAParamMgr::getParamMgr().setValue("board.listingThreads", std::to_string(state.range(0)));
    double callingThreadSeconds = 0;
    for (auto _ : state) {
        forgetListing(state);
        const double before = threadSeconds();
        list(repo);
        callingThreadSeconds += threadSeconds() - before;
    }
    // The CPU time of the thread that asked: with the other threads on cores
    // of their own, the wall time of a listing on an unloaded machine.
    state.counters["calling_thread_ms"] =
        benchmark::Counter(callingThreadSeconds * 1000, benchmark::Counter::kAvgIterations);
    std::vector<HBOBoard*> boards;
    HBOBoardCReposMgr::getGlobal()->appendAllBoards(boards);
    state.counters["boards"] = static_cast<double>(boards.size());
}
BENCHMARK(BM_ListRepositoryCold)
    ->ArgName("threads")
    ->Arg(1)
    ->Arg(0)
    ->Iterations(3)
    ->UseRealTime()
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
