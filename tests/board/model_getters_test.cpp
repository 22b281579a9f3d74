// Getters on the fixture repository (tests/files/good) for what the sample
// repository lacks: missing pins, descending ranges, boards without FPGA.
#include <gtest/gtest.h>

#include "board_test_support.h"

using Names = std::vector<std::string>;

class ModelGetters : public ::testing::Test {
protected:
    RepoPaths repo{fixture("good")};
    HBOBoard* alpha = repositoryBoard("acme.com:alpha:1.0");
    HBOBoard* legacy = repositoryBoard("acme.com:legacy:1.0");
    HBOBoardComponent* part0 = alpha ? alpha->findFpgaComponent() : nullptr;
    void SetUp() override { ASSERT_TRUE(alpha && legacy && part0); }
};

TEST_F(ModelGetters, ListsAreAppendedToWhatTheCallerHolds) {
    std::vector<HBOParameter*> parameters;
    alpha->getParameters(parameters);
    part0->getParameters(parameters);
    EXPECT_EQ(namesOf(parameters), (Names{"heat_sink", "power_mv", "speed_grade"}));
    std::vector<HBOBusIfPreference*> preferences;
    part0->findBusIf("led_4bits")->getPreferences(preferences);
    part0->findBusIf("led_4bits")->getPreferences(preferences);
    EXPECT_EQ(preferences.size(), 4u);
}

TEST_F(ModelGetters, PinMapNamingAMissingPinSkipsIt) {
    HBOModelPort* tri = part0->findBusIf("led_4bits")->getPortMaps().at("TRI_O");
    std::vector<HBOPinProps*> pins;
    tri->getPins(pins);
    EXPECT_EQ(namesOf(pins), (Names{"led0", "led1", "led2", "led3"}));
    EXPECT_EQ(tri->getPinPortMap().size(), 5u);
}

TEST_F(ModelGetters, DescendingRangeGivesNetsFromTheHighIndex) {
    std::vector<HBOBoardBus*> buses;
    alpha->getBusesOfComponent("j1", buses);
    ASSERT_EQ(namesOf(buses), (Names{"part0_j1"}));
    std::vector<HBOBoardBusNet*> nets;
    buses[0]->getBoardBusNets(nets);
    std::vector<std::pair<uint32_t, uint32_t>> pairs;
    for (const HBOBoardBusNet* net : nets) pairs.emplace_back(net->getC1PinIndex(), net->getC2PinIndex());
    EXPECT_EQ(pairs, (std::vector<std::pair<uint32_t, uint32_t>>{{7, 0}, {6, 1}, {5, 2}, {4, 3}}));
    std::vector<HBOPinProps*> ends;
    nets[0]->getPinsVec(ends);
    EXPECT_EQ(namesOf(ends), (Names{"io3", "J1_1"}));
}

TEST_F(ModelGetters, OlderBoardPortMapMayNameNoPort) {
    HBOBoardComponent* fpga = legacy->findFpgaComponent();
    std::vector<HBOModelPort*> ports;
    fpga->getModelPortSeq(ports);
    std::vector<HBOBusIf*> interfaces;
    fpga->getBusIfSeq(interfaces, true);
    std::vector<HBOPortMap*> maps;
    interfaces[0]->getPortMapSeq(maps);
    ASSERT_EQ(maps.size(), 2u);
    HBOModelPort* port = nullptr;
    EXPECT_TRUE(fpga->getModelPortByName(port, maps[0]->getPhysicalPort()));
    EXPECT_EQ(port, ports[0]);
    port = nullptr;
    EXPECT_FALSE(fpga->getModelPortByName(port, maps[1]->getPhysicalPort()));
    EXPECT_EQ(port, nullptr);
    std::vector<HBOPinProps*> all;
    fpga->getPinsVec(all);
    EXPECT_EQ(namesOf(all), (Names{"led0", "led1", "clk"}));
}

TEST_F(ModelGetters, BoardWithoutFpga) {
    HBOBoard* plain = repositoryBoard("beta.org:plain:1.0");
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(plain->findFpgaComponent(), nullptr);
    EXPECT_EQ(plain->getPartName(), "");
    EXPECT_TRUE(plain->getIpPresets().empty());
}
