// Collections: a reference-counted vector of elements (model object
// pointers, strings or tclany) shown to Tcl as one value whose string is
// the element texts separated by blanks.
#pragma once

#include <tcl.h>

#include <algorithm>
#include <cstring>
#include <iomanip>
#include <sstream>
#include <stdexcept>
#include <string>
#include <unordered_set>

#include "HPAParamMgr.h"
#include "HSTVector.h"
#include "HTCErrors.h"
#include "HTCTclUtils.h"
#include "tcl_native.h"

namespace tov {
namespace tcltasks {

template <class C>
class tcl_collection;

namespace detail {

template <class C>
class collection_wrapper;

// Scope tags of the collection type a wrapper gets when no command file
// has given it one (collections made by the framework's own commands).
struct framework_extension {};
struct framework_tuid {};

// Per element type: Tcl object, text, tclany and equality of one element.
template <class V>
struct element_traits {
    static Tcl_Obj* to_tclobj(const V& value) { return tclany_traits<V>::to_tclobj(value); }
    static std::string text(const V& value) { return tclany_traits<V>::text(value); }
    static tclany to_tclany(const V& value) { return tclany(value); }
    static bool equal(const V& a, const V& b) { return a == b; }
    static std::size_t hash(const V& value) { return std::hash<V>()(value); }
};

// Model objects: the cached object as it is, else a new one of the
// framework's own type (no command file may have made the type yet).
template <class T>
struct element_traits<T*> {
    static Tcl_Obj* to_tclobj(T* native) {
        native_cache_base& cache = native_cache<T*>::base();
        Tcl_Obj* cached = native ? cache.find_tclobj(native) : nullptr;
        if (!cached || !native_cache_base::is_alive(cached))
            return native_to_tcl<framework_extension, framework_tuid>(native);
        // A script may have replaced its internal form; it leaves as a native object.
        if (!GetTclTypeInfo(cached) && cache.typeinfo()) SetTclObjTypeInfo(cached, cache.tcl_type(), cache.typeinfo());
        return cached;
    }
    static std::string text(T* native) { return tclany_traits<T*>::text(native); }
    // A tclany of T* becomes a Tcl object through the converter that the
    // type's Tcl object type installs: make sure it exists, also when no
    // single T has been handed out yet (a mixed collection).
    static tclany to_tclany(T* native) {
        native_type<T*, framework_extension, framework_tuid>::get_type_obj();
        return tclany(native);
    }
    static bool equal(T* a, T* b) { return a == b; }
    static std::size_t hash(T* native) { return std::hash<T*>()(native); }
};

template <>
struct element_traits<tclany> {
    static Tcl_Obj* to_tclobj(const tclany& value) { return value.to_tclobj(); }
    static std::string text(const tclany& value) {
        std::ostringstream out;
        out << std::fixed << std::setprecision(HTCTclUtils::tclGetPrecision(3)) << value;
        return out.str();
    }
    static tclany to_tclany(const tclany& value) { return value; }
    // Strings are equal by their text; objects and collections only when
    // they are the same one: two model objects may well share a name.
    static bool equal(const tclany& a, const tclany& b) {
        if (a.type() != b.type()) return false;
        if (a.empty()) return true;
        if (const std::string* text = tclany_cast<std::string>(a)) return *text == *tclany_cast<std::string>(b);
        return same_pointer(a.holder()->address(), b.holder()->address());
    }
    static std::size_t hash(const tclany& value) {
        if (value.empty()) return 0;
        if (const std::string* text = tclany_cast<std::string>(value)) return std::hash<std::string>()(*text);
        const void* pointer;
        std::memcpy(&pointer, value.holder()->address(), sizeof(pointer));
        return std::hash<const void*>()(pointer) ^ value.type().hash_code();
    }

private:
    // Besides strings a tclany holds model object pointers and collection
    // handles, each one pointer wide; equal pointers have equal bytes.
    static bool same_pointer(const void* a, const void* b) { return std::memcmp(a, b, sizeof(void*)) == 0; }
};

// Tcl -> collection conversion of one file, per element type.
template <class V, class Ext, class Tuid>
struct collection_from_tcl;

template <class V, class Ext, class Tuid>
struct collection_type {
    using info_type = tcltypeinfo<tcl_collection<HSTVector<V>>, tcltypes::tclcoll, Ext, Tuid>;
    static const Tcl_ObjType* get_type_obj();
};

template <class V>
class collection_wrapper<HSTVector<V>> final : public collection_wrapper_base, public HSTVector<V> {
public:
    using vector_type = HSTVector<V>;
    using default_type = collection_type<V, framework_extension, framework_tuid>;

