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

#include <array>
#include <string>
#include <vector>

class HBOIpPreset;

class HBOCTcVlnvFilter {
public:
    // Throws HTCErrors::validation_error for a value of fewer than three parts.
    HBOCTcVlnvFilter(const std::string& option, const std::string& text);

    // The presets the value keeps, in the order given. Both passes are taken
    // in one walk: the second's answer is used only when the first keeps nothing.
    template <class List>
    List apply(const List& presets) const {
        List exact, anyVersion;
        const std::size_t count = presets.size();
        for (std::size_t i = 0; i < count; ++i) {
            // Presets lie apart in memory: ask for later ones while comparing this one.
            if (i + kAhead < count) __builtin_prefetch(presets[i + kAhead]);
            const HBOIpPreset& preset = *presets[i];
            if (!same_vln(preset)) continue;
            if (parts_.size() == 4 && same_version(preset)) exact.push_back(presets[i]);
            if (any_version(preset)) anyVersion.push_back(presets[i]);
        }
        return exact.empty() ? anyVersion : exact;
    }

    // Capitals of the global locale, as the preset map keys are written.
    static std::string upper_case(const std::string& text);

private:
    static constexpr std::size_t kAhead = 8;
    bool same_vln(const HBOIpPreset& preset) const;
    bool same_version(const HBOIpPreset& preset) const;
    static bool any_version(const HBOIpPreset& preset);
    bool same_text(const std::string& a, const std::string& b) const;

    std::vector<std::string> parts_;
    std::array<char, 256> upper_;  // the global locale's capitals, taken once per filter
};
