// Pictures of boards and diagrams: what the graph holds (every component,
// interface, bus and connector, the part in the middle, the disabled ones
// only when asked), and what Graphviz makes of it: well-formed SVG in which
// every name reads as it is written, special characters included.
#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <algorithm>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "HBOBoardCReposMgr.h"
#include "HBOBoardModel.h"
#include "HBOCOutBoardPicture.h"
#include "HBOCOutGraphviz.h"
#include "HBOParser.h"
#include "HTCErrors.h"

namespace {

using namespace HBOCOutPicture;
using HBOCOutBoardPicture::board_graph;
using HBOCOutBoardPicture::diagram_graph;
using HBOCOutGraphviz::Format;

const HBOBoard& sample(const std::string& name) {
    const HBOBoard* board = HBOBoardCReposMgr::getGlobal()->findBoard(name);
    if (!board) throw std::runtime_error("no sample board " + name);
    return *board;
}

std::vector<const Node*> all_nodes(const Cluster& cluster) {
    std::vector<const Node*> nodes;
    for (const Node& node : cluster.nodes) nodes.push_back(&node);
    for (const Cluster& inner : cluster.clusters) {
        const std::vector<const Node*> more = all_nodes(inner);
        nodes.insert(nodes.end(), more.begin(), more.end());
    }
    return nodes;
}

const Node* node(const Graph& graph, const std::string& id) {
    for (const Node* candidate : all_nodes(graph.root))
        if (candidate->id == id) return candidate;
    return nullptr;
}

// The label lines of every edge between a and b, either way.
Lines edge_lines(const Graph& graph, const std::string& a, const std::string& b) {
    Lines lines;
    for (const Edge& edge : graph.edges)
        if ((edge.tail == a && edge.head == b) || (edge.tail == b && edge.head == a))
            lines.insert(lines.end(), edge.label.begin(), edge.label.end());
    return lines;
}

bool has_minlen(const Edge& edge) {
    return std::any_of(edge.attributes.begin(), edge.attributes.end(),
                       [](const auto& attribute) { return attribute.first == "minlen"; });
}

bool has(const Lines& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// Every text of an SVG as a reader sees it, or a failure when it is not
// well-formed XML.
std::vector<std::string> svg_texts(const std::string& svg) {
    pugi::xml_document document;
    const pugi::xml_parse_result parsed = document.load_buffer(svg.data(), svg.size());
    EXPECT_TRUE(parsed) << parsed.description() << " at offset " << parsed.offset;
    std::vector<std::string> texts;
    for (const pugi::xpath_node& text : document.select_nodes("//*[local-name()='text' or local-name()='title']"))
        texts.push_back(text.node().child_value());
    return texts;
}

bool shows(const std::vector<std::string>& texts, const std::string& text) {
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

bool shows_prefix(const std::vector<std::string>& texts, const std::string& prefix) {
    return std::any_of(texts.begin(), texts.end(), [&](const std::string& t) { return t.rfind(prefix, 0) == 0; });
}

TEST(BoardPicture, DisabledObjectsOnlyWithAll) {
    const HBOBoard& cobalt = sample("acme.com:cobalt_x4:2.0");
    const Graph enabled = board_graph(cobalt, false);
    const Graph all = board_graph(cobalt, true);

    EXPECT_EQ(node(enabled, "fan_ctrl"), nullptr);
    ASSERT_NE(node(all, "fan_ctrl"), nullptr);
    EXPECT_TRUE(has(node(all, "fan_ctrl")->label, "(disabled)"));
    // Interfaces and buses: "True" counts for an interface, only "true" for a bus or a net.
    EXPECT_TRUE(has(edge_lines(enabled, "part0", "user_leds"), "user_leds, 8 pins"));
    EXPECT_FALSE(has(edge_lines(enabled, "part0", "user_leds"), "bus part0_user_leds, 8 nets"));
    EXPECT_TRUE(has(edge_lines(all, "part0", "user_leds"), "bus part0_user_leds, 8 nets (disabled)"));
    EXPECT_EQ(edge_lines(enabled, "part0", "J5"), (Lines{"bus part0_J5, 16 nets", "bus part0_J5_spare, 1 net"}));
    EXPECT_EQ(edge_lines(all, "part0", "J5"), (Lines{"j5_gpio, 16 pins (disabled)", "j5_gpio_low, 8 pins (disabled)",
                                                     "bus part0_J5, 16 nets", "bus part0_J5_spare, 2 nets"}));
    EXPECT_EQ(node(enabled, "J5")->label, (Lines{"J5", "2x10 expansion header", "hdr_2x10, 20 pins"}));
    EXPECT_EQ(node(enabled, "part0")->label, (Lines{"part0", "X4 FPGA", "ac-x4-160-fb484-2, 287 pins"}));
}

TEST(BoardPicture, PartInTheMiddleConnectorsFarRight) {
    const Graph graph = board_graph(sample("acme.com:cobalt_x4:2.0"), true);
    int left = 0;
    int right = 0;
    for (const Edge& edge : graph.edges) {
        ASSERT_TRUE(edge.tail == "part0" || edge.head == "part0") << edge.tail << " " << edge.head;
        const bool connector = edge.tail == "J5" || edge.head == "J5";
        EXPECT_EQ(connector, has_minlen(edge));
        if (connector) {
            EXPECT_EQ(edge.tail, "part0");
        }
        (edge.head == "part0" ? left : right) += 1;
    }
    EXPECT_GE(left, 3);
    EXPECT_GE(right, 3);
}

TEST(BoardPicture, InterfaceWithoutItsComponentHangsOffItsOwner) {
    HBOBoard board;
    board.setName("vnd", "odd", "1.0");
    board.setSchemaVersion("2.1");
    HBOBoardComponent* part = board.addComponent(std::make_unique<HBOBoardComponent>(
        HBOBoardComponent::Attributes{"part0", "fpga", "", "", "", "", "", "true", ""}, &board));
    HBOBusIf::Attributes loose{"spi", "master", "vnd:busdef:spi:1.0", "flash", "", "true"};
    part->addBusIf(std::make_unique<HBOBusIf>(loose, part));
    // A component whose name reads like the note's id.
    board.addComponent(std::make_unique<HBOBoardComponent>(
        HBOBoardComponent::Attributes{"part0/spi", "chip", "", "", "", "", "", "true", ""}, &board));
    const Graph graph = board_graph(board, false);
    ASSERT_NE(node(graph, "part0\\/spi"), nullptr);
    EXPECT_EQ(node(graph, "part0\\/spi")->label.front(), "part0/spi");
    const Node* note = node(graph, "part0/spi");
    ASSERT_NE(note, nullptr);
    EXPECT_EQ(note->label, (Lines{"spi", "0 pins", "flash (not on this board)"}));
    EXPECT_EQ(std::count_if(graph.edges.begin(), graph.edges.end(),
                            [](const Edge& edge) {
                                return (edge.tail == "part0") != (edge.head == "part0") &&
                                       (edge.tail == "part0/spi") != (edge.head == "part0/spi");
                            }),
              1);
}

TEST(BoardPicture, DiagramKeepsConnectionsToWhatIsMissing) {
    HBOBoard diagram;
    diagram.setName("vnd", "pair", "1.0");
    diagram.setIntegrated(true);
    diagram.addConnectedBoard("host", "acme.com:cobalt_x4:2.0");
    diagram.addConnectedBoard("gone", "vnd:no_such_board:1.0");
    diagram.addConnectedComponents("host", "J5", "gone", "P9");
    diagram.addConnectedComponents("host", "fan_ctrl", "stray", "J1");
    const Graph graph = diagram_graph(diagram, false);

    EXPECT_EQ(edge_lines(graph, "host/J5", "gone/P9"), Lines{"J5 [0-19] <-> P9"});
    EXPECT_EQ(node(graph, "gone/P9")->label, (Lines{"P9", "(board not drawn)"}));
    EXPECT_EQ(node(graph, "host/fan_ctrl")->label, (Lines{"fan_ctrl", "(disabled)"}));
    EXPECT_EQ(node(graph, "stray/J1")->label, (Lines{"J1", "(board not drawn)"}));
    std::set<Lines> clusters;
    for (const Cluster& cluster : graph.root.clusters) clusters.insert(cluster.label);
    EXPECT_EQ(clusters, (std::set<Lines>{{"host", "acme.com:cobalt_x4:2.0"},
                                         {"gone", "vnd:no_such_board:1.0 (not in the repository)"},
                                         {"stray", "(not an instance of this diagram)"}}));
}

class Rendered : public ::testing::Test {
protected:
    void SetUp() override {
        if (!HBOCOutGraphviz::available()) GTEST_SKIP() << "built without Graphviz (see WithoutGraphviz)";
    }
};

TEST(WithoutGraphviz, SaysPicturesNeedIt) {
    if (HBOCOutGraphviz::available()) GTEST_SKIP() << "built with Graphviz";
    try {
        HBOCOutGraphviz::render(board_graph(sample("acme.com:cobalt_x4:2.0"), false), Format::svg);
        FAIL() << "no error";
    } catch (const HTCErrors::error& error) {
        EXPECT_EQ(std::string(error.what()).rfind("pictures need Graphviz", 0), 0u) << error.what();
    }
}

// Every board of the sample repository, older schema included.
TEST_F(Rendered, SvgOfEverySampleBoardNamesEverything) {
    std::vector<HBOBoard*> boards;
    HBOBoardCReposMgr::getGlobal()->appendAllBoards(boards);
    ASSERT_GE(boards.size(), 8u);
    for (const HBOBoard* board : boards) {
        SCOPED_TRACE(board->getName());
        const std::vector<std::string> texts =
            svg_texts(HBOCOutGraphviz::render(board_graph(*board, true), Format::svg));
        EXPECT_TRUE(shows(texts, board->getName()));
        std::vector<HBOBoardComponent*> components;
        board->getBoardComponentsVec(components);
        for (const HBOBoardComponent* component : components) {
            EXPECT_TRUE(shows(texts, component->getComponentName())) << component->getComponentName();
            if (component->getType() == "connector") {
                EXPECT_TRUE(shows_prefix(texts, component->getSubType() + ", ")) << component->getComponentName();
            }
            std::vector<HBOBusIf*> interfaces;
            component->getInterfacesVec(interfaces);
            for (const HBOBusIf* busIf : interfaces)
                EXPECT_TRUE(shows_prefix(texts, busIf->getName() + ", ")) << busIf->getName();
        }
    }
}

TEST_F(Rendered, DiagramShowsBothBoardsAndTheConnection) {
    HBOBoard diagram;
    ASSERT_TRUE(HBOParser().parseFile(ZEM_TEST_DATA_DIR "/diagrams/cobalt_with_lumen/board.xml", &diagram));
    const std::vector<std::string> texts =
        svg_texts(HBOCOutGraphviz::render(diagram_graph(diagram, false), Format::svg));
    for (const char* text : {"host", "acme.com:cobalt_x4:2.0", "leds", "zephyr-labs.org:lumen_leds:1.0", "part0",
                             "led_bar", "J5 [0-19] <-> P1 [0-19]", "host/J5->leds/P1"})
        EXPECT_TRUE(shows(texts, text)) << text;
}

// Names as a board file could hold them: XML and Graphviz specials, an
// entity, escape sequences, a control character and a malformed byte.
TEST_F(Rendered, SpecialCharactersSurvive) {
    const std::string odd = "R&amp;<1> \"q\" 'a' \\N x\\\\y &foo; \xC3\xA9";
    Graph graph;
    graph.root.id = "g";
    graph.root.label = {"title " + odd};
    graph.root.clusters.push_back(Cluster{odd, {"cluster " + odd}, {}, {Node{odd, {odd, "tab\there"}, {}}}, {}});
    graph.root.nodes.push_back(Node{"bad\xFF",
                                    {"bad\xFF"
                                     "byte",
                                     "ctl\x01"},
                                    {}});
    graph.edges.push_back(Edge{odd, "bad\xFF", {"edge " + odd}, {}});

    const std::vector<std::string> texts = svg_texts(HBOCOutGraphviz::render(graph, Format::svg));
    for (const std::string& text :
         {"title " + odd, "cluster " + odd, odd,
          std::string("bad\xEF\xBF\xBD"
                      "byte"),
          std::string("ctl\xEF\xBF\xBD"), std::string("tab\xEF\xBF\xBDhere"), "edge " + odd, odd + "->bad\xEF\xBF\xBD"})
        EXPECT_TRUE(shows(texts, text)) << text;

    const std::string dot = HBOCOutGraphviz::render(graph, Format::dot);
    EXPECT_EQ(dot.rfind("digraph g {", 0), 0u) << dot;
}

TEST_F(Rendered, TooBigToLayOutIsRefusedButItsTextIsWritten) {
    Graph graph;
    for (int i = 0; i <= 1000; ++i) graph.root.nodes.push_back(Node{"n" + std::to_string(i), {}, {}});
    EXPECT_THROW(HBOCOutGraphviz::render(graph, Format::svg), HTCErrors::error);
    EXPECT_NE(HBOCOutGraphviz::render(graph, Format::dot).find("n1000"), std::string::npos);
}

TEST_F(Rendered, EdgeBetweenUnknownNodesIsAnError) {
    Graph graph;
    graph.edges.push_back(Edge{"a", "b", {}, {}});
    EXPECT_THROW(HBOCOutGraphviz::render(graph, Format::svg), HTCErrors::error);
}

}  // namespace
