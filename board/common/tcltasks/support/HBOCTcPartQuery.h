// What the board part queries share: the current board part they start
// from when no -of_objects is given.
#pragma once

#include <tcl.h>

#include "ComMsgMgr.h"
#include "HBOBoardModel.h"
#include "HBOCTcBoardTaskUtils.h"
#include "HEXAll.h"

namespace HBOCTcPartQuery {

// The error "@49-60@": no current board part to start from.
[[noreturn]] inline void no_current_part(const char* sourceFile, int line) {
    throw HEXError(ComMsgMgrInstance::createInstance::eval(0, sourceFile, line, "board", 0x20000000, "@49-60@"));
}

// The current board part, or the error above. The type error of a lookup
// whose answer is no board part object passes through.
inline HBOBoardComponent* current_part(Tcl_Interp* interp, const char* sourceFile, int line) {
    HBOBoardComponent* part = HBOCTcBoardTaskUtils::get_current_board_part(interp);
    if (!part) no_current_part(sourceFile, line);
    return part;
}

}  // namespace HBOCTcPartQuery
