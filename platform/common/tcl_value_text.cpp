#include "tcl_value_text.h"

#include <algorithm>
#include <unordered_map>
#include <vector>

#include "HSTStringUtils.h"
#include "HTCErrors.h"
#include "tcltasks_objects.h"

namespace tov {
namespace tcltasks {

namespace {

// Bytes quoted from each end of a long value, as HSTStringUtils::excerpt does.
constexpr std::size_t kEnds = 100;
// Sub-lists deeper than this are shown as "..." in an excerpt.
constexpr int kShownNesting = 16;

const Tcl_ObjType* list_type() {
    static const Tcl_ObjType* type = Tcl_GetObjType("list");
    return type;
}

const Tcl_ObjType* dict_type() {
    static const Tcl_ObjType* type = Tcl_GetObjType("dict");
    return type;
}

bool is_container(Tcl_Obj* obj) { return obj->typePtr && (obj->typePtr == list_type() || obj->typePtr == dict_type()); }

// A list or dict whose string Tcl would build from its elements' strings.
bool builds_from_elements(Tcl_Obj* obj) { return !obj->bytes && is_container(obj); }

// The words of a list (as Tcl keeps them) or of a dict (keys and values in
// order, gathered into own).
struct words_view {
    Tcl_Obj** words = nullptr;
    int count = 0;
    std::vector<Tcl_Obj*> own;

    explicit words_view(Tcl_Obj* container) {
        if (container->typePtr == list_type()) {
            Tcl_ListObjGetElements(nullptr, container, &count, &words);
            return;
        }
        Tcl_DictSearch search;
        Tcl_Obj* key = nullptr;
        Tcl_Obj* value = nullptr;
        int done = 0;
        if (Tcl_DictObjFirst(nullptr, container, &search, &key, &value, &done) != TCL_OK) return;
        for (; !done; Tcl_DictObjNext(&search, &key, &value, &done)) {
            own.push_back(key);
            own.push_back(value);
        }
        Tcl_DictObjDone(&search);
        words = own.data();
        count = static_cast<int>(own.size());
    }
    words_view(words_view&&) = default;
};

std::string quoted_element(const std::string& text, bool first) {
    int flags = 0;
    const int length = static_cast<int>(text.size());
    std::string out(static_cast<std::size_t>(Tcl_ScanCountedElement(text.data(), length, &flags)), '\0');
    const int written =
        Tcl_ConvertCountedElement(text.data(), length, &out[0], flags | (first ? 0 : TCL_DONT_QUOTE_HASH));
    out.resize(static_cast<std::size_t>(written));
    return out;
}

std::string excerpt_at(Tcl_Obj* obj, int depth);

// The words from first and last, each quoted as its excerpt, with a note of
// how many were left out between them.
template <class WordText>
std::string words_excerpt(std::size_t count, WordText word_text) {
    std::string head;
    std::size_t front = 0;
    while (front < count && head.size() < kEnds) {
        if (front) head += ' ';
        head += word_text(front++);
    }
    std::vector<std::string> tail;
    std::size_t tailBytes = 0;
    std::size_t back = count;
    while (back > front && tailBytes < kEnds) {
        tail.push_back(word_text(--back));
        tailBytes += tail.back().size() + 1;
    }
    if (back > front) head += " ... (" + std::to_string(back - front) + " words left out) ...";
    for (auto word = tail.rbegin(); word != tail.rend(); ++word) head += ' ' + *word;
    return head;
}

std::string container_excerpt(Tcl_Obj* container, int depth) {
    if (depth >= kShownNesting) return "...";
    const words_view view(container);
    return words_excerpt(static_cast<std::size_t>(view.count),
                         [&](std::size_t i) { return quoted_element(excerpt_at(view.words[i], depth + 1), i == 0); });
}

std::string byte_array_excerpt(Tcl_Obj* obj) {
    int length = 0;
    unsigned char* bytes = Tcl_GetByteArrayFromObj(obj, &length);
    const auto size = static_cast<std::size_t>(length);
    if (size <= 3 * kEnds) return Tcl_GetString(obj);
    auto text_of = [](const unsigned char* from, std::size_t count) {
        Tcl_Obj* part = Tcl_NewByteArrayObj(from, static_cast<int>(count));
        Tcl_IncrRefCount(part);
        std::string text = Tcl_GetString(part);
        Tcl_DecrRefCount(part);
        return text;
    };
    return text_of(bytes, kEnds) + " ... (" + std::to_string(size - 2 * kEnds) + " bytes left out) ... " +
           text_of(bytes + size - kEnds, kEnds);
}

std::string excerpt_at(Tcl_Obj* obj, int depth) {
    if (obj->bytes) return HSTStringUtils::excerpt(obj->bytes, static_cast<std::size_t>(obj->length), kEnds);
    if (is_container(obj)) return container_excerpt(obj, depth);
    if (const collection_wrapper_base* collection = detail::get_collection(obj)) {
        // As the collection's own string: element texts joined by blanks.
        return words_excerpt(collection->size(), [&](std::size_t i) {
            return HSTStringUtils::excerpt(collection->element_text(i), kEnds);
        });
    }
    static const Tcl_ObjType* byteArrayType = Tcl_GetObjType("bytearray");
    if (obj->typePtr && obj->typePtr == byteArrayType) return byte_array_excerpt(obj);
    int length = 0;
    const char* text = Tcl_GetStringFromObj(obj, &length);
    return HSTStringUtils::excerpt(text, static_cast<std::size_t>(length), kEnds);
}

}  // namespace

bool has_safe_text(Tcl_Obj* root) {
    if (!builds_from_elements(root)) return true;
    // Depth-first with a stack of our own; the height (levels of element-built
    // strings below and including a container) of each container already
    // walked is kept, so that a value sharing one sub-list many times is
    // walked once per distinct object.
    struct frame {
        Tcl_Obj* obj;
        words_view view;
        int next;
        int height;  // greatest height of the children walked so far
    };
    std::unordered_map<Tcl_Obj*, int> heights;
    std::vector<frame> stack;
    stack.push_back(frame{root, words_view(root), 0, 0});
    while (!stack.empty()) {
        frame& top = stack.back();
        if (top.next == top.view.count) {
            const int height = top.height + 1;
            heights[top.obj] = height;
            stack.pop_back();
            if (!stack.empty()) stack.back().height = std::max(stack.back().height, height);
            continue;
        }
        Tcl_Obj* child = top.view.words[top.next++];
        if (!builds_from_elements(child)) continue;
        const auto known = heights.find(child);
        if (known != heights.end()) {
            if (static_cast<int>(stack.size()) + known->second > max_text_nesting) return false;
            top.height = std::max(top.height, known->second);
            continue;
        }
        if (static_cast<int>(stack.size()) + 1 > max_text_nesting) return false;
        stack.push_back(frame{child, words_view(child), 0, 0});
    }
    return true;
}

const char* safe_string(Tcl_Obj* obj, int* length) {
    if (!has_safe_text(obj)) {
        throw HTCErrors::error("value \"" + excerpt_of(obj) + "\" nests lists more than " +
                                   std::to_string(max_text_nesting) + " deep; it cannot be used as text",
                               HEXAll::Kind::value);
    }
    return Tcl_GetStringFromObj(obj, length);
}

std::string excerpt_of(Tcl_Obj* obj) { return obj ? excerpt_at(obj, 0) : std::string(); }

}  // namespace tcltasks
}  // namespace tov
