// ::board::create_board_instance: a copy of a base board under an instance
// name, recorded in the diagram as a connected board.
#include "HBOBoardDiagramMgr.h"
#include "HBOCTcDiagram.h"
#include "HBOCTcInit.h"

namespace {
namespace create_board_instance {

using namespace tov::tcltasks;
using namespace tov::tcltasks::HTCTclTaskOptions;

struct tcl_extension {};
struct tuid {};
using scope = tcl_scope<tcl_extension, tuid>;

const char* const source_file = "board/common/tcltasks/HBOTcAddBoardInstance";

class task : public HTCITaskHelper<task> {
public:
    static constexpr const char* command_name = "::board::create_board_instance";

    static void describe() {
        add_category("Object:Board");
        options_description& table =
            option_table("Add a board with instance name", "add a board")
                .add_option("-board", scope::object_list_value(), OptionDescription("Board Object to be connected"))
                .add_option("-name", scope::string_value(), OptionDescription("Instance name of the board"))
                .add_option("-integrated_board", scope::object_list_value(),
                            OptionDescription("Integrated_board object"));
        positional_table().add("integrated_board", 1);
        HBOCTcDiagram::declare_of_objects<scope>(table);
    }

    const char* owner() const override { return "board.common"; }

    // An empty instance name makes the instance but records nothing.
    int execute(Tcl_Interp* interp) override {
        const std::string instanceName = read_option<std::string>("name");
        const object_list boards = read_option<object_list>("board");
        HBOCTcDiagram::require_given(boards, "-board");
        HBOCTcDiagram::require_single(boards, source_file, __LINE__);
        HBOCTcDiagram::require_schema2(source_file, __LINE__);
        HBOBoard* diagram = HBOCTcDiagram::diagram_argument(
            read_option<object_list>("integrated_board"), "create_board_instance: Cannot find integrated_board object");
        HBOBoard* base = HBOCTcDiagram::board_of(boards[0]);
        if (!base) {
            HBOCTcDiagram::report(source_file, __LINE__, 0x8000000, "@49-65@");
            return TCL_OK;
        }
        HBOBoard* instance = new HBOBoard(*base, instanceName);
        HBOBoardDiagramMgr::getGlobal()->adoptBoard(instance);  // freed once nothing refers to it
        if (!instanceName.empty()) diagram->addConnectedBoard(instanceName, base->getName());
        return HBOCTcDiagram::set_board_result<scope>(interp, instance);
    }
};

class factory : public HTCIFactoryHelper<task> {};
using registration = command_registration<task, factory>;

}  // namespace create_board_instance
}  // namespace

void HBOCTcInit::HBOCTcAddBoardInstance::init(Tcl_Interp* interp) { create_board_instance::registration::init(interp); }

void HBOCTcInit::HBOCTcAddBoardInstance::uninit() { create_board_instance::registration::uninit(); }
