// The repository (order, laziness, reload), instance copies, integrated
// files, the diagram manager, the switches and the property registrations.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include <filesystem>

#include "HBOBoardDiagramMgr.h"
#include "HBOCPropertyInit.h"
#include "HBOParser.h"
#include "HCPProperty.h"
#include "board_test_support.h"

using Names = std::vector<std::string>;

namespace {
std::vector<HBOBoard*> allBoards() {
    std::vector<HBOBoard*> boards;
    HBOBoardCReposMgr::getGlobal()->appendAllBoards(boards);
    return boards;
}
}  // namespace

TEST(Repository, BoardsAreOrderedByFullNameAndPinFilesWait) {
    RepoPaths repo(fixture("good"));
    std::vector<HBOBoard*> boards = allBoards();
    EXPECT_EQ(namesOf(boards), (Names{"acme.com:alpha:1.0", "acme.com:legacy:1.0", "beta.org:plain:1.0"}));
    HBOBoard* alpha = boards[0];
    EXPECT_FALSE(alpha->findFpgaComponent()->arePinsLoaded());
    EXPECT_FALSE(alpha->arePresetsLoaded());
    std::vector<HBOPinProps*> pins;
    alpha->findFpgaComponent()->getPinsVec(pins);
    EXPECT_TRUE(alpha->findFpgaComponent()->arePinsLoaded());
    EXPECT_EQ(allBoards(), boards);  // same objects on the next query
}

TEST(Repository, ChangingTheFoldersReloadsAndKeepsOldBoardsAlive) {
    HBOBoard* alpha = nullptr;
    {
        RepoPaths repo(fixture("good"));
        alpha = repositoryBoard("acme.com:alpha:1.0");
        ASSERT_NE(alpha, nullptr);
    }
    RepoPaths other(fixture("dup2"));
    EXPECT_EQ(namesOf(allBoards()), (Names{"test.org:twin:1.0"}));
    EXPECT_EQ(alpha->getName(), "acme.com:alpha:1.0");  // still usable
}

TEST(Repository, DefaultIsTheBundledSampleRepository) {
    HBOBoardUtils::defineParameters();
    HPAParamMgr::getParamMgr().reset("board.repoPaths");
    std::vector<std::string> roots = HBOBoardCReposMgr::getGlobal()->getRootFolders();
    ASSERT_EQ(roots.size(), 1u);
    EXPECT_TRUE(std::filesystem::equivalent(roots[0], std::string(ZEM_TEST_DATA_DIR) + "/boards"));
}

TEST(Repository, ReleaseNoticesNewBoardFiles) {
    std::filesystem::path dir = uniqueTempDir();
    std::filesystem::create_directories(dir / "b");
    RepoPaths repo(fixture("dup1") + " " + dir.string());
    EXPECT_EQ(allBoards().size(), 1u);
    std::filesystem::copy_file(fixture("good/beta.org/plain/1.0/board.xml"), dir / "b" / "board.xml");
    EXPECT_EQ(allBoards().size(), 1u);  // no scan between uses
    HBOBoardCReposMgr::getGlobal()->release();
    EXPECT_EQ(namesOf(allBoards()), (Names{"beta.org:plain:1.0", "test.org:twin:1.0"}));
    std::filesystem::remove_all(dir);
}

TEST(Repository, PopulatePreferenceDataLoadsDeferredFiles) {
    RepoPaths repo(fixture("good"));
    HBOBoard* alpha = repositoryBoard("acme.com:alpha:1.0");
    HBOBoardCReposMgr::getGlobal()->populatePreferenceData(alpha);
    EXPECT_TRUE(alpha->arePresetsLoaded());
    EXPECT_TRUE(alpha->findFpgaComponent()->arePinsLoaded());
}