    collection_wrapper() { set_tcl_type(default_type::get_type_obj(), &default_type::info_type::instance()); }
    collection_wrapper(const collection_wrapper& other) = default;
    collection_wrapper(const collection_wrapper& other, std::size_t from, std::size_t to)
        : collection_wrapper_base(other), vector_type(other.begin() + from, other.begin() + to) {}

    collection_wrapper_base* clone() const override { return new collection_wrapper(*this); }
    collection_wrapper_base* slice(std::size_t from, std::size_t to) const override {
        if (from > to || to > this->vector_type::size()) throw std::out_of_range("index is out of range");
        return new collection_wrapper(*this, from, to);
    }
    const std::type_info& element_type() const override { return typeid(V); }
    std::size_t size() const override { return vector_type::size(); }
    boost::any element_any(std::size_t i) const override { return boost::any(at(i)); }
    tclany element_tclany(std::size_t i) const override { return element_traits<V>::to_tclany(at(i)); }
    std::string element_text(std::size_t i) const override { return element_traits<V>::text(at(i)); }
    Tcl_Obj* element_tclobj(std::size_t i) const override { return element_traits<V>::to_tclobj(at(i)); }

    void append_collection(const collection_wrapper_base& other) override {
        if (other.element_type() != typeid(V)) throw HTCErrors::append_typed_collection();
        const auto& elements = static_cast<const collection_wrapper&>(other);
        this->insert_range(elements.begin(), elements.end());
    }
    void append_tclobj(Tcl_Interp* interp, Tcl_Obj* obj) override {
        auto converted = convert(interp, obj);
        insert_range(converted.get().begin(), converted.get().end());
    }
    void replace(long i, Tcl_Interp* interp, Tcl_Obj* obj) override {
        check_index(i, size());
        (*this)[static_cast<std::size_t>(i)] = single(interp, obj);
        invalidate_tcllist();
    }
    void insert(long i, Tcl_Interp* interp, Tcl_Obj* obj) override {
        check_index(i, size() + 1);
        vector_type::insert(this->begin() + i, single(interp, obj));
        invalidate_tcllist();
    }
    void remove(long i) override {
        check_index(i, size());
        this->erase(this->begin() + i);
        invalidate_tcllist();
    }
    void reverse() override {
        std::reverse(this->begin(), this->end());
        invalidate_tcllist();
    }
    void sort() override {
        std::sort(this->begin(), this->end(),
                  [](const V& a, const V& b) { return element_traits<V>::text(a) < element_traits<V>::text(b); });
        invalidate_tcllist();
    }
    void shrink() override { this->shrink_to_fit(); }
    void unique() override {
        auto hash = [](const V* value) { return element_traits<V>::hash(*value); };
        auto equal = [](const V* a, const V* b) { return element_traits<V>::equal(*a, *b); };
        std::unordered_set<const V*, decltype(hash), decltype(equal)> seen(this->size(), hash, equal);
        vector_type kept;
        for (const V& value : *this) {
            if (seen.insert(&value).second) kept.push_back(value);
        }
        this->swap(kept);
        invalidate_tcllist();
    }
    std::string string_rep(Tcl_Obj*) const override {
        if (get_use_collection_context_string_rep() && context()) return context()->string_rep();
        return limited_string();
    }
    void keep_if(const std::function<bool(std::size_t)>& keep) override {
        vector_type kept;
        for (std::size_t i = 0; i < size(); ++i) {
            if (keep(i)) kept.push_back((*this)[i]);
        }
        this->swap(kept);
        invalidate_tcllist();
    }
    bool element_equals(std::size_t i, const collection_wrapper_base& other, std::size_t j) const override {
        if (other.element_type() != typeid(V)) return false;
        return element_traits<V>::equal(at(i), static_cast<const collection_wrapper&>(other).at(j));
    }

