// DUPLICATE_LOC, DUPLICATE_PIN and UNREADABLE of pin files: two pins of a
// component on one LOC, a pin name or index given twice, a pin file that
// loading left out. Loading refuses a pin file that repeats an index, so
// such a file is read again as written, to name the pins that clash.
#include <optional>
#include <string_view>

#include "HBOBoardInternal.h"
#include "HBOCheckInternal.h"

namespace HBOCheck {
namespace {

// A pin as the duplicate rules see it, viewing the pins it was made from.
// index is the index as written, without leading zeros, for pins read raw;
// empty for loaded pins, whose indexes are unique (loading refuses repeats).
struct PinFact {
    std::string_view name, loc, index;
    uint32_t number;
    int line;  // 0 when unknown

    std::string indexShown() const { return index.empty() ? std::to_string(number) : std::string(index); }
};

// An index as written, without leading zeros when it is a number: "07" is index 7.
std::string indexKey(const std::string& text) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) return text;
    const std::size_t first = text.find_first_not_of('0');
    return first == std::string::npos ? "0" : text.substr(first);
}

std::vector<PinFact> factsOf(const std::vector<HBOPinProps*>& pins) {
    std::vector<PinFact> facts;
    facts.reserve(pins.size());
    for (const HBOPinProps* pin : pins)
        facts.push_back({pin->getName(), pin->getAttr(HBOPinProps::LOC), std::string_view(), pin->getPinIndex(), 0});
    return facts;
}

// Raw pins view indexes, the index keys kept by the caller.
std::vector<PinFact> factsOf(const std::vector<HBOBoardInternal::RawPin>& pins, std::vector<std::string>& indexKeys) {
    indexKeys.clear();
    for (const auto& pin : pins) indexKeys.push_back(indexKey(pin.index));
    std::vector<PinFact> facts;
    facts.reserve(pins.size());
    for (std::size_t i = 0; i < pins.size(); ++i)
        facts.push_back({pins[i].name, pins[i].loc, indexKeys[i], 0, pins[i].line});
    return facts;
}

std::string quotedWithLine(std::string_view name, int line) {
    return "'" + std::string(name) + "'" + (line > 0 ? " (line " + std::to_string(line) + ")" : "");
}

// The groups of pins that share a non-empty key, each in file order, in the
// order they are found.
template <class Key>
std::vector<std::vector<const PinFact*>> repeats(const std::vector<PinFact>& pins, Key key) {
    std::vector<std::string_view> keys;
    keys.reserve(pins.size());
    for (const PinFact& pin : pins) keys.push_back(key(pin));
    KeyTable first(pins.size());
    std::vector<std::size_t> groupOf;  // by the position of a group's first pin
    std::vector<std::vector<const PinFact*>> groups;
    for (std::size_t i = 0; i < pins.size(); ++i) {
        if (keys[i].empty()) continue;
        const std::size_t head = first.firstOrAdd(keys[i], i);
        if (head == i) continue;
        if (groupOf.empty()) groupOf.assign(pins.size(), pins.size());
        if (groupOf[head] == pins.size()) {
            groupOf[head] = groups.size();
            groups.push_back({&pins[head]});
        }
        groups[groupOf[head]].push_back(&pins[i]);
    }
    return groups;
}

class PinFileCheck {
public:
    PinFileCheck(const std::string& board, const HBOBoardComponent& component, Findings& findings)
        : board_(board),
          component_(component.getComponentName()),
          findings_(findings),
          where_(component.getPinMapFile().empty() ? std::string("the board file") : component.getPinMapFile()) {}

    void duplicateLocs(const std::vector<PinFact>& pins) {
        for (const auto& group : repeats(pins, [](const PinFact& p) { return p.loc; })) {
            std::vector<std::string> names{component_};
            std::vector<std::string> shown;
            for (const PinFact* pin : group) {
                names.emplace_back(pin->name);
                shown.push_back(quotedWithLine(pin->name, pin->line));
            }
            findings_.add(HBOBoardCheck::DUPLICATE_LOC, board_, names,
                          "pins " + joined(shown) + " of '" + component_ + "' are " +
                              (group.size() == 2 ? "both" : "all") + " on LOC " + std::string(group[0]->loc) + " (" +
                              where_ + ")");
        }
    }

