// Text and JSON forms of board check findings.
#include "HBOBoardCheckReport.h"

#include <algorithm>
#include <cstdio>

namespace {

const std::size_t kSeverityWidth = 7;  // WARNING

std::size_t ruleWidth() {
    std::size_t width = 0;
    for (int rule = 0; rule < HBOBoardCheck::RULE_COUNT; ++rule)
        width = std::max(width, std::string(HBOBoardCheck::ruleName(static_cast<HBOBoardCheck::Rule>(rule))).size());
    return width;
}

std::string padded(const std::string& text, std::size_t width) {
    return text.size() >= width ? text : text + std::string(width - text.size(), ' ');
}

std::string counted(std::size_t count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

// The length of the UTF-8 sequence at text[at], or 0 when it is not one.
std::size_t utf8Length(const std::string& text, std::size_t at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    std::size_t length = 0;
    unsigned long minimum = 0;
    unsigned long code = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, minimum = 0x80, code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, minimum = 0x800, code = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, minimum = 0x10000, code = lead & 0x07;
    } else {
        return 0;
    }
    if (at + length > text.size()) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80) return 0;
        code = (code << 6) | (byte(at + i) & 0x3F);
    }
    const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
    return code < minimum || code > 0x10FFFF || surrogate ? 0 : length;
}

}  // namespace

namespace HBOBoardCheckReport {

bool hasErrors(const std::vector<HBOCheckFinding>& findings) {
    return std::any_of(findings.begin(), findings.end(),
                       [](const HBOCheckFinding& f) { return f.severity == HBOCheckFinding::ERROR; });
}

std::string summary(const std::vector<HBOCheckFinding>& findings, int boardsChecked) {
    std::size_t counts[3] = {0, 0, 0};
    for (const HBOCheckFinding& finding : findings) ++counts[finding.severity];
    std::string text = counted(static_cast<std::size_t>(boardsChecked), "board", "boards") + " checked: ";
    if (findings.empty()) return text + "no findings";
    return text + counted(counts[HBOCheckFinding::ERROR], "error", "errors") + ", " +
           counted(counts[HBOCheckFinding::WARNING], "warning", "warnings") + ", " +
           std::to_string(counts[HBOCheckFinding::INFO]) + " info";
}

std::string text(const std::vector<HBOCheckFinding>& findings, int boardsChecked) {
    static const std::size_t width = ruleWidth();
    std::string report;
    for (std::size_t i = 0; i < findings.size(); ++i) {
        const HBOCheckFinding& f = findings[i];
        if (i > 0 && f.board != findings[i - 1].board) report += "\n";
        report += padded(HBOBoardCheck::severityName(f.severity), kSeverityWidth) + " " + padded(f.rule, width) + " " +
                  f.board + ": " + f.message + "\n";
    }
    if (!findings.empty()) report += "\n";
    return report + summary(findings, boardsChecked) + "\n";
}

std::string jsonString(const std::string& text) {
    std::string quoted = "\"";
    for (std::size_t at = 0; at < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[at]);
        if (c >= 0x80) {
            const std::size_t length = utf8Length(text, at);
            quoted += length ? text.substr(at, length) : "\\ufffd";
            at += length ? length : 1;
            continue;
        }
        switch (c) {
            case '"':
                quoted += "\\\"";
                break;
            case '\\':
                quoted += "\\\\";
                break;
            case '\n':
                quoted += "\\n";
                break;
            case '\r':
                quoted += "\\r";
                break;
            case '\t':
                quoted += "\\t";
                break;
            case '\b':
                quoted += "\\b";
                break;
            case '\f':
                quoted += "\\f";
                break;
            default:
                if (c < 0x20) {
                    char escaped[8];
                    std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                    quoted += escaped;
                } else {
                    quoted += static_cast<char>(c);
                }
        }
        ++at;
    }
    return quoted + "\"";
}

std::string json(const std::vector<HBOCheckFinding>& findings) {
    std::string out = "[";
    for (std::size_t i = 0; i < findings.size(); ++i) {
        const HBOCheckFinding& f = findings[i];
        out += i ? ",\n " : "\n ";
        out += "{\"severity\": " + jsonString(HBOBoardCheck::severityName(f.severity)) +
               ", \"rule\": " + jsonString(f.rule) + ", \"board\": " + jsonString(f.board) + ", \"objects\": [";
        for (std::size_t o = 0; o < f.objects.size(); ++o) out += (o ? ", " : "") + jsonString(f.objects[o]);
        out += "], \"message\": " + jsonString(f.message) + "}";
    }
    return out + (findings.empty() ? "]\n" : "\n]\n");
}

}  // namespace HBOBoardCheckReport
