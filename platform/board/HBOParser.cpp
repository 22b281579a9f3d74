// Board file reading: board.xml (schema 2.x and 1.x), pin files, preset files
// and integrated board files. Every problem names the file, the line and
// what was wrong.
#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <boost/filesystem.hpp>
#include <pugixml.hpp>

#include "HBOBoardInternal.h"
#include "HBOBoardModel.h"
#include "HBOParser.h"
#include "HUTSafeFile.h"

namespace {

// A problem in a file, found while reading it.
struct FileProblem {
    std::ptrdiff_t offset;  // byte offset in the file, -1 when unknown
    std::string reason;
};

// One XML file, parsed in place: pin files of thousands of pins are read
// often enough that a second copy of the text shows in the load time.
class XmlFile {
public:
    explicit XmlFile(std::string path) : path_(std::move(path)) {}

    // Reads and parses the file and checks the root element's name.
    pugi::xml_node load(const char* rootName) {
        std::size_t size = 0;
        text_ = readText(size, &identity_);
        pugi::xml_parse_result result = doc_.load_buffer_inplace(text_.get(), size);
        if (!result) throw FileProblem{result.offset, std::string("malformed XML: ") + result.description()};
        pugi::xml_node root = doc_.document_element();
        if (std::strcmp(root.name(), rootName) != 0)
            throw FileProblem{root.offset_debug(),
                              std::string("the root element is <") + root.name() + ">, expected <" + rootName + ">"};
        return root;
    }

    // The parser rewrites the text it holds, so lines are counted in a fresh read.
    int lineOf(std::ptrdiff_t offset) const {
        if (offset < 0) return 0;
        std::size_t size = 0;
        std::unique_ptr<char[]> text;
        try {
            text = readText(size);
        } catch (const FileProblem&) {
            return 0;
        }
        const char* begin = text.get();
        const char* end = begin + std::min<std::ptrdiff_t>(offset, static_cast<std::ptrdiff_t>(size));
        return 1 + static_cast<int>(std::count(begin, end, '\n'));
    }

    // The lines of many offsets at the price of one fresh read; 0 for each
    // when the file can no longer be read.
    std::vector<int> linesOf(const std::vector<std::ptrdiff_t>& offsets) const {
        std::vector<int> lines(offsets.size(), 0);
        std::size_t size = 0;
        std::unique_ptr<char[]> text;
        try {
            text = readText(size);
        } catch (const FileProblem&) {
            return lines;
        }
        std::vector<std::size_t> order(offsets.size());
        for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
        std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return offsets[a] < offsets[b]; });
        std::size_t at = 0;
        int line = 1;
        for (std::size_t i : order) {
            const auto end = static_cast<std::size_t>(std::max<std::ptrdiff_t>(0, offsets[i]));
            for (; at < std::min(end, size); ++at) line += text[at] == '\n';
            lines[i] = line;
        }
        return lines;
    }

    const std::string& path() const { return path_; }
    // What the file was when load() read it, or found it could not.
    const HBOBoardInternal::FileIdentity& identity() const { return identity_; }

private:
    // Only regular files are read: a folder, pipe or device named like a
    // board file would fail oddly or block. The file is opened without
    // blocking and checked again once open, as it may have been replaced
    // since it was listed. Left unfilled before the read: zeroing a large
    // file first costs time for nothing. The file's identity, when asked
    // for, is the last one taken before reading.
    std::unique_ptr<char[]> readText(std::size_t& size, HBOBoardInternal::FileIdentity* identity = nullptr) const {
        struct stat info {};
        if (::stat(path_.c_str(), &info) != 0) {
            if (identity) identity->error = errno;
            throw unreadable();
        }
        if (identity) *identity = HBOBoardInternal::identityOf(info);
        if (!S_ISREG(info.st_mode)) throw notRegular(info.st_mode);
        const int fd = ::open(path_.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) throw unreadable();
        const std::unique_ptr<int, void (*)(int*)> closer(new int(fd), [](int* f) {
            ::close(*f);
            delete f;
        });
        if (::fstat(fd, &info) != 0) throw unreadable();
        if (identity) *identity = HBOBoardInternal::identityOf(info);
        if (!S_ISREG(info.st_mode)) throw notRegular(info.st_mode);
        if (info.st_size > HBOBoardInternal::kMaxDataFileSize)
            throw FileProblem{-1, "is " + std::to_string(info.st_size) + " bytes long; files of more than " +
                                      std::to_string(HBOBoardInternal::kMaxDataFileSize) + " bytes are not read"};
        std::unique_ptr<char[]> text(new char[static_cast<std::size_t>(info.st_size) + 1]);
        size = 0;
        while (size < static_cast<std::size_t>(info.st_size)) {
            const ssize_t got = ::read(fd, text.get() + size, static_cast<std::size_t>(info.st_size) - size);
            if (got < 0 && errno == EINTR) continue;
            if (got < 0) throw unreadable();
            if (got == 0) break;  // it shrank since fstat: read what is there
            size += static_cast<std::size_t>(got);
        }
        return text;
    }

    static FileProblem unreadable() { return FileProblem{-1, std::string("cannot be read: ") + std::strerror(errno)}; }
    static FileProblem notRegular(mode_t mode) {
        return FileProblem{-1, std::string("is not a regular file but ") + HUTSafeFile::fileKind(mode)};
    }

    std::string path_;
    HBOBoardInternal::FileIdentity identity_;
    std::unique_ptr<char[]> text_;  // the parsed document points into it
    pugi::xml_document doc_;
};

std::string attr(const pugi::xml_node& node, const char* name, const char* fallback = "") {
    return node.attribute(name).as_string(fallback);
}

FileProblem missingAttribute(const pugi::xml_node& node, const char* name) {
    return FileProblem{node.offset_debug(), std::string("<") + node.name() + "> has no '" + name + "' attribute"};
}

pugi::xml_attribute requiredAttribute(const pugi::xml_node& node, const char* name) {
    pugi::xml_attribute attribute = node.attribute(name);
    if (!attribute) throw missingAttribute(node, name);
    return attribute;
}

std::string required(const pugi::xml_node& node, const char* name) { return requiredAttribute(node, name).as_string(); }