    void duplicateNames(const std::vector<PinFact>& pins) {
        for (const auto& group : repeats(pins, [](const PinFact& p) { return p.name; })) {
            std::vector<std::string> indexes;
            for (const PinFact* pin : group) indexes.push_back(pin->indexShown() + lineText(pin->line));
            const std::string name(group[0]->name);
            findings_.add(HBOBoardCheck::DUPLICATE_PIN, board_, {component_, name},
                          "pin name '" + name + "' of '" + component_ + "' is given to indexes " + joined(indexes) +
                              " (" + where_ + ")");
        }
    }

    // Reports each repeated index; true when one of them is where loading
    // stopped (the line it gave), so that it says why the pins are missing.
    bool duplicateIndexes(const std::vector<PinFact>& pins, int leftOutAtLine) {
        bool explained = false;
        for (const auto& group : repeats(pins, [](const PinFact& p) { return p.index; })) {
            std::vector<std::string> names{component_};
            std::vector<std::string> shown;
            bool stoppedHere = false;
            for (std::size_t i = 0; i < group.size(); ++i) {
                names.emplace_back(group[i]->name);
                shown.push_back(quotedWithLine(group[i]->name, group[i]->line));
                stoppedHere = stoppedHere || (i > 0 && group[i]->line == leftOutAtLine);
            }
            std::string message = "pin index " + group[0]->indexShown() + " of '" + component_ + "' is given to pins " +
                                  joined(shown) + " (" + where_ + ")";
            if (stoppedHere && !explained) message += "; the pin file is left out, so '" + component_ + "' has no pins";
            explained = explained || stoppedHere;
            findings_.add(HBOBoardCheck::DUPLICATE_PIN, board_, names, message);
        }
        return explained;
    }

private:
    static std::string lineText(int line) { return line > 0 ? " (line " + std::to_string(line) + ")" : std::string(); }
    static std::string joined(const std::vector<std::string>& items) {
        std::string text;
        for (std::size_t i = 0; i < items.size(); ++i)
            text += (i == 0 ? "" : i + 1 == items.size() ? " and " : ", ") + items[i];
        return text;
    }

    const std::string& board_;
    std::string component_;
    Findings& findings_;
    std::string where_;
};

void checkLeftOutPinFile(const std::string& board, const HBOBoardComponent& component, const HBODroppedItem& item,
                         Findings& findings) {
    PinFileCheck check(board, component, findings);
    bool explained = false;
    std::vector<HBOBoardInternal::RawPin> raw;
    if (findings.wantsAny(HBOBoardCheck::DUPLICATE_PIN, HBOBoardCheck::DUPLICATE_LOC) &&
        HBOBoardInternal::scanPinFile(item.path, raw)) {
        std::vector<std::string> indexKeys;
        const std::vector<PinFact> pins = factsOf(raw, indexKeys);
        explained = findings.wants(HBOBoardCheck::DUPLICATE_PIN) && check.duplicateIndexes(pins, item.line);
        check.duplicateNames(pins);
        check.duplicateLocs(pins);
    }
    if (explained) return;
    findings.add(HBOBoardCheck::UNREADABLE, board, {component.getComponentName(), item.path},
                 "the pin file of '" + component.getComponentName() + "' is left out, so it has no pins: " +
                     HBOBoardInternal::describeProblem(item.path, item.line, item.reason));
}

}  // namespace

void checkPinFiles(BoardFacts& facts, Findings& findings) {
    if (!findings.wantsAny(HBOBoardCheck::DUPLICATE_LOC, HBOBoardCheck::DUPLICATE_PIN, HBOBoardCheck::UNREADABLE))
        return;
    std::vector<HBOBoardComponent*> components;
    facts.board().getBoardComponentsVec(components);
    for (const HBOBoardComponent* component : components) {
        const std::vector<HBOPinProps*>& pins = facts.pins(*component);
        if (const std::optional<HBODroppedItem> item = facts.leftOutPinFile(*component)) {
            checkLeftOutPinFile(facts.name(), *component, *item, findings);
            continue;
        }
        if (!findings.wantsAny(HBOBoardCheck::DUPLICATE_LOC, HBOBoardCheck::DUPLICATE_PIN)) continue;
        const std::vector<PinFact> loaded = factsOf(pins);
        PinFileCheck check(facts.name(), *component, findings);
        check.duplicateNames(loaded);
        check.duplicateLocs(loaded);
    }
}

}  // namespace HBOCheck
