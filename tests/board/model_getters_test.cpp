// Getters on the fixture repository (tests/files/good) where its files hold
// what the sample repository does not: lists appended to what the caller
// holds, texts kept as written, a pin map naming a missing pin, a descending
// net range, an older board's unresolvable port and a board without FPGA.
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
    std::vector<HBOBoardComponent*> components{nullptr};
    alpha->getBoardComponentsVec(components);
    ASSERT_EQ(components.size(), 5u);
    EXPECT_EQ(components[0], nullptr);
    EXPECT_EQ(components[1], part0);

    std::vector<HBOParameter*> parameters;
    alpha->getParameters(parameters);
    part0->getParameters(parameters);
    EXPECT_EQ(namesOf(parameters), (Names{"heat_sink", "power_mv", "speed_grade"}));

    std::vector<HBOComponentMode*> modes;
    part0->getComponentModes(modes);
    ASSERT_EQ(namesOf(modes), (Names{"default", "serial"}));
    std::vector<HBOBusIfPreference*> preferences;
    modes[0]->getPreferredIps(preferences);
    part0->findBusIf("led_4bits")->getPreferences(preferences);
    EXPECT_EQ(namesOf(preferences), (Names{"gpio", "gpio", "gpio_lite"}));
    EXPECT_EQ(preferences[2]->getOrder(), 1);
}

TEST_F(ModelGetters, EnabledTextIsKeptAsWritten) {
    std::vector<HBOBoardComponent*> components;
    alpha->getBoardComponentsVec(components);
    Names enabled;
    for (auto* c : components) enabled.push_back(c->getIsEnabled());
    EXPECT_EQ(enabled, (Names{"true", "TRUE", "True", "false"}));
    std::vector<HBOBusIf*> interfaces;
    part0->getBusIfSeq(interfaces, true);
    EXPECT_EQ(interfaces[0]->getIsEnabled(), "true");  // absent attribute
    EXPECT_EQ(interfaces[1]->getIsEnabled(), "false");
    std::vector<HBOComponentMode*> modes;
    part0->getComponentModes(modes);
    EXPECT_EQ(modes[1]->getIsEnabled(), "False");
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

TEST_F(ModelGetters, PresetsAreKeyedInCapitalsAndAssociatedByInterface) {
    const HBOIpPresetMap& presets = alpha->getIpPresets();
    ASSERT_EQ(presets.size(), 2u);
    const auto& led = presets.at("LED_4BITS_PRESET");
    ASSERT_EQ(led.size(), 2u);
    EXPECT_EQ(led[0]->getPresetName(), "led_4bits_preset");
    EXPECT_EQ(led[0]->getVlnv(), "acme.com:ip:gpio:*");
    std::vector<HBOParameter*> parameters;
    led[0]->getParameters(parameters);
    EXPECT_EQ(namesOf(parameters), (Names{"CONFIG.GPIO_WIDTH", "CONFIG.ALL_OUTPUTS"}));
    const HBOIpPresetMap& associated = alpha->getIpAssociatedInterfaces();
    EXPECT_EQ(associated.at("uart")[0]->getVersion(), "2.0");
    EXPECT_EQ(associated.at("led_4bits")[0]->getIpInterface(), "GPIO");
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