// The text of attribute name of node as an unsigned 32-bit number: digits only.
uint32_t unsignedValue(const pugi::xml_node& node, const char* name, const char* text) {
    uint64_t value = 0;
    const char* digit = text;
    for (; *digit >= '0' && *digit <= '9' && value <= UINT32_MAX; ++digit) value = value * 10 + (*digit - '0');
    if (digit == text || *digit != '\0' || value > UINT32_MAX)
        throw FileProblem{node.offset_debug(), std::string("'") + name + "' of <" + node.name() +
                                                   "> must be an unsigned integer, got '" + text + "'"};
    return static_cast<uint32_t>(value);
}

// A pin index as the files give it: an unsigned number no larger than the
// largest pin index. Larger ones are refused, as a connection range up to
// them would make billions of nets.
uint32_t pinIndexValue(const pugi::xml_node& node, const char* name, const char* text) {
    const uint32_t index = unsignedValue(node, name, text);
    if (index > HBOBoardInternal::kMaxPinIndex)
        throw FileProblem{node.offset_debug(), std::string("'") + name + "' of <" + node.name() + "> is " +
                                                   std::to_string(index) + ", above the largest pin index " +
                                                   std::to_string(HBOBoardInternal::kMaxPinIndex)};
    return index;
}

// The attributes of one element that a reader asks for, found in one pass:
// a lookup by name per attribute walks the element's list again each time.
// Files mostly give attributes in the order asked for, so the search for
// the next one starts after the last one found.
template <std::size_t N>
class AttributesOf {
public:
    AttributesOf(const pugi::xml_node& node, const char* const (&names)[N]) : node_(node), names_(names) {
        std::size_t next = 0;
        for (pugi::xml_attribute found = node.first_attribute(); found; found = found.next_attribute()) {
            std::size_t slot = slotOf(found.name(), next);
            if (slot == N) continue;
            if (!found_[slot]) found_[slot] = found;  // the first of a repeated name counts, as in node.attribute()
            next = slot + 1;
        }
    }

    const char* value(std::size_t slot, const char* fallback = "") const {
        return found_[slot] ? found_[slot].value() : fallback;
    }
    const char* required(std::size_t slot) const {
        if (!found_[slot]) throw missingAttribute(node_, names_[slot]);
        return found_[slot].value();
    }
    uint32_t pinIndex(std::size_t slot) const { return pinIndexValue(node_, names_[slot], required(slot)); }
    int intNumber(std::size_t slot) const { return found_[slot].as_int(0); }

private:
    // The slot asked for under name, searched from slot next on; N when none.
    // The first letters decide most mismatches without a full comparison.
    std::size_t slotOf(const char* name, std::size_t next) const {
        for (std::size_t tried = 0; tried < N; ++tried) {
            std::size_t slot = next + tried < N ? next + tried : next + tried - N;
            const char* wanted = names_[slot];
            if (wanted[0] == name[0] && std::strcmp(name, wanted) == 0) return slot;
        }
        return N;
    }

    const pugi::xml_node& node_;
    const char* const (&names_)[N];
    std::array<pugi::xml_attribute, N> found_;
};

// Whether normalising the path would leave it as it is: no "." or ".."
// part, no doubled or trailing separator. Most paths are so, and are
// handled without building path objects for every board.
bool isNormalPath(const std::string& path) {
    if (path.empty() || path.back() == '/') return false;
    std::size_t start = path[0] == '/' ? 1 : 0;
    while (start <= path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string::npos) end = path.size();
        const std::size_t length = end - start;
        if (length == 0 || (length == 1 && path[start] == '.') ||
            (length == 2 && path[start] == '.' && path[start + 1] == '.'))
            return false;
        start = end + 1;
    }
    return true;
}

// The folder of a file, as boost's parent_path gives it.
std::string folderOf(const std::string& file) {
    const std::size_t slash = file.rfind('/');
    if (!isNormalPath(file) || slash == 0) return boost::filesystem::path(file).parent_path().string();
    return slash == std::string::npos ? std::string() : file.substr(0, slash);
}

std::string fileNextTo(const std::string& boardFile, const std::string& name) {
    if (name.empty() || name[0] == '/') return name;
    const std::size_t slash = boardFile.rfind('/');
    if (slash != std::string::npos && slash != 0 && isNormalPath(boardFile) && isNormalPath(name))
        return boardFile.substr(0, slash + 1) + name;
    return (boost::filesystem::path(boardFile).parent_path() / name).lexically_normal().string();
}

// Children <item> of <list> below node, in file order.
template <class F>
void eachItem(const pugi::xml_node& node, const char* list, const char* item, F visit) {
    for (pugi::xml_node child : node.child(list).children(item)) visit(child);
}

// name, value and value_type of a <parameter>.
std::array<const char*, 3> parameterTexts(const pugi::xml_node& p) {
    static const char* const names[] = {"name", "value", "value_type"};
    AttributesOf<3> a(p, names);
    return {a.required(0), a.value(1), a.value(2)};
}

std::unique_ptr<HBOParameter> readParameter(const pugi::xml_node& p) {
    const auto texts = parameterTexts(p);
    return std::make_unique<HBOParameter>(texts[0], texts[1], texts[2]);
}

// Pin indexes met so far in one file.
class SeenIndexes {
public:
    // False when index was met before.
    bool insert(uint32_t index) {
        if (index >= seen_.size()) seen_.resize(std::max<std::size_t>(index + 1, 2 * seen_.size()));
        if (seen_[index]) return false;
        seen_[index] = true;
        return true;
    }

    bool contains(uint32_t index) const { return index < seen_.size() && seen_[index]; }
    bool empty() const { return seen_.empty(); }

private:
    std::vector<bool> seen_;
};

bool same(const char* a, const char* b) { return std::strcmp(a, b) == 0; }

// What a pin attribute is: a text property (an HBOPinProps::Attr), the
// index, the name, or a further attribute.
constexpr int kPinIndex = HBOPinProps::ATTR_COUNT;
constexpr int kPinName = kPinIndex + 1;
constexpr int kPinExtra = kPinIndex + 2;

