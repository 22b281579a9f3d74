// Board repository loading: listing 1,000 generated boards (each 20
// components and a 1,000-pin FPGA) without reading pin files, loading the
// pins of one 3,000-pin part, and resident memory once every board and pin
// is loaded. The repository is generated into a temporary folder first.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "ComMsgMgr.h"
#include "HBOBoardCReposMgr.h"
#include "HBOBoardModel.h"
#include "HBOBoardUtils.h"
#include "HBOParser.h"
#include "HPAParamMgr.h"

namespace fs = std::filesystem;

namespace {

constexpr int kBoards = 1000;
constexpr int kComponents = 20;
constexpr int kFpgaPins = 1000;
constexpr int kBigPart = 3000;

void writePinFile(const fs::path& path, int pins) {
    std::ostringstream out;
    out << "<part_info part_name=\"gen-part\">\n  <pins>\n";
    for (int i = 0; i < pins; ++i)
        out << "    <pin index=\"" << i << "\" name=\"io" << i << "\" loc=\"R" << i
            << "\" iostandard=\"LVCMOS33\" drive=\"8\" slew=\"SLOW\"/>\n";
    out << "  </pins>\n</part_info>\n";
    std::ofstream(path) << out.str();
}

void writeBoard(const fs::path& dir, const std::string& name, int pins) {
    fs::create_directories(dir);
    std::ostringstream out;
    out << "<board schema_version=\"2.1\" vendor=\"gen.org\" name=\"" << name << "\" preset_file=\"preset.xml\">\n"
        << "  <file_version>1.0</file_version>\n  <components>\n"
        << "    <component name=\"part0\" type=\"fpga\" part_name=\"gen-part\" pin_map_file=\"part0_pins.xml\">\n"
        << "      <interfaces>\n        <interface name=\"gpio\" mode=\"master\" preset_proc=\"gpio_preset\">\n"
        << "          <port_maps><port_map logical_port=\"TRI_O\" physical_port=\"gpio_o\">\n"
        << "            <pin_maps><pin_map port_index=\"0\" component_pin=\"io0\"/></pin_maps>\n"
        << "          </port_map></port_maps>\n        </interface>\n      </interfaces>\n    </component>\n";
    for (int c = 1; c < kComponents; ++c)
        out << "    <component name=\"chip" << c << "\" type=\"chip\"><pins><pin index=\"0\" name=\"P0\"/>"
            << "<pin index=\"1\" name=\"P1\"/></pins></component>\n";
    out << "  </components>\n  <connections>\n";
    for (int c = 1; c < kComponents; ++c)
        out << "    <connection name=\"c" << c << "\" component1=\"part0\" component2=\"chip" << c << "\">"
            << "<connection_map c1_st_index=\"" << 2 * c << "\" c1_end_index=\"" << 2 * c + 1
            << "\" c2_st_index=\"0\" c2_end_index=\"1\"/></connection>\n";
    out << "  </connections>\n</board>\n";
    std::ofstream(dir / "board.xml") << out.str();
    writePinFile(dir / "part0_pins.xml", pins);
    std::ofstream(dir / "preset.xml") << "<ip_presets><ip_preset preset_proc_name=\"gpio_preset\">"
                                         "<ip vendor=\"v\" library=\"ip\" name=\"gpio\" version=\"*\"/>"
                                         "</ip_preset></ip_presets>\n";
}

const fs::path& generatedRepository() {
    static const fs::path root = [] {
        fs::path dir = fs::temp_directory_path() / "zem_bench_board_repo";
        if (!fs::exists(dir / "done")) {
            fs::remove_all(dir);
            for (int b = 0; b < kBoards; ++b) {
                std::string name = "board" + std::to_string(b);
                writeBoard(dir / "repo" / "gen.org" / name / "1.0", name, kFpgaPins);
            }
            writeBoard(dir / "big", "big", kBigPart);
            std::ofstream(dir / "done") << "1\n";
        }
        return dir;
    }();
    return root;
}

void useRepository(const fs::path& folder) {
    HBOBoardUtils::defineParameters();
    HPAParamMgr::getParamMgr().setValue("board.repoPaths", folder.string());  // drops the old listing
}

double residentMiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
    return 0;
}

void BM_ListRepository(benchmark::State& state) {
    const fs::path repo = generatedRepository() / "repo";
    std::size_t count = 0;
    for (auto _ : state) {
        useRepository(repo);
        std::vector<HBOBoard*> boards;
        HBOBoardCReposMgr::getGlobal()->appendAllBoards(boards);
        count = boards.size();
        benchmark::DoNotOptimize(boards.data());
    }
    state.counters["boards"] = static_cast<double>(count);
}
BENCHMARK(BM_ListRepository)->Iterations(3)->Unit(benchmark::kMillisecond);

void BM_LoadPinsOf3000PinPart(benchmark::State& state) {
    const std::string file = (generatedRepository() / "big" / "board.xml").string();
    std::size_t count = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto* board = new HBOBoard;
        HBOParser().parseFile(file, board);
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
    const fs::path repo = generatedRepository() / "repo";
    std::size_t pinCount = 0;
    const double before = residentMiB();  // includes boards kept from earlier listings
    for (auto _ : state) {
        useRepository(repo);
        std::vector<HBOBoard*> boards;
        HBOBoardCReposMgr::getGlobal()->appendAllBoards(boards);
        std::vector<HBOPinProps*> pins;
        for (HBOBoard* board : boards) {
            HBOBoardCReposMgr::getGlobal()->populatePreferenceData(board);
            board->findFpgaComponent()->getPinsVec(pins);
        }
        pinCount = pins.size();
    }
    state.counters["fpga_pins"] = static_cast<double>(pinCount);
    state.counters["rss_MiB"] = residentMiB();
    state.counters["rss_added_MiB"] = residentMiB() - before;
}
BENCHMARK(BM_ResidentMemoryEverythingLoaded)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
