// tclany: a type-erased value (a native object pointer, a string, or a
// collection) as it travels in -of_objects values and into filters.
#pragma once

#include <memory>
#include <ostream>
#include <string>
#include <typeinfo>

typedef struct Tcl_Obj Tcl_Obj;

namespace tov {
namespace tcltasks {

namespace detail {

// Native object to Tcl for a pointer type whose Tcl object type has been
// created (by the first use of that type in any command file). Throws
// HTCErrors::type_error when no command file knows the type.
Tcl_Obj* native_to_tclobj(const std::type_info& pointerType, const void* pointer);
using native_converter = Tcl_Obj* (*)(const void* pointer);
void register_native_converter(const std::type_info& pointerType, native_converter convert);

// How a held value of type V becomes a Tcl object and a text. Pointers and
// strings are handled here; collection types specialise it where they are
// defined.
template <class V, class Enable = void>
struct tclany_traits;

template <>
struct tclany_traits<std::string> {
    static Tcl_Obj* to_tclobj(const std::string& value);
    static std::string text(const std::string& value) { return value; }
};

template <class T>
struct tclany_traits<T*> {
    static Tcl_Obj* to_tclobj(T* pointer) { return native_to_tclobj(typeid(T*), pointer); }
    static std::string text(T* pointer) { return pointer ? pointer->getName() : std::string(); }
};

// Holder slots in order: destructor, deleting destructor, held type,
// clone, to Tcl object, text; then the address of the held value, which
// typed reads (tclany_cast) use.
class tclany_iholder {
public:
    virtual ~tclany_iholder() = default;
    virtual const std::type_info& type() const = 0;
    virtual tclany_iholder* clone() const = 0;
    virtual Tcl_Obj* to_tclobj() const = 0;
    virtual std::string text() const = 0;
    virtual const void* address() const = 0;
};

template <class V>
class tclany_holder final : public tclany_iholder {
public:
    explicit tclany_holder(const V& value) : held(value) {}
    const std::type_info& type() const override { return typeid(V); }
    tclany_iholder* clone() const override { return new tclany_holder(held); }
    Tcl_Obj* to_tclobj() const override { return tclany_traits<V>::to_tclobj(held); }
    std::string text() const override { return tclany_traits<V>::text(held); }
    const void* address() const override { return &held; }

    V held;
};

}  // namespace detail

class tclany {
public:
    tclany() = default;
    template <class V>
    tclany(const V& value) : holder_(new detail::tclany_holder<V>(value)) {}  // NOLINT: implicit by design
    tclany(const char* text) : tclany(std::string(text)) {}                   // NOLINT
    tclany(const tclany& other) : holder_(other.holder_ ? other.holder_->clone() : nullptr) {}
    tclany(tclany&&) noexcept = default;
    tclany& operator=(tclany other) noexcept {
        holder_.swap(other.holder_);
        return *this;
    }
    ~tclany() = default;

    bool empty() const { return !holder_; }
    const std::type_info& type() const { return holder_ ? holder_->type() : typeid(void); }
    // A new Tcl object (reference count 0 unless it is a cached native object); null when empty.
    Tcl_Obj* to_tclobj() const { return holder_ ? holder_->to_tclobj() : nullptr; }
    std::string text() const { return holder_ ? holder_->text() : std::string(); }
    const detail::tclany_iholder* holder() const { return holder_.get(); }

private:
    std::unique_ptr<detail::tclany_iholder> holder_;
};

// The held value when it is of type V, else null.
template <class V>
const V* tclany_cast(const tclany* value) {
    if (!value || value->type() != typeid(V)) return nullptr;
    return static_cast<const V*>(value->holder()->address());
}

template <class V>
const V* tclany_cast(const tclany& value) {
    return tclany_cast<V>(&value);
}

std::ostream& operator<<(std::ostream& out, const tclany& value);

}  // namespace tcltasks
}  // namespace tov
