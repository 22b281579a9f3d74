// What the diagram commands share: the schema-2 gate, the one-object checks
// of their object options, the diagram argument, -of_objects (declared, for
// the board class) and handing a board to Tcl.
#pragma once

#include <tcl.h>

#include <string>

#include "ComMsgMgr.h"
#include "HBOBoardModel.h"
#include "HBOBoardUtils.h"
#include "HEXAll.h"
#include "HTCErrors.h"
#include "tcl_query.h"

namespace HBOCTcDiagram {

using tov::tcltasks::object_list;
using tov::tcltasks::tclany_cast;

// Sends a notice of a diagram command: message area "board", no argument.
inline void report(const char* sourceFile, int line, unsigned mask, const char* id) {
    ComMsgMgr::sendMsg::eval(0, sourceFile, line, "board", mask, id);
}

// Ends the command (status 1) after reporting "@49-58@" when schema-2
// support is off, as the query commands do.
inline void require_schema2(const char* sourceFile, int line) {
    if (HBOBoardUtils::isV2SchemaEnabled()) return;
    report(sourceFile, line, 0x20000000, "@49-58@");
    throw HTCErrors::ended_after_message();
}

// Ends the command (status 1) when an object option was given no object.
inline void require_given(const object_list& values, const char* option) {
    if (values.empty()) {
        throw HTCErrors::error(std::string("option \"") + option + "\" needs one object", HEXAll::Kind::usage, option);
    }
}

// Ends the command (status 1) after reporting "@49-64@" when an object
// option holds more than one object.
inline void require_single(const object_list& values, const char* sourceFile, int line) {
    if (values.size() <= 1) return;
    report(sourceFile, line, 0x20000000, "@49-64@");
    throw HTCErrors::ended_after_message();
}

// The diagram of -integrated_board: exactly one board object. It is not
// asked whether it is integrated.
inline HBOBoard* diagram_argument(const object_list& values, const char* cannotFindText) {
    if (values.empty()) {
        throw HTCErrors::command_failed("integrated_board object needs to be provided", HEXAll::Kind::usage);
    }
    if (values.size() > 1) {
        throw HTCErrors::command_failed("Multiple '-integrated_board' values are not supported", HEXAll::Kind::usage);
    }
    HBOBoard* const* diagram = tclany_cast<HBOBoard*>(values[0]);
    if (!diagram || !*diagram) throw HEXAlgException(cannotFindText, HEXAll::Kind::type, "-integrated_board");
    return *diagram;
}

// The board of an object value, or null when it holds something else.
inline HBOBoard* board_of(const tov::tcltasks::tclany& value) {
    HBOBoard* const* board = tclany_cast<HBOBoard*>(value);
    return board ? *board : nullptr;
}

// The -of_objects types of the diagram commands: boards.
using board_types = tov::tcltasks::of_types<HBOBoard*>;

// Declares -of_objects with the help text of the board class.
template <class Scope>
void declare_of_objects(tov::tcltasks::options_description& table) {
    table.add_option("-of_objects", Scope::object_list_value(),
                     tov::tcltasks::HTCTclTaskOptions::OptionDescription(board_types::help_text<HBOBoard*>()));
}

// Makes the board the command's result; a null board leaves it empty.
template <class Scope>
int set_board_result(Tcl_Interp* interp, HBOBoard* board) {
    if (board) {
        if (Tcl_Obj* object = Scope::to_tcl(board)) Tcl_SetObjResult(interp, object);
    }
    return TCL_OK;
}

}  // namespace HBOCTcDiagram
