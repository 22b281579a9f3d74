#include "tcltasks_journal.h"

#include "HSTStringUtils.h"
#include "tcl_value_text.h"

namespace tov {
namespace tcltasks {

namespace {

// Words this long or shorter, with a string, are quoted straight from it.
constexpr std::size_t kShortWord = 300;

// Whether Tcl would quote the word in a list: empty, a leading "#" on the
// first word, or a character that means something to the parser.
bool needs_quoting(const char* text, std::size_t length, bool first) {
    if (length == 0 || (first && text[0] == '#')) return true;
    for (std::size_t i = 0; i < length; ++i) {
        switch (text[i]) {
            case ' ':
            case '\t':
            case '\n':
            case '\r':
            case '\v':
            case '\f':
            case '{':
            case '}':
            case '[':
            case ']':
            case '$':
            case '"':
            case '\\':
            case ';':
                return true;
            default:
                break;
        }
    }
    return false;
}

void append_element(std::string& line, const char* text, std::size_t length, bool first) {
    if (!needs_quoting(text, length, first)) {
        line.append(text, length);
        return;
    }
    int flags = 0;
    const int size = static_cast<int>(length);
    const std::size_t start = line.size();
    line.resize(start + static_cast<std::size_t>(Tcl_ScanCountedElement(text, size, &flags)));
    const int written = Tcl_ConvertCountedElement(text, size, &line[start], flags | (first ? 0 : TCL_DONT_QUOTE_HASH));
    line.resize(start + static_cast<std::size_t>(written));
}

void append_word(std::string& line, Tcl_Obj* word, bool first) {
    if (!first) line += ' ';
    if (word->bytes && static_cast<std::size_t>(word->length) <= kShortWord) {
        append_element(line, word->bytes, static_cast<std::size_t>(word->length), first);
        return;
    }
    const std::string excerpt = excerpt_of(word);
    append_element(line, excerpt.data(), excerpt.size(), first);
}

}  // namespace

command_journal& command_journal::instance() {
    // Never destroyed: commands may run from other libraries' static destructors.
    static command_journal* journal = new command_journal;
    return *journal;
}

void command_journal::record(int objc, Tcl_Obj* const objv[]) {
    // One line per thread reused from call to call: no allocation once warm.
    thread_local std::string line;
    line.clear();
    int i = 0;
    for (; i < objc && line.size() < max_entry_bytes; ++i) append_word(line, objv[i], i == 0);
    if (i < objc) line += " ... (" + std::to_string(objc - i) + " more words)";
    if (line.size() > max_entry_bytes) line = HSTStringUtils::excerpt(line, max_entry_bytes / 3);
    store(line);
}

void command_journal::store(const std::string& line) {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (ring_.empty()) ring_.resize(max_bytes);
    while (count_ > 0 && (count_ == max_entries || used_ + line.size() > max_bytes)) drop_oldest();
    const std::size_t firstPart = std::min(line.size(), max_bytes - head_);
    line.copy(&ring_[head_], firstPart);
    line.copy(&ring_[0], line.size() - firstPart, firstPart);
    spans_[(first_ + count_) % max_entries] = span{head_, line.size()};
    ++count_;
    used_ += line.size();
    head_ = (head_ + line.size()) % max_bytes;
}

void command_journal::drop_oldest() {
    used_ -= spans_[first_].length;
    first_ = (first_ + 1) % max_entries;
    --count_;
}

std::deque<std::string> command_journal::entries() const {
    const std::lock_guard<std::mutex> lock(mutex_);
    std::deque<std::string> out;
    for (std::size_t i = 0; i < count_; ++i) {
        const span& entry = spans_[(first_ + i) % max_entries];
        const std::size_t firstPart = std::min(entry.length, max_bytes - entry.offset);
        out.emplace_back(ring_, entry.offset, firstPart);
        out.back().append(ring_, 0, entry.length - firstPart);
    }
    return out;
}

void command_journal::clear() {
    const std::lock_guard<std::mutex> lock(mutex_);
    first_ = count_ = used_ = head_ = 0;
}

}  // namespace tcltasks
}  // namespace tov
