// current_board_part: the board part of the open project. The host keeps
// it; the board commands ask for it by evaluating "current_board_part -quiet".
#include <tcl.h>

#include <mutex>
#include <string>

#include "ComMsgMgr.h"
#include "HBOBoardCReposMgr.h"
#include "HBOBoardModel.h"
#include "HostCommands.h"
#include "HSTStringUtils.h"
#include "tcl_command.h"
#include "ZemHost.h"

namespace {

using namespace tov::tcltasks;
using namespace tov::tcltasks::HTCTclTaskOptions;

// The project keeps its board part by name, as a project file does: each
// use looks the name up in the repository as it is then, so after a reload
// the answer is the part of that name in the new repository, or none. One
// project per process: every thread's interpreters share it, under a lock.
class ProjectBoardPart {
public:
    static std::string name() {
        std::lock_guard<std::mutex> lock(mutex());
        return value();
    }
    static void set(const std::string& name) {
        std::lock_guard<std::mutex> lock(mutex());
        value() = name;
    }

private:
    static std::mutex& mutex() {
        static std::mutex guard;
        return guard;
    }
    static std::string& value() {
        static std::string name;
        return name;
    }
};

// The board part of that full name (vendor:board:component:version) in the repository.
HBOBoardComponent* findBoardPart(const std::string& name) {
    return HBOBoardCReposMgr::getGlobal()->findBoardPart(name);
}

namespace current_board_part {

using zemhost::scope;

class task : public zemhost::host_task<task> {
public:
    static constexpr const char* command_name = "current_board_part";

    static void describe() {
        add_category("Project");
        add_category("Board");
        option_table("Get or set the board part of the current project", "board_part object")
            .add_options()
            .add_option("board_part", scope::string_value(),
                        OptionDescription("The board part to select: an object or its full name "
                                          "vendor:board:component:version"));
        positional_table().add("board_part", 1);
    }

    int execute(Tcl_Interp* interp) override {
        if (specified_option("board_part")) select(read_option<std::string>("board_part"));
        const std::string currentBoardPartName = ProjectBoardPart::name();
        if (currentBoardPartName.empty()) {
            throw HEXError(
                "no board part is selected; select one with "
                "\"current_board_part <board_part>\" (see board_common::get_board_parts)");
        }
        HBOBoardComponent* part = findBoardPart(currentBoardPartName);
        if (!part) {
            throw HEXError("the board part \"" + currentBoardPartName +
                               "\" is no longer in the board repository (see board.repoPaths); select another one",
                           HEXAll::Kind::notfound, currentBoardPartName);
        }
        if (Tcl_Obj* object = scope::to_tcl(part)) Tcl_SetObjResult(interp, object);
        return TCL_OK;
    }

private:
    static void select(const std::string& name) {
        if (!findBoardPart(name)) {
            throw HEXError("no board part named \"" + HSTStringUtils::excerpt(name) +
                               "\" in the board repository; expected a name as board_common::get_board_parts shows it",
                           HEXAll::Kind::notfound, name);
        }
        ProjectBoardPart::set(name);
        ComMsgMgr::sendMsg::eval(1, "host/HostBoardPart", __LINE__, "host", HMSG_MASK_INFO, "@50-1@", name.c_str());
    }
};

}  // namespace current_board_part
}  // namespace

void zemhost::forget_board_part() { ProjectBoardPart::set(std::string()); }

void zemhost::register_board_part_command(Tcl_Interp* interp) {
    ComMsgMgr::addCatalogueText("@50-1@", "Current board part is %s.");
    register_command<current_board_part::task>(interp);
}
