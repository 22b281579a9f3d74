// The shape every query command shares: its options declared by one call,
// the -of_objects types written once, and one execute() that reads the
// options, gathers, narrows by names and a filter, and hands the result to
// Tcl. A command file supplies its description, its default gathering and
// one gather() per accepted -of_objects type. See docs/task-framework.md.
#pragma once

#include <tcl.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "HCPProperty.h"
#include "HCPTclFilterMatch.h"
#include "HTCErrors.h"
#include "HTCTclPatternMatch.h"
#include "tcl_command.h"

namespace tov {
namespace tcltasks {

// The error for an -of_objects element of a type the command does not take.
inline HEXAll of_object_not_supported(const tclany& element, const std::string& acceptedTypes) {
    return HEXAll(HTCErrors::ofObjectNotSupported(HCPProperty::getObjectClassName(HCPProperty::getObjectInfo(element)),
                                                  acceptedTypes));
}

// The -of_objects element types a command accepts, in the order its help
// text and its error name them. The one list gives the help text, the type
// list of the error and the dispatch, so the three cannot drift.
template <class... Accepted>
struct of_types {
    // The class names, joined by one blank; built once.
    static const std::string& names() {
        static const std::string joined = join({class_name_of<Accepted>()...});
        return joined;
    }

    // "Get '<class of Result>' objects of these types: '<names>'."
    template <class Result>
    static std::string help_text() {
        return "Get '" + class_name_of<Result>() + "' objects of these types: '" + names() + "'.";
    }

    // Hands the element to gatherer.gather(P) for the accepted type P it
    // holds. Anything else, a null pointer included, ends the command.
    template <class Gatherer>
    static void dispatch(const tclany& element, Gatherer& gatherer) {
        if (!(take<Accepted>(element, gatherer) || ...)) throw of_object_not_supported(element, names());
    }

private:
    template <class P, class Gatherer>
    static bool take(const tclany& element, Gatherer& gatherer) {
        const P* held = tclany_cast<P>(element);
        if (!held || !*held) return false;
        gatherer.gather(*held);
        return true;
    }

    static std::string join(std::initializer_list<std::string> words) {
        std::string joined;
        for (const std::string& word : words) joined += (joined.empty() ? "" : " ") + word;
        return joined;
    }
};

// How a query runs its -filter stage.
struct filter_settings {
    bool plain_values_read_empty;  // the matcher's last argument; query results hold objects only
    bool on_empty_result;          // also run (and so report a malformed filter) when nothing was gathered
};

// What a query says about itself in its help.
struct query_description {
    const char* description;
    const char* result_type;
    const char* categories;     // the category words joined by ":"
    const char* patterns_help;  // "Match Board names against patterns"
    const char* all_help;       // the -all switch after -nocase; null when the command has none
};

// The name options every query reads, read once.
struct name_options {
    bool regexp = false;
    bool nocase = false;
    std::string filter;
    string_list patterns;
    bool patterns_given = false;  // the default "*" is never applied
};

// An empty -of_objects list counts as none given when it was not given at
// all, or when "tcl.returnAllIfOfObjectEmpty" says so.
inline bool of_objects_empty_means_all(const task_options_base& options) {
    return !options.specified_option("of_objects") ||
           HPAParamMgr::getParamMgr().getValueAsBool("tcl.returnAllIfOfObjectEmpty");
}

// Keeps the objects whose names (name_of(object)) match the patterns,
// pattern by pattern: an object matched by two patterns stays twice, under
// the earlier first.
template <class V, class NameOf>
void keep_matching_names(const name_options& options, Tcl_Interp* interp, tcl_collection<HSTVector<V*>>& objects,
                         NameOf name_of) {
    if (!options.patterns_given) return;
    tcl_collection<HSTVector<V*>> matched;
    for (std::size_t p = 0; p < options.patterns.size(); ++p) {
        const HTCTclPatternMatch matcher(options.patterns[p], options.regexp, options.nocase, interp);
        for (std::size_t i = 0; i < objects.size(); ++i) {
            const std::string& name = name_of(objects[i]);  // no copy when name_of returns a reference
            if (options.nocase ? matcher.matchNoCase(name, -1) : matcher.match(name, -1)) matched.push_back(objects[i]);
        }
    }
    objects = matched;
}

// Keeps the objects that pass the -filter expression.
template <class V>
void keep_filtered(const name_options& options, const filter_settings& settings, Tcl_Interp* interp,
                   tcl_collection<HSTVector<V*>>& objects) {
    if (options.filter.empty() || (objects.empty() && !settings.on_empty_result)) return;
    const HCPTclFilterMatch matcher(options.filter, interp, false, settings.plain_values_read_empty);
    matcher.checkProperties(typeid(V*));  // a misspelt property fails whatever was gathered
    tcl_collection<HSTVector<V*>> kept;
    for (std::size_t i = 0; i < objects.size(); ++i) {
        if (matcher.match(objects[i])) kept.push_back(objects[i]);  // no tclany per object
    }
    objects = kept;
}

// The base of a query command's task; Scope is the file's tcl_scope. T supplies
//   static constexpr const char* command_name;
//   static constexpr query_description description;
//   void gather_default(Tcl_Interp*);    no -of_objects (or an empty list that counts as none)
//   void gather(P) for each P of OfTypes
// and may hide the defaults below:
//   static constexpr filter_settings filtering;     how -filter runs
//   int check(Tcl_Interp*);                         before gathering; a status other than TCL_OK ends the command
//   void gather_all(Tcl_Interp*);                   the whole gathering, for a command that does not read
//                                                   -of_objects (then gather_default and gather(P) are not needed)
//   void narrow();                                  after gathering, before the names (e.g. the enabled
//                                                   rule: keep_enabled_unless_all)
//   int finish(Tcl_Interp*);                        after the result is set; its status is the command's
//   static void describe_extra(options_description&);  options declared after -filter (e.g. -ip)
//   void narrow_named();                            after the names, before -filter (e.g. the -ip filter)
//   static std::string name_of(Result);             the name the patterns match (getName() by default)
template <class T, class Scope, class Result, class OfTypes>
class query_task : public HTCITaskHelper<T> {
public:
    using result_list = tcl_collection<HSTVector<Result>>;

