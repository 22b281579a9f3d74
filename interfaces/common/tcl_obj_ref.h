// One counted reference on a Tcl object, given back when the holder goes:
// the one way native code keeps a Tcl object across a call that can throw.
#pragma once

#include <tcl.h>

#include <utility>

namespace tov {
namespace tcltasks {

class tcl_obj_ref {
public:
    tcl_obj_ref() = default;
    // Takes a reference of its own on obj (which may be null).
    explicit tcl_obj_ref(Tcl_Obj* obj) : obj_(obj) {
        if (obj_) Tcl_IncrRefCount(obj_);
    }
    // Takes over a reference the caller already owns, such as the one
    // tclcmdobj::get_result() hands out.
    static tcl_obj_ref adopt(Tcl_Obj* obj) {
        tcl_obj_ref ref;
        ref.obj_ = obj;
        return ref;
    }
    tcl_obj_ref(const tcl_obj_ref& other) : tcl_obj_ref(other.obj_) {}
    tcl_obj_ref(tcl_obj_ref&& other) noexcept : obj_(std::exchange(other.obj_, nullptr)) {}
    tcl_obj_ref& operator=(tcl_obj_ref other) noexcept {
        std::swap(obj_, other.obj_);
        return *this;
    }
    ~tcl_obj_ref() {
        if (obj_) Tcl_DecrRefCount(obj_);
    }

    Tcl_Obj* get() const { return obj_; }
    explicit operator bool() const { return obj_ != nullptr; }

private:
    Tcl_Obj* obj_ = nullptr;
};

}  // namespace tcltasks
}  // namespace tov
