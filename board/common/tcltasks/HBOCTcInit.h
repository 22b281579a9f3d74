// Entry pairs of the command files: init registers the file's command with
// the task manager, uninit removes it. The package entry calls only these.
#pragma once

#include <tcl.h>

#define HBOCTC_ENTRY_PAIR(File)              \
    namespace File {                         \
    void init(Tcl_Interp* interp);           \
    void uninit();                           \
    }

namespace HBOCTcInit {
HBOCTC_ENTRY_PAIR(HBOCTcBoard)
HBOCTC_ENTRY_PAIR(HBOTcActiveBoard)
}  // namespace HBOCTcInit

#undef HBOCTC_ENTRY_PAIR
