// The current board part and board, asked of repositories of 1, 1,000 and
// 10,000 boards made by bench/gen_repo (small boards: the questions do not
// depend on what a board holds). Each question should cost the same at
// every size:
//   - current_board_part: the host's answer, found by name in the repository;
//   - ::board::current_board: the board of that part (evaluates the above);
//   - ::board::get_board_part_pins: a query that starts from the current part.
#include <benchmark/benchmark.h>
#include <tcl.h>

#include <string>

#include "bench_shell.h"

namespace {

// One interpreter; each size points it at its repository and selects the
// part of the last board, which a walk in name order would reach last.
Tcl_Interp* shellFor(int boards) {
    static Tcl_Interp* interp = bench::makeShell(generatedRepository(), "");
    static int current = 0;
    if (current != boards) {
        const std::string folder = "/tmp/zem_bench_current_part_" + std::to_string(boards);
        const std::string repo =
            generatedRepository(folder, "-boards " + std::to_string(boards) + " -components 2 -pins 8");
        bench::evalOrThrow(interp, "set_param board.repoPaths {" + repo +
                                       "}\n"
                                       "set parts [board_common::get_board_parts]\n"
                                       "set last [index_collection $parts [expr {[sizeof_collection $parts] - 1}]]\n"
                                       "current_board_part -quiet [get_property NAME $last]");
        current = boards;
    }
    return interp;
}

void question(benchmark::State& state, const char* script) {
    state.counters["objects"] = bench::timeScript(state, shellFor(static_cast<int>(state.range(0))), script);
}

void registerAll() {
    const std::pair<const char*, const char*> questions[] = {
        {"CurrentBoardPart", "current_board_part"},
        {"CurrentBoard", "::board::current_board"},
        {"CurrentPartPins", "::board::get_board_part_pins"},
    };
    for (int boards : {1, 1000, 10000})
        for (const auto& q : questions)
            benchmark::RegisterBenchmark(q.first, question, q.second)->Arg(boards)->Unit(benchmark::kMicrosecond);
}

}  // namespace

int main(int argc, char** argv) {
    registerAll();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