TEST(InstanceBoard, DeepCopyBelongsToTheInstance) {
    RepoPaths repo(fixture("good"));
    HBOBoard* base = repositoryBoard("acme.com:alpha:1.0");
    auto* left = new HBOBoard(*base, "left");
    EXPECT_EQ(left->getName(), "acme.com:left:1.0");
    EXPECT_EQ(base->getBoardName(), "alpha");

    std::vector<HBOBoardComponent*> components;
    left->getBoardComponentsVec(components);
    ASSERT_EQ(components.size(), 4u);
    EXPECT_NE(components[0], base->findFpgaComponent());
    EXPECT_EQ(components[0]->getBoard()->getBoardName(), "left");
    EXPECT_EQ(components[0]->getName(), "acme.com:left:part0:1.0");

    std::vector<HBOBusIf*> interfaces;
    left->getBusIfSeq(interfaces);
    EXPECT_EQ(interfaces[0]->getParentBoard(), left);
    std::vector<HBOPinProps*> pins;
    interfaces[0]->getPortMaps().at("TRI_O")->getPins(pins);
    ASSERT_EQ(pins.size(), 4u);
    EXPECT_EQ(pins[0]->getOwner(), components[0]);

    std::vector<HBOBoardBus*> buses;
    left->getBuses(buses);
    std::vector<HBOBoardBusNet*> nets;
    buses[0]->getBoardBusNets(nets);
    EXPECT_EQ(buses[0]->getBoard(), left);
    EXPECT_EQ(nets[0]->getOwner(), buses[0]);
    std::vector<HBOPinProps*> netPins;
    nets[0]->getPinsVec(netPins);
    EXPECT_EQ(netPins[0]->getOwner(), components[0]);

    EXPECT_EQ(left->getIpPresets().size(), 2u);
    EXPECT_NE(left->getIpPresets().begin()->second[0], base->getIpPresets().begin()->second[0]);
    delete left;  // allowed before unload
}

TEST(IntegratedFile, ReadsConnectedBoardsAndComponents) {
    HBOBoard board;
    HBOParser parser;
    ASSERT_TRUE(parser.parseFile(fixture("pair.xml"), &board));
    EXPECT_TRUE(board.isIntegratedBoard());
    EXPECT_EQ(board.getName(), "vnd:pair:1.0");
    EXPECT_EQ(board.getBoardFile(), fixture("pair.xml"));
    EXPECT_EQ(board.getConnectedBoards(), (std::map<std::string, std::string>{{"left", "base_a"}, {"right", "base_b"}}));
    EXPECT_EQ(board.getConnectedComponents(), (std::map<std::string, std::string>{{"left#J1", "right#J2"}}));
}

TEST(IntegratedFile, ConnectedMapsAreOrderedAndLastEntryWins) {
    HBOBoard board;
    board.addConnectedBoard("right", "x");
    board.addConnectedBoard("left", "y");
    board.addConnectedBoard("right", "z");
    EXPECT_EQ(board.getConnectedBoards(), (std::map<std::string, std::string>{{"left", "y"}, {"right", "z"}}));
    board.addConnectedComponents("", "", "b", "c");
    EXPECT_EQ(board.getConnectedComponents().at("#"), "b#c");
}

TEST(DiagramManager, OpenSelectAndClose) {
    HBOBoardDiagramMgr* manager = HBOBoardDiagramMgr::getGlobal();
    HBOBoard first, second;
    first.setName("v", "one", "1.0");
    second.setName("v", "two", "1.0");
    manager->addToOpenedBoardDiagrams(&first);
    manager->addToOpenedBoardDiagrams(&first);
    manager->setCurrentBoardDiagram(&second);
    std::vector<HBOBoard*> opened;
    manager->getOpenedBoardDiagrams(opened);
    EXPECT_EQ(namesOf(opened), (Names{"v:one:1.0", "v:two:1.0"}));
    EXPECT_EQ(manager->getCurrentBoardDiagram(), &second);

    EXPECT_EQ(manager->setCurrentBoardDiagram("v:nothing:1.0"), nullptr);
    EXPECT_EQ(manager->getCurrentBoardDiagram(), &second);
    EXPECT_EQ(manager->setCurrentBoardDiagram("v:one:1.0"), &first);

    EXPECT_TRUE(manager->removeFromOpenedBoardDiagrams("v:one:1.0"));
    EXPECT_EQ(manager->getCurrentBoardDiagram(), nullptr);  // closing the current one clears it
    EXPECT_FALSE(manager->removeFromOpenedBoardDiagrams("v:one:1.0"));
    EXPECT_TRUE(manager->removeFromOpenedBoardDiagrams("v:two:1.0"));
}

TEST(Switches, ReadTheParametersAtEachCall) {
    HBOBoardUtils::defineParameters();
    HPAParamMgr& params = HPAParamMgr::getParamMgr();
    EXPECT_TRUE(HBOBoardUtils::isV2SchemaEnabled());
    EXPECT_TRUE(HBOBoardUtils::isBoardIntegraterSupportEnabled());
    params.setValue("board.enableSchema2", "0");
    params.setValue("board.enableIntegration", "false");
    EXPECT_FALSE(HBOBoardUtils::isV2SchemaEnabled());
    EXPECT_FALSE(HBOBoardUtils::isBoardIntegraterSupportEnabled());
    params.reset("board.enableSchema2");
    params.reset("board.enableIntegration");
    EXPECT_TRUE(HBOBoardUtils::isV2SchemaEnabled());
}

