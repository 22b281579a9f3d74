// Pins read in one pass over each pin's attributes, from a pin file or from
// a component's own <pins> in board.xml (checked when the board is read,
// made on first use): every property, the index checks, and line numbers in
// warnings although the text is parsed in place.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>

#include "board_test_support.h"
#include "HBOParser.h"

namespace {

// A board whose FPGA takes its pins from a pin file of the given text.
class PinFile : public ::testing::Test {
protected:
    void TearDown() override { std::filesystem::remove_all(dir_); }

    // The pins read from pinText; warnings land in capture.
    std::vector<HBOPinProps*> load(const std::string& pinText) {
        std::filesystem::create_directories(dir_);
        std::ofstream(dir_ / "board.xml")
            << "<board schema_version=\"2.1\" vendor=\"t.org\" name=\"b\">\n"
               "  <file_version>1.0</file_version>\n  <components>\n"
               "    <component name=\"part0\" type=\"fpga\" part_name=\"p\" pin_map_file=\"pins.xml\"/>\n"
               "  </components>\n</board>\n";
        std::ofstream(dir_ / "pins.xml", std::ios::binary) << pinText;
        return pinsOfBoard();
    }

    // The pins of the given <pin> lines (pins) as pinsOf writes them; an
    // empty list when the board or the file is refused.
    std::vector<HBOPinProps*> loadPins(const std::string& pins) {
        if (!inlinePins_) return load(pinFile(pins));
        // The first pin on line 3, as in pinFile's text; a pin file named
        // too, which the component's own pins stand in for.
        std::filesystem::create_directories(dir_);
        std::ofstream(dir_ / "board.xml")
            << "<board schema_version=\"2.1\" vendor=\"t.org\" name=\"b\"><file_version>1.0</file_version>"
               "<components><component name=\"part0\" type=\"fpga\" part_name=\"p\" pin_map_file=\"pins.xml\">\n"
               "<pins>\n"
            << pins << "</pins></component></components></board>\n";
        std::ofstream(dir_ / "pins.xml") << pinFile("<pin index=\"0\" name=\"from_the_pin_file\"/>\n");
        return pinsOfBoard();
    }

    static std::string pinFile(const std::string& pins) {
        return "<part_info part_name=\"p\">\n<pins>\n" + pins + "</pins>\n</part_info>\n";
    }

    std::string onlyWarning() const {
        EXPECT_EQ(capture.messages.size(), 1u);
        return capture.messages.empty() ? std::string() : capture.texts()[0];
    }

    MessageCapture capture;
    bool inlinePins_ = false;

private:
    std::vector<HBOPinProps*> pinsOfBoard() {
        board_ = std::make_unique<HBOBoard>();
        std::vector<HBOPinProps*> pins;
        // A pin file's faults cost its pins; a board file's, the board.
        if (!HBOParser().parseFile((dir_ / "board.xml").string(), board_.get())) {
            EXPECT_TRUE(inlinePins_);
            return pins;
        }
        board_->findFpgaComponent()->getPinsVec(pins);
        return pins;
    }

    std::filesystem::path dir_ = uniqueTempDir();
    std::unique_ptr<HBOBoard> board_;
};

// The same pins in a pin file and in the board file's own <pins>.
class Pins : public PinFile, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override { inlinePins_ = GetParam(); }
};

INSTANTIATE_TEST_SUITE_P(PinFileOrBoardFile, Pins, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "InBoardFile" : "InPinFile";
                         });

TEST_P(Pins, EveryPropertyInAnyOrder) {
    auto pins = loadPins(std::string(
        "<pin dqs_bias=\"TRUE\" pre_emphasis=\"RDE\" equalization=\"EQ1\" odt=\"RTT_40\" ibuf_low_pwr=\"FALSE\""
        " output_impedance=\"RDRV_40\" slew=\"FAST\" iostandard=\"SSTL15\" drive=\"12\" diff_term=\"TRUE\""
        " loc=\"AB7\" name=\"ddr_dq0\" index=\"7\"/>\n"
        "<pin index=\"8\" name=\"io8\"/>\n"));
    ASSERT_EQ(pins.size(), 2u);
    const HBOPinProps& full = *pins[0];
    EXPECT_EQ(full.getName(), "ddr_dq0");
    EXPECT_EQ(full.getPinIndex(), 7u);
    const std::pair<HBOPinProps::Attr, const char*> expected[] = {
        {HBOPinProps::LOC, "AB7"},
        {HBOPinProps::DIFF_TERM, "TRUE"},
        {HBOPinProps::DRIVE, "12"},
        {HBOPinProps::IOSTANDARD, "SSTL15"},
        {HBOPinProps::SLEW, "FAST"},
        {HBOPinProps::OUTPUT_IMPEDANCE, "RDRV_40"},
        {HBOPinProps::IBUF_LOW_PWR, "FALSE"},
        {HBOPinProps::ODT, "RTT_40"},
        {HBOPinProps::EQUALIZATION, "EQ1"},
        {HBOPinProps::PRE_EMPHASIS, "RDE"},
        {HBOPinProps::DQS_BIAS, "TRUE"},
    };
    for (const auto& entry : expected) EXPECT_EQ(full.getAttr(entry.first), entry.second) << entry.second;
    for (const auto& entry : expected) EXPECT_EQ(pins[1]->getAttr(entry.first), "") << entry.second;
    EXPECT_TRUE(capture.messages.empty());
}

