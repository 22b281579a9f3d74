// Entry pairs of the command files: init registers the file's command with
// the task manager, uninit removes it. The package entry calls only these.
#pragma once

#include <tcl.h>

namespace HBOCTcInit {
#define HBOCTC_COMMAND(File, name, group) \
    namespace File {                      \
    void init(Tcl_Interp* interp);        \
    void uninit();                        \
    }
#include "HBOCTcCommands.def"
#undef HBOCTC_COMMAND
}  // namespace HBOCTcInit
