// Breadth-first walk from a pin to the FPGA pins its nets and the diagram's
// connector pairs lead to. Each pin is visited once per instance, so the walk
// ends; a pin met a second time is a loop in the board data and an error.
#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "HBOBoardCReposMgr.h"
#include "HBOPinTrace.h"
#include "HEXAll.h"

namespace {

// What leaves a pin through one net: the net, and the pin index at its other end.
struct NetEnd {
    HBOBoardBusNet* net;
    const HBOBoardBus* bus;
    bool otherIsComponent2;
    uint32_t otherIndex;
    bool enabled;
};
using PinNets = std::unordered_map<uint32_t, std::vector<NetEnd>>;

// The nets of one component, by pin index, built on first use.
PinNets indexNets(const HBOBoardComponent* component) {
    PinNets nets;
    const HBOBoard* board = component->getBoard();
    if (!board) return nets;
    const std::string name = component->getComponentName();
    std::vector<HBOBoardBus*> buses;
    board->getBusesOfComponent(name, buses);
    for (const HBOBoardBus* bus : buses) {
        const bool busEnabled = bus->getIsEnabled() == "true";
        const bool atEnd1 = bus->getComp1() == name;
        const bool atEnd2 = bus->getComp2() == name;
        std::vector<HBOBoardBusNet*> busNets;
        bus->getBoardBusNets(busNets);
        for (HBOBoardBusNet* net : busNets) {
            const bool enabled = busEnabled && net->getIsEnabled() == "true";
            if (atEnd1) nets[net->getC1PinIndex()].push_back({net, bus, true, net->getC2PinIndex(), enabled});
            // A net from a pin to itself is listed once; it leads back to that pin.
            if (atEnd2 && !(atEnd1 && net->getC1PinIndex() == net->getC2PinIndex()))
                nets[net->getC2PinIndex()].push_back({net, bus, false, net->getC1PinIndex(), enabled});
        }
    }
    return nets;
}

std::string joinTexts(const std::vector<std::string>& texts, const char* separator) {
    std::string joined;
    for (const std::string& text : texts) joined += (joined.empty() ? "" : separator) + text;
    return joined;
}

std::string describeVia(const HBOTraceHop& via) {
    if (via.kind == HBOTraceHop::Kind::net) {
        return "net " + via.net->getName() + " of bus " + (via.net->getOwner() ? via.net->getOwner()->getName() : "?");
    }
    return "the diagram's connection of " + via.from + " to " + via.to;
}

}  // namespace

struct HBOPinTracer::Impl {
    // A board of the walk: an instance of the diagram, or the start pin's
    // own board (name empty) when there is no diagram.
    struct Instance {
        std::string name;
        const HBOBoard* board;
    };
    // A pin reached, and how.
    struct Node {
        std::size_t instance;
        HBOPinProps* pin;
        std::size_t parent;  // its own position for the start
        HBOTraceHop via;     // what joined the parent to it
    };

    const HBOBoard* diagram;
    bool required;
    // "instance#component" -> the pairs it is joined to, each once.
    std::map<std::string, std::vector<std::string>> joins;
    std::unordered_map<const HBOBoardComponent*, PinNets> netsByComponent;

    // Per trace.
    bool walkDiagram = false;  // the start pin's board is an instance of the diagram
    std::vector<Instance> instances;
    std::vector<Node> nodes;
    std::set<std::pair<std::size_t, const HBOPinProps*>> visited;
    HBOPinTraceResult result;

    Impl(const HBOBoard* d, bool r) : diagram(d), required(r) {
        if (!diagram) return;
        for (const auto& pair : diagram->getConnectedComponents()) {
            addJoin(pair.first, pair.second);
            addJoin(pair.second, pair.first);
        }
    }

    void addJoin(const std::string& from, const std::string& to) {
        std::vector<std::string>& targets = joins[from];
        if (std::find(targets.begin(), targets.end(), to) == targets.end()) targets.push_back(to);
    }

    const PinNets& netsOf(const HBOBoardComponent* component) {
        auto found = netsByComponent.find(component);
        if (found == netsByComponent.end()) found = netsByComponent.emplace(component, indexNets(component)).first;
        return found->second;
    }

    std::string diagramName() const { return diagram->getName(); }

