// Listing a repository against its floor: bare pugixml reading and parsing
// the same board.xml files, in one thread and in one thread per core. One
// run prints every figure as a ratio to its floor, for repositories of 1,
// 1,000 and 10,000 boards that bench/gen_repo makes (or the folders given).
//
//   bench_listing_floor ?-runs R? ?-threads N? ?FOLDER...?
//
// Times are CPU times (the machine may be shared, so wall time would tell
// more about the neighbours than about us), the minimum of R runs made in
// turn (floor, parse, listing, floor, ...); each listing is cold, every file
// read afresh, on the thread count of the floor it is compared with. Also:
// two costs for reference (finding the files; the floor with a visit of
// every element and attribute, the least a reader of pugixml documents
// does); heap allocations and heap bytes per board, resident memory of a
// listing against the size of its files, and heap bytes per loaded pin of
// the largest pin file.
#include <dirent.h>
#include <malloc.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <time.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include <pugixml.hpp>

#include "HBOBoardCReposMgr.h"
#include "HBOBoardModel.h"
#include "HBOBoardUtils.h"
#include "HBOParser.h"
#include "HPAParamMgr.h"

namespace fs = std::filesystem;

// Every allocation of the process, the libraries' included, is counted.
namespace {
std::atomic<std::size_t> allocations{0};
}

void* operator new(std::size_t size) {
    allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* memory = std::malloc(size ? size : 1)) return memory;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t) noexcept { std::free(memory); }

namespace {

double cpuSeconds(clockid_t clock) {
    timespec now{};
    clock_gettime(clock, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}
double threadCpu() { return cpuSeconds(CLOCK_THREAD_CPUTIME_ID); }
double processCpu() { return cpuSeconds(CLOCK_PROCESS_CPUTIME_ID); }
double wallClock() { return cpuSeconds(CLOCK_MONOTONIC); }

std::size_t heapInUse() { return mallinfo2().uordblks; }

double residentMiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
    return 0;
}

// gen_repo's output for that many boards, made once and kept in the
// temporary folder (the same options give the same files).
std::string generated(int boards) {
    const fs::path folder = fs::temp_directory_path() / ("zem_floor_repo_" + std::to_string(boards));
    const std::string options = "-boards " + std::to_string(boards) + " -bigpart 3000";
    std::ifstream marker(folder / ".gen_repo");
    std::string made;
    std::getline(marker, made);
    if (made != "made by gen_repo " + options + " -out " + folder.string()) {
        const std::string command =
            "tclsh " ZEM_BENCH_SOURCE_DIR "/gen_repo " + options + " -out " + folder.string() + " > /dev/null";
        if (std::system(command.c_str()) != 0) throw std::runtime_error("bench/gen_repo failed: " + command);
    }
    return folder.string();
}

std::vector<std::string> boardFiles(const std::string& folder) {
    std::vector<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        if (entry.path().filename() == "board.xml") files.push_back(entry.path().string());
    std::sort(files.begin(), files.end());
    return files;
}

// Reads the file and parses it into document with pugixml.
void parseInto(const std::string& path, pugi::xml_document& document) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    const auto size = static_cast<std::size_t>(in.tellg());
    in.seekg(0);
    void* buffer = pugi::get_memory_allocation_function()(size);
    in.read(static_cast<char*>(buffer), static_cast<std::streamsize>(size));
    if (!document.load_buffer_inplace_own(buffer, size)) throw std::runtime_error("pugixml cannot parse " + path);
}

// The floor: that, nothing more.
void bareParse(const std::string& path) {
    pugi::xml_document document;
    parseInto(path, document);
}

