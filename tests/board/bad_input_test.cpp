// Bad repository contents: each problem gives one warning naming the file
// (and line where there is one) and the reason; everything else still loads.
#include <gtest/gtest.h>

#include <filesystem>

#include "HBOParser.h"
#include "board_test_support.h"

using Names = std::vector<std::string>;

namespace {

// The warning texts that mention the given text.
std::vector<std::string> mentioning(const MessageCapture& capture, const std::string& text) {
    std::vector<std::string> found;
    for (const std::string& message : capture.texts())
        if (message.find(text) != std::string::npos) found.push_back(message);
    return found;
}

std::string parseError(const std::string& relative) {
    HBOBoard board;
    HBOParser parser;
    EXPECT_FALSE(parser.parseFile(fixture(relative), &board)) << relative;
    return parser.getErrorMessage();
}

}  // namespace

TEST(BadInput, EachBadFileIsLeftOutWithOneWarning) {
    MessageCapture capture;
    RepoPaths repo(fixture("bad"));
    std::vector<HBOBoard*> boards;
    HBOBoardCReposMgr::getGlobal()->appendAllBoards(boards);
    EXPECT_EQ(namesOf(boards), (Names{"test.org:missing_pins:1.0", "test.org:ok:1.0"}));
    for (const char* bad : {"malformed", "wrong_root", "missing_attr", "schema_text", "range_mismatch"})
        EXPECT_EQ(mentioning(capture, fixture("bad/") + bad + "/board.xml").size(), 1u) << bad;
    EXPECT_EQ(capture.messages.size(), 5u);
    for (const auto& message : capture.messages) EXPECT_EQ(message.mask(), unsigned(HMSG_MASK_WARNING));
}

TEST(BadInput, MessagesNameLineAndReason) {
    const std::pair<const char*, const char*> cases[] = {
        {"bad/malformed/board.xml", "line 5: malformed XML"},
        {"bad/wrong_root/board.xml", "line 2: the root element is <boards>, expected <board>"},
        {"bad/missing_attr/board.xml", "line 5: <component> has no 'name' attribute"},
        {"bad/schema_text/board.xml", "line 1: schema_version must be a number such as 2.1, got '2.x'"},
        {"bad/range_mismatch/board.xml", "line 9: connection_map 'a_b_1' joins 4 pins of 'a' to 3 pins of 'b'"},
    };
    for (const auto& c : cases) {
        std::string error = parseError(c.first);
        EXPECT_EQ(error.find(fixture(c.first)), 0u) << error;
        EXPECT_NE(error.find(c.second), std::string::npos) << error;
    }
}

TEST(BadInput, MissingFolderIsSkippedWithAWarning) {
    MessageCapture capture;
    std::string missing = fixture("no_such_folder");
    RepoPaths repo(missing + " " + fixture("dup1"));
    std::vector<HBOBoard*> boards;
    HBOBoardCReposMgr::getGlobal()->appendAllBoards(boards);
    EXPECT_EQ(namesOf(boards), (Names{"test.org:twin:1.0"}));
    ASSERT_EQ(capture.messages.size(), 1u);
    EXPECT_NE(capture.texts()[0].find(missing), std::string::npos);
}

TEST(BadInput, UnreadableFile) {
    std::filesystem::path dir = uniqueTempDir();
    std::filesystem::create_directories(dir / "x");
    std::filesystem::create_symlink(dir / "nowhere.xml", dir / "x" / "board.xml");
    MessageCapture capture;
    {
        RepoPaths repo(dir.string() + " " + fixture("dup1"));
        std::vector<HBOBoard*> boards;
        HBOBoardCReposMgr::getGlobal()->appendAllBoards(boards);
        EXPECT_EQ(boards.size(), 1u);
    }
    ASSERT_EQ(capture.messages.size(), 1u);
    EXPECT_NE(capture.texts()[0].find((dir / "x" / "board.xml").string() + ": cannot be read: No such file"),
              std::string::npos)
        << capture.texts()[0];
    std::filesystem::remove_all(dir);
}

TEST(BadInput, DuplicateBoardFirstRootWins) {
    MessageCapture capture;
    RepoPaths repo(fixture("dup2") + " " + fixture("dup1"));
    std::vector<HBOBoard*> boards;
    HBOBoardCReposMgr::getGlobal()->appendAllBoards(boards);
    ASSERT_EQ(boards.size(), 1u);
    EXPECT_EQ(boards[0]->getDescription(), "second copy");  // from dup2, the first root
    ASSERT_EQ(capture.messages.size(), 1u);
    const std::string text = capture.texts()[0];
    EXPECT_NE(text.find("test.org:twin:1.0"), std::string::npos);
    EXPECT_LT(text.find(fixture("dup2/d/board.xml")), text.find(fixture("dup1/d/board.xml")));
}

TEST(BadInput, MissingPinFileWarnsWhenPinsAreFirstNeeded) {
    RepoPaths repo(fixture("bad"));
    HBOBoard* board = repositoryBoard("test.org:missing_pins:1.0");
    ASSERT_NE(board, nullptr);
    MessageCapture capture;
    std::vector<HBOPinProps*> pins;
    board->findFpgaComponent()->getPinsVec(pins);
    board->findFpgaComponent()->getPinsVec(pins);
    EXPECT_TRUE(pins.empty());
    ASSERT_EQ(capture.messages.size(), 1u);  // once, not per query
    EXPECT_NE(capture.texts()[0].find(fixture("bad/missing_pins/gone_pins.xml") + ": cannot be read"),
              std::string::npos);
}

TEST(BadInput, PinIndexUsedTwice) {
    HBOBoard board;
    HBOParser parser;
    ASSERT_TRUE(parser.parseFile(fixture("bad_pins/board.xml"), &board));
    MessageCapture capture;
    EXPECT_EQ(board.findFpgaComponent()->findPin("a"), nullptr);
    ASSERT_EQ(capture.messages.size(), 1u);
    EXPECT_NE(capture.texts()[0].find("twice_pins.xml, line 4: pin index 0 is used twice"), std::string::npos)
        << capture.texts()[0];
}

TEST(BadInput, NullBoardIsRefused) {
    HBOParser parser;
    EXPECT_FALSE(parser.parseFile(fixture("pair.xml"), nullptr));
    EXPECT_NE(parser.getErrorMessage().find("no board object"), std::string::npos);
}
