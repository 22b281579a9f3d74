#include "HSTValueText.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "HSTStringUtils.h"

namespace HSTValueText {

namespace {
struct BoolWord {
    const char* word;
    bool value;
};

const BoolWord kBoolWords[] = {
    {"true", true}, {"false", false}, {"yes", true}, {"no", false}, {"on", true}, {"off", false},
};

bool onlyBlanksFrom(const char* p) {
    while (*p == ' ' || *p == '\t' || *p == '\n') ++p;
    return *p == '\0';
}

bool hasNonBlank(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\n");
    return first != std::string::npos;
}
}  // namespace

bool parseBool(const std::string& text, bool& value) {
    for (const auto& entry : kBoolWords) {
        if (HSTStringUtils::iequals(text, entry.word)) {
            value = entry.value;
            return true;
        }
    }
    long long number = 0;
    if (!parseInteger(text, number)) return false;
    value = number != 0;
    return true;
}

bool parseInteger(const std::string& text, long long& value) {
    if (!hasNonBlank(text)) return false;
    char* end = nullptr;
    errno = 0;
    const long long parsed = std::strtoll(text.c_str(), &end, 10);
    if (end == text.c_str() || errno == ERANGE || !onlyBlanksFrom(end)) return false;
    value = parsed;
    return true;
}

bool parseDouble(const std::string& text, double& value) {
    if (!hasNonBlank(text)) return false;
    char* end = nullptr;
    const double parsed = std::strtod(text.c_str(), &end);
    if (end == text.c_str() || !onlyBlanksFrom(end) || std::isnan(parsed)) return false;
    value = parsed;
    return true;
}

std::string formatDouble(double value) {
    if (std::isinf(value)) return value > 0 ? "Inf" : "-Inf";
    char buffer[32];
    for (int precision = 1; precision <= 17; ++precision) {
        std::snprintf(buffer, sizeof buffer, "%.*g", precision, value);
        if (std::strtod(buffer, nullptr) == value) break;
    }
    std::string text(buffer);
    // Tcl keeps a double recognisable as one: 1.0, not 1.
    if (text.find_first_of(".eEn") == std::string::npos) text += ".0";
    return text;
}

}  // namespace HSTValueText
