// What ::board::trace_board_pins and ::board::write_pin_constraints share:
// the -diagram option (a diagram object, or the full name of an opened
// diagram), the diagram a trace goes through, and the report of a bit that reaches no FPGA pin.
#pragma once

#include <tcl.h>

#include <string>
#include <vector>

#include "HBOBoardModel.h"
#include "HBOPinTrace.h"
#include "tcl_query.h"

namespace HBOCTcSignalTrace {

// The value of -diagram as given.
struct diagram_choice {
    HBOBoard* board = nullptr;  // a board object
    std::string name;           // else a name ("" for no diagram)
};

// The diagram to follow, and whether the traced objects must be on its boards.
struct diagram_use {
    const HBOBoard* diagram = nullptr;
    bool required = false;
};

// The diagram given (required), or else the current diagram (not
// required: objects on other boards are traced on their own boards), or
// none. An empty name asks for none. Throws for a name no opened diagram
// has, a board that is no diagram, or a diagram while integrated board
// support is off.
diagram_use choose_diagram(const diagram_choice* given);

// The help text of -diagram.
const char* diagram_help();

// Reports, as a warning, a bit that reaches no FPGA pin and where its
// branches stop.
void report_unreached(const HBOSignalBit& bit, const HBOPinTraceResult& result);

// "a, b, c" of at most limit texts, then ", ... (N in all)".
std::string excerpt_list(const std::vector<std::string>& texts, std::size_t limit = 5, const char* separator = ", ");

}  // namespace HBOCTcSignalTrace

namespace tov {
namespace tcltasks {
namespace detail {

// -diagram reads its Tcl object: a board object is taken as it is, any
// other value as a name.
template <class Ext, class Tuid>
struct value_store<HBOCTcSignalTrace::diagram_choice, Ext, Tuid> {
    static HBOCTcSignalTrace::diagram_choice convert(Tcl_Obj* obj) {
        HBOCTcSignalTrace::diagram_choice choice;
        const void* board = native_cache<HBOBoard*>::base().find_native(obj);
        if (board) {
            choice.board = static_cast<HBOBoard*>(const_cast<void*>(board));
        } else {
            choice.name = Tcl_GetString(obj);
        }
        return choice;
    }
    static boost::any copy(const boost::any& value) { return value; }
    static constexpr bool repeat_is_invalid_value = false;
};

}  // namespace detail
}  // namespace tcltasks
}  // namespace tov
