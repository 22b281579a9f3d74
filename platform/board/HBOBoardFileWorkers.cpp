// The cores that the threads reading board files may use.
#include <sched.h>

#include <algorithm>
#include <thread>

#include "HBOBoardFileWorkers.h"

namespace HBOBoardInternal {

unsigned usableCores() {
    cpu_set_t cores;
    if (::sched_getaffinity(0, sizeof cores, &cores) == 0) return static_cast<unsigned>(std::max(1, CPU_COUNT(&cores)));
    return std::max(1u, std::thread::hardware_concurrency());
}

}  // namespace HBOBoardInternal
