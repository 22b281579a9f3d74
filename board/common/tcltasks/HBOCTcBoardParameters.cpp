// ::board::get_board_parameters: the parameters of the current board, or of
// given boards, components and bus interfaces, narrowed by names and a filter.
#include "HBOBoardModel.h"
#include "HBOCTcBoardQuery.h"
#include "HBOCTcBoardTaskUtils.h"
#include "HBOCTcInit.h"
#include "tcl_query.h"

namespace {
namespace common_get_board_parameters {

using namespace tov::tcltasks;

struct tcl_extension {};
struct tuid {};
using scope = tcl_scope<tcl_extension, tuid>;

const char* const source_file = "board/common/tcltasks/HBOCTcBoardParameters";

class task : public query_task<task, scope, HBOParameter*, of_types<HBOBoard*, HBOBoardComponent*, HBOBusIf*>> {
public:
    static constexpr const char* command_name = "::board::get_board_parameters";
    static constexpr query_description description = {"Gets the list of board parameter objects",
                                                      "list of parameters in the board", "Object:Board",
                                                      "match parameter names against patterns", nullptr};

    const char* owner() const override { return "board.common"; }

    int check(Tcl_Interp*) { return HBOCTcBoardQuery::schema2_gate(source_file, 118); }

    void gather_default(Tcl_Interp* interp) {
        HBOBoard* board = HBOCTcBoardTaskUtils::get_current_board(interp);
        if (!board) return HBOCTcBoardQuery::send(source_file, 72, 0x20000000, "@49-60@");
        gather(board);
    }

    void gather(HBOBoard* board) { board->getParameters(result().get()); }
    void gather(HBOBoardComponent* component) { component->getParameters(result().get()); }
    void gather(HBOBusIf* busIf) { busIf->getParameters(result().get()); }
};

class factory : public HTCIFactoryHelper<task> {};
using registration = command_registration<task, factory>;

}  // namespace common_get_board_parameters
}  // namespace

void HBOCTcInit::HBOCTcBoardParameters::init(Tcl_Interp* interp) {
    common_get_board_parameters::registration::init(interp);
}

void HBOCTcInit::HBOCTcBoardParameters::uninit() { common_get_board_parameters::registration::uninit(); }
