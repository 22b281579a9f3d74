// ::board::current_board: the board of the project's current board part,
// asked of the host afresh at every call.
#include "ComMsgMgr.h"
#include "HBOBoardModel.h"
#include "HBOCTcBoardTaskUtils.h"
#include "HBOCTcInit.h"
#include "tcl_command.h"

namespace {
namespace get_board {

using namespace tov::tcltasks;

struct tcl_extension {};
struct tuid {};
using scope = tcl_scope<tcl_extension, tuid>;

const char* const source_file = "board/common/tcltasks/HBOTcActiveBoard";

class task : public HTCITaskHelper<task> {
public:
    static constexpr const char* command_name = "::board::current_board";

    static void describe() {
        add_category("Object");
        add_category("Board");
        option_table("Get the current board object", "current board object");
    }

    const char* owner() const override { return "board.common"; }

    // A missing board is a report, not an error.
    int execute(Tcl_Interp* interp) override {
        HBOBoardComponent* part = HBOCTcBoardTaskUtils::get_current_board_part(interp);
        if (!part) return report_no_board(interp, __LINE__);
        HBOBoard* board = part->getBoard();
        if (!board) return report_no_board(interp, __LINE__);
        if (Tcl_Obj* object = scope::to_tcl(board)) Tcl_SetObjResult(interp, object);
        return TCL_OK;
    }

private:
    // The result is left empty, rather than holding the error text of the
    // failed nested command.
    static int report_no_board(Tcl_Interp* interp, int line) {
        Tcl_ResetResult(interp);
        ComMsgMgr::sendMsg::eval(0, source_file, line, "board", 0x20000000, "@49-53@");
        return TCL_OK;
    }
};

class factory : public HTCIFactoryHelper<task> {};
using registration = command_registration<task, factory>;

}  // namespace get_board
}  // namespace

void HBOCTcInit::HBOTcActiveBoard::init(Tcl_Interp* interp) { get_board::registration::init(interp); }

void HBOCTcInit::HBOTcActiveBoard::uninit() { get_board::registration::uninit(); }
