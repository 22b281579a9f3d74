// Names a board file gives to other parts of the board: MISSING_COMPONENT
// (an interface's of_component, a bus's end), MISSING_INTERFACE (an
// interface a mode uses, an interface an IP-associated rule names) and
// MISSING_PRESET (an interface's preset proc that the preset file lacks).
#include <algorithm>
#include <cctype>
#include <set>

#include "HBOCheckInternal.h"

namespace HBOCheck {
namespace {

std::string upperCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

void checkComponentNames(const BoardFacts& facts, const std::vector<HBOBusIf*>& interfaces, Findings& findings) {
    const HBOBoard& board = facts.board();
    for (const HBOBusIf* busIf : interfaces) {
        const std::string of = busIf->getOfComponent();
        if (of.empty() || board.findComponent(of)) continue;
        const std::string owner = busIf->getOwnerComponent()->getComponentName();
        findings.add(HBOBoardCheck::MISSING_COMPONENT, facts.name(), {owner, busIf->getName(), of},
                     "interface '" + busIf->getName() + "' of '" + owner + "' is of component '" + of +
                         "', which the board does not have");
    }
    std::vector<HBOBoardBus*> buses;
    board.getBuses(buses);
    for (const HBOBoardBus* bus : buses) {
        for (const std::string& end : {bus->getComp1(), bus->getComp2()}) {
            if (board.findComponent(end)) continue;
            findings.add(HBOBoardCheck::MISSING_COMPONENT, facts.name(), {bus->getName(), end},
                         "bus '" + bus->getName() + "' joins component '" + end + "', which the board does not have");
        }
    }
}

void checkModes(const BoardFacts& facts, const std::vector<HBOBoardComponent*>& components, Findings& findings) {
    for (const HBOBoardComponent* component : components) {
        std::vector<HBOComponentMode*> modes;
        component->getComponentModes(modes);
        for (const HBOComponentMode* mode : modes) {
            std::vector<std::string> missing;
            for (const std::string& name : mode->getInterfaceNames())
                if (!component->findBusIf(name)) missing.push_back(name);
            if (missing.empty()) continue;
            std::vector<std::string> objects{component->getComponentName(), mode->getName()};
            objects.insert(objects.end(), missing.begin(), missing.end());
            findings.add(HBOBoardCheck::MISSING_INTERFACE, facts.name(), objects,
                         "mode '" + mode->getName() + "' of '" + component->getComponentName() + "' uses interface" +
                             (missing.size() == 1 ? " " : "s ") + quotedList(missing) + ", which '" +
                             component->getComponentName() + "' does not have");
        }
    }
}

void checkAssociatedInterfaces(const BoardFacts& facts, const std::vector<HBOBusIf*>& interfaces, Findings& findings) {
    std::set<std::string> names;
    for (const HBOBusIf* busIf : interfaces) names.insert(busIf->getName());
    for (const auto& entry : facts.board().getIpAssociatedInterfaces()) {
        if (names.count(entry.first)) continue;
        std::set<std::string> rules;
        for (const HBOIpPreset* preset : entry.second) rules.insert(preset->getPresetName());
        const std::vector<std::string> ruleNames(rules.begin(), rules.end());
        std::vector<std::string> objects{entry.first};
        objects.insert(objects.end(), ruleNames.begin(), ruleNames.end());
        findings.add(HBOBoardCheck::MISSING_INTERFACE, facts.name(), objects,
                     "IP-associated rule" + std::string(rules.size() == 1 ? " " : "s ") + quotedList(ruleNames) +
                         " name" + (rules.size() == 1 ? "s" : "") + " board interface '" + entry.first +
                         "', which the board does not have");
    }
}

bool presetFileLeftOut(const HBOBoard& board) {
    const auto& dropped = board.getDroppedItems();
    return std::any_of(dropped.begin(), dropped.end(),
                       [](const HBODroppedItem& item) { return item.kind == HBODroppedItem::PRESET_FILE; });
}

void checkPresetProcs(const BoardFacts& facts, const std::vector<HBOBusIf*>& interfaces, Findings& findings) {
    const HBOBoard& board = facts.board();
    if (presetFileLeftOut(board)) return;  // its own finding says why
    const HBOIpPresetMap& presets = board.getIpPresets();
    for (const HBOBusIf* busIf : interfaces) {
        const std::string proc = busIf->getPresetProcName();
        if (proc.empty() || presets.count(upperCase(proc))) continue;
        const std::string owner = busIf->getOwnerComponent()->getComponentName();
        const std::string where = board.getPresetFile().empty()
                                      ? std::string("the board has no preset file")
                                      : "the preset file " + board.getPresetFile() + " has no preset of that name";
        findings.add(
            HBOBoardCheck::MISSING_PRESET, facts.name(), {owner, busIf->getName(), proc},
            "interface '" + busIf->getName() + "' of '" + owner + "' names preset '" + proc + "', but " + where);
    }
}

}  // namespace

void checkNameReferences(BoardFacts& facts, Findings& findings) {
    // Reading the presets also tells whether the preset file can be used.
    if (findings.wantsAny(HBOBoardCheck::MISSING_PRESET, HBOBoardCheck::UNREADABLE)) facts.board().getIpPresets();
    if (!findings.wantsAny(HBOBoardCheck::MISSING_COMPONENT, HBOBoardCheck::MISSING_INTERFACE,
                           HBOBoardCheck::MISSING_PRESET))
        return;
    std::vector<HBOBoardComponent*> components;
    facts.board().getBoardComponentsVec(components);
    std::vector<HBOBusIf*> interfaces;
    facts.board().getBusIfSeq(interfaces);
    if (findings.wants(HBOBoardCheck::MISSING_COMPONENT)) checkComponentNames(facts, interfaces, findings);
    if (findings.wants(HBOBoardCheck::MISSING_INTERFACE)) {
        checkModes(facts, components, findings);
        checkAssociatedInterfaces(facts, interfaces, findings);
    }
    if (findings.wants(HBOBoardCheck::MISSING_PRESET)) checkPresetProcs(facts, interfaces, findings);
}

}  // namespace HBOCheck
