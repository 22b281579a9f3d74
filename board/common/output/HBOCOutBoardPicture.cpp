// Pictures of boards and diagrams as graphs. Graphviz lays them out; what is
// decided here is only what is shown, how it is grouped and styled, and
// which side of the FPGA part each component goes to.
#include "HBOCOutBoardPicture.h"

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "HBOBoardCReposMgr.h"
#include "HBOBoardModel.h"
#include "HBOBoardUtils.h"
#include "HBOCTcBoardQuery.h"

namespace {

using namespace HBOCOutPicture;

const Attributes kChip = {
    {"shape", "box"}, {"style", "rounded,filled"}, {"fillcolor", "#e8eef8"}, {"color", "#4a6fa5"}};
const Attributes kPart = {{"shape", "box"},  {"style", "filled"}, {"fillcolor", "#fbe3c2"}, {"color", "#b8742a"},
                          {"penwidth", "2"}, {"fontsize", "13"},  {"margin", "0.3,0.12"}};
const Attributes kConnector = {
    {"shape", "box3d"}, {"style", "filled"}, {"fillcolor", "#dff0d8"}, {"color", "#4c8a3f"}, {"margin", "0.25,0.1"}};
const Attributes kLooseInterface = {
    {"shape", "note"}, {"style", "filled"}, {"fillcolor", "#fffbe6"}, {"color", "#b3a369"}};
const Attributes kMissing = {{"shape", "box"}, {"style", "dashed"}, {"color", "#999999"}, {"fontcolor", "#777777"}};
const Attributes kDisabled = {
    {"style", "dashed,filled"}, {"fillcolor", "#f2f2f2"}, {"color", "#999999"}, {"fontcolor", "#777777"}};
const Attributes kDisabledEdge = {{"style", "dashed"}, {"color", "#999999"}, {"fontcolor", "#777777"}};
const Attributes kInstance = {{"style", "rounded"}, {"color", "#555555"}, {"fontsize", "14"}};
const Attributes kConnection = {{"color", "#c0392b"}, {"fontcolor", "#c0392b"}, {"penwidth", "2.5"}, {"minlen", "2"}};

// A board picture reads left to right: components on the left, the part in
// the middle, components and then connectors on the right.
Graph empty_graph(const std::string& id, Lines label) {
    Graph graph;
    graph.root.id = id;
    graph.root.label = std::move(label);
    graph.root.attributes = {{"rankdir", "LR"},  {"labelloc", "t"},  {"fontname", "Helvetica"},
                             {"fontsize", "16"}, {"nodesep", "0.3"}, {"ranksep", "0.5"},
                             {"pad", "0.3"}};
    // Margins leave room for a wider font than the Helvetica metrics Graphviz
    // lays SVG text out with (DejaVu Sans, where Helvetica is missing).
    graph.nodeDefaults = {{"fontname", "Helvetica"}, {"fontsize", "11"}, {"margin", "0.25,0.06"}};
    graph.edgeDefaults = {
        {"fontname", "Helvetica"}, {"fontsize", "10"}, {"dir", "none"}, {"color", "#4a6fa5"}, {"fontcolor", "#2f4b7c"}};
    return graph;
}

void append(Attributes& to, const Attributes& more) { to.insert(to.end(), more.begin(), more.end()); }

std::string count_of(std::size_t count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

bool is_connector(const HBOBoardComponent& component) { return component.getType() == "connector"; }

std::size_t pin_count(const HBOBoardComponent& component) {
    std::vector<HBOPinProps*> pins;
    component.getPinsVec(pins);
    return pins.size();
}

// The pins of an interface, counted as get_board_part_pins -of_objects
// lists them: schema 2, the pins its pin maps name that its owner has;
// older boards, the pins of the pin-file port each port map names.
std::size_t interface_pin_count(const HBOBusIf& busIf) {
    const HBOBoardComponent* owner = busIf.getOwnerComponent();
    if (!owner) return 0;
    std::size_t count = 0;
    if (HBOBoardUtils::isV2SchemaBoard(&busIf)) {
        for (const auto& logical : busIf.getPortMaps()) {
            if (!logical.second) continue;
            for (const auto& mapped : logical.second->getPinPortMap())
                count += owner->findPin(mapped.second) != nullptr;
        }
        return count;
    }
    std::vector<HBOPortMap*> maps;
    busIf.getPortMapSeq(maps);
    for (const HBOPortMap* map : maps) {
        HBOModelPort* port = nullptr;
        if (!owner->getModelPortByName(port, map->getPhysicalPort()) || !port) continue;
        std::vector<HBOPinProps*> pins;
        port->getPortPropsSeq(pins);
        count += pins.size();
    }
    return count;
}

std::size_t net_count(const HBOBoardBus& bus, bool all) {
    std::vector<HBOBoardBusNet*> nets;
    bus.getBoardBusNets(nets);
    return std::count_if(nets.begin(), nets.end(), [all](const HBOBoardBusNet* net) {
        return all || HBOCTcBoardQuery::exactly_true(net->getIsEnabled());
    });
}

bool component_enabled(const HBOBoardComponent& component) {
    return HBOCTcBoardQuery::true_in_any_case(component.getIsEnabled());
}

// A name as one part of a node id. Parts are joined with "/", so "/" and
// the escape character, a backslash, are escaped with a backslash: no two
// names' ids can meet.
std::string id_part(const std::string& name) {
    std::string part;
    for (char c : name) {
        if (c == '/' || c == '\\') part += '\\';
        part += c;
    }
    return part;
}

// "0-7, 10-17": the pin indexes of a connector as ranges; past three
// ranges, the rest is summed up.
std::string index_ranges(const HBOBoardComponent& component) {
    std::vector<HBOPinProps*> pins;
    component.getPinsVec(pins);
    if (pins.empty()) return "no pins";
    std::vector<uint32_t> indexes;
    indexes.reserve(pins.size());
    for (const HBOPinProps* pin : pins) indexes.push_back(pin->getPinIndex());
    std::sort(indexes.begin(), indexes.end());
    indexes.erase(std::unique(indexes.begin(), indexes.end()), indexes.end());
    std::string text;
    int ranges = 0;
    for (std::size_t first = 0; first < indexes.size();) {
        std::size_t last = first;
        while (last + 1 < indexes.size() && indexes[last + 1] == indexes[last] + 1) ++last;
        if (++ranges > 3) return text + ", ... (" + count_of(indexes.size(), "pin", "pins") + ")";
        if (!text.empty()) text += ", ";
        text += std::to_string(indexes[first]);
        if (last > first) text += "-" + std::to_string(indexes[last]);
        first = last + 1;
    }
    return text;
}

// One board drawn into a cluster: its nodes go there, its edges to the
// graph. Node ids are the component names after prefix (the instance name
// and "/" in a diagram).
class BoardDrawing {
public:
    BoardDrawing(const HBOBoard& board, bool all, std::string prefix, Cluster& into, std::vector<Edge>& edges)
        : board_(board), all_(all), prefix_(std::move(prefix)), into_(into), edges_(edges) {}

    void draw() {
        std::vector<HBOBoardComponent*> components;
        board_.getBoardComponentsVec(components);
        for (const HBOBoardComponent* component : components)
            if (component && (all_ || component_enabled(*component))) drawn_.push_back(component);
        for (const HBOBoardComponent* component : drawn_)
            add_node(component_node(*component), is_connector(*component));
        const std::size_t firstEdge = edges_.size();
        for (const HBOBoardComponent* component : drawn_) link_interfaces(*component);
        link_buses();
        add_link_edges();
        place_around_part(firstEdge);
    }

    // The node of a drawn component, or empty.
    std::string node_of(const std::string& componentName) const {
        for (const HBOBoardComponent* component : drawn_)
            if (component->getComponentName() == componentName) return id_of(*component);
        return std::string();
    }

private:
    // What joins two components: one line per interface and per bus.
    struct Link {
        const HBOBoardComponent* from;
        const HBOBoardComponent* to;
        Lines label;
        bool enabled;  // a line of it is enabled
    };

    std::string id_of(const HBOBoardComponent& component) const {
        return prefix_ + id_part(component.getComponentName());
    }

    Node component_node(const HBOBoardComponent& component) const {
        Node node{id_of(component), {component.getComponentName()}, {}};
        const std::string display = component.getDisplayName();
        if (!display.empty() && display != component.getComponentName()) node.label.push_back(display);
        const std::string kind = component.isFpga()               ? component.getPartName()
                                 : component.getSubType().empty() ? component.getType()
                                                                  : component.getSubType();
        const std::string pins = count_of(pin_count(component), "pin", "pins");
        node.label.push_back(kind.empty() ? pins : kind + ", " + pins);
        node.attributes = component.isFpga() ? kPart : is_connector(component) ? kConnector : kChip;
        if (!component_enabled(component)) {
            node.label.push_back("(disabled)");
            append(node.attributes, kDisabled);
        }
        return node;
    }

    const HBOBoardComponent* drawn(const std::string& componentName) const {
        for (const HBOBoardComponent* component : drawn_)
            if (component->getComponentName() == componentName) return component;
        return nullptr;
    }

    void add_line(const HBOBoardComponent& from, const HBOBoardComponent& to, std::string line, bool enabled) {
        const auto key = std::minmax({&from, &to});
        auto found = linkIndex_.find(key);
        if (found == linkIndex_.end()) {
            found = linkIndex_.emplace(key, links_.size()).first;
            links_.push_back(Link{&from, &to, {}, false});
        }
        Link& link = links_[found->second];
        link.label.push_back(enabled ? std::move(line) : line + " (disabled)");
        link.enabled = link.enabled || enabled;
    }

    void link_interfaces(const HBOBoardComponent& owner) {
        std::vector<HBOBusIf*> interfaces;
        owner.getInterfacesVec(interfaces);
        for (const HBOBusIf* busIf : interfaces) {
            if (!busIf) continue;
            const bool enabled = HBOCTcBoardQuery::true_in_any_case(busIf->getIsEnabled());
            if (!enabled && !all_) continue;
            const std::string pins = count_of(interface_pin_count(*busIf), "pin", "pins");
            const HBOBoardComponent* peer = drawn(busIf->getOfComponent());
            if (peer && peer != &owner) {
                add_line(owner, *peer, busIf->getName() + ", " + pins, enabled);
            } else {
                add_loose_interface(owner, *busIf, pins, enabled);
            }
        }
    }

    // An interface of no drawn component: a note tied to its owner, saying
    // why its component is not there.
    void add_loose_interface(const HBOBoardComponent& owner, const HBOBusIf& busIf, const std::string& pins,
                             bool enabled) {
        Node node{id_of(owner) + "/" + id_part(busIf.getName()), {busIf.getName(), pins}, kLooseInterface};
        while (heights_.count(node.id)) node.id += "'";  // an interface name given twice
        const std::string peer = busIf.getOfComponent();
        if (!peer.empty() && peer != owner.getComponentName()) {
            const HBOBoardComponent* component = board_.findComponent(peer);
            node.label.push_back(peer + (component ? " (disabled)" : " (not on this board)"));
        }
        if (!enabled) {
            node.label.push_back("(disabled)");
            append(node.attributes, kDisabled);
        }
        Edge edge{id_of(owner), node.id, {}, {{"style", "dotted"}}};
        add_node(std::move(node), is_connector(owner));
        edges_.push_back(std::move(edge));
    }

    void link_buses() {
        std::vector<HBOBoardBus*> buses;
        board_.getBuses(buses);
        for (const HBOBoardBus* bus : buses) {
            if (!bus) continue;
            const bool enabled = HBOCTcBoardQuery::exactly_true(bus->getIsEnabled());
            const HBOBoardComponent* one = drawn(bus->getComp1());
            const HBOBoardComponent* two = drawn(bus->getComp2());
            if ((!enabled && !all_) || !one || !two) continue;
            add_line(*one, *two, "bus " + bus->getName() + ", " + count_of(net_count(*bus, all_), "net", "nets"),
                     enabled);
        }
    }

    void add_link_edges() {
        for (Link& link : links_) {
            Edge edge{id_of(*link.from), id_of(*link.to), std::move(link.label), {}};
            if (!link.enabled) append(edge.attributes, kDisabledEdge);
            edges_.push_back(std::move(edge));
        }
    }

    // The edges of the FPGA part go to its left or its right, so that it
    // sits in the middle: connectors to a column of their own at the far
    // right, the other components to the side that is shorter so far, in
    // board order. A side's length counts the label lines of each node and
    // of its edge. Other edges keep their direction. (A cluster around the
    // connectors would route the edges of many along its border, away from
    // their labels.)
    void place_around_part(std::size_t firstEdge) {
        const HBOBoardComponent* part = board_.findFpgaComponent();
        if (!part || !drawn(part->getComponentName())) return;
        const std::string centre = id_of(*part);
        std::size_t left = 0;
        std::size_t right = 0;
        std::vector<Edge*> others;
        for (std::size_t i = firstEdge; i < edges_.size(); ++i) {
            Edge& edge = edges_[i];
            if ((edge.tail == centre) == (edge.head == centre)) continue;
            if (edge.head == centre) std::swap(edge.tail, edge.head);
            if (connectors_.count(edge.head)) {
                right += length_of(edge);
                edge.attributes.push_back({"minlen", "2"});
            } else {
                others.push_back(&edge);
            }
        }
        for (Edge* edge : others) {
            if (left <= right) {
                left += length_of(*edge);
                std::swap(edge->tail, edge->head);
            } else {
                right += length_of(*edge);
            }
        }
    }

    // The room an edge and its outer node take on their side, in lines.
    std::size_t length_of(const Edge& edge) const {
        const auto lines = heights_.find(edge.head);
        return std::max(edge.label.size(), lines == heights_.end() ? std::size_t(1) : lines->second) + 1;
    }

    void add_node(Node node, bool connector) {
        heights_[node.id] = node.label.size();
        if (connector) connectors_.insert(node.id);
        into_.nodes.push_back(std::move(node));
    }

    const HBOBoard& board_;
    const bool all_;
    const std::string prefix_;
    Cluster& into_;
    std::vector<Edge>& edges_;
    std::vector<const HBOBoardComponent*> drawn_;
    std::vector<Link> links_;
    std::map<std::pair<const HBOBoardComponent*, const HBOBoardComponent*>, std::size_t> linkIndex_;
    std::map<std::string, std::size_t> heights_;  // node id -> label lines
    std::set<std::string> connectors_;            // node ids in the connector group
};

Lines board_title(const HBOBoard& board) {
    Lines title{board.getName()};
    const std::string display = board.getDisplayName();
    if (!display.empty() && display != board.getBoardName()) title.push_back(display);
    return title;
}

// "board#component" as written in a diagram; both empty unless the text
// holds exactly one "#".
std::pair<std::string, std::string> split_end(const std::string& joined) {
    const std::size_t hash = joined.find('#');
    if (hash == std::string::npos || joined.find('#', hash + 1) != std::string::npos) return {};
    return {joined.substr(0, hash), joined.substr(hash + 1)};
}

// The instances of a diagram as clusters, and the ends of its connections.
class DiagramDrawing {
public:
    DiagramDrawing(const HBOBoard& diagram, bool all, Graph& graph) : diagram_(diagram), all_(all), graph_(graph) {}

    void draw() {
        for (const auto& instance : diagram_.getConnectedBoards()) add_instance(instance.first, instance.second);
        for (const auto& connection : diagram_.getConnectedComponents()) {
            const End one = end_of(split_end(connection.first));
            const End two = end_of(split_end(connection.second));
            graph_.edges.push_back(Edge{one.node, two.node, {one.text() + " <-> " + two.text()}, kConnection});
        }
    }

private:
    struct Instance {
        std::size_t cluster;  // in graph_.root.clusters
        const HBOBoard* board;
        std::map<std::string, std::string> nodes;  // component name -> node id, of every drawn component
    };
    struct End {
        std::string node, name, ranges;
        std::string text() const { return ranges.empty() ? name : name + " " + ranges; }
    };

    void add_instance(const std::string& name, const std::string& baseBoard) {
        Cluster cluster{name, {name, baseBoard}, kInstance, {}, {}};
        Instance instance{graph_.root.clusters.size(), HBOBoardCReposMgr::getGlobal()->findBoard(baseBoard), {}};
        if (instance.board) {
            BoardDrawing drawing(*instance.board, all_, id_part(name) + "/", cluster, graph_.edges);
            drawing.draw();
            std::vector<HBOBoardComponent*> components;
            instance.board->getBoardComponentsVec(components);
            for (const HBOBoardComponent* component : components) {
                const std::string node = drawing.node_of(component->getComponentName());
                if (!node.empty()) instance.nodes[component->getComponentName()] = node;
            }
        } else {
            cluster.label.back() += " (not in the repository)";
            append(cluster.attributes, {{"style", "dashed"}});
        }
        graph_.root.clusters.push_back(std::move(cluster));
        instances_[name] = std::move(instance);
    }

    // The node of one end of a connection; a placeholder when the instance
    // or its component is not drawn, saying why.
    End end_of(const std::pair<std::string, std::string>& end) {
        const std::string& instanceName = end.first;
        const std::string& componentName = end.second;
        if (instances_.find(instanceName) == instances_.end()) {
            Cluster cluster{
                instanceName,
                {instanceName.empty() ? "(no board recorded)" : instanceName, "(not an instance of this diagram)"},
                kInstance,
                {},
                {}};
            append(cluster.attributes, {{"style", "dashed"}});
            instances_[instanceName] = Instance{graph_.root.clusters.size(), nullptr, {}};
            graph_.root.clusters.push_back(std::move(cluster));
        }
        Instance& instance = instances_[instanceName];
        const HBOBoardComponent* component = instance.board ? instance.board->findComponent(componentName) : nullptr;
        End result{id_part(instanceName) + "/" + id_part(componentName), componentName.empty() ? "?" : componentName,
                   component ? "[" + index_ranges(*component) + "]" : ""};
        auto found = instance.nodes.find(componentName);
        if (found != instance.nodes.end()) {
            result.node = found->second;
            return result;
        }
        Node node{result.node, {result.name}, kMissing};
        node.label.push_back(componentName.empty() ? "(no component recorded)"
                             : component           ? "(disabled)"
                             : instance.board      ? "(not on this board)"
                                                   : "(board not drawn)");
        graph_.root.clusters[instance.cluster].nodes.push_back(std::move(node));
        instance.nodes[componentName] = result.node;
        return result;
    }

    const HBOBoard& diagram_;
    const bool all_;
    Graph& graph_;
    std::map<std::string, Instance> instances_;
};

}  // namespace

namespace HBOCOutBoardPicture {

Graph board_graph(const HBOBoard& board, bool all) {
    Graph graph = empty_graph("board", board_title(board));
    BoardDrawing(board, all, std::string(), graph.root, graph.edges).draw();
    return graph;
}

Graph diagram_graph(const HBOBoard& diagram, bool all) {
    Lines title = board_title(diagram);
    title.push_back("board diagram");
    Graph graph = empty_graph("diagram", std::move(title));
    DiagramDrawing(diagram, all, graph).draw();
    return graph;
}

}  // namespace HBOCOutBoardPicture
