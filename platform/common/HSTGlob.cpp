// Tcl's "string match" in time proportional to the text times the pattern.
//
// Tcl_StringCaseMatch tries every position for every "*" by recursion, so
// "*a*a*a*a*a*a*a*a*a*a*a*a*a*a*b" against forty "a" takes minutes, and a
// pattern of many stars recurses as deep. Each element other than "*"
// matches exactly one character, so on a failure it is enough to go back to
// the last "*" and let it take one more character: an earlier "*" could only
// shift the text that the later one takes anyway. The elements themselves
// ("?", "[...]", "\x", a character; case folding) are read exactly as
// Tcl_StringCaseMatch of Tcl 8.6 reads them, through Tcl's own functions.
#include "HSTGlob.h"

#include <tcl.h>

namespace {

Tcl_UniChar lowered(Tcl_UniChar c, bool nocase) { return nocase ? Tcl_UniCharToLower(c) : c; }

// One character of text at str against the element at pattern (not "*");
// advances both past them and returns whether they match.
bool matchElement(const char*& str, const char*& pattern, const char* patternStart, bool nocase) {
    Tcl_UniChar textChar = 0;
    Tcl_UniChar patternChar = 0;
    if (*pattern == '?') {
        ++pattern;
        str += Tcl_UtfToUniChar(str, &textChar);
        return true;
    }
    if (*pattern == '[') {
        ++pattern;
        str += Tcl_UtfToUniChar(str, &textChar);
        textChar = lowered(textChar, nocase);
        for (;;) {
            if (*pattern == ']' || *pattern == '\0') return false;
            Tcl_UniChar start = 0;
            pattern += Tcl_UtfToUniChar(pattern, &start);
            start = lowered(start, nocase);
            if (*pattern == '-') {
                ++pattern;
                if (*pattern == '\0') return false;
                Tcl_UniChar end = 0;
                pattern += Tcl_UtfToUniChar(pattern, &end);
                end = lowered(end, nocase);
                if ((start <= textChar && textChar <= end) || (end <= textChar && textChar <= start)) break;
            } else if (start == textChar) {
                break;
            }
        }
        // Past the closing "]"; Tcl steps back onto the last character when there is none.
        while (*pattern != ']') {
            if (*pattern == '\0') {
                pattern = Tcl_UtfPrev(pattern, patternStart);
                break;
            }
            ++pattern;
        }
        ++pattern;
        return true;
    }
    if (*pattern == '\\') {
        ++pattern;
        if (*pattern == '\0') return false;
    }
    str += Tcl_UtfToUniChar(str, &textChar);
    pattern += Tcl_UtfToUniChar(pattern, &patternChar);
    return nocase ? Tcl_UniCharToLower(textChar) == Tcl_UniCharToLower(patternChar) : textChar == patternChar;
}

}  // namespace

namespace HSTGlob {

bool match(const char* str, const char* pattern, bool nocase) {
    const char* const patternStart = pattern;
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
        if (*pattern != '\0' && *str != '\0' && matchElement(str, pattern, patternStart, nocase)) continue;
        // This try fails: the last "*" takes one more character, if there is one.
        if (!starPattern || *starText == '\0') return false;
        Tcl_UniChar skipped = 0;
        starText += Tcl_UtfToUniChar(starText, &skipped);
        str = starText;
        pattern = starPattern;
    }
}

}  // namespace HSTGlob
