// Reading boards for callers that read many at once: the parse entry that
// sends nothing and keeps its warnings, first use of lazily built parts from
// several threads, and the nets of a pin found through the board's index
// as the walk over every bus finds them.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <thread>

#include "board_test_support.h"
#include "HBOParser.h"

namespace {

// U1 and J2 list pins 0..3; buses both ways, backwards, and from U1 to itself.
const char* const kBoard = R"(<board schema_version="2.1" vendor="t.org" name="nets">
  <file_version>1.0</file_version>
  <components>
    <component name="U1" type="fpga" part_name="p"><pins>
      <pin index="0" name="u0"/><pin index="1" name="u1"/><pin index="2" name="u2"/><pin index="3" name="u3"/></pins>
    </component>
    <component name="J2" type="connector"><pins>
      <pin index="0" name="j0"/><pin index="1" name="j1"/><pin index="2" name="j2"/><pin index="3" name="j3"/></pins>
    </component>
  </components>
  <connections>
    <connection name="u_j" component1="U1" component2="J2">
      <connection_map name="m" c1_st_index="0" c1_end_index="3" c2_st_index="0" c2_end_index="3"/>
      <connection_map name="bad" c1_st_index="0" c1_end_index="4" c2_st_index="0" c2_end_index="4"/>
    </connection>
    <connection name="j_u" component1="J2" component2="U1">
      <connection_map name="back" c1_st_index="0" c1_end_index="1" c2_st_index="3" c2_end_index="2"/>
    </connection>
    <connection name="loop" component1="U1" component2="U1">
      <connection_map name="self" c1_st_index="1" c1_end_index="1" c2_st_index="1" c2_end_index="1"/>
      <connection_map name="cross" c1_st_index="0" c1_end_index="0" c2_st_index="2" c2_end_index="2"/>
    </connection>
  </connections>
</board>
)";

class SharedReading : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(dir_);
        std::ofstream(file()) << kBoard;
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }
    std::string file() const { return (dir_ / "board.xml").string(); }

    MessageCapture capture;

private:
    std::filesystem::path dir_ = uniqueTempDir();
};

// The walk the index replaces: every bus of the board, in order.
std::vector<HBOBoardBusNet*> walkedNetsOfPin(const HBOBoard& board, const std::string& component, uint32_t index) {
    std::vector<HBOBoardBus*> buses;
    board.getBuses(buses);
    std::vector<HBOBoardBusNet*> found;
    for (HBOBoardBus* bus : buses) {
        std::vector<HBOBoardBusNet*> nets;
        bus->getBoardBusNets(nets);
        for (HBOBoardBusNet* net : nets)
            if ((bus->getComp1() == component && net->getC1PinIndex() == index) ||
                (bus->getComp2() == component && net->getC2PinIndex() == index))
                found.push_back(net);
    }
    return found;
}

}  // namespace

TEST_F(SharedReading, TheEntrySendsNothingAndKeepsTheWarningsInOrder) {
    HBOBoardFileRead read = HBOParser::readBoardFile(file());
    ASSERT_TRUE(read.board);
    EXPECT_EQ(read.board->getName(), "t.org:nets:1.0");
    EXPECT_TRUE(capture.messages.empty());
    ASSERT_EQ(read.warnings.size(), 1u);
    EXPECT_EQ(read.warnings[0].kind, HBODroppedItem::CONNECTION_MAP);
    EXPECT_EQ(read.warnings[0].line, 14);
    HBOParser::sendWarnings(read);
    ASSERT_EQ(capture.messages.size(), 1u);
    EXPECT_NE(capture.texts()[0].find("line 14: connection_map 'bad' names pin index 4 of component 'U1'"),
              std::string::npos)
        << capture.texts()[0];

    // A file left out: no board, and the reason last, as parseFile words it.
    std::ofstream(file()) << "<board schema_version=\"2.1\" vendor=\"t\" name=\"n\">\n<file_version>1</file_version>\n"
                             "<components><component name=\"a\" type=\"x\"/>\n<component name=\"a\" type=\"x\"/>"
                             "</components></board>\n";
    read = HBOParser::readBoardFile(file());
    EXPECT_FALSE(read.board);
    ASSERT_EQ(read.warnings.size(), 1u);
    EXPECT_EQ(read.warnings.back().kind, HBODroppedItem::BOARD_FILE);
    EXPECT_EQ(read.warnings.back().line, 4);
    EXPECT_EQ(read.warnings.back().reason, "component 'a' is defined twice");
    capture.messages.clear();
    HBOBoard board;
    HBOParser parser;
    EXPECT_FALSE(parser.parseFile(file(), &board));
    HBOParser::sendWarnings(read);
    ASSERT_EQ(capture.messages.size(), 2u);
    EXPECT_EQ(capture.texts()[0], capture.texts()[1]);
}

