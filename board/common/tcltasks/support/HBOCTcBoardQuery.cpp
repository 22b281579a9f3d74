#include "HBOCTcBoardQuery.h"

#include <vector>

#include "ComMsgMgr.h"
#include "HBOBoardModel.h"
#include "HBOBoardUtils.h"
#include "HSTStringUtils.h"
#include "HTCErrors.h"
#include "tcl_command.h"

namespace {

using namespace tov::tcltasks;

struct tcl_extension {};
struct tuid {};
using scope = tcl_scope<tcl_extension, tuid>;

}  // namespace

bool HBOCTcBoardQuery::exactly_true(const std::string& enabled) { return enabled == "true"; }

bool HBOCTcBoardQuery::true_in_any_case(const std::string& enabled) { return HSTStringUtils::iequals(enabled, "true"); }

void HBOCTcBoardQuery::send(const char* sourceFile, int line, unsigned mask, const char* id) {
    ComMsgMgr::sendMsg::eval(0, sourceFile, line, "board", mask, id);
}

void HBOCTcBoardQuery::warn(const char* sourceFile, int line, const char* id,
                            std::initializer_list<std::string> arguments) {
    std::vector<const char*> texts;
    for (const std::string& argument : arguments) texts.push_back(argument.c_str());
    texts.resize(4, "");
    ComMsgMgr::sendMsg::eval(static_cast<int>(arguments.size()), sourceFile, line, "board", HMSG_MASK_WARNING, id,
                             texts[0], texts[1], texts[2], texts[3]);
}

int HBOCTcBoardQuery::schema2_gate(const char* sourceFile, int line) {
    if (HBOBoardUtils::isV2SchemaEnabled()) return TCL_OK;
    send(sourceFile, line, 0x20000000, "@49-58@");
    return TCL_ERROR;
}

HBOBoard* HBOCTcBoardQuery::evaluate_current_board(Tcl_Interp* interp) {
    tcl_collection<HSTVector<HBOBoard*>> boards = evaluate_boards(interp, "::board::current_board");
    return boards.empty() ? nullptr : boards[0];
}

tcl_collection<HSTVector<HBOBoard*>> HBOCTcBoardQuery::evaluate_boards(Tcl_Interp* interp, const char* command) {
    tclcmdobj evaluation(interp, command);
    const int status = evaluation.eval(task_manager::dont_record_command, false);
    const tcl_obj_ref result = tcl_obj_ref::adopt(evaluation.get_result());
    if (!result) return {};
    try {
        return scope::to_collection<HBOBoard*>(interp, result.get());
    } catch (const HTCErrors::not_implemented&) {
        const std::string answer = HSTStringUtils::excerpt(Tcl_GetString(result.get()));
        throw HTCErrors::type_error("\"" + std::string(command) + "\" " +
                                    (status == TCL_OK ? "answered \"" + answer + "\", which is no board object"
                                                      : "failed (" + answer + ") and gave no board"));
    }
}
