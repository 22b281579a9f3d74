// Linked into the test and benchmark programs: they link Tcl themselves and
// call the libraries without going through an entry point, so the framework
// library's stub table is filled before main runs (see ZemCommon.h).
#include <tcl.h>

#include <cstdio>
#include <cstdlib>

#include "ZemCommon.h"

namespace {

const bool stubsReady = [] {
    Tcl_FindExecutable(nullptr);
    Tcl_Interp* interp = Tcl_CreateInterp();
    const bool ready = Zem_common_Init(interp) == TCL_OK;
    if (!ready) std::fprintf(stderr, "Zem_common_Init: %s\n", Tcl_GetStringResult(interp));
    Tcl_DeleteInterp(interp);
    if (!ready) std::abort();
    return ready;
}();

}  // namespace
