#include "tclany.h"

#include <tcl.h>

#include <mutex>
#include <shared_mutex>
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
// Threads register and read at once: guarded.
struct converter_table {
    std::shared_mutex mutex;
    std::unordered_map<std::type_index, native_converter> table;
};
converter_table& converters() {
    static converter_table table;
    return table;
}
}  // namespace

void register_native_converter(const std::type_info& pointerType, native_converter convert) {
    converter_table& all = converters();
    const std::unique_lock<std::shared_mutex> lock(all.mutex);
    all.table.emplace(pointerType, convert);
}

Tcl_Obj* native_to_tclobj(const std::type_info& pointerType, const void* pointer) {
    native_converter convert = nullptr;
    {
        converter_table& all = converters();
        const std::shared_lock<std::shared_mutex> lock(all.mutex);
        auto found = all.table.find(pointerType);
        if (found != all.table.end()) convert = found->second;
    }
    if (!convert) {
        throw HTCErrors::type_error(std::string("no Tcl object type for native type ") + pointerType.name());
    }
    return convert(pointer);
}

Tcl_Obj* tclany_traits<std::string>::to_tclobj(const std::string& value) {
    return Tcl_NewStringObj(value.data(), static_cast<int>(value.size()));
}

}  // namespace detail

std::ostream& operator<<(std::ostream& out, const tclany& value) { return out << value.text(); }

}  // namespace tcltasks
}  // namespace tov
