// Bad repository contents: each problem gives one warning naming the file
// (and line where there is one) and the reason; everything else still loads.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "board_test_support.h"
#include "HBOParser.h"

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
    // The listing keeps each file it left out, with the warning's line and reason.
    std::vector<HBODroppedItem> dropped;
    HBOBoardCReposMgr::getGlobal()->appendDroppedItems(dropped);
    ASSERT_EQ(dropped.size(), 5u);
    for (std::size_t i = 0; i < dropped.size(); ++i) {
        EXPECT_EQ(dropped[i].kind, HBODroppedItem::BOARD_FILE);
        EXPECT_NE(capture.texts()[i].find(dropped[i].path + ", line " + std::to_string(dropped[i].line) + ": " +
                                          dropped[i].reason),
                  std::string::npos)
            << capture.texts()[i];
    }
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
    std::vector<HBODroppedItem> dropped;
    HBOBoardCReposMgr::getGlobal()->appendDroppedItems(dropped);
    ASSERT_EQ(dropped.size(), 1u);
    EXPECT_EQ(dropped[0].kind, HBODroppedItem::FOLDER);
    EXPECT_EQ(dropped[0].path, missing);
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
    std::vector<HBODroppedItem> dropped;
    HBOBoardCReposMgr::getGlobal()->appendDroppedItems(dropped);
    ASSERT_EQ(dropped.size(), 1u);
    EXPECT_EQ(dropped[0].kind, HBODroppedItem::DUPLICATE_FILE);
    EXPECT_EQ(dropped[0].path, fixture("dup1/d/board.xml"));
    EXPECT_EQ(dropped[0].name, "test.org:twin:1.0");
}

// Within one folder the first path in byte order wins: "B" before "a".
TEST(BadInput, DuplicateBoardInOneFolderFirstPathInByteOrderWins) {
    MessageCapture capture;
    RepoPaths repo(fixture("dup_one_root"));
    std::vector<HBOBoard*> boards;
    HBOBoardCReposMgr::getGlobal()->appendAllBoards(boards);
    ASSERT_EQ(boards.size(), 1u);
    EXPECT_EQ(boards[0]->getDescription(), "under B, first in byte order");
    ASSERT_EQ(capture.messages.size(), 1u);
    const std::string text = capture.texts()[0];
    EXPECT_LT(text.find(fixture("dup_one_root/B/board.xml")), text.find(fixture("dup_one_root/a/board.xml"))) << text;
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
    // The board keeps why the component has no pins.
    ASSERT_EQ(board->getDroppedItems().size(), 1u);
    const HBODroppedItem dropped = board->getDroppedItems()[0];
    EXPECT_EQ(dropped.kind, HBODroppedItem::PIN_FILE);
    EXPECT_EQ(dropped.name, board->findFpgaComponent()->getComponentName());
    EXPECT_EQ(dropped.path, fixture("bad/missing_pins/gone_pins.xml"));
    EXPECT_EQ(dropped.reason.find("cannot be read"), 0u);
}

TEST(BadInput, NullBoardIsRefused) {
    HBOParser parser;
    EXPECT_FALSE(parser.parseFile(fixture("pair.xml"), nullptr));
    EXPECT_NE(parser.getErrorMessage().find("no board object"), std::string::npos);
}

namespace {

std::vector<std::string> listed(const std::string& folders) {
    RepoPaths repo(folders);
    std::vector<HBOBoard*> boards;
    HBOBoardCReposMgr::getGlobal()->appendAllBoards(boards);
    return namesOf(boards);
}

}  // namespace

