// Task and factory templates: a command's task T derives from
// HTCITaskHelper<T>, its factory from HTCIFactoryHelper<T>. T supplies
//   static constexpr const char* command_name;   the full Tcl name
//   int execute(Tcl_Interp*) override;             the body
// and, to describe its options, a static describe() (see tcl_command.h; a
// query command derives from query_task in tcl_query.h instead).
#pragma once

#include <atomic>
#include <boost/any.hpp>
#include <boost/core/demangle.hpp>
#include <boost/shared_ptr.hpp>
#include <cstring>
#include <string>

#include "ComMsgMgr.h"
#include "HTCErrors.h"
#include "tcltasks_framework.h"

namespace tov {
namespace tcltasks {

struct null_tag {};

namespace detail {

template <class T, bool Undoable, bool MergesUndo>
class itask_undo_helper;

template <class T>
class itask_undo_helper<T, false, false> : public virtual itask {
public:
    bool can_undo() const override { return false; }
};

template <class T, bool Redoable>
class itask_redo_helper;

template <class T>
class itask_redo_helper<T, false> : public virtual itask {
public:
    bool can_redo() const override { return false; }
};

}  // namespace detail

// The static description of T's command and the option part of its tasks.
template <class T>
class task_options : public task_options_base {
public:
    // The first call builds the table; a later call with a real description
    // means two descriptions for one command. "dummy" only reads it.
    static options_description& option_table(const char* description = "dummy", const char* resultType = "") {
        // Every thread's commands read it: the flag changes once, atomically.
        static std::atomic<bool> initialised{false};
        static options_description table(description, resultType);
        const bool dummy = std::strcmp(description, "dummy") == 0;
        const bool earlier = initialised.load() || initialised.exchange(true);
        if (earlier && !dummy) task_options_base::errorDoubleInit(T::command_name);
        if (!earlier && !dummy) table.bind_command(T::command_name);
        return table;
    }
    static positional_options_description& positional_table() {
        static positional_options_description table;
        return table;
    }
    static std::string& category_list() {
        static std::string list;
        return list;
    }
    // Appends one category word to the list.
    static void add_category(const std::string& word) {
        std::string& list = category_list();
        list += (list.empty() ? "" : ":") + word;
    }

    options_description& options() override { return option_table(); }
    positional_options_description& positionals() override { return positional_table(); }
    std::string categories() const override { return category_list(); }
    std::string translate(const std::string& text) const override { return text; }
    const char* owner() const override { return "unknown"; }

    // The typed read: the value, or V() after reporting a missing or
    // mistyped value through bad_cast.
    template <class V>
    V read_option(const std::string& name) const {
        return read_option<V>(name.c_str());
    }
    template <class V>
    V read_option(const char* name) const {
        const boost::any* value = get_option_value(name);
        if (value && !value->empty()) {
            if (const V* typed = boost::any_cast<V>(value)) return *typed;
        }
        bad_cast(name, value, boost::core::demangle(typeid(V).name()), this);
        return V();
    }

protected:
    const char* command_name() const override { return T::command_name; }
};

template <class T, class Tag = null_tag>
class itask_helper : public virtual itask,
                     public detail::itask_undo_helper<T, false, false>,
                     public detail::itask_redo_helper<T, false>,
                     public task_options<T> {
public:
    int run(Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) override {
        const int code = this->parse_options(interp, objc, objv);
        if (code != TCL_OK) return code;
        const std::size_t messagesBefore = ComMsgMgr::sentSoFar();
        int status = TCL_ERROR;
        try {
            status = execute(interp);
        } catch (const HTCErrors::ended_after_message&) {
        }
        return status == TCL_ERROR ? set_status_error(interp, T::command_name, messagesBefore) : status;
    }
    bool is_journaled() const override { return true; }
    bool needs_gui() const override { return false; }
    bool runs_in_batch() const override { return true; }
    const char* name() const override { return T::command_name; }
    std::string translate(const std::string& text) const override { return text; }
    std::string options_text() override { return task_options<T>::option_table().description(); }
    bool is_hidden() const override { return false; }
    bool is_deprecated() const override { return false; }
    std::string help(Tcl_Interp* interp, const std::string& text) override {
        return task_options_base::help(interp, T::command_name, text);
    }
    std::string categories() const override { return task_options<T>::category_list(); }
    bool is_object_query() const override { return true; }
    bool changes_design() const override { return false; }
    bool changes_project() const override { return false; }
    bool accepts_quiet() const override { return true; }
    bool accepts_help() const override { return true; }
    bool reentrant() const override { return true; }
    bool is_internal() const override { return false; }
    bool needs_license() const override { return false; }
    bool is_public() const override { return true; }
    int execute(Tcl_Interp*) override { return TCL_ERROR; }
    const char* owner() const override { return "unknown"; }
};

template <class T, class Tag = null_tag>
class HTCITaskHelper : public itask_helper<T, Tag>, private HTCGuiStatusAccess {};

template <class T>
class ifactory_helper : public ifactory {
public:
    boost::shared_ptr<itask> create() override { return boost::shared_ptr<itask>(static_cast<itask*>(new T)); }
    const char* name() const override { return T::command_name; }
};

template <class T>
class HTCIFactoryHelper : public ifactory_helper<T> {};

}  // namespace tcltasks
}  // namespace tov
