// The integrated board file writer. The text is fixed byte for byte so that
// the board file parser reads back exactly what was written.
#include "HBOBoardFileWriter.h"

#include <cstdio>
#include <map>
#include <string_view>

#include "ComMsgMgr.h"
#include "HBOBoardModel.h"
#include "HBOParser.h"
#include "HSTStringUtils.h"
#include "HTCErrors.h"

namespace {

// Where a value goes in the file, as an error about it names it: the
// attribute or element (the error code's detail), what it holds, and for a
// map entry which one ("the instance name of connected board 2").
struct Field {
    const char* attribute;
    const char* what;
    const char* entryKind = nullptr;
    std::size_t entry = 0;

    std::string description() const {
        std::string text = what;
        if (entryKind) text += std::string(" of ") + entryKind + " " + std::to_string(entry);
        return text;
    }
};

// One character of a value: its code point and length in bytes, or code -1
// for a byte that does not begin a well-formed UTF-8 sequence. Tcl writes
// U+0000 as the two bytes C0 80; they count as that character.
struct Character {
    long code;
    std::size_t length;
};

Character decode(std::string_view text, std::size_t at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    if (lead < 0x80) return {lead, 1};
    if (lead == 0xC0 && at + 1 < text.size() && byte(at + 1) == 0x80) return {0, 2};
    std::size_t length = 4;
    long code = lead & 0x07, smallest = 0x10000;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, code = lead & 0x1F, smallest = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, code = lead & 0x0F, smallest = 0x800;
    } else if (lead < 0xF0 || lead > 0xF4) {
        return {-1, 1};
    }
    if (at + length > text.size()) return {-1, 1};
    for (std::size_t i = at + 1; i < at + length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) return {-1, 1};
        code = (code << 6) | (byte(i) & 0x3F);
    }
    if (code < smallest || code > 0x10FFFF) return {-1, 1};
    return {code, length};
}

// What keeps a character out of every XML 1.0 file, or null when it may stand.
const char* unwritable(long code) {
    if (code < 0x20) return code == 0x9 || code == 0xA || code == 0xD ? nullptr : "the control character";
    if (code >= 0xD800 && code <= 0xDFFF) return "the surrogate code point";
    if (code == 0xFFFE || code == 0xFFFF) return "the non-character";
    return nullptr;
}

// The entity or character reference that stands for a character in the
// file, or null for a character written as it is. A blank is escaped only
// where plain_run stops at it.
const char* reference(long code) {
    static const struct {
        char character;
        const char* reference;
    } references[] = {{'&', "&amp;"}, {'<', "&lt;"},   {'>', "&gt;"},   {'"', "&quot;"}, {'\'', "&apos;"},
                      {'\t', "&#9;"}, {'\n', "&#10;"}, {'\r', "&#13;"}, {' ', "&#32;"}};
    for (const auto& entry : references)
        if (entry.character == code) return entry.reference;
    return nullptr;
}

// How many bytes from at on stand in the file as they are: printable ASCII
// but the markup characters (and blanks, in a text of blanks only).
std::size_t plain_run(std::string_view value, std::size_t at, bool blanksEscaped) {
    std::size_t end = at;
    for (; end < value.size(); ++end) {
        const unsigned char c = static_cast<unsigned char>(value[end]);
        if (c < 0x20 || c >= 0x7F || c == '&' || c == '<' || c == '>' || c == '"' || c == '\'' ||
            (c == ' ' && blanksEscaped))
            break;
    }
    return end - at;
}

// The text of the file, piece by piece: fixed pieces as they are, values
// escaped and checked.
class FileText {
public:
    explicit FileText(const HBOBoard& diagram) : diagram_(diagram) {}

    FileText& add(std::string_view piece) {
        text_.append(piece.data(), piece.size());
        return *this;
    }

    // Appends value as XML carries it in an attribute or element text: the
    // five markup characters as entities; tab, line feed and carriage return
    // as character references (a reader turns them into blanks or line feeds
    // when written as they are). Element text of blanks only is written as
    // references too, since a reader drops element text that is all white
    // space.
    FileText& value(std::string_view value, const Field& field, bool elementText = false) {
        const bool onlyBlanks = elementText && !value.empty() && value.find_first_not_of(' ') == std::string_view::npos;
        for (std::size_t at = 0; at < value.size();) {
            const std::size_t run = plain_run(value, at, onlyBlanks);
            text_.append(value.data() + at, run);
            at += run;
            if (at == value.size()) break;
            const Character c = decode(value, at);
            if (c.code < 0 || unwritable(c.code)) refuse(field, value, at, c.code);
            const char* escaped = reference(c.code);
            if (escaped) text_ += escaped;
            else text_.append(value.data() + at, c.length);
            at += c.length;
        }
        return *this;
    }

