// Name matching for the query commands' patterns.
#pragma once

#include <string>

struct Tcl_Interp;

class HTCTclPatternMatch {
public:
    // Glob patterns follow Tcl's "string match" rules. With regexp the
    // pattern is a Tcl regular expression that must match the whole name.
    // A bad regular expression throws HTCErrors::error naming the pattern.
    HTCTclPatternMatch(const std::string& pattern, bool regexp, bool nocase, Tcl_Interp* interp);
    ~HTCTclPatternMatch();
    HTCTclPatternMatch(const HTCTclPatternMatch&) = delete;
    HTCTclPatternMatch& operator=(const HTCTclPatternMatch&) = delete;

    // length -1 means the whole NUL-terminated text.
    bool match(const std::string& name, int length) const;
    bool matchNoCase(const std::string& name, int length) const;

private:
    struct Impl;
    Impl* impl_;
};
