#include "HBOCTcBoardQuery.h"

#include "ComMsgMgr.h"
#include "HBOBoardModel.h"
#include "HBOBoardUtils.h"
#include "HSTStringUtils.h"
#include "tcl_command.h"

namespace {

using namespace tov::tcltasks;

struct tcl_extension {};
struct tuid {};
using scope = tcl_scope<tcl_extension, tuid>;

// Releases the evaluation's result reference on every path.
struct result_reference {
    Tcl_Obj* obj;
    ~result_reference() {
        if (obj) Tcl_DecrRefCount(obj);
    }
};

}  // namespace

bool HBOCTcBoardQuery::exactly_true(const std::string& enabled) { return enabled.compare("true") == 0; }

bool HBOCTcBoardQuery::true_in_any_case(const std::string& enabled) { return HSTStringUtils::iequals(enabled, "true"); }

void HBOCTcBoardQuery::send(const char* sourceFile, int line, unsigned mask, const char* id) {
    ComMsgMgr::sendMsg::eval(0, sourceFile, line, "board", mask, id);
}

int HBOCTcBoardQuery::schema2_gate(const char* sourceFile, int line) {
    if (HBOBoardUtils::isV2SchemaEnabled()) return TCL_OK;
    send(sourceFile, line, 0x20000000, "@49-58@");
    return TCL_ERROR;
}

HBOBoard* HBOCTcBoardQuery::evaluate_current_board(Tcl_Interp* interp) {
    tclcmdobj evaluation(interp, "::board::current_board");
    evaluation.eval(task_manager::dont_record_command, false);
    const result_reference result{evaluation.get_result()};
    if (!result.obj) return nullptr;
    tcl_collection<HSTVector<HBOBoard*>> boards = scope::to_collection<HBOBoard*>(interp, result.obj);
    return boards.empty() ? nullptr : boards[0];
}
