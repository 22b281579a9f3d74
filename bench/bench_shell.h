// The shell the command benchmarks run in: the host and the extension in one
// interpreter, on a repository made by bench/gen_repo (or ZEM_BENCH_REPO).
#pragma once

#include <tcl.h>

#include <stdexcept>
#include <string>

#include "HPAParamMgr.h"
#include "ZemHost.h"
#include "bench_repository.h"

extern "C" int Zem_boardcommontasks_Init(Tcl_Interp* interp);

namespace bench {

// Tcl_EvalEx, not Tcl_Eval: Tcl_Eval turns the result into a new string
// object, and so a list of objects into a list of names.
inline void evalOrThrow(Tcl_Interp* interp, const std::string& script) {
    if (Tcl_EvalEx(interp, script.c_str(), -1, 0) != TCL_OK) {
        throw std::runtime_error(script + ": " + Tcl_GetStringResult(interp));
    }
}

// A new interpreter with host and extension on the repository, after setup.
inline Tcl_Interp* makeShell(const std::string& repository, const std::string& setup) {
    Tcl_FindExecutable(nullptr);
    Tcl_Interp* created = Tcl_CreateInterp();
    HPAParamMgr::getParamMgr().setValue("board.repoPaths", repository);
    if (Zem_host_Init(created) != TCL_OK || Zem_boardcommontasks_Init(created) != TCL_OK) {
        throw std::runtime_error(Tcl_GetStringResult(created));
    }
    evalOrThrow(created, setup);
    return created;
}

}  // namespace bench
