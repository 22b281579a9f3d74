// MISSING_PIN: an interface's port maps naming pins (or, on older boards,
// pin-file ports) its component does not have, and bus nets ending on pin
// indexes a component does not have. A component whose pin file was left
// out is passed over: the pin file's own finding says why its pins are missing.
#include <map>
#include <set>

#include "HBOBoardUtils.h"
#include "HBOCheckInternal.h"

namespace HBOCheck {
namespace {

// Schema 2: pin names of the port maps; every port map of the interface counts,
// also one whose logical port is mapped twice.
void checkPinMaps(BoardFacts& facts, const HBOBoardComponent& component, const HBOBusIf& busIf, Findings& findings) {
    std::vector<HBOModelPort*> ports;
    busIf.getModelPorts(ports);
    const PinLookup& pins = facts.lookup(component);
    std::vector<std::string> missing;
    std::set<std::string> seen;
    for (const HBOModelPort* port : ports) {
        for (const auto& mapped : port->getPinPortMap())
            if (!pins.byName(mapped.second) && seen.insert(mapped.second).second) missing.push_back(mapped.second);
    }
    if (missing.empty()) return;
    std::vector<std::string> objects{component.getComponentName(), busIf.getName()};
    objects.insert(objects.end(), missing.begin(), missing.end());
    findings.add(HBOBoardCheck::MISSING_PIN, facts.name(), objects,
                 "interface '" + busIf.getName() + "' of '" + component.getComponentName() + "' maps " +
                     (missing.size() == 1 ? "pin " : std::to_string(missing.size()) + " pins ") + quotedList(missing) +
                     ", which '" + component.getComponentName() + "' does not have");
}

// Older boards: the physical ports that port maps name, which the pin file holds.
void checkPortMaps(const std::string& board, const HBOBoardComponent& component, const HBOBusIf& busIf,
                   Findings& findings) {
    std::vector<HBOPortMap*> portMaps;
    busIf.getPortMapSeq(portMaps);
    std::vector<std::string> missing;
    for (const HBOPortMap* portMap : portMaps) {
        HBOModelPort* port = nullptr;
        if (!component.getModelPortByName(port, portMap->getPhysicalPort()))
            missing.push_back(portMap->getPhysicalPort());
    }
    if (missing.empty()) return;
    std::vector<std::string> objects{component.getComponentName(), busIf.getName()};
    objects.insert(objects.end(), missing.begin(), missing.end());
    findings.add(HBOBoardCheck::MISSING_PIN, board, objects,
                 "interface '" + busIf.getName() + "' of '" + component.getComponentName() + "' maps port" +
                     (missing.size() == 1 ? " " : "s ") + quotedList(missing) + ", which the pin file of '" +
                     component.getComponentName() + "' does not have");
}

void checkInterfaces(BoardFacts& facts, const HBOBoardComponent& component, Findings& findings) {
    std::vector<HBOBusIf*> interfaces;
    component.getInterfacesVec(interfaces);
    if (interfaces.empty() || !facts.pinsKnown(component)) return;
    const bool schema2 = HBOBoardUtils::isV2SchemaBoard(&component);
    for (const HBOBusIf* busIf : interfaces) {
        if (schema2) {
            checkPinMaps(facts, component, *busIf, findings);
        } else {
            checkPortMaps(facts.name(), component, *busIf, findings);
        }
    }
}

// The indexes one end of a bus names that the component lacks, with the nets naming them.
struct MissingEnd {
    std::vector<std::string> indexes, nets;
};

void checkBus(BoardFacts& facts, const HBOBoardBus& bus, Findings& findings) {
    const HBOBoardComponent* ends[2] = {facts.board().findComponent(bus.getComp1()),
                                        facts.board().findComponent(bus.getComp2())};
    const bool known[2] = {ends[0] && facts.pinsKnown(*ends[0]), ends[1] && facts.pinsKnown(*ends[1])};
    if (!known[0] && !known[1]) return;
    std::vector<HBOBoardBusNet*> nets;
    bus.getBoardBusNets(nets);
    MissingEnd missing[2];
    for (const HBOBoardBusNet* net : nets) {
        const uint32_t indexes[2] = {net->getC1PinIndex(), net->getC2PinIndex()};
        for (int end = 0; end < 2; ++end) {
            if (!known[end] || facts.lookup(*ends[end]).hasIndex(indexes[end])) continue;
            missing[end].indexes.push_back(std::to_string(indexes[end]));
            missing[end].nets.push_back(net->getName());
        }
    }
    for (int end = 0; end < 2; ++end) {
        if (missing[end].indexes.empty()) continue;
        const std::string component = ends[end]->getComponentName();
        std::vector<std::string> objects{bus.getName(), component};
        objects.insert(objects.end(), missing[end].nets.begin(), missing[end].nets.end());
        const std::size_t count = missing[end].indexes.size();
        findings.add(HBOBoardCheck::MISSING_PIN, facts.name(), objects,
                     "bus '" + bus.getName() + "' joins pin index" + (count == 1 ? " " : "es ") +
                         plainList(missing[end].indexes) + " of '" + component + "', which '" + component +
                         "' does not have (net" + (count == 1 ? " " : "s ") + quotedList(missing[end].nets) + ")");
    }
}

}  // namespace

void checkPinReferences(BoardFacts& facts, Findings& findings) {
    if (!findings.wants(HBOBoardCheck::MISSING_PIN)) return;
    std::vector<HBOBoardComponent*> components;
    facts.board().getBoardComponentsVec(components);
    for (const HBOBoardComponent* component : components) checkInterfaces(facts, *component, findings);
    std::vector<HBOBoardBus*> buses;
    facts.board().getBuses(buses);
    for (const HBOBoardBus* bus : buses) checkBus(facts, *bus, findings);
}

}  // namespace HBOCheck
