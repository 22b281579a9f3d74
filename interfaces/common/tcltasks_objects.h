// Native objects and collections: the non-template half.
//
// A native object is a Tcl object whose internal form points at a model
// object (ptr1) and at the type information of its pointer type (ptr2).
// A collection is a Tcl object whose internal form holds one reference on a
// collection_wrapper_base (ptr1) and its type information (ptr2).
// The templates in tcltasks/ make one Tcl object type per command file and
// pointer type; all of them share the free, string and duplicate
// procedures below and the per-pointer-type caches.
#pragma once

#include <tcl.h>

#include <boost/any.hpp>
#include <boost/shared_ptr.hpp>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <typeinfo>
#include <unordered_map>
#include <vector>

#include "tcl_obj_ref.h"
#include "tclany.h"

namespace tov {
namespace tcltasks {

namespace detail {

// Type information attached to every framework Tcl object (ptr2).
class itcltypeinfo {
public:
    virtual ~itcltypeinfo();
    virtual const std::type_info& native_type() const = 0;
    virtual tclany make_tclany(Tcl_Obj* obj) const = 0;
    // Called when the object's internal form is freed.
    virtual void release(Tcl_Obj* obj) const = 0;
    // Asks the object to bring its string form up to date.
    virtual void refresh(Tcl_Obj* obj) const = 0;
};

// Attaches type and information to obj. An object that already has a
// framework type of the same kind keeps its internal pointer; any other
// internal form is freed (after the string form is secured) and the
// pointer is taken from the native cache of the information's type.
void SetTclObjTypeInfo(Tcl_Obj* obj, const Tcl_ObjType* type, const itcltypeinfo* info);
// Null unless obj currently carries a framework type.
const itcltypeinfo* GetTclTypeInfo(Tcl_Obj* obj);
// Type information of a native object, also when its internal form was
// replaced since it was made (looked up in the caches, then restamped).
const itcltypeinfo* find_native_typeinfo(Tcl_Obj* obj);

void FreeInternalRepProc(Tcl_Obj* obj);
void InvalidStringRepProc(Tcl_Obj* obj);
void duplicate_collection_tclobj(Tcl_Obj* src, Tcl_Obj* dup);
// The duplicate procedure of every native type (see find_native).
void duplicate_native_tclobj(Tcl_Obj* src, Tcl_Obj* dup);
// The string procedure shared by every collection type.
void update_collection_string(Tcl_Obj* obj);
void set_collection_tcl_string_rep(Tcl_Obj* obj, const std::string& text);

bool is_list_type(Tcl_Obj* obj);

// Display rules of collection strings (application parameters
// "tcl.collectionResultDisplayLimit" and "tcl.collectionResultDisplayLimitCheck").
long long get_collection_result_display_limit();
bool collection_result_display_limit_check_enabled();
// When set, a collection's string is its context's string.
bool get_use_collection_context_string_rep();
void set_use_collection_context_string_rep(bool use);

// The class name of a model object that Tcl values hold (cached native
// objects, elements of live collections) whose name is name; empty when
// none is. For error texts: it searches everything.
std::string class_of_object_named(const std::string& name);

// Release hook of collection types: detaches obj from its wrapper.
void remove_from_native_cache(Tcl_Obj* obj);
// Drops a collection object's string so the next read rebuilds it.
void shimmer(Tcl_Obj* obj);

}  // namespace detail

namespace detail {
// Recycles the nodes of the cache tables: objects come and go by the
// hundred thousand. Each thread keeps its own bounded list of free nodes
// (the tables are per thread) and gives it back when it ends.
template <class T>
struct node_pool_allocator {
    using value_type = T;
    node_pool_allocator() = default;
    template <class U>
    node_pool_allocator(const node_pool_allocator<U>&) {}  // NOLINT: rebinding
    T* allocate(std::size_t n) {
        free_list& list = local();
        if (n != 1 || !list.head) return static_cast<T*>(::operator new(n * sizeof(T)));
        void* node = list.head;
        list.head = *static_cast<void**>(node);
        --list.count;
        return static_cast<T*>(node);
    }
    void deallocate(T* p, std::size_t n) {
        free_list& list = local();
        if (n != 1 || list.closed || list.count >= kKept) return ::operator delete(p);
        closer();
        *reinterpret_cast<void**>(p) = list.head;
        list.head = p;
        ++list.count;
    }
    template <class U>
    bool operator==(const node_pool_allocator<U>&) const {
        return true;
    }
    template <class U>
    bool operator!=(const node_pool_allocator<U>&) const {
        return false;
    }

private:
    static_assert(sizeof(T) >= sizeof(void*), "a node must hold the free-list link");
    static constexpr std::size_t kKept = 4096;
    // Trivially destructible, so that it may still be read while the
    // thread ends, after the closer below has run.
    struct free_list {
        void* head;
        std::size_t count;
        bool closed;
    };
    static free_list& local() {
        thread_local free_list list{nullptr, 0, false};
        return list;
    }
    struct list_closer {
        ~list_closer() {
            free_list& list = local();
            list.closed = true;
            while (void* node = list.head) {
                list.head = *static_cast<void**>(node);
                ::operator delete(node);
            }
            list.count = 0;
        }
    };
    static void closer() {
        thread_local list_closer instance;
        (void)instance;
    }
};
}  // namespace detail

// Per native pointer type and thread, shared by every command file of the
// thread: Tcl values never cross threads, so neither do the tables that
// hold them. The cache holds one Tcl reference on each object it knows, so
// a cached object is never freed behind its back; release_unreferenced()
// gives back the objects that only the cache still holds (done for every
// cache when its thread ends).
class native_cache_base {
public:
    struct pointer_hash {
        std::size_t operator()(const void* p) const noexcept {
            const auto v = reinterpret_cast<std::uintptr_t>(p);
            return static_cast<std::size_t>(v + (v >> 3));
        }
    };
    using t2n_table = std::unordered_map<const void*, const void*, pointer_hash, std::equal_to<const void*>,
                                         detail::node_pool_allocator<std::pair<const void* const, const void*>>>;
    using n2t_table = std::unordered_multimap<const void*, Tcl_Obj*, pointer_hash, std::equal_to<const void*>,
                                              detail::node_pool_allocator<std::pair<const void* const, Tcl_Obj*>>>;

