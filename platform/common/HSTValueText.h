// Reading and writing the texts of typed values the way Tcl does; shared by
// the parameter manager, the class registry and the filter matcher.
#pragma once

#include <string>

namespace HSTValueText {

// Tcl's boolean words (1/0, true/false, yes/no, on/off, case-blind) and
// integers (non-zero is true).
bool parseBool(const std::string& text, bool& value);
// The whole text must be the number (blanks around it are allowed).
bool parseInteger(const std::string& text, long long& value);
bool parseDouble(const std::string& text, double& value);
// The shortest text that reads back as the same double, as Tcl shows it
// ("1.0", "0.1", "1e+20").
std::string formatDouble(double value);

}  // namespace HSTValueText
