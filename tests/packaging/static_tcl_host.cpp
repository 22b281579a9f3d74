// A Tcl host that links Tcl statically and exports none of its symbols, as
// applications that embed Tcl do. Libraries built against the stub table run
// on this host's Tcl; one that needs libtcl itself would drag a second Tcl
// into the process (the script checks the process maps) or fail to load.
// Runs the script named by its first argument; exits 1 on an error.
#include <tcl.h>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s script\n", argv[0]);
        return 2;
    }
    Tcl_FindExecutable(argv[0]);
    Tcl_Interp* interp = Tcl_CreateInterp();
    int code = Tcl_Init(interp);
    if (code == TCL_OK) code = Tcl_EvalFile(interp, argv[1]);
    if (code != TCL_OK) {
        std::fprintf(stderr, "%s\n", Tcl_GetVar(interp, "errorInfo", TCL_GLOBAL_ONLY));
        return 1;
    }
    std::printf("%s\n", Tcl_GetStringResult(interp));
    Tcl_DeleteInterp(interp);
    Tcl_Finalize();
    return 0;
}
