#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>

#include "HEXAll.h"
#include "HPAParamMgr.h"
#include "HTCTclUtils.h"
#include "HUTEnv.h"
#include "test_support.h"

namespace {

HPAParamMgr& params() { return HPAParamMgr::getParamMgr(); }

std::string errorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const HEXAll& e) {
        return e.what();
    }
    return "(no error)";
}

TEST(ParamsTest, BoolAcceptsTclWordsCaseBlindAndStoresCanonically) {
    const char* name = "tcl.returnAllIfOfObjectEmpty";
    for (const char* word : {"1", "true", "TRUE", "Yes", "on", "5"}) {
        params().setValue(name, word);
        EXPECT_EQ(params().getValue(name), "1") << word;
        EXPECT_TRUE(params().getValueAsBool(name)) << word;
    }
    for (const char* word : {"0", "false", "No", "OFF"}) {
        params().setValue(name, word);
        EXPECT_EQ(params().getValue(name), "0") << word;
    }
    params().reset(name);
}

TEST(ParamsTest, BadValuesNameParameterValueAndExpectedType) {
    EXPECT_EQ(errorOf([] { params().setValue("tcl.disableCollections", "maybe"); }),
              "invalid value \"maybe\" for parameter \"tcl.disableCollections\": expected a boolean "
              "(1/0, true/false, yes/no, on/off)");
    EXPECT_EQ(errorOf([] { params().setValue("tcl.collectionResultDisplayLimit", "12x"); }),
              "invalid value \"12x\" for parameter \"tcl.collectionResultDisplayLimit\": expected an integer");
    EXPECT_EQ(errorOf([] { params().setValue("no.such", "1"); }), "unknown parameter \"no.such\"");
    EXPECT_EQ(errorOf([] { params().getValueAsBool("board.repoPaths"); }),
              "parameter \"board.repoPaths\" is of type string, not bool");
    EXPECT_FALSE(params().getValueAsBool("tcl.disableCollections"));  // unchanged by the failed set
}

TEST(ParamsTest, IntAndDoubleAreStoredCanonically) {
    params().setValue("tcl.collectionResultDisplayLimit", " -1 ");
    EXPECT_EQ(params().getValue("tcl.collectionResultDisplayLimit"), "-1");
    EXPECT_EQ(params().getValueAsDouble("tcl.collectionResultDisplayLimit"), -1.0);
    params().reset("tcl.collectionResultDisplayLimit");
    params().define("test.ratio", HPAParamType::Double, "0.5", "test");
    params().setValue("test.ratio", "2");
    EXPECT_EQ(params().getValue("test.ratio"), "2.0");
    EXPECT_DOUBLE_EQ(params().getValueAsDouble("test.ratio"), 2.0);
}

TEST(ParamsTest, RedefinitionMustAgree) {
    params().define("test.redefined", HPAParamType::Int, "3", "first");
    EXPECT_NO_THROW(params().define("test.redefined", HPAParamType::Int, "03", "again"));
    EXPECT_NE(errorOf([] {
                  params().define("test.redefined", HPAParamType::Bool, "1", "");
              }).find("already defined as int with default \"3\""),
              std::string::npos);
    EXPECT_NE(
        errorOf([] { params().define("test.badDefault", HPAParamType::Int, "x", ""); }).find("expected an integer"),
        std::string::npos);
    EXPECT_FALSE(params().exists("test.badDefault"));
}

TEST(ParamsTest, EnvironmentGivesTheFirstValue) {
    ::setenv("ZEM_TEST_FROMENV", "off", 1);
    params().define("test.fromEnv", HPAParamType::Bool, "1", "test");
    ::unsetenv("ZEM_TEST_FROMENV");
    EXPECT_EQ(params().getValue("test.fromEnv"), "0");
    EXPECT_EQ(params().get("test.fromEnv").defaultValue, "1");
    params().reset("test.fromEnv");
    EXPECT_EQ(params().getValue("test.fromEnv"), "1");
}

TEST(ParamsTest, BadEnvironmentValueWarnsAndKeepsDefault) {
    MessageCapture capture;
    ::setenv("ZEM_TEST_BADENV", "lots", 1);
    params().define("test.badEnv", HPAParamType::Int, "4", "test");
    ::unsetenv("ZEM_TEST_BADENV");
    EXPECT_EQ(params().getValueAsInt("test.badEnv"), 4);
    ASSERT_EQ(capture.messages.size(), 1u);
    EXPECT_EQ(capture.messages[0].severity(), ComMsgSeverity::Warning);
    EXPECT_NE(capture.messages[0].text().find("ZEM_TEST_BADENV"), std::string::npos);
    EXPECT_NE(capture.messages[0].text().find("\"lots\""), std::string::npos);
}

TEST(ParamsTest, ListenersFireOnRealChangesOnly) {
    std::vector<std::string> changed;
    const int id = params().addListener([&](const std::string& name) { changed.push_back(name); });
    params().setValue("board.enableIntegration", "yes");  // already true
    params().setValue("board.enableIntegration", "no");
    params().reset("board.enableIntegration");
    params().removeListener(id);
    params().setValue("board.enableIntegration", "0");
    params().reset("board.enableIntegration");
    EXPECT_EQ(changed, (std::vector<std::string>{"board.enableIntegration", "board.enableIntegration"}));
}

TEST(UtilitiesTest, PrecisionComesFromTheFrameworkInterpreter) {
    EXPECT_EQ(HTCTclUtils::tclGetPrecision(3), 3);  // no interpreter set
    TclInterp interp;
    HTCTclUtils::setInterp(interp.get());
    EXPECT_EQ(HTCTclUtils::tclGetPrecision(3), 3);  // tcl_precision 0: shortest form
    Tcl_SetVar2(interp.get(), "tcl_precision", nullptr, "6", TCL_GLOBAL_ONLY);
    EXPECT_EQ(HTCTclUtils::tclGetPrecision(3), 6);
    Tcl_SetVar2(interp.get(), "tcl_precision", nullptr, "0", TCL_GLOBAL_ONLY);  // process-wide in Tcl
    HTCTclUtils::setInterp(nullptr);
}

// A deleted interpreter is never asked again, and another thread's never at all.
TEST(UtilitiesTest, TheFrameworkInterpreterIsPerThreadAndForgottenWhenDeleted) {
    Tcl_Interp* deleted = Tcl_CreateInterp();
    HTCTclUtils::setInterp(deleted);
    Tcl_DeleteInterp(deleted);
    EXPECT_EQ(HTCTclUtils::getInterp(), nullptr);
    TclInterp interp;
    HTCTclUtils::setInterp(interp.get());
    Tcl_Interp* seenByOther = interp.get();
    std::thread([&] { seenByOther = HTCTclUtils::getInterp(); }).join();
    EXPECT_EQ(seenByOther, nullptr);
    EXPECT_EQ(HTCTclUtils::getInterp(), interp.get());
    HTCTclUtils::setInterp(nullptr);
}

}  // namespace