// Two costs for reference: finding the files (the folders read as find
// reads them, no file opened), and the floor with a visit of every element
// and attribute of each parsed document, the least that a reader of
// pugixml's documents does.
std::size_t foldersWalked(const std::string& folder) {
    std::size_t found = 0;
    std::vector<std::string> pending{folder};
    while (!pending.empty()) {
        const std::string at = std::move(pending.back());
        pending.pop_back();
        DIR* dir = ::opendir(at.c_str());
        if (!dir) continue;
        while (const dirent* entry = ::readdir(dir)) {
            if (entry->d_type == DT_DIR && std::strcmp(entry->d_name, ".") != 0 &&
                std::strcmp(entry->d_name, "..") != 0)
                pending.push_back(at + "/" + entry->d_name);
            else if (std::strcmp(entry->d_name, "board.xml") == 0) ++found;
        }
        ::closedir(dir);
    }
    return found;
}

// A sum over the first letter of every name and value, so that the visit
// reads what a reader reads and cannot be left out.
std::size_t visitAll(const pugi::xml_node& node) {
    std::size_t sum = 0;
    for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
        sum += static_cast<unsigned char>(child.name()[0]);
        for (pugi::xml_attribute a = child.first_attribute(); a; a = a.next_attribute())
            sum += static_cast<unsigned char>(a.name()[0]) + static_cast<unsigned char>(a.value()[0]);
        sum += visitAll(child);
    }
    return sum;
}

void parseAndVisit(const std::string& path) {
    pugi::xml_document document;
    parseInto(path, document);
    if (visitAll(document) == 0) throw std::runtime_error("no element with a name in " + path);
}

// Runs work(file) over the files on `threads` threads, each taking every
// threads-th file; returns the CPU seconds of all threads together.
template <class Work>
double onThreads(const std::vector<std::string>& files, unsigned threads, Work work) {
    std::vector<double> cpu(threads, 0);
    std::vector<std::thread> running;
    for (unsigned t = 0; t < threads; ++t) {
        running.emplace_back([&, t] {
            const double start = threadCpu();
            for (std::size_t i = t; i < files.size(); i += threads) work(files[i]);
            cpu[t] = threadCpu() - start;
        });
    }
    for (auto& thread : running) thread.join();
    double total = 0;
    for (double seconds : cpu) total += seconds;
    return total;
}

void useRepository(const std::string& folder) {
    HBOBoardUtils::defineParameters();
    HPAParamMgr::getParamMgr().setValue("board.repoPaths", "");
    HPAParamMgr::getParamMgr().setValue("board.repoPaths", folder);
}

// Lists an empty folder, so that the next listing reads every file afresh
// instead of keeping the boards of files that did not change.
void forgetListing() {
    static const std::string empty = [] {
        const fs::path folder = fs::temp_directory_path() / "zem_bench_empty_repo";
        fs::create_directories(folder);
        return folder.string();
    }();
    useRepository(empty);
    std::vector<HBOBoard*> none;
    HBOBoardCReposMgr::getGlobal()->appendAllBoards(none);
}

// CPU seconds of the whole process for a cold listing of folder on
// `threads` threads (board.listingThreads); freeing the earlier listing is
// not timed. The wall time goes to wall.
double coldListing(const std::string& folder, unsigned threads, double& wall) {
    forgetListing();
    HPAParamMgr::getParamMgr().setValue("board.listingThreads", std::to_string(threads));
    useRepository(folder);
    const double cpu = processCpu();
    const double start = wallClock();
    std::vector<HBOBoard*> listed;
    HBOBoardCReposMgr::getGlobal()->appendAllBoards(listed);
    wall = wallClock() - start;
    return processCpu() - cpu;
}

struct Figures {
    double floor1 = std::numeric_limits<double>::max();
    double floorN = std::numeric_limits<double>::max();
    double floorNWall = std::numeric_limits<double>::max();
    double parse1 = std::numeric_limits<double>::max();
    double parseN = std::numeric_limits<double>::max();
    double listing1 = std::numeric_limits<double>::max();
    double listingN = std::numeric_limits<double>::max();
    double listingWall = std::numeric_limits<double>::max();
    double walk = std::numeric_limits<double>::max();
    double visit1 = std::numeric_limits<double>::max();
    double allocationsPerBoard = 0;
    double heapPerBoard = 0;
    double listingRssMiB = 0;
    double fileMiB = 0;
};

