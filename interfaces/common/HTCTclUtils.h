#pragma once

#include <string>
#include <vector>

struct Tcl_Interp;

namespace HTCTclUtils {
// The interpreter the framework works in, per thread (null until the
// package sets it, and again once it is deleted); tclGetPrecision reads
// tcl_precision from it.
void setInterp(Tcl_Interp* interp);
Tcl_Interp* getInterp();

// The display precision: Tcl's tcl_precision when the framework's
// interpreter has it set to a positive value, else the given default.
int tclGetPrecision(int defaultPrecision);

// The words of a Tcl list into words; false, words untouched, when text is
// not a well-formed list. For the libraries that make no Tcl call of their own.
bool splitList(const std::string& text, std::vector<std::string>& words);
// The words as a Tcl list, quoted where a word needs it.
std::string mergeList(const std::vector<std::string>& words);
}  // namespace HTCTclUtils

namespace tov {
namespace tcltasks {
// Reads the boolean words that Tcl's own conversion does not take
// ("t"/"f", "enable"/"disable", "enabled"/"disabled", "y"/"n", case-blind).
// Returns false, leaving value alone, when text is not one of them.
bool ResolveBool(bool& value, const std::string& text);
}  // namespace tcltasks
}  // namespace tov
