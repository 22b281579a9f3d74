// Board checks: what is wrong with the repository, a board or a diagram,
// found before a design relies on it. Every finding names its rule, and the
// rule names stay as they are so that scripts can rely on them
// (docs/board-checks.md lists the rules and what each looks at).
//
// A check reads what its rules need, through the model's getters: the
// repository's listing as it is (no board file is read twice), pin files
// only for the rules about pins, the preset file only for those about
// presets. Reading may send the model's usual warnings; the findings carry
// the same facts.
#pragma once

#include <bitset>
#include <string>
#include <vector>

class HBOBoard;

struct HBOCheckFinding {
    enum Severity { ERROR, WARNING, INFO };
    Severity severity;
    std::string rule;
    // The board's full name (vendor:name:version); for a file or folder the
    // listing left out, which is no board, its path.
    std::string board;
    std::vector<std::string> objects;  // the names involved, as the message gives them
    std::string message;
};

class HBOBoardCheck {
public:
    enum Rule {
        PIN_CONFLICT,
        PIN_ALTERNATIVE,
        DUPLICATE_LOC,
        DUPLICATE_PIN,
        MISSING_PIN,
        MISSING_COMPONENT,
        MISSING_INTERFACE,
        MISSING_PRESET,
        MISSING_BOARD,
        UNREADABLE,
        DUPLICATE_BOARD,
        CONNECTOR_MISMATCH,
        CONNECTOR_REUSED,
        RULE_COUNT
    };
    using Rules = std::bitset<RULE_COUNT>;

    static const char* ruleName(Rule rule);
    static HBOCheckFinding::Severity severityOf(Rule rule);
    static const char* severityName(HBOCheckFinding::Severity severity);
    // The rule of that exact name; false when there is none.
    static bool findRule(const std::string& name, Rule& rule);
    static Rules allRules() { return Rules().set(); }

    explicit HBOBoardCheck(Rules rules = allRules()) : rules_(rules) {}

    // What the repository's listing left out (folders, board files), then
    // every board of the repository, in its order.
    void checkRepository(std::vector<HBOCheckFinding>& findings);
    // One board of the repository, an instance board or a diagram. Findings
    // of one board come ERROR first, then WARNING, then INFO, each severity
    // in rule order.
    void checkBoard(const HBOBoard& board, std::vector<HBOCheckFinding>& findings);
    // Boards and diagrams checked so far.
    int boardsChecked() const { return boardsChecked_; }

private:
    Rules rules_;
    int boardsChecked_ = 0;
};