// Only regular files are read: a folder, a pipe or a device costs only itself.
TEST(BadInput, BoardFilesThatAreNoRegularFiles) {
    ScratchRepo scratch;
    scratch.addPlainBoard("ok");
    std::filesystem::create_directories(scratch.dir() / "folder" / "board.xml");
    ASSERT_EQ(::mkfifo(scratch.path("pipe/board.xml").c_str(), 0644), -1);  // its folder is not there yet
    std::filesystem::create_directories(scratch.dir() / "pipe");
    ASSERT_EQ(::mkfifo(scratch.path("pipe/board.xml").c_str(), 0644), 0);
    std::filesystem::create_directories(scratch.dir() / "device");
    std::filesystem::create_symlink("/dev/zero", scratch.dir() / "device" / "board.xml");
    MessageCapture capture;
    EXPECT_EQ(listed(scratch.dir().string()), (Names{"beta.org:plain:1.0"}));
    const std::pair<const char*, const char*> cases[] = {
        {"folder/board.xml", "is not a regular file but a folder"},
        {"pipe/board.xml", "is not a regular file but a named pipe"},
        {"device/board.xml", "is not a regular file but a character device"},
    };
    for (const auto& c : cases) {
        const auto found = mentioning(capture, scratch.path(c.first) + ": " + c.second);
        EXPECT_EQ(found.size(), 1u) << c.first;
    }
    EXPECT_EQ(capture.messages.size(), 3u);
    HBOBoardCReposMgr::getGlobal()->release();
    EXPECT_EQ(listed(scratch.dir().string()), (Names{"beta.org:plain:1.0"}));  // not lost on later queries
}

// A folder chain deeper than a path can name is left out with one warning.
TEST(BadInput, FolderChainTooDeepForAPath) {
    ScratchRepo scratch;
    scratch.addPlainBoard("z_ok");
    const std::string name(200, 'd');
    int fd = ::open(scratch.dir().c_str(), O_RDONLY | O_DIRECTORY);
    for (int level = 0; level < 30 && fd >= 0; ++level) {
        ::mkdirat(fd, name.c_str(), 0755);
        const int next = ::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY);
        ::close(fd);
        fd = next;
    }
    ASSERT_GE(fd, 0);
    ::close(fd);
    MessageCapture capture;
    EXPECT_EQ(listed(scratch.dir().string()), (Names{"beta.org:plain:1.0"}));
    ASSERT_EQ(capture.messages.size(), 1u);
    EXPECT_NE(capture.texts()[0].find("its path is longer than the system allows"), std::string::npos);
    EXPECT_LT(capture.texts()[0].size(), 600u);  // the path is quoted in excerpts
}

