#include "HBOCTcBoardTaskUtils.h"

#include "HBOBoardModel.h"
#include "HSTStringUtils.h"
#include "HTCErrors.h"
#include "tcl_command.h"

namespace {

using namespace tov::tcltasks;

struct tcl_extension {};
struct tuid {};
using scope = tcl_scope<tcl_extension, tuid>;

// The type error for an answer of command that is no `what` object; it
// says what the command answered.
HTCErrors::type_error no_object_answer(const char* command, Tcl_Obj* answer, const std::string& what) {
    const std::string text = Tcl_GetString(answer);
    if (text.empty()) {
        return HTCErrors::type_error("\"" + std::string(command) + "\" answered nothing where a " + what +
                                     " object is expected: there is no current " + what);
    }
    return HTCErrors::type_error("\"" + std::string(command) + "\" answered \"" + HSTStringUtils::excerpt(text) +
                                 "\", which is not a " + what + " object");
}

// Evaluates command (with -quiet) outside the journal and converts its
// result. Text is never read as an object: a result that is no native P is
// a type error.
template <class P>
P evaluate_current(Tcl_Interp* interp, const char* command, const std::string& what) {
    if (!interp) return nullptr;
    tclcmdobj evaluation(interp, std::string(command) + " -quiet");
    if (evaluation.eval(task_manager::dont_record_command, false) != TCL_OK) return nullptr;
    const tcl_obj_ref result = tcl_obj_ref::adopt(evaluation.get_result());
    if (!result) return nullptr;
    try {
        return scope::to_native<P>(result.get());
    } catch (const HTCErrors::not_implemented&) {
        throw no_object_answer(command, result.get(), what);
    }
}

}  // namespace

HBOBoard* HBOCTcBoardTaskUtils::get_current_board(Tcl_Interp* interp) {
    return evaluate_current<HBOBoard*>(interp, "::board::current_board", "board");
}

HBOBoardComponent* HBOCTcBoardTaskUtils::get_current_board_part(Tcl_Interp* interp) {
    return evaluate_current<HBOBoardComponent*>(interp, "current_board_part", "board part");
}
