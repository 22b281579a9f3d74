// ::board::get_boards: the boards of the repository, or the boards of the
// board components given with -of_objects, narrowed by names and a filter.
#include <vector>

#include "ComMsgMgr.h"
#include "HBOBoardCReposMgr.h"
#include "HBOBoardModel.h"
#include "HBOBoardUtils.h"
#include "HBOCTcInit.h"
#include "HBOCTcQuery.h"

namespace {
namespace common_get_boards {

using namespace tov::tcltasks;
using namespace tov::tcltasks::HTCTclTaskOptions;

struct tcl_extension {};
struct tuid {};
using scope = tcl_scope<tcl_extension, tuid>;
using board_list = tcl_collection<HSTVector<HBOBoard*>>;

const char* const source_file = "board/common/tcltasks/HBOCTcBoard";

class task : public HTCITaskHelper<task> {
public:
    static constexpr const char* command_name = "::board::get_boards";

    static void describe() {
        add_category("Object");
        add_category("Project");
        add_category("Board");
        option_table("Get the list of boards available in the project", "list of board objects")
            .add_options()
            .add_option("-regexp", scope::switch_value(), OptionDescription("Patterns are full regular expressions"))
            .add_option("-nocase", scope::switch_value(), OptionDescription("Perform case-insensitive matching"))
            .add_option("patterns", scope::string_list_value("*"), OptionDescription("Match Board names against patterns"),
                        ValueDescription("The default search pattern is the wildcard *, or .* when -regexp is specified."),
                        DefaultValueDescription("*"))
            .add_option("-filter", scope::string_value(), OptionDescription("Filter list with expression"));
        positional_table().add("patterns", -1);
        option_table("dummy").add_option("-of_objects", scope::object_list_value(),
                                         OptionDescription(of_objects_text<HBOBoard*, HBOBoardComponent*>()));
    }

    const char* owner() const override { return "board.common"; }

    int execute(Tcl_Interp* interp) override {
        const HBOCTcQuery::NameFilter names = HBOCTcQuery::read_name_filter(*this);
        const object_list of = read_option<object_list>("of_objects");
        const bool allIfOfObjectsEmpty = HBOCTcQuery::return_all_if_of_objects_empty();
        if (of.empty()) {
            if (!specified_option("of_objects") || allIfOfObjectsEmpty) gather_repository();
        } else {
            gather_of_objects(of);
        }
        HBOCTcQuery::apply_patterns(names, interp, result_);
        HBOCTcQuery::apply_filter(names, interp, result_);
        return scope::set_result(interp, result_);
    }

private:
    static const std::string& accepted_types() {
        static const std::string types = class_name_of<HBOBoardComponent*>();
        return types;
    }

    // Each component contributes its board; only board components are taken.
    void gather_of_objects(const object_list& of) {
        for (std::size_t i = 0; i < of.size(); ++i) {
            HBOBoardComponent* const* component = tclany_cast<HBOBoardComponent*>(of[i]);
            if (!component || !*component) throw HBOCTcQuery::of_object_not_supported(of[i], accepted_types());
            if (!HBOBoardUtils::isV2SchemaEnabled()) {
                ComMsgMgr::sendMsg::eval(0, source_file, 41, "board", 0x20000000, "@49-58@");
                continue;
            }
            if (HBOBoard* board = (*component)->getBoard()) result_.push_back(board);
        }
    }

    // With schema-2 support, boards of older schemas are left out.
    void gather_repository() {
        std::vector<HBOBoard*> boards;
        HBOBoardCReposMgr::getGlobal()->appendAllBoards(boards);
        const bool v2Only = HBOBoardUtils::isV2SchemaEnabled();
        for (HBOBoard* board : boards) {
            if (board && (!v2Only || HBOBoardUtils::isSchema20OrGreater(board))) result_.push_back(board);
        }
    }

    board_list result_;
};

class factory : public HTCIFactoryHelper<task> {};
using registration = command_registration<task, factory>;

}  // namespace common_get_boards
}  // namespace

void HBOCTcInit::HBOCTcBoard::init(Tcl_Interp* interp) {
    common_get_boards::registration::init(interp);
}

void HBOCTcInit::HBOCTcBoard::uninit() {
    common_get_boards::registration::uninit();
}