    // The instance the start pin's board is in the diagram: an instance
    // board by its own name, a repository board by the one instance of it.
    std::string locate(const HBOBoard* board, bool& inDiagram) const {
        inDiagram = false;
        if (!diagram) return std::string();
        const std::map<std::string, std::string>& boards = diagram->getConnectedBoards();
        if (!board->getBaseBoardName().empty()) {
            auto found = boards.find(board->getBoardName());
            if (found != boards.end() && found->second == board->getBaseBoardName()) {
                inDiagram = true;
                return found->first;
            }
        }
        std::vector<std::string> names;
        for (const auto& entry : boards)
            if (entry.second == board->getName()) names.push_back(entry.first);
        if (names.size() > 1) {
            throw HEXError("board " + board->getName() + " is in diagram " + diagramName() + " as " +
                               std::to_string(names.size()) + " instances (" + joinTexts(names, ", ") +
                               "): give objects of one instance board, made with create_board_instance -name " +
                               names.front(),
                           HEXAll::Kind::value, "-diagram");
        }
        if (names.size() == 1) {
            inDiagram = true;
            return names.front();
        }
        if (required) {
            std::vector<std::string> held;
            for (const auto& entry : boards) held.push_back(entry.first + " (" + entry.second + ")");
            throw HEXError("board " + board->getName() + " is not in diagram " + diagramName() +
                               ", whose instances are " + (held.empty() ? std::string("none") : joinTexts(held, ", ")),
                           HEXAll::Kind::value, "-diagram");
        }
        return std::string();
    }

    // The position of the named instance, resolving its board on first use:
    // the start board when it is that instance, else the repository's board.
    // npos, with the reason, when it cannot be resolved.
    std::size_t instanceNamed(const std::string& name, const HBOBoard* startBoard, std::string& reason) {
        for (std::size_t i = 0; i < instances.size(); ++i)
            if (instances[i].name == name) return i;
        const std::map<std::string, std::string>& boards = diagram->getConnectedBoards();
        auto found = boards.find(name);
        if (found == boards.end()) {
            reason = name + " is not an instance of diagram " + diagramName();
            return std::string::npos;
        }
        const HBOBoard* board = nullptr;
        if (startBoard->getBoardName() == name && startBoard->getBaseBoardName() == found->second) {
            board = startBoard;
        } else {
            board = HBOBoardCReposMgr::getGlobal()->findBoard(found->second);
        }
        if (!board) {
            reason = "board " + found->second + " of instance " + name + " is not in the repository";
            return std::string::npos;
        }
        instances.push_back({name, board});
        return instances.size() - 1;
    }

    HBOTraceHop pinHop(const Node& node) const {
        HBOTraceHop hop;
        hop.kind = HBOTraceHop::Kind::pin;
        hop.board = instances[node.instance].board;
        hop.instance = instances[node.instance].name;
        hop.pin = node.pin;
        return hop;
    }

    std::vector<HBOTraceHop> pathTo(std::size_t position) const {
        std::vector<HBOTraceHop> hops;
        for (std::size_t at = position;; at = nodes[at].parent) {
            hops.push_back(pinHop(nodes[at]));
            if (nodes[at].parent == at) break;
            hops.push_back(nodes[at].via);
        }
        std::reverse(hops.begin(), hops.end());
        return hops;
    }

    struct Edge {
        std::size_t instance;
        HBOPinProps* pin;
        HBOTraceHop via;
    };

    void netEdges(const Node& node, std::vector<Edge>& edges, std::vector<std::string>& notes) {
        const HBOBoardComponent* component = node.pin->getOwner();
        const PinNets& nets = netsOf(component);
        auto found = nets.find(node.pin->getPinIndex());
        if (found == nets.end()) return;
        const HBOBoard* board = component->getBoard();
        for (const NetEnd& end : found->second) {
            const std::string net = "net " + end.net->getName() + " of bus " + end.bus->getName();
            if (!end.enabled) {
                notes.push_back(net + " is disabled");
                continue;
            }
            const std::string otherName = end.otherIsComponent2 ? end.bus->getComp2() : end.bus->getComp1();
            const HBOBoardComponent* other = board->findComponent(otherName);
            HBOPinProps* otherPin = other ? other->findPinByIndex(end.otherIndex) : nullptr;
            if (!otherPin) {
                notes.push_back(net + " ends at index " + std::to_string(end.otherIndex) + " of " + otherName +
                                ", which has no pin of that index");
                continue;
            }
            HBOTraceHop via;
            via.kind = HBOTraceHop::Kind::net;
            via.board = board;
            via.instance = instances[node.instance].name;
            via.net = end.net;
            edges.push_back({node.instance, otherPin, via});
        }
    }

