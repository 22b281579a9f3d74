// Reading board.xml: attributes in any order with their defaults, and
// connection maps, whose nets are made on first use, in file order.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>

#include "board_test_support.h"
#include "HBOParser.h"

using Names = std::vector<std::string>;

namespace {

const char* const kHead =
    "<board name=\"b\" schema_version=\"2.1\" vendor=\"t.org\">\n"
    "  <file_version>1.0</file_version>\n  <components>\n";

// A board of components a and b joined by the given connection maps.
std::string boardWithMaps(const std::string& maps) {
    return std::string(kHead) +
           "    <component type=\"fpga\" name=\"a\" part_name=\"p\">\n"
           "      <pins><pin index=\"0\" name=\"a0\"/><pin index=\"1\" name=\"a1\"/>"
           "<pin index=\"2\" name=\"a2\"/></pins>\n"
           "    </component>\n"
           "    <component name=\"b\" type=\"chip\">\n"
           "      <pins><pin index=\"5\" name=\"b5\"/><pin index=\"6\" name=\"b6\"/></pins>\n"
           "    </component>\n"
           "  </components>\n  <connections>\n"
           "    <connection name=\"a_b\" component1=\"a\" component2=\"b\">\n" +
           maps + "    </connection>\n  </connections>\n</board>\n";
}

// Reads board text from a file of its own; the parser's error text when it fails.
class BoardFile : public ::testing::Test {
protected:
    void TearDown() override { std::filesystem::remove_all(dir_); }

    bool read(const std::string& text) {
        std::filesystem::create_directories(dir_);
        std::ofstream(dir_ / "board.xml") << text;
        board = std::make_unique<HBOBoard>();
        bool ok = parser_.parseFile((dir_ / "board.xml").string(), board.get());
        error = parser_.getErrorMessage();
        return ok;
    }

    std::vector<HBOBoardBusNet*> netsOf(const HBOBoard& from) const {
        std::vector<HBOBoardBus*> buses;
        from.getBuses(buses);
        std::vector<HBOBoardBusNet*> nets;
        for (HBOBoardBus* bus : buses) bus->getBoardBusNets(nets);
        return nets;
    }

