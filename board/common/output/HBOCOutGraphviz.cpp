// The picture graph in Graphviz: cgraph builds it, gvc lays it out with dot
// and renders SVG or PNG in memory; the dot format is cgraph's own text of
// the graph. Built without Graphviz, render() says that pictures need it.
//
// Labels are plain Graphviz labels. HTML-like and record labels would look
// richer, but Graphviz 2.42 (Debian 12) leaks memory on each of them: its
// free_html_text frees the text of every span but not the span array, and
// parse_reclbl loses the text of every record field. Plain labels leak
// nothing; what dot itself leaks on clusters (diagram pictures) is told in
// tests/pictures/lsan.supp.
#include "HBOCOutGraphviz.h"

#include "HTCErrors.h"

#ifdef ZEM_HAVE_GRAPHVIZ

#include <gvc.h>
#include <gvplugin.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <vector>

extern "C" {
extern gvplugin_library_t gvplugin_dot_layout_LTX_library;
extern gvplugin_library_t gvplugin_core_LTX_library;
}

namespace {

using namespace HBOCOutPicture;

// dot and the SVG and dot renderers are linked in: their text sizes come
// from Graphviz's own font metrics, so an SVG is the same on every machine
// and no font library is loaded. PNG needs the cairo renderer, which
// Graphviz loads as a plugin named in its configuration.
const lt_symlist_t kLinkedPlugins[] = {{"gvplugin_dot_layout_LTX_library", &gvplugin_dot_layout_LTX_library},
                                       {"gvplugin_core_LTX_library", &gvplugin_core_LTX_library},
                                       {nullptr, nullptr}};

struct ContextRelease {
    void operator()(GVC_t* context) const { gvFreeContext(context); }
};
using Context = std::unique_ptr<GVC_t, ContextRelease>;

// One context per kind for the life of the library: Graphviz reads its
// plugin configuration once per context.
GVC_t* context_for(HBOCOutGraphviz::Format format) {
    static const Context linked(gvContextPlugins(kLinkedPlugins, 0));
    if (format != HBOCOutGraphviz::Format::png) return linked.get();
    static const Context loading(gvContextPlugins(kLinkedPlugins, 1));
    return loading.get();
}

// Graphviz keeps global state (the graph dictionaries' defaults, its error
// handler, static buffers), so one picture at a time per process.
std::mutex& graphviz_lock() {
    static std::mutex lock;
    return lock;
}

// Graphviz's messages while one picture is made; a failure quotes them.
std::string* collected = nullptr;
extern "C" int collect_message(char* text) {
    if (collected && text && collected->size() < 4096) collected->append(text);
    return 0;
}
class MessageCapture {
public:
    MessageCapture() : previous_(agseterrf(collect_message)) { collected = &text_; }
    ~MessageCapture() {
        agseterrf(previous_);
        collected = nullptr;
    }
    MessageCapture(const MessageCapture&) = delete;
    MessageCapture& operator=(const MessageCapture&) = delete;
    // The messages as one line, or a default when Graphviz said nothing.
    std::string reason(const char* otherwise) const {
        std::string line;
        for (char c : text_) line += (c == '\n' || c == '\r') ? ' ' : c;
        while (!line.empty() && line.back() == ' ') line.pop_back();
        return line.empty() ? std::string(otherwise) : line;
    }

private:
    agusererrf previous_;
    std::string text_;
};

// The code point of the UTF-8 sequence at text[i], and its length; length
// 0 for a malformed sequence.
std::pair<unsigned long, std::size_t> decode(const std::string& text, std::size_t i) {
    const unsigned char lead = static_cast<unsigned char>(text[i]);
    if (lead < 0x80) return {lead, 1};
    std::size_t length = lead >= 0xC2 && lead <= 0xDF   ? 2
                         : lead >= 0xE0 && lead <= 0xEF ? 3
                         : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                        : 0;
    if (length == 0 || i + length > text.size()) return {0, 0};
    unsigned long code = lead & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) {
        const unsigned char next = static_cast<unsigned char>(text[i + k]);
        if ((next & 0xC0) != 0x80) return {0, 0};
        code = (code << 6) | (next & 0x3F);
    }
    const unsigned long smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < smallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return {0, 0};
    return {code, length};
}

// Text that Graphviz shows as it is and that an SVG file can hold: every
// byte of a malformed sequence, every control character and the two
// non-characters XML forbids become U+FFFD; "&" is written as an entity,
// since Graphviz decodes entities in names and labels.
std::string displayable(const std::string& text) {
    std::string shown;
    shown.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto [code, length] = decode(text, i);
        if (length == 0 || code < 0x20 || code == 0x7F || code == 0xFFFE || code == 0xFFFF) {
            shown += "\xEF\xBF\xBD";
            i += length ? length : 1;
        } else {
            if (code == '&') {
                shown += "&amp;";
            } else {
                shown.append(text, i, length);
            }
            i += length;
        }
    }
    return shown;
}

