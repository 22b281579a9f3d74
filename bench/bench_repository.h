// The generated repositories the query and memory benchmarks use:
// ZEM_BENCH_REPO when set, else bench/gen_repo's output in the temporary
// folder (the same options give the same files each time).
#pragma once

#include <cstdlib>
#include <stdexcept>
#include <string>

inline std::string generatedRepository(const std::string& folder, const std::string& options) {
    if (const char* given = std::getenv("ZEM_BENCH_REPO")) return given;
    const std::string command =
        "tclsh " ZEM_BENCH_SOURCE_DIR "/gen_repo " + options + " -out " + folder + " > /dev/null";
    if (std::system(command.c_str()) != 0) throw std::runtime_error("bench/gen_repo failed: " + command);
    return folder;
}

// 1,000 boards.
inline std::string generatedRepository() {
    return generatedRepository("/tmp/zem_bench_get_boards_repo", "-boards 1000");
}