    std::unique_ptr<HBOBoard> board;
    std::string error;
    MessageCapture capture;

private:
    std::filesystem::path dir_ = uniqueTempDir();
    HBOParser parser_;
};

// name c1 c2 enabled of each net, in order.
std::vector<std::string> describe(const std::vector<HBOBoardBusNet*>& nets) {
    std::vector<std::string> out;
    for (const HBOBoardBusNet* net : nets)
        out.push_back(net->getName() + " " + std::to_string(net->getC1PinIndex()) + " " +
                      std::to_string(net->getC2PinIndex()) + " " + net->getIsEnabled());
    return out;
}

TEST_F(BoardFile, AttributesInAnyOrderWithDefaults) {
    ASSERT_TRUE(read(std::string(kHead) +
                     "    <component enabled=\"false\" vendor=\"v\" display_name=\"Main\" sub_type=\"s\""
                     " part_name=\"p\" type=\"fpga\" name=\"a\">\n"
                     "      <parameters><parameter value_type=\"long\" value=\"3\" name=\"w\"/></parameters>\n"
                     "      <interfaces><interface of_component=\"b\" name=\"i\">\n"
                     "        <preferred_ips><preferred_ip order=\"2\" name=\"ip\" vendor=\"v\"/></preferred_ips>\n"
                     "        <port_maps><port_map physical_port=\"ph\" logical_port=\"lo\" right=\"0\" left=\"1\">\n"
                     "          <pin_maps><pin_map component_pin=\"x1\" port_index=\"1\"/>"
                     "<pin_map port_index=\"0\" component_pin=\"x0\"/></pin_maps>\n"
                     "        </port_map></port_maps>\n"
                     "      </interface></interfaces>\n"
                     "      <component_modes><component_mode enabled=\"false\" name=\"m\">\n"
                     "        <preferred_ips><preferred_ip name=\"mip\" library=\"l\"/></preferred_ips>\n"
                     "        <interfaces><interface name=\"i\"/><interface name=\"j\"/></interfaces>\n"
                     "      </component_mode></component_modes>\n"
                     "    </component>\n    <component type=\"chip\" name=\"b\"/>\n"
                     "  </components>\n</board>\n"))
        << error;
    // A copy made before anyone asked for the details has them all.
    HBOBoard copy(*board, "copy");
    for (const HBOBoard* from : {static_cast<const HBOBoard*>(&copy), static_cast<const HBOBoard*>(board.get())}) {
        HBOBoardComponent* a = from->findComponent("a");
        ASSERT_NE(a, nullptr);
        std::vector<HBOComponentMode*> modes;
        a->getComponentModes(modes);
        ASSERT_EQ(modes.size(), 1u);
        EXPECT_EQ(modes[0]->getDisplayName(), "m");  // defaults to the name
        EXPECT_EQ(modes[0]->getIsEnabled(), "false");
        EXPECT_EQ(modes[0]->getInterfaceNames(), (Names{"i", "j"}));
        EXPECT_EQ(modes[0]->getOwner(), a);
        std::vector<HBOBusIfPreference*> preferred;
        modes[0]->getPreferredIps(preferred);
        ASSERT_EQ(preferred.size(), 1u);
        EXPECT_EQ(preferred[0]->getVlnv(), ":l:mip:");
        EXPECT_EQ(preferred[0]->getBoard(), from);
        HBOBusIf* busIf = a->findBusIf("i");
        ASSERT_NE(busIf, nullptr);
        EXPECT_EQ(busIf->getOwnerComponent(), a);
        EXPECT_EQ(busIf->getPortMaps().at("lo")->getPinPortMap(), (HBOPinPortMap{{"0", "x0"}, {"1", "x1"}}));
    }
    HBOBoardComponent* a = board->findComponent("a");
    EXPECT_EQ(a->getType(), "fpga");
    EXPECT_EQ(a->getSubType(), "s");
    EXPECT_EQ(a->getDisplayName(), "Main");
    EXPECT_EQ(a->getIsEnabled(), "false");
    HBOBoardComponent* b = board->findComponent("b");
    EXPECT_EQ(b->getDisplayName(), "b");  // defaults to the name
    EXPECT_EQ(b->getIsEnabled(), "true");
    EXPECT_EQ(b->getPartName(), "");

    std::vector<HBOParameter*> parameters;
    a->getParameters(parameters);
    ASSERT_EQ(parameters.size(), 1u);
    EXPECT_EQ(parameters[0]->getName(), "w");
    EXPECT_EQ(parameters[0]->getValue(), "3");
    EXPECT_EQ(parameters[0]->getValueType(), "long");

    HBOBusIf* busIf = a->findBusIf("i");
    ASSERT_NE(busIf, nullptr);
    EXPECT_EQ(busIf->getOfComponent(), "b");
    EXPECT_EQ(busIf->getIsEnabled(), "true");
    std::vector<HBOBusIfPreference*> preferences;
    busIf->getPreferences(preferences);
    ASSERT_EQ(preferences.size(), 1u);
    EXPECT_EQ(preferences[0]->getVlnv(), "v::ip:");
    EXPECT_EQ(preferences[0]->getOrder(), 2);
    HBOModelPort* port = busIf->getPortMaps().at("lo");
    EXPECT_EQ(port->getName(), "ph");
    EXPECT_EQ(port->getLeft(), "1");
    EXPECT_EQ(port->getRight(), "0");
    EXPECT_EQ(port->getPinPortMap(), (HBOPinPortMap{{"0", "x0"}, {"1", "x1"}}));
}

// What a listing does not make at once it still checks: a board missing a
// required attribute anywhere in a component is refused when it is read.
TEST_F(BoardFile, ComponentDetailsMissingARequiredAttribute) {
    const std::pair<const char*, const char*> cases[] = {
        {"<interfaces><interface mode=\"master\"/></interfaces>", "<interface> has no 'name'"},
        {"<interfaces><interface name=\"i\"><port_maps><port_map logical_port=\"l\"/></port_maps></interface>"
         "</interfaces>",
         "<port_map> has no 'physical_port'"},
        {"<interfaces><interface name=\"i\"><port_maps><port_map logical_port=\"l\" physical_port=\"p\">"
         "<pin_maps><pin_map port_index=\"0\"/></pin_maps></port_map></port_maps></interface></interfaces>",
         "<pin_map> has no 'component_pin'"},
        {"<interfaces><interface name=\"i\"><preferred_ips><preferred_ip vendor=\"v\"/></preferred_ips>"
         "</interface></interfaces>",
         "<preferred_ip> has no 'name'"},
        {"<parameters><parameter value=\"1\"/></parameters>", "<parameter> has no 'name'"},
        {"<component_modes><component_mode/></component_modes>", "<component_mode> has no 'name'"},
        {"<component_modes><component_mode name=\"m\"><interfaces><interface/></interfaces></component_mode>"
         "</component_modes>",
         "<interface> has no 'name'"},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(read(std::string(kHead) + "    <component name=\"a\" type=\"fpga\">\n      " + c.first +
                          "\n    </component>\n  </components>\n</board>\n"))
            << c.first;
        EXPECT_NE(error.find(std::string(", line 5: ") + c.second + " attribute"), std::string::npos) << error;
    }
}

TEST_F(BoardFile, ConnectionMapsGiveNetsInFileOrder) {
    ASSERT_TRUE(read(boardWithMaps(
        "      <connection_map c1_st_index=\"2\" c1_end_index=\"1\" c2_st_index=\"5\" c2_end_index=\"6\"/>\n"
        "      <connection_map name=\"m\" enabled=\"false\" c1_st_index=\"0\" c1_end_index=\"0\""
        " c2_end_index=\"6\" c2_st_index=\"6\"/>\n")))
        << error;
    const Names expected{"a_b_0 2 5 true", "a_b_1 1 6 true", "m_0 0 6 false"};
    EXPECT_EQ(describe(netsOf(*board)), expected);

    std::vector<HBOBoardBusNet*> ofB;
    board->getNetsOfComponent("b", ofB);
    EXPECT_EQ(describe(ofB), expected);
    std::vector<HBOPinProps*> pins;
    ofB[1]->getPinsVec(pins);
    EXPECT_EQ(namesOf(pins), (Names{"a1", "b6"}));
}

TEST_F(BoardFile, NetsOfACopyAndAddedNetsKeepTheOrder) {
    ASSERT_TRUE(
        read(boardWithMaps("      <connection_map name=\"m\" c1_st_index=\"0\" c1_end_index=\"1\""
                           " c2_st_index=\"5\" c2_end_index=\"6\"/>\n")))
        << error;
    // The copy is made before anyone asked the base for nets.
    auto copy = std::make_unique<HBOBoard>(*board, "copy");
    std::vector<HBOBoardBus*> buses;
    copy->getBuses(buses);
    ASSERT_EQ(buses.size(), 1u);
    buses[0]->addNet("extra", 2, 5, "false");
    std::vector<HBOBoardBusNet*> nets = netsOf(*copy);
    EXPECT_EQ(describe(nets), (Names{"m_0 0 5 true", "m_1 1 6 true", "extra 2 5 false"}));
    for (const HBOBoardBusNet* net : nets) EXPECT_EQ(net->getOwner(), buses[0]);
    EXPECT_EQ(describe(netsOf(*board)), (Names{"m_0 0 5 true", "m_1 1 6 true"}));
}

TEST_F(BoardFile, BadConnectionMapIndexNamesLineAndAttribute) {
    EXPECT_FALSE(read(boardWithMaps(
        "      <connection_map c1_st_index=\"0\" c1_end_index=\"x1\" c2_st_index=\"5\" c2_end_index=\"6\"/>\n")));
    EXPECT_NE(error.find(", line 13: 'c1_end_index' of <connection_map> must be an unsigned integer, got 'x1'"),
              std::string::npos)
        << error;
}

}  // namespace

