// ::board::write_board_picture: a picture of a board or of a board diagram,
// laid out and drawn by Graphviz, written to a file as SVG, PNG or the dot
// graph text. Returns the file's absolute path.
#include <boost/algorithm/string/case_conv.hpp>
#include <boost/filesystem.hpp>

#include "HBOBoardModel.h"
#include "HBOCOutBoardPicture.h"
#include "HBOCOutGraphviz.h"
#include "HBOCTcBoardQuery.h"
#include "HBOCTcDiagram.h"
#include "HBOCTcFileOption.h"
#include "HBOCTcInit.h"

namespace {
namespace write_board_picture {

using namespace tov::tcltasks;
using namespace tov::tcltasks::HTCTclTaskOptions;
using Format = HBOCOutGraphviz::Format;

struct tcl_extension {};
struct tuid {};
using scope = tcl_scope<tcl_extension, tuid>;

const char* const source_file = "board/common/tcltasks/HBOCTcWriteBoardPicture";

// The -format words and the file extensions that imply them.
struct FormatName {
    const char* word;
    Format format;
};
const FormatName kFormats[] = {{"svg", Format::svg}, {"png", Format::png}, {"dot", Format::dot}};
const FormatName kExtensions[] = {
    {".svg", Format::svg}, {".png", Format::png}, {".dot", Format::dot}, {".gv", Format::dot}};

class task : public HTCITaskHelper<task> {
public:
    static constexpr const char* command_name = "::board::write_board_picture";

    static void describe() {
        add_category("Object:Board");
        option_table("Write a picture of a board or a board diagram", "the absolute path of the picture file")
            .add_option("-file", scope::string_value(),
                        OptionDescription("File to write the picture to; an existing file is replaced"))
            .add_option(
                "-format", scope::string_value(),
                OptionDescription("svg, png, or dot (the graph text, for Graphviz's own tools)"),
                ValueDescription("By default the file's extension (.svg, .png, .dot or .gv) decides, else svg."),
                DefaultValueDescription("from -file"))
            .add_option("-all", scope::switch_value(),
                        OptionDescription("Draw disabled components, interfaces, buses and nets as well"))
            .add_option("-of_objects", scope::object_list_value(),
                        OptionDescription("The board or board diagram to draw (one object); by default the current "
                                          "board"));
    }

    const char* owner() const override { return "board.common"; }

    int execute(Tcl_Interp* interp) override {
        HBOCTcDiagram::require_schema2(source_file, __LINE__);
        const std::string file = file_given();
        const Format format = format_of(file);
        const HBOBoard& board = board_to_draw(interp);
        const bool all = read_option<bool>("all");
        const HBOCOutPicture::Graph graph = board.isIntegratedBoard() ? HBOCOutBoardPicture::diagram_graph(board, all)
                                                                      : HBOCOutBoardPicture::board_graph(board, all);
        HBOCTcFileOption::replace(file, HBOCOutGraphviz::render(graph, format), "the picture");
        const std::string written = boost::filesystem::absolute(file).lexically_normal().string();
        Tcl_SetObjResult(interp, Tcl_NewStringObj(written.c_str(), -1));
        return TCL_OK;
    }

private:
    std::string file_given() const {
        if (!specified_option("file")) {
            throw HTCErrors::error("option \"-file\" is required: the file to write the picture to",
                                   HEXAll::Kind::usage, "-file");
        }
        const std::string file = read_option<std::string>("file");
        if (file.empty()) throw HTCErrors::error("option \"-file\" needs a file name", HEXAll::Kind::value, "-file");
        return file;
    }

    Format format_of(const std::string& file) const {
        if (specified_option("format")) {
            const std::string word = boost::algorithm::to_lower_copy(read_option<std::string>("format"));
            for (const FormatName& known : kFormats)
                if (word == known.word) return known.format;
            throw HTCErrors::error("invalid value \"" + read_option<std::string>("format") +
                                       "\" for option \"-format\": expected svg, png or dot",
                                   HEXAll::Kind::value, "-format");
        }
        const std::string extension =
            boost::algorithm::to_lower_copy(boost::filesystem::path(file).extension().string());
        for (const FormatName& known : kExtensions)
            if (extension == known.word) return known.format;
        return Format::svg;
    }

    // The one board of -of_objects; the current board when none is given
    // (or an empty list, when "tcl.returnAllIfOfObjectEmpty" is set).
    const HBOBoard& board_to_draw(Tcl_Interp* interp) const {
        const object_list given = read_option<object_list>("of_objects");
        if (given.empty() && of_objects_empty_means_all(*this)) {
            if (HBOBoard* current = HBOCTcBoardQuery::evaluate_current_board(interp)) return *current;
            throw HTCErrors::error(
                "no board to draw: the project has no current board; give the board with -of_objects",
                HEXAll::Kind::error, "-of_objects");
        }
        HBOCTcDiagram::require_given(given, "-of_objects");
        HBOCTcDiagram::require_single(given, source_file, __LINE__);
        HBOBoard* board = HBOCTcDiagram::board_of(given[0]);
        if (!board) throw of_object_not_supported(given[0], HBOCTcDiagram::board_types::names());
        return *board;
    }
};

class factory : public HTCIFactoryHelper<task> {};
using registration = command_registration<task, factory>;

}  // namespace write_board_picture
}  // namespace

void HBOCTcInit::HBOCTcWriteBoardPicture::init(Tcl_Interp* interp) { write_board_picture::registration::init(interp); }

void HBOCTcInit::HBOCTcWriteBoardPicture::uninit() { write_board_picture::registration::uninit(); }