// One comparison at most per attribute: pin files hold thousands of pins.
int pinSlotOf(const char* name) {
    using P = HBOPinProps;
    switch (name[0]) {
        case 'd':
            return same(name, "drive")       ? P::DRIVE
                   : same(name, "diff_term") ? P::DIFF_TERM
                   : same(name, "dqs_bias")  ? P::DQS_BIAS
                                             : kPinExtra;
        case 'e':
            return same(name, "equalization") ? P::EQUALIZATION : kPinExtra;
        case 'i':
            return same(name, "index")          ? kPinIndex
                   : same(name, "iostandard")   ? P::IOSTANDARD
                   : same(name, "ibuf_low_pwr") ? P::IBUF_LOW_PWR
                                                : kPinExtra;
        case 'l':
            return same(name, "loc") ? P::LOC : kPinExtra;
        case 'n':
            return same(name, "name") ? kPinName : kPinExtra;
        case 'o':
            return same(name, "odt") ? P::ODT : same(name, "output_impedance") ? P::OUTPUT_IMPEDANCE : kPinExtra;
        case 'p':
            return same(name, "pre_emphasis") ? P::PRE_EMPHASIS : kPinExtra;
        case 's':
            return same(name, "slew") ? P::SLEW : kPinExtra;
        default:
            return kPinExtra;
    }
}

// A further attribute keeps its name in capital letters, unless that is
// the name of a property every pin has (LOC, PORT, ...): the property
// answers from the pin itself, so such an attribute could never be read.
const std::string* extraAttrName(const char* name) {
    static const char* const pinProperties[] = {"NAME",         "INDEX",      "LOC",          "DIFF_TERM",
                                                "DRIVE",        "IOSTANDARD", "SLEW",         "OUTPUT_IMPEDANCE",
                                                "IBUF_LOW_PWR", "ODT",        "EQUALIZATION", "PRE_EMPHASIS",
                                                "DQS_BIAS",     "CLASS",      "COMPONENT",    "BOARD",
                                                "PORT"};
    std::string capital(name);
    for (char& c : capital) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (const char* fixed : pinProperties)
        if (capital == fixed) return nullptr;
    return HBOBoardInternal::keepExtraAttrName(capital);
}

// The attributes of one <pin> by what they are, pointing into the text
// they came from; the first of a repeated name counts, as in node.attribute().
struct PinFields {
    const char* index = nullptr;
    const char* name = nullptr;
    std::array<const char*, HBOPinProps::ATTR_COUNT> values{};
    std::vector<std::pair<const char*, const char*>> extras;  // name as written and value, in file order

    void clear() {
        index = name = nullptr;
        values.fill(nullptr);
        extras.clear();
    }
    void add(int slot, const char* attributeName, const char* value) {
        if (slot == kPinIndex) {
            if (!index) index = value;
        } else if (slot == kPinName) {
            if (!name) name = value;
        } else if (slot == kPinExtra) {
            extras.emplace_back(attributeName, value);
        } else if (!values[slot]) {
            values[slot] = value;
        }
    }
    void gather(const pugi::xml_node& p) {
        clear();
        for (pugi::xml_attribute a = p.first_attribute(); a; a = a.next_attribute())
            add(pinSlotOf(a.name()), a.name(), a.value());
    }
};

// Packed pins: a 32-bit count, then per pin its 32-bit index, its name and
// NUL, the codes and values of its further attributes, and a 0 byte. A
// text property has the code of its slot + 1, a further attribute the code
// kPackedExtra followed by its name; each name and value ends with a NUL
// (attribute values hold none).
constexpr char kPackedEnd = 0;
constexpr char kPackedExtra = static_cast<char>(HBOPinProps::ATTR_COUNT + 1);

void packNumber(uint32_t number, std::string& packed) {
    packed.append(reinterpret_cast<const char*>(&number), sizeof number);
}
uint32_t unpackNumber(const char*& at) {
    uint32_t number = 0;
    std::memcpy(&number, at, sizeof number);
    at += sizeof number;
    return number;
}
void packText(const char* text, std::string& packed) { packed.append(text, std::strlen(text) + 1); }
const char* unpackText(const char*& at) {
    const char* text = at;
    at += std::strlen(at) + 1;
    return text;
}

// Reads the <pin> elements of one file (or of one component's <pins>):
// unique indexes, and one shared style for pins alike.
class PinReader {
public:
    explicit PinReader(HBOBoardComponent* owner) : owner_(owner) {}

    // Reads the <pin> children of node into pins; port names an older pin file's port.
    void readAll(const pugi::xml_node& node, std::vector<HBOPinProps>& pins, const char* port = nullptr) {
        auto children = node.children();  // mostly pins: counting them all saves comparing names
        pins.reserve(pins.size() + static_cast<std::size_t>(std::distance(children.begin(), children.end())));
        const std::string* portText = port && *port ? table().text(port) : nullptr;
        for (pugi::xml_node p : node.children("pin")) {
            fields_.gather(p);
            pins.push_back(make(check(p), portText));
        }
    }

    // Checks the <pin> children of node as readAll does, and packs them
    // for unpackAll, which makes the pins later at a fraction of the memory.
    // The packing goes through scratch, which keeps its capacity from one
    // component to the next, so that the result is allocated once, to size.
    std::string packAll(const pugi::xml_node& node, std::string& scratch) {
        std::string& packed = scratch;
        packed.clear();
        packNumber(0, packed);
        uint32_t count = 0;
        for (pugi::xml_node p : node.children("pin")) {
            fields_.gather(p);
            packNumber(check(p), packed);
            packText(fields_.name, packed);
            for (std::size_t slot = 0; slot < fields_.values.size(); ++slot) {
                if (!fields_.values[slot]) continue;
                packed.push_back(static_cast<char>(slot + 1));
                packText(fields_.values[slot], packed);
            }
            for (const auto& extra : fields_.extras) {
                packed.push_back(kPackedExtra);
                packText(extra.first, packed);
                packText(extra.second, packed);
            }
            packed.push_back(kPackedEnd);
            ++count;
        }
        std::memcpy(&packed[0], &count, sizeof count);
        return std::string(packed);
    }

