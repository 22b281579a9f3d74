// The board file writer on any values: the input, split at NUL bytes, gives
// a diagram's vendor, board name and version, then groups of four values
// that make one connected board (the first two) and one connection (all
// four). Either the writer refuses a value, or the file it writes reads back
// to the same values and writes the same bytes again. A connection side
// holding a "#" more or less than the one joining board and component is
// written empty by design, and then sorts elsewhere: such a diagram must
// read back to a file that writes the same bytes again.
#include <cstdlib>
#include <memory>
#include <vector>

#include "fuzz_support.h"
#include "HBOBoardFileWriter.h"
#include "HBOBoardModel.h"
#include "HBOParser.h"
#include "HTCErrors.h"

namespace {

std::vector<std::string> fieldsOf(const uint8_t* data, std::size_t size) {
    std::vector<std::string> fields(3);
    std::size_t field = 0;
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0) {
            if (++field == fields.size()) fields.emplace_back();
        } else {
            fields[field] += static_cast<char>(data[i]);
        }
    }
    fields.resize(3 + (fields.size() - 3 + 3) / 4 * 4);
    return fields;
}

bool hasHash(const std::vector<std::string>& fields) {
    for (std::size_t i = 3; i < fields.size(); ++i)
        if (fields[i].find('#') != std::string::npos) return true;
    return false;
}

// The diagram the parser reads from text; a file the writer wrote must parse.
std::unique_ptr<HBOBoard> readBack(const std::string& text) {
    static ScratchFile scratch("writer");
    auto read = std::make_unique<HBOBoard>();
    if (!HBOParser().parseFile(scratch.write(text.data(), text.size()), read.get()) || !read->isIntegratedBoard())
        std::abort();
    return read;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    silenceMessages();
    const std::vector<std::string> fields = fieldsOf(data, size);
    HBOBoard diagram;
    diagram.setName(fields[0], fields[1], fields[2]);
    diagram.setBoardFile("diagram.xml");
    for (std::size_t i = 3; i < fields.size(); i += 4) {
        diagram.addConnectedBoard(fields[i], fields[i + 1]);
        diagram.addConnectedComponents(fields[i], fields[i + 1], fields[i + 2], fields[i + 3]);
    }
    std::string text;
    try {
        text = HBOBoardFileWriter::board_file_text(diagram);
    } catch (const HTCErrors::error&) {
        return 0;  // a value no XML file can carry
    }
    const std::unique_ptr<HBOBoard> read = readBack(text);
    if (read->getVendor() != fields[0] || read->getBoardName() != fields[1] || read->getVersion() != fields[2] ||
        read->getConnectedBoards() != diagram.getConnectedBoards())
        std::abort();
    const std::string again = HBOBoardFileWriter::board_file_text(*read);
    if (!hasHash(fields)) {
        if (read->getConnectedComponents() != diagram.getConnectedComponents() || again != text) std::abort();
    } else if (HBOBoardFileWriter::board_file_text(*readBack(again)) != again) {
        std::abort();
    }
    return 0;
}
