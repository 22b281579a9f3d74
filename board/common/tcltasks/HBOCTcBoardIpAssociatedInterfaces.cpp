// ::tesmar::board::get_ip_associated_interfaces: the presets a board's IP
// rules associate with its interfaces, for the current board part's board or
// given boards and components; narrowed by names, -ip and a filter.
#include "HBOCTcInit.h"
#include "HBOCTcPresetQuery.h"

namespace {
namespace common_get_ip_associated_interfaces {

using namespace tov::tcltasks;

struct tcl_extension {};
struct tuid {};
using scope = tcl_scope<tcl_extension, tuid>;

class task : public HBOCTcPresetQuery::preset_query<task, scope, of_types<HBOBoard*, HBOBoardComponent*>> {
public:
    static constexpr const char* command_name = "::tesmar::board::get_ip_associated_interfaces";
    static constexpr query_description description = {"Gets the list of ip associated interfaces",
                                                      "list of ip associated interfaces for the board", "Object:Board",
                                                      "match parameter names against patterns", nullptr};
    static constexpr const char* source_file = "board/common/tcltasks/HBOCTcBoardIpAssociatedInterfaces";
    static constexpr int no_board_part_line = 77;

    const char* owner() const override { return "board.common"; }

    static const HBOIpPresetMap& presets_of(const HBOBoard& board) { return board.getIpAssociatedInterfaces(); }
};

class factory : public HTCIFactoryHelper<task> {};
using registration = command_registration<task, factory>;

}  // namespace common_get_ip_associated_interfaces
}  // namespace

void HBOCTcInit::HBOCTcBoardIpAssociatedInterfaces::init(Tcl_Interp* interp) {
    common_get_ip_associated_interfaces::registration::init(interp);
}

void HBOCTcInit::HBOCTcBoardIpAssociatedInterfaces::uninit() {
    common_get_ip_associated_interfaces::registration::uninit();
}
