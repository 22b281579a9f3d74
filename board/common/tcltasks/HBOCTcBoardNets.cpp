// ::board::get_board_bus_nets: the nets of given buses, of the buses that
// touch given components, or the nets that end on given pins; enabled ones
// (exactly "true") unless -all is given. There is no default object.
#include <cstdint>
#include <string>
#include <vector>

#include "HBOBoardModel.h"
#include "HBOCTcBoardQuery.h"
#include "HBOCTcInit.h"
#include "tcl_query.h"

namespace {
namespace common_get_board_bus_nets {

using namespace tov::tcltasks;

struct tcl_extension {};
struct tuid {};
using scope = tcl_scope<tcl_extension, tuid>;

const char* const source_file = "board/common/tcltasks/HBOCTcBoardNets";

class task : public query_task<task, scope, HBOBoardBusNet*, of_types<HBOBoardBus*, HBOBoardComponent*, HBOPinProps*>> {
public:
    static constexpr const char* command_name = "::board::get_board_bus_nets";
    static constexpr query_description description = {
        "Gets the list of board bus net objects", "list of bus nets in the board", "Object:Board",
        "match board net names against patterns", "Returns all enabled as well as disabled buses"};

    const char* owner() const override { return "board.common"; }

    // The current board is asked for as get_board_buses does, though no
    // later step uses it: its report reaches the user the same way.
    int check(Tcl_Interp* interp) {
        if (HBOCTcBoardQuery::schema2_gate(source_file, 139) != TCL_OK) return TCL_ERROR;
        HBOCTcBoardQuery::evaluate_current_board(interp);
        return TCL_OK;
    }

    void gather_default(Tcl_Interp*) { HBOCTcBoardQuery::send(source_file, 93, 0x20000000, "@49-53@"); }

    void gather(HBOBoardBus* bus) { bus->getBoardBusNets(gathered()); }
    // A component of no board contributes nothing.
    void gather(HBOBoardComponent* component) {
        if (HBOBoard* board = component->getBoard())
            board->getNetsOfComponent(component->getComponentName(), gathered());
    }

    // The nets whose end on the pin's component has the pin's index, bus by
    // bus in board order; a net whose two ends are this pin is taken once.
    void gather(HBOPinProps* pin) {
        HBOBoardComponent* owner = pin->getOwner();
        HBOBoard* board = owner ? owner->getBoard() : nullptr;
        if (board) board->getNetsOfPin(owner->getComponentName(), pin->getPinIndex(), gathered());
    }

    void narrow() { keep_enabled_unless_all(HBOCTcBoardQuery::exactly_true); }
};

class factory : public HTCIFactoryHelper<task> {};
using registration = command_registration<task, factory>;

}  // namespace common_get_board_bus_nets
}  // namespace

void HBOCTcInit::HBOCTcBoardNets::init(Tcl_Interp* interp) { common_get_board_bus_nets::registration::init(interp); }

void HBOCTcInit::HBOCTcBoardNets::uninit() { common_get_board_bus_nets::registration::uninit(); }
