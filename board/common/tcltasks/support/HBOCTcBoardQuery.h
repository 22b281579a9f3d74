// Rules the board query commands share: the schema-2 gate, the current board
// as the bus commands ask for it, the enabled rules and the board messages.
#pragma once

#include <tcl.h>

#include <initializer_list>
#include <string>

#include "tcl_collection.h"

class HBOBoard;

namespace HBOCTcBoardQuery {

// The commands compare an object's enabled text in one of two ways.
bool exactly_true(const std::string& enabled);
bool true_in_any_case(const std::string& enabled);

// Sends a board message without arguments from a command's source file.
void send(const char* sourceFile, int line, unsigned mask, const char* id);

// Sends a board warning with up to four arguments.
void warn(const char* sourceFile, int line, const char* id, std::initializer_list<std::string> arguments);

// TCL_OK when schema-2 support is on; otherwise sends "@49-58@" and gives
// TCL_ERROR, which ends the command with no result.
int schema2_gate(const char* sourceFile, int line);

// Evaluates "::board::current_board" as a user would (its own report of a
// missing board reaches the user), whatever its status, and takes the first
// board of its result; null when the result holds none. A result that is not
// a list of boards ends the command with a type error saying what the
// command answered.
HBOBoard* evaluate_current_board(Tcl_Interp* interp);

// Evaluates command the same way and gives the boards of its result.
tov::tcltasks::tcl_collection<HSTVector<HBOBoard*>> evaluate_boards(Tcl_Interp* interp, const char* command);

}  // namespace HBOCTcBoardQuery
