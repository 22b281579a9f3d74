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

std::string excerpt(const std::string& text, std::size_t ends) { return excerpt(text.data(), text.size(), ends); }

std::string excerpt(const char* text, std::size_t length, std::size_t ends) {
    if (length <= 3 * ends) return std::string(text, length);
    return std::string(text, ends) + " ... (" + std::to_string(length - 2 * ends) + " bytes left out) ... " +
           std::string(text + length - ends, ends);
}

}  // namespace HSTStringUtils
