// The bundled sample repository: every file loads without a warning, and the
// getters' order and reference rules hold on every board and on deep copies.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

#include "board_test_support.h"
#include "HBOBoardCheck.h"
#include "HBOBoardCheckReport.h"
#include "HBOParser.h"

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

// Interfaces belong to the FPGA; schema-2 port maps resolve on it in index order.
void expectInterfacesResolve(const HBOBoard* board, const HBOBoardComponent* fpga) {
    std::vector<HBOBusIf*> interfaces = listed<HBOBusIf>(board, &HBOBoard::getBusIfSeq);
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

// Buses join two components; their nets join a pin of each and follow the bus's enabled text.
void expectBusesResolve(const HBOBoard* board) {
    std::vector<HBOBoardBus*> buses = listed<HBOBoardBus>(board, &HBOBoard::getBuses);
    for (HBOBoardBus* bus : buses) {
        SCOPED_TRACE(bus->getName());
        EXPECT_EQ(bus->getBoard(), board);
        HBOBoardComponent* const ends[] = {board->findComponent(bus->getComp1()),
                                           board->findComponent(bus->getComp2())};
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
        EXPECT_TRUE(std::any_of(interfaces.begin(), interfaces.end(), [&](const HBOBusIf* busIf) {
            return busIf->getName() == entry.first;
        })) << entry.first;
        for (const HBOIpPreset* preset : entry.second) EXPECT_EQ(preset->getBoardInterface(), entry.first);
    }
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

// A renamed copy keeps the rules inside itself and leaves the original alone.
TEST(SampleRepository, DeepCopiesKeepTheRulesInsideTheCopy) {
    for (HBOBoard* original : sampleBoards()) {
        HBOBoard copy(*original, "instance");
        SCOPED_TRACE(original->getName());
        EXPECT_EQ(copy.getName(), original->getVendor() + ":instance:" + original->getVersion());
        expectBoardKeepsTheRules(&copy);
        EXPECT_EQ(countsOf(&copy), countsOf(original));
        std::vector<HBOBoardComponent*> originals =
            listed<HBOBoardComponent>(original, &HBOBoard::getBoardComponentsVec);
        std::vector<HBOBoardComponent*> copies = listed<HBOBoardComponent>(&copy, &HBOBoard::getBoardComponentsVec);
        for (std::size_t i = 0; i < copies.size(); ++i) EXPECT_NE(copies[i], originals[i]);
        for (const auto& entry : copy.getIpPresets())
            EXPECT_NE(entry.second.front(), original->getIpPresets().at(entry.first).front()) << entry.first;
        EXPECT_EQ(copy.getIpAssociatedInterfaces().size(), original->getIpAssociatedInterfaces().size());
        expectBoardKeepsTheRules(original);
    }
}

// The sample boards and diagram are written by hand to be right: no rule finds anything.
TEST(SampleRepository, ChecksFindNothing) {
    sampleBoards();
    std::vector<HBOCheckFinding> findings;
    HBOBoardCheck check;
    check.checkRepository(findings);
    HBOBoard diagram;
    ASSERT_TRUE(
        HBOParser().parseFile(std::string(ZEM_TEST_DATA_DIR) + "/diagrams/cobalt_with_lumen/board.xml", &diagram));
    check.checkBoard(diagram, findings);
    EXPECT_EQ(check.boardsChecked(), 9);
    EXPECT_EQ(HBOBoardCheckReport::text(findings, check.boardsChecked()), "9 boards checked: no findings\n");
}
