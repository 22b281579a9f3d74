#include "HBOCTcBoardTaskUtils.h"

#include "HBOBoardModel.h"
#include "HTCErrors.h"
#include "tcl_command.h"

namespace {

using namespace tov::tcltasks;

struct tcl_extension {};
struct tuid {};
using scope = tcl_scope<tcl_extension, tuid>;

// Evaluates command outside the journal and converts its result. Text is
// never read as an object: a result that is no native P is a type error.
template <class P>
P evaluate_current(Tcl_Interp* interp, const char* command) {
    if (!interp) return nullptr;
    tclcmdobj evaluation(interp, command);
    if (evaluation.eval(task_manager::dont_record_command, false) != TCL_OK) return nullptr;
    Tcl_Obj* result = evaluation.get_result();
    if (!result) return nullptr;
    try {
        P object = scope::to_native<P>(result);
        Tcl_DecrRefCount(result);
        return object;
    } catch (const HTCErrors::not_implemented&) {
        Tcl_DecrRefCount(result);
        throw HTCErrors::type_error();
    } catch (...) {
        Tcl_DecrRefCount(result);
        throw;
    }
}

}  // namespace

HBOBoard* HBOCTcBoardTaskUtils::get_current_board(Tcl_Interp* interp) {
    return evaluate_current<HBOBoard*>(interp, "::board::current_board -quiet");
}

HBOBoardComponent* HBOCTcBoardTaskUtils::get_current_board_part(Tcl_Interp* interp) {
    return evaluate_current<HBOBoardComponent*>(interp, "current_board_part -quiet");
}
