// ::board::write_board_file: writes each diagram given to its board file.
// A file that cannot be written is a warning and the old file stays as it
// was; one that was not an integrated board file is kept as a backup.
#include "HBOBoardFileWriter.h"
#include "HBOCTcDiagram.h"
#include "HBOCTcInit.h"
#include "HSTStringUtils.h"

namespace {
namespace write_board_file {

using namespace tov::tcltasks;

struct tcl_extension {};
struct tuid {};
using scope = tcl_scope<tcl_extension, tuid>;

const char* const source_file = "board/common/tcltasks/HBOTcWriteBoardFile";

class task : public HTCITaskHelper<task> {
public:
    static constexpr const char* command_name = "::board::write_board_file";

    static void describe() {
        add_category("Object:Board");
        HBOCTcDiagram::declare_of_objects<scope>(option_table("Write board file from object", "write board file"));
    }

    const char* owner() const override { return "board.common"; }

    // Boards before a value that is not a board stay written.
    int execute(Tcl_Interp*) override {
        HBOCTcDiagram::require_schema2(source_file, __LINE__);
        const object_list diagrams = read_option<object_list>("of_objects");
        for (std::size_t i = 0; i < diagrams.size(); ++i) {
            HBOBoard* diagram = HBOCTcDiagram::board_of(diagrams[i]);
            if (!diagram) throw of_object_not_supported(diagrams[i], HBOCTcDiagram::board_types::names());
            write(*diagram);
        }
        return TCL_OK;
    }

private:
    static void write(const HBOBoard& diagram) {
        const HUTSafeFile::Result written = HBOBoardFileWriter::write_board_file(diagram);
        const std::string file = HSTStringUtils::excerpt(diagram.getBoardFile());
        if (!written.ok()) {
            ComMsgMgr::sendMsg::eval(2, source_file, __LINE__, "board", HMSG_MASK_WARNING, "@49-81@", file.c_str(),
                                     written.error.c_str());
        } else if (!written.backup.empty()) {
            const std::string backup = HSTStringUtils::excerpt(written.backup);
            ComMsgMgr::sendMsg::eval(2, source_file, __LINE__, "board", HMSG_MASK_WARNING, "@49-82@", file.c_str(),
                                     backup.c_str());
        }
    }
};

class factory : public HTCIFactoryHelper<task> {};
using registration = command_registration<task, factory>;

}  // namespace write_board_file
}  // namespace

void HBOCTcInit::HBOCTcWriteBoardFile::init(Tcl_Interp* interp) { write_board_file::registration::init(interp); }

void HBOCTcInit::HBOCTcWriteBoardFile::uninit() { write_board_file::registration::uninit(); }