    // This thread's cache of the pointer type.
    static native_cache_base& of(const std::type_info& pointerType);
    // Changes whenever this thread makes its tables anew (after they were
    // closed), so that a cache pointer kept per thread can be checked.
    static std::uint64_t tables_generation();
    // This thread's cache of the pointer type if it has one; makes none.
    static native_cache_base* existing(const std::type_info& pointerType);
    // This thread's caches and collections.
    static void release_all_unreferenced();
    // Every model object that a Tcl value may still use, for a model that
    // frees objects once nothing refers to them: the cached native objects
    // that something besides the cache holds (those that only the cache
    // holds are given back first), and the elements of every live
    // collection that are no text. visit gets the pointer type (T*) and the
    // pointer, and ignores types it does not know (a collection element may
    // be a collection); an object may be visited more than once.
    // Every thread's tables are visited. A thread's tables are read while
    // it runs no framework command; when one stays busy, false is
    // returned and the visit is incomplete (nothing may be freed on it).
    using held_visitor = std::function<void(const std::type_info& pointerType, const void* object)>;
    static bool for_each_held(const held_visitor& visit);

    t2n_table& t2n() { return t2n_; }
    n2t_table& n2t() { return n2t_; }
    // The Tcl type of the first command file that made objects of this
    // type, in any thread (types are shared; their objects are not).
    const detail::itcltypeinfo* typeinfo() const;
    const Tcl_ObjType* tcl_type() const;
    const std::type_info& pointer_type() const { return *pointer_type_; }
    void set_type(const Tcl_ObjType* type, const detail::itcltypeinfo* info);
    struct type_entry;

