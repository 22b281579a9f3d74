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
#include "tcl_collection.h"
#include "board_test_support.h"

using Names = std::vector<std::string>;

namespace {
struct test_ext {};
struct test_tuid {};

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

// A reload frees the earlier listing once no Tcl value refers to any of its
// objects; a native object or a collection element keeps it, and its
// objects, alive until it is given up.
TEST(Repository, ReloadsFreeListingsThatNoTclValueRefersTo) {
    using namespace tov::tcltasks;
    Tcl_Interp* interp = Tcl_CreateInterp();  // Tcl objects need an initialised Tcl
    HBOBoardCReposMgr* repository = HBOBoardCReposMgr::getGlobal();
    const auto reloadTo = [&](const std::string& folder) {
        RepoPaths repo(fixture(folder));
        return allBoards();
    };
    reloadTo("good");
    reloadTo("dup2");
    EXPECT_EQ(repository->listingsInMemory(), 1u);

    HBOBoard* alpha = reloadTo("good").at(0);
    Tcl_Obj* held = native_to_tcl<test_ext, test_tuid>(alpha);
    Tcl_IncrRefCount(held);
    HBOBoardBus* bus = nullptr;
    {
        std::vector<HBOBoardBus*> buses;
        reloadTo("good").at(0)->getBuses(buses);
        bus = buses.at(0);
    }
    tcl_collection<HSTVector<HBOBoardBus*>> collection;
    collection.push_back(bus);
    reloadTo("dup2");
    EXPECT_EQ(repository->listingsInMemory(), 3u);  // the current one, and each held one
    EXPECT_EQ(alpha->getName(), "acme.com:alpha:1.0");
    EXPECT_EQ(bus->getBoard()->getName(), "acme.com:alpha:1.0");

    Tcl_DecrRefCount(held);  // now only the cache holds it: given back at the next reload
    collection = tcl_collection<HSTVector<HBOBoardBus*>>();
    reloadTo("dup1");
    EXPECT_EQ(repository->listingsInMemory(), 1u);
    Tcl_DeleteInterp(interp);
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
}
