#pragma once

#include <string>

namespace HSTStringUtils {
// Case-blind equality of two texts (ASCII letters).
bool iequals(const std::string& a, const std::string& b);
}  // namespace HSTStringUtils
