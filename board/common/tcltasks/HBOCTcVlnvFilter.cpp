#include "HBOCTcVlnvFilter.h"

#include <locale>

#include "HBOBoardModel.h"
#include "HTCErrors.h"

namespace {

// Parts between colons; adjacent colons give an empty part.
std::vector<std::string> split_at_colons(const std::string& text) {
    std::vector<std::string> parts;
    std::string::size_type start = 0;
    for (std::string::size_type colon; (colon = text.find(':', start)) != std::string::npos; start = colon + 1) {
        parts.push_back(text.substr(start, colon - start));
    }
    parts.push_back(text.substr(start));
    return parts;
}

}  // namespace

HBOCTcVlnvFilter::HBOCTcVlnvFilter(const std::string& option, const std::string& text) : parts_(split_at_colons(text)) {
    if (parts_.size() < 3) {
        throw HTCErrors::validation_error("bad value \"" + text + "\" for " + option +
                                          ": expected vendor:library:name[:version]");
    }
    for (std::size_t c = 0; c < upper_.size(); ++c) upper_[c] = static_cast<char>(c);
    std::use_facet<std::ctype<char>>(std::locale()).toupper(upper_.data(), upper_.data() + upper_.size());
}

std::string HBOCTcVlnvFilter::upper_case(const std::string& text) {
    std::string upper = text;
    std::use_facet<std::ctype<char>>(std::locale()).toupper(&upper[0], &upper[0] + upper.size());
    return upper;
}

bool HBOCTcVlnvFilter::same_version(const HBOIpPreset& preset) const {
    return same_text(preset.getVersion(), parts_[3]);
}

bool HBOCTcVlnvFilter::any_version(const HBOIpPreset& preset) { return preset.getVersion() == "*"; }

bool HBOCTcVlnvFilter::same_vln(const HBOIpPreset& preset) const {
    return same_text(preset.getVendor(), parts_[0]) && same_text(preset.getLibrary(), parts_[1]) &&
           same_text(preset.getName(), parts_[2]);
}

bool HBOCTcVlnvFilter::same_text(const std::string& a, const std::string& b) const {
    if (a.size() != b.size()) return false;
    for (std::string::size_type i = 0; i < a.size(); ++i) {
        if (upper_[static_cast<unsigned char>(a[i])] != upper_[static_cast<unsigned char>(b[i])]) return false;
    }
    return true;
}