    template <class It>
    void insert_range(It first, It last) {
        vector_type::insert(this->end(), first, last);
        invalidate_tcllist();
    }
    const V& at(std::size_t i) const {
        if (i >= vector_type::size()) throw std::out_of_range("index is out of range");
        return (*this)[i];
    }

private:
    static void check_index(long i, std::size_t limit) {
        if (i < 0 || static_cast<std::size_t>(i) >= limit) throw HTCErrors::index_out_of_range(i);
    }
    static tcl_collection<HSTVector<V>> convert(Tcl_Interp* interp, Tcl_Obj* obj);
    static V single(Tcl_Interp* interp, Tcl_Obj* obj) {
        auto converted = convert(interp, obj);
        if (converted.size() != 1)
            throw HTCErrors::type_error("expected one element, got " + std::to_string(converted.size()));
        return converted.get().front();
    }
};

}  // namespace detail

// A counted handle on a wrapper; a handle without one makes an empty
// wrapper on first access.
template <class V>
class tcl_collection<HSTVector<V>> {
public:
    using value_type = V;
    using wrapper_type = detail::collection_wrapper<HSTVector<V>>;

    tcl_collection() = default;
    // Shares wrapper (takes a reference).
    explicit tcl_collection(wrapper_type* wrapper) : wrapper_(wrapper) {
        if (wrapper_) wrapper_->incr_ref();
    }
    tcl_collection(const tcl_collection& other) : tcl_collection(other.wrapper_) {}
    tcl_collection(tcl_collection&& other) noexcept : wrapper_(other.wrapper_) { other.wrapper_ = nullptr; }
    tcl_collection& operator=(tcl_collection other) noexcept {
        std::swap(wrapper_, other.wrapper_);
        return *this;
    }
    ~tcl_collection() {
        if (wrapper_) wrapper_->decr_ref();
    }

