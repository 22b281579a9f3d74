// ::board::create_board_diagram: a new, empty integrated board diagram. It
// is not opened: it exists as the returned object until it is written.
#include "HBOBoardDiagramMgr.h"
#include "HBOCTcDiagram.h"
#include "HBOCTcInit.h"

namespace {
namespace create_board_diagram {

using namespace tov::tcltasks;
using namespace tov::tcltasks::HTCTclTaskOptions;

struct tcl_extension {};
struct tuid {};
using scope = tcl_scope<tcl_extension, tuid>;

class task : public HTCITaskHelper<task> {
public:
    static constexpr const char* command_name = "::board::create_board_diagram";

    static void describe() {
        add_category("Object:Board");
        option_table("Create new board", "")
            .add_option("-name", scope::string_value(), OptionDescription("Name should of format <board_name>"))
            .add_option("-vendor", scope::string_value(), OptionDescription("Vendor should of format <vendor>"))
            .add_option("-version", scope::string_value(), OptionDescription("Version should of format <version>"))
            .add_option("-dir", scope::string_value(),
                        OptionDescription("dir should of format <absolute path to dir>"));
    }

    const char* owner() const override { return "board.common"; }

    // The identity is all three of -vendor, -name and -version, or the
    // default one: a partial identity is not used.
    int execute(Tcl_Interp* interp) override {
        const std::string name = read_option<std::string>("name");
        const std::string vendor = read_option<std::string>("vendor");
        const std::string version = read_option<std::string>("version");
        const std::string dir = read_option<std::string>("dir");
        HBOCTcDiagram::require_schema2("board/common/tcltasks/HBOTcCreateBoard", __LINE__);
        HBOBoard* diagram = new HBOBoard;
        HBOBoardDiagramMgr::getGlobal()->adoptBoard(diagram);  // freed once nothing refers to it
        if (!name.empty() && !vendor.empty() && !version.empty()) {
            diagram->setName(vendor, name, version);
        } else {
            diagram->setName("tesmar", "integ_test", "1.0");
        }
        diagram->setIntegrated(true);
        diagram->setRepository(dir);
        diagram->setBoardFile(dir + "/board.xml");
        return HBOCTcDiagram::set_board_result<scope>(interp, diagram);
    }
};

class factory : public HTCIFactoryHelper<task> {};
using registration = command_registration<task, factory>;

}  // namespace create_board_diagram
}  // namespace

void HBOCTcInit::HBOCTcCreateBoard::init(Tcl_Interp* interp) { create_board_diagram::registration::init(interp); }

void HBOCTcInit::HBOCTcCreateBoard::uninit() { create_board_diagram::registration::uninit(); }
