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

// True when -of_objects was given as an empty list and that means "none"
// (the parameter "tcl.returnAllIfOfObjectEmpty" is off).
template <class Task>
bool of_objects_given_empty(const Task& task) {
    return task.specified_option("of_objects") &&
           !HPAParamMgr::getParamMgr().getValueAsBool("tcl.returnAllIfOfObjectEmpty");
}

// The error for an -of_objects element of a type the command does not take.
inline HEXAll of_object_not_supported(const tclany& element, const std::string& acceptedTypes) {
    return HEXAll(HTCErrors::ofObjectNotSupported(
        HCPProperty::getObjectClassName(HCPProperty::getObjectInfo(element)), acceptedTypes));
}

// Keeps the objects whose names match the patterns given on the command
// line, pattern by pattern: an object matched by two patterns stays twice.
template <class Task, class V>
void apply_patterns(const Task& task, Tcl_Interp* interp, tcl_collection<HSTVector<V*>>& objects) {
    if (!task.specified_option("patterns")) return;
    const bool regexp = task.template read_option<bool>("regexp");
    const bool nocase = task.template read_option<bool>("nocase");
    const string_list patterns = task.template read_option<string_list>("patterns");
    tcl_collection<HSTVector<V*>> matched;
    for (std::size_t p = 0; p < patterns.size(); ++p) {
        const HTCTclPatternMatch matcher(patterns[p], regexp, nocase, interp);
        for (std::size_t i = 0; i < objects.size(); ++i) {
            const std::string name = objects[i]->getName();
            if (nocase ? matcher.matchNoCase(name, -1) : matcher.match(name, -1)) matched.push_back(objects[i]);
        }
    }
    objects = matched;
}

// Keeps the objects that pass the -filter expression.
template <class Task, class V>
void apply_filter(const Task& task, Tcl_Interp* interp, tcl_collection<HSTVector<V*>>& objects) {
    const std::string filter = task.template read_option<std::string>("filter");
    if (objects.empty() || filter.empty()) return;
    const HCPTclFilterMatch matcher(filter, interp, false, false);
    tcl_collection<HSTVector<V*>> kept;
    for (std::size_t i = 0; i < objects.size(); ++i) {
        if (matcher.match(tclany(objects[i]))) kept.push_back(objects[i]);
    }
    objects = kept;
}

}  // namespace HBOCTcQuery
