// ::board::get_board_buses: the buses of the current board, of given boards,
// the buses that touch given components, or the buses of given nets; enabled
// ones (exactly "true") unless -all is given.
#include "HBOBoardModel.h"
#include "HBOCTcBoardQuery.h"
#include "HBOCTcInit.h"
#include "tcl_query.h"

namespace {
namespace common_get_board_buses {

using namespace tov::tcltasks;

struct tcl_extension {};
struct tuid {};
using scope = tcl_scope<tcl_extension, tuid>;

const char* const source_file = "board/common/tcltasks/HBOCTcBoardBuses";

class task : public query_task<task, scope, HBOBoardBus*, of_types<HBOBoard*, HBOBoardComponent*, HBOBoardBusNet*>> {
public:
    static constexpr const char* command_name = "::board::get_board_buses";
    static constexpr query_description description = {
        "Gets the list of board bus objects", "list of buses in the board", "Object:Board",
        "match board bus names against patterns", "Returns all enabled as well as disabled buses"};

    const char* owner() const override { return "board.common"; }

    // The current board is asked for whatever the options.
    int check(Tcl_Interp* interp) {
        if (HBOCTcBoardQuery::schema2_gate(source_file, 118) != TCL_OK) return TCL_ERROR;
        currentBoard_ = HBOCTcBoardQuery::evaluate_current_board(interp);
        return TCL_OK;
    }

    void gather_default(Tcl_Interp*) {
        if (!currentBoard_) return HBOCTcBoardQuery::send(source_file, 67, 0x20000000, "@49-60@");
        gather(currentBoard_);
    }

    void gather(HBOBoard* board) { board->getBuses(gathered()); }
    // A component of no board contributes nothing.
    void gather(HBOBoardComponent* component) {
        if (HBOBoard* board = component->getBoard())
            board->getBusesOfComponent(component->getComponentName(), gathered());
    }
    void gather(HBOBoardBusNet* net) {
        if (HBOBoardBus* bus = net->getOwner()) result().push_back(bus);
    }

    void narrow() { keep_enabled_unless_all(HBOCTcBoardQuery::exactly_true); }

private:
    HBOBoard* currentBoard_ = nullptr;
};

class factory : public HTCIFactoryHelper<task> {};
using registration = command_registration<task, factory>;

}  // namespace common_get_board_buses
}  // namespace

void HBOCTcInit::HBOCTcBoardBuses::init(Tcl_Interp* interp) { common_get_board_buses::registration::init(interp); }

void HBOCTcInit::HBOCTcBoardBuses::uninit() { common_get_board_buses::registration::uninit(); }