    // The pins packAll packed, in order.
    void unpackAll(const std::string& packed, std::vector<HBOPinProps>& pins) {
        if (packed.size() < sizeof(uint32_t)) return;
        const char* at = packed.data();
        pins.reserve(unpackNumber(at));
        for (const char* const end = packed.data() + packed.size(); at < end;) {
            fields_.clear();
            const uint32_t number = unpackNumber(at);
            fields_.name = unpackText(at);
            for (char code = *at++; code != kPackedEnd; code = *at++) {
                const char* name = code == kPackedExtra ? unpackText(at) : nullptr;
                fields_.add(code == kPackedExtra ? kPinExtra : code - 1, name, unpackText(at));
            }
            pins.push_back(make(number, nullptr));
        }
    }

    // The indexes of the pins read so far.
    SeenIndexes& seen() { return seen_; }

    // The styles the pins read so far point at; null when all are plain.
    std::shared_ptr<const HBOPinStyleTable> styles() {
        if (table_) table_->finishReading();
        return table_;
    }

private:
    // The index of the pin whose fields were gathered, once checked.
    uint32_t check(const pugi::xml_node& p) {
        if (!fields_.index) throw missingAttribute(p, "index");
        const uint32_t number = pinIndexValue(p, "index", fields_.index);
        if (!seen_.insert(number))
            throw FileProblem{p.offset_debug(), "pin index " + std::to_string(number) + " is used twice"};
        if (!fields_.name) throw missingAttribute(p, "name");
        return number;
    }

    // The pin of the fields gathered.
    HBOPinProps make(uint32_t number, const std::string* port) {
        extras_.clear();
        for (const auto& extra : fields_.extras) addExtra(extra.first, extra.second);
        HBOPinProps pin(fields_.name, number, owner_);
        if (fields_.values[HBOPinProps::LOC]) pin.setLoc(fields_.values[HBOPinProps::LOC]);
        pin.setStyle(styleOf(fields_.values, port));
        return pin;
    }

    void addExtra(const char* name, const char* value) {
        const std::string* kept = extraNameOf(name);
        if (!kept) return;
        for (const auto& extra : extras_)
            if (extra.first == kept) return;
        extras_.emplace_back(kept, value);
    }

    // Files repeat their few attribute names on every pin: each is kept once.
    const std::string* extraNameOf(const char* name) {
        for (const auto& known : extraNames_)
            if (known.first == name) return known.second;
        extraNames_.emplace_back(name, extraAttrName(name));
        return extraNames_.back().second;
    }

    const HBOPinProps::Style* styleOf(const std::array<const char*, HBOPinProps::ATTR_COUNT>& values,
                                      const std::string* port) {
        const HBOPinProps::Style& plain = HBOPinProps::plainStyle();
        bool isPlain = !port && extras_.empty();
        for (std::size_t i = HBOPinProps::LOC + 1; i < values.size(); ++i) isPlain = isPlain && !values[i];
        if (isPlain) return &plain;
        HBOPinProps::Style style = plain;
        for (std::size_t i = HBOPinProps::LOC + 1; i < values.size(); ++i)
            if (values[i]) style.attrs[i] = table().text(values[i]);
        if (port) style.port = port;
        for (const auto& extra : extras_) style.extras.emplace_back(extra.first, table().text(extra.second));
        if (last_ && *last_ == style) return last_;
        last_ = table().style(style);
        return last_;
    }

    HBOPinStyleTable& table() {
        if (!table_) table_ = std::make_shared<HBOPinStyleTable>();
        return *table_;
    }

    HBOBoardComponent* owner_;
    SeenIndexes seen_;
    PinFields fields_;  // of the pin being read
    std::shared_ptr<HBOPinStyleTable> table_;
    const HBOPinProps::Style* last_ = nullptr;                        // pins in a row mostly share their style
    std::vector<std::pair<const std::string*, const char*>> extras_;  // of the pin being read
    std::vector<std::pair<std::string, const std::string*>> extraNames_;
};

// Packed component details: a flag for schema 2, then the parameters, the
// interfaces and the component modes, each list behind its 32-bit count.
// Every text ends with a NUL, as pins' do. A parameter is its name, value
// and value type; a preferred IP its vendor, library, name, version and
// 32-bit order. An interface is its six attributes, parameters, preferred
// IPs and port maps; a port map its logical and physical port and, with
// schema 2, its dir, left and right and its pin maps: a 32-bit byte count,
// then index and pin of each, as HBOModelPort::addPinMaps takes them. A
// mode is its name, display name, enabled, interface names and preferred
// IPs.
class DetailsPacker {
public:
    explicit DetailsPacker(std::string& packed) : packed_(packed) { packed_.clear(); }

    void text(const char* text) { packText(text, packed_); }
    void flag(bool on) { packed_.push_back(on ? 1 : 0); }
    void number(uint32_t number) { packNumber(number, packed_); }
    // pack(child) for each child named item of parent, behind their count.
    template <class Pack>
    void each(const pugi::xml_node& parent, const char* item, Pack pack) {
        const std::size_t countAt = packed_.size();
        packNumber(0, packed_);
        uint32_t count = 0;
        for (pugi::xml_node child : parent.children(item)) {
            pack(child);
            ++count;
        }
        std::memcpy(&packed_[countAt], &count, sizeof count);
    }
    // Texts that pack() adds, behind their byte count.
    template <class Pack>
    void block(Pack pack) {
        const std::size_t sizeAt = packed_.size();
        packNumber(0, packed_);
        pack();
        const auto size = static_cast<uint32_t>(packed_.size() - sizeAt - sizeof(uint32_t));
        std::memcpy(&packed_[sizeAt], &size, sizeof size);
    }

private:
    std::string& packed_;
};

class DetailsUnpacker {
public:
    explicit DetailsUnpacker(const std::string& packed) : at_(packed.data()) {}

