// ::board::close_board_diagram: removes the opened diagram of that name from
// the opened list. The diagram object stays valid.
#include "HBOBoardDiagramMgr.h"
#include "HBOCTcDiagram.h"
#include "HBOCTcInit.h"

namespace {
namespace close_board_diagram {

using namespace tov::tcltasks;
using namespace tov::tcltasks::HTCTclTaskOptions;

struct tcl_extension {};
struct tuid {};
using scope = tcl_scope<tcl_extension, tuid>;

class task : public HTCITaskHelper<task> {
public:
    static constexpr const char* command_name = "::board::close_board_diagram";

    static void describe() {
        add_category("Object:Board");
        option_table("Close current board", "")
            .add_option("-name", scope::string_value(),
                        OptionDescription("Name should of format <vendor:board_name:version>"));
    }

    const char* owner() const override { return "board.common"; }

    // A name that is not opened closes nothing, silently.
    int execute(Tcl_Interp*) override {
        HBOBoardDiagramMgr::getGlobal()->removeFromOpenedBoardDiagrams(read_option<std::string>("name"));
        return TCL_OK;
    }
};

class factory : public HTCIFactoryHelper<task> {};
using registration = command_registration<task, factory>;

}  // namespace close_board_diagram
}  // namespace

void HBOCTcInit::HBOCTcCloseBoardDiagram::init(Tcl_Interp* interp) { close_board_diagram::registration::init(interp); }

void HBOCTcInit::HBOCTcCloseBoardDiagram::uninit() { close_board_diagram::registration::uninit(); }
