// ::board::connect_board_components: records in a diagram that a connector
// component of one board is joined to a connector component of another.
#include "HBOCTcDiagram.h"
#include "HBOCTcInit.h"

namespace {
namespace connect_board_components {

using namespace tov::tcltasks;
using namespace tov::tcltasks::HTCTclTaskOptions;

struct tcl_extension {};
struct tuid {};
using scope = tcl_scope<tcl_extension, tuid>;

const char* const source_file = "board/common/tcltasks/HBOTcConnectBoards";

// One end of a connection: the owning board's board name and the component name.
struct connection_end {
    std::string board;
    std::string component;
};

class task : public HTCITaskHelper<task> {
public:
    static constexpr const char* command_name = "::board::connect_board_components";

    static void describe() {
        add_category("Object:Board");
        options_description& table =
            option_table("Connect two boards through connector components", "connect board components")
                .add_option("-component1", scope::object_list_value(),
                            OptionDescription("Component Object to be connected"))
                .add_option("-component2", scope::object_list_value(),
                            OptionDescription("Component Object to be connected"))
                .add_option("-integrated_board", scope::object_list_value(),
                            OptionDescription("Integrated_board object"));
        positional_table().add("component1", 1).add("component2", 1).add("integrated_board", 1);
        HBOCTcDiagram::declare_of_objects<scope>(table);
    }

    const char* owner() const override { return "board.common"; }

    // A side that is not a component of a board is recorded with empty names.
    int execute(Tcl_Interp*) override {
        const object_list first = read_option<object_list>("component1");
        const object_list second = read_option<object_list>("component2");
        HBOCTcDiagram::require_given(first, "-component1");
        HBOCTcDiagram::require_given(second, "-component2");
        HBOCTcDiagram::require_single(first, source_file, __LINE__);
        HBOCTcDiagram::require_single(second, source_file, __LINE__);
        HBOCTcDiagram::require_schema2(source_file, __LINE__);
        const connection_end one = end_of(first[0]);
        const connection_end two = end_of(second[0]);
        HBOBoard* diagram =
            HBOCTcDiagram::diagram_argument(read_option<object_list>("integrated_board"),
                                            "connect_board_components: Cannot find integrated_board object");
        diagram->addConnectedComponents(one.board, one.component, two.board, two.component);
        return TCL_OK;
    }

private:
    static connection_end end_of(const tclany& value) {
        HBOBoardComponent* const* component = tclany_cast<HBOBoardComponent*>(value);
        if (!component || !*component || !(*component)->getBoard()) {
            HBOCTcDiagram::report(source_file, __LINE__, 0x8000000, "@49-65@");
            return {};
        }
        return {(*component)->getBoard()->getBoardName(), (*component)->getComponentName()};
    }
};

class factory : public HTCIFactoryHelper<task> {};
using registration = command_registration<task, factory>;

}  // namespace connect_board_components
}  // namespace

void HBOCTcInit::HBOCTcConnectBoards::init(Tcl_Interp* interp) { connect_board_components::registration::init(interp); }

void HBOCTcInit::HBOCTcConnectBoards::uninit() { connect_board_components::registration::uninit(); }
