#include "tcltasks_framework.h"

#include <atomic>
#include <map>
#include <mutex>
#include <set>
#include <stdexcept>
#include <vector>

#include "ComMsgMgr.h"
#include "HEXAll.h"
#include "tcl_obj_ref.h"
#include "tcltasks_journal.h"

namespace tov {
namespace tcltasks {

itask::~itask() = default;
ifactory::~ifactory() = default;

namespace {
void set_error_code(Tcl_Interp* interp, const std::string& command, HEXAll::Kind kind, const std::string& detail) {
    const std::string words[] = {"ZEM", HEXAll::kindName(kind), command, detail};
    Tcl_Obj* code = Tcl_NewListObj(0, nullptr);
    for (const std::string& word : words) {
        if (!word.empty()) Tcl_ListObjAppendElement(nullptr, code, Tcl_NewStringObj(word.c_str(), -1));
    }
    Tcl_SetObjErrorCode(interp, code);
}
}  // namespace

int set_command_error(Tcl_Interp* interp, const std::string& command, const std::exception& error) {
    const auto* known = dynamic_cast<const HEXAll*>(&error);
    HEXAll::Kind kind = HEXAll::Kind::error;
    if (known) kind = known->kind();
    else if (dynamic_cast<const std::out_of_range*>(&error)) kind = HEXAll::Kind::value;
    Tcl_SetObjResult(interp, Tcl_NewStringObj(error.what(), -1));
    set_error_code(interp, command, kind, known ? known->detail() : std::string());
    return TCL_ERROR;
}

int set_status_error(Tcl_Interp* interp, const std::string& command, std::size_t messagesBefore) {
    // What nested evaluations left in errorInfo and errorCode is not this error.
    const tcl_obj_ref result(Tcl_GetObjResult(interp));
    Tcl_ResetResult(interp);
    Tcl_SetObjResult(interp, result.get());
    if (ComMsgMgr::sentSoFar() == messagesBefore) {
        set_error_code(interp, command, HEXAll::Kind::error, std::string());
        return TCL_ERROR;
    }
    const HEXAll reason(ComMsgMgr::lastSent());
    int length = 0;
    Tcl_GetStringFromObj(result.get(), &length);
    if (length == 0) Tcl_AddErrorInfo(interp, reason.what());
    set_error_code(interp, command, reason.kind(), reason.detail());
    return TCL_ERROR;
}

namespace {

// One created command: the factory it runs and where it lives.
struct registration {
    boost::shared_ptr<ifactory> factory;
    Tcl_Interp* interp;
    Tcl_Command token;
};

// The commands made in this thread's interpreters: an interpreter and its
// commands belong to the thread that made them.
struct thread_registrations {
    std::multimap<std::string, registration*> commands;  // by factory name
    std::set<Tcl_Interp*> watched;                       // interps with a delete callback
};

// The option tables described so far, the same for every thread.
struct description_state {
    std::mutex mutex;
    std::set<std::string> loaded;
};

// Per thread: what runs on one thread is nested only in what runs there.
thread_local int running_commands = 0;     // framework commands running
thread_local int unrecorded_commands = 0;  // tclcmdobj evaluations kept out of the journal

// Interpreters are deleted, and their commands with them, before their
// thread ends and its thread_local objects go.
thread_registrations& state() {
    thread_local thread_registrations registrations;
    return registrations;
}

// Never destroyed: command libraries may call in from their own static
// destructors, which can run after ours.
description_state& descriptions() {
    static auto* instance = new description_state;
    return *instance;
}

void record(int objc, Tcl_Obj* const objv[]) {
    if (running_commands > 0 || unrecorded_commands > 0) return;
    command_journal::instance().record(objc, objv);
}

std::atomic<task_manager::command_observer> command_started{nullptr};
std::atomic<task_manager::command_observer> command_finished{nullptr};

struct depth_guard {
    depth_guard() {
        ++running_commands;
        if (auto started = command_started.load()) started();
    }
    ~depth_guard() {
        if (auto finished = command_finished.load()) finished();
        --running_commands;
    }
    depth_guard(const depth_guard&) = delete;
    depth_guard& operator=(const depth_guard&) = delete;
};

int run_task(ifactory& factory, Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
    try {
        // Another thread's board collection reads this thread's tables only
        // between commands; the task's values go before the lock does.
        const thread_tables_lock tables;
        boost::shared_ptr<itask> task = factory.create();
        const int code = task->run(interp, objc, objv);
        return code == task_options_base::help_shown ? TCL_OK : code;
    } catch (const std::exception& error) {
        // HEXAll (messages included) and every other std::exception.
        return set_command_error(interp, factory.name(), error);
    } catch (...) {
        return set_command_error(interp, factory.name(), HEXAll("unexpected exception"));
    }
}

int command_proc(ClientData data, Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
    // Hold the factory: the command may be unregistered while it runs.
    boost::shared_ptr<ifactory> factory = static_cast<registration*>(data)->factory;
    record(objc, objv);
    depth_guard guard;
    return run_task(*factory, interp, objc, objv);
}

void forget_registration(registration* entry) {
    auto& commands = state().commands;
    for (auto it = commands.begin(); it != commands.end(); ++it) {
        if (it->second == entry) {
            commands.erase(it);
            break;
        }
    }
    delete entry;
}

// The command was deleted (by us, by "rename x {}", or with its interp).
void command_deleted(ClientData data) { forget_registration(static_cast<registration*>(data)); }

void interp_deleted(ClientData, Tcl_Interp* interp) { state().watched.erase(interp); }

void ensure_namespace(Tcl_Interp* interp, const std::string& name) {
    const std::size_t last = name.rfind("::");
    if (last == std::string::npos || last == 0) return;
    const std::string ns = name.substr(0, last);
    if (!Tcl_FindNamespace(interp, ns.c_str(), nullptr, 0)) Tcl_CreateNamespace(interp, ns.c_str(), nullptr, nullptr);
}

}  // namespace

void task_manager::set_command_observer(command_observer started, command_observer finished) {
    command_started.store(started);
    command_finished.store(finished);
}

task_manager::observed_command::observed_command() {
    if (auto started = command_started.load()) started();
}

task_manager::observed_command::~observed_command() {
    if (auto finished = command_finished.load()) finished();
}

void task_manager::registerFactory(Tcl_Interp* interp, const boost::shared_ptr<ifactory>& factory) {
    const std::string name = factory->name();
    ensure_namespace(interp, name);
    auto* entry = new registration{factory, interp, nullptr};
    entry->token = Tcl_CreateObjCommand(interp, name.c_str(), &command_proc, entry, &command_deleted);
    state().commands.emplace(name, entry);
    if (state().watched.insert(interp).second) Tcl_CallWhenDeleted(interp, &interp_deleted, nullptr);
}

void task_manager::unregisterFactory(const std::string& name) {
    std::vector<registration*> entries;
    auto range = state().commands.equal_range(name);
    for (auto it = range.first; it != range.second; ++it) entries.push_back(it->second);
    // Deleting a command calls command_deleted, which forgets the entry.
    for (registration* entry : entries) Tcl_DeleteCommandFromToken(entry->interp, entry->token);
}

bool task_manager::isRegistered(const std::string& name) { return state().commands.count(name) > 0; }

boost::shared_ptr<ifactory> task_manager::find_factory(const std::string& name) {
    auto found = state().commands.find(name);
    return found == state().commands.end() ? boost::shared_ptr<ifactory>() : found->second->factory;
}

std::vector<std::string> task_manager::registered_names() {
    std::vector<std::string> names;
    for (const auto& command : state().commands) {
        if (names.empty() || names.back() != command.first) names.push_back(command.first);
    }
    return names;
}

std::deque<std::string> task_manager::journal() { return command_journal::instance().entries(); }
void task_manager::clear_journal() { command_journal::instance().clear(); }

namespace taskmgr {
bool isTaskDescriptionLoaded(const std::string& name) {
    description_state& state = descriptions();
    const std::lock_guard<std::mutex> lock(state.mutex);
    return state.loaded.count(name) > 0;
}

void setTaskDescriptionLoaded(const std::string& name, bool loaded) {
    description_state& state = descriptions();
    const std::lock_guard<std::mutex> lock(state.mutex);
    if (loaded) state.loaded.insert(name);
    else state.loaded.erase(name);
}
}  // namespace taskmgr

// --------------------------------------------------------------- tclcmdobj

tclcmdobj::tclcmdobj(Tcl_Interp* interp, const std::string& text)
    : interp_(interp), script_(Tcl_NewStringObj(text.data(), static_cast<int>(text.size()))) {}

tclcmdobj::~tclcmdobj() = default;

int tclcmdobj::eval(task_manager::record_mode mode, bool global) {
    const bool unrecorded = mode == task_manager::dont_record_command;
    if (unrecorded) ++unrecorded_commands;
    const int code = Tcl_EvalObjEx(interp_, script_.get(), global ? TCL_EVAL_GLOBAL : 0);
    if (unrecorded) --unrecorded_commands;
    result_ = tcl_obj_ref(Tcl_GetObjResult(interp_));
    return code;
}

Tcl_Obj* tclcmdobj::get_result() const {
    if (result_) Tcl_IncrRefCount(result_.get());
    return result_.get();
}

}  // namespace tcltasks
}  // namespace tov
