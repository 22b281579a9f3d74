// Pin constraint texts beyond what tests/tcl/write_pin_constraints.test
// checks line by line for a whole board: what each format leaves out and
// why, pull modes it has no place for, and the names and values it cannot
// carry. The pins are the trace fixture carrier's (tests/files/trace).
#include <gtest/gtest.h>

#include "HBOBoardCReposMgr.h"
#include "HBOBoardModel.h"
#include "HBOBoardUtils.h"
#include "HBOCOutPinConstraintText.h"
#include "HEXAll.h"
#include "HPAParamMgr.h"

using namespace HBOCOutPinConstraintText;

namespace {

class PinConstraintText : public ::testing::Test {
protected:
    void SetUp() override {
        HBOBoardUtils::defineParameters();
        HPAParamMgr::getParamMgr().setValue("board.repoPaths", std::string(ZEM_TEST_FILES_DIR) + "/trace");
    }
    void TearDown() override { HPAParamMgr::getParamMgr().reset("board.repoPaths"); }

    static const HBOPinProps* pin(const std::string& name) {
        HBOBoard* carrier = HBOBoardCReposMgr::getGlobal()->findBoard("acme.test:carrier:1.0");
        const HBOPinProps* found = carrier ? carrier->findFpgaComponent()->findPin(name) : nullptr;
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
};

std::vector<std::string> omitted(const Text& text) {
    std::vector<std::string> rows;
    for (const Omission& omission : text.omissions) {
        std::string ports;
        for (const std::string& port : omission.ports) ports += " " + port;
        rows.push_back(omission.attribute + ":" + ports + ": " + omission.reason);
    }
    return rows;
}

}  // namespace

TEST_F(PinConstraintText, WhatAFormatHasNoPlaceForIsLeftOutByPropertyWithItsPorts) {
    const std::vector<Placement> placements = {
        {"a", pin("io0")}, {"b", pin("clk_p")}, {"c", pin("led_pin")}, {"d", pin("dq0")}};
    EXPECT_EQ(omitted(text_of(Format::pcf, "t", placements, {})),
              (std::vector<std::string>{
                  "IOSTANDARD: a b c d: the format has no place for it", "DRIVE: a c: the format has no place for it",
                  "SLEW: a: the format has no place for it", "DIFF_TERM: b: the format has no place for it",
                  "HYSTERESIS: c: the format has no place for it", "NOTE: c: the format has no place for it",
                  "OUTPUT_IMPEDANCE: d: the format has no place for it", "ODT: d: the format has no place for it"}));
    // lpf has places for all but the unknown attribute and the memory settings.
    EXPECT_EQ(omitted(text_of(Format::lpf, "t", placements, {})),
              (std::vector<std::string>{"NOTE: c: the format has no place for it",
                                        "OUTPUT_IMPEDANCE: d: the format has no place for it",
                                        "ODT: d: the format has no place for it"}));
}

TEST_F(PinConstraintText, PullModesAFormatHasNoPlaceForAreLeftOutAndTheOthersWritten) {
    const std::vector<Placement> placements = {{"up", pin("btn")}, {"down", pin("pd")}, {"hold", pin("kp")}};
    const Text qsf = text_of(Format::qsf, "t", placements, {});
    EXPECT_NE(qsf.text.find("set_instance_assignment -name ENABLE_BUS_HOLD_CIRCUITRY ON -to hold\n"),
              std::string::npos);
    EXPECT_EQ(omitted(qsf),
              std::vector<std::string>{"PULL: down: the format has a weak pull-up and bus hold only, no down"});
    EXPECT_EQ(omitted(text_of(Format::pcf, "t", placements, {})),
              (std::vector<std::string>{"IOSTANDARD: up down hold: the format has no place for it",
                                        "PULL: down: the format has a pull-up only, no down",
                                        "PULL: hold: the format has a pull-up only, no keeper"}));
    EXPECT_NE(
        text_of(Format::cst, "t", placements, {}).text.find("IO_PORT \"hold\" IO_TYPE=LVCMOS33 PULL_MODE=KEEPER;"),
        std::string::npos);
}

TEST_F(PinConstraintText, NamesAndValuesAreQuotedOrRefusedAsEachFormatCanCarryThem) {
    EXPECT_EQ(text_of(Format::qsf, "t", {{"a b$", pin("spaced")}}, {}).text,
              "# t\n"
              "set_location_assignment PIN_C3 -to {a b$}\n"
              "set_instance_assignment -name IO_STANDARD {3.3-V LVCMOS} -to {a b$}\n");
    const Text lpf = text_of(Format::lpf, "t", {{"io", pin("spaced")}}, {});
    EXPECT_EQ(lpf.text, "# t\nLOCATE COMP \"io\" SITE \"C3\";\n");
    EXPECT_EQ(omitted(lpf),
              std::vector<std::string>{"IOSTANDARD: io: its value \"3.3-V LVCMOS\" cannot be written in the format"});
    try {
        text_of(Format::pcf, "t", {{"-x", pin("io0")}}, {});
        FAIL() << "a leading dash was written to a pcf file";
    } catch (const HEXAll& error) {
        EXPECT_EQ(error.kind(), HEXAll::Kind::value);
        EXPECT_EQ(std::string(error.what()),
                  "port name \"-x\" cannot be written in a pcf file: blanks, control characters, \", ;, #, \\, // and "
                  "a leading - cannot be written");
    }
    EXPECT_THROW(text_of(Format::cst, "t", {{"a\"b", pin("io0")}}, {}), HEXAll);
    EXPECT_THROW(text_of(Format::sdc, "t", {}, {{"clk\n", 1e6}}), HEXAll);
    // A title cannot end its comment line.
    EXPECT_EQ(text_of(Format::sdc, "a\nb", {}, {}).text, "# a b\n");
}

TEST_F(PinConstraintText, APinWithoutLocIsLeftOutAndClocksKeepTheirFractions) {
    const Text cst = text_of(Format::cst, "t", {{"x", pin("floating")}}, {});
    EXPECT_EQ(cst.text, "// t\n");
    EXPECT_EQ(omitted(cst),
              std::vector<std::string>{"LOC: x: FPGA pin floating has no LOC, so the port bit is left out"});
    EXPECT_EQ(text_of(Format::sdc, "t", {}, {{"clk", 12.5e6}}).text,
              "# t\ncreate_clock -name clk -period 80.000 [get_ports clk]\n");
    EXPECT_EQ(text_of(Format::lpf, "t", {}, {{"clk", 12.5e6}}).text, "# t\nFREQUENCY PORT \"clk\" 12.5 MHZ;\n");
}

TEST(PinConstraintFormats, AreNamedExactly) {
    EXPECT_EQ(format_named("qsf"), Format::qsf);
    EXPECT_STREQ(name_of(Format::cst), "cst");
    EXPECT_THROW(format_named("QSF"), HEXAll);
}
