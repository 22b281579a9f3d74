// PIN_CONFLICT and PIN_ALTERNATIVE: one pin of a component (one LOC of an
// FPGA part) reached by two of its interfaces. Interfaces of two different
// components (their of_component) conflict; so do two that a mode uses
// together. Interfaces of one component that no mode uses together are
// alternatives: a design picks one of them. Disabled interfaces, and those
// of disabled components, take no pins.
#include <algorithm>
#include <map>
#include <set>

#include "HBOBoardUtils.h"
#include "HBOCheckInternal.h"

namespace HBOCheck {
namespace {

// One pin that one interface reaches. Pins with a LOC are keyed by it, so
// that two names of one ball meet; others by their name.
struct Reach {
    bool byLoc;
    const std::string* key;
    const std::string* pin;
    std::size_t busIf;  // index into the interfaces that take pins

    bool operator<(const Reach& other) const {
        if (byLoc != other.byLoc) return byLoc;
        if (*key != *other.key) return *key < *other.key;
        return busIf < other.busIf;
    }
    bool samePin(const Reach& other) const { return byLoc == other.byLoc && *key == *other.key; }
};

// The pins one interface of the component reaches.
void reachedPins(BoardFacts& facts, const HBOBoardComponent& component, const HBOBusIf& busIf,
                 std::vector<HBOPinProps*>& pins) {
    if (HBOBoardUtils::isV2SchemaBoard(&component)) {
        const PinLookup& lookup = facts.lookup(component);
        std::vector<HBOModelPort*> ports;
        busIf.getModelPorts(ports);
        for (const HBOModelPort* port : ports)
            for (const auto& mapped : port->getPinPortMap())
                if (HBOPinProps* pin = lookup.byName(mapped.second)) pins.push_back(pin);
        return;
    }
    std::vector<HBOPortMap*> portMaps;
    busIf.getPortMapSeq(portMaps);
    for (const HBOPortMap* portMap : portMaps) {
        HBOModelPort* port = nullptr;
        if (component.getModelPortByName(port, portMap->getPhysicalPort())) port->getPortPropsSeq(pins);
    }
}

// The interfaces of one component that take pins, and what they share.
class SharedPins {
public:
    SharedPins(BoardFacts& facts, const HBOBoardComponent& component) : facts_(facts), component_(component) {}

    void check(Findings& findings) {
        std::vector<HBOBusIf*> all;
        component_.getInterfacesVec(all);
        std::vector<Reach> reaches;
        std::vector<HBOPinProps*> pins;
        for (const HBOBusIf* busIf : all) {
            if (!takesPins(*busIf)) continue;
            pins.clear();
            reachedPins(facts_, component_, *busIf, pins);
            for (const HBOPinProps* pin : pins) {
                const std::string& loc = pin->getAttr(HBOPinProps::LOC);
                reaches.push_back(
                    {!loc.empty(), loc.empty() ? &pin->getName() : &loc, &pin->getName(), busIfs_.size()});
            }
            busIfs_.push_back(busIf);
        }
        std::sort(reaches.begin(), reaches.end());
        collectPairs(reaches);
        for (const auto& pair : pairs_) report(pair.first.first, pair.first.second, pair.second, findings);
    }

private:
    // What two interfaces share: each ball as shown, and the pin names.
    struct Shared {
        std::vector<std::string> balls;
        std::set<std::string> pins;
    };

    bool takesPins(const HBOBusIf& busIf) const {
        if (!enabledText(busIf.getIsEnabled())) return false;
        const HBOBoardComponent* of = facts_.board().findComponent(busIf.getOfComponent());
        return !of || enabledText(of->getIsEnabled());
    }

    void collectPairs(const std::vector<Reach>& reaches) {
        for (std::size_t first = 0; first < reaches.size();) {
            std::size_t end = first + 1;
            while (end < reaches.size() && reaches[end].samePin(reaches[first])) ++end;
            for (std::size_t a = first; a < end; ++a)
                for (std::size_t b = a + 1; b < end; ++b)
                    if (reaches[a].busIf != reaches[b].busIf) share(reaches[a], reaches[b]);
            first = end;
        }
    }

