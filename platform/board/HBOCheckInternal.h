// What the board check rules share: where findings go, and the facts of one
// board that several rules look at (the pins of each component, and whether
// a component's pin file was left out).
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "HBOBoardCheck.h"
#include "HBOBoardModel.h"

namespace HBOCheck {

using Rule = HBOBoardCheck::Rule;

// The findings of the rules asked for.
class Findings {
public:
    Findings(const HBOBoardCheck::Rules& rules, std::vector<HBOCheckFinding>& out) : rules_(rules), out_(out) {}
    bool wants(Rule rule) const { return rules_.test(rule); }
    template <class... R>
    bool wantsAny(R... rules) const {
        return (wants(rules) || ...);
    }
    // Adds a finding when its rule is asked for; its severity is the rule's.
    void add(Rule rule, const std::string& board, std::vector<std::string> objects, std::string message);

private:
    HBOBoardCheck::Rules rules_;
    std::vector<HBOCheckFinding>& out_;
};

// Positions by text in one flat table: a part has thousands of pins, and a
// node-based map would allocate for each. The texts must outlive the table.
class KeyTable {
public:
    static constexpr std::size_t npos = ~std::size_t(0);
    explicit KeyTable(std::size_t count);
    // The position first added under key; position itself when it is the first.
    std::size_t firstOrAdd(std::string_view key, std::size_t position);
    std::size_t find(std::string_view key) const;

private:
    struct Slot {
        std::string_view key;
        std::size_t position = npos;
    };
    // The slot that holds key, or the empty one where it would go.
    std::size_t slotOf(std::string_view key) const;
    std::vector<Slot> slots_;
};

// A component's pins by name and by index, built once per check (the
// model's own tables cost an allocation per pin, once per part).
class PinLookup {
public:
    explicit PinLookup(const std::vector<HBOPinProps*>& pins);
    // The first pin of that name, or null.
    HBOPinProps* byName(std::string_view name) const;
    bool hasIndex(uint32_t index) const { return index < indexes_.size() && indexes_[index]; }

private:
    const std::vector<HBOPinProps*>& pins_;
    KeyTable names_;
    std::vector<bool> indexes_;
};

// The board under check and what its rules share.
class BoardFacts {
public:
    explicit BoardFacts(const HBOBoard& board) : board_(board) {}
    const HBOBoard& board() const { return board_; }
    const std::string& name() const { return name_; }
    // The component's pins in file order (its pin file is read now if it was not).
    const std::vector<HBOPinProps*>& pins(const HBOBoardComponent& component);
    const PinLookup& lookup(const HBOBoardComponent& component);
    // Whether the component's pin file was left out: the rules that would
    // miss its pins stay silent, as the pin file's own finding says why.
    bool pinsLeftOut(const HBOBoardComponent& component) const { return leftOutPinFile(component).has_value(); }
    // Why the component's pin file was left out, when it was.
    std::optional<HBODroppedItem> leftOutPinFile(const HBOBoardComponent& component) const;
    // The component's pins are known: listed in the board file or in a pin
    // file that was read. A component without either has no pins to check against.
    bool pinsKnown(const HBOBoardComponent& component);

private:
    const HBOBoard& board_;
    const std::string name_ = board_.getName();
    struct ComponentPins {
        std::vector<HBOPinProps*> pins;
        std::unique_ptr<PinLookup> lookup;
    };
    std::map<const HBOBoardComponent*, ComponentPins> pins_;
};

// "a, b and c", at most limit items, then "and N more".
std::string plainList(const std::vector<std::string>& items, std::size_t limit = 8);
// The same with each item quoted: "'a', 'b' and 'c'".
std::string quotedList(const std::vector<std::string>& names, std::size_t limit = 8);
// Components, interfaces and modes count as enabled when their text is "true" in any letter case.
bool enabledText(const std::string& text);

// The rules, by concern. Each adds its findings for one board.
void checkLeftOut(const HBOBoard& board, Findings& findings);  // UNREADABLE, MISSING_PIN of connection maps
void checkPinFiles(BoardFacts& facts, Findings& findings);     // DUPLICATE_LOC, DUPLICATE_PIN, UNREADABLE of pin files
void checkPinSharing(BoardFacts& facts, Findings& findings);   // PIN_CONFLICT, PIN_ALTERNATIVE
void checkPinReferences(BoardFacts& facts, Findings& findings);  // MISSING_PIN
void checkNameReferences(BoardFacts& facts,
                         Findings& findings);                    // MISSING_COMPONENT, MISSING_INTERFACE, MISSING_PRESET
void checkDiagram(const HBOBoard& diagram, Findings& findings);  // MISSING_BOARD, MISSING_COMPONENT, CONNECTOR_*
// What the repository's listing left out: UNREADABLE, DUPLICATE_BOARD.
void checkListing(const std::vector<HBODroppedItem>& dropped, Findings& findings);

}  // namespace HBOCheck
