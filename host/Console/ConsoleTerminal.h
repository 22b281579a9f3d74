// The interactive console of boardsh on a terminal: line editing, history
// kept in ~/.boardsh_history, completion (see ConsoleCompletion.h), commands
// over several lines, results and errors shown as tclsh shows them.
#pragma once

#include <tcl.h>

namespace zemconsole {

// True when this build has line editing; without it boardsh leaves the
// prompt to Tcl_Main.
bool lineEditingAvailable();

// Reads and evaluates commands until end of input, serving Tcl events while
// it waits, then evaluates "exit" (so a redefined exit runs, as in tclsh).
void runConsole(Tcl_Interp* interp);

}  // namespace zemconsole
