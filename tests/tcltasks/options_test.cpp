// Argument parsing, help, -quiet, registration and error exits of commands
// built from the framework templates.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <memory>

#include "tcltasks_fixture.h"
#include "tcltasks_journal.h"

using tov::tcltasks::task_manager;

namespace {

class OptionsTest : public TclTasksTest {};

TEST_F(OptionsTest, OptionValuesAreTakenEvenWhenTheyStartWithADash) {
    const std::string result = eval("::test::get_widgets -filter -x");
    EXPECT_EQ(result.find("missing value"), std::string::npos) << result;
    EXPECT_NE(result.find("-x"), std::string::npos) << "the filter must have received -x: " << result;
}

// Texts name the option and value, never the command; -errorcode names the
// kind, the command and (for option errors) the option.
TEST_F(OptionsTest, ErrorsFollowTclConventionsWithAStableErrorCode) {
    const std::string widgetsUsage =
        "wrong # args: should be \"::test::get_widgets ?-regexp? ?-nocase? ?-filter value? ?-of_objects value? "
        "?-quiet? ?-help? ?patterns...?\"";
    const struct {
        const char* script;
        std::string text;
        const char* code;
    } cases[] = {
        {"::test::get_widgets -foo",
         "bad option \"-foo\": must be -filter, -help, -nocase, -of_objects, -quiet, or -regexp",
         "ZEM USAGE ::test::get_widgets -foo"},
        {"::test::get_widgets -filter", widgetsUsage, "ZEM USAGE ::test::get_widgets -filter"},
        {"::test::noisy extra",
         "wrong # args: should be \"::test::noisy ?-fail value? ?-nested value? ?-note value? ?-quiet? ?-help?\"",
         "ZEM USAGE ::test::noisy"},
        {"::test::noisy -n x", "ambiguous option \"-n\": must be -nested or -note", "ZEM USAGE ::test::noisy -n"},
        {"::test::get_widgets -filter=x", "bad option \"-filter=x\": -filter takes its value as the next word",
         "ZEM USAGE ::test::get_widgets -filter"},
        {"::test::get_widgets -n -n", "option \"-nocase\" given more than once",
         "ZEM USAGE ::test::get_widgets -nocase"},
        {"::test::get_widgets -filter a -filter b", "option \"-filter\" given more than once",
         "ZEM USAGE ::test::get_widgets -filter"},
        {"::test::get_widgets -nocase=maybe", "invalid value \"maybe\" for option \"-nocase\"",
         "ZEM VALUE ::test::get_widgets -nocase"},
        {"::test::get_widgets -of_objects nothing",
         "invalid value \"nothing\" for option \"-of_objects\": it is plain text, not an object",
         "ZEM TYPE ::test::get_widgets -of_objects"},
        {"::test::get_widgets -regexp a(",
         "invalid regular expression \"a(\": couldn't compile regular expression "
         "pattern: parentheses () not balanced",
         "ZEM VALUE ::test::get_widgets"},
        {"::test::noisy -fail error", "index 7 is out of range", "ZEM VALUE ::test::noisy"},
        {"::test::noisy -fail message", HEXAll(HTCErrors::ofObjectNotSupported("gadget", "widget")).text(),
         "ZEM TYPE ::test::noisy 48-11"},
        {"::test::noisy -fail std", "plain failure", "ZEM ERROR ::test::noisy"},
        {"::test::noisy -fail other", "unexpected exception", "ZEM ERROR ::test::noisy"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(eval(c.script), "ERROR: " + c.text) << c.script;
        EXPECT_EQ(error_code(c.script), c.code) << c.script;
    }
}

TEST_F(OptionsTest, ASwitchGivenASecondValueReportsThatValueAsInvalid) {
    EXPECT_EQ(eval("::test::get_widgets -nocase=1 -nocase=1"), "ERROR: invalid value \"1\" for option \"-nocase\"");
    EXPECT_EQ(eval("::test::get_widgets -nocase -nocase=0"), "ERROR: invalid value \"0\" for option \"-nocase\"");
    // Without a value the repetition itself is the error, as for strings.
    EXPECT_EQ(eval("::test::get_widgets -nocase=1 -nocase"), "ERROR: option \"-nocase\" given more than once");
}

TEST_F(OptionsTest, SwitchValuesFollowTclAndResolveBool) {
    EXPECT_EQ(eval("::test::get_widgets -nocase=yes a*"), "Alpha");
    EXPECT_EQ(eval("::test::get_widgets -nocase=enabled a*"), "Alpha");  // ResolveBool's word
    EXPECT_EQ(eval("::test::get_widgets -nocase=0 a*"), "");
}

TEST_F(OptionsTest, HelpDescribesTheCommandAndEndsIt) {
    Messages messages;
    const std::string help = eval("::test::get_widgets -filter x -help");
    EXPECT_NE(help.find("::test::get_widgets - Get the list of widgets"), std::string::npos) << help;
    EXPECT_NE(help.find("patterns arg (=*)"), std::string::npos) << help;
    EXPECT_NE(help.find("Get 'widget' objects of these types: 'gadget'."), std::string::npos);
    EXPECT_NE(help.find("Returns: list of widget objects"), std::string::npos);
    EXPECT_NE(help.find("Categories: Object Widget"), std::string::npos);
    EXPECT_TRUE(messages.ids.empty()) << "execute must not run";
}

TEST_F(OptionsTest, QuietSilencesMessagesOnlyForTheCommand) {
    Messages messages;
    EXPECT_EQ(eval("::test::get_widgets -quiet nothing"), "");
    EXPECT_TRUE(messages.ids.empty());
    EXPECT_EQ(eval("::test::get_widgets nothing"), "");
    EXPECT_EQ(messages.ids, std::vector<std::string>{"@99-1@"});
    // Nested: the outer command reports, the inner -quiet one does not.
    messages.ids.clear();
    EXPECT_EQ(eval("::test::noisy -nested {::test::get_widgets -quiet nothing}"), "");
    EXPECT_EQ(messages.ids, std::vector<std::string>{"@99-2@"});
    // Errors stay errors under -quiet.
    EXPECT_EQ(eval("::test::noisy -quiet -fail std"), "ERROR: plain failure");
}

TEST_F(OptionsTest, JournalRecordsUserCommandsButNotNestedOnes) {
    task_manager::clear_journal();
    eval("::test::noisy -nested {::test::get_widgets beta}");
    eval("::test::get_widgets gamma");
    const std::deque<std::string> expected{"::test::noisy -nested {::test::get_widgets beta}",
                                           "::test::get_widgets gamma"};
    EXPECT_EQ(task_manager::journal(), expected);
}

// 1,000 calls with a 1 MB argument must not keep a gigabyte: each word is
// quoted by its excerpt, and the whole journal stays within its budget.
TEST_F(OptionsTest, JournalKeepsBoundedExcerptsWithinABoundedTotal) {
    using tov::tcltasks::command_journal;
    task_manager::clear_journal();
    eval("set big [string repeat x 1000000]");
    for (int i = 0; i < 1100; ++i) eval("::test::get_widgets -filter $big nothing" + std::to_string(i));
    const std::deque<std::string> journal = task_manager::journal();
    ASSERT_EQ(journal.size(), command_journal::max_entries);
    std::size_t total = 0;
    for (const std::string& line : journal) total += line.size();
    EXPECT_LE(total, command_journal::max_bytes);
    EXPECT_NE(journal.back().find("bytes left out"), std::string::npos) << journal.back().substr(0, 400);
    EXPECT_EQ(journal.back().substr(journal.back().size() - 12), " nothing1099") << "the newest call is last";
    EXPECT_EQ(journal.front().substr(journal.front().size() - 11), " nothing100") << "the oldest give way";
}

// Tcl builds the text of a list from its elements' texts, recursively: a
// list nested 50,000 deep must neither crash the journal nor the options.
TEST_F(OptionsTest, DeeplyNestedListsAreRefusedAsTextWithoutCrashing) {
    task_manager::clear_journal();
    eval("set deep x; for {set i 0} {$i < 50000} {incr i} {set deep [list $deep]}");
    EXPECT_EQ(eval("llength $deep"), "1");
    for (const char* script :
         {"::test::get_widgets $deep", "::test::get_widgets -filter $deep", "::test::get_widgets -nocase $deep"}) {
        const std::string result = eval(script);
        EXPECT_NE(result.find("nests lists more than 1000 deep"), std::string::npos) << script << ": " << result;
        EXPECT_EQ(error_code(script).compare(0, 9, "ZEM VALUE"), 0) << script;
    }
    const std::deque<std::string> journal = task_manager::journal();
    ASSERT_EQ(journal.size(), 6u);  // each script ran twice
    for (const std::string& line : journal) EXPECT_LT(line.size(), 200u) << line;
}

// A word that is a model object is positional, whatever its text: an
// object named "-x" is not read as an option.
TEST_F(OptionsTest, AnObjectWhoseNameStartsWithADashIsPositional) {
    example::Model::global().add_widget("-x");
    EXPECT_EQ(eval("::test::get_widgets -x"),
              "ERROR: bad option \"-x\": must be -filter, -help, -nocase, "
              "-of_objects, -quiet, or -regexp");
    EXPECT_EQ(eval("set w [::test::get_widgets -- -x]"), "-x");
    EXPECT_EQ(eval("::test::get_widgets $w"), "-x");
    EXPECT_EQ(eval("::test::get_widgets -nocase $w"), "-x");
}

// Messages quote an excerpt of a huge value, never the value itself.
TEST_F(OptionsTest, MessagesQuoteAnExcerptOfAHugeValue) {
    eval("set big -[string repeat y 10000000]");
    for (const char* script : {"::test::get_widgets $big", "::test::get_widgets -of_objects $big",
                               "::test::get_widgets -nocase=$big", "::test::get_widgets -regexp ($big"}) {
        const std::string result = eval(script);
        EXPECT_LT(result.size(), 1000u) << script;
        EXPECT_NE(result.find("bytes left out"), std::string::npos) << script << ": " << result;
    }
}

TEST_F(OptionsTest, RegistrationCreatesNamespacesAndUnregisterAcceptsUnknownNames) {
    EXPECT_EQ(eval("namespace exists ::test"), "1");
    EXPECT_TRUE(task_manager::isRegistered("::test::get_widgets"));
    EXPECT_STREQ(task_manager::find_factory("::test::get_widgets")->name(), "::test::get_widgets");
    EXPECT_FALSE(task_manager::find_factory("::no::such::command"));
    const std::vector<std::string> names = task_manager::registered_names();
    EXPECT_EQ(std::count(names.begin(), names.end(), "::test::noisy"), 1);
    task_manager::unregisterFactory("::no::such::command");
    example::widgets_command::uninit();
    EXPECT_FALSE(task_manager::isRegistered("::test::get_widgets"));
    EXPECT_EQ(eval("::test::get_widgets"), "ERROR: invalid command name \"::test::get_widgets\"");
    example::widgets_command::uninit();  // twice is harmless
}

TEST_F(OptionsTest, UnregisterRemovesTheCommandFromEveryInterpreter) {
    Tcl_Interp* second = Tcl_CreateInterp();
    example::widgets_command::init(second);
    EXPECT_EQ(Tcl_Eval(second, "::test::get_widgets beta"), TCL_OK);
    example::widgets_command::uninit();
    EXPECT_FALSE(Tcl_GetCommandInfo(second, "::test::get_widgets", nullptr));
    EXPECT_FALSE(Tcl_GetCommandInfo(interp, "::test::get_widgets", nullptr));
    Tcl_DeleteInterp(second);
    // A deleted interpreter is forgotten: registering elsewhere still works.
    example::widgets_command::init(interp);
    EXPECT_EQ(eval("::test::get_widgets beta"), "beta");
}

TEST_F(OptionsTest, DescriptionIsBuiltOnceAndASecondRealBuildIsAnError) {
    using options = tov::tcltasks::task_options<example::get_widgets::task>;
    EXPECT_TRUE(tov::tcltasks::taskmgr::isTaskDescriptionLoaded("::test::get_widgets"));
    EXPECT_FALSE(tov::tcltasks::taskmgr::isTaskDescriptionLoaded("::test::unknown"));
    EXPECT_EQ(options::option_table("dummy").caption(), "Get the list of widgets");
    EXPECT_EQ(options::category_list(), "Object:Widget") << "init must not describe the command twice";
    try {
        options::option_table("Another description", "x");
        FAIL() << "errorDoubleInit expected";
    } catch (const HTCErrors::error& error) {
        EXPECT_EQ(std::string(error.what()), "the options of command \"::test::get_widgets\" were described twice");
    }
}

TEST_F(OptionsTest, TypedReadReportsAMistypedValueAndGivesTheDefault) {
    example::get_widgets::task task;
    Tcl_Obj* words[] = {Tcl_NewStringObj("::test::get_widgets", -1), Tcl_NewStringObj("-nocase", -1)};
    for (Tcl_Obj* word : words) Tcl_IncrRefCount(word);
    ASSERT_EQ(task.parse_options(interp, 2, words), TCL_OK);
    for (Tcl_Obj* word : words) Tcl_DecrRefCount(word);
    EXPECT_TRUE(task.read_option<bool>("nocase"));
    EXPECT_TRUE(task.specified_option("-nocase"));
    EXPECT_FALSE(task.specified_option("regexp"));
    EXPECT_FALSE(task.read_option<bool>("regexp")) << "the default applies";
    Messages messages;
    EXPECT_EQ(task.read_option<std::string>("nocase"), "");
    EXPECT_EQ(messages.ids, std::vector<std::string>{"@48-90@"});
    EXPECT_THROW(task.read_option<bool>("nocasee"), HTCErrors::error) << "a misspelt name fails at once";
    EXPECT_THROW(task.specified_option("-nocasee"), HTCErrors::error);
}

}  // namespace

namespace {

using example::widget_scope;
using tov::tcltasks::string_list;

class ValueSemanticTest : public TclTasksTest {
protected:
    // Parses one token that comes from a Tcl object of the same text.
    template <class Semantic>
    void parse(const Semantic& semantic, boost::any& store, const std::string& token) {
        Tcl_Obj* obj = Tcl_NewStringObj(token.c_str(), -1);
        Tcl_IncrRefCount(obj);
        tov::tcltasks::detail::tcl_globals::interp = interp;
        tov::tcltasks::detail::tcl_globals::objv[token] = obj;
        try {
            semantic.parse(store, {token}, true);
        } catch (...) {
            tov::tcltasks::detail::tcl_globals::objv.clear();
            Tcl_DecrRefCount(obj);
            throw;
        }
        tov::tcltasks::detail::tcl_globals::objv.clear();
        Tcl_DecrRefCount(obj);
    }
};

TEST_F(ValueSemanticTest, ListsComposeUnlessToldToReplaceWithAWarning) {
    std::unique_ptr<widget_scope::list_semantic<string_list>> words(widget_scope::string_list_value("*"));
    words->set_option_name("patterns");
    boost::any store;
    parse(*words, store, "a b");
    parse(*words, store, "c");
    EXPECT_EQ(boost::any_cast<string_list&>(store).size(), 3u);
    EXPECT_EQ(boost::any_cast<string_list&>(store)[2], "c");

    words->composing(false);
    Messages messages;
    parse(*words, store, "d");
    EXPECT_EQ(boost::any_cast<string_list&>(store).size(), 1u) << "the last occurrence wins";
    EXPECT_EQ(messages.ids, std::vector<std::string>{"@48-12@"});
}

TEST_F(ValueSemanticTest, DefaultsComeFromTheValueOrAProducer) {
    std::unique_ptr<widget_scope::semantic<std::string>> text(widget_scope::string_value("x"));
    boost::any fallback;
    EXPECT_TRUE(text->apply_default(fallback));
    EXPECT_EQ(boost::any_cast<std::string>(fallback), "x");
    text->default_producer([] { return boost::any(std::string("made")); }, "made");
    EXPECT_TRUE(text->apply_default(fallback));
    EXPECT_EQ(boost::any_cast<std::string>(fallback), "made");
    EXPECT_EQ(text->name(), "arg (=made)");
}

TEST_F(ValueSemanticTest, LongHelpFileIsAppendedToTheHelp) {
    const std::string dir = ::testing::TempDir();
    {
        std::ofstream file(dir + "/test_noisy.txt");
        file << "Extended explanation.\n";
    }
    setenv("ZEM_HELP_DIR", dir.c_str(), 1);
    const std::string help = eval("::test::noisy -help");
    unsetenv("ZEM_HELP_DIR");
    EXPECT_NE(help.find("Extended explanation."), std::string::npos) << help;
    EXPECT_EQ(eval("::test::noisy -help").find("Extended explanation."), std::string::npos);
}

}  // namespace
