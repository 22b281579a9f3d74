// ::board::current_board_diagram: the current diagram, or, with -name, the
// opened diagram of that name made current.
#include "HBOBoardDiagramMgr.h"
#include "HBOCTcDiagram.h"
#include "HBOCTcInit.h"

namespace {
namespace current_board_diagram {

using namespace tov::tcltasks;
using namespace tov::tcltasks::HTCTclTaskOptions;

struct tcl_extension {};
struct tuid {};
using scope = tcl_scope<tcl_extension, tuid>;

class task : public HTCITaskHelper<task> {
public:
    static constexpr const char* command_name = "::board::current_board_diagram";

    static void describe() {
        add_category("Object:Board");
        option_table("Get the current board diagram object", "current board diagram object")
            .add_option("-name", scope::string_value(),
                        OptionDescription("Name should of format <vendor:board_name:version>"));
    }

    const char* owner() const override { return "board.common"; }

    // An unknown name selects nothing and answers nothing.
    int execute(Tcl_Interp* interp) override {
        const std::string name = read_option<std::string>("name");
        HBOBoardDiagramMgr* diagrams = HBOBoardDiagramMgr::getGlobal();
        HBOBoard* diagram = name.empty() ? diagrams->getCurrentBoardDiagram() : diagrams->setCurrentBoardDiagram(name);
        return HBOCTcDiagram::set_board_result<scope>(interp, diagram);
    }
};

class factory : public HTCIFactoryHelper<task> {};
using registration = command_registration<task, factory>;

}  // namespace current_board_diagram
}  // namespace

void HBOCTcInit::HBOCTcCurrentBoardDiagram::init(Tcl_Interp* interp) {
    current_board_diagram::registration::init(interp);
}

void HBOCTcInit::HBOCTcCurrentBoardDiagram::uninit() { current_board_diagram::registration::uninit(); }