    void reserve(std::size_t size) { text_.reserve(size); }
    std::string take() { return std::move(text_); }

private:
    [[noreturn]] void refuse(const Field& field, std::string_view value, std::size_t at, long code) const {
        char what[128];
        if (code < 0) {
            std::snprintf(what, sizeof what, "the byte 0x%02X at byte %zu, which is not valid UTF-8",
                          static_cast<unsigned>(static_cast<unsigned char>(value[at])), at + 1);
        } else {
            std::snprintf(what, sizeof what, "%s U+%04lX at byte %zu, which no XML file can carry", unwritable(code),
                          code, at + 1);
        }
        throw HTCErrors::error("cannot write the board file \"" + HSTStringUtils::excerpt(diagram_.getBoardFile()) +
                                   "\": " + field.description() + " holds " + what,
                               HEXAll::Kind::value, field.attribute);
    }

    const HBOBoard& diagram_;
    std::string text_;
};

// One side of a connection: a board name and a component name joined by
// "#". Both stay empty unless the text has exactly one "#".
struct ConnectorEnd {
    std::string board, component;
};

ConnectorEnd split_connector_end(const std::string& joined) {
    const std::size_t hash = joined.find('#');
    if (hash == std::string::npos || joined.find('#', hash + 1) != std::string::npos) return {};
    return {joined.substr(0, hash), joined.substr(hash + 1)};
}

}  // namespace

namespace HBOBoardFileWriter {

std::string board_file_text(const HBOBoard& diagram) {
    const std::map<std::string, std::string>& boards = diagram.getConnectedBoards();
    const std::map<std::string, std::string>& connections = diagram.getConnectedComponents();
    const std::string vendor = diagram.getVendor();
    const std::string name = diagram.getBoardName();
    const std::string version = diagram.getVersion();

    FileText text(diagram);
    text.reserve(320 + 80 * boards.size() + 160 * connections.size());
    text.add("<board schema_version=\"2.0\" vendor=\"")
        .value(vendor, {"vendor", "the vendor"})
        .add("\" name=\"")
        .value(name, {"name", "the board name"})
        .add("\" display_name=\"")
        .value(name, {"name", "the board name"})
        .add("\" is_integrated=\"true\">\n")
        .add("\t<file_version>")
        .value(version, {"file_version", "the version"}, true)
        .add("</file_version>\n")
        .add("\t<connected_boards>\n")
        .add("\t\t<base_boards>\n");
    std::size_t entry = 0;
    for (const auto& instance : boards) {
        ++entry;
        text.add("\t\t\t<base_board id=\"")
            .value(instance.second, {"id", "the base board", "connected board", entry})
            .add("\" alias_name=\"")
            .value(instance.first, {"alias_name", "the instance name", "connected board", entry})
            .add("\"/>\n");
    }
    text.add("\t\t</base_boards>\n").add("\t\t<connectors>\n");
    entry = 0;
    for (const auto& connection : connections) {
        ++entry;
        const ConnectorEnd one = split_connector_end(connection.first);
        const ConnectorEnd two = split_connector_end(connection.second);
        text.add("\t\t\t<connector name=\"conn\" ")
            .add("board1=\"")
            .value(one.board, {"board1", "the first board", "connection", entry})
            .add("\" board1_connector=\"")
            .value(one.component, {"board1_connector", "the first component", "connection", entry})
            .add("\" ")
            .add("board2=\"")
            .value(two.board, {"board2", "the second board", "connection", entry})
            .add("\" board2_connector=\"")
            .value(two.component, {"board2_connector", "the second component", "connection", entry})
            .add("\" ")
            .add("/>\n");
    }
    text.add("\t\t</connectors>\n").add("\t</connected_boards>\n").add("</board>\n");
    return text.take();
}

bool is_integrated_board_file(const std::string& path) {
    const ComMsgMgr::Silencer quiet;  // a file that is not one is no news here
    HBOBoard old;
    HBOParser parser;
    return parser.parseFile(path, &old) && old.isIntegratedBoard();
}

HUTSafeFile::Result write_board_file(const HBOBoard& diagram) {
    const std::string text = board_file_text(diagram);
    return HUTSafeFile::replace(diagram.getBoardFile(), text,
                                [](const std::string& old) { return !is_integrated_board_file(old); });
}

}  // namespace HBOBoardFileWriter