    // The cached Tcl object of a native pointer, or null.
    Tcl_Obj* find_tclobj(const void* native) const;
    // The native pointer of a cached object, or of a copy of one made by
    // Tcl_DuplicateObj while it keeps the copied internal form (the copy
    // holds a reference on the cached object, so it names the same model
    // object or, once the model deleted that, nothing); else null.
    const void* find_native(Tcl_Obj* obj) const;
    void insert(const void* native, Tcl_Obj* obj);
    // Erases obj and every entry of the pointer it maps to (no Tcl reference change).
    void forget_tclobj(Tcl_Obj* obj);
    // For the model when it deletes an object: drops its entries and reference.
    void forget_native(const void* native);
    std::size_t release_unreferenced();
    // Gives back every object, held elsewhere or not (the thread ends).
    void release_all();

    static void incr_refcount(Tcl_Obj* obj);
    static void decr_refcount(Tcl_Obj* obj);
    static bool is_alive(Tcl_Obj* obj);

private:
    const void* find_copy(Tcl_Obj* obj) const;

    t2n_table t2n_;
    n2t_table n2t_;
    type_entry* type_ = nullptr;  // shared by the caches of this type in every thread
    const std::type_info* pointer_type_ = &typeid(void);
};

// Held by a thread while a framework command runs and while its tables
// change: another thread's board collection reads them only in between.
// Nested holds in one thread are free.
class thread_tables_lock {
public:
    thread_tables_lock();
    ~thread_tables_lock();
    thread_tables_lock(const thread_tables_lock&) = delete;
    thread_tables_lock& operator=(const thread_tables_lock&) = delete;

private:
    void* tables_;
};

class collection_wrapper_base;

// The collection objects the framework made, so that one a script has used
// as a list or a string (llength, lindex, foreach, puts) is still found as
// its collection while its Tcl value lives. Like native_cache_base, it holds
// one Tcl reference on each object (which also keeps the object shared, so
// Tcl never changes it in place) and one reference on its wrapper; entries
// that only the cache still holds are given back by a sweep, amortised over
// the insertions (see the .cpp). Objects Tcl_DuplicateObj made are not kept:
// they are made to be changed.
class collection_cache {
public:
    // A sweep is due once the entries registered since the last one weigh
    // (1 + elements each) as much as those something besides the cache held
    // at the last sweep, and at least this much: every sweep pays for itself
    // with the insertions before it. It gives back what was registered
    // before the last sweep, so what only the cache holds stays within twice
    // this weight or what scripts hold.
    static constexpr std::size_t minimum_sweep_weight = 256;

    // This thread's collection cache.
    static collection_cache& instance();

    // Registers a collection object just made for wrapper. A sweep it starts
    // spares the entries registered since the last sweep: their makers may
    // not have taken their own reference yet.
    void insert(Tcl_Obj* obj, collection_wrapper_base* wrapper);
    // The wrapper of a registered object, whatever its internal form now; else null.
    collection_wrapper_base* find(Tcl_Obj* obj) const;
    // Gives back every entry that only the cache holds; returns their count.
    std::size_t release_unreferenced();
    // Gives back every entry (the thread ends).
    void release_all();
    std::size_t size() const;

private:
    struct entry {
        collection_wrapper_base* wrapper;
        std::size_t weight;      // 1 + elements when registered: what a sweep may give back
        std::size_t registered;  // the count of sweeps before it was registered
    };
    using table = std::unordered_map<Tcl_Obj*, entry, native_cache_base::pointer_hash, std::equal_to<Tcl_Obj*>,
                                     detail::node_pool_allocator<std::pair<Tcl_Obj* const, entry>>>;

    // Gives back the unreferenced entries registered before sweep number `before`.
    std::size_t release_registered_before(std::size_t before);

