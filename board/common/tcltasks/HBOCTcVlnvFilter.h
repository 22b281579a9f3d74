// The -ip filter of the preset commands: keeps the presets of one IP given
// as vendor:library:name[:version], letter case ignored.
//
// A four-part value first keeps the presets equal to it in all four parts.
// When that keeps nothing (or the value has another number of parts), the
// presets of the same vendor, library and name whose version is "*" are
// kept: a preset for any version stands in for the version asked for. The
// value is split at every colon, so "a::b:c" has an empty library and a
// fifth part never matches a version.
#pragma once

#include <locale>
#include <string>
#include <vector>

class HBOIpPreset;

class HBOCTcVlnvFilter {
public:
    // Throws HTCErrors::validation_error for a value of fewer than three parts.
    HBOCTcVlnvFilter(const std::string& option, const std::string& text);

    // The presets the value keeps, in the order given.
    template <class List>
    List apply(const List& presets) const {
        List kept;
        if (parts_.size() == 4) keep_if(presets, kept, [this](const HBOIpPreset& p) { return same_vlnv(p); });
        if (kept.empty()) keep_if(presets, kept, [this](const HBOIpPreset& p) { return any_version_of(p); });
        return kept;
    }

    // Capitals of the global locale, as the preset map keys are written.
    static std::string upper_case(const std::string& text);

private:
    template <class List, class Test>
    static void keep_if(const List& presets, List& kept, Test test) {
        for (std::size_t i = 0; i < presets.size(); ++i) {
            if (test(*presets[i])) kept.push_back(presets[i]);
        }
    }
    bool same_vlnv(const HBOIpPreset& preset) const;
    bool any_version_of(const HBOIpPreset& preset) const;
    bool same_vln(const HBOIpPreset& preset) const;
    bool same_text(const std::string& a, const std::string& b) const;

    std::vector<std::string> parts_;
    std::locale locale_;
    const std::ctype<char>& ctype_;
};
