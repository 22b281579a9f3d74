// A program that runs many sessions in one process (the fuzz targets) forgets
// the board part between them: the next starts with none selected.
#include <gtest/gtest.h>
#include <tcl.h>

#include <string>

#include "ZemHost.h"

extern "C" int Zem_boardcommontasks_Init(Tcl_Interp* interp);

TEST(HostBoardPart, ForgottenPartIsNoLongerSelectedAndCanBeSelectedAgain) {
    Tcl_FindExecutable(nullptr);
    Tcl_Interp* interp = Tcl_CreateInterp();
    ASSERT_EQ(Zem_host_Init(interp), TCL_OK) << Tcl_GetStringResult(interp);
    ASSERT_EQ(Zem_boardcommontasks_Init(interp), TCL_OK) << Tcl_GetStringResult(interp);
    const char* select = "current_board_part acme.com:cobalt_x4:part0:2.0";
    ASSERT_EQ(Tcl_Eval(interp, select), TCL_OK) << Tcl_GetStringResult(interp);
    ASSERT_EQ(Tcl_Eval(interp, "current_board_part"), TCL_OK) << Tcl_GetStringResult(interp);

    zemhost::forget_board_part();
    EXPECT_EQ(Tcl_Eval(interp, "current_board_part"), TCL_ERROR);
    EXPECT_EQ(std::string(Tcl_GetStringResult(interp)).rfind("no board part is selected", 0), 0u)
        << Tcl_GetStringResult(interp);

    ASSERT_EQ(Tcl_Eval(interp, select), TCL_OK) << Tcl_GetStringResult(interp);
    EXPECT_EQ(Tcl_Eval(interp, "current_board_part"), TCL_OK) << Tcl_GetStringResult(interp);
    zemhost::forget_board_part();
    Tcl_DeleteInterp(interp);
}
