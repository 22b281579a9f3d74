#include <gtest/gtest.h>

#include "HSTGlob.h"
#include "HTCErrors.h"
#include "HTCTclPatternMatch.h"
#include "test_support.h"

namespace {

// Glob rules themselves are checked against Tcl below; here: whole names, no interpreter needed.
TEST(PatternMatchTest, GlobMatchesTheWholeNameWithoutInterp) {
    EXPECT_TRUE(HTCTclPatternMatch("led*", false, false, nullptr).match("led_4bits", -1));
    EXPECT_FALSE(HTCTclPatternMatch("led*", false, false, nullptr).match("xled", -1));
    EXPECT_FALSE(HTCTclPatternMatch("vc707", false, false, nullptr).match("vc7070", -1));
}

TEST(PatternMatchTest, NocaseVariantIsChosenPerCall) {
    TclInterp interp;
    HTCTclPatternMatch glob("A*", false, true, interp.get());
    EXPECT_TRUE(glob.matchNoCase("abc", -1));
    EXPECT_FALSE(glob.match("abc", -1));
    HTCTclPatternMatch regexp("A.C", true, false, interp.get());
    EXPECT_FALSE(regexp.match("abc", -1));
    EXPECT_TRUE(regexp.matchNoCase("abc", -1));  // compiled on first need
}

TEST(PatternMatchTest, RegexpMustMatchTheWholeName) {
    TclInterp interp;
    HTCTclPatternMatch matcher("a.c", true, false, interp.get());
    EXPECT_TRUE(matcher.match("abc", -1));
    EXPECT_FALSE(matcher.match("xabc", -1));
    EXPECT_FALSE(matcher.match("abcx", -1));
    HTCTclPatternMatch alternation("a|ab", true, false, interp.get());
    EXPECT_TRUE(alternation.match("ab", -1));  // anchoring covers every branch
    EXPECT_FALSE(alternation.match("abc", -1));
}

TEST(PatternMatchTest, RegexpUsesTclAdvancedSyntaxAndKeepsEmbeddedOptions) {
    TclInterp interp;
    EXPECT_TRUE(HTCTclPatternMatch("\\d+_\\w+", true, false, interp.get()).match("12_ab", -1));
    EXPECT_TRUE(HTCTclPatternMatch("(?i)kc\\d+", true, false, interp.get()).match("KC705", -1));
    for (const char* pattern : {"***=a.c", "(?q)a.c", "(?qi)A.C"}) {
        HTCTclPatternMatch literal(pattern, true, false, interp.get());
        EXPECT_TRUE(literal.match("a.c", -1)) << pattern;
        EXPECT_FALSE(literal.match("abc", -1)) << pattern;
    }
    EXPECT_FALSE(HTCTclPatternMatch("(?q)a)|(.*", true, false, interp.get()).match("abc", -1));
    // Tcl 8.6 crashes (stack smashing) compiling such a ***= literal as it is.
    const std::string backslashes(150, '\\');
    EXPECT_TRUE(HTCTclPatternMatch("***=" + backslashes, true, true, interp.get()).match(backslashes, -1));
}

// Whole-name matching keeps the syntax the pattern chose: a basic or
// extended RE after (?b) or (?e), an advanced one after the ***: director,
// comments in expanded syntax; each answer is Tcl's regexp on the anchored
// pattern.
TEST(PatternMatchTest, DirectorsAndSyntaxOptionsMatchAsTclDoes) {
    TclInterp interp;
    const struct {
        const char* pattern;
        const char* name;
        bool matches;
    } cases[] = {
        {"(?b)a\\{2\\}", "aa", true},   {"(?b)a+", "a+", true},     {"(?b)a+", "aa", false},
        {"(?b)\\(a\\)\\1", "aa", true}, {"(?e)a+|b", "aaa", true},  {"(?e)a+|b", "ab", false},
        {"***:(?i)ab", "AB", true},     {"***:a.c", "abcd", false}, {"(?x)a b # note", "ab", true},
        {"(?bq)a+", "a+", true},        {"(?bq)a+", "aa", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(HTCTclPatternMatch(c.pattern, true, false, interp.get()).match(c.name, -1), c.matches)
            << c.pattern << " on " << c.name;
    }
}

// Back-references make Tcl try every split of the name, in time that no
// one can interrupt: long names are refused, short ones still match.
TEST(PatternMatchTest, BackReferencesAreMatchedOnlyAgainstShortNames) {
    TclInterp interp;
    HTCTclPatternMatch matcher("(.*)(.*)(.*)\\1\\2\\3", true, false, interp.get());
    EXPECT_TRUE(matcher.match("abab", -1));
    EXPECT_THROW(matcher.match(std::string(1000, 'a'), -1), HTCErrors::error);
    // Other escapes leave long names matched.
    EXPECT_TRUE(HTCTclPatternMatch("a*\\d", true, false, interp.get()).match(std::string(1000, 'a') + "1", -1));
}

// A stray ")" must not close the anchoring group and match every name.
TEST(PatternMatchTest, UnbalancedPatternCannotEscapeTheAnchors) {
    TclInterp interp;
    for (const char* pattern : {"a)|(.*", ".*)|(x", "(?i)a)|(.*"}) {
        EXPECT_THROW(HTCTclPatternMatch(pattern, true, false, interp.get()), HTCErrors::error) << pattern;
    }
}

// The linear glob gives Tcl's answers, odd corners included.
TEST(PatternMatchTest, GlobAnswersAsTclDoesInLinearTime) {
    TclInterp interp;  // initialises Tcl for its string functions
    const char* const texts[] = {"",
                                 "a",
                                 "abc",
                                 "aXbXc",
                                 "A-Z",
                                 "x]y",
                                 "caf\xc3\xa9",
                                 "a\\b",
                                 "[ab]",
                                 "zzz",
                                 "\xf0\x9f\x98\x80",
                                 "a\xd2\x84",
                                 "\xf0",
                                 "\xed\xb8",
                                 "lllllllhlBBBlllll[+-s][PRBB-"};
    const char* const patterns[] = {"",
                                    "*",
                                    "a*",
                                    "*c",
                                    "a?c",
                                    "*X*X*",
                                    "[a-c]*",
                                    "[z-a]?c",
                                    "[]]*",
                                    "*[",
                                    "[ab",
                                    "[a-",
                                    "a\\",
                                    "a\\*",
                                    "\\[ab]",
                                    "caf?",
                                    "CAF*",
                                    "*\xc3\xa9",
                                    "[\xc3\xa9]*",
                                    "*[A-Z]*",
                                    "x]y",
                                    "**?**",
                                    "[ab]c*",
                                    "[a\xd2\x84",
                                    "??",
                                    "?\xf0\x9f\x98\x80",
                                    "[\xf0\xed\xb8",
                                    "*[+[ss-]*-]"};
    for (const char* text : texts)
        for (const char* pattern : patterns)
            for (int nocase : {0, 1})
                EXPECT_EQ(HSTGlob::match(text, pattern, nocase), Tcl_StringCaseMatch(text, pattern, nocase) != 0)
                    << "text \"" << text << "\" pattern \"" << pattern << "\" nocase " << nocase;
    std::string stars;
    for (int i = 0; i < 40; ++i) stars += "*a";
    const std::string text(200, 'a');
    EXPECT_FALSE(HSTGlob::match(text.c_str(), (stars + "*b").c_str(), false));
    EXPECT_TRUE(HSTGlob::match(text.c_str(), (stars + "*").c_str(), false));
}

TEST(PatternMatchTest, LengthLimitsTheNameToAPrefix) {
    TclInterp interp;
    EXPECT_TRUE(HTCTclPatternMatch("ab", false, false, nullptr).match("abcdef", 2));
    EXPECT_FALSE(HTCTclPatternMatch("ab", false, false, nullptr).match("abcdef", 3));
    EXPECT_TRUE(HTCTclPatternMatch("a.", true, false, interp.get()).match("abcdef", 2));
    EXPECT_TRUE(HTCTclPatternMatch("ab", false, false, nullptr).match("ab", 10));
}

TEST(PatternMatchTest, BadRegexpNamesPatternAndTclReason) {
    TclInterp interp;
    for (Tcl_Interp* which : {interp.get(), static_cast<Tcl_Interp*>(nullptr)}) {
        try {
            HTCTclPatternMatch matcher("a(b", true, false, which);
            FAIL() << "no error";
        } catch (const HTCErrors::error& e) {
            const std::string text = e.what();
            EXPECT_NE(text.find("invalid regular expression \"a(b\""), std::string::npos) << text;
            EXPECT_NE(text.find("parentheses"), std::string::npos) << text;
        }
    }
    EXPECT_STREQ(Tcl_GetStringResult(interp.get()), "");  // the interpreter result is left clean
}

}  // namespace
