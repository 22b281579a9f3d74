// The bundled sample repository (data/boards) as a whole: every file loads
// without a warning, and the rules the getters keep hold on every board:
// order, references that resolve to the right owner, counts. A deep copy
// keeps the same rules with every reference pointing into the copy.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

#include "board_test_support.h"

using Names = std::vector<std::string>;

namespace {

std::vector<HBOBoard*> sampleBoards() {
    HBOBoardUtils::defineParameters();
    HPAParamMgr::getParamMgr().reset("board.repoPaths");
    std::vector<HBOBoard*> boards;
    HBOBoardCReposMgr::getGlobal()->appendAllBoards(boards);
    return boards;
}

template <class T, class Getter>
std::vector<T*> listed(const HBOBoard* board, Getter getter) {
    std::vector<T*> objects;
    (board->*getter)(objects);
    return objects;
}

std::string upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// Pins: indexes 0..n-1 in list order, each found by name and index on its owner.
void expectPinsIndexed(const HBOBoardComponent* component) {
    SCOPED_TRACE(component->getName());
    std::vector<HBOPinProps*> pins;
    component->getPinsVec(pins);
    for (std::size_t i = 0; i < pins.size(); ++i) {
        EXPECT_EQ(pins[i]->getPinIndex(), i) << pins[i]->getName();
        EXPECT_EQ(pins[i]->getOwner(), component);
        EXPECT_EQ(component->findPin(pins[i]->getName()), pins[i]);
        EXPECT_EQ(component->findPinByIndex(static_cast<uint32_t>(i)), pins[i]);
        EXPECT_EQ(pins[i]->getProperty(HBO_PIN_PROP_INDEX), std::to_string(i));
    }
    EXPECT_EQ(component->findPinByIndex(static_cast<uint32_t>(pins.size())), nullptr);
}

// Interfaces belong to the FPGA of the board; schema-2 port maps name their
// physical ports, whose pin maps run in index order and resolve on the owner.
void expectInterfacesResolve(const HBOBoard* board, const HBOBoardComponent* fpga) {
    std::vector<HBOBusIf*> interfaces = listed<HBOBusIf>(board, &HBOBoard::getBusIfSeq);
    std::vector<HBOBusIf*> withDisabled, withoutDisabled, asVec;
    fpga->getBusIfSeq(withDisabled, true);
    fpga->getBusIfSeq(withoutDisabled, false);
    fpga->getInterfacesVec(asVec);
    EXPECT_EQ(withDisabled, interfaces);  // the flag does not filter
    EXPECT_EQ(withoutDisabled, interfaces);
    EXPECT_EQ(asVec, interfaces);
    for (HBOBusIf* busIf : interfaces) {
        SCOPED_TRACE(busIf->getName());
        EXPECT_EQ(busIf->getOwnerComponent(), fpga);
        EXPECT_EQ(busIf->getParentBoard(), board);
        EXPECT_EQ(fpga->findBusIf(busIf->getName()), busIf);
        std::vector<HBOPortMap*> maps;
        busIf->getPortMapSeq(maps);
        auto ports = busIf->getPortMaps();
        if (!HBOBoardUtils::isSchema20OrGreater(board)) {
            EXPECT_TRUE(ports.empty());
            for (const HBOPortMap* map : maps) {
                HBOModelPort* port = nullptr;
                EXPECT_TRUE(fpga->getModelPortByName(port, map->getPhysicalPort())) << map->getPhysicalPort();
            }
            continue;
        }
        EXPECT_EQ(ports.size(), maps.size());
        for (const HBOPortMap* map : maps) {
            ASSERT_EQ(ports.count(map->getLogicalPort()), 1u) << map->getLogicalPort();
            const HBOModelPort* port = ports.at(map->getLogicalPort());
            EXPECT_EQ(port->getName(), map->getPhysicalPort());
            EXPECT_EQ(port->getOwner(), fpga);
            std::vector<HBOPinProps*> pins;
            port->getPins(pins);
            Names mapped;
            long previous = -1;
            for (const auto& entry : port->getPinPortMap()) {
                mapped.push_back(entry.second);
                EXPECT_LT(previous, std::stol(entry.first)) << "index order";
                previous = std::stol(entry.first);
            }
            EXPECT_EQ(namesOf(pins), mapped) << port->getName();
            for (const HBOPinProps* pin : pins) EXPECT_EQ(pin->getOwner(), fpga);
        }
    }
    std::vector<HBOComponentMode*> modes;
    fpga->getComponentModes(modes);
    for (const HBOComponentMode* mode : modes) {
        EXPECT_EQ(mode->getOwner(), fpga);
        for (const std::string& name : mode->getInterfaceNames()) EXPECT_NE(fpga->findBusIf(name), nullptr) << name;
    }
}

// Buses join two components of the board; their nets join a pin of each, at
// the indexes the net names, and take the bus's enabled text.
void expectBusesResolve(const HBOBoard* board) {
    std::vector<HBOBoardBus*> buses = listed<HBOBoardBus>(board, &HBOBoard::getBuses);
    for (const HBOBoardComponent* component : listed<HBOBoardComponent>(board, &HBOBoard::getBoardComponentsVec)) {
        const std::string name = component->getComponentName();
        std::vector<HBOBoardBus*> expected, got;
        std::vector<HBOBoardBusNet*> expectedNets, gotNets;
        for (HBOBoardBus* bus : buses) {
            if (bus->getComp1() != name && bus->getComp2() != name) continue;
            expected.push_back(bus);
            bus->getBoardBusNets(expectedNets);
        }
        board->getBusesOfComponent(name, got);
        board->getNetsOfComponent(name, gotNets);
        EXPECT_EQ(got, expected) << name;
        EXPECT_EQ(gotNets, expectedNets) << name;
    }
    for (HBOBoardBus* bus : buses) {
        SCOPED_TRACE(bus->getName());
        EXPECT_EQ(bus->getBoard(), board);
        HBOBoardComponent* const ends[] = {board->findComponent(bus->getComp1()), board->findComponent(bus->getComp2())};
        ASSERT_TRUE(ends[0] && ends[1]);
        std::vector<HBOBoardComponent*> components;
        bus->getBusComponentsVec(components);
        EXPECT_EQ(components, (std::vector<HBOBoardComponent*>{ends[0], ends[1]}));
        std::vector<HBOBoardBusNet*> nets;
        bus->getBoardBusNets(nets);
        EXPECT_FALSE(nets.empty());
        for (const HBOBoardBusNet* net : nets) {
            std::vector<HBOPinProps*> pins;
            net->getPinsVec(pins);
            ASSERT_EQ(pins.size(), 2u) << net->getName();
            EXPECT_EQ(pins[0], ends[0]->findPinByIndex(net->getC1PinIndex())) << net->getName();
            EXPECT_EQ(pins[1], ends[1]->findPinByIndex(net->getC2PinIndex())) << net->getName();
            EXPECT_EQ(net->getOwner(), bus);
            // A net follows its bus unless its map switches it off.
            if (net->getIsEnabled() != "false") {
                EXPECT_EQ(net->getIsEnabled(), bus->getIsEnabled()) << net->getName();
            }
        }
    }
}

// Preset procs named by interfaces (any case) and associated interfaces resolve.
void expectPresetsResolve(const HBOBoard* board) {
    const HBOIpPresetMap& presets = board->getIpPresets();
    for (const auto& entry : presets) {
        for (const HBOIpPreset* preset : entry.second) {
            EXPECT_EQ(upper(preset->getPresetName()), entry.first);
            EXPECT_EQ(preset->getVlnv(), preset->getVendor() + ":" + preset->getLibrary() + ":" + preset->getName() +
                                             ":" + preset->getVersion());
        }
    }
    std::vector<HBOBusIf*> interfaces = listed<HBOBusIf>(board, &HBOBoard::getBusIfSeq);
    for (const HBOBusIf* busIf : interfaces) {
        if (!busIf->getPresetProcName().empty()) {
            EXPECT_EQ(presets.count(upper(busIf->getPresetProcName())), 1u) << busIf->getPresetProcName();
        }
    }
    for (const auto& entry : board->getIpAssociatedInterfaces()) {
        EXPECT_TRUE(std::any_of(interfaces.begin(), interfaces.end(),
                                [&](const HBOBusIf* busIf) { return busIf->getName() == entry.first; }))
            << entry.first;
    }
}

// Older boards: the FPGA's pins are those of its ports in port order, each
// port found by name and holding pins that name it.
void expectPortsHoldThePins(const HBOBoardComponent* fpga) {
    std::vector<HBOModelPort*> ports;
    fpga->getModelPortSeq(ports);
    Names portPins;
    for (HBOModelPort* port : ports) {
        std::vector<HBOPinProps*> pins;
        port->getPortPropsSeq(pins);
        for (const HBOPinProps* pin : pins) {
            EXPECT_EQ(pin->getPortName(), port->getName());
            portPins.push_back(pin->getName());
        }
        HBOModelPort* found = nullptr;
        EXPECT_TRUE(fpga->getModelPortByName(found, port->getName()) && found == port) << port->getName();
    }
    std::vector<HBOPinProps*> all;
    fpga->getPinsVec(all);
    EXPECT_EQ(namesOf(all), portPins);
}

void expectBoardKeepsTheRules(const HBOBoard* board) {
    SCOPED_TRACE(board->getName());
    std::vector<HBOBoardComponent*> components = listed<HBOBoardComponent>(board, &HBOBoard::getBoardComponentsVec);
    for (const HBOBoardComponent* component : components) {
        EXPECT_EQ(component->getBoard(), board);
        EXPECT_EQ(board->findComponent(component->getComponentName()), component);
        EXPECT_EQ(component->getName(), board->getVendor() + ":" + board->getBoardName() + ":" +
                                            component->getComponentName() + ":" + board->getVersion());
        expectPinsIndexed(component);
    }
    const HBOBoardComponent* fpga = board->findFpgaComponent();
    if (fpga) {
        EXPECT_EQ(board->getPartName(), fpga->getPartName());
        expectInterfacesResolve(board, fpga);
        if (!HBOBoardUtils::isV2SchemaBoard(fpga)) expectPortsHoldThePins(fpga);
    }
    expectBusesResolve(board);
    expectPresetsResolve(board);
}

// Components, interfaces, buses, nets of the FPGA, FPGA pins, jumpers, modes, presets.
std::vector<std::size_t> countsOf(const HBOBoard* board) {
    const HBOBoardComponent* fpga = board->findFpgaComponent();
    std::vector<HBOBoardBusNet*> nets;
    std::vector<HBOPinProps*> pins;
    std::vector<HBOComponentMode*> modes;
    if (fpga) {
        board->getNetsOfComponent(fpga->getComponentName(), nets);
        fpga->getPinsVec(pins);
        fpga->getComponentModes(modes);
    }
    return {listed<HBOBoardComponent>(board, &HBOBoard::getBoardComponentsVec).size(),
            listed<HBOBusIf>(board, &HBOBoard::getBusIfSeq).size(),
            listed<HBOBoardBus>(board, &HBOBoard::getBuses).size(),
            nets.size(),
            pins.size(),
            listed<HBOJumper>(board, &HBOBoard::getJumpers).size(),
            modes.size(),
            board->getIpPresets().size()};
}

}  // namespace