    std::string_view text() {
        const std::string_view text(at_);
        at_ += text.size() + 1;
        return text;
    }
    bool flag() { return *at_++ != 0; }
    uint32_t number() { return unpackNumber(at_); }
    // make() once for each item of a list.
    template <class Make>
    void each(Make make) {
        for (uint32_t count = number(); count > 0; --count) make();
    }
    // The texts of a block.
    std::string_view block() {
        const uint32_t size = number();
        const std::string_view texts(at_, size);
        at_ += size;
        return texts;
    }

private:
    const char* at_;
};

void packParameter(DetailsPacker& pack, const pugi::xml_node& p) {
    for (const char* text : parameterTexts(p)) pack.text(text);
}

std::unique_ptr<HBOParameter> unpackParameter(DetailsUnpacker& in) {
    const std::string_view name = in.text();
    const std::string_view value = in.text();
    return std::make_unique<HBOParameter>(name, value, in.text());
}

void packPreference(DetailsPacker& pack, const pugi::xml_node& p) {
    static const char* const names[] = {"vendor", "library", "name", "version", "order"};
    AttributesOf<5> a(p, names);
    pack.text(a.value(0));
    pack.text(a.value(1));
    pack.text(a.required(2));
    pack.text(a.value(3));
    pack.number(static_cast<uint32_t>(a.intNumber(4)));
}

std::unique_ptr<HBOBusIfPreference> unpackPreference(DetailsUnpacker& in) {
    const std::string_view vendor = in.text();
    const std::string_view library = in.text();
    const std::string_view name = in.text();
    const std::string_view version = in.text();
    return std::make_unique<HBOBusIfPreference>(vendor, library, name, version, static_cast<int>(in.number()));
}

// ---- board.xml

class BoardReader {
public:
    BoardReader(XmlFile& file, HBOBoard& board, std::vector<HBODroppedItem>* deferred = nullptr)
        : file_(file), board_(board), deferred_(deferred) {}

    void read(const pugi::xml_node& root) {
        readIdentity(root);
        if (board_.isIntegratedBoard()) {
            readConnectedBoards(root.child("connected_boards"));
            return;
        }
        board_.setPresetFile(fileNextTo(file_.path(), attr(root, "preset_file")));
        eachItem(root, "parameters", "parameter",
                 [this](const pugi::xml_node& p) { board_.addParameter(readParameter(p)); });
        eachItem(root, "jumpers", "jumper", [this](const pugi::xml_node& j) {
            board_.addJumper(
                std::make_unique<HBOJumper>(required(j, "name"), attr(j, "default_mode"), attr(j, "description")));
        });
        const pugi::xml_node components = root.child("components");
        components_.reserve(static_cast<std::size_t>(std::distance(components.begin(), components.end())));
        for (pugi::xml_node c : components.children("component")) readComponent(c);
        eachItem(root, "connections", "connection", [this](const pugi::xml_node& c) { readConnection(c); });
        eachItem(root, "ip_associated_rules", "ip_associated_rule", [this](const pugi::xml_node& r) { readRule(r); });
    }

private:
    void readIdentity(const pugi::xml_node& root) {
        std::string schema = required(root, "schema_version");
        char* end = nullptr;
        std::strtod(schema.c_str(), &end);
        if (schema.empty() || *end != '\0' || schema.find_first_not_of("0123456789.") != std::string::npos)
            throw FileProblem{root.offset_debug(), "schema_version must be a number such as 2.1, got '" + schema + "'"};
        pugi::xml_node version = root.child("file_version");
        if (!version) throw FileProblem{root.offset_debug(), "<board> has no <file_version>"};
        std::string name = required(root, "name");
        board_.setName(required(root, "vendor"), name, version.text().as_string());
        board_.setSchemaVersion(schema);
        schema2_ = std::strtod(schema.c_str(), nullptr) >= 2.0;
        board_.setDisplayName(attr(root, "display_name", name.c_str()));
        board_.setDescription(root.child("description").text().as_string());
        board_.setIntegrated(root.attribute("is_integrated").as_bool(false));
        board_.setBoardFile(file_.path());
        board_.setRepository(folderOf(file_.path()));
    }

    void readConnectedBoards(const pugi::xml_node& connected) {
        eachItem(connected, "base_boards", "base_board", [this](const pugi::xml_node& b) {
            board_.addConnectedBoard(required(b, "alias_name"), required(b, "id"));
        });
        eachItem(connected, "connectors", "connector", [this](const pugi::xml_node& c) {
            board_.addConnectedComponents(required(c, "board1"), required(c, "board1_connector"), required(c, "board2"),
                                          required(c, "board2_connector"));
        });
    }

    // The first child of each name a component reads, found in one pass.
    struct ComponentParts {
        pugi::xml_node description, parameters, interfaces, modes, pins;
        explicit ComponentParts(const pugi::xml_node& c) {
            for (pugi::xml_node child = c.first_child(); child; child = child.next_sibling()) {
                const char* name = child.name();
                pugi::xml_node* slot = nullptr;
                switch (name[0]) {
                    case 'd':
                        slot = same(name, "description") ? &description : nullptr;
                        break;
                    case 'p':
                        slot = same(name, "parameters") ? &parameters : same(name, "pins") ? &pins : nullptr;
                        break;
                    case 'i':
                        slot = same(name, "interfaces") ? &interfaces : nullptr;
                        break;
                    case 'c':
                        slot = same(name, "component_modes") ? &modes : nullptr;
                        break;
                    default:
                        break;
                }
                if (slot && !*slot) *slot = child;
            }
        }
    };

    void readComponent(const pugi::xml_node& c) {
        static const char* const names[] = {"name",         "type",         "sub_type", "part_name",
                                            "pin_map_file", "display_name", "vendor",   "enabled"};
        AttributesOf<8> found(c, names);
        HBOBoardComponent::Attributes a;
        a.name = found.required(0);
        a.type = found.required(1);
        a.subType = found.value(2);
        a.partName = found.value(3);
        a.pinMapFile = fileNextTo(file_.path(), found.value(4));
        a.displayName = found.value(5, a.name.c_str());
        a.vendor = found.value(6);
        a.isEnabled = found.value(7, "true");
        const ComponentParts parts(c);
        a.description = parts.description.text().as_string();
        // The name stays in the parsed text while the file is read.
        const auto seen = components_.insert(found.required(0));
        if (!seen.second) throw FileProblem{c.offset_debug(), "component '" + a.name + "' is defined twice"};
        components_.at(seen.first).hasPinFile = !a.pinMapFile.empty();
        HBOBoardComponent* component = board_.addComponent(std::make_unique<HBOBoardComponent>(std::move(a), &board_));
        packDetails(parts, component);
        if (parts.pins) {
            PinReader reader(component);
            component->setPackedPins(reader.packAll(parts.pins, scratch_));
            components_.at(seen.first).inlinePins = std::move(reader.seen());
        }
    }

