// Native objects: a model object T* shown to Tcl as a value whose string is
// the object's name. One Tcl object type per command file (scope tags Ext
// and Tuid) and pointer type; the caches are shared by all command files.
#pragma once

#include <tcl.h>

#include <cstdint>
#include <string>
#include <typeinfo>

#include "HTCErrors.h"
#include "tclany.h"
#include "tcltasks_objects.h"

namespace tov {
namespace tcltasks {

namespace tcltypes {
struct tclobj {};   // a single native object
struct tclcoll {};  // a collection
}  // namespace tcltypes

namespace detail {

template <class X, class tcltype, class Ext, class Tuid>
class tcltypeinfo;

// A Tcl string object in UTF-8 from a name in the system encoding; plain
// ASCII (the usual case) needs no conversion.
inline Tcl_Obj* new_name_obj(const std::string& name) {
    const int length = static_cast<int>(name.size());
    bool ascii = true;
    for (unsigned char c : name) ascii = ascii && c < 0x80;
    if (ascii) return Tcl_NewStringObj(name.data(), length);
    Tcl_DString utf;
    Tcl_ExternalToUtfDString(nullptr, name.data(), length, &utf);
    Tcl_Obj* obj = Tcl_NewStringObj(Tcl_DStringValue(&utf), Tcl_DStringLength(&utf));
    Tcl_DStringFree(&utf);
    return obj;
}

}  // namespace detail

template <class P>
class native_cache;

template <class T>
class native_cache<T*> {
public:
    // This thread's cache, found once per thread (and again should the
    // thread's tables have been made anew).
    static native_cache_base& base() {
        thread_local native_cache_base* cache = nullptr;
        thread_local std::uint64_t generation = 0;
        const std::uint64_t now = native_cache_base::tables_generation();
        if (!cache || generation != now) {
            cache = &native_cache_base::of(typeid(T*));
            generation = native_cache_base::tables_generation();
        }
        return *cache;
    }
    static native_cache_base::t2n_table& get_t2n_cache() { return base().t2n(); }
    static native_cache_base::n2t_table& get_n2t_cache() { return base().n2t(); }
};

template <class P, class tcltype>
struct native_wrapper_base;

template <class T>
struct native_wrapper_base<T*, tcltypes::tclobj> {
    static const std::string& type_name() {
        static const std::string TypeName = std::string("pelko:") + typeid(T).name();
        return TypeName;
    }
};

// The Tcl object type of T* for one command file.
template <class P, class Ext, class Tuid>
struct native_type;

template <class T, class Ext, class Tuid>
struct native_type<T*, Ext, Tuid> {
    using info_type = detail::tcltypeinfo<T*, tcltypes::tclobj, Ext, Tuid>;
    static const Tcl_ObjType* get_type_obj();
};

template <class Ext, class Tuid, class T>
Tcl_Obj* native_to_tcl(T* native) {
    if (!native) return nullptr;
    using type_of = native_type<T*, Ext, Tuid>;
    const Tcl_ObjType* type = type_of::get_type_obj();
    native_cache_base& cache = native_cache<T*>::base();
    Tcl_Obj* obj = cache.find_tclobj(native);
    if (obj && native_cache_base::is_alive(obj)) {
        if (obj->typePtr != type) detail::SetTclObjTypeInfo(obj, type, &type_of::info_type::instance());
        return obj;
    }
    obj = detail::new_name_obj(detail::tclany_traits<T*>::text(native));
    obj->internalRep.twoPtrValue.ptr1 = const_cast<void*>(static_cast<const void*>(native));
    obj->internalRep.twoPtrValue.ptr2 = const_cast<typename type_of::info_type*>(&type_of::info_type::instance());
    obj->typePtr = type;
    cache.insert(native, obj);
    return obj;
}

// The model object of a native Tcl object; text is never turned into one.
template <class P, class Ext, class Tuid>
P tcl_to_native(Tcl_Obj* obj);

template <class Ext, class Tuid, class P>
struct native_from_tcl;

template <class Ext, class Tuid, class T>
struct native_from_tcl<Ext, Tuid, T*> {
    static T* convert(Tcl_Obj* obj) {
        const void* native = obj ? native_cache<T*>::base().find_native(obj) : nullptr;
        if (!native) throw HTCErrors::not_implemented(obj ? Tcl_GetString(obj) : std::string());
        using type_of = native_type<T*, Ext, Tuid>;
        if (obj->typePtr != type_of::get_type_obj()) {
            detail::SetTclObjTypeInfo(obj, type_of::get_type_obj(), &type_of::info_type::instance());
        }
        return static_cast<T*>(const_cast<void*>(native));
    }
};

template <class P, class Ext, class Tuid>
P tcl_to_native(Tcl_Obj* obj) {
    return native_from_tcl<Ext, Tuid, P>::convert(obj);
}

namespace detail {

template <class T, class Ext, class Tuid>
class tcltypeinfo<T*, tcltypes::tclobj, Ext, Tuid> final : public itcltypeinfo {
public:
    static const tcltypeinfo& instance() {
        static const tcltypeinfo info;
        return info;
    }
    const std::type_info& native_type() const override { return typeid(T*); }
    tclany make_tclany(Tcl_Obj* obj) const override { return tclany(tcl_to_native<T*, Ext, Tuid>(obj)); }
    // Only when Tcl frees the object: a replaced internal form keeps the
    // object in the caches, so that it converts back.
    void release(Tcl_Obj* obj) const override {
        if (obj->refCount >= 1) return;
        if (native_cache_base* cache = native_cache_base::existing(typeid(T*))) cache->forget_tclobj(obj);
    }
    void refresh(Tcl_Obj*) const override {}
};

}  // namespace detail

template <class T, class Ext, class Tuid>
const Tcl_ObjType* native_type<T*, Ext, Tuid>::get_type_obj() {
    static const Tcl_ObjType* type = [] {
        static Tcl_ObjType made{};
        made.name = const_cast<char*>(native_wrapper_base<T*, tcltypes::tclobj>::type_name().c_str());
        made.freeIntRepProc = &detail::FreeInternalRepProc;
        made.dupIntRepProc = &detail::duplicate_native_tclobj;
        made.updateStringProc = &detail::InvalidStringRepProc;
        made.setFromAnyProc = nullptr;
        native_cache<T*>::base().set_type(&made, &info_type::instance());
        detail::register_native_converter(typeid(T*), [](const void* native) -> Tcl_Obj* {
            return native_to_tcl<Ext, Tuid>(static_cast<T*>(const_cast<void*>(native)));
        });
        return &made;
    }();
    return type;
}

}  // namespace tcltasks
}  // namespace tov
