// What a command file includes. It holds its scope (task, factory and the
// tags tcl_extension and tuid), a describe() that fills the option table,
// and execute(); everything else comes from here. See docs/task-framework.md.
#pragma once

#include <initializer_list>
#include <string>
#include <typeinfo>

#include "HCPProperty.h"
#include "HPAParamMgr.h"
#include "tcl_collection.h"
#include "tcl_native.h"
#include "tcl_obj_ref.h"
#include "tcl_task.h"
#include "tcl_value_semantic.h"

namespace tov {
namespace tcltasks {

using string_list = tcl_collection<HSTVector<std::string>>;
using object_list = tcl_collection<HSTVector<tclany>>;

// Conversions and option values of one command file.
template <class Ext, class Tuid>
struct tcl_scope {
    template <class V>
    using semantic = tcl_value_semantic<V, tcltypes::tclobj, Ext, Tuid>;
    template <class V>
    using list_semantic = tcl_value_semantic<V, tcltypes::tclcoll, Ext, Tuid>;

    // A switch: false unless given; "-name=value" sets it explicitly.
    static semantic<bool>* switch_value() {
        return (new semantic<bool>)->default_value(false, "0")->implicit_value(true, "1");
    }
    static semantic<std::string>* string_value(const std::string& defaultValue = std::string()) {
        return (new semantic<std::string>)->default_value(defaultValue, defaultValue);
    }
    // A word list whose default is the words of defaultText.
    static list_semantic<string_list>* string_list_value(const std::string& defaultText) {
        return (new list_semantic<string_list>)
            ->default_producer([defaultText] { return boost::any(words_of(defaultText)); }, defaultText);
    }
    // Objects of any type (the value of -of_objects); empty by default.
    static list_semantic<object_list>* object_list_value() {
        return (new list_semantic<object_list>)
            ->default_producer([] { return boost::any(detail::empty_collection<tclany>()); }, std::string());
    }

    template <class T>
    static Tcl_Obj* to_tcl(T* native) {
        return native_to_tcl<Ext, Tuid>(native);
    }
    template <class P>
    static P to_native(Tcl_Obj* obj) {
        return tcl_to_native<P, Ext, Tuid>(obj);
    }
    template <class V>
    static tcl_collection<HSTVector<V>> to_collection(Tcl_Interp* interp, Tcl_Obj* obj) {
        return tcl_to_collection<V, Ext, Tuid>(interp, obj);
    }
    template <class V>
    static Tcl_Obj* to_tcl(tcl_collection<HSTVector<V>>& collection) {
        return collection_to_tcl<Ext, Tuid>(collection);
    }
    // Makes the collection the command's result (a collection, or a plain
    // list when "tcl.disableCollections" is set).
    template <class V>
    static int set_result(Tcl_Interp* interp, tcl_collection<HSTVector<V>>& collection) {
        if (Tcl_Obj* obj = to_tcl(collection)) Tcl_SetObjResult(interp, obj);
        return TCL_OK;
    }

private:
    static string_list words_of(const std::string& text) {
        const tcl_obj_ref obj(Tcl_NewStringObj(text.c_str(), -1));
        return tcl_to_collection<std::string, Ext, Tuid>(nullptr, obj.get());
    }
};

// The class name registered for a pointer type, "unknown" when none is.
template <class P>
std::string class_name_of() {
    const std::string name = HCPProperty::getObjectClassName(HCPProperty::getObjectInfo(typeid(P)));
    return name.empty() ? std::string("unknown") : name;
}

// init/uninit of one command file.
template <class Task, class Factory>
struct command_registration {
    static void init(Tcl_Interp* interp) {
        task_manager::registerFactory(interp, boost::shared_ptr<ifactory>(new Factory));
        if (!taskmgr::isTaskDescriptionLoaded(Task::command_name)) Task::describe();
    }
    static void uninit() { task_manager::unregisterFactory(std::string(Task::command_name)); }
};

}  // namespace tcltasks
}  // namespace tov
