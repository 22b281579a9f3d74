// The written forms of board check findings: a lint-like text report and
// JSON for CI tools. Both list the findings in the order given.
#pragma once

#include <string>
#include <vector>

#include "HBOBoardCheck.h"

namespace HBOBoardCheckReport {

// One line per finding, "SEVERITY RULE BOARD: message" in aligned columns,
// a blank line between boards, then the summary line.
std::string text(const std::vector<HBOCheckFinding>& findings, int boardsChecked);
// "9 boards checked: 1 error, 2 warnings, 0 info", or "...: no findings".
std::string summary(const std::vector<HBOCheckFinding>& findings, int boardsChecked);
// A JSON array with one object per finding (one per line): severity, rule,
// board, objects (an array of strings) and message. Bytes that are not
// UTF-8 are written as U+FFFD.
std::string json(const std::vector<HBOCheckFinding>& findings);
// A JSON string literal of the text, quotes included.
std::string jsonString(const std::string& text);
bool hasErrors(const std::vector<HBOCheckFinding>& findings);

}  // namespace HBOBoardCheckReport
