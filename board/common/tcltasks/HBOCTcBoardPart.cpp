// board_common::get_board_parts: the board part (FPGA component) of every
// board of the repository, or of the boards given with -of_objects. Finding
// none is a failure.
#include <vector>

#include "HBOBoardCReposMgr.h"
#include "HBOBoardModel.h"
#include "HBOCTcBoardQuery.h"
#include "HBOCTcInit.h"
#include "tcl_query.h"

namespace {
namespace common_get_board_parts {

using namespace tov::tcltasks;

struct tcl_extension {};
struct tuid {};
using scope = tcl_scope<tcl_extension, tuid>;

class task : public query_task<task, scope, HBOBoardComponent*, of_types<HBOBoard*>> {
public:
    static constexpr const char* command_name = "board_common::get_board_parts";
    static constexpr query_description description = {"Get the list of board_part available in the board repository",
                                                      "list of board_part objects", "Object:QRV:Board",
                                                      "Match Board Part names against patterns", nullptr};
    static constexpr filter_settings filtering = {false, false};

    const char* owner() const override { return "board.common"; }

    void gather_default(Tcl_Interp*) {
        std::vector<HBOBoard*> boards;
        HBOBoardCReposMgr::getGlobal()->appendAllBoards(boards);
        for (HBOBoard* board : boards) {
            if (board) gather(board);
        }
    }

    // A board without an FPGA component contributes nothing.
    void gather(HBOBoard* board) {
        if (HBOBoardComponent* part = board->findFpgaComponent()) result().push_back(part);
    }

    // The empty collection stays the result of the failed command.
    int finish(Tcl_Interp*) {
        if (!result().empty()) return TCL_OK;
        HBOCTcBoardQuery::send("board/common/tcltasks/HBOCTcBoardPart", __LINE__, 0x4000000, "@49-75@");
        return TCL_ERROR;
    }
};

class factory : public HTCIFactoryHelper<task> {};
using registration = command_registration<task, factory>;

}  // namespace common_get_board_parts
}  // namespace

void HBOCTcInit::HBOCTcBoardPart::init(Tcl_Interp* interp) { common_get_board_parts::registration::init(interp); }

void HBOCTcInit::HBOCTcBoardPart::uninit() { common_get_board_parts::registration::uninit(); }
