// Board repository loading, on a repository made by bench/gen_repo (1,000
// boards of 20 components and a 1,000-pin FPGA; the first board has a
// 3,000-pin part), or the one named by ZEM_BENCH_REPO:
//   - listing every board cold, which reads board files but no pin files;
//   - loading the pins of the largest pin file (the 3,000-pin part), with
//     the listed boards in memory as in a session;
//   - resident memory added by one more listing and every pin of it (boards
//     are kept until the library unloads, so earlier listings stay in rss_MiB).
// bench/compare_tdom.sh runs this next to bench/tdom_load.tcl.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "HBOBoardCReposMgr.h"
#include "HBOBoardModel.h"
#include "HBOBoardUtils.h"
#include "HBOParser.h"
#include "HPAParamMgr.h"

namespace fs = std::filesystem;

namespace {

const char* const kGenerateOptions = " -boards 1000 -components 20 -pins 1000 -bigpart 3000";

// ZEM_BENCH_REPO when set (generated there when missing), else a fresh
// repository in the temporary folder: gen_repo gives the same files each time.
const fs::path& repository() {
    static const fs::path folder = [] {
        const char* given = std::getenv("ZEM_BENCH_REPO");
        fs::path chosen = given && *given ? fs::path(given) : fs::temp_directory_path() / "zem_bench_board_load_repo";
        if (!given || !*given || !fs::exists(chosen)) {
            std::string command = "tclsh " ZEM_BENCH_SOURCE_DIR "/gen_repo" + std::string(kGenerateOptions) +
                                  " -out '" + chosen.string() + "' > /dev/null";
            if (std::system(command.c_str()) != 0) throw std::runtime_error("bench/gen_repo failed: " + command);
        }
        return chosen;
    }();
    return folder;
}

// The board file whose pin file is the largest, as bench/tdom_load.tcl picks it.
const fs::path& bigBoardFile() {
    static const fs::path file = [] {
        fs::path biggest;
        std::uintmax_t biggestSize = 0;
        for (const auto& entry : fs::recursive_directory_iterator(repository())) {
            if (entry.path().filename() != "part0_pins.xml" || entry.file_size() <= biggestSize) continue;
            biggestSize = entry.file_size();
            biggest = entry.path();
        }
        if (biggest.empty()) throw std::runtime_error("no part0_pins.xml below " + repository().string());
        return biggest.parent_path() / "board.xml";
    }();
    return file;
}

// Points the repository manager at the folder; the next query lists it afresh.
// Setting an unchanged value tells no one, so the value changes twice.
void useRepository() {
    HBOBoardUtils::defineParameters();
    HPAParamMgr::getParamMgr().setValue("board.repoPaths", "");
    HPAParamMgr::getParamMgr().setValue("board.repoPaths", repository().string());
}

std::vector<HBOBoard*> listBoards() {
    std::vector<HBOBoard*> boards;
    HBOBoardCReposMgr::getGlobal()->appendAllBoards(boards);
    return boards;
}

double residentMiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
    return 0;
}

void BM_ListRepositoryCold(benchmark::State& state) {
    repository();  // generating runs a child process: keep it out of the timing
    std::size_t count = 0;
    for (auto _ : state) {
        useRepository();  // drops the earlier listing
        std::vector<HBOBoard*> boards = listBoards();
        count = boards.size();
        benchmark::DoNotOptimize(boards.data());
    }
    state.counters["boards"] = static_cast<double>(count);
}
BENCHMARK(BM_ListRepositoryCold)->Iterations(3)->Unit(benchmark::kMillisecond);

void BM_LoadPinsOf3000PinPart(benchmark::State& state) {
    const std::string file = bigBoardFile().string();
    std::size_t count = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto* board = new HBOBoard;
        if (!HBOParser().parseFile(file, board)) {
            state.SkipWithError(("cannot read " + file).c_str());
            delete board;
            break;
        }
        std::vector<HBOPinProps*> pins;
        state.ResumeTiming();
        board->findFpgaComponent()->getPinsVec(pins);
        count = pins.size();
        state.PauseTiming();
        delete board;
        state.ResumeTiming();
    }
    state.counters["pins"] = static_cast<double>(count);
}
BENCHMARK(BM_LoadPinsOf3000PinPart)->Unit(benchmark::kMillisecond);

void BM_ResidentMemoryEverythingLoaded(benchmark::State& state) {
    const double before = residentMiB();
    std::size_t boardCount = 0, pinCount = 0;
    for (auto _ : state) {
        useRepository();
        std::vector<HBOBoard*> boards = listBoards();
        std::vector<HBOPinProps*> pins;
        for (HBOBoard* board : boards) {
            HBOBoardCReposMgr::getGlobal()->populatePreferenceData(board);  // presets and every pin file
            pins.clear();
            board->findFpgaComponent()->getPinsVec(pins);
            pinCount += pins.size();
        }
        boardCount = boards.size();
    }
    const double after = residentMiB();
    state.counters["boards"] = static_cast<double>(boardCount);
    state.counters["fpga_pins"] = static_cast<double>(pinCount);
    state.counters["rss_MiB"] = after;
    state.counters["rss_added_MiB"] = after - before;
}
BENCHMARK(BM_ResidentMemoryEverythingLoaded)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