// A label: the lines joined with Graphviz's line break, backslashes doubled
// so that none starts an escape sequence (\N, \G, \n, ...).
std::string label_text(const Lines& lines) {
    std::string text;
    for (const std::string& line : lines) {
        if (&line != &lines.front()) text += "\\n";
        for (char c : displayable(line)) {
            if (c == '\\') text += '\\';
            text += c;
        }
    }
    return text;
}

char* writable(const std::string& text) { return const_cast<char*>(text.c_str()); }

struct GraphRelease {
    void operator()(Agraph_t* graph) const { agclose(graph); }
};

// Object ids in the order names are first given. Graphviz's own ids are the
// addresses of its copies of the names, and it writes subgraphs in id order,
// so the graph text would follow the heap's layout from run to run.
namespace name_ids {

// The names are Graphviz's own copies (agstrdup), which it may look into and
// frees with the graph.
struct State {
    Agraph_t* graph;
    std::map<std::string, IDTYPE> ids;
    std::vector<char*> names;  // by id / 2 - 1
    IDTYPE anonymous = 1;
};

void* open(Agraph_t* graph, Agdisc_t*) { return new State{graph, {}, {}}; }

long map(void* state, int, char* str, IDTYPE* id, int create) {
    State& ids = *static_cast<State*>(state);
    if (!str) {
        *id = ids.anonymous;
        ids.anonymous += 2;
        return 1;
    }
    auto found = ids.ids.find(str);
    if (found == ids.ids.end()) {
        if (!create) return 0;
        ids.names.push_back(agstrdup(ids.graph, str));
        found = ids.ids.emplace(str, 2 * ids.names.size()).first;
    }
    *id = found->second;
    return 1;
}

long alloc(void*, int, IDTYPE) { return 0; }
void release(void*, int, IDTYPE) {}

char* print(void* state, int, IDTYPE id) {
    const State& ids = *static_cast<State*>(state);
    if (id % 2 != 0 || id == 0 || id / 2 > ids.names.size()) return nullptr;
    return ids.names[id / 2 - 1];
}

void close(void* state) { delete static_cast<State*>(state); }
void enlist(void*, int, void*) {}

Agiddisc_t discipline = {open, map, alloc, release, print, close, enlist};
Agdisc_t graph_discipline = {&AgMemDisc, &discipline, &AgIoDisc};

}  // namespace name_ids

// Builds the cgraph graph of a picture graph. Ids become Graphviz names:
// displayable, and made unique again when two differed only in bytes that
// displayable() replaced.
class Builder {
public:
    explicit Builder(const Graph& graph) : picture_(graph) {}

    std::unique_ptr<Agraph_t, GraphRelease> build() {
        Agdesc_t directed = Agdirected;
        std::unique_ptr<Agraph_t, GraphRelease> root(
            agopen(writable(unique_name(picture_.root.id)), directed, &name_ids::graph_discipline));
        if (!root) throw HTCErrors::error("Graphviz could not make a graph");
        agattr(root.get(), AGNODE, writable("label"), writable("\\N"));
        for (const auto& attribute : picture_.nodeDefaults)
            agattr(root.get(), AGNODE, writable(attribute.first), writable(attribute.second));
        for (const auto& attribute : picture_.edgeDefaults)
            agattr(root.get(), AGEDGE, writable(attribute.first), writable(attribute.second));
        fill(root.get(), picture_.root);
        for (const Edge& edge : picture_.edges) add_edge(root.get(), edge);
        return root;
    }

private:
    std::string unique_name(const std::string& id) {
        const std::string base = displayable(id);
        std::string name = base;
        for (int n = 2; !names_.insert(name).second; ++n) name = base + "~" + std::to_string(n);
        return name;
    }

    static void set(void* object, const std::string& name, const std::string& value) {
        agsafeset(object, writable(name), writable(value), writable(""));
    }

    static void set_all(void* object, const Attributes& attributes, const Lines& label) {
        for (const auto& attribute : attributes) set(object, attribute.first, attribute.second);
        if (!label.empty()) set(object, "label", label_text(label));
    }

    void fill(Agraph_t* graph, const Cluster& cluster) {
        set_all(graph, cluster.attributes, cluster.label);
        for (const Node& node : cluster.nodes) {
            Agnode_t* made = agnode(graph, writable(unique_name(node.id)), 1);
            if (!nodes_.emplace(node.id, made).second) {
                throw HTCErrors::error("picture node \"" + node.id + "\" is given twice");
            }
            set_all(made, node.attributes, node.label);
        }
        for (const Cluster& inner : cluster.clusters) {
            Agraph_t* sub = agsubg(graph, writable(unique_name("cluster_" + inner.id)), 1);
            fill(sub, inner);
        }
    }