TEST(SampleRepository, EveryFileLoadsWithoutWarningsInNameOrder) {
    MessageCapture capture;
    std::vector<HBOBoard*> boards{nullptr};  // appended after what the caller holds
    HBOBoardUtils::defineParameters();
    HPAParamMgr::getParamMgr().reset("board.repoPaths");
    HBOBoardCReposMgr::getGlobal()->appendAllBoards(boards);
    ASSERT_EQ(boards.size(), 9u);
    EXPECT_EQ(boards[0], nullptr);
    for (std::size_t i = 2; i < boards.size(); ++i) EXPECT_LT(boards[i - 1]->getName(), boards[i]->getName());
    for (std::size_t i = 1; i < boards.size(); ++i) HBOBoardCReposMgr::getGlobal()->populatePreferenceData(boards[i]);
    EXPECT_EQ(capture.texts(), Names{});
}

TEST(SampleRepository, EveryBoardKeepsOrderAndReferenceRules) {
    for (const HBOBoard* board : sampleBoards()) expectBoardKeepsTheRules(board);
}

// What the two kinds of rich board hold (see countsOf), so that a dropped element shows.
TEST(SampleRepository, CountsOfTheRichBoards) {
    sampleBoards();
    EXPECT_EQ(countsOf(repositoryBoard("acme.com:cobalt_x4:2.0")), (std::vector<std::size_t>{8, 8, 8, 81, 81, 3, 3, 5}));
    EXPECT_EQ(countsOf(repositoryBoard("acme.com:heron_s1:1.0")), (std::vector<std::size_t>{5, 4, 0, 0, 9, 0, 0, 0}));
}

