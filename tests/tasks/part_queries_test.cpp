// What no board file can give: a bus interface that no component owns
// contributes nothing to the pin and port queries, without an error.
#include <gtest/gtest.h>
#include <tcl.h>

#include "HBOBoardModel.h"
#include "tcl_command.h"

extern "C" int Zem_boardcommontasks_Init(Tcl_Interp* interp);

namespace {
struct tcl_extension {};
struct tuid {};
using scope = tov::tcltasks::tcl_scope<tcl_extension, tuid>;
}  // namespace

TEST(PartQueries, InterfaceWithoutOwnerGivesNoPinsAndNoPorts) {
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
    Tcl_DeleteInterp(interp);
}