    wrapper_type& get() {
        if (!wrapper_) {
            wrapper_ = new wrapper_type;
            wrapper_->incr_ref();
        }
        return *wrapper_;
    }
    wrapper_type* wrapper() const { return wrapper_; }
    std::size_t size() const { return wrapper_ ? wrapper_->size() : 0; }
    bool empty() const { return size() == 0; }
    void push_back(const V& value) {
        get().push_back(value);
        wrapper_->invalidate_tcllist();
    }
    const V& operator[](std::size_t i) const { return wrapper_->at(i); }
    // A new collection holding a copy of the elements and the context.
    tcl_collection copy() const {
        tcl_collection fresh;
        if (wrapper_) fresh = tcl_collection(static_cast<wrapper_type*>(wrapper_->clone()));
        // clone() starts at zero references; the handle above took the only one.
        return fresh;
    }

private:
    wrapper_type* wrapper_ = nullptr;
};

static_assert(sizeof(tcl_collection<HSTVector<tclany>>) == sizeof(void*),
              "a collection handle in a tclany is compared as one pointer");

namespace detail {

template <class V>
struct tclany_traits<tcl_collection<HSTVector<V>>> {
    static Tcl_Obj* to_tclobj(const tcl_collection<HSTVector<V>>& value);
    static std::string text(const tcl_collection<HSTVector<V>>&) { return "tacol"; }
};

template <class V, class Ext, class Tuid>
class tcltypeinfo<tcl_collection<HSTVector<V>>, tcltypes::tclcoll, Ext, Tuid> final : public itcltypeinfo {
public:
    static const tcltypeinfo& instance() {
        static const tcltypeinfo info;
        return info;
    }
    const std::type_info& native_type() const override { return typeid(tcl_collection<HSTVector<V>>); }
    tclany make_tclany(Tcl_Obj* obj) const override {
        auto* wrapper = static_cast<collection_wrapper<HSTVector<V>>*>(get_collection(obj));
        return tclany(tcl_collection<HSTVector<V>>(wrapper));
    }
    void release(Tcl_Obj* obj) const override { remove_from_native_cache(obj); }
    void refresh(Tcl_Obj* obj) const override { shimmer(obj); }
};

template <class V, class Ext, class Tuid>
const Tcl_ObjType* collection_type<V, Ext, Tuid>::get_type_obj() {
    static const std::string name = std::string("pelko:") + typeid(V).name() + "(tclcoll)";
    static const Tcl_ObjType type{const_cast<char*>(name.c_str()), &FreeInternalRepProc, &duplicate_collection_tclobj,
                                  &update_collection_string, nullptr};
    return &type;
}

// Starts a collection of V that shares nothing with its source.
template <class V>
tcl_collection<HSTVector<V>> empty_collection() {
    tcl_collection<HSTVector<V>> fresh;
    fresh.get();
    return fresh;
}

// The error for obj where objects are expected: the top level may be a
// list of objects and collections, but a list inside it is no object.
inline HTCErrors::not_implemented no_object(Tcl_Obj* obj, int depth) {
    const bool nestedList = depth > 0 && is_list_type(obj);
    return HTCErrors::not_implemented(
        Tcl_GetString(obj), nestedList ? "a list inside the list: give objects and collections in one flat list "
                                         "(concat joins lists)"
                                       : std::string());
}

// Walks the words of a Tcl list; a failed conversion is a type error.
template <class Each>
void for_each_list_element(Tcl_Interp* interp, Tcl_Obj* list, Each each) {
    if (Tcl_ConvertToType(interp, list, Tcl_GetObjType("list")) != TCL_OK) throw HTCErrors::type_error();
    int count = 0;
    Tcl_Obj** elements = nullptr;
    Tcl_ListObjGetElements(interp, list, &count, &elements);
    for (int i = 0; i < count; ++i) each(elements[i]);
}

template <class V, class Ext, class Tuid>
tcl_collection<HSTVector<V>> share_collection(collection_wrapper_base* base, Tcl_Obj* obj) {
    using type_of = collection_type<V, Ext, Tuid>;
    if (obj->typePtr != type_of::get_type_obj()) {
        SetTclObjTypeInfo(obj, type_of::get_type_obj(), &type_of::info_type::instance());
    }
    return tcl_collection<HSTVector<V>>(static_cast<collection_wrapper<HSTVector<V>>*>(base));
}

// A one-element collection whose context knows the Tcl object it came from.
template <class V>
tcl_collection<HSTVector<V>> single_element_collection(const V& value, Tcl_Obj* obj) {
    tcl_collection<HSTVector<V>> result = empty_collection<V>();
    result.push_back(value);
    collection_context_ptr context;
    HTCCollectionContextMgr::instance()->addTclObjToCtx(obj, context);
    result.get().set_context(context);
    return result;
}

// The elements of a Tcl list under one list context; add_element appends
// one element's values to the result and its context to the list context.
template <class V, class AddElement>
tcl_collection<HSTVector<V>> list_collection(Tcl_Interp* interp, Tcl_Obj* obj, AddElement add_element) {
    tcl_collection<HSTVector<V>> result = empty_collection<V>();
    collection_context_ptr context = HTCCollectionContextMgr::instance()->createListCollectionContext();
    HTCCollectionContextMgr::instance()->addTclObjToCtx(obj, context);
    for_each_list_element(interp, obj, [&](Tcl_Obj* element) { add_element(element, result, context); });
    result.get().set_context(context);
    result.get().invalidate_tcllist();
    return result;
}

template <class V>
void append_nested(tcl_collection<HSTVector<V>>& result, tcl_collection<HSTVector<V>> nested,
                   collection_context_ptr& context) {
    result.get().append_collection(nested.get());
    HTCCollectionContextMgr::instance()->append(context, nested.get().context());
}

// Model object pointers.
template <class T, class Ext, class Tuid>
struct collection_from_tcl<T*, Ext, Tuid> {
    using result_type = tcl_collection<HSTVector<T*>>;

    static result_type convert(Tcl_Interp* interp, Tcl_Obj* obj, int depth) {
        if (collection_wrapper_base* base = get_collection(obj)) {
            if (base->element_type() == typeid(T*)) return share_collection<T*, Ext, Tuid>(base, obj);
            if (base->element_type() == typeid(tclany)) return objects_of_type(*base);
            throw HTCErrors::not_implemented();  // a collection of other objects
        }
        if (T* native = find(obj)) return single_element_collection<T*>(native, obj);
        if (depth > 0 || !is_list_type(obj)) throw no_object(obj, depth);
        auto add = [&](Tcl_Obj* element, result_type& result, collection_context_ptr& context) {
            if (T* native = find(element)) {
                result.get().push_back(native);  // the common case, without a context per element
                return;
            }
            append_nested(result, convert(interp, element, depth + 1), context);
        };
        return list_collection<T*>(interp, obj, add);
    }

private:
    static T* find(Tcl_Obj* obj) {
        if (!native_cache<T*>::base().find_native(obj)) return nullptr;
        return tcl_to_native<T*, Ext, Tuid>(obj);
    }
    static result_type objects_of_type(const collection_wrapper_base& source) {
        result_type result = empty_collection<T*>();
        for (std::size_t i = 0; i < source.size(); ++i) {
            const tclany element = source.element_tclany(i);
            if (T* const* native = tclany_cast<T*>(element)) {
                if (*native) result.get().push_back(*native);
            }
        }
        result.get().set_context(source.context());
        result.get().invalidate_tcllist();
        return result;
    }
};

// Any objects (the value of -of_objects).
template <class Ext, class Tuid>
struct collection_from_tcl<tclany, Ext, Tuid> {
    using result_type = tcl_collection<HSTVector<tclany>>;

