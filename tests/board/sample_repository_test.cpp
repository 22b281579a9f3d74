// The bundled sample repository loads cleanly: every board, pin file and
// preset file without a warning, and a known board reads as written.
#include <gtest/gtest.h>

#include <cctype>

#include "board_test_support.h"

TEST(SampleRepository, EveryFileLoadsWithoutWarnings) {
    HBOBoardUtils::defineParameters();
    HPAParamMgr::getParamMgr().reset("board.repoPaths");
    MessageCapture capture;
    std::vector<HBOBoard*> boards;
    HBOBoardCReposMgr::getGlobal()->appendAllBoards(boards);
    ASSERT_FALSE(boards.empty());
    for (std::size_t i = 1; i < boards.size(); ++i) EXPECT_LT(boards[i - 1]->getName(), boards[i]->getName());
    for (HBOBoard* board : boards) HBOBoardCReposMgr::getGlobal()->populatePreferenceData(board);
    EXPECT_EQ(capture.texts(), std::vector<std::string>{});
}

TEST(SampleRepository, TrellisBoardReadsAsWritten) {
    HBOBoardUtils::defineParameters();
    HPAParamMgr::getParamMgr().reset("board.repoPaths");
    HBOBoard* board = repositoryBoard("acme.com:trellis_a1:1.1");
    ASSERT_NE(board, nullptr);
    HBOBoardComponent* fpga = board->findFpgaComponent();
    ASSERT_NE(fpga, nullptr);
    EXPECT_EQ(fpga->getPartName(), "ac-t20-bg256-1");
    HBOPinProps* led0 = fpga->findPin("led0");
    ASSERT_NE(led0, nullptr);
    EXPECT_FALSE(led0->getProperty(HBO_PIN_PROP_LOC).empty());
    EXPECT_EQ(led0->getOwner(), fpga);
    std::vector<HBOBusIf*> interfaces;
    board->getBusIfSeq(interfaces);
    ASSERT_FALSE(interfaces.empty());
    for (HBOBusIf* busIf : interfaces) {
        std::string proc = busIf->getPresetProcName();
        for (char& c : proc) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if (!proc.empty()) {
            EXPECT_EQ(board->getIpPresets().count(proc), 1u) << proc;
        }
    }
    for (const auto& entry : board->getIpAssociatedInterfaces()) {
        bool named = false;
        for (HBOBusIf* busIf : interfaces) named = named || busIf->getName() == entry.first;
        EXPECT_TRUE(named) << entry.first;
    }
}

TEST(SampleRepository, HasBothSchemaGenerationsAndABoardWithoutFpga) {
    HBOBoardUtils::defineParameters();
    HPAParamMgr::getParamMgr().reset("board.repoPaths");
    std::vector<HBOBoard*> boards;
    HBOBoardCReposMgr::getGlobal()->appendAllBoards(boards);
    int older = 0, withoutFpga = 0;
    for (HBOBoard* board : boards) {
        older += HBOBoardUtils::isSchema20OrGreater(board) ? 0 : 1;
        withoutFpga += board->findFpgaComponent() ? 0 : 1;
    }
    EXPECT_GE(boards.size(), 8u);
    EXPECT_GE(older, 1);
    EXPECT_GE(withoutFpga, 1);
}
