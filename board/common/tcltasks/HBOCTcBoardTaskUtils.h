// The current board and board part of an interpreter, for the commands of
// this library and for other libraries of the application.
#pragma once

#include <tcl.h>

class HBOBoard;
class HBOBoardComponent;

namespace HBOCTcBoardTaskUtils {
// Evaluates "::board::current_board -quiet" afresh; null for a null
// interpreter or a failed evaluation. A result that is not a board object
// throws HTCErrors::type_error.
HBOBoard* get_current_board(Tcl_Interp* interp);
// The same with the host's "current_board_part -quiet".
HBOBoardComponent* get_current_board_part(Tcl_Interp* interp);
}  // namespace HBOCTcBoardTaskUtils
