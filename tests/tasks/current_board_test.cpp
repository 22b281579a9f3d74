// The current-board functions as other libraries call them, without a host.
#include <gtest/gtest.h>
#include <tcl.h>

#include <string>

#include "HBOBoardModel.h"
#include "HBOCTcBoardTaskUtils.h"
#include "HTCErrors.h"

extern "C" int Zem_boardcommontasks_Init(Tcl_Interp* interp);

namespace {

class CurrentBoardTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { Tcl_FindExecutable(nullptr); }

    void SetUp() override {
        interp = Tcl_CreateInterp();
        ASSERT_EQ(Zem_boardcommontasks_Init(interp), TCL_OK) << Tcl_GetStringResult(interp);
    }
    void TearDown() override { Tcl_DeleteInterp(interp); }

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

}  // namespace