    // Most queries report a malformed filter (or one naming a property their
    // class lacks) even when nothing was gathered.
    static constexpr filter_settings filtering = {true, true};

    // The options in the order every query declares them: -regexp, -nocase,
    // -all (when the command has it), patterns, -filter, the command's own,
    // then patterns as the positional words and -of_objects last.
    static void describe() {
        using namespace HTCTclTaskOptions;
        const query_description& d = T::description;
        T::add_category(d.categories);
        options_description& table = T::option_table(d.description, d.result_type);
        table.add_option("-regexp", Scope::switch_value(), OptionDescription("Patterns are full regular expressions"))
            .add_option("-nocase", Scope::switch_value(), OptionDescription("Perform case-insensitive matching"));
        if (d.all_help) table.add_option("-all", Scope::switch_value(), OptionDescription(d.all_help));
        table
            .add_option(
                "patterns", Scope::string_list_value("*"), OptionDescription(d.patterns_help),
                ValueDescription("The default search pattern is the wildcard *, or .* when -regexp is specified."),
                DefaultValueDescription("*"))
            .add_option("-filter", Scope::string_value(), OptionDescription("Filter list with expression"));
        T::describe_extra(table);
        T::positional_table().add("patterns", -1);
        table.add_option("-of_objects", Scope::object_list_value(),
                         OptionDescription(OfTypes::template help_text<Result>()));
    }

    int execute(Tcl_Interp* interp) override {
        T& self = static_cast<T&>(*this);
        names_ = read_name_options();
        const int status = self.check(interp);
        if (status != TCL_OK) return status;
        self.gather_all(interp);
        self.narrow();
        keep_matching_names(names_, interp, result_, &T::name_of);
        self.narrow_named();
        keep_filtered(names_, T::filtering, interp, result_);
        Scope::set_result(interp, result_);
        return self.finish(interp);
    }

    // Defaults of the optional hooks.
    static void describe_extra(options_description&) {}
    int check(Tcl_Interp*) { return TCL_OK; }
    // Gathers from the -of_objects elements, or with gather_default() when
    // there are none that count.
    void gather_all(Tcl_Interp* interp) {
        T& self = static_cast<T&>(*this);
        // Not read when not given: its default is made only on request.
        const object_list of = this->specified_option("of_objects")
                                   ? this->template read_option<object_list>("of_objects")
                                   : object_list();
        if (!of.empty()) {
            for (std::size_t i = 0; i < of.size(); ++i) OfTypes::dispatch(of[i], self);
        } else if (of_objects_empty_means_all(*this)) {
            self.gather_default(interp);
        }
    }
    void narrow() {}
    void narrow_named() {}
    static std::string name_of(Result object) { return object->getName(); }
    int finish(Tcl_Interp*) { return TCL_OK; }

protected:
    const name_options& names() const { return names_; }
    result_list& result() { return result_; }
    // The result as the vector model getters append to; for gathering, before
    // the result has a Tcl object.
    HSTVector<Result>& gathered() { return result_.get(); }

    // Keeps the objects for which keep(object) is true, in order.
    template <class Predicate>
    void keep_only(Predicate keep) {
        result_list kept;
        for (std::size_t i = 0; i < result_.size(); ++i) {
            if (keep(result_[i])) kept.push_back(result_[i]);
        }
        result_ = kept;
    }

    // The enabled rule of a command with -all: unless -all was given, keeps
    // the objects whose enabled text (getIsEnabled()) the rule accepts.
    void keep_enabled_unless_all(bool (*enabled)(const std::string&)) {
        if (this->template read_option<bool>("all")) return;
        keep_only([enabled](Result object) { return enabled(object->getIsEnabled()); });
    }

private:
    name_options read_name_options() const {
        name_options options;
        options.regexp = this->template read_option<bool>("regexp");
        options.nocase = this->template read_option<bool>("nocase");
        options.filter = this->template read_option<std::string>("filter");
        options.patterns_given = this->specified_option("patterns");
        if (options.patterns_given) options.patterns = this->template read_option<string_list>("patterns");
        return options;
    }

    name_options names_;
    result_list result_;
};

}  // namespace tcltasks
}  // namespace tov
