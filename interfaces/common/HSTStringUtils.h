#pragma once

#include <cstddef>
#include <string>

namespace HSTStringUtils {
// Case-blind equality of two texts (ASCII letters).
bool iequals(const std::string& a, const std::string& b);
// The text as messages quote it: whole when short, else its first and last
// `ends` bytes around a note of how much was left out, so that a huge input
// never makes a huge message.
std::string excerpt(const std::string& text, std::size_t ends = 100);
std::string excerpt(const char* text, std::size_t length, std::size_t ends = 100);
}  // namespace HSTStringUtils
