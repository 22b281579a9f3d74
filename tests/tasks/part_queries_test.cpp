// What no board file can give: a bus interface that no component owns
// contributes nothing to the pin and port queries, without an error; a
// current board part without a board counts as no current part.
#include <gtest/gtest.h>
#include <tcl.h>

#include <string>

#include "HBOBoardModel.h"
#include "tcl_command.h"

extern "C" int Zem_boardcommontasks_Init(Tcl_Interp* interp);

namespace {
struct tcl_extension {};
struct tuid {};
using scope = tov::tcltasks::tcl_scope<tcl_extension, tuid>;
}  // namespace

TEST(PartQueries, ObjectsWithoutOwnerOrBoard) {
    Tcl_FindExecutable(nullptr);
    Tcl_Interp* interp = Tcl_CreateInterp();
    ASSERT_EQ(Zem_boardcommontasks_Init(interp), TCL_OK) << Tcl_GetStringResult(interp);
    HBOBusIf::Attributes attributes;
    attributes.name = "orphan";
    static HBOBusIf orphan(attributes, nullptr);  // objects handed to Tcl outlive it
    Tcl_SetVar2Ex(interp, "orphan", nullptr, scope::to_tcl(&orphan), 0);
    for (const char* script : {"::board::get_board_part_pins -of_objects $orphan",
                               "::board::get_board_interface_ports -of_objects $orphan"}) {
        EXPECT_EQ(Tcl_Eval(interp, script), TCL_OK) << script << ": " << Tcl_GetStringResult(interp);
        EXPECT_STREQ(Tcl_GetStringResult(interp), "") << script;
    }

    HBOBoardComponent::Attributes partAttributes;
    partAttributes.name = "part0";
    partAttributes.type = "fpga";
    static HBOBoardComponent boardless(partAttributes, nullptr);
    Tcl_SetVar2Ex(interp, "boardless", nullptr, scope::to_tcl(&boardless), 0);
    ASSERT_EQ(Tcl_Eval(interp, "proc current_board_part args { return $::boardless }"), TCL_OK);
    EXPECT_EQ(Tcl_Eval(interp, "::board::get_board_part_pins"), TCL_ERROR);
    EXPECT_NE(std::string(Tcl_GetStringResult(interp)).find("49-60"), std::string::npos) << Tcl_GetStringResult(interp);
    EXPECT_EQ(Tcl_Eval(interp, "::board::get_board_part_interfaces"), TCL_OK) << Tcl_GetStringResult(interp);
    Tcl_DeleteInterp(interp);
}
