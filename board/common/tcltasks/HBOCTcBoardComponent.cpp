// ::board::get_board_components: the components of the current board, of
// given boards or buses, or the owners of given pins; enabled ones unless
// -all is given.
#include "HBOBoardModel.h"
#include "HBOBoardUtils.h"
#include "HBOCTcBoardQuery.h"
#include "HBOCTcBoardTaskUtils.h"
#include "HBOCTcInit.h"
#include "tcl_query.h"

namespace {
namespace common_get_board_components {

using namespace tov::tcltasks;

struct tcl_extension {};
struct tuid {};
using scope = tcl_scope<tcl_extension, tuid>;

const char* const source_file = "board/common/tcltasks/HBOTcBoardComponent";

class task : public query_task<task, scope, HBOBoardComponent*, of_types<HBOBoard*, HBOBoardBus*, HBOPinProps*>> {
public:
    static constexpr const char* command_name = "::board::get_board_components";
    static constexpr query_description description = {
        "Get the list of components available in the board", "list of component objects", "Object:Board",
        "Match component names against patterns", "Returns all enabled as well as disabled components"};
    static constexpr filter_settings filtering = {false, false};

    const char* owner() const override { return "board.common"; }
    bool is_hidden() const override { return !HBOBoardUtils::isV2SchemaEnabled(); }

    // The switch may have been turned off after the command was registered.
    int check(Tcl_Interp*) { return HBOCTcBoardQuery::schema2_gate(source_file, __LINE__); }

    // No current board is reported; the result is then empty, not an error.
    void gather_default(Tcl_Interp* interp) {
        HBOBoard* board = HBOCTcBoardTaskUtils::get_current_board(interp);
        if (!board) return HBOCTcBoardQuery::send(source_file, __LINE__, 0x20000000, "@49-53@");
        gather(board);
    }

    void gather(HBOBoard* board) { board->getBoardComponentsVec(gathered()); }
    void gather(HBOBoardBus* bus) { bus->getBusComponentsVec(gathered()); }
    void gather(HBOPinProps* pin) {
        if (HBOBoardComponent* owner = pin->getOwner()) result().push_back(owner);
    }

    void narrow() { keep_enabled_unless_all(HBOCTcBoardQuery::true_in_any_case); }
};

class factory : public HTCIFactoryHelper<task> {};
using registration = command_registration<task, factory>;

}  // namespace common_get_board_components
}  // namespace

void HBOCTcInit::HBOCTcBoardComponent::init(Tcl_Interp* interp) {
    common_get_board_components::registration::init(interp);
}

void HBOCTcInit::HBOCTcBoardComponent::uninit() { common_get_board_components::registration::uninit(); }
