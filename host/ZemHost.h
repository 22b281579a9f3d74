// The host commands: current board part, parameters, properties, help and
// the framework's collection commands.
#pragma once

#include <tcl.h>

extern "C" int Zem_host_Init(Tcl_Interp* interp);
