// What the long-session memory benches read and run: the process's resident
// size, the heap in use, and a script that must succeed.
#pragma once

#include <malloc.h>
#include <tcl.h>

#include <fstream>
#include <stdexcept>
#include <string>

inline double rssMegabytes() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
    return 0;
}

inline double heapMegabytes() { return static_cast<double>(mallinfo2().uordblks) / (1024.0 * 1024.0); }

inline void eval(Tcl_Interp* interp, const std::string& script) {
    if (Tcl_Eval(interp, script.c_str()) != TCL_OK) throw std::runtime_error(Tcl_GetStringResult(interp));
}
