// An interpreter with the example commands and the collection commands,
// and a model of three gadgets and widgets.
#pragma once

#include <gtest/gtest.h>
#include <tcl.h>

#include <string>
#include <vector>

#include "ComMsgMgr.h"
#include "example_command.h"
#include "HPAParamMgr.h"

// Collects the messages that reach the user while it lives.
class Messages {
public:
    Messages() {
        previous_ = ComMsgMgr::setSink([this](const ComMsgMgrInstance& m) { ids.push_back(m.id()); });
    }
    ~Messages() { ComMsgMgr::setSink(previous_); }
    Messages(const Messages&) = delete;
    Messages& operator=(const Messages&) = delete;
    std::vector<std::string> ids;

private:
    ComMsgMgr::Sink previous_;
};

class TclTasksTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static bool once = [] {
            Tcl_FindExecutable(nullptr);
            example::register_classes();
            auto& model = example::Model::global();
            example::Gadget* g1 = model.add_gadget("g1");
            example::Gadget* g2 = model.add_gadget("g2");
            model.add_gadget("unused");
            model.add_widget("beta", g1);
            model.add_widget("Alpha", g1);
            model.add_widget("gamma", g2);
            return true;
        }();
        (void)once;
    }

    void SetUp() override {
        interp = Tcl_CreateInterp();
        example::widgets_command::init(interp);
        example::noisy_command::init(interp);
        tov::tcltasks::register_collection_commands(interp);
    }
    void TearDown() override {
        example::widgets_command::uninit();
        example::noisy_command::uninit();
        Tcl_DeleteInterp(interp);
        for (const char* name : {"tcl.disableCollections", "tcl.returnAllIfOfObjectEmpty",
                                 "tcl.collectionResultDisplayLimit", "tcl.collectionResultDisplayLimitCheck"}) {
            HPAParamMgr::getParamMgr().reset(name);
        }
    }

    // Evaluates script; the result text, or "ERROR: " and the error text.
    std::string eval(const std::string& script) {
        const int code = Tcl_Eval(interp, script.c_str());
        const std::string result = Tcl_GetStringResult(interp);
        return code == TCL_OK ? result : "ERROR: " + result;
    }
    // The -errorcode of the failing script.
    std::string error_code(const std::string& script) {
        return eval("catch {" + script + "} - o; dict get $o -errorcode");
    }
    Tcl_Obj* var(const char* name) { return Tcl_GetVar2Ex(interp, name, nullptr, TCL_GLOBAL_ONLY); }
    static void set_param(const char* name, const char* value) { HPAParamMgr::getParamMgr().setValue(name, value); }

    static example::Widget* widget(std::size_t i) { return example::Model::global().widgets[i].get(); }
    static example::Gadget* gadget(std::size_t i) { return example::Model::global().gadgets[i].get(); }

    Tcl_Interp* interp = nullptr;
};
