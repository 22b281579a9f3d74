#include <gtest/gtest.h>

#include "HCPProperty.h"
#include "HCPTclFilterMatch.h"
#include "HTCErrors.h"
#include "test_support.h"

namespace {

struct Led {
    std::string name;
    bool enabled;
    long long index;
    double power;
    std::string label;
    std::string getName() const { return name; }
};

struct Unregistered {
    std::string getName() const { return "u"; }
};

struct Other {
    std::string getName() const { return "other"; }
};

void registerTestClasses() {
    static const bool done = [] {
        using Type = HCPProperty::Type;
        auto& led = HCPProperty::registerClass<Led>("test_led");
        // NAME is read by reference (the filters' copy-free path), LABEL as a value.
        HCPProperty::addProperty<Led>(led, "NAME", Type::String, "name",
                                      [](const Led& l) -> const std::string& { return l.name; });
        HCPProperty::addProperty<Led>(led, "is_enabled", Type::Bool, "on?",
                                      [](const Led& l) { return HCPValue(l.enabled); });
        HCPProperty::addProperty<Led>(led, "INDEX", Type::Int, "index", [](const Led& l) { return HCPValue(l.index); });
        HCPProperty::addProperty<Led>(led, "POWER", Type::Double, "mW", [](const Led& l) { return HCPValue(l.power); });
        HCPProperty::addProperty<Led>(led, "LABEL", Type::String, "text",
                                      [](const Led& l) { return l.label.empty() ? HCPValue() : HCPValue(l.label); });
        auto& other = HCPProperty::registerClass<Other>("test_other");
        HCPProperty::addProperty<Other>(other, "NAME", Type::String, "",
                                        [](const Other& o) { return HCPValue(o.getName()); });
        return true;
    }();
    (void)done;
}

class FilterTest : public ::testing::Test {
protected:
    void SetUp() override { registerTestClasses(); }

    bool eval(const std::string& expression, const Led& led, bool nocase = false) {
        HCPTclFilterMatch filter(expression, interp.get(), nocase, false);
        return filter.match(tov::tcltasks::tclany(const_cast<Led*>(&led)));
    }

    static std::string buildError(const std::string& expression) {
        try {
            HCPTclFilterMatch filter(expression, nullptr, false, false);
        } catch (const HTCErrors::error& e) {
            return e.what();
        }
        return "(no error)";
    }