// Pin maps in any order are kept in index order; an index given twice keeps its last pin.
TEST(PortIndexOrder, NumbersByValueThenOtherTextByteWise) {
    HBOModelPort port("p", "inout", "", "", nullptr);
    const std::pair<const char*, const char*> given[] = {{"10", "a"}, {"2", "b"},   {"x", "c"}, {"0", "d"},
                                                         {"B", "e"},  {"007", "f"}, {"7", "g"}, {"2", "h"}};
    for (const auto& entry : given) port.addPinMap(entry.first, entry.second);
    EXPECT_EQ(port.getPinPortMap(),
              (HBOPinPortMap{{"0", "d"}, {"2", "h"}, {"007", "f"}, {"7", "g"}, {"10", "a"}, {"B", "e"}, {"x", "c"}}));
}

// Pin maps are ordered when first asked for: a copy made before then has
// them all, and one added after then still takes its place in the order.
TEST(PortIndexOrder, CopiesAndLateAdditionsKeepTheOrder) {
    HBOModelPort port("p", "inout", "", "", nullptr);
    port.addPinMap("3", "c");
    port.addPinMap("1", "a");
    const HBOModelPort copy(port, nullptr);
    EXPECT_EQ(copy.getPinPortMap(), (HBOPinPortMap{{"1", "a"}, {"3", "c"}}));
    EXPECT_EQ(port.getPinPortMap(), (HBOPinPortMap{{"1", "a"}, {"3", "c"}}));
    port.addPinMap("2", "b");
    port.addPinMap("3", "z");
    EXPECT_EQ(port.getPinPortMap(), (HBOPinPortMap{{"1", "a"}, {"2", "b"}, {"3", "z"}}));
}

