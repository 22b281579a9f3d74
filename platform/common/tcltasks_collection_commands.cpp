// Tcl commands over collections. Each returns a new collection (values
// are immutable in Tcl); the element type of the first argument decides
// how further objects are converted.
#include <string>

#include "HCPTclFilterMatch.h"
#include "HPAParamMgr.h"
#include "HSTStringUtils.h"
#include "HTCErrors.h"
#include "tcl_collection.h"
#include "tcl_obj_ref.h"
#include "tcl_value_text.h"
#include "tcltasks_framework.h"

namespace tov {
namespace tcltasks {

namespace {

// A reference on a wrapper for the time of one command.
struct wrapper_ref {
    explicit wrapper_ref(collection_wrapper_base* w) : wrapper(w) { wrapper->incr_ref(); }
    ~wrapper_ref() { wrapper->decr_ref(); }
    wrapper_ref(const wrapper_ref&) = delete;
    wrapper_ref& operator=(const wrapper_ref&) = delete;
    collection_wrapper_base* operator->() const { return wrapper; }
    collection_wrapper_base& operator*() const { return *wrapper; }
    collection_wrapper_base* wrapper;
};

HTCErrors::type_error not_a_collection(Tcl_Obj* obj, const std::string& explanation) {
    return HTCErrors::type_error("\"" + excerpt_of(obj) + "\" is not a collection" +
                                 (explanation.empty() ? std::string() : "; " + explanation));
}

// The collection of obj; a plain list of objects (as commands return with
// "tcl.disableCollections") or a single object counts as a collection of them.
collection_wrapper_base* collection_argument(Tcl_Interp* interp, Tcl_Obj* obj) {
    if (collection_wrapper_base* wrapper = detail::get_collection(obj)) return wrapper;
    if (!has_safe_text(obj)) throw HTCErrors::type_error("\"" + excerpt_of(obj) + "\" is not a collection");
    try {
        using framework = detail::collection_from_tcl<tclany, detail::framework_extension, detail::framework_tuid>;
        tcl_collection<HSTVector<tclany>> objects = framework::convert(interp, obj, 0);
        return objects.get().clone();
    } catch (const HTCErrors::not_implemented& text) {
        throw not_a_collection(obj, text.explanation(Tcl_GetString(obj)));
    } catch (const HTCErrors::error&) {
        throw not_a_collection(obj, std::string());
    }
}

long index_argument(Tcl_Interp* interp, Tcl_Obj* obj) {
    long index = 0;
    if (Tcl_GetLongFromObj(interp, obj, &index) != TCL_OK) {
        throw HTCErrors::error(Tcl_GetStringResult(interp), HEXAll::Kind::value);
    }
    return index;
}

// Hands a new wrapper to Tcl as the result, as commands do: a collection,
// or a plain list with "tcl.disableCollections".
void set_collection_result(Tcl_Interp* interp, collection_wrapper_base* fresh) {
    wrapper_ref hold(fresh);
    const bool plain = HPAParamMgr::getParamMgr().getValueAsBool("tcl.disableCollections");
    Tcl_SetObjResult(interp, plain ? fresh->get_collection_as_tcllist() : detail::get_tclobj(fresh));
}

using body = int (*)(Tcl_Interp*, int, Tcl_Obj* const[]);

struct collection_command {
    const char* name;
    int minArgs;
    int maxArgs;
    const char* usage;
    body run;
    const char* caption;
};

int foreach_in_collection(Tcl_Interp* interp, int, Tcl_Obj* const objv[]) {
    const tcl_obj_ref holder(objv[2]);  // the body may overwrite the variable holding it
    wrapper_ref coll(collection_argument(interp, holder.get()));
    int code = TCL_OK;
    for (std::size_t i = 0; i < coll->size() && code == TCL_OK; ++i) {
        if (!Tcl_ObjSetVar2(interp, objv[1], nullptr, coll->element_tclobj(i), TCL_LEAVE_ERR_MSG)) {
            code = TCL_ERROR;
            break;
        }
        code = Tcl_EvalObjEx(interp, objv[3], 0);
        if (code == TCL_CONTINUE) code = TCL_OK;
    }
    if (code == TCL_BREAK) code = TCL_OK;
    if (code == TCL_OK) Tcl_ResetResult(interp);
    if (code == TCL_ERROR) Tcl_AddErrorInfo(interp, "\n    (\"foreach_in_collection\" body)");
    return code;
}

int sizeof_collection(Tcl_Interp* interp, int, Tcl_Obj* const objv[]) {
    wrapper_ref coll(collection_argument(interp, objv[1]));
    Tcl_SetObjResult(interp, Tcl_NewWideIntObj(static_cast<Tcl_WideInt>(coll->size())));
    return TCL_OK;
}

int index_collection(Tcl_Interp* interp, int, Tcl_Obj* const objv[]) {
    wrapper_ref coll(collection_argument(interp, objv[1]));
    const long index = index_argument(interp, objv[2]);
    if (index < 0 || static_cast<std::size_t>(index) >= coll->size()) throw HTCErrors::index_out_of_range(index);
    Tcl_SetObjResult(interp, coll->element_tclobj(static_cast<std::size_t>(index)));
    return TCL_OK;
}

// Objects of another class than the collection's make a collection of any
// objects holding both, in order (boards and their components together).
int add_to_collection(Tcl_Interp* interp, int, Tcl_Obj* const objv[]) {
    collection_wrapper_base* fresh = wrapper_ref(collection_argument(interp, objv[1]))->clone();
    wrapper_ref hold(fresh);
    try {
        fresh->append_tclobj(interp, objv[2]);
    } catch (const HTCErrors::not_implemented&) {
        if (fresh->element_type() == typeid(tclany)) throw;
        using framework = detail::collection_from_tcl<tclany, detail::framework_extension, detail::framework_tuid>;
        collection_wrapper_base* mixed = framework::convert(interp, objv[1], 0).get().clone();
        wrapper_ref holdMixed(mixed);
        try {
            mixed->append_tclobj(interp, objv[2]);
        } catch (const HTCErrors::not_implemented&) {
            throw HTCErrors::type_error("\"" + excerpt_of(objv[2]) + "\" is neither an object nor a collection");
        }
        set_collection_result(interp, mixed);
        return TCL_OK;
    }
    set_collection_result(interp, fresh);
    return TCL_OK;
}

int remove_from_collection(Tcl_Interp* interp, int, Tcl_Obj* const objv[]) {
    wrapper_ref coll(collection_argument(interp, objv[1]));
    wrapper_ref removed(coll->slice(0, 0));
    removed->append_tclobj(interp, objv[2]);
    collection_wrapper_base* fresh = coll->clone();
    wrapper_ref hold(fresh);
    fresh->keep_if([&](std::size_t i) {
        for (std::size_t j = 0; j < removed->size(); ++j) {
            if (fresh->element_equals(i, *removed.wrapper, j)) return false;
        }
        return true;
    });
    set_collection_result(interp, fresh);
    return TCL_OK;
}

int sort_collection(Tcl_Interp* interp, int, Tcl_Obj* const objv[]) {
    collection_wrapper_base* fresh = wrapper_ref(collection_argument(interp, objv[1]))->clone();
    wrapper_ref hold(fresh);
    fresh->sort();
    set_collection_result(interp, fresh);
    return TCL_OK;
}

int filter_collection(Tcl_Interp* interp, int, Tcl_Obj* const objv[]) {
    collection_wrapper_base* fresh = wrapper_ref(collection_argument(interp, objv[1]))->clone();
    wrapper_ref hold(fresh);
    HCPTclFilterMatch filter(safe_string(objv[2]), interp, false, false);
    fresh->keep_if([&](std::size_t i) { return filter.match(fresh->element_tclany(i)); });
    set_collection_result(interp, fresh);
    return TCL_OK;
}

int copy_collection(Tcl_Interp* interp, int, Tcl_Obj* const objv[]) {
    set_collection_result(interp, wrapper_ref(collection_argument(interp, objv[1]))->clone());
    return TCL_OK;
}

const collection_command kCommands[] = {
    {"foreach_in_collection", 3, 3, "varName collection body", &foreach_in_collection,
     "Run a script for each object of a collection"},
    {"sizeof_collection", 1, 1, "collection", &sizeof_collection, "Count the objects of a collection"},
    {"index_collection", 2, 2, "collection index", &index_collection, "Get one object of a collection by its index"},
    {"add_to_collection", 2, 2, "collection objects", &add_to_collection,
     "Get a collection with objects added at its end"},
    {"remove_from_collection", 2, 2, "collection objects", &remove_from_collection,
     "Get a collection without the objects given"},
    {"sort_collection", 1, 1, "collection", &sort_collection, "Get a collection sorted by object name"},
    {"filter_collection", 2, 2, "collection expression", &filter_collection,
     "Get the objects of a collection that a filter expression accepts"},
    {"copy_collection", 1, 1, "collection", &copy_collection, "Get a copy of a collection"},
};

int dispatch(ClientData data, Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
    const auto* command = static_cast<const collection_command*>(data);
    if (objc - 1 < command->minArgs || objc - 1 > command->maxArgs) {
        const std::string usage = std::string(Tcl_GetString(objv[0])) + " " + command->usage;
        return set_command_error(interp, command->name, HTCErrors::wrong_args(usage));
    }
    const task_manager::observed_command observed;
    try {
        // Like every framework command: another thread's board collection
        // reads this thread's collections only in between.
        const thread_tables_lock tables;
        return command->run(interp, objc, objv);
    } catch (const std::exception& error) {
        return set_command_error(interp, command->name, error);
    }
}

}  // namespace

std::vector<collection_command_help> collection_commands_help() {
    std::vector<collection_command_help> help;
    for (const collection_command& command : kCommands) help.push_back({command.name, command.usage, command.caption});
    return help;
}

void register_collection_commands(Tcl_Interp* interp) {
    for (const collection_command& command : kCommands) {
        Tcl_CreateObjCommand(interp, (std::string("::") + command.name).c_str(), &dispatch,
                             const_cast<collection_command*>(&command), nullptr);
    }
}

}  // namespace tcltasks
}  // namespace tov