    void add_edge(Agraph_t* root, const Edge& edge) {
        const auto tail = nodes_.find(edge.tail);
        const auto head = nodes_.find(edge.head);
        if (tail == nodes_.end() || head == nodes_.end()) {
            throw HTCErrors::error("picture edge between unknown nodes \"" + edge.tail + "\" and \"" + edge.head +
                                   "\"");
        }
        Agedge_t* made = agedge(root, tail->second, head->second, nullptr, 1);
        set_all(made, edge.attributes, edge.label);
    }

    const Graph& picture_;
    std::set<std::string> names_;
    std::map<std::string, Agnode_t*> nodes_;
};

std::string graph_text(Agraph_t* graph) {
    char* buffer = nullptr;
    std::size_t size = 0;
    FILE* stream = open_memstream(&buffer, &size);
    if (!stream) throw HTCErrors::error("no memory for the picture's graph text");
    const int written = agwrite(graph, stream);
    std::fclose(stream);
    std::string text(buffer ? buffer : "", size);
    std::free(buffer);
    if (written != 0) throw HTCErrors::error("Graphviz could not write the graph text");
    return text;
}

const char* format_name(HBOCOutGraphviz::Format format) {
    return format == HBOCOutGraphviz::Format::png ? "png" : "svg";
}

// dot's layout grows faster than the graph: 1,000 components take seconds,
// a chain of 20,000 minutes. Past these sizes a picture is refused rather
// than left to run; nobody could read it anyway.
constexpr std::size_t kMaxLaidOutNodes = 1000;
constexpr std::size_t kMaxLaidOutEdges = 5000;

std::size_t node_count(const Cluster& cluster) {
    std::size_t count = cluster.nodes.size();
    for (const Cluster& inner : cluster.clusters) count += node_count(inner);
    return count;
}

void require_layout_size(const Graph& graph) {
    const std::size_t nodes = node_count(graph.root);
    if (nodes <= kMaxLaidOutNodes && graph.edges.size() <= kMaxLaidOutEdges) return;
    throw HTCErrors::error("the picture would have " + std::to_string(nodes) + " boxes and " +
                               std::to_string(graph.edges.size()) + " lines, more than the " +
                               std::to_string(kMaxLaidOutNodes) + " boxes or " + std::to_string(kMaxLaidOutEdges) +
                               " lines that Graphviz lays out in reasonable time: draw less (without -all), or "
                               "write -format dot and lay it out with Graphviz's own tools",
                           HEXAll::Kind::value);
}

std::string laid_out(GVC_t* context, Agraph_t* graph, HBOCOutGraphviz::Format format, const MessageCapture& messages) {
    if (!context || gvLayout(context, graph, "dot") != 0) {
        throw HTCErrors::error("Graphviz could not lay out the picture: " + messages.reason("no reason given"));
    }
    char* data = nullptr;
    unsigned int length = 0;
    const int rendered = gvRenderData(context, graph, format_name(format), &data, &length);
    std::string bytes = rendered == 0 && data ? std::string(data, length) : std::string();
    if (data) gvFreeRenderData(data);
    gvFreeLayout(context, graph);
    if (rendered != 0) {
        throw HTCErrors::error(std::string("Graphviz could not draw the picture as ") + format_name(format) + ": " +
                               messages.reason("its renderer is not installed"));
    }
    return bytes;
}

}  // namespace

bool HBOCOutGraphviz::available() { return true; }

std::string HBOCOutGraphviz::render(const Graph& graph, Format format) {
    if (format != Format::dot) require_layout_size(graph);
    std::lock_guard<std::mutex> hold(graphviz_lock());
    MessageCapture messages;
    auto built = Builder(graph).build();
    if (format == Format::dot) return graph_text(built.get());
    // A bitmap's pixels stay bounded: a larger drawing is scaled down to 60
    // inches (5,760 pixels) a side.
    if (format == Format::png) agsafeset(built.get(), writable("size"), writable("60,60"), writable(""));
    return laid_out(context_for(format), built.get(), format, messages);
}

#else

bool HBOCOutGraphviz::available() { return false; }

std::string HBOCOutGraphviz::render(const HBOCOutPicture::Graph&, Format) {
    throw HTCErrors::error(
        "pictures need Graphviz, and these board commands were built without it: install Graphviz's development "
        "files (Debian: libgraphviz-dev) and build again");
}

#endif
