// Several threads use the model at once, each inside a use: readers list
// boards, find parts and read pins while a writer changes board and pin
// files and reloads, and
// another thread makes, opens and closes diagrams. Run in the asan build
// (and under ThreadSanitizer) it shows no access to freed memory and no
// race; afterwards nothing that left the model stays in memory.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <thread>

#include "board_test_support.h"
#include "HBOBoardDiagramMgr.h"
#include "HBOBoardModelUse.h"

namespace {

const int kBoards = 8;

std::string boardText(int index, int edition) {
    return "<board schema_version=\"2.1\" vendor=\"t.org\" name=\"b" + std::to_string(index) +
           "\"><file_version>1.0</file_version><description>edition " + std::to_string(edition) +
           "</description><components><component name=\"part0\" type=\"fpga\" part_name=\"p\" "
           "pin_map_file=\"pins.xml\"/><component name=\"c\" type=\"chip\"/></components></board>";
}

std::string pinFileText(int edition) {
    return "<part_info><pins><pin index=\"0\" name=\"e" + std::to_string(edition) + "\"/></pins></part_info>";
}

// What a reader checks of one listing: every board, in order, with its
// part found by name and its one pin read.
bool listingIsWhole(HBOBoardCReposMgr* repository) {
    HBOBoardModelUse use;
    std::vector<HBOBoard*> boards = listedBoards();
    if (boards.size() != kBoards) return false;
    if (!std::is_sorted(boards.begin(), boards.end(),
                        [](const HBOBoard* a, const HBOBoard* b) { return a->getName() < b->getName(); }))
        return false;
    for (HBOBoard* board : boards) {
        const HBOBoardComponent* part = board->findFpgaComponent();
        const HBOBoardComponent* found = part ? repository->findBoardPart(part->getName()) : nullptr;
        if (!found || found->getName() != part->getName() || board->getDescription().rfind("edition ", 0) != 0)
            return false;
        std::vector<HBOPinProps*> pins;
        part->getPinsVec(pins);
        if (pins.size() != 1 || pins[0]->getName().front() != 'e') return false;
    }
    return true;
}

// Replaced whole, as readers may read it at any time.
void replaceFile(const ScratchRepo& scratch, const std::string& relative, const std::string& text) {
    scratch.write(relative + ".new", text);
    std::filesystem::rename(scratch.path(relative + ".new"), scratch.path(relative));
}

void openAndCloseDiagrams(int count) {
    HBOBoardDiagramMgr* diagrams = HBOBoardDiagramMgr::getGlobal();
    for (int i = 0; i < count; ++i) {
        HBOBoardModelUse use;
        auto* diagram = new HBOBoard;
        diagram->setName("t.org", "d" + std::to_string(i % 3), "1.0");
        diagrams->adoptBoard(diagram);
        diagrams->setCurrentBoardDiagram(diagram);
        std::vector<HBOBoard*> opened;
        diagrams->getOpenedBoardDiagrams(opened);
        for (const HBOBoard* each : opened) (void)each->getName();
        diagrams->removeFromOpenedBoardDiagrams(diagram->getName());
    }
}

}  // namespace

TEST(Threads, ReadersReloadsAndDiagramsAtOnce) {
    ScratchRepo scratch;
    for (int i = 0; i < kBoards; ++i) {
        scratch.write("b" + std::to_string(i) + "/board.xml", boardText(i, 0));
        scratch.write("b" + std::to_string(i) + "/pins.xml", pinFileText(0));
    }
    RepoPaths repo(scratch.dir().string());
    HBOBoardCReposMgr* repository = HBOBoardCReposMgr::getGlobal();
    ASSERT_EQ(listedBoards().size(), static_cast<std::size_t>(kBoards));

    std::atomic<bool> done{false};
    std::atomic<int> broken{0};
    std::vector<std::thread> threads;
    for (int r = 0; r < 3; ++r) {
        threads.emplace_back([&] {
            while (!done)
                if (!listingIsWhole(repository)) ++broken;
        });
    }
    threads.emplace_back([] { openAndCloseDiagrams(400); });
    for (int edition = 1; edition <= 30; ++edition) {
        HBOBoardModelUse use;
        const std::string folder = "b" + std::to_string(edition % kBoards);
        if (edition % 2) replaceFile(scratch, folder + "/board.xml", boardText(edition % kBoards, edition));
        else replaceFile(scratch, folder + "/pins.xml", pinFileText(edition));  // read again once its pins were
        repository->release();
        listedBoards();
    }
    done = true;
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(broken, 0);

    repository->release();  // outside any use: what left the model goes now
    listedBoards();
    const HBOBoardCReposMgr::BoardsInMemory kept = HBOBoardCReposMgr::boardsInMemory();
    EXPECT_EQ(kept.listed, static_cast<std::size_t>(kBoards));
    EXPECT_EQ(kept.retired, 0u);
    EXPECT_EQ(kept.adopted, 0u);
}
