// ::board::get_board_component_interfaces: the bus interfaces of every
// component of the current board or of given boards, or of given components;
// enabled ones ("true" in any case) unless -all is given.
#include <vector>

#include "HBOBoardModel.h"
#include "HBOCTcBoardQuery.h"
#include "HBOCTcBoardTaskUtils.h"
#include "HBOCTcInit.h"
#include "tcl_query.h"

namespace {
namespace get_board_component_interfaces {

using namespace tov::tcltasks;

struct tcl_extension {};
struct tuid {};
using scope = tcl_scope<tcl_extension, tuid>;

class task : public query_task<task, scope, HBOBusIf*, of_types<HBOBoard*, HBOBoardComponent*>> {
public:
    static constexpr const char* command_name = "::board::get_board_component_interfaces";
    static constexpr query_description description = {
        "Gets the list of interfaces in the board components that implement busdef specified by VLNV",
        "list of bus interfaces", "Object:Board", "Match Bus Interface names against patterns",
        "Returns all enabled as well as disabled interfaces"};

    const char* owner() const override { return "board.common"; }

    // No current board is reported; the result is then empty, not an error.
    void gather_default(Tcl_Interp* interp) {
        HBOBoard* board = HBOCTcBoardTaskUtils::get_current_board(interp);
        if (!board) {
            return HBOCTcBoardQuery::send("board/common/tcltasks/HBOCTcBoardComponentInterfaces", 67, 0x20000000,
                                          "@49-53@");
        }
        gather(board);
    }

    // Component by component, in the board's order.
    void gather(HBOBoard* board) {
        std::vector<HBOBoardComponent*> components;
        board->getBoardComponentsVec(components);
        for (HBOBoardComponent* component : components) {
            if (component) gather(component);
        }
    }
    void gather(HBOBoardComponent* component) { component->getBusIfSeq(gathered(), true); }

    void narrow() { keep_enabled_unless_all(HBOCTcBoardQuery::true_in_any_case); }
};

class factory : public HTCIFactoryHelper<task> {};
using registration = command_registration<task, factory>;

}  // namespace get_board_component_interfaces
}  // namespace

void HBOCTcInit::HBOCTcBoardComponentInterfaces::init(Tcl_Interp* interp) {
    get_board_component_interfaces::registration::init(interp);
}

void HBOCTcInit::HBOCTcBoardComponentInterfaces::uninit() { get_board_component_interfaces::registration::uninit(); }
