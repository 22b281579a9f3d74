// Reading many board files at once, on every core the process may use. Each
// file is one unit of work, taken in turn by the next free thread; its
// warnings are kept with its result, so that the listing sends them in the
// order of its files whatever thread read them. Each result goes to the
// caller on the thread that read it, so that what the caller does with it
// runs in parallel too.
#include <sched.h>

#include <algorithm>
#include <atomic>
#include <exception>
#include <system_error>
#include <thread>

#include "HBOBoardInternal.h"
#include "HBOParser.h"

namespace HBOBoardInternal {

unsigned usableCores() {
    cpu_set_t cores;
    if (::sched_getaffinity(0, sizeof cores, &cores) == 0) return static_cast<unsigned>(std::max(1, CPU_COUNT(&cores)));
    return std::max(1u, std::thread::hardware_concurrency());
}

void parseBoardFiles(const std::vector<std::string>& paths, unsigned threads, const BoardFileDone& done) {
    std::vector<std::exception_ptr> failures(paths.size());
    std::atomic<std::size_t> next{0};
    const auto work = [&] {
        for (std::size_t i = next++; i < paths.size(); i = next++) {
            try {
                FileIdentity identity;
                HBOBoardFileRead read = readBoardFile(paths[i], identity);
                done(i, read, identity);
            } catch (...) {
                failures[i] = std::current_exception();
            }
        }
    };
    std::vector<std::thread> helpers;
    const std::size_t wanted = std::min<std::size_t>(std::max(1u, threads), paths.size());
    for (std::size_t t = 1; t < wanted; ++t) {
        try {
            helpers.emplace_back(work);
        } catch (const std::system_error&) {
            break;  // no more threads to be had: the ones running do the rest
        }
    }
    work();
    for (std::thread& helper : helpers) helper.join();
    for (const std::exception_ptr& failure : failures)
        if (failure) std::rethrow_exception(failure);
}

}  // namespace HBOBoardInternal
