// ::board::get_board_diagrams: the opened diagrams, in opening order,
// narrowed by names and a filter. -of_objects is declared but not read.
#include <vector>

#include "HBOBoardDiagramMgr.h"
#include "HBOCTcDiagram.h"
#include "HBOCTcInit.h"

namespace {
namespace get_board_diagram {

using namespace tov::tcltasks;

struct tcl_extension {};
struct tuid {};
using scope = tcl_scope<tcl_extension, tuid>;

class task : public query_task<task, scope, HBOBoard*, HBOCTcDiagram::board_types> {
public:
    static constexpr const char* command_name = "::board::get_board_diagrams";
    static constexpr query_description description = {"Get the list of opened board diagrams", "opened board diagrams",
                                                      "Object:Board", "Match Board Part names against patterns",
                                                      nullptr};
    static constexpr filter_settings filtering = {false, false};

    const char* owner() const override { return "board.common"; }

    void gather_all(Tcl_Interp*) {
        std::vector<HBOBoard*> opened;
        HBOBoardDiagramMgr::getGlobal()->getOpenedBoardDiagrams(opened);
        for (HBOBoard* diagram : opened) result().push_back(diagram);
    }
};

class factory : public HTCIFactoryHelper<task> {};
using registration = command_registration<task, factory>;

}  // namespace get_board_diagram
}  // namespace

void HBOCTcInit::HBOCTcGetBoardDiagram::init(Tcl_Interp* interp) { get_board_diagram::registration::init(interp); }

void HBOCTcInit::HBOCTcGetBoardDiagram::uninit() { get_board_diagram::registration::uninit(); }
