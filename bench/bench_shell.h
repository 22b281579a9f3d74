// The shell the command benchmarks run in: the host and the extension in one
// interpreter, on a repository made by bench/gen_repo (or ZEM_BENCH_REPO).
#pragma once

#include <benchmark/benchmark.h>
#include <tcl.h>

#include <stdexcept>
#include <string>

#include "bench_repository.h"
#include "HPAParamMgr.h"
#include "ZemHost.h"

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

// The number of objects the script's result holds.
inline int resultSize(Tcl_Interp* interp, const std::string& script) {
    evalOrThrow(interp, "sizeof_collection [" + script + "]");
    int size = 0;
    Tcl_GetIntFromObj(nullptr, Tcl_GetObjResult(interp), &size);
    return size;
}

// Times one script, evaluated from one Tcl object so that it is compiled
// once, and returns the number of objects its result holds.
inline int timeScript(benchmark::State& state, Tcl_Interp* interp, const char* script) {
    Tcl_Obj* command = Tcl_NewStringObj(script, -1);
    Tcl_IncrRefCount(command);
    for (auto _ : state) {
        if (Tcl_EvalObjEx(interp, command, 0) != TCL_OK) {
            state.SkipWithError(Tcl_GetStringResult(interp));
            break;
        }
        benchmark::DoNotOptimize(Tcl_GetObjResult(interp));
    }
    Tcl_DecrRefCount(command);
    return resultSize(interp, script);
}

// The time per returned object, as a counter.
inline benchmark::Counter perObject(const benchmark::State& state, int objects) {
    return benchmark::Counter(static_cast<double>(state.iterations()) * (objects ? objects : 1),
                              benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

}  // namespace bench