    // Checks the parameters, interfaces and modes of a component as making
    // them would, and packs them for readPackedDetails.
    void packDetails(const ComponentParts& parts, HBOBoardComponent* component) {
        DetailsPacker pack(scratch_);
        pack.flag(schema2_);
        pack.each(parts.parameters, "parameter", [&](const pugi::xml_node& p) { packParameter(pack, p); });
        pack.each(parts.interfaces, "interface", [&](const pugi::xml_node& i) { packInterface(pack, i); });
        pack.each(parts.modes, "component_mode", [&](const pugi::xml_node& m) { packMode(pack, m); });
        component->setPackedDetails(std::string(scratch_));
    }

    void packInterface(DetailsPacker& pack, const pugi::xml_node& i) {
        static const char* const names[] = {"name", "mode", "type", "of_component", "preset_proc", "enabled"};
        AttributesOf<6> found(i, names);
        pack.text(found.required(0));
        for (std::size_t slot = 1; slot < 5; ++slot) pack.text(found.value(slot));
        pack.text(found.value(5, "true"));
        pack.each(i.child("parameters"), "parameter", [&](const pugi::xml_node& p) { packParameter(pack, p); });
        pack.each(i.child("preferred_ips"), "preferred_ip", [&](const pugi::xml_node& p) { packPreference(pack, p); });
        pack.each(i.child("port_maps"), "port_map", [&](const pugi::xml_node& m) { packPortMap(pack, m); });
    }

    void packPortMap(DetailsPacker& pack, const pugi::xml_node& m) {
        static const char* const names[] = {"logical_port", "physical_port", "dir", "left", "right"};
        AttributesOf<5> found(m, names);
        pack.text(found.required(0));
        pack.text(found.required(1));
        if (!schema2_) return;
        for (std::size_t slot = 2; slot < 5; ++slot) pack.text(found.value(slot));
        static const char* const pinNames[] = {"port_index", "component_pin"};
        pack.block([&] {
            for (pugi::xml_node p : m.child("pin_maps").children("pin_map")) {
                AttributesOf<2> pin(p, pinNames);
                pack.text(pin.required(0));
                pack.text(pin.required(1));
            }
        });
    }

    void packMode(DetailsPacker& pack, const pugi::xml_node& m) {
        static const char* const names[] = {"name", "display_name", "enabled"};
        AttributesOf<3> found(m, names);
        pack.text(found.required(0));
        pack.text(found.value(1, found.value(0)));
        pack.text(found.value(2, "true"));
        pack.each(m.child("interfaces"), "interface",
                  [&](const pugi::xml_node& i) { pack.text(requiredAttribute(i, "name").value()); });
        pack.each(m.child("preferred_ips"), "preferred_ip", [&](const pugi::xml_node& p) { packPreference(pack, p); });
    }

    void requireComponent(const pugi::xml_node& c, const std::string& name) {
        if (!components_.find(name))
            throw FileProblem{c.offset_debug(), "connection '" + attr(c, "name") + "' names component '" + name +
                                                    "', which the board does not have"};
    }

    // The index range st..end in either direction.
    static std::pair<uint32_t, int64_t> range(uint32_t st, uint32_t end) {
        return {st, static_cast<int64_t>(end) - static_cast<int64_t>(st)};
    }

    void readConnection(const pugi::xml_node& c) {
        std::string name = required(c, "name");
        std::string comp1 = required(c, "component1");
        std::string comp2 = required(c, "component2");
        requireComponent(c, comp1);
        requireComponent(c, comp2);
        std::string enabled = attr(c, "enabled", "true");
        HBOBoardBus* bus = board_.addBus(std::make_unique<HBOBoardBus>(name, comp1, comp2, enabled, &board_));
        static const char* const names[] = {"name",        "c1_st_index",  "c1_end_index",
                                            "c2_st_index", "c2_end_index", "enabled"};
        for (pugi::xml_node m : c.children("connection_map")) {
            AttributesOf<6> found(m, names);
            auto r1 = range(found.pinIndex(1), found.pinIndex(2));
            auto r2 = range(found.pinIndex(3), found.pinIndex(4));
            const std::string mapName = found.value(0, name.c_str());
            const int64_t count = std::llabs(r1.second) + 1;
            if (count != std::llabs(r2.second) + 1)
                throw FileProblem{m.offset_debug(), "connection_map '" + std::string(found.value(0)) + "' joins " +
                                                        std::to_string(count) + " pins of '" + comp1 + "' to " +
                                                        std::to_string(std::llabs(r2.second) + 1) + " pins of '" +
                                                        comp2 + "'; the ranges must have one length"};
            nets_ += count;
            if (nets_ > HBOBoardInternal::kMaxNetsPerBoard)
                throw FileProblem{m.offset_debug(), "the connection maps of the board make more than " +
                                                        std::to_string(HBOBoardInternal::kMaxNetsPerBoard) + " nets"};
            const std::string missing = missingPin(comp1, r1, count) + missingPin(comp2, r2, count);
            if (!missing.empty()) {
                const int line = file_.lineOf(m.offset_debug());
                HBODroppedItem dropped{HBODroppedItem::CONNECTION_MAP, file_.path(), line,
                                       "connection_map '" + mapName + "' names" + missing, mapName};
                if (deferred_) {
                    deferred_->push_back(dropped);
                } else {
                    HBOBoardInternal::warnBadFile(file_.path(), line, dropped.reason);
                }
                board_.addDroppedItem(std::move(dropped));
                continue;
            }
            addNetRange(*bus, {mapName, found.value(5, enabled.c_str()), r1.first, r2.first, r1.second < 0 ? -1 : 1,
                               r2.second < 0 ? -1 : 1, count});
        }
    }

