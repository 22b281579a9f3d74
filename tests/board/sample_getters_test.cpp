// Getter order and content on the bundled sample repository (data/boards),
// checked against what its files say: the rich schema-2 board cobalt_x4, the
// older schema-1 board heron_s1, and a deep copy of a repository board.
#include <gtest/gtest.h>

#include <utility>

#include "board_test_support.h"

using Names = std::vector<std::string>;

namespace {

// prefix + first .. prefix + (first + count - 1)
Names numbered(const std::string& prefix, int first, int count) {
    Names names;
    for (int i = first; i < first + count; ++i) names.push_back(prefix + std::to_string(i));
    return names;
}

Names concat(std::initializer_list<Names> parts) {
    Names all;
    for (const Names& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

template <class T, class Getter>
Names collect(const std::vector<T*>& objects, Getter getter) {
    Names texts;
    for (const T* object : objects) texts.push_back((object->*getter)());
    return texts;
}

template <class Map>
Names keysOf(const Map& map) {
    Names keys;
    for (const auto& entry : map) keys.push_back(entry.first);
    return keys;
}

Names componentNames(const std::vector<HBOBoardComponent*>& components) {
    return collect(components, &HBOBoardComponent::getComponentName);
}

Names vlnvsOf(const std::vector<HBOIpPreset*>& presets) { return collect(presets, &HBOIpPreset::getVlnv); }

std::vector<std::pair<uint32_t, uint32_t>> indexPairs(const std::vector<HBOBoardBusNet*>& nets) {
    std::vector<std::pair<uint32_t, uint32_t>> pairs;
    for (const HBOBoardBusNet* net : nets) pairs.emplace_back(net->getC1PinIndex(), net->getC2PinIndex());
    return pairs;
}

Names netEnds(const HBOBoardBusNet* net) {
    std::vector<HBOPinProps*> pins;
    net->getPinsVec(pins);
    return namesOf(pins);
}

// "name=value:type" for each parameter, in order.
template <class Owner>
Names parametersOf(const Owner* owner) {
    std::vector<HBOParameter*> parameters;
    owner->getParameters(parameters);
    Names texts;
    for (const HBOParameter* p : parameters) texts.push_back(p->getName() + "=" + p->getValue() + ":" + p->getValueType());
    return texts;
}

// The thirteen pin properties in their fixed order.
const std::string* const pinProperties[] = {
    &HBO_PIN_PROP_NAME,  &HBO_PIN_PROP_INDEX,       &HBO_PIN_PROP_LOC,          &HBO_PIN_PROP_DIFF_TERM,
    &HBO_PIN_PROP_DRIVE, &HBO_PIN_PROP_IOSTANDARD,  &HBO_PIN_PROP_SLEW,         &HBO_PIN_PROP_OUTPUT_IMPEDANCE,
    &HBO_PIN_PROP_IBUF_LOW_PWR, &HBO_PIN_PROP_ODT,  &HBO_PIN_PROP_EQUALIZATION, &HBO_PIN_PROP_PRE_EMPHASIS,
    &HBO_PIN_PROP_DQS_BIAS,
};

Names propertiesOf(const HBOPinProps* pin) {
    Names values;
    for (const std::string* property : pinProperties) values.push_back(pin->getProperty(*property));
    return values;
}

class SampleGetters : public ::testing::Test {
protected:
    void SetUp() override {
        HBOBoardUtils::defineParameters();
        HPAParamMgr::getParamMgr().reset("board.repoPaths");
        cobalt = repositoryBoard("acme.com:cobalt_x4:2.0");
        heron = repositoryBoard("acme.com:heron_s1:1.0");
        ASSERT_NE(cobalt, nullptr);
        ASSERT_NE(heron, nullptr);
        part0 = cobalt->findFpgaComponent();
        ASSERT_NE(part0, nullptr);
    }
    HBOBoard* cobalt = nullptr;
    HBOBoard* heron = nullptr;
    HBOBoardComponent* part0 = nullptr;
};

const Names cobaltComponents{"part0",      "ddr3_sdram", "diff_clock", "user_leds",
                             "uart_bridge", "iic_eeprom", "fan_ctrl",   "J5"};
const Names cobaltInterfaces{"ddr3_sdram", "diff_clock", "user_leds", "uart",
                             "iic_main",   "fan_pwm",    "j5_gpio",   "j5_gpio_low"};
const Names cobaltBuses{"part0_ddr3_sdram",  "part0_diff_clock", "part0_user_leds", "part0_uart_bridge",
                        "part0_iic_eeprom", "part0_fan_ctrl",   "part0_J5"};

}  // namespace

TEST_F(SampleGetters, RepositoryListsEveryBoardInByteOrder) {
    std::vector<HBOBoard*> boards{nullptr};  // appended after what the caller holds
    HBOBoardCReposMgr::getGlobal()->appendAllBoards(boards);
    ASSERT_FALSE(boards.empty());
    EXPECT_EQ(boards[0], nullptr);
    boards.erase(boards.begin());
    EXPECT_EQ(namesOf(boards), (Names{"acme.com:cobalt_x4:2.0", "acme.com:heron_s1:1.0", "acme.com:trellis_a1:1.0",
                                      "acme.com:trellis_a1:1.1", "quillworks.net:wren_tiny:1.0",
                                      "zephyr-labs.org:kestrel_r2:1.0", "zephyr-labs.org:kestrel_r2:1.2",
                                      "zephyr-labs.org:lumen_leds:1.0"}));
    EXPECT_EQ(boards[0], cobalt);
}

TEST_F(SampleGetters, SchemaTwoBoardIdentityComponentsJumpersAndParameters) {
    EXPECT_EQ(cobalt->getVendor(), "acme.com");
    EXPECT_EQ(cobalt->getBoardName(), "cobalt_x4");
    EXPECT_EQ(cobalt->getVersion(), "2.0");
    EXPECT_EQ(cobalt->getDisplayName(), "Cobalt X4 evaluation board");
    EXPECT_EQ(cobalt->getSchemaVersion(), "2.2");
    EXPECT_EQ(cobalt->getPartName(), "ac-x4-160-fb484-2");
    EXPECT_EQ(cobalt->getDescription(),
              "Evaluation board with 512 MB DDR3, a differential system clock and a 2x10 expansion header (J5).");
    EXPECT_TRUE(HBOBoardUtils::isSchema20OrGreater(cobalt));
    EXPECT_FALSE(cobalt->isIntegratedBoard());
    EXPECT_EQ(part0->getComponentName(), "part0");

    std::vector<HBOBoardComponent*> components;
    cobalt->getBoardComponentsVec(components);
    ASSERT_EQ(componentNames(components), cobaltComponents);
    EXPECT_EQ(components[0], part0);
    EXPECT_EQ(components[7]->getName(), "acme.com:cobalt_x4:J5:2.0");
    EXPECT_EQ(collect(components, &HBOBoardComponent::getIsEnabled),
              (Names{"TRUE", "true", "true", "true", "true", "True", "FALSE", "true"}));
    EXPECT_EQ(collect(components, &HBOBoardComponent::getType),
              (Names{"fpga", "chip", "chip", "chip", "chip", "chip", "chip", "connector"}));
    EXPECT_EQ(collect(components, &HBOBoardComponent::getSubType),
              (Names{"", "ddr3", "system_clock", "led", "uart", "eeprom", "fan", "hdr_2x10"}));
    EXPECT_EQ(collect(components, &HBOBoardComponent::getPartName),
              (Names{"ac-x4-160-fb484-2", "zl-d3-4g16", "", "", "", "", "", ""}));
    EXPECT_EQ(collect(components, &HBOBoardComponent::getVendor),
              (Names{"acme.com", "zephyr-labs.org", "", "", "", "", "", ""}));
    EXPECT_EQ(collect(components, &HBOBoardComponent::getDisplayName),
              (Names{"X4 FPGA", "512 MB DDR3", "200 MHz differential oscillator", "8 user LEDs",
                     "USB serial bridge", "board ID EEPROM", "fan controller (not fitted)",
                     "2x10 expansion header"}));
    EXPECT_EQ(components[1]->getDescription(), "one x16 DDR3 device");
    EXPECT_EQ(cobalt->findComponent("J5"), components[7]);

    std::vector<HBOJumper*> jumpers;
    cobalt->getJumpers(jumpers);
    EXPECT_EQ(namesOf(jumpers), (Names{"JP1", "JP3", "JP4"}));
    EXPECT_EQ(collect(jumpers, &HBOJumper::getDefaultMode), (Names{"jtag", "3v3", "off"}));
    EXPECT_EQ(collect(jumpers, &HBOJumper::getDescription),
              (Names{"boot mode select", "J5 I/O voltage (1v8, 2v5, 3v3)", "fan always on"}));

    EXPECT_EQ(parametersOf(cobalt),
              (Names{"heat_sink=active:string", "board_revision=C:string", "max_power_w=25:long"}));
    EXPECT_EQ(parametersOf(part0), (Names{"speed_grade=-2:string", "core_voltage=1.0:float"}));
    EXPECT_EQ(parametersOf(components[1]), (Names{"size_mb=512:long", "data_width=16:long"}));
    EXPECT_EQ(parametersOf(components[7]), (Names{"pitch_mm=2.54:float"}));
    EXPECT_EQ(parametersOf(components[3]), Names{});
    EXPECT_EQ(parametersOf(part0->findBusIf("ddr3_sdram")),
              (Names{"memory_part=zl-d3-4g16:string", "data_rate_mtps=1600:long"}));
    EXPECT_EQ(parametersOf(part0->findBusIf("iic_main")), (Names{"address=0x50:string"}));
    EXPECT_EQ(parametersOf(part0->findBusIf("uart")), Names{});
}

TEST_F(SampleGetters, SchemaTwoInterfacesModesAndPreferences) {
    std::vector<HBOBusIf*> all;
    cobalt->getBusIfSeq(all);
    ASSERT_EQ(namesOf(all), cobaltInterfaces);
    EXPECT_EQ(collect(all, &HBOBusIf::getIsEnabled),
              (Names{"true", "true", "True", "true", "TRUE", "false", "False", "1"}));
    EXPECT_EQ(collect(all, &HBOBusIf::getMode),
              (Names{"master", "slave", "master", "master", "master", "master", "master", "master"}));
    EXPECT_EQ(collect(all, &HBOBusIf::getType),
              (Names{"acme.com:busdef:ddr3:1.0", "acme.com:busdef:diff_clock:1.0", "acme.com:busdef:gpio:1.0",
                     "acme.com:busdef:serial:1.0", "acme.com:busdef:iic:1.0", "acme.com:busdef:gpio:1.0",
                     "acme.com:busdef:gpio:1.0", "acme.com:busdef:gpio:1.0"}));
    EXPECT_EQ(collect(all, &HBOBusIf::getOfComponent),
              (Names{"ddr3_sdram", "diff_clock", "user_leds", "uart_bridge", "iic_eeprom", "fan_ctrl", "J5", "J5"}));
    EXPECT_EQ(collect(all, &HBOBusIf::getPresetProcName),
              (Names{"ddr3_sdram_preset", "diff_clock_preset", "user_leds_preset", "Uart_Preset", "iic_main_preset",
                     "", "", ""}));
    for (HBOBusIf* busIf : all) {
        EXPECT_EQ(busIf->getOwnerComponent(), part0) << busIf->getName();
        EXPECT_EQ(busIf->getParentBoard(), cobalt) << busIf->getName();
    }

    // The flag does not filter: disabled interfaces come either way, in file order.
    std::vector<HBOBusIf*> withDisabled, withoutDisabled, asVec;
    part0->getBusIfSeq(withDisabled, true);
    part0->getBusIfSeq(withoutDisabled, false);
    part0->getInterfacesVec(asVec);
    EXPECT_EQ(withDisabled, all);
    EXPECT_EQ(withoutDisabled, all);
    EXPECT_EQ(asVec, all);
    std::vector<HBOBusIf*> none;
    cobalt->findComponent("J5")->getBusIfSeq(none, true);
    EXPECT_TRUE(none.empty());

    std::vector<HBOBusIfPreference*> preferences;
    part0->findBusIf("uart")->getPreferences(preferences);
    EXPECT_EQ(collect(preferences, &HBOBusIfPreference::getVlnv),
              (Names{"acme.com:ip:serial_port:", "zephyr-labs.org:ip:uart16:"}));
    EXPECT_EQ(preferences[1]->getOrder(), 1);
    preferences.clear();
    part0->findBusIf("j5_gpio_low")->getPreferences(preferences);
    EXPECT_TRUE(preferences.empty());

    std::vector<HBOComponentMode*> modes;
    part0->getComponentModes(modes);
    ASSERT_EQ(namesOf(modes), (Names{"ddr3_default", "user_io", "fan_test"}));
    EXPECT_EQ(collect(modes, &HBOComponentMode::getDisplayName),
              (Names{"DDR3 with system clock", "LEDs, serial and J5", "fan PWM test"}));
    EXPECT_EQ(collect(modes, &HBOComponentMode::getIsEnabled), (Names{"true", "TRUE", "false"}));
    EXPECT_EQ(modes[0]->getInterfaceNames(), (Names{"ddr3_sdram", "diff_clock"}));
    EXPECT_EQ(modes[1]->getInterfaceNames(), (Names{"user_leds", "uart", "j5_gpio"}));
    EXPECT_EQ(modes[2]->getInterfaceNames(), (Names{"fan_pwm"}));
    EXPECT_EQ(modes[1]->getOwner(), part0);
    const std::pair<std::size_t, Names> preferredIps[] = {
        {0, {"acme.com:ip:dram_ctrl:"}},
        {1, {"acme.com:ip:gpio:", "zephyr-labs.org:ip:pin_mux:"}},
        {2, {}},
    };
    for (const auto& expected : preferredIps) {
        std::vector<HBOBusIfPreference*> ips;
        modes[expected.first]->getPreferredIps(ips);
        EXPECT_EQ(collect(ips, &HBOBusIfPreference::getVlnv), expected.second) << modes[expected.first]->getName();
    }
    std::vector<HBOComponentMode*> noModes;
    cobalt->findComponent("ddr3_sdram")->getComponentModes(noModes);
    EXPECT_TRUE(noModes.empty());
}

TEST_F(SampleGetters, SchemaTwoPortMapsAndTheirPins) {
    HBOBusIf* ddr3 = part0->findBusIf("ddr3_sdram");
    ASSERT_NE(ddr3, nullptr);
    const Names logical{"DQ",    "DQS_P", "DQS_N", "DM",   "ADDR", "BA",   "RAS_N",  "CAS_N",
                        "WE_N",  "CKE",   "CS_N",  "ODT",  "CK_P", "CK_N", "RESET_N"};
    std::vector<HBOPortMap*> maps;
    ddr3->getPortMapSeq(maps);
    EXPECT_EQ(collect(maps, &HBOPortMap::getLogicalPort), logical);
    EXPECT_EQ(namesOf(maps), logical);
    EXPECT_EQ(collect(maps, &HBOPortMap::getPhysicalPort),
              (Names{"ddr3_dq", "ddr3_dqs_p", "ddr3_dqs_n", "ddr3_dm", "ddr3_addr", "ddr3_ba", "ddr3_ras_n",
                     "ddr3_cas_n", "ddr3_we_n", "ddr3_cke", "ddr3_cs_n", "ddr3_odt", "ddr3_ck_p", "ddr3_ck_n",
                     "ddr3_reset_n"}));

    // getPortMaps is keyed by logical port, so it lists them in key order.
    auto ports = ddr3->getPortMaps();
    EXPECT_EQ(keysOf(ports), (Names{"ADDR", "BA", "CAS_N", "CKE", "CK_N", "CK_P", "CS_N", "DM", "DQ", "DQS_N",
                                    "DQS_P", "ODT", "RAS_N", "RESET_N", "WE_N"}));
    for (const HBOPortMap* map : maps) {
        HBOModelPort* port = ports.at(map->getLogicalPort());
        EXPECT_EQ(port->getName(), map->getPhysicalPort());
        EXPECT_EQ(port->getOwner(), part0);
    }
    HBOModelPort* dq = ports.at("DQ");
    EXPECT_EQ(dq->getDir(), "inout");
    EXPECT_EQ(dq->getLeft(), "15");
    EXPECT_EQ(dq->getRight(), "0");
    EXPECT_EQ(ports.at("RAS_N")->getDir(), "out");
    EXPECT_EQ(ports.at("RAS_N")->getLeft(), "");
    EXPECT_EQ(ports.at("RAS_N")->getRight(), "");

    // Port indexes are in index order: "2" before "10".
    const Names dqByKey = numbered("ddr3_dq", 0, 16);
    const Names keyOrder = numbered("", 0, 16);
    auto pinMap = dq->getPinPortMap();
    EXPECT_EQ(keysOf(pinMap), keyOrder);
    Names mapped;
    for (const auto& entry : pinMap) mapped.push_back(entry.second);
    EXPECT_EQ(mapped, dqByKey);
    std::vector<HBOPinProps*> pins;
    dq->getPins(pins);
    EXPECT_EQ(namesOf(pins), dqByKey);
    for (const HBOPinProps* pin : pins) EXPECT_EQ(pin->getOwner(), part0);

    HBOBusIf* uart = part0->findBusIf("uart");
    auto uartPorts = uart->getPortMaps();
    EXPECT_EQ(keysOf(uartPorts), (Names{"RXD", "TXD"}));
    EXPECT_EQ(uartPorts.at("TXD")->getPinPortMap(), (HBOPinPortMap{{"0", "uart_txd"}}));
    pins.clear();
    uartPorts.at("RXD")->getPins(pins);
    ASSERT_EQ(pins.size(), 1u);
    EXPECT_EQ(pins[0], part0->findPin("uart_rxd"));

    pins.clear();
    part0->findBusIf("j5_gpio_low")->getPortMaps().at("IO")->getPins(pins);
    EXPECT_EQ(namesOf(pins), numbered("j5_io", 0, 8));
    EXPECT_EQ(part0->findBusIf("j5_gpio_low")->getPortMaps().at("IO")->getName(), "j5_gpio_low_io");
}

TEST_F(SampleGetters, SchemaTwoPinsAndTheirProperties) {
    std::vector<HBOPinProps*> pins;
    part0->getPinsVec(pins);
    // The wired pins come first; unwired banks (data/gen_cobalt_pins.tcl) follow.
    ASSERT_EQ(pins.size(), 287u);
    const Names pinNames = namesOf(pins);
    EXPECT_EQ(Names(pinNames.begin(), pinNames.begin() + 81),
              concat({numbered("ddr3_dq", 0, 16),
                      {"ddr3_dqs_p0", "ddr3_dqs_n0", "ddr3_dqs_p1", "ddr3_dqs_n1", "ddr3_dm0", "ddr3_dm1"},
                      numbered("ddr3_addr", 0, 14), numbered("ddr3_ba", 0, 3),
                      {"ddr3_ras_n", "ddr3_cas_n", "ddr3_we_n", "ddr3_cke", "ddr3_cs_n", "ddr3_odt", "ddr3_ck_p",
                       "ddr3_ck_n", "ddr3_reset_n", "sys_clk_p", "sys_clk_n"},
                      numbered("led", 0, 8),
                      {"uart_txd", "uart_rxd", "iic_scl", "iic_sda", "fan_pwm"},
                      numbered("j5_io", 0, 16), {"gpio_spare0", "gpio_spare1"}}));
    for (std::size_t i = 0; i < pins.size(); ++i) EXPECT_EQ(pins[i]->getPinIndex(), i) << pins[i]->getName();

    const std::pair<const char*, Names> expected[] = {
        {"ddr3_dq0", {"ddr3_dq0", "0", "N15", "", "", "SSTL15", "FAST", "OHM_40", "FALSE", "RTT_40", "", "", ""}},
        {"ddr3_dqs_p0",
         {"ddr3_dqs_p0", "16", "G20", "", "", "DIFF_SSTL15", "FAST", "OHM_40", "", "RTT_40", "", "", "TRUE"}},
        {"ddr3_reset_n", {"ddr3_reset_n", "47", "T4", "", "8", "LVCMOS15", "SLOW", "", "", "", "", "", ""}},
        {"sys_clk_n", {"sys_clk_n", "49", "V10", "TRUE", "", "LVDS", "", "", "", "", "", "", ""}},
        {"gpio_spare0", {"gpio_spare0", "79", "D14", "", "", "LVCMOS33", "", "", "", "", "", "MEDIUM", ""}},
        {"gpio_spare1", {"gpio_spare1", "80", "E17", "", "", "LVCMOS33", "", "", "", "", "LEVEL_1", "", ""}},
    };
    for (const auto& entry : expected) {
        HBOPinProps* pin = part0->findPin(entry.first);
        ASSERT_NE(pin, nullptr) << entry.first;
        EXPECT_EQ(propertiesOf(pin), entry.second) << entry.first;
        EXPECT_EQ(pin->getOwner(), part0);
        EXPECT_EQ(pin->getPortName(), "");
        EXPECT_EQ(part0->findPinByIndex(pin->getPinIndex()), pin);
    }
    EXPECT_EQ(part0->findPinByIndex(48)->getName(), "sys_clk_p");
    EXPECT_EQ(part0->findPinByIndex(287), nullptr);
    EXPECT_EQ(part0->findPin("DQ0"), nullptr);  // a pin of the memory, not of the FPGA
    EXPECT_EQ(pins[0]->getProperty("NO_SUCH_PROPERTY"), "");

    HBOBoardComponent* memory = cobalt->findComponent("ddr3_sdram");
    pins.clear();
    memory->getPinsVec(pins);
    EXPECT_EQ(namesOf(pins),
              concat({numbered("DQ", 0, 16), {"DQS_P0", "DQS_N0", "DQS_P1", "DQS_N1", "DM0", "DM1"},
                      numbered("A", 0, 14), numbered("BA", 0, 3),
                      {"RAS_N", "CAS_N", "WE_N", "CKE", "CS_N", "ODT", "CK_P", "CK_N", "RESET_N"}}));
    EXPECT_EQ(memory->findPinByIndex(36), memory->findPin("BA0"));
    EXPECT_EQ(memory->findPin("BA0")->getOwner(), memory);

    HBOBoardComponent* j5 = cobalt->findComponent("J5");
    pins.clear();
    j5->getPinsVec(pins);
    EXPECT_EQ(namesOf(pins), numbered("J5_", 1, 20));
    EXPECT_EQ(propertiesOf(j5->findPinByIndex(19)), (Names{"J5_20", "19", "", "", "", "", "", "", "", "", "", "", ""}));
    EXPECT_EQ(j5->findPinByIndex(20), nullptr);
    EXPECT_EQ(j5->findPin("J5_21"), nullptr);
}

TEST_F(SampleGetters, SchemaTwoBusesNetsAndPinsAtBothEnds) {
    std::vector<HBOBoardBus*> buses;
    cobalt->getBuses(buses);
    ASSERT_EQ(namesOf(buses), cobaltBuses);
    EXPECT_EQ(collect(buses, &HBOBoardBus::getComp1), Names(7, "part0"));
    EXPECT_EQ(collect(buses, &HBOBoardBus::getComp2), Names(cobaltComponents.begin() + 1, cobaltComponents.end()));
    EXPECT_EQ(collect(buses, &HBOBoardBus::getIsEnabled),
              (Names{"true", "true", "True", "true", "true", "false", "true"}));
    for (HBOBoardBus* bus : buses) {
        EXPECT_EQ(bus->getBoard(), cobalt);
        std::vector<HBOBoardComponent*> ends;
        bus->getBusComponentsVec(ends);
        EXPECT_EQ(componentNames(ends), (Names{bus->getComp1(), bus->getComp2()}));
    }

    std::vector<HBOBoardBus*> ofPart0, ofJ5, ofNothing;
    cobalt->getBusesOfComponent("part0", ofPart0);
    cobalt->getBusesOfComponent("J5", ofJ5);
    cobalt->getBusesOfComponent("no_such_component", ofNothing);
    EXPECT_EQ(ofPart0, buses);
    EXPECT_EQ(namesOf(ofJ5), (Names{"part0_J5"}));
    EXPECT_TRUE(ofNothing.empty());

    // J5's two maps skip J5 pins 9 and 10 (indexes 8, 9) and 19, 20 (18, 19).
    std::vector<HBOBoardBusNet*> j5Nets;
    cobalt->getNetsOfComponent("J5", j5Nets);
    EXPECT_EQ(namesOf(j5Nets), concat({numbered("part0_J5_1_", 0, 8), numbered("part0_J5_2_", 0, 8)}));
    std::vector<std::pair<uint32_t, uint32_t>> j5Pairs;
    for (uint32_t i = 0; i < 8; ++i) j5Pairs.emplace_back(63 + i, i);
    for (uint32_t i = 0; i < 8; ++i) j5Pairs.emplace_back(71 + i, 10 + i);
    EXPECT_EQ(indexPairs(j5Nets), j5Pairs);
    EXPECT_EQ(netEnds(j5Nets[0]), (Names{"j5_io0", "J5_1"}));
    EXPECT_EQ(netEnds(j5Nets[8]), (Names{"j5_io8", "J5_11"}));
    EXPECT_EQ(netEnds(j5Nets[15]), (Names{"j5_io15", "J5_18"}));
    std::vector<HBOPinProps*> ends;
    j5Nets[8]->getPinsVec(ends);
    EXPECT_EQ(ends[0]->getOwner(), part0);
    EXPECT_EQ(ends[1]->getOwner(), cobalt->findComponent("J5"));
    EXPECT_EQ(j5Nets[0]->getOwner(), ofJ5[0]);

    std::vector<HBOBoardBusNet*> memoryNets;
    buses[0]->getBoardBusNets(memoryNets);
    EXPECT_EQ(namesOf(memoryNets),
              concat({numbered("part0_ddr3_sdram_1_", 0, 16), numbered("part0_ddr3_sdram_2_", 0, 4),
                      numbered("part0_ddr3_sdram_3_", 0, 2), numbered("part0_ddr3_sdram_4_", 0, 14),
                      numbered("part0_ddr3_sdram_5_", 0, 3), numbered("part0_ddr3_sdram_6_", 0, 6),
                      numbered("part0_ddr3_sdram_7_", 0, 2), {"part0_ddr3_sdram_8_0"}}));
    for (uint32_t i = 0; i < memoryNets.size(); ++i)
        EXPECT_EQ(memoryNets[i]->getC1PinIndex() * 1000 + memoryNets[i]->getC2PinIndex(), i * 1001) << i;
    EXPECT_EQ(netEnds(memoryNets[16]), (Names{"ddr3_dqs_p0", "DQS_P0"}));
    EXPECT_EQ(netEnds(memoryNets[47]), (Names{"ddr3_reset_n", "RESET_N"}));

    std::vector<HBOBoardBusNet*> allOfPart0;
    cobalt->getNetsOfComponent("part0", allOfPart0);
    ASSERT_EQ(allOfPart0.size(), 79u);  // 48 + 2 + 8 + 2 + 2 + 1 + 16, bus by bus
    EXPECT_EQ(allOfPart0[48]->getName(), "part0_diff_clock_1_0");
    EXPECT_EQ(netEnds(allOfPart0[49]), (Names{"sys_clk_n", "CLK_N"}));
    EXPECT_EQ(netEnds(allOfPart0[57]), (Names{"led7", "LD7"}));
    EXPECT_EQ(allOfPart0[57]->getIsEnabled(), "True");  // taken from the connection
    EXPECT_EQ(allOfPart0[62]->getName(), "part0_fan_ctrl_1_0");
    EXPECT_EQ(allOfPart0[62]->getIsEnabled(), "false");
    EXPECT_EQ(netEnds(allOfPart0[62]), (Names{"fan_pwm", "PWM"}));
    EXPECT_EQ(allOfPart0[63], j5Nets[0]);
}

TEST_F(SampleGetters, SchemaTwoPresetsAndIpRules) {
    const HBOIpPresetMap& presets = cobalt->getIpPresets();
    ASSERT_EQ(keysOf(presets), (Names{"DDR3_SDRAM_PRESET", "DIFF_CLOCK_PRESET", "IIC_MAIN_PRESET", "UART_PRESET",
                                      "USER_LEDS_PRESET"}));
    const std::pair<const char*, Names> vlnvs[] = {
        {"DDR3_SDRAM_PRESET", {"acme.com:ip:dram_ctrl:*", "zephyr-labs.org:ip:mem_phy:1.4"}},
        {"DIFF_CLOCK_PRESET", {"acme.com:ip:clock_gen:*"}},
        {"IIC_MAIN_PRESET", {"acme.com:ip:iic_master:*"}},
        {"UART_PRESET", {"acme.com:ip:serial_port:3.1", "zephyr-labs.org:ip:uart16:*"}},
        {"USER_LEDS_PRESET", {"acme.com:ip:gpio:*", "acme.com:ip:gpio:2.0"}},
    };
    for (const auto& entry : vlnvs) EXPECT_EQ(vlnvsOf(presets.at(entry.first)), entry.second) << entry.first;

    // The interface names its proc "Uart_Preset"; the preset file "uart_preset".
    const auto& uart = presets.at("UART_PRESET");
    EXPECT_EQ(collect(uart, &HBOIpPreset::getPresetName), (Names{"uart_preset", "uart_preset"}));
    EXPECT_EQ(collect(uart, &HBOIpPreset::getName), (Names{"serial_port", "uart16"}));
    EXPECT_EQ(uart[1]->getVendor(), "zephyr-labs.org");
    EXPECT_EQ(uart[1]->getLibrary(), "ip");
    EXPECT_EQ(uart[1]->getVersion(), "*");
    EXPECT_EQ(parametersOf(uart[1]), (Names{"CONFIG.BAUD_RATE=115200:", "CONFIG.FIFO_DEPTH=16:"}));
    EXPECT_EQ(parametersOf(presets.at("DDR3_SDRAM_PRESET")[0]),
              (Names{"CONFIG.MEMORY_TYPE=DDR3:", "CONFIG.DATA_WIDTH=16:", "CONFIG.CLOCK_PERIOD_PS=2500:",
                     "CONFIG.ROW_ADDR_WIDTH=14:", "CONFIG.BANK_ADDR_WIDTH=3:"}));
    EXPECT_EQ(parametersOf(presets.at("USER_LEDS_PRESET")[1]),
              (Names{"CONFIG.WIDTH=8:", "CONFIG.DIRECTION=out:", "CONFIG.DEFAULT_VALUE=0x00:"}));

    const HBOIpPresetMap& rules = cobalt->getIpAssociatedInterfaces();
    ASSERT_EQ(keysOf(rules), (Names{"ddr3_sdram", "diff_clock", "iic_main", "j5_gpio", "uart", "user_leds"}));
    const auto& uartRules = rules.at("uart");
    EXPECT_EQ(collect(uartRules, &HBOIpPreset::getPresetName), (Names{"default", "alternate"}));
    EXPECT_EQ(vlnvsOf(uartRules), (Names{"acme.com:ip:serial_port:3.1", "zephyr-labs.org:ip:uart16:*"}));
    EXPECT_EQ(collect(uartRules, &HBOIpPreset::getIpInterface), (Names{"SERIAL", "SERIAL"}));
    const std::pair<const char*, Names> single[] = {
        {"ddr3_sdram", {"default", "acme.com:ip:dram_ctrl:*", "DDR3"}},
        {"diff_clock", {"default", "acme.com:ip:clock_gen:*", "CLK_IN_DIFF"}},
        {"iic_main", {"alternate", "acme.com:ip:iic_master:*", "IIC"}},
        {"j5_gpio", {"default", "acme.com:ip:gpio:*", "GPIO"}},
        {"user_leds", {"default", "acme.com:ip:gpio:*", "GPIO"}},
    };
    for (const auto& entry : single) {
        const auto& list = rules.at(entry.first);
        ASSERT_EQ(list.size(), 1u) << entry.first;
        EXPECT_EQ((Names{list[0]->getPresetName(), list[0]->getVlnv(), list[0]->getIpInterface()}), entry.second)
            << entry.first;
    }
}

TEST_F(SampleGetters, SchemaOneBoardDescribesPinsPerPort) {
    EXPECT_EQ(heron->getVendor(), "acme.com");
    EXPECT_EQ(heron->getBoardName(), "heron_s1");
    EXPECT_EQ(heron->getVersion(), "1.0");
    EXPECT_EQ(heron->getDisplayName(), "Heron S1 legacy board");
    EXPECT_EQ(heron->getSchemaVersion(), "1.2");
    EXPECT_EQ(heron->getPartName(), "ac-s10-qf144-1");
    EXPECT_EQ(heron->getDescription(), "Older board described with the port-based pin file.");
    EXPECT_FALSE(HBOBoardUtils::isSchema20OrGreater(heron));
    HBOBoardComponent* fpga = heron->findFpgaComponent();
    ASSERT_NE(fpga, nullptr);
    EXPECT_FALSE(HBOBoardUtils::isV2SchemaBoard(fpga));

    std::vector<HBOBoardComponent*> components;
    heron->getBoardComponentsVec(components);
    EXPECT_EQ(componentNames(components), (Names{"part0", "user_leds", "slide_switches", "uart_bridge", "sys_clock"}));
    EXPECT_EQ(collect(components, &HBOBoardComponent::getSubType),
              (Names{"", "led", "switch", "uart", "system_clock"}));
    std::vector<HBOBoardBus*> buses;
    heron->getBuses(buses);
    std::vector<HBOJumper*> jumpers;
    heron->getJumpers(jumpers);
    std::vector<HBOBoardBusNet*> nets;
    heron->getNetsOfComponent("part0", nets);
    EXPECT_TRUE(buses.empty() && jumpers.empty() && nets.empty());
    EXPECT_EQ(parametersOf(heron), Names{});
    EXPECT_TRUE(heron->getIpPresets().empty());
    EXPECT_TRUE(heron->getIpAssociatedInterfaces().empty());

    std::vector<HBOModelPort*> ports;
    fpga->getModelPortSeq(ports);
    ASSERT_EQ(namesOf(ports), (Names{"user_leds_out", "slide_switches_in", "uart_txd", "uart_rxd", "sys_clk"}));
    EXPECT_EQ(collect(ports, &HBOModelPort::getDir), (Names{"out", "in", "out", "in", "in"}));
    const Names pinsPerPort[] = {numbered("led", 0, 4), {"sw0", "sw1"}, {"uart_txd"}, {"uart_rxd"}, {"sys_clk"}};
    for (std::size_t i = 0; i < ports.size(); ++i) {
        std::vector<HBOPinProps*> pins;
        ports[i]->getPortPropsSeq(pins);
        EXPECT_EQ(namesOf(pins), pinsPerPort[i]) << ports[i]->getName();
        for (const HBOPinProps* pin : pins) {
            EXPECT_EQ(pin->getPortName(), ports[i]->getName());
            EXPECT_EQ(pin->getOwner(), fpga);
        }
        EXPECT_EQ(ports[i]->getOwner(), fpga);
        EXPECT_TRUE(ports[i]->getPinPortMap().empty());
    }

    std::vector<HBOPinProps*> all;
    fpga->getPinsVec(all);
    EXPECT_EQ(namesOf(all), concat({numbered("led", 0, 4), {"sw0", "sw1", "uart_txd", "uart_rxd", "sys_clk"}}));
    EXPECT_EQ(propertiesOf(fpga->findPin("led2")),
              (Names{"led2", "2", "J3", "", "8", "LVCMOS33", "SLOW", "", "", "", "", "", ""}));
    EXPECT_EQ(propertiesOf(fpga->findPinByIndex(6)),
              (Names{"uart_txd", "6", "N15", "", "4", "LVCMOS33", "", "", "", "", "", "", ""}));
    EXPECT_EQ(fpga->findPinByIndex(5), fpga->findPin("sw1"));
    EXPECT_EQ(fpga->findPinByIndex(9), nullptr);
    std::vector<HBOPinProps*> none;
    components[1]->getPinsVec(none);
    EXPECT_TRUE(none.empty());

    std::vector<HBOBusIf*> interfaces;
    heron->getBusIfSeq(interfaces);
    ASSERT_EQ(namesOf(interfaces), (Names{"user_leds", "slide_switches", "uart", "sys_clock"}));
    EXPECT_EQ(collect(interfaces, &HBOBusIf::getMode), (Names{"master", "master", "master", "slave"}));
    EXPECT_EQ(collect(interfaces, &HBOBusIf::getIsEnabled), Names(4, "true"));
    EXPECT_EQ(interfaces[3]->getType(), "acme.com:busdef:clock:1.0");
    const std::vector<std::pair<std::string, std::string>> expectedMaps[] = {
        {{"OUT", "user_leds_out"}}, {{"IN", "slide_switches_in"}},
        {{"TXD", "uart_txd"}, {"RXD", "uart_rxd"}}, {{"CLK", "sys_clk"}}};
    for (std::size_t i = 0; i < interfaces.size(); ++i) {
        EXPECT_TRUE(interfaces[i]->getPortMaps().empty()) << interfaces[i]->getName();
        std::vector<HBOPortMap*> maps;
        interfaces[i]->getPortMapSeq(maps);
        std::vector<std::pair<std::string, std::string>> pairs;
        for (const HBOPortMap* map : maps) {
            pairs.emplace_back(map->getLogicalPort(), map->getPhysicalPort());
            HBOModelPort* port = nullptr;
            ASSERT_TRUE(fpga->getModelPortByName(port, map->getPhysicalPort())) << map->getPhysicalPort();
            EXPECT_EQ(port->getName(), map->getPhysicalPort());
        }
        EXPECT_EQ(pairs, expectedMaps[i]) << interfaces[i]->getName();
    }
    HBOModelPort* port = ports[0];
    EXPECT_FALSE(fpga->getModelPortByName(port, "no_such_port"));
    EXPECT_EQ(port, ports[0]);  // left alone
    EXPECT_TRUE(fpga->getModelPortByName(port, "uart_rxd"));
    EXPECT_EQ(port, ports[3]);
}

TEST_F(SampleGetters, DeepCopyBelongsToTheInstance) {
    HBOBoard copy(*cobalt, "host");
    EXPECT_EQ(copy.getName(), "acme.com:host:2.0");
    EXPECT_EQ(copy.getBoardName(), "host");
    EXPECT_EQ(copy.getDisplayName(), cobalt->getDisplayName());
    EXPECT_EQ(copy.getSchemaVersion(), "2.2");
    EXPECT_EQ(copy.getPartName(), "ac-x4-160-fb484-2");

    std::vector<HBOBoardComponent*> originals, copies;
    cobalt->getBoardComponentsVec(originals);
    copy.getBoardComponentsVec(copies);
    ASSERT_EQ(componentNames(copies), cobaltComponents);
    for (std::size_t i = 0; i < copies.size(); ++i) {
        EXPECT_NE(copies[i], originals[i]);
        EXPECT_EQ(copies[i]->getBoard(), &copy);
        EXPECT_EQ(copies[i]->getBoard()->getBoardName(), "host");
        EXPECT_EQ(copies[i]->getName(), "acme.com:host:" + cobaltComponents[i] + ":2.0");
        EXPECT_EQ(copies[i]->getIsEnabled(), originals[i]->getIsEnabled());
        std::vector<HBOPinProps*> pins, originalPins;
        copies[i]->getPinsVec(pins);
        originals[i]->getPinsVec(originalPins);
        EXPECT_EQ(namesOf(pins), namesOf(originalPins)) << cobaltComponents[i];
        for (const HBOPinProps* pin : pins) {
            EXPECT_EQ(pin->getOwner(), copies[i]) << pin->getName();
            EXPECT_EQ(copies[i]->findPinByIndex(pin->getPinIndex()), pin);
        }
    }
    HBOBoardComponent* copiedFpga = copy.findFpgaComponent();
    EXPECT_EQ(copiedFpga, copies[0]);
    EXPECT_EQ(propertiesOf(copiedFpga->findPin("ddr3_dqs_p0")), propertiesOf(part0->findPin("ddr3_dqs_p0")));

    std::vector<HBOBusIf*> interfaces;
    copy.getBusIfSeq(interfaces);
    ASSERT_EQ(namesOf(interfaces), cobaltInterfaces);
    for (HBOBusIf* busIf : interfaces) {
        EXPECT_EQ(busIf->getOwnerComponent(), copiedFpga);
        EXPECT_EQ(busIf->getParentBoard(), &copy);
        for (const auto& entry : busIf->getPortMaps()) {
            EXPECT_EQ(entry.second->getOwner(), copiedFpga) << busIf->getName() << " " << entry.first;
            std::vector<HBOPinProps*> pins;
            entry.second->getPins(pins);
            EXPECT_EQ(pins.size(), entry.second->getPinPortMap().size());
            for (const HBOPinProps* pin : pins) EXPECT_EQ(pin->getOwner(), copiedFpga);
        }
    }
    std::vector<HBOComponentMode*> modes;
    copiedFpga->getComponentModes(modes);
    ASSERT_EQ(namesOf(modes), (Names{"ddr3_default", "user_io", "fan_test"}));
    for (const HBOComponentMode* mode : modes) EXPECT_EQ(mode->getOwner(), copiedFpga);

    std::vector<HBOBoardBus*> buses;
    copy.getBuses(buses);
    ASSERT_EQ(namesOf(buses), cobaltBuses);
    for (HBOBoardBus* bus : buses) {
        EXPECT_EQ(bus->getBoard(), &copy);
        std::vector<HBOBoardBusNet*> nets;
        bus->getBoardBusNets(nets);
        for (const HBOBoardBusNet* net : nets) {
            EXPECT_EQ(net->getOwner(), bus);
            std::vector<HBOPinProps*> ends;
            net->getPinsVec(ends);
            ASSERT_EQ(ends.size(), 2u) << net->getName();
            EXPECT_EQ(ends[0]->getOwner(), copy.findComponent(bus->getComp1()));
            EXPECT_EQ(ends[1]->getOwner(), copy.findComponent(bus->getComp2()));
        }
    }
    EXPECT_EQ(keysOf(copy.getIpPresets()), keysOf(cobalt->getIpPresets()));
    EXPECT_NE(copy.getIpPresets().at("UART_PRESET")[0], cobalt->getIpPresets().at("UART_PRESET")[0]);
    EXPECT_EQ(vlnvsOf(copy.getIpPresets().at("UART_PRESET")), vlnvsOf(cobalt->getIpPresets().at("UART_PRESET")));
    EXPECT_EQ(keysOf(copy.getIpAssociatedInterfaces()), keysOf(cobalt->getIpAssociatedInterfaces()));

    // The repository board is untouched.
    EXPECT_EQ(repositoryBoard("acme.com:cobalt_x4:2.0"), cobalt);
    EXPECT_EQ(cobalt->getBoardName(), "cobalt_x4");
    EXPECT_EQ(part0->getName(), "acme.com:cobalt_x4:part0:2.0");
    EXPECT_EQ(part0->getBoard(), cobalt);
    EXPECT_EQ(part0->findPin("led0")->getOwner(), part0);
    EXPECT_EQ(part0->findBusIf("uart")->getParentBoard(), cobalt);
    std::vector<HBOBoardBus*> originalBuses;
    cobalt->getBuses(originalBuses);
    EXPECT_EQ(originalBuses[0]->getBoard(), cobalt);
}

TEST_F(SampleGetters, DeepCopyOfASchemaOneBoardOwnsItsPortPins) {
    HBOBoard copy(*heron, "legacy");
    EXPECT_EQ(copy.getName(), "acme.com:legacy:1.0");
    HBOBoardComponent* fpga = copy.findFpgaComponent();
    ASSERT_NE(fpga, nullptr);
    EXPECT_NE(fpga, heron->findFpgaComponent());
    EXPECT_EQ(fpga->getName(), "acme.com:legacy:part0:1.0");
    std::vector<HBOModelPort*> ports;
    fpga->getModelPortSeq(ports);
    ASSERT_EQ(namesOf(ports), (Names{"user_leds_out", "slide_switches_in", "uart_txd", "uart_rxd", "sys_clk"}));
    for (const HBOModelPort* port : ports) {
        EXPECT_EQ(port->getOwner(), fpga);
        std::vector<HBOPinProps*> pins;
        port->getPortPropsSeq(pins);
        for (const HBOPinProps* pin : pins) {
            EXPECT_EQ(pin->getOwner(), fpga);
            EXPECT_EQ(fpga->findPin(pin->getName()), pin);  // lookups find the copy's own pins
        }
    }
    HBOModelPort* port = nullptr;
    ASSERT_TRUE(fpga->getModelPortByName(port, "sys_clk"));
    EXPECT_EQ(port, ports[4]);
    EXPECT_EQ(fpga->findPinByIndex(8)->getProperty(HBO_PIN_PROP_LOC), "R21");
    EXPECT_EQ(heron->findFpgaComponent()->findPin("sys_clk")->getOwner(), heron->findFpgaComponent());
}
