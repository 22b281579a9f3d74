// Name patterns on any text: a glob or a regular expression (first byte:
// regexp, nocase) matched against a name, whole or as a prefix. Texts are
// kept short: Tcl's regexp engine itself takes exponential time on some
// back-references, which is not what this target looks for.
#include <tcl.h>

#include <algorithm>
#include <cstdlib>

#include "fuzz_support.h"
#include "HSTGlob.h"
#include "HTCErrors.h"
#include "HTCTclPatternMatch.h"
#include "HTCTclUtils.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    // Without an interpreter of its own a matcher uses the framework's.
    static Tcl_Interp* interp = [] {
        Tcl_Interp* made = Tcl_CreateInterp();
        HTCTclUtils::setInterp(made);
        return made;
    }();
    if (size == 0 || size > 256) return 0;
    const bool regexp = data[0] & 1;
    const bool nocase = data[0] & 2;
    const auto texts = splitInput(data + 1, size - 1);
    // The linear glob must answer as Tcl's own matcher, where that one is
    // quick enough to ask (few stars).
    if (std::count(texts.first.begin(), texts.first.end(), '*') <= 3 &&
        HSTGlob::match(texts.second.c_str(), texts.first.c_str(), nocase) !=
            (Tcl_StringCaseMatch(texts.second.c_str(), texts.first.c_str(), nocase) != 0))
        std::abort();
    try {
        const HTCTclPatternMatch matcher(texts.first, regexp, nocase, (data[0] & 4) ? interp : nullptr);
        matcher.match(texts.second, -1);
        matcher.matchNoCase(texts.second, static_cast<int>(texts.second.size() / 2));
    } catch (const HTCErrors::error&) {
    }
    return 0;
}
