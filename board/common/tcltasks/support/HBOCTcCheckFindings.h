// The findings of ::board::check_boards as Tcl values, and its -rules
// patterns.
#pragma once

#include <tcl.h>

#include <string>
#include <vector>

#include "HBOBoardCheck.h"

namespace HBOCTcCheckFindings {

// A Tcl string of model text, which is in the system encoding as names are.
Tcl_Obj* text_obj(const std::string& text);

// One dict per finding: severity, rule, board, objects and message.
Tcl_Obj* findings_list(const std::vector<HBOCheckFinding>& findings);

// The list of dicts as the text of a file, in the system encoding as the
// other forms are, ending with a newline.
std::string dict_text(const std::vector<HBOCheckFinding>& findings);

// Adds the rules a -rules word names exactly or as a glob pattern, in any
// letter case; a VALUE error lists every rule when it names none.
void add_rules_named(const std::string& word, Tcl_Interp* interp, HBOBoardCheck::Rules& rules);

}  // namespace HBOCTcCheckFindings