    static result_type convert(Tcl_Interp* interp, Tcl_Obj* obj, int depth) {
        if (collection_wrapper_base* base = get_collection(obj)) {
            if (base->element_type() == typeid(tclany)) return share_collection<tclany, Ext, Tuid>(base, obj);
            result_type result = empty_collection<tclany>();
            for (std::size_t i = 0; i < base->size(); ++i) result.get().push_back(base->element_tclany(i));
            result.get().set_context(base->context());
            result.get().invalidate_tcllist();
            return result;
        }
        if (const itcltypeinfo* info = find_native_typeinfo(obj)) {
            return single_element_collection(info->make_tclany(obj), obj);
        }
        if (depth > 0 || !is_list_type(obj)) throw no_object(obj, depth);
        auto add = [&](Tcl_Obj* element, result_type& result, collection_context_ptr& context) {
            append_nested(result, convert(interp, element, depth + 1), context);
        };
        return list_collection<tclany>(interp, obj, add);
    }
};

// Strings (name patterns and other word lists).
template <class Ext, class Tuid>
struct collection_from_tcl<std::string, Ext, Tuid> {
    using result_type = tcl_collection<HSTVector<std::string>>;

    static result_type convert(Tcl_Interp* interp, Tcl_Obj* obj, int) {
        if (collection_wrapper_base* base = get_collection(obj)) {
            if (base->element_type() == typeid(std::string)) return share_collection<std::string, Ext, Tuid>(base, obj);
            result_type result = empty_collection<std::string>();
            for (std::size_t i = 0; i < base->size(); ++i) result.get().push_back(base->element_text(i));
            result.get().set_context(base->context());
            return result;
        }
        result_type result = empty_collection<std::string>();
        if (!is_list_type(obj)) {
            result.push_back(Tcl_GetString(obj));
            return result;
        }
        for_each_list_element(interp, obj, [&](Tcl_Obj* element) { result.get().push_back(Tcl_GetString(element)); });
        result.get().invalidate_tcllist();
        return result;
    }
};

template <class V>
tcl_collection<HSTVector<V>> collection_wrapper<HSTVector<V>>::convert(Tcl_Interp* interp, Tcl_Obj* obj) {
    return collection_from_tcl<V, framework_extension, framework_tuid>::convert(interp, obj, 0);
}

}  // namespace detail

// Collection -> Tcl, obeying "tcl.disableCollections": a collection value,
// or a plain list of the element objects.
template <class Ext, class Tuid, class V>
Tcl_Obj* collection_to_tcl(tcl_collection<HSTVector<V>>& collection) {
    auto& wrapper = collection.get();
    if (HPAParamMgr::getParamMgr().getValueAsBool("tcl.disableCollections")) return wrapper.get_collection_as_tcllist();
    using type_of = detail::collection_type<V, Ext, Tuid>;
    if (!wrapper.tclobj()) wrapper.set_tcl_type(type_of::get_type_obj(), &type_of::info_type::instance());
    Tcl_Obj* obj = detail::get_tclobj(&wrapper);
    if (obj->typePtr != type_of::get_type_obj()) {
        detail::SetTclObjTypeInfo(obj, type_of::get_type_obj(), &type_of::info_type::instance());
    }
    return obj;
}

template <class V, class Ext, class Tuid>
tcl_collection<HSTVector<V>> tcl_to_collection(Tcl_Interp* interp, Tcl_Obj* obj) {
    return detail::collection_from_tcl<V, Ext, Tuid>::convert(interp, obj, 0);
}

namespace detail {
template <class V>
Tcl_Obj* tclany_traits<tcl_collection<HSTVector<V>>>::to_tclobj(const tcl_collection<HSTVector<V>>& value) {
    tcl_collection<HSTVector<V>> handle(value);
    return collection_to_tcl<framework_extension, framework_tuid>(handle);
}
}  // namespace detail

}  // namespace tcltasks
}  // namespace tov