    void share(const Reach& a, const Reach& b) {
        Shared& shared = pairs_[{a.busIf, b.busIf}];
        const std::string names = *a.pin == *b.pin ? "'" + *a.pin + "'" : "'" + *a.pin + "', '" + *b.pin + "'";
        const std::string ball = a.byLoc ? *a.key + " (" + names + ")" : names;
        if (shared.balls.empty() || shared.balls.back() != ball) shared.balls.push_back(ball);
        shared.pins.insert(*a.pin);
        shared.pins.insert(*b.pin);
    }

    // The component whose resource the interface is: its of_component, else its owner.
    std::string resourceOf(const HBOBusIf& busIf) const {
        return busIf.getOfComponent().empty() ? component_.getComponentName() : busIf.getOfComponent();
    }

    // An enabled mode that uses both interfaces, of the component or of either resource; empty when none.
    std::string modeUsingBoth(const HBOBusIf& a, const HBOBusIf& b) const {
        std::vector<const HBOBoardComponent*> owners{&component_};
        for (const std::string& name : {resourceOf(a), resourceOf(b)})
            if (const HBOBoardComponent* owner = facts_.board().findComponent(name)) owners.push_back(owner);
        for (const HBOBoardComponent* owner : owners) {
            std::vector<HBOComponentMode*> modes;
            owner->getComponentModes(modes);
            for (const HBOComponentMode* mode : modes) {
                if (!enabledText(mode->getIsEnabled())) continue;
                const auto& names = mode->getInterfaceNames();
                if (std::count(names.begin(), names.end(), a.getName()) &&
                    std::count(names.begin(), names.end(), b.getName()))
                    return mode->getName();
            }
        }
        return std::string();
    }

    void report(std::size_t first, std::size_t second, const Shared& shared, Findings& findings) const {
        const HBOBusIf& a = *busIfs_[first];
        const HBOBusIf& b = *busIfs_[second];
        const std::string component = component_.getComponentName();
        std::vector<std::string> objects{component, a.getName(), b.getName()};
        objects.insert(objects.end(), shared.pins.begin(), shared.pins.end());
        const std::string what = (shared.balls.size() == 1 ? "a pin" : std::to_string(shared.balls.size()) + " pins") +
                                 " of '" + component + "': " + joinedBalls(shared.balls);
        const std::string mode = modeUsingBoth(a, b);
        const std::string resourceA = resourceOf(a);
        const std::string resourceB = resourceOf(b);
        if (mode.empty() && resourceA == resourceB) {
            findings.add(HBOBoardCheck::PIN_ALTERNATIVE, facts_.name(), objects,
                         "interfaces '" + a.getName() + "' and '" + b.getName() + "' of '" + resourceA + "' share " +
                             what + "; no mode uses both, so they are alternatives");
            return;
        }
        std::string message = "interfaces '" + a.getName() + "' (of '" + resourceA + "') and '" + b.getName() +
                              "' (of '" + resourceB + "') share " + what;
        if (!mode.empty()) message += "; mode '" + mode + "' uses both";
        findings.add(HBOBoardCheck::PIN_CONFLICT, facts_.name(), objects, message);
    }

    static std::string joinedBalls(const std::vector<std::string>& balls) {
        const std::size_t limit = 8;
        std::string text;
        for (std::size_t i = 0; i < std::min(balls.size(), limit); ++i) text += (i ? ", " : "") + balls[i];
        if (balls.size() > limit) text += " and " + std::to_string(balls.size() - limit) + " more";
        return text;
    }

    BoardFacts& facts_;
    const HBOBoardComponent& component_;
    std::vector<const HBOBusIf*> busIfs_;
    std::map<std::pair<std::size_t, std::size_t>, Shared> pairs_;
};

}  // namespace

void checkPinSharing(BoardFacts& facts, Findings& findings) {
    if (!findings.wantsAny(HBOBoardCheck::PIN_CONFLICT, HBOBoardCheck::PIN_ALTERNATIVE)) return;
    std::vector<HBOBoardComponent*> components;
    facts.board().getBoardComponentsVec(components);
    for (const HBOBoardComponent* component : components) {
        std::vector<HBOBusIf*> interfaces;
        component->getInterfacesVec(interfaces);
        if (interfaces.size() < 2 || !enabledText(component->getIsEnabled()) || facts.pinsLeftOut(*component)) continue;
        SharedPins(facts, *component).check(findings);
    }
}

}  // namespace HBOCheck
