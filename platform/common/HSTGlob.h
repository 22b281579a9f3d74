// Tcl's "string match" (glob) rules, in linear time: shared by the name
// patterns and the =~ and !~ of filter expressions.
#pragma once

namespace HSTGlob {

// Whether the NUL-terminated UTF-8 text matches the pattern, as
// Tcl_StringCaseMatch answers, but in time proportional to their lengths
// multiplied, and without recursion.
bool match(const char* text, const char* pattern, bool nocase);

}  // namespace HSTGlob
