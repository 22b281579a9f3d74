// The integrated board file writer: exact bytes, a read back that writes the
// same bytes again, and writes that fail without harming the old file.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

#include "HBOBoardModel.h"
#include "HBOCTcBoardFileWriter.h"
#include "HBOParser.h"

namespace {

namespace fs = std::filesystem;
using HBOCTcBoardFileWriter::board_file_text;
using HBOCTcBoardFileWriter::replace_file;

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

void writeFile(const fs::path& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

class BoardFileWriter : public ::testing::Test {
protected:
    void SetUp() override {
        folder = fs::temp_directory_path() / ("zem_writer_test_" + std::to_string(std::random_device()()));
        fs::create_directories(folder);
        diagram.setName("vnd", "pair", "1.0");
    }
    void TearDown() override { fs::remove_all(folder); }

    // Everything in the folder but the names given: a failed write leaves nothing.
    std::size_t entriesBesides(std::initializer_list<const char*> names) const {
        std::size_t count = 0;
        for (const auto& entry : fs::directory_iterator(folder)) {
            bool known = false;
            for (const char* name : names) known = known || entry.path().filename() == name;
            count += known ? 0 : 1;
        }
        return count;
    }

    fs::path folder;
    HBOBoard diagram;
};

TEST_F(BoardFileWriter, EmptyDiagramIsNineLines) { EXPECT_EQ(board_file_text(diagram), emptyPair); }

TEST_F(BoardFileWriter, SideWithoutExactlyOneHashIsWrittenEmpty) {
    diagram.addConnectedComponents("a#b", "c", "d", "e");  // key "a#b#c"
    diagram.addConnectedComponents("x", "y", "", "");       // value "#": two empty fields
    const std::string text = board_file_text(diagram);
    EXPECT_NE(text.find("<connector name=\"conn\" board1=\"\" board1_connector=\"\" board2=\"d\" "
                        "board2_connector=\"e\" />\n"),
              std::string::npos);
    EXPECT_NE(text.find("<connector name=\"conn\" board1=\"x\" board1_connector=\"y\" board2=\"\" "
                        "board2_connector=\"\" />\n"),
              std::string::npos);
}

TEST_F(BoardFileWriter, WrittenFileReadsBackToTheSameBytes) {
    diagram.addConnectedBoard("host", "acme.com:cobalt_x4:2.0");
    diagram.addConnectedBoard("leds", "zephyr-labs.org:lumen_leds:1.0");
    diagram.addConnectedComponents("host", "J5", "leds", "P1");
    diagram.addConnectedComponents("a#b", "c", "leds", "P2");
    const fs::path file = folder / "board.xml";
    const std::string text = board_file_text(diagram);
    ASSERT_EQ(replace_file(file.string(), text), "");
    ASSERT_EQ(readFile(file), text);

    HBOBoard read;
    HBOParser parser;
    ASSERT_TRUE(parser.parseFile(file.string(), &read)) << parser.getErrorMessage();
    EXPECT_TRUE(read.isIntegratedBoard());
    EXPECT_EQ(board_file_text(read), text);
    EXPECT_EQ(entriesBesides({"board.xml"}), 0u);
}

TEST_F(BoardFileWriter, LinkIsFollowedAndPermissionsKept) {
    const fs::path target = folder / "real.xml";
    writeFile(target, "old");
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    fs::create_symlink("real.xml", folder / "link.xml");
    ASSERT_EQ(replace_file((folder / "link.xml").string(), emptyPair), "");
    EXPECT_TRUE(fs::is_symlink(folder / "link.xml"));
    EXPECT_EQ(readFile(target), emptyPair);
    EXPECT_EQ(fs::status(target).permissions(), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

// A full disk, as the process sees it: files may not grow past one byte.
TEST_F(BoardFileWriter, FileTooLargeKeepsTheOldFile) {
    const fs::path file = folder / "board.xml";
    writeFile(file, "old contents");
    struct rlimit saved;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    struct rlimit tiny = saved;
    tiny.rlim_cur = 1;
    void (*previous)(int) = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tiny), 0);
    const std::string reason = replace_file(file.string(), emptyPair);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
    EXPECT_EQ(reason, "File too large");
    EXPECT_EQ(readFile(file), "old contents");
    EXPECT_EQ(entriesBesides({"board.xml"}), 0u);
}

}  // namespace
