#include "HTCTclPatternMatch.h"

#include <tcl.h>

#include <cctype>

#include "HSTGlob.h"
#include "HSTStringUtils.h"
#include "HTCErrors.h"
#include "HTCTclUtils.h"
#include "tcl_obj_ref.h"

namespace {

// A Tcl object holding one compiled regular expression. Each case variant
// has its own object: asking one object for other flags would recompile it
// and free the expression compiled before.
class CompiledRegexp {
public:
    CompiledRegexp() = default;
    CompiledRegexp(const CompiledRegexp&) = delete;
    CompiledRegexp& operator=(const CompiledRegexp&) = delete;

    bool ready() const { return regexp_ != nullptr; }

    void compile(const std::string& anchored, const std::string& original, int flags, Tcl_Interp* interp) {
        source_ = tov::tcltasks::tcl_obj_ref(Tcl_NewStringObj(anchored.data(), static_cast<int>(anchored.size())));
        regexp_ = Tcl_GetRegExpFromObj(interp, source_.get(), flags);
        if (!regexp_) {
            const std::string reason = Tcl_GetStringResult(interp);
            Tcl_ResetResult(interp);
            throw HTCErrors::error(
                "invalid regular expression \"" + HSTStringUtils::excerpt(original) + "\": " + reason,
                HEXAll::Kind::value);
        }
    }

    bool matches(const char* text, Tcl_Interp* interp) const {
        const int status = Tcl_RegExpExec(interp, regexp_, text, text);
        if (status < 0) throw HTCErrors::error("regular expression match failed on \"" + std::string(text) + "\"");
        return status == 1;
    }

private:
    tov::tcltasks::tcl_obj_ref source_;  // holds the compiled expression
    Tcl_RegExp regexp_ = nullptr;
};

// "***=text" is a literal in Tcl's regexps; as a literal cannot be wrapped,
// it is written as an expression that matches the same text.
std::string escapedLiteral(const std::string& literal) {
    std::string out;
    for (char c : literal) {
        if (!std::isalnum(static_cast<unsigned char>(c)) && !(static_cast<unsigned char>(c) & 0x80)) out += '\\';
        out += c;
    }
    return out;
}

// Leading embedded options "(?i)" must stay first, ahead of the anchors.
std::size_t embeddedOptionsLength(const std::string& pattern) {
    if (pattern.compare(0, 2, "(?") != 0) return 0;
    std::size_t i = 2;
    while (i < pattern.size() && std::isalpha(static_cast<unsigned char>(pattern[i]))) ++i;
    return (i > 2 && i < pattern.size() && pattern[i] == ')') ? i + 1 : 0;
}

// The pattern as it must match: the whole name. A literal (***= or the
// embedded option q) is escaped first, as it cannot be wrapped.
bool isLiteral(const std::string& pattern) { return pattern.compare(0, 4, "***=") == 0; }

std::string anchoredPattern(const std::string& pattern) {
    if (isLiteral(pattern)) return "^(?:" + escapedLiteral(pattern.substr(4)) + ")$";
    const std::size_t options = embeddedOptionsLength(pattern);
    std::string prefix = pattern.substr(0, options);
    std::string body = pattern.substr(options);
    const std::size_t literal = prefix.find('q');
    if (literal != std::string::npos) {
        prefix.erase(literal, 1);
        if (prefix == "(?)") prefix.clear();
        body = escapedLiteral(body);
    }
    return prefix + "^(?:" + body + ")$";
}

// Tcl's matchers read NUL-terminated text; a length shorter than the name
// matches only that prefix.
const char* prefixOf(const std::string& name, int length, std::string& scratch) {
    if (length < 0 || static_cast<std::size_t>(length) >= name.size()) return name.c_str();
    scratch.assign(name, 0, static_cast<std::size_t>(length));
    return scratch.c_str();
}

}  // namespace

// Tcl's regexp engine needs an initialised Tcl and an interpreter for its
// error reasons: without the caller's one, the framework's is used, else a
// private one that lives as long as the matcher.
class RegexpInterp {
public:
    explicit RegexpInterp(Tcl_Interp* given) : given_(given) {}
    RegexpInterp(const RegexpInterp&) = delete;
    RegexpInterp& operator=(const RegexpInterp&) = delete;
    ~RegexpInterp() {
        if (own_) Tcl_DeleteInterp(own_);
    }

    Tcl_Interp* get() {
        if (!given_) given_ = HTCTclUtils::getInterp();
        if (!given_) given_ = own_ = Tcl_CreateInterp();
        return given_;
    }

private:
    Tcl_Interp* given_;
    Tcl_Interp* own_ = nullptr;
};

struct HTCTclPatternMatch::Impl {
    std::string pattern;
    bool regexp;
    mutable RegexpInterp interp;
    mutable CompiledRegexp exact;
    mutable CompiledRegexp caseBlind;

    const CompiledRegexp& variant(bool nocase) const {
        CompiledRegexp& compiled = nocase ? caseBlind : exact;
        if (!compiled.ready()) {
            const int flags = TCL_REG_ADVANCED | (nocase ? TCL_REG_NOCASE : 0);
            // A pattern that is wrong on its own must not turn right inside
            // the anchors: "a)|(.*" would close their group and match any name.
            // A ***= literal is always right, and Tcl 8.6 itself crashes
            // compiling one that holds a hundred backslashes: it only ever
            // reaches Tcl escaped.
            if (!isLiteral(pattern)) CompiledRegexp().compile(pattern, pattern, flags, interp.get());
            compiled.compile(anchoredPattern(pattern), pattern, flags, interp.get());
        }
        return compiled;
    }

    bool matches(const std::string& name, int length, bool nocase) const {
        std::string scratch;
        const char* text = prefixOf(name, length, scratch);
        if (!regexp) return HSTGlob::match(text, pattern.c_str(), nocase);
        return variant(nocase).matches(text, interp.get());
    }
};

HTCTclPatternMatch::HTCTclPatternMatch(const std::string& pattern, bool regexp, bool nocase, Tcl_Interp* interp)
    : impl_(new Impl{pattern, regexp, RegexpInterp(interp), {}, {}}) {
    try {
        if (regexp) impl_->variant(nocase);
    } catch (...) {
        delete impl_;
        throw;
    }
}

HTCTclPatternMatch::~HTCTclPatternMatch() { delete impl_; }

bool HTCTclPatternMatch::match(const std::string& name, int length) const {
    return impl_->matches(name, length, false);
}

bool HTCTclPatternMatch::matchNoCase(const std::string& name, int length) const {
    return impl_->matches(name, length, true);
}