    table entries_;
    std::size_t sweeps_ = 0;
    std::size_t weight_since_sweep_ = 0;
    std::size_t weight_kept_ = 0;  // held besides the cache at the last sweep
};

// What a collection was made from; its string may stand for the collection.
class HTCICollectionContext {
public:
    virtual ~HTCICollectionContext();
    virtual void add_tclobj(Tcl_Obj* obj) = 0;
    virtual void append(const boost::shared_ptr<HTCICollectionContext>& other) = 0;
    virtual std::string string_rep() const = 0;
};
using collection_context_ptr = boost::shared_ptr<HTCICollectionContext>;

class HTCCollectionContextMgr {
public:
    static HTCCollectionContextMgr* instance();
    // A context for a collection built from a Tcl list: it keeps (with a
    // reference each) the Tcl objects it was built from.
    collection_context_ptr createListCollectionContext();
    void addTclObjToCtx(Tcl_Obj* obj, collection_context_ptr& context);
    void append(collection_context_ptr& context, const collection_context_ptr& other);
};

// Reference-counted base of every collection wrapper. Slots of the
// derived template (in order): clone, slice, element type, size, element
// as any, as tclany, as text, as Tcl object, append collection, append Tcl
// object, replace, insert, remove, reverse, sort, shrink, unique, string.
class collection_wrapper_base {
public:
    collection_wrapper_base();
    collection_wrapper_base(const collection_wrapper_base& other);
    collection_wrapper_base& operator=(const collection_wrapper_base&) = delete;
    virtual ~collection_wrapper_base();

    virtual collection_wrapper_base* clone() const = 0;
    virtual collection_wrapper_base* slice(std::size_t from, std::size_t to) const = 0;
    virtual const std::type_info& element_type() const = 0;
    virtual std::size_t size() const = 0;
    virtual boost::any element_any(std::size_t i) const = 0;
    virtual tclany element_tclany(std::size_t i) const = 0;
    virtual std::string element_text(std::size_t i) const = 0;
    virtual Tcl_Obj* element_tclobj(std::size_t i) const = 0;
    virtual void append_collection(const collection_wrapper_base& other) = 0;
    virtual void append_tclobj(Tcl_Interp* interp, Tcl_Obj* obj) = 0;
    virtual void replace(long i, Tcl_Interp* interp, Tcl_Obj* obj) = 0;
    virtual void insert(long i, Tcl_Interp* interp, Tcl_Obj* obj) = 0;
    virtual void remove(long i) = 0;
    virtual void reverse() = 0;
    virtual void sort() = 0;
    virtual void shrink() = 0;
    virtual void unique() = 0;
    virtual std::string string_rep(Tcl_Obj* obj) const = 0;
    // Beyond the listed slots: keeps the elements for which keep(i) is true.
    virtual void keep_if(const std::function<bool(std::size_t)>& keep) = 0;
    virtual bool element_equals(std::size_t i, const collection_wrapper_base& other, std::size_t j) const = 0;

    void incr_ref() { ++refcount_; }
    void decr_ref();
    int refcount() const { return refcount_; }

    const collection_context_ptr& context() const { return context_; }
    void set_context(const collection_context_ptr& context) { context_ = context; }
    void clear_context() { context_.reset(); }

    // The Tcl object standing for this wrapper (created on demand, not owned:
    // it owns a reference on the wrapper instead).
    Tcl_Obj* tclobj() const { return tclobj_; }
    void attach_tclobj(Tcl_Obj* obj) { tclobj_ = obj; }
    void forget_tclobj(Tcl_Obj* obj);
    void set_tcl_type(const Tcl_ObjType* type, const detail::itcltypeinfo* info);
    const Tcl_ObjType* tcl_type() const { return tcl_type_; }
    const detail::itcltypeinfo* tcl_typeinfo() const { return tcl_typeinfo_; }

    // A plain Tcl list of the element objects (cached until the elements change).
    Tcl_Obj* get_collection_as_tcllist();
    void invalidate_tcllist();

    // The shared string form (element texts joined by blanks, display limit applied).
    std::string limited_string() const;

private:
    int refcount_ = 0;
    collection_context_ptr context_;
    tcl_obj_ref tcllist_;
    Tcl_Obj* tclobj_ = nullptr;
    const Tcl_ObjType* tcl_type_ = nullptr;
    const detail::itcltypeinfo* tcl_typeinfo_ = nullptr;
    void* tables_ = nullptr;  // the thread tables that list it as alive
};

namespace detail {
// The collection held by obj, or null.
collection_wrapper_base* get_collection(Tcl_Obj* obj);
// The wrapper's Tcl object, made (with the wrapper's remembered type) when
// it has none. Reference count 0 when new.
Tcl_Obj* get_tclobj(collection_wrapper_base* wrapper);
}  // namespace detail

}  // namespace tcltasks
}  // namespace tov
