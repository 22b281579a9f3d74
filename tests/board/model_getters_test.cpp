// Getter order and content on the fixture repository (tests/files/good):
// a schema-2 board, an older schema-1 board and a board without FPGA.
#include <gtest/gtest.h>

#include "HBOBoardUtils.h"
#include "board_test_support.h"

using Names = std::vector<std::string>;

class ModelGetters : public ::testing::Test {
protected:
    RepoPaths repo{fixture("good")};
    HBOBoard* alpha = repositoryBoard("acme.com:alpha:1.0");
    HBOBoard* legacy = repositoryBoard("acme.com:legacy:1.0");
    HBOBoardComponent* part0 = alpha ? alpha->findFpgaComponent() : nullptr;
};

TEST_F(ModelGetters, BoardIdentityAndLists) {
    ASSERT_NE(alpha, nullptr);
    EXPECT_EQ(alpha->getBoardName(), "alpha");
    EXPECT_EQ(alpha->getDisplayName(), "Alpha test board");
    EXPECT_EQ(alpha->getSchemaVersion(), "2.1");
    EXPECT_EQ(alpha->getPartName(), "xa-test-1");
    EXPECT_FALSE(alpha->isIntegratedBoard());

    std::vector<HBOBoardComponent*> components{nullptr};  // appended after what the caller holds
    alpha->getBoardComponentsVec(components);
    ASSERT_EQ(components.size(), 5u);
    EXPECT_EQ(components[1]->getName(), "acme.com:alpha:part0:1.0");
    std::vector<std::string> short_names;
    for (std::size_t i = 1; i < components.size(); ++i) short_names.push_back(components[i]->getComponentName());
    EXPECT_EQ(short_names, (Names{"part0", "led_4bits", "j1", "spare"}));

    std::vector<HBOJumper*> jumpers;
    alpha->getJumpers(jumpers);
    EXPECT_EQ(namesOf(jumpers), (Names{"JP1", "JP2"}));
    EXPECT_EQ(jumpers[0]->getDefaultMode(), "jtag");
    std::vector<HBOParameter*> parameters;
    alpha->getParameters(parameters);
    part0->getParameters(parameters);
    EXPECT_EQ(namesOf(parameters), (Names{"heat_sink", "power_mv", "speed_grade"}));
    EXPECT_EQ(parameters[1]->getValue(), "5000");
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
}

TEST_F(ModelGetters, InterfacesPortsAndPins) {
    std::vector<HBOBusIf*> interfaces;
    alpha->getBusIfSeq(interfaces);
    ASSERT_EQ(namesOf(interfaces), (Names{"led_4bits", "uart"}));
    HBOBusIf* led = interfaces[0];
    EXPECT_EQ(led->getOwnerComponent(), part0);
    EXPECT_EQ(led->getParentBoard(), alpha);
    EXPECT_EQ(led->getPresetProcName(), "led_4bits_preset");
    EXPECT_EQ(led->getMode(), "master");

    auto ports = interfaces[1]->getPortMaps();
    ASSERT_EQ(ports.size(), 2u);
    EXPECT_EQ(ports.begin()->first, "RXD");  // map order
    EXPECT_EQ(ports.begin()->second->getName(), "uart_rxd");

    HBOModelPort* tri = led->getPortMaps().at("TRI_O");
    EXPECT_EQ(tri->getPinPortMap().at("2"), "led2");
    std::vector<HBOPinProps*> pins;
    tri->getPins(pins);  // "no_such_pin" is skipped
    EXPECT_EQ(namesOf(pins), (Names{"led0", "led1", "led2", "led3"}));
    EXPECT_EQ(pins[0]->getOwner(), part0);

    std::vector<HBOPortMap*> maps;
    interfaces[1]->getPortMapSeq(maps);
    ASSERT_EQ(maps.size(), 2u);
    EXPECT_EQ(maps[0]->getPhysicalPort(), "uart_txd");
}

TEST_F(ModelGetters, PinPropertiesFromThePinFile) {
    std::vector<HBOPinProps*> pins;
    part0->getPinsVec(pins);
    ASSERT_EQ(pins.size(), 8u);
    HBOPinProps* io0 = part0->findPin("io0");
    ASSERT_NE(io0, nullptr);
    EXPECT_EQ(io0->getPinIndex(), 4u);
    const std::pair<const std::string*, const char*> expected[] = {
        {&HBO_PIN_PROP_NAME, "io0"},           {&HBO_PIN_PROP_INDEX, "4"},
        {&HBO_PIN_PROP_LOC, "A1"},             {&HBO_PIN_PROP_DIFF_TERM, "FALSE"},
        {&HBO_PIN_PROP_DRIVE, ""},             {&HBO_PIN_PROP_IOSTANDARD, ""},
        {&HBO_PIN_PROP_SLEW, ""},              {&HBO_PIN_PROP_OUTPUT_IMPEDANCE, "RDRV_40_40"},
        {&HBO_PIN_PROP_IBUF_LOW_PWR, "TRUE"},  {&HBO_PIN_PROP_ODT, "RTT_40"},
        {&HBO_PIN_PROP_EQUALIZATION, "EQ_LEVEL0"}, {&HBO_PIN_PROP_PRE_EMPHASIS, "RDRV_240"},
        {&HBO_PIN_PROP_DQS_BIAS, "TRUE"},
    };
    for (const auto& entry : expected) EXPECT_EQ(io0->getProperty(*entry.first), entry.second) << *entry.first;
    EXPECT_EQ(part0->findPin("led0")->getProperty(HBO_PIN_PROP_DRIVE), "12");
    EXPECT_EQ(part0->findPin("nothing"), nullptr);
    EXPECT_EQ(part0->findPinByIndex(7)->getName(), "io3");
}

