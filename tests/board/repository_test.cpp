// The repository (order, laziness, reload), schema versions and the property registrations.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include <filesystem>

#include "board_test_support.h"
#include "HBOCPropertyInit.h"
#include "HCPProperty.h"
#include "tcl_collection.h"

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

// A reload frees the boards that left the listing once no Tcl value refers
// to them or to one of their objects.
TEST(Repository, ReloadsFreeBoardsThatNoTclValueRefersTo) {
    using namespace tov::tcltasks;
    Tcl_Interp* interp = Tcl_CreateInterp();  // Tcl objects need an initialised Tcl
    const auto reloadTo = [&](const std::string& folder) {
        RepoPaths repo(fixture(folder));
        return allBoards();
    };
    const auto retired = [] { return HBOBoardCReposMgr::boardsInMemory().retired; };
    reloadTo("good");
    reloadTo("dup2");
    EXPECT_EQ(retired(), 0u);

    HBOBoard* alpha = reloadTo("good").at(0);
    Tcl_Obj* held = native_to_tcl<test_ext, test_tuid>(alpha);
    Tcl_IncrRefCount(held);
    HBOBoardBus* bus = nullptr;
    {
        std::vector<HBOBoardBus*> buses;
        reloadTo("good").at(0)->getBuses(buses);  // unchanged: the same boards
        bus = buses.at(0);
    }
    EXPECT_EQ(bus->getBoard(), alpha);
    tcl_collection<HSTVector<HBOBoardBus*>> collection;
    collection.push_back(bus);
    reloadTo("dup2");
    EXPECT_EQ(retired(), 1u);  // of the three boards of "good", only the held one
    EXPECT_EQ(alpha->getName(), "acme.com:alpha:1.0");

    Tcl_DecrRefCount(held);  // the collection still holds one of its objects
    reloadTo("dup1");
    EXPECT_EQ(retired(), 1u);
    EXPECT_EQ(bus->getBoard()->getName(), "acme.com:alpha:1.0");
    collection = tcl_collection<HSTVector<HBOBoardBus*>>();
    reloadTo("dup2");
    EXPECT_EQ(retired(), 0u);
    Tcl_DeleteInterp(interp);
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

TEST(Switches, SchemaVersionComparesAsNumber) {
    HBOBoard board;
    const std::pair<const char*, bool> cases[] = {
        {"2.0", true}, {"2.10", true}, {"10.0", true}, {"1.9", false}, {"", false}};
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
    EXPECT_EQ(value(alpha, "PART_NAME"), "xa-test-1");
    EXPECT_EQ(value(components[2], "IS_ENABLED"), "1");  // "True"
    EXPECT_EQ(value(components[3], "IS_ENABLED"), "0");
    EXPECT_EQ(value(alpha->findFpgaComponent()->findPin("io0"), "COMPONENT"), "part0");
    // A preset's user parameters read back as a dict, values with blanks kept whole.
    HBOIpPreset* uart = alpha->getIpPresets().at("UART_PRESET")[0];
    EXPECT_EQ(value(uart, "USER_PARAMETERS"), "CONFIG.BAUD 115200 CONFIG.LABEL {debug port}");
    EXPECT_EQ(value(uart, "BOARD_INTERFACE"), "");
    EXPECT_EQ(value(alpha->getIpAssociatedInterfaces().at("led_4bits")[0], "BOARD_INTERFACE"), "led_4bits");
}
