// Pins given with -of_objects: get_board_bus_nets finds the nets ending on
// them, get_board_components their owners. Pins are made into objects here.
#include <gtest/gtest.h>
#include <tcl.h>

#include <string>
#include <vector>

#include "HBOBoardCReposMgr.h"
#include "HBOBoardModel.h"
#include "HPAParamMgr.h"
#include "tcl_command.h"
#include "ZemHost.h"

extern "C" int Zem_boardcommontasks_Init(Tcl_Interp* interp);

namespace {

struct tcl_extension {};
struct tuid {};
using scope = tov::tcltasks::tcl_scope<tcl_extension, tuid>;

class PinQueries : public ::testing::Test {
protected:
    static void SetUpTestSuite() { Tcl_FindExecutable(nullptr); }

    void SetUp() override {
        interp = Tcl_CreateInterp();
        ASSERT_EQ(Zem_host_Init(interp), TCL_OK) << Tcl_GetStringResult(interp);
        ASSERT_EQ(Zem_boardcommontasks_Init(interp), TCL_OK) << Tcl_GetStringResult(interp);
    }
    void TearDown() override {
        Tcl_DeleteInterp(interp);
        HPAParamMgr::getParamMgr().reset("board.repoPaths");
    }

    static HBOBoard* board(const std::string& name) {
        std::vector<HBOBoard*> boards;
        HBOBoardCReposMgr::getGlobal()->appendAllBoards(boards);
        for (HBOBoard* candidate : boards)
            if (candidate->getName() == name) return candidate;
        return nullptr;
    }

    // The pins as the list in $pins.
    void givePins(HBOBoard* owner, const std::vector<std::pair<std::string, std::string>>& pins) {
        ASSERT_NE(owner, nullptr);
        Tcl_Obj* list = Tcl_NewListObj(0, nullptr);
        for (const auto& pin : pins) {
            HBOBoardComponent* component = owner->findComponent(pin.first);
            ASSERT_NE(component, nullptr) << pin.first;
            HBOPinProps* props = component->findPin(pin.second);
            ASSERT_NE(props, nullptr) << pin.second;
            Tcl_ListObjAppendElement(nullptr, list, scope::to_tcl(props));
        }
        Tcl_SetVar2Ex(interp, "pins", nullptr, list, 0);
    }

    std::string eval(const std::string& script) {
        EXPECT_EQ(Tcl_Eval(interp, script.c_str()), TCL_OK) << script << ": " << Tcl_GetStringResult(interp);
        return Tcl_GetStringResult(interp);
    }

    Tcl_Interp* interp = nullptr;
};

// The fixture's part0 has a bus to each c_<spelling> (part0 pin i to the
// component's pin A), "loop" from part0 pins 6, 7 to themselves and
// "to_part0" from c_true's B, A to part0's 6, 7.
TEST_F(PinQueries, NetsOfAPinOnEitherEndOfABusInBusOrder) {
    HPAParamMgr::getParamMgr().setValue("board.repoPaths", ZEM_TEST_FILES_DIR "/enabled");
    HBOBoard* spellings = board("acme.com:spellings:1.0");
    const struct {
        const char* component;
        const char* pin;
        const char* nets;
    } cases[] = {
        {"part0", "p0", "n_true_0"},             // first end
        {"c_true", "A", "n_true_0 to_part0_1"},  // second end, then first end of a later bus
        {"c_true", "B", "to_part0_0"},           // a range running downwards
        {"part0", "p6", "loop_0 to_part0_0"},    // both ends of loop_0 are p6: taken once
        {"part0", "p7", "loop_1 to_part0_1"},
        {"c_yes", "A", ""},  // its bus is enabled "yes"
        {"c_one", "B", ""},  // no net ends on it
    };
    for (const auto& c : cases) {
        givePins(spellings, {{c.component, c.pin}});
        EXPECT_EQ(eval("::board::get_board_bus_nets -quiet -of_objects $pins"), c.nets) << c.component << " " << c.pin;
    }
    givePins(spellings, {{"c_yes", "A"}, {"part0", "p6"}, {"c_true", "A"}});
    EXPECT_EQ(eval("::board::get_board_bus_nets -quiet -all -of_objects $pins"),
              "n_yes_0 loop_0 to_part0_0 n_true_0 to_part0_1");
    EXPECT_EQ(eval("::board::get_board_components -all -of_objects $pins"),
              "acme.com:spellings:c_yes:1.0 acme.com:spellings:part0:1.0 acme.com:spellings:c_true:1.0");
    EXPECT_EQ(eval("::board::get_board_components -of_objects $pins"),
              "acme.com:spellings:part0:1.0 acme.com:spellings:c_true:1.0");
}

}  // namespace
