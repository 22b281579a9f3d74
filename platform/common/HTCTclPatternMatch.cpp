#include "HTCTclPatternMatch.h"

#include <tcl.h>

#include <cctype>
#include <cstring>
#include <string>

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

    // Asks for no subexpression ranges: without back-references Tcl then
    // answers from its automaton alone, in time linear in the name.
    bool matches(const char* text, Tcl_Interp* interp) const {
        const tov::tcltasks::tcl_obj_ref name(Tcl_NewStringObj(text, -1));
        const int status = Tcl_RegExpExecObj(interp, regexp_, name.get(), 0, 0, 0);
        if (status < 0) {
            const std::string reason = Tcl_GetStringResult(interp);
            Tcl_ResetResult(interp);
            throw HTCErrors::error("regular expression match failed on \"" + HSTStringUtils::excerpt(text) +
                                   "\": " + reason);
        }
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

// The parts of a pattern that must stay ahead of the anchors: the "***:"
// director and the leading embedded options "(?...)". Their letters decide
// the syntax of the rest: b a basic, e an extended, else an advanced RE.
struct PatternHead {
    std::string director;
    std::string options;  // the letters only
    std::size_t length = 0;
};

PatternHead headOf(const std::string& pattern) {
    PatternHead head;
    if (pattern.compare(0, 4, "***:") == 0) head.director = "***:";
    const std::size_t at = head.director.size();
    head.length = at;
    if (pattern.compare(at, 2, "(?") != 0) return head;
    std::size_t i = at + 2;
    while (i < pattern.size() && std::isalpha(static_cast<unsigned char>(pattern[i]))) ++i;
    if (i > at + 2 && i < pattern.size() && pattern[i] == ')') {
        head.options = pattern.substr(at + 2, i - at - 2);
        head.length = i + 1;
    }
    return head;
}

// The last of the syntax letters wins, as in Tcl.
char syntaxOf(const std::string& options) {
    const std::size_t last = options.find_last_of("be");
    return last == std::string::npos ? 'a' : options[last];
}

bool isLiteral(const std::string& pattern) { return pattern.compare(0, 4, "***=") == 0; }

// The pattern as it must match: the whole name, in the syntax its head
// chose. A literal (***= or the embedded option q) is escaped as an
// advanced RE, as it cannot be wrapped. In expanded syntax (x) a newline
// ends a trailing comment before the closing anchor.
std::string anchoredPattern(const std::string& pattern) {
    if (isLiteral(pattern)) return "^(?:" + escapedLiteral(pattern.substr(4)) + ")$";
    const PatternHead head = headOf(pattern);
    std::string options = head.options;
    std::string body = pattern.substr(head.length);
    if (options.find('q') != std::string::npos) {
        std::string kept;
        for (char letter : options) {
            if (letter != 'q' && letter != 'b' && letter != 'e') kept += letter;
        }
        options = kept;
        body = escapedLiteral(body);
    }
    const std::string prefix = head.director + (options.empty() ? "" : "(?" + options + ")");
    const std::string close = options.find('x') != std::string::npos ? "\n" : "";
    switch (syntaxOf(options)) {
        case 'b':  // no alternation to enclose, and a group would renumber back-references
            return prefix + "^" + body + close + "$";
        case 'e':  // no back-references to renumber
            return prefix + "^(" + body + close + ")$";
        default:
            return prefix + "^(?:" + body + close + ")$";
    }
}

// Whether the pattern has a back-reference (a backslash and a digit 1-9
// outside brackets; an extended RE has none). Tcl matches those by trying
// every split of the name, in time that grows with a power of its length
// that rises with each group, and cannot be interrupted: such a pattern is
// matched only against names of at most kBackReferenceNameLimit bytes.
constexpr std::size_t kBackReferenceNameLimit = 64;

bool hasBackReference(const std::string& pattern) {
    if (isLiteral(pattern)) return false;
    const PatternHead head = headOf(pattern);
    if (head.options.find('q') != std::string::npos || syntaxOf(head.options) == 'e') return false;
    bool inBrackets = false;
    for (std::size_t i = head.length; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (inBrackets) {
            if (c == ']') inBrackets = false;
        } else if (c == '[') {
            inBrackets = true;
            if (i + 1 < pattern.size() && pattern[i + 1] == '^') ++i;
            if (i + 1 < pattern.size() && pattern[i + 1] == ']') ++i;  // "[]...]" holds a "]"
        } else if (c == '\\' && i + 1 < pattern.size()) {
            if (pattern[i + 1] >= '1' && pattern[i + 1] <= '9') return true;
            ++i;
        }
    }
    return false;
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
    bool backReferences = false;

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
        if (backReferences && std::strlen(text) > kBackReferenceNameLimit) {
            throw HTCErrors::error("regular expression \"" + HSTStringUtils::excerpt(pattern) +
                                       "\" has back-references, which are matched only against names of at most " +
                                       std::to_string(kBackReferenceNameLimit) + " bytes; \"" +
                                       HSTStringUtils::excerpt(text) + "\" has " + std::to_string(std::strlen(text)),
                                   HEXAll::Kind::value);
        }
        return variant(nocase).matches(text, interp.get());
    }
};

HTCTclPatternMatch::HTCTclPatternMatch(const std::string& pattern, bool regexp, bool nocase, Tcl_Interp* interp)
    : impl_(new Impl{pattern, regexp, RegexpInterp(interp), {}, {}, regexp && hasBackReference(pattern)}) {
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
