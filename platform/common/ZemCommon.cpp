#include "ZemCommon.h"

#include <tcl.h>

extern "C" int Zem_common_Init(Tcl_Interp* interp) { return Tcl_InitStubs(interp, "8.6", 0) ? TCL_OK : TCL_ERROR; }
