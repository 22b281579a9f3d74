// ::board::get_boards: the boards of the repository, or the boards of the
// board components given with -of_objects, narrowed by names and a filter.
#include <vector>

#include "ComMsgMgr.h"
#include "HBOBoardCReposMgr.h"
#include "HBOBoardModel.h"
#include "HBOBoardUtils.h"
#include "HBOCTcInit.h"
#include "tcl_query.h"

namespace {
namespace common_get_boards {

using namespace tov::tcltasks;

struct tcl_extension {};
struct tuid {};
using scope = tcl_scope<tcl_extension, tuid>;

class task : public query_task<task, scope, HBOBoard*, of_types<HBOBoardComponent*>> {
public:
    static constexpr const char* command_name = "::board::get_boards";
    static constexpr query_description description = {"Get the list of boards available in the project",
                                                      "list of board objects", "Object:Project:Board",
                                                      "Match Board names against patterns", nullptr};
    static constexpr filter_settings filtering = {false, false};

    const char* owner() const override { return "board.common"; }

    // With schema-2 support, boards of older schemas are left out.
    void gather_default(Tcl_Interp*) {
        std::vector<HBOBoard*> boards;
        HBOBoardCReposMgr::getGlobal()->appendAllBoards(boards);
        const bool v2Only = HBOBoardUtils::isV2SchemaEnabled();
        for (HBOBoard* board : boards) {
            if (board && (!v2Only || HBOBoardUtils::isSchema20OrGreater(board))) result().push_back(board);
        }
    }

    // A component contributes its board.
    void gather(HBOBoardComponent* component) {
        if (!HBOBoardUtils::isV2SchemaEnabled()) {
            ComMsgMgr::sendMsg::eval(0, "board/common/tcltasks/HBOCTcBoard", 41, "board", 0x20000000, "@49-58@");
            return;
        }
        if (HBOBoard* board = component->getBoard()) result().push_back(board);
    }
};

class factory : public HTCIFactoryHelper<task> {};
using registration = command_registration<task, factory>;

}  // namespace common_get_boards
}  // namespace

void HBOCTcInit::HBOCTcBoard::init(Tcl_Interp* interp) { common_get_boards::registration::init(interp); }

void HBOCTcInit::HBOCTcBoard::uninit() { common_get_boards::registration::uninit(); }