// A copy renamed for an instance keeps every rule with every reference in the
// copy, holds as much in objects of its own, and leaves the repository board alone.
TEST(SampleRepository, DeepCopiesKeepTheRulesInsideTheCopy) {
    for (HBOBoard* original : sampleBoards()) {
        HBOBoard copy(*original, "instance");
        SCOPED_TRACE(original->getName());
        EXPECT_EQ(copy.getName(), original->getVendor() + ":instance:" + original->getVersion());
        expectBoardKeepsTheRules(&copy);
        EXPECT_EQ(countsOf(&copy), countsOf(original));
        std::vector<HBOBoardComponent*> originals = listed<HBOBoardComponent>(original, &HBOBoard::getBoardComponentsVec);
        std::vector<HBOBoardComponent*> copies = listed<HBOBoardComponent>(&copy, &HBOBoard::getBoardComponentsVec);
        for (std::size_t i = 0; i < copies.size(); ++i) EXPECT_NE(copies[i], originals[i]);
        for (const auto& entry : copy.getIpPresets())
            EXPECT_NE(entry.second.front(), original->getIpPresets().at(entry.first).front()) << entry.first;
        EXPECT_EQ(copy.getIpAssociatedInterfaces().size(), original->getIpAssociatedInterfaces().size());
        expectBoardKeepsTheRules(original);
    }
}
