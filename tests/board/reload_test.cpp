// Reloads read again exactly what changed (board files, and the pin and
// preset files read since), however soon after the last read; everything
// else keeps its objects, and what was told is not told again.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>

#include "board_test_support.h"

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

namespace {

std::vector<std::string> pinNames(const HBOBoard* board) {
    std::vector<HBOPinProps*> pins;
    board->findFpgaComponent()->getPinsVec(pins);
    return namesOf(pins);
}

void reload() { HBOBoardCReposMgr::getGlobal()->release(); }

}  // namespace

// The fixture files are older than any time-stamp tick, so nothing is read again.
TEST(Reload, UnchangedFilesKeepTheirBoards) {
    RepoPaths repo(fixture("good"));
    const std::vector<HBOBoard*> boards = listedBoards();
    pinNames(boards.at(0));  // a pin file read, unchanged since
    reload();
    EXPECT_EQ(listedBoards(), boards);
}

TEST(Reload, BoardFileRepairedAtOnceIsReadAgain) {
    ScratchRepo scratch;
    scratch.write("b/board.xml", "<board");
    RepoPaths repo(scratch.dir().string());
    EXPECT_TRUE(listedBoards().empty());
    fs::copy_file(fixture("good/beta.org/plain/1.0/board.xml"), scratch.path("b/board.xml"),
                  fs::copy_options::overwrite_existing);
    reload();
    EXPECT_EQ(namesOf(listedBoards()), (Names{"beta.org:plain:1.0"}));
}

// The board file is a link to an old fixture file, so only the pin file beside it is new.
TEST(Reload, PinFileRepairedOrEditedIsReadAgain) {
    ScratchRepo scratch;
    fs::create_directories(scratch.dir() / "alpha");
    fs::create_symlink(fixture("good/acme.com/alpha/1.0/board.xml"), scratch.dir() / "alpha" / "board.xml");
    const auto pinFile = [&](const std::string& name) {
        scratch.write("alpha/part0_pins.xml",
                      "<part_info><pins><pin index=\"0\" name=\"" + name + "\"/></pins></part_info>");
    };
    scratch.write("alpha/part0_pins.xml", "<part_info><pins>");
    RepoPaths repo(scratch.dir().string());
    MessageCapture capture;
    EXPECT_TRUE(pinNames(listedBoards().at(0)).empty());
    EXPECT_EQ(capture.messages.size(), 1u);
    pinFile("first");
    reload();
    EXPECT_EQ(pinNames(listedBoards().at(0)), (Names{"first"}));
    pinFile("other");
    reload();
    EXPECT_EQ(pinNames(listedBoards().at(0)), (Names{"other"}));
}

// As for pin files: only the preset file beside the linked board file is new.
TEST(Reload, PresetFileEditedIsReadAgain) {
    ScratchRepo scratch;
    fs::create_directories(scratch.dir() / "alpha");
    fs::create_symlink(fixture("good/acme.com/alpha/1.0/board.xml"), scratch.dir() / "alpha" / "board.xml");
    const auto presetFile = [&](const std::string& name) {
        scratch.write("alpha/preset.xml", "<ip_presets schema=\"1.0\"><ip_preset preset_proc_name=\"" + name +
                                              "\"><ip vendor=\"v\" library=\"l\" name=\"n\" version=\"1\"/>"
                                              "</ip_preset></ip_presets>");
    };
    const auto presetNames = [] {
        Names names;
        for (const auto& entry : listedBoards().at(0)->getIpPresets()) names.push_back(entry.first);
        return names;
    };
    presetFile("FIRST");
    RepoPaths repo(scratch.dir().string());
    EXPECT_EQ(presetNames(), (Names{"FIRST"}));
    presetFile("OTHER");
    reload();
    EXPECT_EQ(presetNames(), (Names{"OTHER"}));
}

TEST(Reload, WarningsAreNotRepeatedForWhatDidNotChange) {
    MessageCapture capture;
    RepoPaths repo(fixture("bad"));
    listedBoards();
    const std::size_t first = capture.messages.size();
    EXPECT_EQ(first, 5u);
    reload();
    listedBoards();
    EXPECT_EQ(capture.messages.size(), first);
    std::vector<HBODroppedItem> dropped;
    HBOBoardCReposMgr::getGlobal()->appendDroppedItems(dropped);
    EXPECT_EQ(dropped.size(), first);  // still known
}