TEST_F(ModelGetters, BusesNetsAndTheirPins) {
    std::vector<HBOBoardBus*> buses;
    alpha->getBuses(buses);
    ASSERT_EQ(namesOf(buses), (Names{"part0_led_4bits", "part0_j1"}));
    EXPECT_EQ(buses[1]->getIsEnabled(), "True");

    std::vector<HBOBoardBus*> ofJ1;
    alpha->getBusesOfComponent("j1", ofJ1);
    EXPECT_EQ(namesOf(ofJ1), (Names{"part0_j1"}));

    std::vector<HBOBoardBusNet*> nets;
    buses[1]->getBoardBusNets(nets);
    ASSERT_EQ(namesOf(nets), (Names{"part0_j1_1_0", "part0_j1_1_1", "part0_j1_1_2", "part0_j1_1_3"}));
    EXPECT_EQ(nets[0]->getC1PinIndex(), 7u);  // a descending range
    EXPECT_EQ(nets[0]->getC2PinIndex(), 0u);
    EXPECT_EQ(nets[3]->getC1PinIndex(), 4u);
    EXPECT_EQ(nets[0]->getOwner(), buses[1]);
    std::vector<HBOPinProps*> pins;
    nets[0]->getPinsVec(pins);
    EXPECT_EQ(namesOf(pins), (Names{"io3", "J1_1"}));

    std::vector<HBOBoardComponent*> ends;
    buses[1]->getBusComponentsVec(ends);
    EXPECT_EQ(ends[0]->getComponentName(), "part0");
    EXPECT_EQ(ends[1]->getComponentName(), "j1");

    std::vector<HBOBoardBusNet*> ofPart0;
    alpha->getNetsOfComponent("part0", ofPart0);
    EXPECT_EQ(ofPart0.size(), 8u);
}

TEST_F(ModelGetters, ModesAndPreferences) {
    std::vector<HBOComponentMode*> modes;
    part0->getComponentModes(modes);
    ASSERT_EQ(namesOf(modes), (Names{"default", "serial"}));
    EXPECT_EQ(modes[1]->getIsEnabled(), "False");
    EXPECT_EQ(modes[1]->getDisplayName(), "serial");
    EXPECT_EQ(modes[0]->getInterfaceNames(), (Names{"led_4bits"}));

    std::vector<HBOBusIfPreference*> preferences;
    modes[0]->getPreferredIps(preferences);
    std::vector<HBOBusIf*> interfaces;
    part0->getBusIfSeq(interfaces, true);
    interfaces[0]->getPreferences(preferences);
    EXPECT_EQ(namesOf(preferences), (Names{"gpio", "gpio", "gpio_lite"}));
    EXPECT_EQ(preferences[2]->getVlnv(), "acme.com:ip:gpio_lite:");
    EXPECT_EQ(preferences[2]->getOrder(), 1);
}

TEST_F(ModelGetters, PresetsAreKeyedInCapitals) {
    const HBOIpPresetMap& presets = alpha->getIpPresets();
    ASSERT_EQ(presets.size(), 2u);
    EXPECT_EQ(presets.begin()->first, "LED_4BITS_PRESET");
    const auto& led = presets.at("LED_4BITS_PRESET");
    ASSERT_EQ(led.size(), 2u);
    EXPECT_EQ(led[0]->getPresetName(), "led_4bits_preset");
    EXPECT_EQ(led[0]->getVlnv(), "acme.com:ip:gpio:*");
    EXPECT_EQ(led[1]->getName(), "gpio_lite");
    std::vector<HBOParameter*> parameters;
    led[0]->getParameters(parameters);
    EXPECT_EQ(namesOf(parameters), (Names{"CONFIG.GPIO_WIDTH", "CONFIG.ALL_OUTPUTS"}));

    const HBOIpPresetMap& associated = alpha->getIpAssociatedInterfaces();
    ASSERT_EQ(associated.size(), 2u);
    EXPECT_EQ(associated.at("uart")[0]->getPresetName(), "default");
    EXPECT_EQ(associated.at("uart")[0]->getVersion(), "2.0");
    EXPECT_EQ(associated.at("led_4bits")[0]->getIpInterface(), "GPIO");
}

TEST_F(ModelGetters, OlderBoardsDescribePinsPerPort) {
    ASSERT_NE(legacy, nullptr);
    EXPECT_FALSE(HBOBoardUtils::isSchema20OrGreater(legacy));
    HBOBoardComponent* fpga = legacy->findFpgaComponent();
    EXPECT_FALSE(HBOBoardUtils::isV2SchemaBoard(fpga));
    std::vector<HBOModelPort*> ports;
    fpga->getModelPortSeq(ports);
    ASSERT_EQ(namesOf(ports), (Names{"led_2bits_tri_o", "sys_clk"}));
    std::vector<HBOPinProps*> pins;
    ports[0]->getPortPropsSeq(pins);
    EXPECT_EQ(namesOf(pins), (Names{"led0", "led1"}));
    EXPECT_EQ(pins[1]->getPortName(), "led_2bits_tri_o");
    EXPECT_EQ(pins[1]->getProperty(HBO_PIN_PROP_LOC), "J5");

    std::vector<HBOBusIf*> interfaces;
    fpga->getBusIfSeq(interfaces, true);
    EXPECT_TRUE(interfaces[0]->getPortMaps().empty());
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
