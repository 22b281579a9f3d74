#include "tclany.h"

#include <tcl.h>

#include <typeindex>
#include <unordered_map>

#include "HTCErrors.h"

namespace tov {
namespace tcltasks {
namespace detail {

namespace {
// One converter per native pointer type, installed by the first command
// file that makes the type's Tcl object type; any file's converter gives
// the same cached Tcl object, since the caches are shared.
std::unordered_map<std::type_index, native_converter>& converters() {
    static std::unordered_map<std::type_index, native_converter> table;
    return table;
}
}  // namespace

void register_native_converter(const std::type_info& pointerType, native_converter convert) {
    converters().emplace(pointerType, convert);
}

Tcl_Obj* native_to_tclobj(const std::type_info& pointerType, const void* pointer) {
    auto found = converters().find(pointerType);
    if (found == converters().end()) {
        throw HTCErrors::type_error(std::string("no Tcl object type for native type ") + pointerType.name());
    }
    return found->second(pointer);
}

Tcl_Obj* tclany_traits<std::string>::to_tclobj(const std::string& value) {
    return Tcl_NewStringObj(value.data(), static_cast<int>(value.size()));
}

}  // namespace detail

std::ostream& operator<<(std::ostream& out, const tclany& value) { return out << value.text(); }

}  // namespace tcltasks
}  // namespace tov