TEST_F(SharedReading, NetsOfAPinAreThoseTheWalkOverEveryBusFinds) {
    HBOBoardFileRead read = HBOParser::readBoardFile(file());
    ASSERT_TRUE(read.board);
    for (const char* component : {"U1", "J2", "none"}) {
        for (uint32_t index = 0; index < 5; ++index) {
            std::vector<HBOBoardBusNet*> nets{nullptr};  // appended after what the caller holds
            read.board->getNetsOfPin(component, index, nets);
            EXPECT_EQ(std::vector<HBOBoardBusNet*>(nets.begin() + 1, nets.end()),
                      walkedNetsOfPin(*read.board, component, index))
                << component << " " << index;
        }
    }
    std::vector<HBOBoardBusNet*> nets;
    read.board->getNetsOfPin("U1", 1, nets);
    EXPECT_EQ(namesOf(nets), (std::vector<std::string>{"m_1", "self_0"}));  // the loop net once
}

// Many components: lookups through the name index, also for one added after it.
TEST(ComponentLookup, FirstOfANameAlsoAfterTheIndexIsBuilt) {
    HBOBoard board;
    HBOBoardComponent::Attributes attributes;
    attributes.type = "chip";
    for (int i = 0; i < 40; ++i) {
        attributes.name = "c" + std::to_string(i % 30);
        board.addComponent(std::make_unique<HBOBoardComponent>(attributes, &board));
    }
    std::vector<HBOBoardComponent*> components;
    board.getBoardComponentsVec(components);
    EXPECT_EQ(board.findComponent("c5"), components[5]);
    EXPECT_EQ(board.findComponent("c40"), nullptr);
    attributes.name = "late";
    HBOBoardComponent* late = board.addComponent(std::make_unique<HBOBoardComponent>(attributes, &board));
    EXPECT_EQ(board.findComponent("late"), late);
    EXPECT_EQ(board.findComponent("c29"), components[29]);
}

// Threads asking a fresh board for its lazily built parts all get the one
// set of objects, each file read once (one warning, not one per thread).
TEST_F(SharedReading, FirstUseFromSeveralThreadsBuildsEachPartOnce) {
    std::ofstream(file()) << R"(<board schema_version="2.1" vendor="t.org" name="lazy" preset_file="gone.xml">
  <file_version>1.0</file_version>
  <components>
    <component name="part0" type="fpga" part_name="p" pin_map_file="pins.xml">
      <interfaces><interface name="i"><port_maps><port_map logical_port="l" physical_port="p">
        <pin_maps><pin_map port_index="0" component_pin="a"/></pin_maps></port_map></port_maps></interface></interfaces>
      <component_modes><component_mode name="m"/></component_modes>
    </component>
    <component name="J1" type="connector"><pins><pin index="0" name="j0"/><pin index="1" name="j1"/></pins></component>
  </components>
  <connections><connection name="c" component1="part0" component2="J1">
    <connection_map name="m" c1_st_index="0" c1_end_index="1" c2_st_index="0" c2_end_index="1"/>
  </connection></connections>
</board>
)";
    std::ofstream(std::filesystem::path(file()).parent_path() / "pins.xml")
        << "<part_info part_name=\"p\"><pins><pin index=\"0\" name=\"a\" loc=\"A1\"/>"
           "<pin index=\"1\" name=\"b\" pull=\"UP\"/></pins></part_info>\n";
    HBOBoardFileRead read = HBOParser::readBoardFile(file());
    ASSERT_TRUE(read.board);
    const HBOBoard& board = *read.board;
    struct Seen {
        std::vector<HBOPinProps*> pins;
        HBOPinProps* found = nullptr;
        std::vector<HBOBoardBusNet*> nets;
        std::size_t presets = 0;
        std::vector<HBOBusIf*> interfaces;
        std::vector<HBOComponentMode*> modes;
        std::vector<HBOModelPort*> portsOfPin;
    };
    std::vector<Seen> seen(4);
    std::vector<std::thread> threads;
    for (Seen& mine : seen) {
        threads.emplace_back([&board, &mine] {
            HBOBoardComponent* part = board.findFpgaComponent();
            part->getPinsVec(mine.pins);
            mine.found = part->findPin("b");
            board.getNetsOfPin("part0", 1, mine.nets);
            mine.presets = board.getIpPresets().size();
            part->getBusIfSeq(mine.interfaces);
            part->getComponentModes(mine.modes);
            part->getInterfacePortsOfPin("a", mine.portsOfPin);
        });
    }
    for (auto& thread : threads) thread.join();
    ASSERT_EQ(seen[0].pins.size(), 2u);
    ASSERT_EQ(seen[0].nets.size(), 1u);
    EXPECT_EQ(seen[0].found, seen[0].pins[1]);
    ASSERT_EQ(seen[0].interfaces.size(), 1u);
    ASSERT_EQ(seen[0].modes.size(), 1u);
    ASSERT_EQ(seen[0].portsOfPin.size(), 1u);
    for (const Seen& other : seen) {
        EXPECT_EQ(other.pins, seen[0].pins);
        EXPECT_EQ(other.found, seen[0].found);
        EXPECT_EQ(other.nets, seen[0].nets);
        EXPECT_EQ(other.presets, 0u);
        EXPECT_EQ(other.interfaces, seen[0].interfaces);
        EXPECT_EQ(other.modes, seen[0].modes);
        EXPECT_EQ(other.portsOfPin, seen[0].portsOfPin);
    }
    EXPECT_EQ(capture.messages.size(), 1u);  // the missing preset file, once
    EXPECT_EQ(board.getDroppedItems().size(), 1u);
}