// An unreadable folder costs its own boards; run in a child without root's rights.
TEST(BadInput, UnreadableFolderCostsOnlyItsBoards) {
    ScratchRepo scratch;
    scratch.addPlainBoard("readable");
    scratch.write("locked/x/board.xml", "<board/>");
    std::filesystem::permissions(scratch.dir() / "locked", std::filesystem::perms::none);
    EXPECT_EXIT(
        {
            if (::getuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) std::_Exit(2);
            MessageCapture capture;
            const bool boardsRight = listed(scratch.dir().string()) == Names{"beta.org:plain:1.0"};
            const bool warned =
                capture.messages.size() == 1 &&
                !mentioning(capture, scratch.path("locked") + " cannot be read: Permission denied").empty();
            std::_Exit(boardsRight && warned ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
    std::filesystem::permissions(scratch.dir() / "locked", std::filesystem::perms::owner_all);
}

TEST(BadInput, EmptyAndRepeatedFolderNames) {
    ScratchRepo scratch;
    scratch.addPlainBoard("a");
    MessageCapture capture;
    const std::string dir = scratch.dir().string();
    EXPECT_EQ(listed("{} " + dir + " " + dir + "/ " + dir + "/a/.."), (Names{"beta.org:plain:1.0"}));
    ASSERT_EQ(capture.messages.size(), 1u);  // no "defined twice" for the repeated folder
    EXPECT_EQ(capture.texts()[0], "The parameter board.repoPaths holds an empty folder name; it is skipped.");
}

// Huge pin indexes refuse the board; a range naming pins a component lacks is left out.
TEST(BadInput, PinIndexRangesAreCheckedWhenTheBoardIsRead) {
    const auto board = [](const std::string& name, const std::string& c1End, const std::string& c2End) {
        return "<board schema_version=\"2.1\" vendor=\"v\" name=\"" + name +
               "\"><file_version>1.0</file_version><components>"
               "<component name=\"a\" type=\"chip\"/>"
               "<component name=\"b\" type=\"chip\"><pins><pin index=\"0\" name=\"p0\"/><pin index=\"1\" "
               "name=\"p1\"/></pins></component></components><connections>"
               "<connection name=\"ab\" component1=\"a\" component2=\"b\">"
               "<connection_map name=\"m\" c1_st_index=\"0\" c1_end_index=\"" +
               c1End + "\" c2_st_index=\"0\" c2_end_index=\"" + c2End +
               "\"/><connection_map name=\"n\" c1_st_index=\"5\" c1_end_index=\"5\" c2_st_index=\"1\" "
               "c2_end_index=\"1\"/></connection></connections></board>";
    };
    ScratchRepo scratch;
    scratch.write("huge/board.xml", board("huge", "30000000", "30000000"));
    scratch.write("max/board.xml", board("max", "4294967295", "4294967295"));
    scratch.write("missing/board.xml", board("missing", "3", "3"));
    MessageCapture capture;
    EXPECT_EQ(listed(scratch.dir().string()), (Names{"v:missing:1.0"}));
    EXPECT_EQ(mentioning(capture, "'c1_end_index' of <connection_map> is 30000000, above the largest pin index 999999")
                  .size(),
              1u);
    EXPECT_EQ(mentioning(capture, "is 4294967295, above the largest pin index").size(), 1u);
    EXPECT_EQ(mentioning(capture, scratch.path("missing/board.xml") +
                                      ", line 1: connection_map 'm' names pin index 2 of component 'b', which "
                                      "lists no such pin")
                  .size(),
              1u);
    EXPECT_EQ(capture.messages.size(), 3u);
    RepoPaths repo(scratch.dir().string());
    std::vector<HBOBoardBus*> buses;
    repositoryBoard("v:missing:1.0")->getBuses(buses);
    std::vector<HBOBoardBusNet*> nets;
    buses.at(0)->getBoardBusNets(nets);
    EXPECT_EQ(namesOf(nets), (Names{"n_0"}));
    const std::vector<HBODroppedItem>& dropped = repositoryBoard("v:missing:1.0")->getDroppedItems();
    ASSERT_EQ(dropped.size(), 1u);
    EXPECT_EQ(dropped[0].kind, HBODroppedItem::CONNECTION_MAP);
    EXPECT_EQ(dropped[0].name, "m");
}

TEST(BadInput, PresetFileLeftOutIsKeptByItsBoard) {
    ScratchRepo scratch;
    scratch.write("p/board.xml",
                  "<board schema_version=\"2.1\" vendor=\"v\" name=\"p\" preset_file=\"preset.xml\">"
                  "<file_version>1.0</file_version></board>");
    scratch.write("p/preset.xml", "<ip_presets>\n<ip_preset/></ip_presets>");
    RepoPaths repo(scratch.dir().string());
    HBOBoard* board = repositoryBoard("v:p:1.0");
    ASSERT_NE(board, nullptr);
    EXPECT_TRUE(board->getDroppedItems().empty());  // not loaded yet
    MessageCapture capture;
    EXPECT_TRUE(board->getIpPresets().empty());
    ASSERT_EQ(board->getDroppedItems().size(), 1u);
    const HBODroppedItem dropped = board->getDroppedItems()[0];
    EXPECT_EQ(dropped.kind, HBODroppedItem::PRESET_FILE);
    EXPECT_EQ(dropped.line, 2);
    EXPECT_EQ(dropped.reason, "<ip_preset> has no 'preset_proc_name' attribute");
    EXPECT_EQ(HBOBoard(*board, "copy").getDroppedItems().size(), 1u);
}
