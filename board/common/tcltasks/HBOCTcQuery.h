// The stages that every query command shares: the -of_objects rules,
// narrowing by name patterns and by a filter expression, and the error for
// an -of_objects element the command does not take. A command file keeps
// only its own gathering.
#pragma once

#include <tcl.h>

#include <string>

#include "HCPProperty.h"
#include "HCPTclFilterMatch.h"
#include "HPAParamMgr.h"
#include "HTCErrors.h"
#include "HTCTclPatternMatch.h"
#include "tcl_command.h"

namespace HBOCTcQuery {

using tov::tcltasks::string_list;
using tov::tcltasks::tcl_collection;
using tov::tcltasks::tclany;

// The parameter that makes an empty -of_objects list count as none given.
inline bool return_all_if_of_objects_empty() {
    return HPAParamMgr::getParamMgr().getValueAsBool("tcl.returnAllIfOfObjectEmpty");
}

// The error for an -of_objects element of a type the command does not take.
inline HEXAll of_object_not_supported(const tclany& element, const std::string& acceptedTypes) {
    return HEXAll(HTCErrors::ofObjectNotSupported(
        HCPProperty::getObjectClassName(HCPProperty::getObjectInfo(element)), acceptedTypes));
}

// The name and filter options every query command has, read once, in the
// order the commands declare them.
struct NameFilter {
    bool regexp;
    bool nocase;
    std::string filter;
    string_list patterns;
    bool patternsGiven;  // the default "*" is never applied
};

template <class Task>
NameFilter read_name_filter(const Task& task) {
    NameFilter options;
    options.regexp = task.template read_option<bool>("regexp");
    options.nocase = task.template read_option<bool>("nocase");
    options.filter = task.template read_option<std::string>("filter");
    options.patterns = task.template read_option<string_list>("patterns");
    options.patternsGiven = task.specified_option("patterns");
    return options;
}

// Keeps the objects whose names match the patterns given on the command
// line, pattern by pattern: an object matched by two patterns stays twice.
template <class V>
void apply_patterns(const NameFilter& options, Tcl_Interp* interp, tcl_collection<HSTVector<V*>>& objects) {
    if (!options.patternsGiven) return;
    tcl_collection<HSTVector<V*>> matched;
    for (std::size_t p = 0; p < options.patterns.size(); ++p) {
        const HTCTclPatternMatch matcher(options.patterns[p], options.regexp, options.nocase, interp);
        for (std::size_t i = 0; i < objects.size(); ++i) {
            const std::string name = objects[i]->getName();
            if (options.nocase ? matcher.matchNoCase(name, -1) : matcher.match(name, -1)) {
                matched.push_back(objects[i]);
            }
        }
    }
    objects = matched;
}

// Keeps the objects that pass the -filter expression.
template <class V>
void apply_filter(const NameFilter& options, Tcl_Interp* interp, tcl_collection<HSTVector<V*>>& objects) {
    if (objects.empty() || options.filter.empty()) return;
    const HCPTclFilterMatch matcher(options.filter, interp, false, false);
    tcl_collection<HSTVector<V*>> kept;
    for (std::size_t i = 0; i < objects.size(); ++i) {
        if (matcher.match(tclany(objects[i]))) kept.push_back(objects[i]);
    }
    objects = kept;
}

}  // namespace HBOCTcQuery
