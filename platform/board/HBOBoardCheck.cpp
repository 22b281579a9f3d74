// The board checks: the rule table and the order in which a board's rules run.
#include "HBOBoardCheck.h"

#include <algorithm>
#include <cctype>

#include "HBOBoardCReposMgr.h"
#include "HBOCheckInternal.h"

namespace {

struct RuleEntry {
    const char* name;
    HBOCheckFinding::Severity severity;
};

// In the order of HBOBoardCheck::Rule.
const RuleEntry kRules[HBOBoardCheck::RULE_COUNT] = {
    {"PIN_CONFLICT", HBOCheckFinding::WARNING},     {"PIN_ALTERNATIVE", HBOCheckFinding::INFO},
    {"DUPLICATE_LOC", HBOCheckFinding::ERROR},      {"DUPLICATE_PIN", HBOCheckFinding::ERROR},
    {"MISSING_PIN", HBOCheckFinding::ERROR},        {"MISSING_COMPONENT", HBOCheckFinding::ERROR},
    {"MISSING_INTERFACE", HBOCheckFinding::ERROR},  {"MISSING_PRESET", HBOCheckFinding::WARNING},
    {"MISSING_BOARD", HBOCheckFinding::ERROR},      {"UNREADABLE", HBOCheckFinding::ERROR},
    {"DUPLICATE_BOARD", HBOCheckFinding::WARNING},  {"CONNECTOR_MISMATCH", HBOCheckFinding::WARNING},
    {"CONNECTOR_REUSED", HBOCheckFinding::WARNING},
};

}  // namespace

const char* HBOBoardCheck::ruleName(Rule rule) { return kRules[rule].name; }

HBOCheckFinding::Severity HBOBoardCheck::severityOf(Rule rule) { return kRules[rule].severity; }

const char* HBOBoardCheck::severityName(HBOCheckFinding::Severity severity) {
    switch (severity) {
        case HBOCheckFinding::ERROR:
            return "ERROR";
        case HBOCheckFinding::WARNING:
            return "WARNING";
        case HBOCheckFinding::INFO:
            break;
    }
    return "INFO";
}

bool HBOBoardCheck::findRule(const std::string& name, Rule& rule) {
    for (int i = 0; i < RULE_COUNT; ++i) {
        if (name == kRules[i].name) {
            rule = static_cast<Rule>(i);
            return true;
        }
    }
    return false;
}

void HBOBoardCheck::checkRepository(std::vector<HBOCheckFinding>& findings) {
    HBOBoardCReposMgr* repository = HBOBoardCReposMgr::getGlobal();
    std::vector<HBOBoard*> boards;
    repository->appendAllBoards(boards);
    std::vector<HBODroppedItem> dropped;
    repository->appendDroppedItems(dropped);
    HBOCheck::Findings sink(rules_, findings);
    HBOCheck::checkListing(dropped, sink);
    for (const HBOBoard* board : boards) checkBoard(*board, findings);
}

void HBOBoardCheck::checkBoard(const HBOBoard& board, std::vector<HBOCheckFinding>& findings) {
    ++boardsChecked_;
    const std::size_t first = findings.size();
    HBOCheck::Findings sink(rules_, findings);
    if (board.isIntegratedBoard()) {
        HBOCheck::checkDiagram(board, sink);
    } else {
        // The rules that read pin and preset files run before what was left
        // out is looked at, so that files they read for the first time count.
        HBOCheck::BoardFacts facts(board);
        HBOCheck::checkPinFiles(facts, sink);
        HBOCheck::checkPinReferences(facts, sink);
        HBOCheck::checkPinSharing(facts, sink);
        HBOCheck::checkNameReferences(facts, sink);
        HBOCheck::checkLeftOut(board, sink);
    }
    std::stable_sort(findings.begin() + static_cast<std::ptrdiff_t>(first), findings.end(),
                     [](const HBOCheckFinding& a, const HBOCheckFinding& b) {
                         if (a.severity != b.severity) return a.severity < b.severity;
                         Rule ruleA = RULE_COUNT;
                         Rule ruleB = RULE_COUNT;
                         findRule(a.rule, ruleA);
                         findRule(b.rule, ruleB);
                         return ruleA < ruleB;
                     });
}

namespace HBOCheck {

void Findings::add(Rule rule, const std::string& board, std::vector<std::string> objects, std::string message) {
    if (!wants(rule)) return;
    out_.push_back({HBOBoardCheck::severityOf(rule), HBOBoardCheck::ruleName(rule), board, std::move(objects),
                    std::move(message)});
}

std::string plainList(const std::vector<std::string>& items, std::size_t limit) {
    const std::size_t shown = std::min(items.size(), limit);
    std::string text;
    for (std::size_t i = 0; i < shown; ++i) {
        if (i > 0) text += (i + 1 == shown && shown == items.size()) ? " and " : ", ";
        text += items[i];
    }
    if (shown < items.size()) text += " and " + std::to_string(items.size() - shown) + " more";
    return text;
}

std::string quotedList(const std::vector<std::string>& names, std::size_t limit) {
    std::vector<std::string> quoted;
    for (const std::string& name : names) quoted.push_back("'" + name + "'");
    return plainList(quoted, limit);
}

bool enabledText(const std::string& text) {
    static const std::string word = "true";
    return text.size() == word.size() && std::equal(text.begin(), text.end(), word.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) == b;
           });
}

}  // namespace HBOCheck
