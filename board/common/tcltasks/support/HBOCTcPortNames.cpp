#include "HBOCTcPortNames.h"

#include "HBOPinTrace.h"
#include "HTCErrors.h"

HBOCTcPortNames::HBOCTcPortNames(Tcl_Interp* interp, const std::string& dict) {
    int count = 0;
    const char** words = nullptr;
    if (Tcl_SplitList(interp, dict.c_str(), &count, &words) != TCL_OK) {
        Tcl_ResetResult(interp);
        throw HTCErrors::error(
            "-port_names takes a dict of default port names and design names; \"" + dict + "\" is not a list",
            HEXAll::Kind::value, "-port_names");
    }
    std::vector<std::string> list(words, words + count);
    Tcl_Free(reinterpret_cast<char*>(words));
    if (count % 2 != 0) {
        throw HTCErrors::error(
            "-port_names takes a dict of default port names and design names; it has an odd "
            "number of words (" +
                std::to_string(count) + ")",
            HEXAll::Kind::value, "-port_names");
    }
    for (int i = 0; i < count; i += 2) names_[list[i]] = list[i + 1];
}

std::string HBOCTcPortNames::of(const HBOSignalBit& bit) {
    const std::string name = bit.defaultName();
    auto found = names_.find(name);
    if (found != names_.end()) return use(found);
    if (bit.bit.empty()) return name;
    found = names_.find(name.substr(0, name.size() - bit.bit.size() - 2));
    if (found == names_.end()) return name;
    const std::string port = use(found);
    return port.empty() ? port : port + "[" + bit.bit + "]";
}

std::vector<std::string> HBOCTcPortNames::unused() const {
    std::vector<std::string> keys;
    for (const auto& entry : names_)
        if (!used_.count(entry.first)) keys.push_back(entry.first);
    return keys;
}

std::string HBOCTcPortNames::use(std::map<std::string, std::string>::const_iterator found) {
    used_.insert(found->first);
    return found->second;
}
