// The package entry: property tables, command registration in table order
// under the schema-2 and integration switches, the product's import of the
// ::board commands, and removal at exit.
#include <tcl.h>

#include <atomic>
#include <exception>
#include <string>

#include "HBOBoardUtils.h"
#include "HBOCPropertyInit.h"
#include "HBOCTcInit.h"
#include "HUTEnv.h"
#include "ZemCommon.h"

namespace {

enum class Group { always, schema2, integration };

struct CommandEntry {
    Group group;
    void (*init)(Tcl_Interp*);
    void (*uninit)();
};

// Registration order; a group's rows are registered and removed in this order.
const CommandEntry commands[] = {
#define HBOCTC_COMMAND(File, name, group) {Group::group, HBOCTcInit::File::init, HBOCTcInit::File::uninit},
#include "HBOCTcCommands.def"
#undef HBOCTC_COMMAND
};

// Threads may load the package at the same time.
std::atomic<bool> exitHandlerRegistered{false};
std::atomic<bool> schema2CommandsRegistered{false};

void initGroup(Group group, Tcl_Interp* interp) {
    for (const CommandEntry& command : commands) {
        if (command.group == group) command.init(interp);
    }
}

void uninitGroup(Group group) {
    for (const CommandEntry& command : commands) {
        if (command.group == group) command.uninit();
    }
}

// The integration switch is asked again here: its value at exit decides.
void exitHandler(ClientData) {
    uninitGroup(Group::always);
    if (!schema2CommandsRegistered) return;
    uninitGroup(Group::schema2);
    if (!HBOBoardUtils::isBoardIntegraterSupportEnabled()) return;
    uninitGroup(Group::integration);
}

int registerCommands(Tcl_Interp* interp) {
    initGroup(Group::always, interp);
    if (HBOBoardUtils::isV2SchemaEnabled()) {
        schema2CommandsRegistered = true;
        initGroup(Group::schema2, interp);
        if (HBOBoardUtils::isBoardIntegraterSupportEnabled()) initGroup(Group::integration, interp);
    }
    // TCL_GLOBAL_ONLY alone: a missing namespace leaves no error message.
    Tcl_Namespace* boardNamespace = Tcl_FindNamespace(interp, "::board", nullptr, TCL_GLOBAL_ONLY);
    if (HUTEnv::getProductName() != "Corvel") return TCL_OK;
    Tcl_Export(interp, boardNamespace, "*", 0);
    return Tcl_Import(interp, nullptr, "::board::*", 1);
}

}  // namespace

extern "C" int Zem_boardcommontasks_Init(Tcl_Interp* interp) {
    if (!Tcl_InitStubs(interp, "8.6", 0) || Zem_common_Init(interp) != TCL_OK) return TCL_ERROR;
    if (!exitHandlerRegistered.exchange(true)) Tcl_CreateExitHandler(exitHandler, nullptr);
    HBOCPropertyInit::initAll();
    try {
        return registerCommands(interp);
    } catch (const std::exception& error) {
        Tcl_SetResult(interp, const_cast<char*>(error.what()), TCL_VOLATILE);
        return TCL_ERROR;
    } catch (...) {
        return TCL_ERROR;
    }
}