// The texts of components, interfaces, their parameters, preferred IPs and
// ports, packed together, read back each whole, in a copy too: empty ones and long ones.
TEST(PackedTexts, ComponentAndInterfaceTextsReadBackWholeInACopy) {
    MessageCapture capture;  // the copy loads the pin file, which is not there
    HBOBoard board;
    const std::string longText(300, 'd');
    HBOBoardComponent* component = board.addComponent(std::make_unique<HBOBoardComponent>(
        HBOBoardComponent::Attributes{"c", "fpga", "", "part", "/x/pins.xml", "", "v", "true", longText}, &board));
    HBOBusIf* added =
        component->addBusIf(std::make_unique<HBOBusIf>(HBOBusIf::Attributes{"i", "", "t", "", "p&q", ""}, component));
    added->addParameter(std::make_unique<HBOParameter>("w", "", longText));
    added->addPreference(std::make_unique<HBOBusIfPreference>("", "lib", "ip", longText, 3));
    added->addPortMap(std::make_unique<HBOPortMap>("LO", "phys"),
                      std::make_unique<HBOModelPort>("phys", "in", "", longText, component));
    const HBOBoardComponent empty(HBOBoardComponent::Attributes{}, nullptr);
    EXPECT_EQ(empty.getComponentName() + empty.getDescription() + empty.getPinMapFile(), "");
    EXPECT_FALSE(empty.isFpga());
    const HBOBoard copy(board, "copy");
    for (const HBOBoard* from : {static_cast<const HBOBoard*>(&board), &copy}) {
        const HBOBoardComponent* c = from->findComponent("c");
        ASSERT_NE(c, nullptr);
        EXPECT_EQ((Names{c->getComponentName(), c->getType(), c->getSubType(), c->getPartName(), c->getPinMapFile(),
                         c->getDisplayName(), c->getVendor(), c->getIsEnabled()}),
                  (Names{"c", "fpga", "", "part", "/x/pins.xml", "", "v", "true"}));
        EXPECT_EQ(c->getDescription(), longText);
        EXPECT_TRUE(c->isFpga());
        const HBOBusIf* busIf = c->findBusIf("i");
        ASSERT_NE(busIf, nullptr);
        EXPECT_EQ((Names{busIf->getName(), busIf->getMode(), busIf->getType(), busIf->getOfComponent(),
                         busIf->getPresetProcName(), busIf->getIsEnabled()}),
                  (Names{"i", "", "t", "", "p&q", ""}));
        std::vector<HBOParameter*> parameters;
        busIf->getParameters(parameters);
        ASSERT_EQ(parameters.size(), 1u);
        EXPECT_EQ((Names{parameters[0]->getName(), parameters[0]->getValue(), parameters[0]->getValueType()}),
                  (Names{"w", "", longText}));
        std::vector<HBOBusIfPreference*> preferences;
        busIf->getPreferences(preferences);
        ASSERT_EQ(preferences.size(), 1u);
        EXPECT_EQ((Names{preferences[0]->getVendor(), preferences[0]->getLibrary(), preferences[0]->getName(),
                         preferences[0]->getVersion(), preferences[0]->getVlnv()}),
                  (Names{"", "lib", "ip", longText, ":lib:ip:" + longText}));
        EXPECT_EQ(preferences[0]->getOrder(), 3);
        std::vector<HBOModelPort*> ports;
        busIf->getModelPorts(ports);
        ASSERT_EQ(ports.size(), 1u);
        EXPECT_EQ((Names{ports[0]->getName(), ports[0]->getDir(), ports[0]->getLeft(), ports[0]->getRight(),
                         ports[0]->getLogicalPort()}),
                  (Names{"phys", "in", "", longText, "LO"}));
        EXPECT_EQ(ports[0]->getBusIf(), busIf);
    }
}
