// ::board::get_board_ip_preferences: the preferred IPs of given component
// modes and bus interfaces, narrowed by names and a filter. There is no
// default object.
#include "HBOBoardModel.h"
#include "HBOCTcBoardQuery.h"
#include "HBOCTcInit.h"
#include "tcl_query.h"

namespace {
namespace common_get_board_ip_preferences {

using namespace tov::tcltasks;

struct tcl_extension {};
struct tuid {};
using scope = tcl_scope<tcl_extension, tuid>;

const char* const source_file = "board/common/tcltasks/HBOCTcBoardUserPreferences";

class task : public query_task<task, scope, HBOBusIfPreference*, of_types<HBOComponentMode*, HBOBusIf*>> {
public:
    static constexpr const char* command_name = "::board::get_board_ip_preferences";
    static constexpr query_description description = {"Gets the list of ip preference objects",
                                                      "list of ip preferences for the component", "Object:Board",
                                                      "match ip preferences against patterns", nullptr};

    const char* owner() const override { return "board.common"; }

    // "current_board" is evaluated as written, so the host's import decides
    // which command answers; its boards are not used, but an answer that is
    // not boards ends the command.
    int check(Tcl_Interp* interp) {
        if (HBOCTcBoardQuery::schema2_gate(source_file, __LINE__) != TCL_OK) return TCL_ERROR;
        HBOCTcBoardQuery::evaluate_boards(interp, "current_board");
        return TCL_OK;
    }

    // Without -of_objects there is nothing to list: said, not an error.
    void gather_default(Tcl_Interp*) { HBOCTcBoardQuery::send(source_file, __LINE__, 0x20000000, "@49-53@"); }

    void gather(HBOComponentMode* mode) { mode->getPreferredIps(result().get()); }
    void gather(HBOBusIf* busIf) { busIf->getPreferences(result().get()); }
};

class factory : public HTCIFactoryHelper<task> {};
using registration = command_registration<task, factory>;

}  // namespace common_get_board_ip_preferences
}  // namespace

void HBOCTcInit::HBOCTcBoardUserPreferences::init(Tcl_Interp* interp) {
    common_get_board_ip_preferences::registration::init(interp);
}

void HBOCTcInit::HBOCTcBoardUserPreferences::uninit() { common_get_board_ip_preferences::registration::uninit(); }