// Attributes beyond the thirteen are kept in capitals, the first of a name
// counting; names of properties every pin has are not kept twice.
TEST_P(Pins, FurtherAttributesAreKeptInCapitals) {
    auto pins = loadPins(
        "<pin index=\"0\" name=\"a\" pull=\"UP\" Bank=\"14\" PULL=\"x\" Port=\"p\" LOC=\"L\"/>\n"
        "<pin index=\"1\" name=\"b\" bank=\"14\" pull=\"UP\"/>\n"
        "<pin index=\"2\" name=\"c\" loc=\"C3\" iostandard=\"LVCMOS33\"/>\n");
    ASSERT_EQ(pins.size(), 3u);
    std::vector<std::pair<std::string, std::string>> extras;
    for (const auto& extra : pins[0]->getExtraAttrs()) extras.emplace_back(*extra.first, *extra.second);
    EXPECT_EQ(extras, (std::vector<std::pair<std::string, std::string>>{{"PULL", "UP"}, {"BANK", "14"}}));
    EXPECT_EQ(pins[0]->getProperty("PULL"), "UP");
    EXPECT_EQ(pins[1]->getProperty("BANK"), "14");
    EXPECT_EQ(pins[0]->getAttr(HBOPinProps::LOC), "");
    EXPECT_EQ(pins[0]->getPortName(), "");
    EXPECT_EQ(pins[2]->getProperty("PULL"), "");
    EXPECT_EQ(pins[2]->findExtraAttr("PULL"), nullptr);
    EXPECT_EQ(pins[2]->getProperty("IOSTANDARD"), "LVCMOS33");
    EXPECT_TRUE(capture.messages.empty());
}

// The first of a repeated attribute counts; empty values are values; pins
// keep their order, and each is found by name and by index.
TEST_P(Pins, RepeatsEmptyValuesAndLookups) {
    auto pins = loadPins(
        "<pin index=\"9\" name=\"first\" name=\"second\" iostandard=\"\" iostandard=\"X\" loc=\"\"/>\n"
        "<pin index=\"3\" index=\"4\" name=\"three\" slew=\"SLOW\" slew=\"FAST\"/>\n"
        "<pin index=\"0\" name=\"zero\" slew=\"SLOW\"/>\n");
    ASSERT_EQ(pins.size(), 3u);
    EXPECT_EQ(pins[0]->getName(), "first");
    EXPECT_EQ(pins[0]->getAttr(HBOPinProps::IOSTANDARD), "");
    EXPECT_EQ(pins[1]->getPinIndex(), 3u);
    EXPECT_EQ(pins[1]->getAttr(HBOPinProps::SLEW), "SLOW");
    EXPECT_EQ(pins[2]->getName(), "zero");
    const HBOBoardComponent& part = *pins[0]->getOwner();
    EXPECT_EQ(part.findPin("three"), pins[1]);
    EXPECT_EQ(part.findPinByIndex(9), pins[0]);
    EXPECT_EQ(part.findPinByIndex(4), nullptr);
    EXPECT_TRUE(capture.messages.empty());
}

TEST_P(Pins, EscapedTextIsDecoded) {
    auto pins = loadPins("<pin index=\"0\" name=\"a&amp;b\" loc=\"&#65;1\"/>\n");
    ASSERT_EQ(pins.size(), 1u);
    EXPECT_EQ(pins[0]->getName(), "a&b");
    EXPECT_EQ(pins[0]->getAttr(HBOPinProps::LOC), "A1");
}

// In a pin file they cost its pins; in the board file's own <pins>, the
// board, when it is read, before any pin is asked for.
TEST_P(Pins, BadIndexesAreRefusedWithTheirLine) {
    const std::pair<const char*, const char*> cases[] = {
        {"<pin index=\"4294967296\" name=\"a\"/>",
         "line 3: 'index' of <pin> must be an unsigned integer, got '4294967296'"},
        {"<pin index=\"-1\" name=\"a\"/>", "line 3: 'index' of <pin> must be an unsigned integer, got '-1'"},
        {"<pin index=\"\" name=\"a\"/>", "line 3: 'index' of <pin> must be an unsigned integer, got ''"},
        {"<pin name=\"a\"/>", "line 3: <pin> has no 'index' attribute"},
        {"<pin index=\"1\"/>", "line 3: <pin> has no 'name' attribute"},
        {"<pin index=\"1000000\" name=\"a\"/>",
         "line 3: 'index' of <pin> is 1000000, above the largest pin index 999999"},
        {"<pin index=\"999999\" name=\"a\"/>\n<pin index=\"999999\" name=\"b\"/>",
         "line 4: pin index 999999 is used twice"},
    };
    for (const auto& entry : cases) {
        capture.messages.clear();
        EXPECT_TRUE(loadPins(std::string(entry.first) + "\n").empty()) << entry.first;
        const std::string file = GetParam() ? "board.xml, " : "pins.xml, ";
        EXPECT_NE(onlyWarning().find(file + entry.second), std::string::npos) << onlyWarning();
    }
}

// The parser turns line breaks inside attribute values into spaces in its copy.
TEST_F(PinFile, LineNumbersCountBreaksInsideValuesAndCrLf) {
    auto pins = load(
        "<part_info part_name=\"p\">\r\n<pins>\r\n<pin index=\"0\" name=\"a\" loc=\"A\r\n1\"/>\r\n"
        "<pin index=\"0\" name=\"b\"/>\r\n</pins>\r\n</part_info>\r\n");
    EXPECT_TRUE(pins.empty());
    EXPECT_NE(onlyWarning().find("pins.xml, line 5: pin index 0 is used twice"), std::string::npos) << onlyWarning();
}

}  // namespace
