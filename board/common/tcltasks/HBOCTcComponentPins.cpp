// ::board::get_board_component_pins: the pins of given board components and
// bus nets, narrowed by names and a filter. There is no default object.
#include "HBOBoardModel.h"
#include "HBOCTcBoardQuery.h"
#include "HBOCTcInit.h"
#include "tcl_query.h"

namespace {
namespace common_get_board_component_pins {

using namespace tov::tcltasks;

struct tcl_extension {};
struct tuid {};
using scope = tcl_scope<tcl_extension, tuid>;

const char* const source_file = "board/common/tcltasks/HBOCTcComponentPins";

class task : public query_task<task, scope, HBOPinProps*, of_types<HBOBoardComponent*, HBOBoardBusNet*>> {
public:
    static constexpr const char* command_name = "::board::get_board_component_pins";
    static constexpr query_description description = {"Gets the list of board_part pins object",
                                                      "list of pins in the board_part", "Object:Board",
                                                      "match board component pin names against patterns", nullptr};

    const char* owner() const override { return "board.common"; }

    int check(Tcl_Interp*) { return HBOCTcBoardQuery::schema2_gate(source_file, __LINE__); }

    // Without -of_objects there is nothing to list: said, not an error.
    void gather_default(Tcl_Interp*) { HBOCTcBoardQuery::send(source_file, __LINE__, 0x20000000, "@49-53@"); }

    void gather(HBOBoardComponent* component) { component->getPinsVec(result().get()); }
    void gather(HBOBoardBusNet* net) { net->getPinsVec(result().get()); }
};

class factory : public HTCIFactoryHelper<task> {};
using registration = command_registration<task, factory>;

}  // namespace common_get_board_component_pins
}  // namespace

void HBOCTcInit::HBOCTcComponentPins::init(Tcl_Interp* interp) {
    common_get_board_component_pins::registration::init(interp);
}

void HBOCTcInit::HBOCTcComponentPins::uninit() { common_get_board_component_pins::registration::uninit(); }