    // " pin index N of component 'x', which lists no such pin" for the first
    // index of the range that a component listing its own <pins> lacks; empty
    // when it has them all, or lists none (its pins are in its pin file).
    std::string missingPin(const std::string& componentName, std::pair<uint32_t, int64_t> range, int64_t count) {
        const ComponentSeen& component = *components_.find(componentName);
        if (component.hasPinFile || component.inlinePins.empty()) return std::string();
        const int step = range.second < 0 ? -1 : 1;
        for (int64_t i = 0; i < count; ++i) {
            const auto index = static_cast<uint32_t>(range.first + i * step);
            if (!component.inlinePins.contains(index))
                return " pin index " + std::to_string(index) + " of component '" + componentName +
                       "', which lists no such pin";
        }
        return std::string();
    }

    void readRule(const pugi::xml_node& r) {
        std::string rule = required(r, "name");
        for (pugi::xml_node ip : r.children("ip")) {
            for (pugi::xml_node a : ip.children("associated_board_interface")) {
                std::string boardInterface = required(a, "name");
                auto preset =
                    std::make_unique<HBOIpPreset>(rule, attr(ip, "vendor"), attr(ip, "library"), required(ip, "name"),
                                                  attr(ip, "version"), attr(ip, "ip_interface"));
                preset->setBoardInterface(boardInterface);
                board_.addIpAssociatedPreset(boardInterface, std::move(preset));
            }
        }
    }

    // What the connections ask of a component: whether it exists, and the
    // indexes of its own <pins> (checked unless it has a pin file).
    struct ComponentSeen {
        bool hasPinFile = false;
        SeenIndexes inlinePins;
    };

    // The components read so far, by name: open addressing over hashes kept
    // in the slots, so that a board of tens of thousands of components
    // looks a name up in about one memory access.
    class ComponentTable {
    public:
        void reserve(std::size_t count) {
            entries_.reserve(count);
            grow(count);
        }
        // The position of name, and whether it was added now.
        std::pair<std::size_t, bool> insert(std::string_view name) {
            if (2 * (entries_.size() + 1) > slots_.size()) grow(entries_.size() + 1);
            const std::size_t hash = std::hash<std::string_view>()(name);
            std::size_t slot = hash & (slots_.size() - 1);
            for (; slots_[slot].entry != 0; slot = (slot + 1) & (slots_.size() - 1))
                if (slots_[slot].hash == hash && entries_[slots_[slot].entry - 1].first == name)
                    return {slots_[slot].entry - 1, false};
            entries_.emplace_back(name, ComponentSeen());
            slots_[slot] = {hash, entries_.size()};
            return {entries_.size() - 1, true};
        }
        const ComponentSeen* find(std::string_view name) const {
            if (slots_.empty()) return nullptr;
            const std::size_t hash = std::hash<std::string_view>()(name);
            for (std::size_t slot = hash & (slots_.size() - 1); slots_[slot].entry != 0;
                 slot = (slot + 1) & (slots_.size() - 1))
                if (slots_[slot].hash == hash && entries_[slots_[slot].entry - 1].first == name)
                    return &entries_[slots_[slot].entry - 1].second;
            return nullptr;
        }
        ComponentSeen& at(std::size_t position) { return entries_[position].second; }

    private:
        struct Slot {
            std::size_t hash = 0;
            std::size_t entry = 0;  // position + 1; 0 when free
        };
        void grow(std::size_t count) {
            std::size_t capacity = 16;
            while (capacity < 2 * count) capacity *= 2;
            if (capacity <= slots_.size()) return;
            std::vector<Slot> slots(capacity);
            for (const Slot& kept : slots_) {
                if (kept.entry == 0) continue;
                std::size_t slot = kept.hash & (capacity - 1);
                while (slots[slot].entry != 0) slot = (slot + 1) & (capacity - 1);
                slots[slot] = kept;
            }
            slots_.swap(slots);
        }
        std::vector<Slot> slots_;
        std::vector<std::pair<std::string_view, ComponentSeen>> entries_;
    };

    XmlFile& file_;
    HBOBoard& board_;
    std::vector<HBODroppedItem>* deferred_;  // warnings kept for the caller; sent at once when null
    bool schema2_ = false;                   // port maps name their pins
    int64_t nets_ = 0;                       // made by the connection maps read so far
    std::string scratch_;                    // packing space, reused by every component
    ComponentTable components_;
};

void report(const std::string& path, int line, const std::string& reason, HBODroppedItem* dropped) {
    if (dropped) {
        dropped->path = path;
        dropped->line = line;
        dropped->reason = reason;
    }
    HBOBoardInternal::warnBadFile(path, line, reason);
}

// Runs read on the file; a problem becomes a warning and false, and is
// kept in dropped when given.
template <class F>
bool readReporting(XmlFile& file, HBODroppedItem* dropped, F read) {
    try {
        read();
        return true;
    } catch (const FileProblem& problem) {
        report(file.path(), file.lineOf(problem.offset), problem.reason, dropped);
    } catch (const std::bad_alloc&) {
        report(file.path(), 0, "there is not enough memory to read it", dropped);
    }
    return false;
}

}  // namespace

HBOParser::HBOParser() = default;
HBOParser::~HBOParser() = default;

bool HBOParser::parseFile(const std::string& path, HBOBoard* board) {
    error_.clear();
    problem_ = HBODroppedItem{HBODroppedItem::BOARD_FILE, path, 0, std::string(), std::string()};
    XmlFile file(path);
    if (!board) {
        problem_.reason = "no board object to fill";
        error_ = HBOBoardInternal::describeProblem(path, 0, problem_.reason);
        return false;
    }
    const bool read = readReporting(file, &problem_, [&] { BoardReader(file, *board).read(file.load("board")); });
    if (!read) error_ = HBOBoardInternal::describeProblem(problem_.path, problem_.line, problem_.reason);
    return read;
}

HBOBoardFileRead HBOParser::readBoardFile(const std::string& path) {
    HBOBoardInternal::FileIdentity identity;
    return HBOBoardInternal::readBoardFile(path, identity);
}

