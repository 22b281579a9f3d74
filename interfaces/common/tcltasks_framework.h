// Tasks, factories and their registration as Tcl commands.
//
// A factory names one Tcl command and makes one task per call of it; the
// task parses its arguments (slot 0) and runs its body (execute). Every
// HEXAll or std::exception thrown by a task becomes the command's Tcl
// error (set_command_error); nothing escapes into Tcl.
#pragma once

#include <tcl.h>

#include <boost/shared_ptr.hpp>
#include <deque>
#include <string>
#include <vector>

#include "HEXAll.h"
#include "tcl_obj_ref.h"
#include "tcltasks_objects.h"
#include "tcltasks_options.h"

namespace tov {
namespace tcltasks {

class itask {
public:
    virtual int run(Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) = 0;   // 0
    virtual bool can_undo() const = 0;                                          // 1
    virtual bool can_redo() const = 0;                                          // 2
    virtual bool is_journaled() const = 0;                                      // 3
    virtual bool needs_gui() const = 0;                                         // 4
    virtual bool runs_in_batch() const = 0;                                     // 5
    virtual const char* name() const = 0;                                       // 6
    virtual std::string translate(const std::string& text) const = 0;           // 7
    virtual std::string options_text() = 0;                                     // 8
    virtual bool is_hidden() const = 0;                                         // 9
    virtual bool is_deprecated() const = 0;                                     // 10
    virtual std::string help(Tcl_Interp* interp, const std::string& text) = 0;  // 11
    virtual std::string categories() const = 0;                                 // 12
    virtual ~itask();                                                           // 13, 14
    virtual bool is_object_query() const = 0;                                   // 15
    virtual bool changes_design() const = 0;                                    // 16
    virtual bool changes_project() const = 0;                                   // 17
    virtual bool accepts_quiet() const = 0;                                     // 18
    virtual bool accepts_help() const = 0;                                      // 19
    virtual bool reentrant() const = 0;                                         // 20
    virtual bool is_internal() const = 0;                                       // 21
    virtual bool needs_license() const = 0;                                     // 22
    virtual bool is_public() const = 0;                                         // 23
    virtual int execute(Tcl_Interp* interp) = 0;                                // 24
    virtual const char* owner() const = 0;                                      // 25
};

class ifactory {
public:
    virtual boost::shared_ptr<itask> create() = 0;
    virtual const char* name() const = 0;
    virtual ~ifactory();
};

// Gives tasks the state of the user interface; no data of its own.
class HTCGuiStatusAccess {};

// Makes error the failure of command: its text is the result (never prefixed
// with the command name: errorInfo shows the command) and -errorcode is
// {ZEM <kind> <command> ?detail?}, the kind and detail of an HEXAll, VALUE for
// std::out_of_range, ERROR otherwise. Returns TCL_ERROR.
int set_command_error(Tcl_Interp* interp, const std::string& command, const std::exception& error);

// For a command that ended with status 1 after sending a message, rather
// than by throwing: -errorcode is {ZEM <kind> <command> <id>} of the last
// message sent since messagesBefore (ComMsgMgr::sentSoFar()), and errorInfo
// starts with its printed form, so that a script's catch sees why. The
// result stays as the command left it. Without such a message the code is
// {ZEM ERROR <command>}. Returns TCL_ERROR.
int set_status_error(Tcl_Interp* interp, const std::string& command, std::size_t messagesBefore);

class task_manager {
public:
    // Marker for tclcmdobj::eval: the evaluation is internal and stays out
    // of the command journal.
    enum record_mode { record_command, dont_record_command };

    // Creates the command factory->name() in interp (namespaces as needed);
    // registering a name again replaces the earlier factory in that interp.
    static void registerFactory(Tcl_Interp* interp, const boost::shared_ptr<ifactory>& factory);
    // Deletes the command from every interpreter of this thread it was
    // created in (an interpreter belongs to its thread); an
    // unknown name is accepted and does nothing.
    static void unregisterFactory(const std::string& name);
    static bool isRegistered(const std::string& name);
    // The factory registered under name (in an interpreter of this thread), or null.
    static boost::shared_ptr<ifactory> find_factory(const std::string& name);
    // The names of the registered commands, sorted, each once.
    static std::vector<std::string> registered_names();

    // Told on the running thread as each framework command starts and ends
    // (nested ones too), so that a model which frees objects knows which
    // threads may still use pointers it handed out. Null for none.
    using command_observer = void (*)();
    static void set_command_observer(command_observer started, command_observer finished);
    // Tells the observers of a command that is no task (a collection
    // command) for as long as it lives: the commands it runs are nested in
    // it, so what ends an outermost command waits for its end, after it has
    // let go of its thread's tables.
    class observed_command {
    public:
        observed_command();
        ~observed_command();
        observed_command(const observed_command&) = delete;
        observed_command& operator=(const observed_command&) = delete;
    };

    // The journal: the command lines of framework commands that the user
    // ran (not those run inside another framework command or through
    // tclcmdobj with dont_record_command), oldest first. Each word is quoted
    // by its excerpt (tcl_value_text.h); the last journal_capacity lines
    // are kept, within 1 MiB in all. Shared by every thread of the process.
    static std::deque<std::string> journal();
    static void clear_journal();
    static constexpr std::size_t journal_capacity = 1000;
};

namespace taskmgr {
// True while a command description built for this name is alive (from the
// first real build of its option table until the library holding it is
// unloaded), so a second init in the same process does not build it twice
// and a reloaded library builds it afresh.
bool isTaskDescriptionLoaded(const std::string& name);
void setTaskDescriptionLoaded(const std::string& name, bool loaded);
}  // namespace taskmgr

// A Tcl command evaluated from native code; holds a reference on the
// script object and, after eval, on the result.
class tclcmdobj {
public:
    tclcmdobj(Tcl_Interp* interp, const std::string& text);
    ~tclcmdobj();
    tclcmdobj(const tclcmdobj&) = delete;
    tclcmdobj& operator=(const tclcmdobj&) = delete;

    // Evaluates the text; global: at the global level rather than the
    // current one. Returns the Tcl status.
    int eval(task_manager::record_mode mode, bool global);
    // The result of the last eval with a reference the caller must release
    // (Tcl_DecrRefCount); null before eval.
    Tcl_Obj* get_result() const;

private:
    Tcl_Interp* interp_;
    tcl_obj_ref script_;
    tcl_obj_ref result_;
};

// foreach_in_collection, sizeof_collection, index_collection,
// add_to_collection, remove_from_collection, sort_collection,
// filter_collection and copy_collection in the global namespace of interp.
void register_collection_commands(Tcl_Interp* interp);

// What help shows of a collection command: its name, its argument words and
// what it does.
struct collection_command_help {
    const char* name;
    const char* arguments;
    const char* caption;
};
std::vector<collection_command_help> collection_commands_help();

}  // namespace tcltasks
}  // namespace tov