    void connectionEdges(const Node& node, const HBOBoard* startBoard, std::vector<Edge>& edges,
                         std::vector<std::string>& notes) {
        if (!walkDiagram) return;
        const std::string from = instances[node.instance].name + "#" + node.pin->getOwner()->getComponentName();
        auto found = joins.find(from);
        if (found == joins.end()) return;
        for (const std::string& to : found->second) {
            const std::size_t hash = to.find('#');
            const std::string instance = to.substr(0, hash);
            const std::string componentName = hash == std::string::npos ? std::string() : to.substr(hash + 1);
            std::string reason;
            const std::size_t target = instanceNamed(instance, startBoard, reason);
            if (target == std::string::npos) {
                notes.push_back("the diagram joins " + from + " to " + to + ", but " + reason);
                continue;
            }
            const HBOBoardComponent* component = instances[target].board->findComponent(componentName);
            HBOPinProps* pin = component ? component->findPinByIndex(node.pin->getPinIndex()) : nullptr;
            if (!pin) {
                notes.push_back("the diagram joins " + from + " to " + to + ", which has no pin of index " +
                                std::to_string(node.pin->getPinIndex()));
                continue;
            }
            HBOTraceHop via;
            via.kind = HBOTraceHop::Kind::connection;
            via.board = diagram;
            via.from = from;
            via.to = to;
            edges.push_back({target, pin, via});
        }
    }

    // Whether the edge goes back the way the node was reached.
    static bool isWayBack(const Node& node, const Node& parent, const Edge& edge) {
        return edge.instance == parent.instance && edge.pin == parent.pin && edge.via.kind == node.via.kind &&
               edge.via.net == node.via.net;
    }

    void expand(std::size_t position, const HBOBoard* startBoard) {
        std::vector<Edge> edges;
        std::vector<std::string> notes;
        netEdges(nodes[position], edges, notes);
        connectionEdges(nodes[position], startBoard, edges, notes);
        bool leaves = false;
        for (Edge& edge : edges) {
            const Node& node = nodes[position];
            if (node.parent != position && isWayBack(node, nodes[node.parent], edge)) continue;
            leaves = true;
            if (!visited.insert({edge.instance, edge.pin}).second) {
                HBOTraceHop again;
                again.board = instances[edge.instance].board;
                again.instance = instances[edge.instance].name;
                again.pin = edge.pin;
                throw HEXDataException("the connections form a loop: " + describePin(again) +
                                           " is reached again through " + describeVia(edge.via) + " from " +
                                           describePin(pinHop(node)),
                                       HEXAll::Kind::error, "loop");
            }
            nodes.push_back({edge.instance, edge.pin, position, std::move(edge.via)});
        }
        if (!leaves) {
            result.stops.push_back(
                "the path stops at " + describePin(pinHop(nodes[position])) + ": " +
                (notes.empty() ? std::string("nothing joins it to another pin") : joinTexts(notes, "; ")));
        }
    }

    HBOPinTraceResult run(HBOPinProps* start) {
        instances.clear();
        nodes.clear();
        visited.clear();
        result = HBOPinTraceResult();
        const HBOBoardComponent* owner = start->getOwner();
        if (!owner || !owner->getBoard()) {
            result.stops.push_back("pin " + start->getName() + " belongs to no board");
            return result;
        }
        const HBOBoard* startBoard = owner->getBoard();
        bool inDiagram = false;
        const std::string name = locate(startBoard, inDiagram);
        walkDiagram = inDiagram;
        instances.push_back({name, startBoard});
        nodes.push_back({0, start, 0, HBOTraceHop()});
        visited.insert({0, start});
        for (std::size_t next = 0; next < nodes.size(); ++next) {
            if (nodes[next].pin->getOwner()->isFpga()) {
                result.reached.push_back({nodes[next].pin, pathTo(next)});
                continue;
            }
            expand(next, startBoard);
        }
        if (!result.reached.empty()) result.stops.clear();
        return result;
    }
};

HBOPinTracer::HBOPinTracer(const HBOBoard* diagram, bool required) : impl_(new Impl(diagram, required)) {}

HBOPinTracer::~HBOPinTracer() = default;

HBOPinTraceResult HBOPinTracer::trace(HBOPinProps* start) { return impl_->run(start); }

HBOPinTraceResult HBOPinTracer::trace(const HBOSignalBit& bit) {
    if (bit.pin) return trace(bit.pin);
    HBOPinTraceResult result;
    result.stops.push_back(bit.problem);
    return result;
}

std::string HBOPinTracer::describePin(const HBOTraceHop& hop) {
    const HBOBoardComponent* component = hop.pin ? hop.pin->getOwner() : nullptr;
    std::string text = "pin " + (hop.pin ? hop.pin->getName() : std::string("?")) + " of " +
                       (component ? component->getComponentName() : std::string("no component")) + " on ";
    const std::string board = hop.board ? hop.board->getName() : std::string("no board");
    return text + (hop.instance.empty() ? board : hop.instance + " (" + board + ")");
}
