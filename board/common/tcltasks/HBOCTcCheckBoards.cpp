// ::board::check_boards: checks the boards and diagrams given (by default
// the whole repository, with what its listing left out) and returns the
// findings as a list of dicts, a text report or JSON, or writes them to a file.

#include <string>
#include <vector>

#include "ComMsgMgr.h"
#include "HBOBoardCheck.h"
#include "HBOBoardCheckReport.h"
#include "HBOCTcCheckFindings.h"
#include "HBOCTcDiagram.h"
#include "HBOCTcFileOption.h"
#include "HBOCTcInit.h"
#include "HSTStringUtils.h"

namespace {
namespace check_boards {

using namespace tov::tcltasks;
using namespace HBOCTcCheckFindings;
using namespace tov::tcltasks::HTCTclTaskOptions;

struct tcl_extension {};
struct tuid {};
using scope = tcl_scope<tcl_extension, tuid>;

const char* const source_file = "board/common/tcltasks/HBOCTcCheckBoards";
const char* const written_message = "@49-95@";

enum class report_format { dict, text, json };

// A result, unlike a file, does not end with a newline.
std::string without_last_newline(std::string text) {
    if (!text.empty() && text.back() == '\n') text.pop_back();
    return text;
}

class task : public HTCITaskHelper<task> {
public:
    static constexpr const char* command_name = "::board::check_boards";

    static void describe() {
        add_category("Object");
        add_category("Board");
        option_table("Check boards and board diagrams for faults", "list of findings")
            .add_option("-rules", scope::string_list_value(""),
                        OptionDescription("Run only these rules (names or glob patterns, any letter case)"),
                        ValueDescription("Every rule runs when -rules is not given."), DefaultValueDescription("all"))
            .add_option("-format", scope::string_value("dict"),
                        OptionDescription("Form of the findings: dict (a list of dicts), text (a report) or json"))
            .add_option("-file", scope::string_value(),
                        OptionDescription("Write the findings to this file (replaced whole) instead of returning them"))
            .add_option("-of_objects", scope::object_list_value(),
                        OptionDescription(HBOCTcDiagram::board_types::help_text<HBOBoard*>()));
    }

    const char* owner() const override { return "board.common"; }

    // The options are all read and checked before anything is checked.
    int execute(Tcl_Interp* interp) override {
        const report_format format = read_format();
        HBOBoardCheck check(read_rules(interp));
        const std::vector<HBOBoard*> boards = read_boards();
        std::vector<HBOCheckFinding> findings;
        if (boards.empty() && of_objects_empty_means_all(*this)) check.checkRepository(findings);
        for (const HBOBoard* board : boards) check.checkBoard(*board, findings);

        const std::string file = read_option<std::string>("file");
        if (file.empty()) {
            Tcl_SetObjResult(interp, format == report_format::dict
                                         ? findings_list(findings)
                                         : text_obj(without_last_newline(report(format, findings, check))));
            return TCL_OK;
        }
        const std::string text = format == report_format::dict ? dict_text(findings) : report(format, findings, check);
        HBOCTcFileOption::replace(file, text, "the report");
        announce_written(file, HBOBoardCheckReport::summary(findings, check.boardsChecked()));
        return TCL_OK;
    }

private:
    static std::string report(report_format format, const std::vector<HBOCheckFinding>& findings,
                              const HBOBoardCheck& check) {
        return format == report_format::json ? HBOBoardCheckReport::json(findings)
                                             : HBOBoardCheckReport::text(findings, check.boardsChecked());
    }

    report_format read_format() const {
        const std::string format = read_option<std::string>("format");
        if (format == "dict") return report_format::dict;
        if (format == "text") return report_format::text;
        if (format == "json") return report_format::json;
        throw HTCErrors::error("bad format \"" + HSTStringUtils::excerpt(format) + "\": must be dict, json, or text",
                               HEXAll::Kind::value, "-format");
    }

    // Each word names rules exactly or as a glob pattern, in any letter case.
    HBOBoardCheck::Rules read_rules(Tcl_Interp* interp) const {
        if (!specified_option("rules")) return HBOBoardCheck::allRules();
        const string_list words = read_option<string_list>("rules");
        if (words.empty()) throw HTCErrors::error("option \"-rules\" names no rule", HEXAll::Kind::value, "-rules");
        HBOBoardCheck::Rules rules;
        for (std::size_t i = 0; i < words.size(); ++i) HBOCTcCheckFindings::add_rules_named(words[i], interp, rules);
        return rules;
    }

    // Every -of_objects element is a board or a diagram, or the command ends before checking.
    std::vector<HBOBoard*> read_boards() const {
        const object_list of = read_option<object_list>("of_objects");
        std::vector<HBOBoard*> boards;
        for (std::size_t i = 0; i < of.size(); ++i) {
            HBOBoard* board = HBOCTcDiagram::board_of(of[i]);
            if (!board) throw of_object_not_supported(of[i], HBOCTcDiagram::board_types::names());
            boards.push_back(board);
        }
        return boards;
    }

    static void announce_written(const std::string& file, const std::string& summary) {
        static const bool catalogued =
            (ComMsgMgr::addCatalogueText(written_message, "Board check findings written to %s (%s)."), true);
        (void)catalogued;
        ComMsgMgr::sendMsg::eval(2, source_file, __LINE__, "board", 0x8000000, written_message,
                                 HSTStringUtils::excerpt(file).c_str(), summary.c_str());
    }
};

class factory : public HTCIFactoryHelper<task> {};
using registration = command_registration<task, factory>;

}  // namespace check_boards
}  // namespace

void HBOCTcInit::HBOCTcCheckBoards::init(Tcl_Interp* interp) { check_boards::registration::init(interp); }

void HBOCTcInit::HBOCTcCheckBoards::uninit() { check_boards::registration::uninit(); }