// A file that lost to an earlier one of its board name is read again once the earlier one is gone.
TEST(Reload, DuplicateTakesOverWhenTheFirstGoes) {
    ScratchRepo first, second;
    first.addPlainBoard("p");
    second.addPlainBoard("p");
    MessageCapture capture;
    RepoPaths repo(first.dir().string() + " " + second.dir().string());
    ASSERT_EQ(listedBoards().size(), 1u);
    EXPECT_EQ(capture.messages.size(), 1u);  // defined twice
    reload();
    listedBoards();
    EXPECT_EQ(capture.messages.size(), 1u);  // not told again
    fs::remove(first.path("p/board.xml"));
    reload();
    ASSERT_EQ(listedBoards().size(), 1u);
    EXPECT_EQ(listedBoards()[0]->getBoardFile(), second.path("p/board.xml"));
}

// A folder that can no longer be read warns at the reload, once; run in a
// child without root's rights, on folders of its own.
TEST(Reload, FolderThatBecomesUnreadableWarns) {
    EXPECT_EXIT(
        {
            if (::getuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) std::_Exit(2);
            bool right = false;
            {
                ScratchRepo scratch;
                scratch.addPlainBoard("readable");
                scratch.write("locked/x/board.xml", "<board/>");
                RepoPaths repo(scratch.dir().string());
                MessageCapture capture;
                listedBoards();
                const std::size_t before = capture.messages.size();  // the bad board below "locked"
                fs::permissions(scratch.dir() / "locked", fs::perms::none);
                reload();
                const bool boardsRight = namesOf(listedBoards()) == Names{"beta.org:plain:1.0"};
                const bool warned =
                    capture.messages.size() == before + 1 &&
                    capture.texts().back().find(scratch.path("locked") + " cannot be read") != std::string::npos;
                reload();
                listedBoards();
                right = boardsRight && warned && capture.messages.size() == before + 1;
                fs::permissions(scratch.dir() / "locked", fs::perms::owner_all);
            }
            std::_Exit(right ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

// The board part of a name is found without walking the boards, and after a
// reload it is the part of that name in the new listing.
TEST(Reload, BoardPartsAreFoundByName) {
    HBOBoardCReposMgr* repository = HBOBoardCReposMgr::getGlobal();
    {
        RepoPaths repo(fixture("good"));
        for (HBOBoard* board : listedBoards()) {
            if (HBOBoardComponent* part = board->findFpgaComponent()) {
                EXPECT_EQ(repository->findBoardPart(part->getName()), part);
            }
        }
        EXPECT_EQ(repository->findBoardPart("acme.com:alpha:no_such_part:1.0"), nullptr);
        EXPECT_EQ(repository->findBoardPart("acme.com:alpha:1.0"), nullptr);  // a board's name
    }
    RepoPaths other(fixture("dup1"));
    EXPECT_EQ(repository->findBoardPart("acme.com:alpha:part0:1.0"), nullptr);
}

// Boards are read on several threads; what is listed and told is the same as on one.
TEST(Reload, ThreadsChangeNothingListedOrTold) {
    const std::string folders = fixture("bad") + " " + fixture("dup2") + " " + fixture("good") + " " + fixture("dup1");
    HBOBoardUtils::defineParameters();
    const auto listing = [&](const char* threads) {
        HPAParamMgr::getParamMgr().setValue("board.listingThreads", threads);
        MessageCapture capture;
        RepoPaths repo(folders);
        Names names = namesOf(listedBoards());
        const Names told = capture.texts();
        names.insert(names.end(), told.begin(), told.end());
        return names;
    };
    const Names alone = listing("1");
    EXPECT_EQ(alone.size(), 12u);  // 6 boards, 5 bad files, 1 duplicate
    EXPECT_EQ(listing("7"), alone);
    HPAParamMgr::getParamMgr().reset("board.listingThreads");
}
