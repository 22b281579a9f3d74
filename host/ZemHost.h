// The host commands: current board part, parameters, properties, help and
// the framework's collection commands.
#pragma once

#include <tcl.h>

extern "C" int Zem_host_Init(Tcl_Interp* interp);

namespace zemhost {
// Forgets the selected board part, as a new project starts without one: for
// programs that run many sessions in one process, such as the fuzz targets.
void forget_board_part();
}  // namespace zemhost
