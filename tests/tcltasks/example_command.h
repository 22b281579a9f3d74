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
#include "HCPTclFilterMatch.h"
#include "HTCTclPatternMatch.h"
#include "tcl_command.h"

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
using widget_list = tcl_collection<HSTVector<Widget*>>;

class task : public HTCITaskHelper<task> {
public:
    static constexpr const char* command_name = "::test::get_widgets";

    static void describe() {
        add_category("Object");
        add_category("Widget");
        option_table("Get the list of widgets", "list of widget objects")
            .add_options()
            .add_option("-regexp", scope::switch_value(), OptionDescription("Patterns are full regular expressions"))
            .add_option("-nocase", scope::switch_value(), OptionDescription("Perform case-insensitive matching"))
            .add_option("patterns", scope::string_list_value("*"), OptionDescription("Match widget names against patterns"),
                        ValueDescription("The default search pattern is the wildcard *."), DefaultValueDescription("*"))
            .add_option("-filter", scope::string_value(), OptionDescription("Filter list with expression"));
        positional_table().add("patterns", -1);
        option_table("dummy").add_option("-of_objects", scope::object_list_value(),
                                         OptionDescription(of_objects_text<Widget*, Gadget*>()));
    }

    const char* owner() const override { return "test.widgets"; }

    int execute(Tcl_Interp* interp) override {
        gather(interp);
        match_patterns(interp);
        apply_filter(interp);
        if (result_.empty()) {
            ComMsgMgr::sendMsg::eval(0, "tests/tcltasks/example_command.h", __LINE__, "test", HMSG_MASK_WARNING,
                                     "@99-1@");
        }
        return scope::set_result(interp, result_);
    }

private:
    void gather(Tcl_Interp*) {
        const object_list of = read_option<object_list>("of_objects");
        if (of.empty()) {
            const bool allIfEmpty = HPAParamMgr::getParamMgr().getValueAsBool("tcl.returnAllIfOfObjectEmpty");
            if (specified_option("of_objects") && !allIfEmpty) return;
            for (const auto& widget : Model::global().widgets) result_.push_back(widget.get());
            return;
        }
        for (std::size_t i = 0; i < of.size(); ++i) {
            Gadget* const* gadget = tclany_cast<Gadget*>(of[i]);
            if (!gadget || !*gadget) {
                throw HEXAll(HTCErrors::ofObjectNotSupported(
                    HCPProperty::getObjectClassName(HCPProperty::getObjectInfo(of[i])), class_name_of<Gadget*>()));
            }
            for (const auto& widget : Model::global().widgets) {
                if (widget->gadget == *gadget) result_.push_back(widget.get());
            }
        }
    }

    void match_patterns(Tcl_Interp* interp) {
        if (!specified_option("patterns")) return;
        const bool regexp = read_option<bool>("regexp");
        const bool nocase = read_option<bool>("nocase");
        const string_list patterns = read_option<string_list>("patterns");
        widget_list matched;
        for (std::size_t p = 0; p < patterns.size(); ++p) {
            HTCTclPatternMatch matcher(patterns[p], regexp, nocase, interp);
            for (std::size_t i = 0; i < result_.size(); ++i) {
                const std::string name = result_[i]->getName();
                if (nocase ? matcher.matchNoCase(name, -1) : matcher.match(name, -1)) matched.push_back(result_[i]);
            }
        }
        result_ = matched;
    }

    void apply_filter(Tcl_Interp* interp) {
        const std::string filter = read_option<std::string>("filter");
        if (result_.empty() || filter.empty()) return;
        HCPTclFilterMatch matcher(filter, interp, false, false);
        widget_list kept;
        for (std::size_t i = 0; i < result_.size(); ++i) {
            if (matcher.match(tclany(result_[i]))) kept.push_back(result_[i]);
        }
        result_ = kept;
    }

    widget_list result_;
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
using widget_list = get_widgets::widget_list;

}  // namespace example
