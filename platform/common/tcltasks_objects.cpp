#include "tcltasks_objects.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <typeindex>
#include <unordered_set>

#include "HCPProperty.h"
#include "HPAParamMgr.h"
#include "tcl_obj_ref.h"

namespace tov {
namespace tcltasks {

namespace {

bool has_framework_type(Tcl_Obj* obj) {
    return obj->typePtr && obj->typePtr->freeIntRepProc == &detail::FreeInternalRepProc;
}

bool is_collection_type(const Tcl_ObjType* type) {
    return type && type->dupIntRepProc == &detail::duplicate_collection_tclobj;
}

// A copy of a native object holds a reference on the cached object it was
// copied from (its original) instead of the model pointer, marked by the
// low bit (one byte past it): the original keeps the model object in use
// (the model frees only what no Tcl value holds), and the copy never meets
// a pointer that the model may since have given to another object. Tcl
// objects and model objects are aligned, so the bit is free.
void* marked_as_copy(Tcl_Obj* original) { return reinterpret_cast<char*>(original) + 1; }

Tcl_Obj* original_of_copy(Tcl_Obj* obj) {
    if (!has_framework_type(obj) || is_collection_type(obj->typePtr)) return nullptr;
    void* pointer = obj->internalRep.twoPtrValue.ptr1;
    if ((reinterpret_cast<std::uintptr_t>(pointer) & 1U) == 0U) return nullptr;
    return reinterpret_cast<Tcl_Obj*>(static_cast<char*>(pointer) - 1);
}

// The tables of Tcl objects of one thread: the native caches, the
// collection cache and the live collection wrappers. Made on first use,
// closed by a Tcl thread exit handler when the thread ends (for the main
// thread, when Tcl finalizes). mutex is held by the thread while it runs a
// framework command or changes the tables (thread_tables_lock), and by
// another thread's board collection while it reads them.
struct thread_tables {
    std::map<std::type_index, std::unique_ptr<native_cache_base>> caches;
    collection_cache collections;
    std::unordered_set<const collection_wrapper_base*> wrappers;
    std::mutex mutex;
    int holds = 0;        // nested thread_tables_lock of the owner
    bool closed = false;  // its thread ended; kept only while wrappers live
};

// The tables of every thread that made them and has not ended.
class tables_registry {
public:
    static tables_registry& get() {
        static auto* registry = new tables_registry;  // threads may end after static destruction
        return *registry;
    }
    void add(thread_tables* tables) {
        std::lock_guard<std::mutex> lock(mutex_);
        all_.push_back(tables);
    }
    void remove(thread_tables* tables) {
        std::lock_guard<std::mutex> lock(mutex_);
        all_.erase(std::remove(all_.begin(), all_.end(), tables), all_.end());
    }
    // Calls visit(tables) for every registered thread's tables but mine.
    template <class Visit>
    void for_each_other(const thread_tables* mine, Visit visit) {
        std::lock_guard<std::mutex> lock(mutex_);
        for (thread_tables* tables : all_) {
            if (tables != mine) visit(*tables);
        }
    }

private:
    std::mutex mutex_;
    std::vector<thread_tables*> all_;
};

struct thread_slot {
    thread_tables* tables;
    std::uint64_t generation;
};
thread_slot& this_thread_slot() {
    thread_local thread_slot slot{nullptr, 0};  // trivially destructible: read while the thread ends
    return slot;
}

void close_thread_tables(ClientData);

thread_tables& this_thread_tables() {
    thread_slot& slot = this_thread_slot();
    if (!slot.tables) {
        slot.tables = new thread_tables;
        ++slot.generation;
        tables_registry::get().add(slot.tables);
        Tcl_CreateThreadExitHandler(&close_thread_tables, nullptr);
    }
    return *slot.tables;
}

std::map<std::type_index, std::unique_ptr<native_cache_base>>& caches() { return this_thread_tables().caches; }

// Locks the owner's own tables unless it holds them already.
void hold(thread_tables& tables) {
    if (tables.holds++ == 0) tables.mutex.lock();
}
void unhold(thread_tables& tables) {
    if (--tables.holds == 0) tables.mutex.unlock();
}

class own_tables_lock {
public:
    own_tables_lock() : tables_(this_thread_tables()) { hold(tables_); }
    ~own_tables_lock() { unhold(tables_); }
    own_tables_lock(const own_tables_lock&) = delete;
    own_tables_lock& operator=(const own_tables_lock&) = delete;

private:
    thread_tables& tables_;
};

// The elements of a wrapper that are no text, each with its type: a tclany
// holds a model object pointer, a text or a collection handle, the last
// two one pointer wide; the visitor knows its own pointer types.
void visit_elements(const collection_wrapper_base& wrapper, const native_cache_base::held_visitor& visit) {
    if (wrapper.element_type() == typeid(std::string)) return;
    for (std::size_t i = 0; i < wrapper.size(); ++i) {
        const tclany element = wrapper.element_tclany(i);
        if (element.empty() || element.type() == typeid(std::string)) continue;
        const void* object = nullptr;
        std::memcpy(&object, element.holder()->address(), sizeof(object));
        visit(element.type(), object);
    }
}

void visit_tables(const thread_tables& tables, const native_cache_base::held_visitor& visit) {
    for (const auto& cache : tables.caches) {
        for (const auto& entry : cache.second->n2t()) visit(cache.second->pointer_type(), entry.first);
    }
    for (const collection_wrapper_base* wrapper : tables.wrappers) visit_elements(*wrapper, visit);
}

// The thread ends: everything its tables hold is given back while Tcl can
// still free objects, and its tables leave the registry. Wrappers that
// Tcl values still hold (their thread is gone, so nothing can use them)
// keep the tables until the last of them is destroyed.
void close_thread_tables(ClientData) {
    thread_slot& slot = this_thread_slot();
    thread_tables* tables = slot.tables;
    if (!tables) return;
    tables_registry::get().remove(tables);
    hold(*tables);
    tables->collections.release_all();
    for (auto& cache : tables->caches) cache.second->release_all();
    slot.tables = nullptr;
    tables->closed = true;
    const bool unused = tables->wrappers.empty();
    unhold(*tables);
    if (unused) delete tables;
}

// Gives obj the collection form of wrapper again, after a script turned it
// into a list or string; its string stays what it was.
void stamp_collection(Tcl_Obj* obj, collection_wrapper_base* wrapper) {
    Tcl_GetString(obj);  // the string is the value while the internal form changes
    if (obj->typePtr && obj->typePtr->freeIntRepProc) obj->typePtr->freeIntRepProc(obj);
    wrapper->incr_ref();
    obj->internalRep.twoPtrValue.ptr1 = wrapper;
    obj->internalRep.twoPtrValue.ptr2 = const_cast<detail::itcltypeinfo*>(wrapper->tcl_typeinfo());
    obj->typePtr = wrapper->tcl_type();
}

}  // namespace

namespace detail {

itcltypeinfo::~itcltypeinfo() = default;

void SetTclObjTypeInfo(Tcl_Obj* obj, const Tcl_ObjType* type, const itcltypeinfo* info) {
    if (obj->typePtr == type && obj->internalRep.twoPtrValue.ptr2 == info) return;
    const itcltypeinfo* current = GetTclTypeInfo(obj);
    const bool sameKind = current && is_collection_type(obj->typePtr) == is_collection_type(type) &&
                          current->native_type() == info->native_type();
    if (!sameKind && is_collection_type(type)) {
        collection_wrapper_base* wrapper = collection_cache::instance().find(obj);
        if (!wrapper) throw std::logic_error("a collection type needs its wrapper");
        stamp_collection(obj, wrapper);
    } else if (!sameKind) {
        Tcl_GetString(obj);  // the string is the value once the internal form is gone
        if (obj->typePtr && obj->typePtr->freeIntRepProc) obj->typePtr->freeIntRepProc(obj);
        obj->internalRep.twoPtrValue.ptr1 =
            const_cast<void*>(native_cache_base::of(info->native_type()).find_native(obj));
    }
    obj->typePtr = type;
    obj->internalRep.twoPtrValue.ptr2 = const_cast<itcltypeinfo*>(info);
}

const itcltypeinfo* GetTclTypeInfo(Tcl_Obj* obj) {
    if (!obj || !has_framework_type(obj)) return nullptr;
    return static_cast<const itcltypeinfo*>(obj->internalRep.twoPtrValue.ptr2);
}

const itcltypeinfo* find_native_typeinfo(Tcl_Obj* obj) {
    if (const itcltypeinfo* info = GetTclTypeInfo(obj)) return info;
    for (auto& cache : caches()) {
        const itcltypeinfo* info = cache.second->typeinfo();
        if (info && cache.second->find_native(obj)) {
            SetTclObjTypeInfo(obj, cache.second->tcl_type(), info);
            return info;
        }
    }
    return nullptr;
}

void FreeInternalRepProc(Tcl_Obj* obj) {
    if (Tcl_Obj* original = original_of_copy(obj)) {
        obj->typePtr = nullptr;
        Tcl_DecrRefCount(original);
        return;
    }
    if (const itcltypeinfo* info = GetTclTypeInfo(obj)) info->release(obj);
    obj->typePtr = nullptr;
}

// The copy gets the name as its string (so that it reads as the same text
// whatever happens later) and, while the source is a cached object or a
// copy of one, a reference on that cached object; otherwise it is text.
void duplicate_native_tclobj(Tcl_Obj* src, Tcl_Obj* dup) {
    if (!dup->bytes) {
        int length = 0;
        const char* name = Tcl_GetStringFromObj(src, &length);
        set_collection_tcl_string_rep(dup, std::string(name, static_cast<std::size_t>(length)));
    }
    Tcl_Obj* original = original_of_copy(src);
    if (!original) {
        const itcltypeinfo* info = GetTclTypeInfo(src);
        native_cache_base* cache = info ? native_cache_base::existing(info->native_type()) : nullptr;
        if (cache && cache->t2n().count(src) != 0U) original = src;
    }
    if (!original) return;
    Tcl_IncrRefCount(original);
    dup->internalRep.twoPtrValue.ptr1 = marked_as_copy(original);
    dup->internalRep.twoPtrValue.ptr2 = src->internalRep.twoPtrValue.ptr2;
    dup->typePtr = src->typePtr;
}

void InvalidStringRepProc(Tcl_Obj* obj) {
    // A native object's string is set when it is made; rebuild it from the
    // object (its name) if Tcl ever dropped it.
    // No exception may cross Tcl's C frames: a failure becomes the text.
    std::string text;
    try {
        if (const itcltypeinfo* info = GetTclTypeInfo(obj)) text = info->make_tclany(obj).text();
    } catch (const std::exception& error) {
        text = error.what();
    }
    set_collection_tcl_string_rep(obj, text);
}

void duplicate_collection_tclobj(Tcl_Obj* src, Tcl_Obj* dup) {
    auto* wrapper = static_cast<collection_wrapper_base*>(src->internalRep.twoPtrValue.ptr1);
    wrapper->incr_ref();
    dup->internalRep.twoPtrValue.ptr1 = wrapper;
    dup->internalRep.twoPtrValue.ptr2 = src->internalRep.twoPtrValue.ptr2;
    dup->typePtr = src->typePtr;
}

void set_collection_tcl_string_rep(Tcl_Obj* obj, const std::string& text) {
    Tcl_InvalidateStringRep(obj);
    obj->bytes = Tcl_Alloc(static_cast<unsigned>(text.size() + 1));
    std::copy(text.begin(), text.end(), obj->bytes);
    obj->bytes[text.size()] = '\0';
    obj->length = static_cast<int>(text.size());
}

void update_collection_string(Tcl_Obj* obj) {
    std::string text;
    try {
        collection_wrapper_base* wrapper = get_collection(obj);
        text = wrapper ? wrapper->string_rep(obj) : std::string("_xcol");
    } catch (const std::exception& error) {
        text = error.what();
    }
    set_collection_tcl_string_rep(obj, text);
}

bool is_list_type(Tcl_Obj* obj) {
    static const Tcl_ObjType* listType = Tcl_GetObjType("list");
    if (obj->typePtr == listType) return true;
    int length = 0;
    // A single word is text, not a list of one object.
    return Tcl_ListObjLength(nullptr, obj, &length) == TCL_OK && length != 1;
}

long long get_collection_result_display_limit() {
    return HPAParamMgr::getParamMgr().getValueAsInt("tcl.collectionResultDisplayLimit");
}

bool collection_result_display_limit_check_enabled() {
    return HPAParamMgr::getParamMgr().getValueAsBool("tcl.collectionResultDisplayLimitCheck");
}

namespace {
bool& use_context_string() {
    static bool use = false;
    return use;
}
}  // namespace

bool get_use_collection_context_string_rep() { return use_context_string(); }
void set_use_collection_context_string_rep(bool use) { use_context_string() = use; }

std::string class_of_object_named(const std::string& name) {
    auto class_name = [](const std::type_info& pointerType) {
        return HCPProperty::getObjectClassName(HCPProperty::getObjectInfo(pointerType));
    };
    for (auto& cache : caches()) {
        for (const auto& entry : cache.second->n2t()) {
            if (name == Tcl_GetString(entry.second)) return class_name(cache.second->pointer_type());
        }
    }
    for (const collection_wrapper_base* wrapper : this_thread_tables().wrappers) {
        if (wrapper->element_type() == typeid(std::string)) continue;
        for (std::size_t i = 0; i < wrapper->size(); ++i) {
            const tclany element = wrapper->element_tclany(i);
            if (element.empty() || element.type() == typeid(std::string)) continue;
            const std::string found = class_name(element.type());
            if (!found.empty() && element.text() == name) return found;
        }
    }
    return std::string();
}

// The object gives up its own reference on the wrapper. While it lives (a
// script replaced its internal form) it stays the wrapper's object: only
// the collection cache's objects are, and the cache keeps the wrapper.
void remove_from_native_cache(Tcl_Obj* obj) {
    auto* wrapper = static_cast<collection_wrapper_base*>(obj->internalRep.twoPtrValue.ptr1);
    if (!wrapper) return;
    obj->internalRep.twoPtrValue.ptr1 = nullptr;
    if (obj->refCount < 1) wrapper->forget_tclobj(obj);
    wrapper->decr_ref();
}

void shimmer(Tcl_Obj* obj) {
    if (get_collection(obj) && obj->bytes) Tcl_InvalidateStringRep(obj);
}

collection_wrapper_base* get_collection(Tcl_Obj* obj) {
    if (!obj) return nullptr;
    if (has_framework_type(obj) && is_collection_type(obj->typePtr)) {
        return static_cast<collection_wrapper_base*>(obj->internalRep.twoPtrValue.ptr1);
    }
    collection_wrapper_base* wrapper = collection_cache::instance().find(obj);
    if (wrapper) stamp_collection(obj, wrapper);
    return wrapper;
}

Tcl_Obj* get_tclobj(collection_wrapper_base* wrapper) {
    if (Tcl_Obj* existing = wrapper->tclobj()) {
        if (!is_collection_type(existing->typePtr)) stamp_collection(existing, wrapper);
        return existing;
    }
    Tcl_Obj* obj = Tcl_NewObj();
    Tcl_InvalidateStringRep(obj);  // built on demand by the type's string procedure
    wrapper->incr_ref();
    obj->internalRep.twoPtrValue.ptr1 = wrapper;
    obj->internalRep.twoPtrValue.ptr2 = const_cast<itcltypeinfo*>(wrapper->tcl_typeinfo());
    obj->typePtr = wrapper->tcl_type();
    wrapper->attach_tclobj(obj);
    collection_cache::instance().insert(obj, wrapper);
    return obj;
}

}  // namespace detail

// ---------------------------------------------------------------- caches

// The Tcl type of a pointer type, the same in every thread: set once by
// the first command file that makes objects of the type.
struct native_cache_base::type_entry {
    std::atomic<const Tcl_ObjType*> type{nullptr};
    std::atomic<const detail::itcltypeinfo*> info{nullptr};
};

namespace {
native_cache_base::type_entry& type_entry_of(const std::type_info& pointerType) {
    static std::mutex mutex;
    static auto* entries = new std::map<std::type_index, native_cache_base::type_entry>;  // never destroyed
    std::lock_guard<std::mutex> lock(mutex);
    return (*entries)[std::type_index(pointerType)];
}
}  // namespace

native_cache_base& native_cache_base::of(const std::type_info& pointerType) {
    auto& slot = caches()[std::type_index(pointerType)];
    if (!slot) {
        slot.reset(new native_cache_base);
        slot->pointer_type_ = &pointerType;
        slot->type_ = &type_entry_of(pointerType);
    }
    return *slot;
}

native_cache_base* native_cache_base::existing(const std::type_info& pointerType) {
    thread_tables* tables = this_thread_slot().tables;
    if (!tables) return nullptr;
    auto found = tables->caches.find(std::type_index(pointerType));
    return found == tables->caches.end() ? nullptr : found->second.get();
}

std::uint64_t native_cache_base::tables_generation() {
    const thread_slot& slot = this_thread_slot();
    return slot.tables ? slot.generation : 0;
}

// Collections first: a collection given back may be the last holder of
// native objects (its plain list form).
void native_cache_base::release_all_unreferenced() {
    own_tables_lock lock;
    collection_cache::instance().release_unreferenced();
    for (auto& cache : caches()) cache.second->release_unreferenced();
}

// This thread's tables first, after giving back what only they hold; then
// every other thread's, each while that thread runs no command. Another
// thread's objects that only its caches hold are visited too: only that
// thread may free them.
bool native_cache_base::for_each_held(const held_visitor& visit) {
    // A thread that never made a Tcl object (a model reader) makes no tables here.
    thread_tables* mine = this_thread_slot().tables;
    if (mine) {
        own_tables_lock lock;
        release_all_unreferenced();
        visit_tables(*mine, visit);
    }
    bool complete = true;
    tables_registry::get().for_each_other(mine, [&](thread_tables& other) {
        std::unique_lock<std::mutex> lock(other.mutex, std::try_to_lock);
        if (!lock.owns_lock()) {
            complete = false;
            return;
        }
        visit_tables(other, visit);
    });
    return complete;
}

void native_cache_base::set_type(const Tcl_ObjType* type, const detail::itcltypeinfo* info) {
    const detail::itcltypeinfo* none = nullptr;
    if (type_->info.compare_exchange_strong(none, info)) type_->type.store(type);
}

const detail::itcltypeinfo* native_cache_base::typeinfo() const {
    // The info is published after the type: one seen means both are set.
    return type_->type.load() ? type_->info.load() : nullptr;
}

const Tcl_ObjType* native_cache_base::tcl_type() const { return type_->type.load(); }

void native_cache_base::release_all() {
    n2t_table held;
    held.swap(n2t_);
    t2n_.clear();
    for (const auto& entry : held) decr_refcount(entry.second);
}

Tcl_Obj* native_cache_base::find_tclobj(const void* native) const {
    auto found = n2t_.find(native);
    return found == n2t_.end() ? nullptr : found->second;
}

const void* native_cache_base::find_native(Tcl_Obj* obj) const {
    auto found = t2n_.find(obj);
    return found == t2n_.end() ? find_copy(obj) : found->second;
}

// A copy made by Tcl_DuplicateObj is its original's object while the
// original is cached (the model has not deleted it). An object that is not
// cached and no copy is no object: its pointer may since name another.
// The copy is not cached itself: once its internal form is replaced it is
// plain text.
const void* native_cache_base::find_copy(Tcl_Obj* obj) const {
    Tcl_Obj* original = original_of_copy(obj);
    if (!original) return nullptr;
    auto found = t2n_.find(original);
    return found == t2n_.end() ? nullptr : found->second;
}

void native_cache_base::insert(const void* native, Tcl_Obj* obj) {
    own_tables_lock lock;
    n2t_.emplace(native, obj);
    t2n_.emplace(obj, native);
    incr_refcount(obj);
}

void native_cache_base::forget_tclobj(Tcl_Obj* obj) {
    own_tables_lock lock;
    auto found = t2n_.find(obj);
    if (found == t2n_.end()) return;
    n2t_.erase(found->second);
    t2n_.erase(found);
}

void native_cache_base::forget_native(const void* native) {
    own_tables_lock lock;
    auto range = n2t_.equal_range(native);
    std::vector<Tcl_Obj*> objects;
    for (auto it = range.first; it != range.second; ++it) objects.push_back(it->second);
    n2t_.erase(range.first, range.second);
    for (Tcl_Obj* obj : objects) {
        t2n_.erase(obj);
        decr_refcount(obj);
    }
}

std::size_t native_cache_base::release_unreferenced() {
    own_tables_lock lock;
    std::size_t released = 0;
    for (auto it = n2t_.begin(); it != n2t_.end();) {
        Tcl_Obj* obj = it->second;
        if (obj->refCount > 1) {
            ++it;
            continue;
        }
        t2n_.erase(obj);
        it = n2t_.erase(it);
        decr_refcount(obj);  // frees it; its release hook finds nothing left to forget
        ++released;
    }
    return released;
}

void native_cache_base::incr_refcount(Tcl_Obj* obj) { Tcl_IncrRefCount(obj); }
void native_cache_base::decr_refcount(Tcl_Obj* obj) { Tcl_DecrRefCount(obj); }
bool native_cache_base::is_alive(Tcl_Obj* obj) { return obj && obj->refCount > 0; }

// ---------------------------------------------------- collection cache

collection_cache& collection_cache::instance() { return this_thread_tables().collections; }

void collection_cache::insert(Tcl_Obj* obj, collection_wrapper_base* wrapper) {
    own_tables_lock lock;
    const std::size_t weight = 1 + wrapper->size();
    entries_.emplace(obj, entry{wrapper, weight, sweeps_});
    Tcl_IncrRefCount(obj);
    wrapper->incr_ref();
    weight_since_sweep_ += weight;
    if (weight_since_sweep_ > std::max(minimum_sweep_weight, weight_kept_)) release_registered_before(sweeps_);
}

collection_wrapper_base* collection_cache::find(Tcl_Obj* obj) const {
    auto found = entries_.find(obj);
    return found == entries_.end() ? nullptr : found->second.wrapper;
}

std::size_t collection_cache::size() const { return entries_.size(); }

std::size_t collection_cache::release_unreferenced() { return release_registered_before(sweeps_ + 1); }

void collection_cache::release_all() {
    table held;
    held.swap(entries_);
    for (const auto& gone : held) {
        gone.second.wrapper->forget_tclobj(gone.first);
        Tcl_DecrRefCount(gone.first);
        gone.second.wrapper->decr_ref();
    }
}

std::size_t collection_cache::release_registered_before(std::size_t before) {
    own_tables_lock lock;
    std::vector<std::pair<Tcl_Obj*, collection_wrapper_base*>> released;
    weight_kept_ = 0;
    for (auto it = entries_.begin(); it != entries_.end();) {
        const bool held = it->first->refCount > 1;
        if (held) weight_kept_ += it->second.weight;  // what scripts hold sets the next sweep's due
        if (held || it->second.registered >= before) {
            ++it;
            continue;
        }
        released.emplace_back(it->first, it->second.wrapper);
        it = entries_.erase(it);
    }
    ++sweeps_;
    weight_since_sweep_ = 0;
    // Freeing may free other objects and wrappers; the table is settled first.
    for (const auto& gone : released) {
        gone.second->forget_tclobj(gone.first);
        Tcl_DecrRefCount(gone.first);
        gone.second->decr_ref();
    }
    return released.size();
}

// ------------------------------------------------------------- thread lock

thread_tables_lock::thread_tables_lock() : tables_(&this_thread_tables()) {
    hold(*static_cast<thread_tables*>(tables_));
}

thread_tables_lock::~thread_tables_lock() { unhold(*static_cast<thread_tables*>(tables_)); }

// ------------------------------------------------------------- contexts

HTCICollectionContext::~HTCICollectionContext() = default;

namespace {

// Keeps the objects a collection was built from, in order.
class list_collection_context final : public HTCICollectionContext {
public:
    void add_tclobj(Tcl_Obj* obj) override { objects_.emplace_back(obj); }
    void append(const collection_context_ptr& other) override { children_.push_back(other); }
    std::string string_rep() const override {
        std::string text;
        for (const tcl_obj_ref& obj : objects_) {
            if (!text.empty()) text += ' ';
            text += Tcl_GetString(obj.get());
        }
        return text;
    }

private:
    std::vector<tcl_obj_ref> objects_;
    std::vector<collection_context_ptr> children_;
};

}  // namespace

HTCCollectionContextMgr* HTCCollectionContextMgr::instance() {
    static HTCCollectionContextMgr manager;
    return &manager;
}

collection_context_ptr HTCCollectionContextMgr::createListCollectionContext() {
    return collection_context_ptr(new list_collection_context);
}

void HTCCollectionContextMgr::addTclObjToCtx(Tcl_Obj* obj, collection_context_ptr& context) {
    if (!context) context = createListCollectionContext();
    context->add_tclobj(obj);
}

void HTCCollectionContextMgr::append(collection_context_ptr& context, const collection_context_ptr& other) {
    if (!other) return;
    if (!context) context = createListCollectionContext();
    context->append(other);
}

// ------------------------------------------------------------- wrappers

namespace {
// Lists a new wrapper as alive in this thread's tables.
void* list_wrapper(const collection_wrapper_base* wrapper) {
    thread_tables& tables = this_thread_tables();
    hold(tables);
    tables.wrappers.insert(wrapper);
    unhold(tables);
    return &tables;
}
}  // namespace

collection_wrapper_base::collection_wrapper_base() : tables_(list_wrapper(this)) {}

collection_wrapper_base::collection_wrapper_base(const collection_wrapper_base& other)
    : context_(other.context_),
      tcl_type_(other.tcl_type_),
      tcl_typeinfo_(other.tcl_typeinfo_),
      tables_(list_wrapper(this)) {}

// The tables it was listed in: this thread's, or, when a Tcl value outlived
// its thread, the closed tables that wait for their last wrapper.
collection_wrapper_base::~collection_wrapper_base() {
    auto* tables = static_cast<thread_tables*>(tables_);
    hold(*tables);
    tables->wrappers.erase(this);
    const bool last = tables->closed && tables->wrappers.empty();
    unhold(*tables);
    if (last) delete tables;
}

// Destroyed under its thread's tables lock: another thread's board
// collection may be reading the live wrappers (closed tables have no reader).
void collection_wrapper_base::decr_ref() {
    if (--refcount_ > 0) return;
    auto* tables = static_cast<thread_tables*>(tables_);
    if (tables->closed) {
        delete this;
        return;
    }
    hold(*tables);
    delete this;
    unhold(*tables);
}

void collection_wrapper_base::forget_tclobj(Tcl_Obj* obj) {
    if (tclobj_ == obj) tclobj_ = nullptr;
}

void collection_wrapper_base::set_tcl_type(const Tcl_ObjType* type, const detail::itcltypeinfo* info) {
    tcl_type_ = type;
    tcl_typeinfo_ = info;
}

Tcl_Obj* collection_wrapper_base::get_collection_as_tcllist() {
    if (!tcllist_) {
        tcl_obj_ref list(Tcl_NewListObj(0, nullptr));
        for (std::size_t i = 0; i < size(); ++i) Tcl_ListObjAppendElement(nullptr, list.get(), element_tclobj(i));
        tcllist_ = list;
    }
    return tcllist_.get();
}

void collection_wrapper_base::invalidate_tcllist() { tcllist_ = tcl_obj_ref(); }

std::string collection_wrapper_base::limited_string() const {
    const std::size_t count = size();
    if (count == 0) return std::string();
    const bool check = detail::collection_result_display_limit_check_enabled();
    const long long limit = check ? detail::get_collection_result_display_limit() : -1;
    if (check && limit == 0) return " ...";
    std::string text;
    for (std::size_t i = 0; i < count; ++i) {
        if (check && limit > 0 && static_cast<long long>(i) == limit) {
            text += " ...";
            break;
        }
        if (i) text += ' ';
        text += element_text(i);
    }
    return text;
}

}  // namespace tcltasks
}  // namespace tov
