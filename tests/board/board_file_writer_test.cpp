// The integrated board file writer: exact bytes, values escaped so that a
// read back writes the same bytes again, and values no XML file can carry
// refused.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <sstream>
#include <string>

#include "HBOBoardFileWriter.h"
#include "HBOBoardModel.h"
#include "HBOParser.h"
#include "HTCErrors.h"

namespace {

namespace fs = std::filesystem;
using HBOBoardFileWriter::board_file_text;
using HBOBoardFileWriter::write_board_file;

const std::string emptyPair =
    "<board schema_version=\"2.0\" vendor=\"vnd\" name=\"pair\" display_name=\"pair\" is_integrated=\"true\">\n"
    "\t<file_version>1.0</file_version>\n"
    "\t<connected_boards>\n"
    "\t\t<base_boards>\n"
    "\t\t</base_boards>\n"
    "\t\t<connectors>\n"
    "\t\t</connectors>\n"
    "\t</connected_boards>\n"
    "</board>\n";

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class BoardFileWriter : public ::testing::Test {
protected:
    void SetUp() override {
        folder = fs::temp_directory_path() / ("zem_writer_test_" + std::to_string(std::random_device()()));
        fs::create_directories(folder);
        diagram.setName("vnd", "pair", "1.0");
        diagram.setBoardFile((folder / "board.xml").string());
    }
    void TearDown() override { fs::remove_all(folder); }

    std::size_t entries() const {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
    }

    fs::path folder;
    HBOBoard diagram;
};

TEST_F(BoardFileWriter, EmptyDiagramIsNineLines) { EXPECT_EQ(board_file_text(diagram), emptyPair); }

TEST_F(BoardFileWriter, SideWithoutExactlyOneHashIsWrittenEmpty) {
    diagram.addConnectedComponents("a#b", "c", "d", "e");  // key "a#b#c"
    diagram.addConnectedComponents("x", "y", "", "");      // value "#": two empty fields
    const std::string text = board_file_text(diagram);
    EXPECT_NE(text.find("<connector name=\"conn\" board1=\"\" board1_connector=\"\" board2=\"d\" "
                        "board2_connector=\"e\" />\n"),
              std::string::npos);
    EXPECT_NE(text.find("<connector name=\"conn\" board1=\"x\" board1_connector=\"y\" board2=\"\" "
                        "board2_connector=\"\" />\n"),
              std::string::npos);
}

// Every field holds markup characters, white space a reader would turn into
// blanks, and non-ASCII text; the version is blanks only, which a reader
// would drop as white space.
TEST_F(BoardFileWriter, EscapedValuesReadBackToTheSameBytes) {
    diagram.setName("a&b\"c'd", "<n>\tx", "   ");
    diagram.addConnectedBoard("in\"st&<>\r\n", "v:b&'s:1.0");
    diagram.addConnectedBoard("plain", "v:base:1.0");
    diagram.addConnectedComponents("in\"st&<>\r\n", "J<1>", "plain", "P&\xC3\xA9");
    const std::string text = board_file_text(diagram);
    EXPECT_EQ(text.substr(0, text.find("\t<connected_boards>")),
              "<board schema_version=\"2.0\" vendor=\"a&amp;b&quot;c&apos;d\" name=\"&lt;n&gt;&#9;x\" "
              "display_name=\"&lt;n&gt;&#9;x\" is_integrated=\"true\">\n"
              "\t<file_version>&#32;&#32;&#32;</file_version>\n");
    EXPECT_NE(
        text.find("\t\t\t<base_board id=\"v:b&amp;&apos;s:1.0\" alias_name=\"in&quot;st&amp;&lt;&gt;&#13;&#10;\"/>\n"),
        std::string::npos);
    EXPECT_NE(text.find("board1=\"in&quot;st&amp;&lt;&gt;&#13;&#10;\" board1_connector=\"J&lt;1&gt;\" board2=\"plain\" "
                        "board2_connector=\"P&amp;\xC3\xA9\" />\n"),
              std::string::npos);

    ASSERT_TRUE(write_board_file(diagram).ok());
    ASSERT_EQ(readFile(folder / "board.xml"), text);
    HBOBoard read;
    HBOParser parser;
    ASSERT_TRUE(parser.parseFile((folder / "board.xml").string(), &read)) << parser.getErrorMessage();
    EXPECT_TRUE(read.isIntegratedBoard());
    EXPECT_EQ(read.getVendor(), diagram.getVendor());
    EXPECT_EQ(read.getBoardName(), diagram.getBoardName());
    EXPECT_EQ(read.getVersion(), diagram.getVersion());
    EXPECT_EQ(read.getConnectedBoards(), diagram.getConnectedBoards());
    EXPECT_EQ(read.getConnectedComponents(), diagram.getConnectedComponents());
    EXPECT_EQ(board_file_text(read), text);
    EXPECT_EQ(entries(), 1u);
}

// Each refusal names the field, the character and where it is; nothing is written.
TEST_F(BoardFileWriter, RefusesWhatNoXmlFileCanCarry) {
    struct Case {
        std::function<void(HBOBoard&)> fill;
        std::string says;
        std::string field;
    };
    const Case cases[] = {
        {[](HBOBoard& d) { d.setName("a\x01", "n", "1"); }, "the vendor holds the control character U+0001 at byte 2",
         "vendor"},
        {[](HBOBoard& d) { d.setName("v", "n", std::string("1\xC0\x80", 3)); },  // Tcl's U+0000
         "the version holds the control character U+0000 at byte 2", "file_version"},
        {[](HBOBoard& d) { d.setName("v", "n\xED\xA0\x80", "1"); },
         "the board name holds the surrogate code point U+D800", "name"},
        {[](HBOBoard& d) { d.setName("v", "n\xEF\xBF\xBE", "1"); }, "the board name holds the non-character U+FFFE",
         "name"},
        {[](HBOBoard& d) { d.addConnectedBoard("ok", "caf\xE9"); },  // Latin-1, not UTF-8
         "the base board of connected board 1 holds the byte 0xE9 at byte 4, which is not valid UTF-8", "id"},
        {[](HBOBoard& d) { d.addConnectedBoard("x\xE0\x80\x80", "b"); },  // an overlong form
         "the instance name of connected board 1 holds the byte 0xE0 at byte 2", "alias_name"},
        {[](HBOBoard& d) {
             d.addConnectedComponents("a", "b", "c", "d");
             d.addConnectedComponents("e", "f", "g", "h\xC3");  // cut short
         },
         "the second component of connection 2 holds the byte 0xC3 at byte 2", "board2_connector"},
    };
    for (const Case& c : cases) {
        HBOBoard bad;
        bad.setName("v", "n", "1");
        bad.setBoardFile((folder / "board.xml").string());
        c.fill(bad);
        try {
            write_board_file(bad);
            ADD_FAILURE() << "written: " << c.says;
        } catch (const HTCErrors::error& e) {
            EXPECT_NE(
                e.text().find("cannot write the board file \"" + (folder / "board.xml").string() + "\": " + c.says),
                std::string::npos)
                << e.text();
            EXPECT_EQ(e.kind(), HEXAll::Kind::value);
            EXPECT_EQ(e.detail(), c.field);
        }
    }
    EXPECT_EQ(entries(), 0u);
}

}  // namespace
