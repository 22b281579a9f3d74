// A picture as a graph to lay out: nested clusters of nodes, and edges, each
// with Graphviz attributes. Labels are plain text lines; the renderer escapes
// them, so that what is built here never depends on an output format.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace HBOCOutPicture {

// Graphviz attribute name and value, in the order they are set.
using Attributes = std::vector<std::pair<std::string, std::string>>;
// Label lines, shown one under the other, centred.
using Lines = std::vector<std::string>;

struct Node {
    std::string id;  // unique in the graph
    Lines label;
    Attributes attributes;
};

struct Edge {
    std::string tail, head;  // node ids
    Lines label;
    Attributes attributes;
};

// A cluster is drawn as a box around its nodes; the graph itself is the
// outermost one (its id names the graph, its attributes are the graph's).
struct Cluster {
    std::string id;  // unique in the graph
    Lines label;
    Attributes attributes;
    std::vector<Node> nodes;
    std::vector<Cluster> clusters;
};

struct Graph {
    Cluster root;
    Attributes nodeDefaults, edgeDefaults;
    std::vector<Edge> edges;
};

}  // namespace HBOCOutPicture
