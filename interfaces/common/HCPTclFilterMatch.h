// Property filter expressions (the -filter option), parsed once when the
// matcher is built and evaluated per object. Grammar: docs/framework.md.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

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
    // ignoreUnknownProperties: when false, a property the object's class
    // does not have is an error naming it; when true it reads as empty.
    HCPTclFilterMatch(const std::string& expression, Tcl_Interp* interp, bool nocase,
                      bool ignoreUnknownProperties);
    ~HCPTclFilterMatch();
    HCPTclFilterMatch(const HCPTclFilterMatch&) = delete;
    HCPTclFilterMatch& operator=(const HCPTclFilterMatch&) = delete;

    bool match(const tov::tcltasks::tclany& object) const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};
