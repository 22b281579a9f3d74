// Texts of Tcl values for messages and the journal, bounded in size and
// safe for the call stack.
//
// Tcl builds the string of a list or dict that has none by asking each
// element for its own, recursively: a list nested 50,000 deep exhausts the
// stack (Tcl's own "string length" crashes on it), and a list of ten
// million words makes a string of that size. Native code that only wants
// to quote a value never asks Tcl for such a string.
#pragma once

#include <tcl.h>

#include <string>

namespace tov {
namespace tcltasks {

// Lists and dicts without a string may nest this deep before the framework
// refuses to ask Tcl for their text.
constexpr int max_text_nesting = 1000;

// Whether Tcl can make obj's string without recursing deeper than
// max_text_nesting. Walks only the lists and dicts that have no string yet,
// without recursion of its own.
bool has_safe_text(Tcl_Obj* obj);

// obj's string (Tcl_GetStringFromObj), or HTCErrors::error (kind VALUE)
// for a value nested too deep to have one.
const char* safe_string(Tcl_Obj* obj, int* length = nullptr);

// What a message or the journal quotes of obj: its text when that is short,
// else its first and last 100 bytes around a note of what was left out
// (HSTStringUtils::excerpt). A value without a string (a list, a dict, a
// collection) is quoted from its first and last elements, so that neither
// a huge nor a deep value is ever turned into a whole string here.
std::string excerpt_of(Tcl_Obj* obj);

}  // namespace tcltasks
}  // namespace tov