void keepMin(double& kept, double value) { kept = std::min(kept, value); }

// Parses every file into a board; the boards are freed after the timing.
double parseAll(const std::vector<std::string>& files, unsigned threads) {
    std::vector<std::unique_ptr<HBOBoard>> boards(files.size());
    return onThreads(files, threads, [&](const std::string& file) {
        std::unique_ptr<HBOBoard>& board = boards[static_cast<std::size_t>(&file - files.data())];
        board.reset(new HBOBoard);
        HBOParser().parseFile(file, board.get());
    });
}

Figures measure(const std::string& folder, int runs, unsigned threads) {
    Figures f;
    const std::vector<std::string> files = boardFiles(folder);
    std::uintmax_t bytes = 0;
    for (const std::string& file : files) bytes += fs::file_size(file);
    f.fileMiB = static_cast<double>(bytes) / (1 << 20);
    for (int run = 0; run < runs; ++run) {
        keepMin(f.floor1, onThreads(files, 1, bareParse));
        double wall = wallClock();
        keepMin(f.floorN, onThreads(files, threads, bareParse));
        keepMin(f.floorNWall, wallClock() - wall);
        keepMin(f.parse1, parseAll(files, 1));
        keepMin(f.parseN, parseAll(files, threads));
        keepMin(f.listing1, coldListing(folder, 1, wall));
        keepMin(f.listingN, coldListing(folder, threads, wall));
        keepMin(f.listingWall, wall);
        const double start = processCpu();
        if (foldersWalked(folder) != files.size()) throw std::runtime_error("the walk missed board files: " + folder);
        keepMin(f.walk, processCpu() - start);
        keepMin(f.visit1, onThreads(files, 1, parseAndVisit));
    }
    // Memory: a parse of every file with the boards held; then a listing alone.
    const std::size_t heapBefore = heapInUse();
    const std::size_t allocationsBefore = allocations.load();
    {
        std::vector<std::unique_ptr<HBOBoard>> boards;
        boards.reserve(files.size());
        for (const std::string& file : files) {
            boards.emplace_back(new HBOBoard);
            HBOParser().parseFile(file, boards.back().get());
        }
        f.allocationsPerBoard = static_cast<double>(allocations.load() - allocationsBefore) / files.size();
        f.heapPerBoard = static_cast<double>(heapInUse() - heapBefore) / files.size();
    }
    forgetListing();  // frees the earlier listings
    malloc_trim(0);
    const double rssBefore = residentMiB();
    useRepository(folder);
    std::vector<HBOBoard*> listed;
    HBOBoardCReposMgr::getGlobal()->appendAllBoards(listed);
    f.listingRssMiB = residentMiB() - rssBefore;
    return f;
}

// Heap bytes per pin of the largest pin file below folder, loaded alone
// and then with its lookups (by name and by index) built.
void pinMemory(const std::string& folder) {
    fs::path biggest;
    std::uintmax_t biggestSize = 0;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.path().filename() != "part0_pins.xml" || entry.file_size() <= biggestSize) continue;
        biggestSize = entry.file_size();
        biggest = entry.path();
    }
    if (biggest.empty()) return;
    std::unique_ptr<HBOBoard> board(new HBOBoard);
    if (!HBOParser().parseFile((biggest.parent_path() / "board.xml").string(), board.get())) return;
    HBOBoardComponent* part = board->findFpgaComponent();
    std::vector<HBOPinProps*> pins;
    pins.reserve(1 << 16);
    const std::size_t before = heapInUse();
    const std::size_t allocationsBefore = allocations.load();
    part->getPinsVec(pins);
    const std::size_t loaded = heapInUse();
    const std::size_t loadAllocations = allocations.load() - allocationsBefore;
    part->findPin(pins.front()->getName());
    part->findPinByIndex(pins.front()->getPinIndex());
    const std::size_t indexed = heapInUse();
    std::printf(
        "pins of %s: %zu pins, %zu allocations; %.1f B per pin loaded, %.1f B with its lookups; "
        "sizeof(HBOPinProps) %zu\n",
        biggest.string().c_str(), pins.size(), loadAllocations, static_cast<double>(loaded - before) / pins.size(),
        static_cast<double>(indexed - before) / pins.size(), sizeof(HBOPinProps));
}

