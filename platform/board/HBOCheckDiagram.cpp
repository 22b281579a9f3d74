// The rules of a diagram: its instances are of boards the repository has
// (MISSING_BOARD), each connection joins components those boards have
// (MISSING_BOARD, MISSING_COMPONENT), connectors that fit one another
// (CONNECTOR_MISMATCH), and no connector is joined twice (CONNECTOR_REUSED).
// connect_board_components records what it is given; these rules only report.
#include <map>

#include "HBOBoardCReposMgr.h"
#include "HBOCheckInternal.h"

namespace HBOCheck {
namespace {

// One side of a connection, "instance#component" as the diagram keeps it.
struct End {
    std::string text, instance, component;
    const HBOBoardComponent* found = nullptr;  // null until resolved
};

class DiagramCheck {
public:
    DiagramCheck(const HBOBoard& diagram, Findings& findings)
        : diagram_(diagram), name_(diagram.getName()), findings_(findings) {}

    void run() {
        checkInstances();
        std::map<std::string, std::vector<std::string>> partners;
        for (const auto& connection : diagram_.getConnectedComponents()) {
            End one = resolve(connection.first);
            End two = resolve(connection.second);
            if (one.instance.empty() || one.component.empty() || two.instance.empty() || two.component.empty()) {
                findings_.add(HBOBoardCheck::MISSING_COMPONENT, name_, {one.text, two.text},
                              "connection " + shown(one, two) + " has a side that names no component");
                continue;
            }
            checkEnd(one, two);
            checkEnd(two, one);
            if (one.found && two.found) checkFit(one, two);
            partners[one.text].push_back(two.text);
            partners[two.text].push_back(one.text);
        }
        for (const auto& end : partners) {
            if (end.second.size() < 2) continue;
            std::vector<std::string> objects{end.first};
            objects.insert(objects.end(), end.second.begin(), end.second.end());
            findings_.add(HBOBoardCheck::CONNECTOR_REUSED, name_, objects,
                          "connector '" + end.first + "' is joined " + std::to_string(end.second.size()) +
                              " times: to " + quotedList(end.second));
        }
    }

private:
    void checkInstances() {
        for (const auto& instance : diagram_.getConnectedBoards()) {
            if (HBOBoardCReposMgr::getGlobal()->findBoard(instance.second)) continue;
            findings_.add(HBOBoardCheck::MISSING_BOARD, name_, {instance.first, instance.second},
                          "instance '" + instance.first + "' is of board " + instance.second +
                              ", which the repository does not have");
        }
    }

    // Splits the end and finds its component on the instance's base board.
    End resolve(const std::string& text) const {
        End end;
        end.text = text;
        const std::size_t hash = text.find('#');
        if (hash == std::string::npos || text.find('#', hash + 1) != std::string::npos) return end;
        end.instance = text.substr(0, hash);
        end.component = text.substr(hash + 1);
        const auto instance = diagram_.getConnectedBoards().find(end.instance);
        if (instance == diagram_.getConnectedBoards().end()) return end;
        if (const HBOBoard* base = HBOBoardCReposMgr::getGlobal()->findBoard(instance->second))
            end.found = base->findComponent(end.component);
        return end;
    }

    void checkEnd(const End& end, const End& other) {
        if (end.found) return;
        const auto instance = diagram_.getConnectedBoards().find(end.instance);
        if (instance == diagram_.getConnectedBoards().end()) {
            findings_.add(HBOBoardCheck::MISSING_BOARD, name_, {end.text, other.text},
                          "connection " + shown(end, other) + " names board '" + end.instance +
                              "', which is no instance of the diagram");
        } else if (HBOBoardCReposMgr::getGlobal()->findBoard(instance->second)) {
            findings_.add(HBOBoardCheck::MISSING_COMPONENT, name_, {end.text, other.text},
                          "connection " + shown(end, other) + " names component '" + end.component + "', which board " +
                              instance->second + " (instance '" + end.instance + "') does not have");
        }  // an instance of a board the repository lacks is reported once, by checkInstances
    }

    void checkFit(const End& one, const End& two) {
        std::vector<std::string> differences;
        for (const End* end : {&one, &two}) {
            if (end->found->getType() != "connector")
                differences.push_back("'" + end->text + "' is of type '" + end->found->getType() +
                                      "', not a connector");
        }
        if (one.found->getSubType() != two.found->getSubType())
            differences.push_back("their sub-types differ ('" + one.found->getSubType() + "' and '" +
                                  two.found->getSubType() + "')");
        const std::size_t pinsOne = pinCount(*one.found);
        const std::size_t pinsTwo = pinCount(*two.found);
        if (pinsOne != pinsTwo)
            differences.push_back("they have " + std::to_string(pinsOne) + " and " + std::to_string(pinsTwo) + " pins");
        if (differences.empty()) return;
        std::string message = "connection " + shown(one, two) + " joins components that do not fit: ";
        for (std::size_t i = 0; i < differences.size(); ++i) message += (i ? "; " : "") + differences[i];
        findings_.add(HBOBoardCheck::CONNECTOR_MISMATCH, name_, {one.text, two.text}, message);
    }

    static std::size_t pinCount(const HBOBoardComponent& component) {
        std::vector<HBOPinProps*> pins;
        component.getPinsVec(pins);
        return pins.size();
    }

    static std::string shown(const End& one, const End& two) { return "'" + one.text + "' - '" + two.text + "'"; }

    const HBOBoard& diagram_;
    const std::string name_;
    Findings& findings_;
};

}  // namespace

void checkDiagram(const HBOBoard& diagram, Findings& findings) {
    if (!findings.wantsAny(HBOBoardCheck::MISSING_BOARD, HBOBoardCheck::MISSING_COMPONENT,
                           HBOBoardCheck::CONNECTOR_MISMATCH, HBOBoardCheck::CONNECTOR_REUSED))
        return;
    DiagramCheck(diagram, findings).run();
}

}  // namespace HBOCheck