    TclInterp interp;
    Led led0{"led_0", false, 0, 0.5, ""};
    Led led3{"led_3", true, 3, 12.25, "010"};
    Led gpio{"GPIO_SW", true, 10, 2.0, "yes"};
};

TEST_F(FilterTest, RegistryGivesClassNamesAndTypedValues) {
    const auto* info = HCPProperty::getObjectInfo(typeid(Led*));
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(HCPProperty::getObjectClassName(info), "test_led");
    EXPECT_EQ(HCPProperty::getObjectInfo(typeid(Unregistered*)), nullptr);
    EXPECT_EQ(HCPProperty::getObjectClassName(nullptr), "");
    const auto* enabled = info->findProperty("Is_Enabled");
    ASSERT_NE(enabled, nullptr);
    EXPECT_EQ(enabled->name, "IS_ENABLED");
    const tov::tcltasks::tclany value(&led3);
    EXPECT_EQ(HCPProperty::toText(HCPProperty::getValue(value, *enabled)), "1");
    EXPECT_EQ(HCPProperty::toText(HCPProperty::getValue(value, *info->findProperty("power"))), "12.25");
    EXPECT_EQ(HCPProperty::toText(HCPValue(2.0)), "2.0");
    // A property of one class read from an object of another gives nothing.
    Other other;
    EXPECT_TRUE(std::holds_alternative<std::monostate>(HCPProperty::getValue(tov::tcltasks::tclany(&other), *enabled)));
}

// One row per rule: operators and precedence, value forms, typed comparisons, -nocase.
TEST_F(FilterTest, ExpressionsFollowTheirRules) {
    const struct {
        const char* expression;
        const Led& led;
        bool nocase;
        bool matches;
    } cases[] = {
        {"NAME =~ \"led*\" && (IS_ENABLED == true || INDEX >= 3)", led3, false, true},
        {"NAME =~ \"led*\" && (IS_ENABLED == true || INDEX >= 3)", led0, false, false},
        {"INDEX == 1 || INDEX == 3 && NAME == x", led3, false, false},  // && binds tighter
        {"(INDEX == 1 || INDEX == 3) && NAME != x", led3, false, true},
        {"!IS_ENABLED || INDEX == 3", led3, false, true},
        {"!(IS_ENABLED || INDEX == 0)", led3, false, false},
        {"!NAME == x", led3, false, true},  // negates the comparison
        {"NAME==led_3", led3, false, true},
        {"NAME == {led_3}", led3, false, true},
        {"NAME == \"led_\\3\"", led3, false, true},  // backslash keeps the next character
        {"NAME != {led 3}", led3, false, true},
        {"NAME =~ {led_[0-9]}", led3, false, true},
        {"IS_ENABLED == ON", led3, false, true},
        {"IS_ENABLED == yes", led0, false, false},
        {"IS_ENABLED == maybe", led3, false, false},
        {"INDEX < 10", led3, false, true},  // string compare would say "3" > "10"
        {"INDEX == 3.0", led3, false, true},
        {"POWER > 12.2", led3, false, true},
        {"LABEL == 10", led3, false, true},  // "010" is the number 10
        {"NAME < led_4", led3, false, true},
        {"NAME > LED_9", led3, false, true},  // byte order: lower case after upper case
        // Each ordering at its boundary, by number and by text.
        {"INDEX >= 3", led3, false, true},
        {"INDEX > 3", led3, false, false},
        {"INDEX <= 3", led3, false, true},
        {"INDEX < 3", led3, false, false},
        {"POWER >= 12.25", led3, false, true},
        {"NAME >= led_3", led3, false, true},
        {"NAME <= led_3", led3, false, true},
        {"NAME > led_3", led3, false, false},
        {"name == GPIO_sw", gpio, false, false},
        {"name == GPIO_sw", gpio, true, true},
        {"NAME !~ gpio*", gpio, false, true},
        {"IS_ENABLED", led3, false, true},  // a bare property means true
        {"INDEX", led0, false, false},
        {"LABEL", led0, false, false},  // empty
        {"LABEL", gpio, false, true},   // "yes"
        {"LABEL", led3, false, true},   // 010 is non-zero
    };
    for (const auto& c : cases) EXPECT_EQ(eval(c.expression, c.led, c.nocase), c.matches) << c.expression;
}

TEST_F(FilterTest, MalformedExpressionsFailWhenBuiltNamingThePosition) {
    const std::string error = buildError("NAME ==");
    EXPECT_NE(error.find("invalid filter expression \"NAME ==\": expected a value at position 7"), std::string::npos)
        << error;
    EXPECT_NE(error.find("\n    NAME ==\n           ^"), std::string::npos) << error;
    struct Case {
        const char* expression;
        const char* reason;
    };
    const Case cases[] = {
        {"", "expected a property name at position 0"},
        {"(NAME == a", "expected \")\" at position 10"},
        {"NAME == a)", "unbalanced \")\" at position 9"},
        {"NAME foo", "expected a comparison operator"},
        {"NAME == \"abc", "missing closing quote at position 8"},
        {"NAME == {abc", "missing close-brace at position 8"},
        {"NAME == a &&", "expected a property name at position 12"},
        {"== a", "expected a property name at position 0"},
        {"NAME = a", "expected a comparison operator"},
    };
    for (const auto& c : cases) {
        EXPECT_NE(buildError(c.expression).find(c.reason), std::string::npos)
            << c.expression << " -> " << buildError(c.expression);
    }
}

std::string repeated(const std::string& piece, std::size_t count) {
    std::string text;
    for (std::size_t i = 0; i < count; ++i) text += piece;
    return text;
}

// Deep or long expressions that once used up the call stack: those within
// the limits evaluate (flat chains and runs of "!" cost no depth), those
// beyond them are refused with an error naming the limit.
TEST_F(FilterTest, LongChainsEvaluateAndTheLimitsAreClearErrors) {
    EXPECT_TRUE(eval(repeated("INDEX >= 0 && ", 31000) + "NAME =~ led_*", led3));
    EXPECT_FALSE(eval(repeated("INDEX == 9 || ", 31000) + "INDEX == 8", led3));
    EXPECT_TRUE(eval(repeated("!", 31000) + "IS_ENABLED", led3));  // an even count
    EXPECT_FALSE(eval(repeated("!", 31001) + "IS_ENABLED", led3));
    const int limit = HCPTclFilterMatch::kMaxNesting;
    EXPECT_TRUE(eval(repeated("(", limit) + "INDEX == 3" + repeated(")", limit), led3));
    EXPECT_TRUE(eval(repeated("!(", limit) + "INDEX == 3" + repeated(")", limit), led3));
    const std::string tooDeep = buildError(repeated("(", 13000) + "NAME" + repeated(")", 13000));
    EXPECT_NE(tooDeep.find("parentheses nest more than 1000 deep at position 1001"), std::string::npos) << tooDeep;
    const std::string tooLong = buildError(repeated("NAME && ", 200000));
    EXPECT_NE(tooLong.find("the expression is 1600000 characters long, more than the 1000000 accepted"),
              std::string::npos);
}

// A huge malformed expression is quoted in excerpts, with the part around
// the fault and a caret under it.
TEST_F(FilterTest, ErrorsQuoteHugeExpressionsInExcerpts) {
    const std::string expression = repeated("NAME == a && ", 70000) + "NAME ==";
    const std::string error = buildError(expression);
    EXPECT_LT(error.size(), 1000u);
    EXPECT_NE(error.find("expected a value at position 910007"), std::string::npos) << error.substr(0, 300);
    EXPECT_NE(error.find("\n    ... NAME == a && NAME == a && "), std::string::npos) << error;
    const std::size_t caretLine = error.rfind('\n');
    const std::size_t windowLine = error.rfind('\n', caretLine - 1);
    EXPECT_EQ(error.size() - caretLine, caretLine - windowLine + 1) << error;  // caret just past the window's end
}

// A property the class lacks is an error whichever way the matcher is
// built, when an object meets it and when the class is checked up front.
TEST_F(FilterTest, UnknownPropertiesAreErrorsForEveryMatcher) {
    for (bool plainValuesReadEmpty : {false, true}) {
        HCPTclFilterMatch filter("NAME == led_3 || COLOR == red", nullptr, false, plainValuesReadEmpty);
        EXPECT_THROW(filter.checkProperties(typeid(Led*)), HTCErrors::error);
        filter.checkProperties(typeid(Unregistered*));  // no class to check against
        try {
            filter.match(tov::tcltasks::tclany(&led0));
            FAIL() << "no error";
        } catch (const HTCErrors::error& e) {
            EXPECT_NE(std::string(e.what()).find("invalid property \"COLOR\""), std::string::npos) << e.what();
            EXPECT_NE(std::string(e.what()).find("class \"test_led\""), std::string::npos) << e.what();
        }
    }
    HCPTclFilterMatch known("name == led_3 && INDEX > 1", nullptr, false, false);
    known.checkProperties(typeid(Led*));
}

TEST_F(FilterTest, ObjectsOfSeveralClassesAndPlainValues) {
    // The class switches between calls; each must read its own NAME.
    HCPTclFilterMatch filter("NAME =~ *t*", nullptr, false, false);
    Other other;
    EXPECT_TRUE(filter.match(tov::tcltasks::tclany(&other)));
    EXPECT_FALSE(filter.match(tov::tcltasks::tclany(&led3)));
    EXPECT_TRUE(filter.match(tov::tcltasks::tclany(&other)));
    EXPECT_TRUE(filter.match(&other));  // native objects need no tclany
    EXPECT_FALSE(filter.match(&led3));
    EXPECT_THROW(filter.match(tov::tcltasks::tclany(std::string("plain"))), HTCErrors::error);
    HCPTclFilterMatch lenient("NAME == \"\"", nullptr, false, true);
    EXPECT_TRUE(lenient.match(tov::tcltasks::tclany(std::string("plain"))));
    EXPECT_FALSE(lenient.match(tov::tcltasks::tclany(&other)));
}

}  // namespace