void print(const std::string& folder, std::size_t boards, const Figures& f, unsigned threads) {
    std::printf("\n%s: %zu boards, %.1f MiB of board.xml\n", folder.c_str(), boards, f.fileMiB);
    std::printf("  %-44s %12s %10s\n", "figure (CPU time, min of runs)", "ms", "x floor");
    const auto row = [](const char* label, double seconds, double floor) {
        std::printf("  %-44s %12.3f %10.2f\n", label, seconds * 1e3, seconds / floor);
    };
    row("floor: pugixml read + parse, 1 thread", f.floor1, f.floor1);
    char label[64];
    std::snprintf(label, sizeof label, "floor: pugixml, %u threads (CPU sum)", threads);
    row(label, f.floorN, f.floor1);
    row("HBOParser::parseFile, 1 thread", f.parse1, f.floor1);
    std::snprintf(label, sizeof label, "HBOParser::parseFile, %u threads (CPU sum)", threads);
    row(label, f.parseN, f.floorN);
    row("cold listing, 1 thread (process CPU)", f.listing1, f.floor1);
    std::snprintf(label, sizeof label, "cold listing, %u threads (process CPU)", threads);
    row(label, f.listingN, f.floorN);
    std::printf("  %-44s %12.3f %10.2f\n", "listing wall time vs floor wall, N threads", f.listingWall * 1e3,
                f.listingWall / f.floorNWall);
    std::printf("  for reference: finding the files, and the least a reader of pugixml documents does\n");
    row("folders walked, no file opened (process CPU)", f.walk, f.floor1);
    row("floor + visit of every element, attribute", f.visit1, f.floor1);
    std::printf(
        "  allocations per board %.0f; heap per board %.0f B (%.2f x its file); listing RSS %.1f MiB "
        "(%.2f x the files)\n",
        f.allocationsPerBoard, f.heapPerBoard, f.heapPerBoard / (f.fileMiB * (1 << 20) / boards), f.listingRssMiB,
        f.listingRssMiB / f.fileMiB);
}

}  // namespace

int main(int argc, char** argv) {
    int runs = 3;
    unsigned threads = std::max(1u, std::thread::hardware_concurrency());
    std::vector<std::string> folders;
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        if ((word == "-runs" || word == "-threads") && i + 1 < argc) {
            const int value = std::atoi(argv[++i]);
            if (value < 1) {
                std::fprintf(stderr, "bad value \"%s\" for %s: expected an integer >= 1\n", argv[i], word.c_str());
                return 1;
            }
            if (word == "-runs") runs = value;
            else threads = static_cast<unsigned>(value);
        } else if (!word.empty() && word[0] == '-') {
            std::fprintf(stderr,
                         "unknown option \"%s\", expected -runs or -threads\n"
                         "usage: bench_listing_floor ?-runs R? ?-threads N? ?FOLDER...?\n",
                         word.c_str());
            return 1;
        } else {
            folders.push_back(word);
        }
    }
    if (folders.empty())
        for (int boards : {1, 1000, 10000}) folders.push_back(generated(boards));
    for (const std::string& folder : folders) {
        const Figures f = measure(folder, runs, threads);
        print(folder, boardFiles(folder).size(), f, threads);
    }
    pinMemory(folders.back());
    return 0;
}
