// The console's rules that need no terminal: when typed lines make a
// command, and what completion offers.
#include <gtest/gtest.h>
#include <tcl.h>

#include <string>
#include <vector>

#include "ConsoleCompletion.h"
#include "ConsoleInput.h"
#include "ZemHost.h"

extern "C" int Zem_boardcommontasks_Init(Tcl_Interp* interp);

namespace {

using zemconsole::complete;
using zemconsole::ConsoleInput;

TEST(ConsoleInputTest, LinesGatherUntilTheCommandIsComplete) {
    struct Case {
        std::vector<std::string> lines;
        std::string command;  // expected after the last line
    };
    const Case cases[] = {
        {{"puts hi"}, "puts hi"},
        {{"proc p {} {", "  return 1", "}"}, "proc p {} {\n  return 1\n}"},
        {{"puts \"a", "b\""}, "puts \"a\nb\""},
        {{"puts [list a", "b]"}, "puts [list a\nb]"},
        {{"set x \\", "1"}, "set x \\\n1"},
        {{""}, ""},
    };
    for (const Case& c : cases) {
        ConsoleInput input;
        for (std::size_t i = 0; i + 1 < c.lines.size(); ++i) {
            EXPECT_FALSE(input.addLine(c.lines[i])) << c.lines[i];
            EXPECT_STREQ(input.prompt(), "> ");
        }
        EXPECT_TRUE(input.addLine(c.lines.back())) << c.command;
        EXPECT_EQ(input.take(), c.command);
        EXPECT_STREQ(input.prompt(), "% ");
    }
}

class CompletionTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        interp = Tcl_CreateInterp();
        ASSERT_EQ(Zem_host_Init(interp), TCL_OK) << Tcl_GetStringResult(interp);
        ASSERT_EQ(Zem_boardcommontasks_Init(interp), TCL_OK) << Tcl_GetStringResult(interp);
    }
    static void TearDownTestSuite() { Tcl_DeleteInterp(interp); }
    static Tcl_Interp* interp;
};
Tcl_Interp* CompletionTest::interp = nullptr;

TEST_F(CompletionTest, OffersCommandsThenTheOptionsOfTheCommandAtTheCursor) {
    struct Case {
        std::string typed;
        std::vector<std::string> candidates;
    };
    const Case cases[] = {
        {"::board::get_board_bu", {"::board::get_board_bus_nets", "::board::get_board_buses"}},
        {"report_p", {"report_param", "report_property"}},
        {"help -r", {"-return_string"}},
        {"help -return_string -", {"-help", "-quiet"}},
        {"::board::get_boards -no", {"-nocase"}},
        {"puts [::board::get_boards -fi", {"-filter"}},
        {"set a 1; help -re", {"-return_string"}},
        {"if {1} {\n  report_p", {"report_param", "report_property"}},
        {"help -nosuch", {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(complete(interp, c.typed).candidates, c.candidates) << c.typed;
    }
}

TEST_F(CompletionTest, OtherWordsAreLeftToFileNames) {
    for (const char* typed : {"source ex", "puts -", "::board::get_boards acme", "nosuchcommand "}) {
        zemconsole::Completion completion = complete(interp, typed);
        EXPECT_TRUE(completion.fileNames) << typed;
        EXPECT_TRUE(completion.candidates.empty()) << typed;
    }
}

TEST_F(CompletionTest, LeavesTheInterpreterStateAlone) {
    ASSERT_EQ(Tcl_Eval(interp, "catch {error boom}"), TCL_OK);
    complete(interp, "nosuchcommand -");
    EXPECT_STREQ(Tcl_GetVar(interp, "errorInfo", TCL_GLOBAL_ONLY), "boom\n    while executing\n\"error boom\"");
}

}  // namespace