TEST(Switches, SchemaVersionComparesAsNumber) {
    HBOBoard board;
    const std::pair<const char*, bool> cases[] = {{"2.0", true}, {"2.10", true}, {"10.0", true}, {"1.9", false}, {"", false}};
    for (const auto& c : cases) {
        board.setSchemaVersion(c.first);
        EXPECT_EQ(HBOBoardUtils::isSchema20OrGreater(&board), c.second) << c.first;
    }
    EXPECT_FALSE(HBOBoardUtils::isSchema20OrGreater(nullptr));
    EXPECT_FALSE(HBOBoardUtils::isV2SchemaBoard(static_cast<HBOBoardComponent*>(nullptr)));
}

TEST(Properties, ClassesAndValues) {
    bool& initialized = HBOCPropertyInit::initV2Props();
    HBOCPropertyInit::initAll();
    EXPECT_TRUE(initialized);
    HBOCPropertyInit::initAll();  // a second run changes nothing

    const std::pair<const std::type_info*, const char*> classes[] = {
        {&typeid(HBOBoard*), "board"},
        {&typeid(HBOBoardComponent*), "board_component"},
        {&typeid(HBOBusIf*), "board_part_interface"},
        {&typeid(HBOPinProps*), "board_part_pin"},
        {&typeid(HBOIpPreset*), "board_ip_preset"},
        {&typeid(HBOJumper*), "board_jumper"},
        {&typeid(HBOParameter*), "board_parameter"},
        {&typeid(HBOBoardBus*), "board_bus"},
        {&typeid(HBOBoardBusNet*), "board_bus_net"},
        {&typeid(HBOModelPort*), "board_interface_port"},
        {&typeid(HBOComponentMode*), "board_component_mode"},
        {&typeid(HBOBusIfPreference*), "board_user_preference"},
        {&typeid(HBOPortMap*), "board_port_map"},
    };
    for (const auto& entry : classes)
        EXPECT_EQ(HCPProperty::getObjectClassName(HCPProperty::getObjectInfo(*entry.first)), entry.second);

    RepoPaths repo(fixture("good"));
    HBOBoard* alpha = repositoryBoard("acme.com:alpha:1.0");
    std::vector<HBOBoardComponent*> components;
    alpha->getBoardComponentsVec(components);
    auto value = [](const tov::tcltasks::tclany& object, const char* property) {
        const HCPProperty::ObjectInfo* info = HCPProperty::getObjectInfo(object);
        const HCPProperty::PropertyDef* def = info ? info->findProperty(property) : nullptr;
        return def ? HCPProperty::toText(HCPProperty::getValue(object, *def)) : std::string("<none>");
    };
    EXPECT_EQ(value(alpha, "FILE_VERSION"), "1.0");
    EXPECT_EQ(value(alpha, "PART_NAME"), "xa-test-1");
    EXPECT_EQ(value(alpha, "CLASS"), "board");
    EXPECT_EQ(value(components[1], "IS_ENABLED"), "1");  // "TRUE"
    EXPECT_EQ(value(components[2], "IS_ENABLED"), "1");  // "True"
    EXPECT_EQ(value(components[3], "IS_ENABLED"), "0");
    EXPECT_EQ(value(components[1], "SUB_TYPE"), "led");
    HBOPinProps* io0 = alpha->findFpgaComponent()->findPin("io0");
    EXPECT_EQ(value(io0, "LOC"), "A1");
    EXPECT_EQ(value(io0, "INDEX"), "4");
    EXPECT_EQ(value(io0, "DQS_BIAS"), "TRUE");
    EXPECT_EQ(value(io0, "COMPONENT"), "part0");
    // A preset's user parameters read back as a dict, values with blanks kept whole.
    HBOIpPreset* uart = alpha->getIpPresets().at("UART_PRESET")[0];
    EXPECT_EQ(value(uart, "USER_PARAMETERS"), "CONFIG.BAUD 115200 CONFIG.LABEL {debug port}");
    EXPECT_EQ(value(uart, "BOARD_INTERFACE"), "");
    EXPECT_EQ(value(alpha->getIpAssociatedInterfaces().at("led_4bits")[0], "BOARD_INTERFACE"), "led_4bits");
}
