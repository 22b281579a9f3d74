// A command file written only from the framework templates, the way the
// board commands are: ::test::get_widgets lists widgets, narrowed by the
// gadgets given with -of_objects, by name patterns and by a filter.
// ::test::noisy reports a message, can evaluate a nested script and can
// fail in the ways a command body fails.
#pragma once

#include <tcl.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "ComMsgMgr.h"
#include "tcl_query.h"

namespace example {

struct Gadget;

struct Widget {
    std::string name;
    Gadget* gadget;
    std::string getName() const { return name; }
};

struct Gadget {
    std::string name;
    std::string getName() const { return name; }
};

// The model: widgets and gadgets that outlive every command.
struct Model {
    std::vector<std::unique_ptr<Gadget>> gadgets;
    std::vector<std::unique_ptr<Widget>> widgets;

    Gadget* add_gadget(const std::string& name) {
        gadgets.emplace_back(new Gadget{name});
        return gadgets.back().get();
    }
    Widget* add_widget(const std::string& name, Gadget* gadget = nullptr) {
        widgets.emplace_back(new Widget{name, gadget});
        return widgets.back().get();
    }
    static Model& global() {
        static Model model;
        return model;
    }
};

inline void register_classes() {
    auto& widget = HCPProperty::registerClass<Widget>("widget");
    HCPProperty::addProperty<Widget>(widget, "NAME", HCPProperty::Type::String, "Name of the widget",
                                     [](const Widget& w) { return HCPValue(w.name); });
    auto& gadget = HCPProperty::registerClass<Gadget>("gadget");
    HCPProperty::addProperty<Gadget>(gadget, "NAME", HCPProperty::Type::String, "Name of the gadget",
                                     [](const Gadget& g) { return HCPValue(g.name); });
}

// Named (not unnamed) namespaces: several test files include this file and
// must share one description per command.
namespace get_widgets {

using namespace tov::tcltasks;
using namespace tov::tcltasks::HTCTclTaskOptions;

struct tcl_extension {};
struct tuid {};
using scope = tcl_scope<tcl_extension, tuid>;

class task : public query_task<task, scope, Widget*, of_types<Gadget*>> {
public:
    static constexpr const char* command_name = "::test::get_widgets";
    static constexpr query_description description = {"Get the list of widgets", "list of widget objects",
                                                      "Object:Widget", "Match widget names against patterns", nullptr};
    static constexpr filter_settings filtering = {false, false};

    const char* owner() const override { return "test.widgets"; }

    void gather_default(Tcl_Interp*) {
        for (const auto& widget : Model::global().widgets) result().push_back(widget.get());
    }

    void gather(Gadget* gadget) {
        for (const auto& widget : Model::global().widgets) {
            if (widget->gadget == gadget) result().push_back(widget.get());
        }
    }

    int finish(Tcl_Interp*) {
        if (result().empty()) {
            ComMsgMgr::sendMsg::eval(0, "tests/tcltasks/example_command.h", __LINE__, "test", HMSG_MASK_WARNING,
                                     "@99-1@");
        }
        return TCL_OK;
    }
};

class factory : public HTCIFactoryHelper<task> {};

}  // namespace get_widgets

namespace noisy {

using namespace tov::tcltasks;
using namespace tov::tcltasks::HTCTclTaskOptions;

struct tcl_extension {};
struct tuid {};
using scope = tcl_scope<tcl_extension, tuid>;

class task : public HTCITaskHelper<task> {
public:
    static constexpr const char* command_name = "::test::noisy";

    static void describe() {
        add_category("Test");
        option_table("Report a message, then fail as asked", "the nested script's result")
            .add_options()
            .add_option("-fail", scope::string_value(), OptionDescription("none, error, message, std or other"))
            .add_option("-nested", scope::string_value(), OptionDescription("Script evaluated inside the command"))
            .add_option("-note", scope::string_value("@99-2@"), OptionDescription("Id of the message reported"));
    }

    int execute(Tcl_Interp* interp) override {
        const std::string note = read_option<std::string>("note");
        ComMsgMgr::sendMsg::eval(0, "tests/tcltasks/example_command.h", __LINE__, "test", HMSG_MASK_INFO, note.c_str());
        const std::string nested = read_option<std::string>("nested");
        if (!nested.empty()) {
            tclcmdobj command(interp, nested);
            if (command.eval(task_manager::dont_record_command, false) != TCL_OK) return TCL_ERROR;
            Tcl_Obj* result = command.get_result();
            Tcl_SetObjResult(interp, result);
            Tcl_DecrRefCount(result);
        }
        fail(read_option<std::string>("fail"));
        return TCL_OK;
    }

private:
    static void fail(const std::string& how) {
        if (how == "error") throw HTCErrors::index_out_of_range(7);
        if (how == "message") throw HEXAll(HTCErrors::ofObjectNotSupported("gadget", "widget"));
        if (how == "std") throw std::runtime_error("plain failure");
        if (how == "other") throw 42;
    }
};

class factory : public HTCIFactoryHelper<task> {};

}  // namespace noisy

using widgets_command = tov::tcltasks::command_registration<get_widgets::task, get_widgets::factory>;
using noisy_command = tov::tcltasks::command_registration<noisy::task, noisy::factory>;
using widget_scope = get_widgets::scope;
using widget_list = get_widgets::task::result_list;

}  // namespace example
