// ::board::get_board_component_modes: the modes of given components; enabled
// ones ("true" in any case) unless -all is given. There is no default object.
#include "HBOBoardModel.h"
#include "HBOCTcBoardQuery.h"
#include "HBOCTcInit.h"
#include "tcl_query.h"

namespace {
namespace common_get_board_component_modes {

using namespace tov::tcltasks;

struct tcl_extension {};
struct tuid {};
using scope = tcl_scope<tcl_extension, tuid>;

const char* const source_file = "board/common/tcltasks/HBOCTcBoardComponentModes";

class task : public query_task<task, scope, HBOComponentMode*, of_types<HBOBoardComponent*>> {
public:
    static constexpr const char* command_name = "::board::get_board_component_modes";
    static constexpr query_description description = {
        "Gets the list of component mode objects", "list of component modes in the board", "Object:Board",
        "match board component modes against patterns", "Returns all enabled as well as disabled interfaces"};

    const char* owner() const override { return "board.common"; }

    // Checked before -of_objects is looked at.
    int check(Tcl_Interp*) { return HBOCTcBoardQuery::schema2_gate(source_file, 111); }

    void gather_default(Tcl_Interp*) { HBOCTcBoardQuery::send(source_file, 65, 0x20000000, "@49-53@"); }

    void gather(HBOBoardComponent* component) { component->getComponentModes(gathered()); }

    void narrow() { keep_enabled_unless_all(HBOCTcBoardQuery::true_in_any_case); }
};

class factory : public HTCIFactoryHelper<task> {};
using registration = command_registration<task, factory>;

}  // namespace common_get_board_component_modes
}  // namespace

void HBOCTcInit::HBOCTcBoardComponentModes::init(Tcl_Interp* interp) {
    common_get_board_component_modes::registration::init(interp);
}

void HBOCTcInit::HBOCTcBoardComponentModes::uninit() { common_get_board_component_modes::registration::uninit(); }
