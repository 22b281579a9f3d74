// Entry of the host library: the host commands and the framework's
// collection commands. Loadable from a plain tclsh with "load".
#include "ZemHost.h"

#include "HostCommands.h"
#include "HTCTclUtils.h"
#include "tcltasks_framework.h"
#include "ZemCommon.h"

extern "C" int Zem_host_Init(Tcl_Interp* interp) {
    if (!Tcl_InitStubs(interp, "8.6", 0) || Zem_common_Init(interp) != TCL_OK) return TCL_ERROR;
    try {
        HTCTclUtils::setInterp(interp);
        zemhost::register_board_part_command(interp);
        zemhost::register_param_commands(interp);
        zemhost::register_property_commands(interp);
        zemhost::register_help_command(interp);
        tov::tcltasks::register_collection_commands(interp);
    } catch (const std::exception& error) {
        Tcl_SetObjResult(interp, Tcl_NewStringObj(error.what(), -1));
        return TCL_ERROR;
    }
    return TCL_OK;
}
