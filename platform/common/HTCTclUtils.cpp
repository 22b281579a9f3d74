#include "HTCTclUtils.h"

#include <tcl.h>

#include <cstdlib>

#include "HSTStringUtils.h"

namespace HTCTclUtils {

namespace {
// One per thread: an interpreter is used only by the thread that made it.
Tcl_Interp*& frameworkInterp() {
    thread_local Tcl_Interp* interp = nullptr;
    return interp;
}

// A deleted interpreter is no longer the framework's.
void forgetInterp(ClientData data, Tcl_Interp*) {
    if (frameworkInterp() == static_cast<Tcl_Interp*>(data)) frameworkInterp() = nullptr;
}
}  // namespace

void setInterp(Tcl_Interp* interp) {
    if (interp && interp != frameworkInterp()) Tcl_CallWhenDeleted(interp, &forgetInterp, interp);
    frameworkInterp() = interp;
}

Tcl_Interp* getInterp() { return frameworkInterp(); }

int tclGetPrecision(int defaultPrecision) {
    Tcl_Interp* interp = frameworkInterp();
    if (!interp) return defaultPrecision;
    const char* text = Tcl_GetVar2(interp, "tcl_precision", nullptr, TCL_GLOBAL_ONLY);
    if (!text) return defaultPrecision;
    char* end = nullptr;
    const long precision = std::strtol(text, &end, 10);
    // 0 is Tcl's "shortest exact form", which has no fixed digit count.
    if (end == text || *end != '\0' || precision <= 0 || precision > 17) return defaultPrecision;
    return static_cast<int>(precision);
}

bool splitList(const std::string& text, std::vector<std::string>& words) {
    int count = 0;
    const char** parts = nullptr;
    if (Tcl_SplitList(nullptr, text.c_str(), &count, &parts) != TCL_OK) return false;
    words.assign(parts, parts + count);
    Tcl_Free(reinterpret_cast<char*>(parts));
    return true;
}

std::string mergeList(const std::vector<std::string>& words) {
    std::vector<const char*> argv;
    argv.reserve(words.size());
    for (const std::string& word : words) argv.push_back(word.c_str());
    char* merged = Tcl_Merge(static_cast<int>(argv.size()), argv.data());
    std::string list(merged);
    Tcl_Free(merged);
    return list;
}

}  // namespace HTCTclUtils

namespace tov {
namespace tcltasks {

namespace {
struct BoolWord {
    const char* word;
    bool value;
};

const BoolWord kExtraBoolWords[] = {
    {"t", true},      {"f", false},       {"y", true},       {"n", false},
    {"enable", true}, {"disable", false}, {"enabled", true}, {"disabled", false},
};
}  // namespace

bool ResolveBool(bool& value, const std::string& text) {
    for (const auto& entry : kExtraBoolWords) {
        if (HSTStringUtils::iequals(text, entry.word)) {
            value = entry.value;
            return true;
        }
    }
    return false;
}

}  // namespace tcltasks
}  // namespace tov
