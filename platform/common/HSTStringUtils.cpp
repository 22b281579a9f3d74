#include "HSTStringUtils.h"

namespace HSTStringUtils {

namespace {
char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
}  // namespace

bool iequals(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lowerAscii(a[i]) != lowerAscii(b[i])) return false;
    }
    return true;
}

std::string excerpt(const std::string& text, std::size_t ends) {
    if (text.size() <= 3 * ends) return text;
    return text.substr(0, ends) + " ... (" + std::to_string(text.size() - 2 * ends) + " bytes left out) ... " +
           text.substr(text.size() - ends);
}

}  // namespace HSTStringUtils
