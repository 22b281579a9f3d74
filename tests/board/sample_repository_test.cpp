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

// Every reference inside the sample boards resolves: the pins that schema-2
// port maps name exist on their component, and every net of every connection
// has a pin at both ends.
TEST(SampleRepository, PinMapsAndNetsResolve) {
    HBOBoardUtils::defineParameters();
    HPAParamMgr::getParamMgr().reset("board.repoPaths");
    std::vector<HBOBoard*> boards;
    HBOBoardCReposMgr::getGlobal()->appendAllBoards(boards);
    std::size_t portsChecked = 0;
    std::size_t netsChecked = 0;
    for (HBOBoard* board : boards) {
        if (!HBOBoardUtils::isSchema20OrGreater(board)) continue;
        std::vector<HBOBusIf*> interfaces;
        board->getBusIfSeq(interfaces);
        for (HBOBusIf* busIf : interfaces) {
            for (const auto& logical : busIf->getPortMaps()) {
                std::vector<HBOPinProps*> pins;
                logical.second->getPins(pins);
                EXPECT_EQ(pins.size(), logical.second->getPinPortMap().size())
                    << board->getName() << " " << busIf->getName() << " " << logical.first;
                ++portsChecked;
            }
        }
        std::vector<HBOBoardBus*> buses;
        board->getBuses(buses);
        for (HBOBoardBus* bus : buses) {
            std::vector<HBOBoardBusNet*> nets;
            bus->getBoardBusNets(nets);
            for (HBOBoardBusNet* net : nets) {
                std::vector<HBOPinProps*> ends;
                net->getPinsVec(ends);
                EXPECT_EQ(ends.size(), 2u) << board->getName() << " " << net->getName();
                ++netsChecked;
            }
        }
    }
    EXPECT_GT(portsChecked, 50u);
    EXPECT_GT(netsChecked, 50u);
}
