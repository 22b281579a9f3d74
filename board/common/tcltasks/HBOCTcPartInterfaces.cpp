// ::board::get_board_part_interfaces: the bus interfaces of the current
// board part, of given board components, or of every component of given boards.
#include "HBOBoardModel.h"
#include "HBOCTcInit.h"
#include "HBOCTcPartQuery.h"
#include "tcl_query.h"

namespace {
namespace common_get_board_part_interfaces {

using namespace tov::tcltasks;

struct tcl_extension {};
struct tuid {};
using scope = tcl_scope<tcl_extension, tuid>;

class task : public query_task<task, scope, HBOBusIf*, of_types<HBOBoard*, HBOBoardComponent*>> {
public:
    static constexpr const char* command_name = "::board::get_board_part_interfaces";
    static constexpr query_description description = {
        "Gets the list of interfaces in the board_part that implement busdef specified by VLNV",
        "list of bus interfaces", "Object:Board", "Match Bus Interface names against patterns", nullptr};

    const char* owner() const override { return "board.common"; }

    void gather_default(Tcl_Interp* interp) {
        gather(HBOCTcPartQuery::current_part(interp, "board/common/tcltasks/HBOCTcPartInterfaces", __LINE__));
    }

    void gather(HBOBoard* board) { board->getBusIfSeq(gathered()); }

    void gather(HBOBoardComponent* component) { component->getBusIfSeq(gathered(), true); }
};

class factory : public HTCIFactoryHelper<task> {};
using registration = command_registration<task, factory>;

}  // namespace common_get_board_part_interfaces
}  // namespace

void HBOCTcInit::HBOCTcPartInterfaces::init(Tcl_Interp* interp) {
    common_get_board_part_interfaces::registration::init(interp);
}

void HBOCTcInit::HBOCTcPartInterfaces::uninit() { common_get_board_part_interfaces::registration::uninit(); }
