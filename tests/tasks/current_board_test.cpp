// The current-board functions as other libraries call them: each call
// evaluates the host's command afresh and converts its result, never text.
#include <gtest/gtest.h>
#include <tcl.h>

#include <string>

#include "HBOBoardModel.h"
#include "HBOCTcBoardTaskUtils.h"
#include "HTCErrors.h"
#include "ZemHost.h"

extern "C" int Zem_boardcommontasks_Init(Tcl_Interp* interp);

namespace {

const char* const trellisPart = "acme.com:trellis_a1:part0:1.1";

class CurrentBoardTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { Tcl_FindExecutable(nullptr); }

    void SetUp() override {
        interp = Tcl_CreateInterp();
        ASSERT_EQ(Zem_boardcommontasks_Init(interp), TCL_OK) << Tcl_GetStringResult(interp);
    }
    void TearDown() override { Tcl_DeleteInterp(interp); }

    void loadHost() { ASSERT_EQ(Zem_host_Init(interp), TCL_OK) << Tcl_GetStringResult(interp); }
    void eval(const std::string& script) {
        ASSERT_EQ(Tcl_Eval(interp, script.c_str()), TCL_OK) << script << ": " << Tcl_GetStringResult(interp);
    }

    Tcl_Interp* interp = nullptr;
};

TEST_F(CurrentBoardTest, NullInterpreterGivesNullWithoutEvaluating) {
    EXPECT_EQ(HBOCTcBoardTaskUtils::get_current_board(nullptr), nullptr);
    EXPECT_EQ(HBOCTcBoardTaskUtils::get_current_board_part(nullptr), nullptr);
}

TEST_F(CurrentBoardTest, MissingHostCommandGivesNullPartAndATypeErrorForTheBoard) {
    EXPECT_EQ(HBOCTcBoardTaskUtils::get_current_board_part(interp), nullptr);
    // current_board reports and succeeds with an empty result, which is no board object.
    EXPECT_THROW(HBOCTcBoardTaskUtils::get_current_board(interp), HTCErrors::type_error);
}


TEST_F(CurrentBoardTest, TextIsNeverReadAsAnObject) {
    eval(std::string("proc current_board_part args { return ") + trellisPart + " }");
    EXPECT_THROW(HBOCTcBoardTaskUtils::get_current_board_part(interp), HTCErrors::type_error);
    eval("proc current_board_part args { error {no part} }");
    EXPECT_EQ(HBOCTcBoardTaskUtils::get_current_board_part(interp), nullptr);
}



}  // namespace
