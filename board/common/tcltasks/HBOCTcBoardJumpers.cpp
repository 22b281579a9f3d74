// ::board::get_board_jumpers: the jumpers of the current board (as
// ::board::current_board answers it) or of given boards, narrowed by names
// and a filter.
#include "HBOBoardModel.h"
#include "HBOCTcBoardQuery.h"
#include "HBOCTcInit.h"
#include "tcl_query.h"

namespace {
namespace common_get_board_jumpers {

using namespace tov::tcltasks;

struct tcl_extension {};
struct tuid {};
using scope = tcl_scope<tcl_extension, tuid>;

const char* const source_file = "board/common/tcltasks/HBOCTcBoardJumpers";

class task : public query_task<task, scope, HBOJumper*, of_types<HBOBoard*>> {
public:
    static constexpr const char* command_name = "::board::get_board_jumpers";
    static constexpr query_description description = {"Gets the list of board jumper objects",
                                                      "list of jumpers in the board", "Object:Board",
                                                      "match jumper names against patterns", nullptr};

    const char* owner() const override { return "board.common"; }

    // The current board is asked for whatever the options.
    int check(Tcl_Interp* interp) {
        if (HBOCTcBoardQuery::schema2_gate(source_file, 92) != TCL_OK) return TCL_ERROR;
        currentBoard_ = HBOCTcBoardQuery::evaluate_current_board(interp);
        return TCL_OK;
    }

    void gather_default(Tcl_Interp*) {
        if (!currentBoard_) return HBOCTcBoardQuery::send(source_file, 45, 0x20000000, "@49-60@");
        gather(currentBoard_);
    }

    void gather(HBOBoard* board) { board->getJumpers(result().get()); }

private:
    HBOBoard* currentBoard_ = nullptr;
};

class factory : public HTCIFactoryHelper<task> {};
using registration = command_registration<task, factory>;

}  // namespace common_get_board_jumpers
}  // namespace

void HBOCTcInit::HBOCTcBoardJumpers::init(Tcl_Interp* interp) { common_get_board_jumpers::registration::init(interp); }

void HBOCTcInit::HBOCTcBoardJumpers::uninit() { common_get_board_jumpers::registration::uninit(); }
