// The diagram commands as a script uses them, with connector components of
// instance boards handed over as objects, and bad files given to the reader.
#include <gtest/gtest.h>
#include <tcl.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "ComMsgMgr.h"
#include "HBOBoardCReposMgr.h"
#include "HBOBoardDiagramMgr.h"
#include "HBOBoardModel.h"
#include "tcl_command.h"
#include "ZemHost.h"

extern "C" int Zem_boardcommontasks_Init(Tcl_Interp* interp);

namespace {

namespace fs = std::filesystem;

struct tcl_extension {};
struct tuid {};
using scope = tov::tcltasks::tcl_scope<tcl_extension, tuid>;

class DiagramCommands : public ::testing::Test {
protected:
    static void SetUpTestSuite() { Tcl_FindExecutable(nullptr); }

    void SetUp() override {
        folder = fs::temp_directory_path() / ("zem_diagram_test_" + std::to_string(std::random_device()()));
        fs::create_directories(folder);
        interp = Tcl_CreateInterp();
        ASSERT_EQ(Zem_host_Init(interp), TCL_OK) << Tcl_GetStringResult(interp);
        ASSERT_EQ(Zem_boardcommontasks_Init(interp), TCL_OK) << Tcl_GetStringResult(interp);
        previousSink = ComMsgMgr::setSink([this](const ComMsgMgrInstance& m) { ids.push_back(m.id()); });
    }
    void TearDown() override {
        ComMsgMgr::setSink(previousSink);
        Tcl_DeleteInterp(interp);
        fs::remove_all(folder);
    }

    std::string eval(const std::string& script) {
        EXPECT_EQ(Tcl_Eval(interp, script.c_str()), TCL_OK) << script << ": " << Tcl_GetStringResult(interp);
        return Tcl_GetStringResult(interp);
    }
    // Sets a Tcl variable to the object of a component of an instance board.
    void setComponent(const char* variable, const char* instance, const char* component) {
        HBOBoard* board = scope::to_native<HBOBoard*>(Tcl_GetVar2Ex(interp, instance, nullptr, TCL_LEAVE_ERR_MSG));
        ASSERT_NE(board, nullptr);
        Tcl_SetVar2Ex(interp, variable, nullptr, scope::to_tcl(board->findComponent(component)), 0);
    }
    std::string fileText(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    fs::path folder;
    Tcl_Interp* interp = nullptr;
    ComMsgMgr::Sink previousSink;
    std::vector<std::string> ids;
};

TEST_F(DiagramCommands, ConnectorsOfInstancesAreWrittenByInstanceName) {
    eval("set d [::board::create_board_diagram -vendor vnd -name pair -version 1.0 -dir " + folder.string() + "]");
    eval("set left [::board::create_board_instance -board [::board::get_boards *cobalt*] -name left $d]");
    eval("set right [::board::create_board_instance -board [::board::get_boards *lumen*] -name right $d]");
    setComponent("j5", "left", "J5");
    setComponent("p1", "right", "P1");
    eval("::board::connect_board_components -component1 $j5 -component2 $p1 -integrated_board $d");
    eval("::board::write_board_file -of_objects $d");
    EXPECT_EQ(
        fileText(folder / "board.xml"),
        "<board schema_version=\"2.0\" vendor=\"vnd\" name=\"pair\" display_name=\"pair\" is_integrated=\"true\">\n"
        "\t<file_version>1.0</file_version>\n"
        "\t<connected_boards>\n"
        "\t\t<base_boards>\n"
        "\t\t\t<base_board id=\"acme.com:cobalt_x4:2.0\" alias_name=\"left\"/>\n"
        "\t\t\t<base_board id=\"zephyr-labs.org:lumen_leds:1.0\" alias_name=\"right\"/>\n"
        "\t\t</base_boards>\n"
        "\t\t<connectors>\n"
        "\t\t\t<connector name=\"conn\" board1=\"left\" board1_connector=\"J5\" board2=\"right\" "
        "board2_connector=\"P1\" />\n"
        "\t\t</connectors>\n"
        "\t</connected_boards>\n"
        "</board>\n");
    EXPECT_TRUE(ids.empty());
}

// The board of a file that cannot be parsed is dropped (the sanitizer build
// sees whether it is freed); nothing is opened.
TEST_F(DiagramCommands, MalformedAndTruncatedFilesAreReportedAndDropped) {
    std::vector<HBOBoard*> openedBefore;
    HBOBoardDiagramMgr::getGlobal()->getOpenedBoardDiagrams(openedBefore);
    const std::string whole =
        "<board schema_version=\"2.0\" vendor=\"v\" name=\"n\" is_integrated=\"true\">\n"
        "\t<file_version>1.0</file_version>\n\t<connected_boards>\n\t\t<base_boards>\n"
        "\t\t\t<base_board id=\"x\"/>\n\t\t</base_boards>\n\t</connected_boards>\n</board>\n";
    const std::pair<const char*, std::string> files[] = {
        {"truncated.xml", whole.substr(0, whole.size() / 2)},
        {"no_alias.xml", whole},  // a base_board without alias_name
        {"not_xml.xml", "board"},
    };
    for (const auto& file : files) {
        std::ofstream(folder / file.first, std::ios::binary) << file.second;
        ids.clear();
        EXPECT_EQ(eval("::board::read_board_diagram " + (folder / file.first).string()), "") << file.first;
        EXPECT_EQ(ids, (std::vector<std::string>{"@49-90@", "@49-44@", "@49-68@"})) << file.first;
    }
    std::vector<HBOBoard*> openedAfter;
    HBOBoardDiagramMgr::getGlobal()->getOpenedBoardDiagrams(openedAfter);
    EXPECT_EQ(openedAfter, openedBefore);
}

// Diagrams and instances that nothing refers to are freed as the script
// goes on; those a variable holds stay and answer.
TEST_F(DiagramCommands, DiagramsAndInstancesNothingRefersToAreFreed) {
    eval("set d [::board::create_board_diagram -vendor vnd -name pair -version 1.0 -dir " + folder.string() + "]");
    eval("set keep [::board::create_board_instance -board [::board::get_boards *cobalt*] -name keep $d]");
    eval("::board::write_board_file -of_objects $d");
    eval(
        "for {set i 0} {$i < 400} {incr i} {\n"
        "    ::board::create_board_diagram\n"
        "    ::board::create_board_instance -board [::board::get_boards *cobalt*] -name i$i $d\n"
        "    ::board::read_board_diagram " +
        (folder / "board.xml").string() +
        "\n"
        "    ::board::close_board_diagram -name vnd:pair:1.0\n"
        "}");
    const HBOBoardCReposMgr::BoardsInMemory boards = HBOBoardCReposMgr::boardsInMemory();
    EXPECT_LT(boards.adopted + boards.kept, 100u);  // of 1,202 made
    EXPECT_EQ(eval("get_property NAME $keep"), "acme.com:keep:2.0");
    EXPECT_EQ(eval("llength [dict keys [get_property CONNECTED_BOARDS $d]]"), "401");
}

}  // namespace
