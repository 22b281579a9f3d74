// ::board::read_board_diagram: parses an integrated board file into a new
// diagram, opens it and makes it current. The file is given with -file or
// as the one word after the options.
#include <boost/filesystem.hpp>
#include <memory>

#include "HBOBoardCReposMgr.h"
#include "HBOBoardDiagramMgr.h"
#include "HBOCTcDiagram.h"
#include "HBOCTcInit.h"
#include "HBOParser.h"
#include "HSTStringUtils.h"

namespace {
namespace read_board_diagram {

using namespace tov::tcltasks;
using namespace tov::tcltasks::HTCTclTaskOptions;

struct tcl_extension {};
struct tuid {};
using scope = tcl_scope<tcl_extension, tuid>;

const char* const source_file = "board/common/tcltasks/HBOTcReadBoardDiagram";

// Every use of the repository ends with release(), also an interrupted one.
struct repository_use {
    HBOBoardCReposMgr* repository = HBOBoardCReposMgr::getGlobal();
    ~repository_use() { repository->release(); }
};

class task : public HTCITaskHelper<task> {
public:
    static constexpr const char* command_name = "::board::read_board_diagram";

    static void describe() {
        add_category("Object:Board");
        options_description& table =
            option_table("Read board diagram", "")
                .add_option("-file", scope::string_value(),
                            OptionDescription("File path to the integrated board file."))
                .add_option("path", scope::string_value(), OptionDescription("The file, given without -file"));
        positional_table().add("path", 1);
        HBOCTcDiagram::declare_of_objects<scope>(table);
    }

    const char* owner() const override { return "board.common"; }

    int execute(Tcl_Interp* interp) override {
        const std::string file = file_given();
        HBOBoard* board = nullptr;
        {
            repository_use use;
            if (!file.empty()) board = parse(canonical_file(file), use.repository);
        }
        if (board && board->isIntegratedBoard()) {
            HBOBoardDiagramMgr* diagrams = HBOBoardDiagramMgr::getGlobal();
            diagrams->addToOpenedBoardDiagrams(board);
            diagrams->setCurrentBoardDiagram(board);
        } else {
            HBOCTcDiagram::report(source_file, __LINE__, 0x8000000, "@49-68@");
        }
        return HBOCTcDiagram::set_board_result<scope>(interp, board);
    }

private:
    std::string file_given() const {
        const std::string file = read_option<std::string>("file");
        if (!specified_option("path")) return file;
        const std::string path = read_option<std::string>("path");
        if (specified_option("file")) {
            throw HTCErrors::error(
                "the file is given twice, as -file \"" + file + "\" and as \"" + path + "\": give it once",
                HEXAll::Kind::usage, "-file");
        }
        return path;
    }

    // Relative to the working directory, links resolved; the path must
    // exist. What it names is the parser's to judge: it opens only regular
    // files, so a folder or a pipe takes the path of a file it cannot parse.
    static std::string canonical_file(const std::string& file) {
        namespace fs = boost::filesystem;
        boost::system::error_code error;
        const fs::path path = fs::canonical(file, fs::current_path(), error);
        if (error) {
            throw HTCErrors::error(
                "cannot read board file \"" + HSTStringUtils::excerpt(file) + "\": " + error.message(),
                HEXAll::Kind::file, file);
        }
        return path.string();
    }

    // The board of the file, or null after reporting that it could not be parsed.
    static HBOBoard* parse(const std::string& path, HBOBoardCReposMgr* repository) {
        std::unique_ptr<HBOBoard> board(new HBOBoard);
        if (!HBOParser().parseFile(path, board.get())) {
            ComMsgMgr::sendMsg::eval(1, source_file, __LINE__, "board", 0x8000000, "@49-44@%s",
                                     "Could not parse file.");
            return nullptr;
        }
        repository->populatePreferenceData(board.get());
        HBOBoardDiagramMgr::getGlobal()->adoptBoard(board.get());  // freed once nothing refers to it
        return board.release();
    }
};

class factory : public HTCIFactoryHelper<task> {};
using registration = command_registration<task, factory>;

}  // namespace read_board_diagram
}  // namespace

void HBOCTcInit::HBOCTcReadBoardDiagram::init(Tcl_Interp* interp) { read_board_diagram::registration::init(interp); }

void HBOCTcInit::HBOCTcReadBoardDiagram::uninit() { read_board_diagram::registration::uninit(); }