void HBOParser::sendWarnings(const HBOBoardFileRead& read) {
    for (const HBODroppedItem& warning : read.warnings)
        HBOBoardInternal::warnBadFile(warning.path, warning.line, warning.reason);
}

namespace HBOBoardInternal {

HBOBoardFileRead readBoardFile(const std::string& path, FileIdentity& identity) {
    HBOBoardFileRead read;
    read.board.reset(new HBOBoard);
    XmlFile file(path);
    try {
        BoardReader(file, *read.board, &read.warnings).read(file.load("board"));
    } catch (const FileProblem& problem) {
        read.warnings.push_back({HBODroppedItem::BOARD_FILE, path, file.lineOf(problem.offset), problem.reason, ""});
        read.board.reset();
    } catch (const std::bad_alloc&) {
        read.warnings.push_back({HBODroppedItem::BOARD_FILE, path, 0, "there is not enough memory to read it", ""});
        read.board.reset();
    }
    identity = file.identity();
    return read;
}

PinFileContents loadPinFile(const std::string& path, HBOBoardComponent* owner, HBODroppedItem* dropped) {
    PinFileContents contents;
    XmlFile file(path);
    if (dropped) dropped->kind = HBODroppedItem::PIN_FILE;
    bool ok = readReporting(file, dropped, [&] {
        pugi::xml_node root = file.load("part_info");
        PinReader reader(owner);
        reader.readAll(root.child("pins"), contents.pins);
        for (pugi::xml_node p : root.child("ports").children("port")) {
            std::string name = required(p, "name");
            auto port = std::make_unique<HBOModelPort>(name, attr(p, "dir"), attr(p, "left"), attr(p, "right"), owner);
            reader.readAll(p, port->portPins(), name.c_str());
            contents.ports.push_back(std::move(port));
        }
        contents.styles = reader.styles();
    });
    return ok ? std::move(contents) : PinFileContents{};
}

PinFileContents readPackedPins(const std::string& packed, HBOBoardComponent* owner) {
    PinFileContents contents;
    PinReader reader(owner);
    reader.unpackAll(packed, contents.pins);
    contents.styles = reader.styles();
    return contents;
}

ComponentDetails readPackedDetails(const std::string& packed, HBOBoardComponent* owner) {
    ComponentDetails details;
    DetailsUnpacker in(packed);
    const bool schema2 = in.flag();
    in.each([&] { details.parameters.push_back(unpackParameter(in)); });
    in.each([&] {
        HBOBusIf::Attributes a;
        for (std::string* text : {&a.name, &a.mode, &a.type, &a.ofComponent, &a.presetProc, &a.isEnabled})
            *text = in.text();
        details.interfaces.push_back(std::make_unique<HBOBusIf>(a, owner));
        HBOBusIf& busIf = *details.interfaces.back();
        in.each([&] { busIf.addParameter(unpackParameter(in)); });
        in.each([&] { busIf.addPreference(unpackPreference(in)); });
        in.each([&] {
            const std::string_view logical = in.text();
            const std::string_view physical = in.text();
            std::unique_ptr<HBOModelPort> port;
            if (schema2) {
                const std::string_view dir = in.text();
                const std::string_view left = in.text();
                port = std::make_unique<HBOModelPort>(physical, dir, left, in.text(), owner);
                port->addPinMaps(in.block());
            }
            busIf.addPortMap(std::make_unique<HBOPortMap>(logical, physical), std::move(port));
        });
    });
    in.each([&] {
        const std::string name(in.text());
        const std::string displayName(in.text());
        details.modes.push_back(std::make_unique<HBOComponentMode>(name, displayName, std::string(in.text()), owner));
        HBOComponentMode& mode = *details.modes.back();
        in.each([&] { mode.addInterfaceName(std::string(in.text())); });
        in.each([&] { mode.addPreferredIp(unpackPreference(in)); });
    });
    return details;
}

bool scanPinFile(const std::string& path, std::vector<RawPin>& scanned) {
    XmlFile file(path);
    std::vector<RawPin> pins;
    std::vector<std::ptrdiff_t> offsets;
    try {
        const pugi::xml_node root = file.load("part_info");
        const auto take = [&](const pugi::xml_node& parent) {
            for (pugi::xml_node p : parent.children("pin")) {
                pins.push_back({attr(p, "index"), attr(p, "name"), attr(p, "loc"), 0});
                offsets.push_back(p.offset_debug());
            }
        };
        take(root.child("pins"));
        for (pugi::xml_node port : root.child("ports").children("port")) take(port);
    } catch (const FileProblem&) {
        return false;
    } catch (const std::bad_alloc&) {
        return false;
    }
    const std::vector<int> lines = file.linesOf(offsets);
    for (std::size_t i = 0; i < pins.size(); ++i) pins[i].line = lines[i];
    scanned.insert(scanned.end(), pins.begin(), pins.end());
    return true;
}

bool loadPresetFile(const std::string& path, const PresetSink& add, HBODroppedItem* dropped) {
    std::vector<std::pair<std::string, std::unique_ptr<HBOIpPreset>>> read;
    XmlFile file(path);
    if (dropped) dropped->kind = HBODroppedItem::PRESET_FILE;
    bool ok = readReporting(file, dropped, [&] {
        pugi::xml_node root = file.load("ip_presets");
        for (pugi::xml_node preset : root.children("ip_preset")) {
            std::string proc = required(preset, "preset_proc_name");
            for (pugi::xml_node ip : preset.children("ip")) {
                auto item = std::make_unique<HBOIpPreset>(proc, attr(ip, "vendor"), attr(ip, "library"),
                                                          required(ip, "name"), attr(ip, "version"), std::string());
                eachItem(ip, "user_parameters", "user_parameter", [&](const pugi::xml_node& p) {
                    item->addParameter(std::make_unique<HBOParameter>(required(p, "name"), attr(p, "value"), ""));
                });
                read.emplace_back(proc, std::move(item));
            }
        }
    });
    if (!ok) return false;
    for (auto& entry : read) add(entry.first, std::move(entry.second));
    return true;
}

}  // namespace HBOBoardInternal
