// Property filter expressions (the -filter option), parsed once when the
// matcher is built and evaluated per object. Grammar: docs/framework.md.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <typeinfo>

struct Tcl_Interp;

namespace tov {
namespace tcltasks {
class tclany;
}
}  // namespace tov

class HCPTclFilterMatch {
public:
    // Longer expressions, or parentheses nested deeper, are refused with an
    // error: far beyond any written or generated filter, well within what
    // parsing and evaluation may use of the call stack.
    static constexpr std::size_t kMaxLength = 1000000;
    static constexpr int kMaxNesting = 1000;

    // A malformed expression throws HTCErrors::error showing the position.
    // nocase: compare values case-blind (property names always are).
    // A property that the object's class does not have is an error naming
    // it. plainValuesReadEmpty: a value that is no registered object (text
    // in a list of any values) reads every property as empty instead of
    // being an error.
    HCPTclFilterMatch(const std::string& expression, Tcl_Interp* interp, bool nocase, bool plainValuesReadEmpty);
    ~HCPTclFilterMatch();
    HCPTclFilterMatch(const HCPTclFilterMatch&) = delete;
    HCPTclFilterMatch& operator=(const HCPTclFilterMatch&) = delete;

    // The unknown-property error of match(), raised before any object is
    // seen: for a command that knows the class of what it filters.
    void checkProperties(const std::type_info& pointerType) const;

    bool match(const tov::tcltasks::tclany& object) const;
    // The same for a native object, without wrapping it in a tclany.
    template <class T>
    bool match(T* object) const {
        return matchObject(typeid(T*), static_cast<const void*>(object));
    }

private:
    bool matchObject(const std::type_info& pointerType, const void* object) const;

    struct Impl;
    std::unique_ptr<Impl> impl_;
};
