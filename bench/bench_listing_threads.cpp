// Listing the repository cold, on one thread and on every core the process
// may use (board.listingThreads 1 and 0), on the 1,000-board repository of
// bench/gen_repo (or the one named by ZEM_BENCH_REPO). Real (wall) time and
// the CPU time of the whole process: on N free cores the wall time of the
// second should come near the first's divided by N.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <vector>

#include "bench_repository.h"
#include "HBOBoardCReposMgr.h"
#include "HBOBoardUtils.h"
#include "HPAParamMgr.h"

namespace {

// An empty folder first, so that the repository is read afresh, not reused.
void listCold(const std::string& repo) {
    static const std::string empty = [] {
        const auto folder = std::filesystem::temp_directory_path() / "zem_bench_empty_repo";
        std::filesystem::create_directories(folder);
        return folder.string();
    }();
    HPAParamMgr::getParamMgr().setValue("board.repoPaths", empty);
    std::vector<HBOBoard*> boards;
    HBOBoardCReposMgr::getGlobal()->appendAllBoards(boards);
    HPAParamMgr::getParamMgr().setValue("board.repoPaths", repo);
    boards.clear();
    HBOBoardCReposMgr::getGlobal()->appendAllBoards(boards);
    benchmark::DoNotOptimize(boards.data());
}

void BM_ListRepositoryCold(benchmark::State& state) {
    const std::string repo = generatedRepository();
    HBOBoardUtils::defineParameters();
    HPAParamMgr::getParamMgr().setValue("board.listingThreads", std::to_string(state.range(0)));
    for (auto _ : state) listCold(repo);
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
