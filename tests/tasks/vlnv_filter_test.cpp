// The -ip filter of the preset commands: which presets each form of value keeps.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "HBOBoardModel.h"
#include "HBOCTcVlnvFilter.h"
#include "HTCErrors.h"

namespace {

using Presets = std::vector<HBOIpPreset*>;

class VlnvFilterTest : public ::testing::Test {
protected:
    HBOIpPreset* make(const std::string& vendor, const std::string& library, const std::string& name,
                      const std::string& version) {
        owned_.push_back(std::make_unique<HBOIpPreset>("p", vendor, library, name, version, ""));
        return owned_.back().get();
    }

    std::vector<std::unique_ptr<HBOIpPreset>> owned_;
    HBOIpPreset* gpio2 = make("acme.com", "ip", "gpio", "2.0");
    HBOIpPreset* gpioAny = make("acme.com", "ip", "gpio", "*");
    HBOIpPreset* noLibrary = make("acme.com", "", "gpio", "1.0");
    HBOIpPreset* serial = make("acme.com", "ip", "serial_port", "3.1");
    Presets all{gpio2, gpioAny, noLibrary, serial, gpioAny};
};

TEST_F(VlnvFilterTest, KeepsWhatEachFormOfValueNames) {
    const struct {
        const char* value;
        Presets kept;
    } cases[] = {
        {"ACME.COM:IP:Gpio:2.0", {gpio2}},                   // four parts, letter case ignored
        {"acme.com:ip:gpio:*", {gpioAny, gpioAny}},          // "*" asked for is a version like any other
        {"acme.com:ip:gpio:9.9", {gpioAny, gpioAny}},        // no such version: the "*" presets stand in
        {"acme.com:ip:gpio", {gpioAny, gpioAny}},            // three parts: only the "*" presets
        {"acme.com:ip:gpio:2.0:extra", {gpioAny, gpioAny}},  // five parts never match all four
        {"acme.com::gpio:1.0", {noLibrary}},                 // adjacent colons: an empty library
        {"acme.com:ip:gpio:", {gpioAny, gpioAny}},           // empty version: fallback
        {"acme.com:ip:serial_port:1.0", {}},                 // no "*" preset to fall back on
        {"acme.com:ip:gpi:2.0", {}},                         // names compare whole
    };
    for (const auto& c : cases) {
        EXPECT_EQ(HBOCTcVlnvFilter("-ip", c.value).apply(all), c.kept) << c.value;
    }
}

TEST_F(VlnvFilterTest, FewerThanThreePartsAreRejectedShowingTheValue) {
    for (const char* value : {"", "gpio", "acme.com:gpio", "acme.com:"}) {
        try {
            const HBOCTcVlnvFilter filter("-ip", value);
            ADD_FAILURE() << value << " was accepted";
        } catch (const HTCErrors::validation_error& e) {
            EXPECT_EQ(std::string(e.what()),
                      "bad value \"" + std::string(value) + "\" for -ip: expected vendor:library:name[:version]");
        }
    }
}

}  // namespace
