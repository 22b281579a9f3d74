// Tcl's "string match" in time proportional to the text times the pattern.
//
// Tcl_StringCaseMatch tries every position for every "*" by recursion, so
// "*a*a*a*a*a*a*a*a*a*a*a*a*a*a*b" against forty "a" takes minutes, and a
// pattern of many stars recurses as deep. Each element other than "*"
// matches exactly one character, so on a failure it is enough to go back to
// the last "*" and let it take one more character: an earlier "*" could only
// shift the text that the later one takes anyway. The elements themselves
// ("?", "[...]", "\x", a character; case folding) are read as
// Tcl_StringCaseMatch of Tcl 8.6.13 reads them, odd corners included (a
// "[" without "]" reaches to the end of the pattern; invalid UTF-8 bytes are
// characters of their own); the tests and fuzz_pattern compare the answers
// with Tcl's.
#include "HSTGlob.h"

#include <tcl.h>

#include <algorithm>
#include <cstring>

namespace {

// One character, as Tcl 8.6 reads it for matching: a four-byte sequence is
// one character beyond the 16-bit range (Tcl_UtfToUniChar alone would split
// it), anything else as Tcl_UtfToUniChar reads it. Returns its length.
int readChar(const char* text, int& ch) {
    const auto byte = [text](int i) { return static_cast<unsigned char>(text[i]); };
    const auto continuation = [&byte](int i) { return (byte(i) & 0xC0) == 0x80; };
    if (byte(0) >= 0xF0 && byte(0) <= 0xF4 && continuation(1) && continuation(2) && continuation(3)) {
        const int code =
            ((byte(0) & 0x07) << 18) | ((byte(1) & 0x3F) << 12) | ((byte(2) & 0x3F) << 6) | (byte(3) & 0x3F);
        if (code >= 0x10000 && code <= 0x10FFFF) {
            ch = code;
            return 4;
        }
    }
    Tcl_UniChar unit = 0;
    const int length = Tcl_UtfToUniChar(text, &unit);
    ch = unit;
    return length;
}

int lowered(int c, bool nocase) { return nocase && c <= 0xFFFF ? Tcl_UniCharToLower(c) : c; }

// One character of text at str against the element at pattern (not "*");
// advances both past them and returns whether they match.
bool matchElement(const char*& str, const char*& pattern, bool nocase) {
    int textChar = 0;
    int patternChar = 0;
    if (*pattern == '?') {
        ++pattern;
        str += readChar(str, textChar);
        return true;
    }
    if (*pattern == '[') {
        ++pattern;
        str += readChar(str, textChar);
        textChar = lowered(textChar, nocase);
        for (;;) {
            if (*pattern == ']' || *pattern == '\0') return false;
            int start = 0;
            pattern += readChar(pattern, start);
            start = lowered(start, nocase);
            if (*pattern == '-') {
                ++pattern;
                if (*pattern == '\0') return false;
                int end = 0;
                pattern += readChar(pattern, end);
                end = lowered(end, nocase);
                if ((start <= textChar && textChar <= end) || (end <= textChar && textChar <= start)) break;
            } else if (start == textChar) {
                break;
            }
        }
        // Past the closing "]"; without one, at the end of the pattern.
        while (*pattern != ']' && *pattern != '\0') ++pattern;
        if (*pattern == ']') ++pattern;
        return true;
    }
    if (*pattern == '\\') {
        ++pattern;
        if (*pattern == '\0') return false;
    }
    str += readChar(str, textChar);
    pattern += readChar(pattern, patternChar);
    return lowered(textChar, nocase) == lowered(patternChar, nocase);
}

}  // namespace

namespace HSTGlob {

bool match(const char* str, const char* pattern, bool nocase) {
    // A range ending in "]" ("[+a-]*-]") makes where its bracket ends depend
    // on which entry matched, which the reasoning above does not cover. Such
    // rare patterns with few stars (so quick enough) are left to Tcl itself.
    if (std::strstr(pattern, "-]") && std::count(pattern, pattern + std::strlen(pattern), '*') <= 3)
        return Tcl_StringCaseMatch(str, pattern, nocase) != 0;
    const char* starPattern = nullptr;  // just past the last "*" met
    const char* starText = nullptr;     // where the text after that "*" starts now
    for (;;) {
        if (*pattern == '*') {
            while (*++pattern == '*') {
            }
            if (*pattern == '\0') return true;
            starPattern = pattern;
            starText = str;
            continue;
        }
        if (*pattern == '\0' && *str == '\0') return true;
        if (*pattern != '\0' && *str != '\0' && matchElement(str, pattern, nocase)) continue;
        // This try fails: the last "*" takes one more character, if there is one.
        if (!starPattern || *starText == '\0') return false;
        int skipped = 0;
        starText += readChar(starText, skipped);
        str = starText;
        pattern = starPattern;
    }
}

}  // namespace HSTGlob
