// Board checks: clean boards give no finding; a copy with one change gives
// the finding of that change's rule and nothing else.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <map>
#include <set>

#include "board_test_support.h"
#include "HBOBoardCheck.h"
#include "HBOBoardCheckReport.h"

namespace {

// A board with an FPGA (pin file), two peripherals, a mode using both
// interfaces, a preset, an IP rule and a connector; and a card whose
// connector fits it.
const char* const kBoard = R"(<board schema_version="2.1" vendor="t" name="host" preset_file="preset.xml">
<file_version>1.0</file_version>
<components>
<component name="part0" type="fpga" pin_map_file="pins.xml">
<interfaces>
<interface name="leds" of_component="leds" preset_proc="leds_preset">
<port_maps><port_map logical_port="OUT" physical_port="leds_out"><pin_maps>
<pin_map port_index="0" component_pin="led0"/><pin_map port_index="1" component_pin="led1"/>
</pin_maps></port_map></port_maps>
</interface>
<interface name="buttons" of_component="buttons">
<port_maps><port_map logical_port="IN" physical_port="buttons_in"><pin_maps>
<pin_map port_index="0" component_pin="btn0"/>
</pin_maps></port_map></port_maps>
</interface>
</interfaces>
<component_modes>
<component_mode name="io"><interfaces><interface name="leds"/><interface name="buttons"/></interfaces></component_mode>
</component_modes>
</component>
<component name="leds" type="chip"><pins><pin index="0" name="LD0"/><pin index="1" name="LD1"/></pins></component>
<component name="buttons" type="chip"><pins><pin index="0" name="B0"/></pins></component>
<component name="J1" type="connector" sub_type="hdr_1x4"><pins>
<pin index="0" name="J1_1"/><pin index="1" name="J1_2"/><pin index="2" name="J1_3"/><pin index="3" name="J1_4"/>
</pins></component>
</components>
<connections>
<connection name="part0_leds" component1="part0" component2="leds">
<connection_map name="part0_leds_1" c1_st_index="0" c1_end_index="1" c2_st_index="0" c2_end_index="1"/>
</connection>
</connections>
<ip_associated_rules><ip_associated_rule name="default">
<ip vendor="v" library="ip" name="gpio" version="*"><associated_board_interface name="leds"/></ip>
</ip_associated_rule></ip_associated_rules>
</board>
)";

const char* const kPins = R"(<part_info part_name="p">
<pins>
<pin index="0" name="led0" loc="A1"/>
<pin index="1" name="led1" loc="A2"/>
<pin index="2" name="btn0" loc="B1"/>
<pin index="3" name="spare" loc="B2"/>
</pins>
</part_info>
)";

const char* const kPresets = R"(<ip_presets>
<ip_preset preset_proc_name="leds_preset"><ip vendor="v" library="ip" name="gpio" version="*"/></ip_preset>
</ip_presets>
)";

const char* const kCard = R"(<board schema_version="2.1" vendor="t" name="card">
<file_version>1.0</file_version>
<components>
<component name="P1" type="connector" sub_type="hdr_1x4"><pins>
<pin index="0" name="P1_1"/><pin index="1" name="P1_2"/><pin index="2" name="P1_3"/><pin index="3" name="P1_4"/>
</pins></component>
<component name="U1" type="chip" sub_type="hdr_1x4"><pins>
<pin index="0" name="a"/><pin index="1" name="b"/><pin index="2" name="c"/><pin index="3" name="d"/>
</pins></component>
</components>
</board>
)";

// One change to one file of the clean repository: text replaced, or a file added.
struct Change {
    std::string file, from, to;
};

using Rules = std::multiset<std::string>;

Rules rulesOf(const std::vector<HBOCheckFinding>& findings) {
    Rules rules;
    for (const HBOCheckFinding& finding : findings) rules.insert(finding.rule);
    return rules;
}

std::string messagesOf(const std::vector<HBOCheckFinding>& findings) {
    std::string text;
    for (const HBOCheckFinding& finding : findings) text += finding.rule + ": " + finding.message + "\n";
    return text;
}

class BoardCheck : public ::testing::Test {
protected:
    // The clean repository with the changes made, listed and checked.
    std::vector<HBOCheckFinding> check(const std::vector<Change>& changes,
                                       HBOBoardCheck::Rules rules = HBOBoardCheck::allRules()) {
        std::map<std::string, std::string> files = {{"host/board.xml", kBoard},
                                                    {"host/pins.xml", kPins},
                                                    {"host/preset.xml", kPresets},
                                                    {"card/board.xml", kCard}};
        for (const Change& change : changes) {
            std::string& text = files[change.file];
            if (change.from.empty()) {
                text = change.to;
                continue;
            }
            const std::size_t at = text.find(change.from);
            EXPECT_NE(at, std::string::npos) << change.from;
            EXPECT_EQ(text.find(change.from, at + 1), std::string::npos) << change.from << " is not unique";
            if (at != std::string::npos) text.replace(at, change.from.size(), change.to);
        }
        for (const auto& entry : std::filesystem::directory_iterator(scratch_.dir()))
            std::filesystem::remove_all(entry);
        for (const auto& file : files) scratch_.write(file.first, file.second);
        RepoPaths repo(scratch_.dir().string());
        MessageCapture quiet;  // the loading warnings say what the findings say
        std::vector<HBOCheckFinding> findings;
        HBOBoardCheck(rules).checkRepository(findings);
        return findings;
    }

    ScratchRepo scratch_;
};

TEST_F(BoardCheck, CleanBoardsHaveNoFinding) {
    const auto findings = check({});
    EXPECT_TRUE(findings.empty()) << messagesOf(findings);
}

// Each rule finds its one fault, and no other rule fires on it.
TEST_F(BoardCheck, EachRuleFindsItsFaultAndNothingElse) {
    const std::string mapsBtn0 = R"(component_pin="btn0"/>)";
    const std::string altInterface =
        R"(<interface name="buttons_alt" of_component="buttons"><port_maps><port_map logical_port="IN" )"
        R"(physical_port="alt_in"><pin_maps><pin_map port_index="0" component_pin="btn0"/></pin_maps></port_map>)"
        R"(</port_maps></interface></interfaces>)";
    struct Case {
        const char* rule;
        std::vector<Change> changes;
        const char* says;
    };
    const Case cases[] = {
        {"PIN_CONFLICT",
         {{"host/board.xml", mapsBtn0, R"(component_pin="led0"/>)"}},
         "interfaces 'leds' (of 'leds') and 'buttons' (of 'buttons') share a pin of 'part0': A1 ('led0'); mode 'io' "
         "uses "
         "both"},
        {"PIN_ALTERNATIVE",
         {{"host/board.xml", "</interfaces>\n<component_modes>", altInterface + "\n<component_modes>"}},
         "interfaces 'buttons' and 'buttons_alt' of 'buttons' share a pin of 'part0': B1 ('btn0'); no mode uses both"},
        {"DUPLICATE_LOC",
         {{"host/pins.xml", R"(name="spare" loc="B2")", R"(name="spare" loc="A1")"}},
         "pins 'led0' and 'spare' of 'part0' are both on LOC A1"},
        {"DUPLICATE_PIN",
         {{"host/pins.xml", R"(name="spare")", R"(name="led1")"}},
         "pin name 'led1' of 'part0' is given to indexes 1 and 3"},
        {"DUPLICATE_PIN",
         {{"host/pins.xml", R"(index="3")", R"(index="01")"}},
         "pin index 1 of 'part0' is given to pins 'led1' (line 4) and 'spare' (line 6)"},
        {"MISSING_PIN",
         {{"host/board.xml", R"(component_pin="led1")", R"(component_pin="led9")"}},
         "interface 'leds' of 'part0' maps pin 'led9', which 'part0' does not have"},
        {"MISSING_PIN",
         {{"host/board.xml", R"(c1_st_index="0" c1_end_index="1")", R"(c1_st_index="4" c1_end_index="5")"}},
         "bus 'part0_leds' joins pin indexes 4 and 5 of 'part0', which 'part0' does not have"},
        {"MISSING_PIN",
         {{"host/board.xml", R"(c2_st_index="0" c2_end_index="1")", R"(c2_st_index="1" c2_end_index="2")"}},
         "connection_map 'part0_leds_1' names pin index 2 of component 'leds', which lists no such pin; the map is "
         "left out"},
        {"MISSING_COMPONENT",
         {{"host/board.xml", R"(of_component="buttons")", R"(of_component="switches")"}},
         "interface 'buttons' of 'part0' is of component 'switches', which the board does not have"},
        {"MISSING_INTERFACE",
         {{"host/board.xml", R"(<interface name="buttons"/>)", R"(<interface name="switches"/>)"}},
         "mode 'io' of 'part0' uses interface 'switches', which 'part0' does not have"},
        {"MISSING_INTERFACE",
         {{"host/board.xml", R"(<associated_board_interface name="leds"/>)",
           R"(<associated_board_interface name="lamps"/>)"}},
         "IP-associated rule 'default' names board interface 'lamps', which the board does not have"},
        {"MISSING_PRESET",
         {{"host/board.xml", R"(preset_proc="leds_preset")", R"(preset_proc="lamps_preset")"}},
         "interface 'leds' of 'part0' names preset 'lamps_preset', but the preset file"},
        {"UNREADABLE",
         {{"host/preset.xml", "<ip_presets>", "<ip_presets"}},
         "the preset file is left out, so the board has no presets: "},
        {"UNREADABLE",
         {{"host/pins.xml", R"(name="spare" )", ""}},
         "the pin file of 'part0' is left out, so it has no pins: "},
        {"UNREADABLE", {{"card/board.xml", "<file_version>", "<file_versio>"}}, "the board file is left out: "},
        {"DUPLICATE_BOARD", {{"more/card/board.xml", "", kCard}}, "board t:card:1.0 is defined twice: "},
    };
    for (const Case& c : cases) {
        const auto findings = check(c.changes);
        EXPECT_EQ(rulesOf(findings), Rules{c.rule}) << c.says << "\n" << messagesOf(findings);
        EXPECT_NE(messagesOf(findings).find(c.says), std::string::npos) << messagesOf(findings);
    }
}

// A pin file that repeats an index is left out by loading; the check names
// both pins, says the pins are missing, and stays silent about what follows.
TEST_F(BoardCheck, RepeatedPinIndexSaysWhyThePinsAreMissing) {
    const std::vector<Change> repeat = {{"host/pins.xml", R"(index="3")", R"(index="1")"}};
    const auto findings = check(repeat);
    ASSERT_EQ(findings.size(), 1u) << messagesOf(findings);
    EXPECT_NE(findings[0].message.find("; the pin file is left out, so 'part0' has no pins"), std::string::npos);
    EXPECT_EQ(findings[0].objects, (std::vector<std::string>{"part0", "led1", "spare"}));
    // Without the duplicate rule, the file left out is still reported.
    const auto unreadable = check(repeat, HBOBoardCheck::Rules().set(HBOBoardCheck::UNREADABLE));
    ASSERT_EQ(rulesOf(unreadable), Rules{"UNREADABLE"});
    EXPECT_NE(unreadable[0].message.find("line 6: pin index 1 is used twice"), std::string::npos);
}

// Rules that do not need pins or presets leave those files unread.
TEST_F(BoardCheck, FilesAreReadOnlyForTheRulesThatNeedThem) {
    check({}, HBOBoardCheck::Rules().set(HBOBoardCheck::MISSING_INTERFACE));
    RepoPaths repo(scratch_.dir().string());
    HBOBoard* host = repositoryBoard("t:host:1.0");
    ASSERT_NE(host, nullptr);
    EXPECT_FALSE(host->findFpgaComponent()->arePinsLoaded());
    EXPECT_FALSE(host->arePresetsLoaded());
}

class DiagramCheck : public BoardCheck {
protected:
    // A diagram of an instance of each board, joined as given.
    std::vector<HBOCheckFinding> checkDiagram(const std::vector<std::array<std::string, 4>>& connections,
                                              const std::string& cardBoard = "t:card:1.0") {
        check({});
        RepoPaths repo(scratch_.dir().string());
        HBOBoard diagram;
        diagram.setName("t", "pair", "1.0");
        diagram.setIntegrated(true);
        diagram.addConnectedBoard("left", "t:host:1.0");
        diagram.addConnectedBoard("right", cardBoard);
        for (const auto& c : connections) diagram.addConnectedComponents(c[0], c[1], c[2], c[3]);
        std::vector<HBOCheckFinding> findings;
        HBOBoardCheck().checkBoard(diagram, findings);
        return findings;
    }
};

TEST_F(DiagramCheck, EachRuleFindsItsFaultAndNothingElse) {
    EXPECT_TRUE(checkDiagram({{"left", "J1", "right", "P1"}}).empty());
    struct Case {
        const char* rule;
        std::vector<std::array<std::string, 4>> connections;
        const char* says;
    };
    const Case cases[] = {
        {"CONNECTOR_MISMATCH", {{"left", "J1", "right", "U1"}}, "'right#U1' is of type 'chip', not a connector"},
        {"CONNECTOR_MISMATCH",
         {{"left", "leds", "right", "P1"}},
         "'left#leds' is of type 'chip', not a connector; their sub-types differ ('' and 'hdr_1x4'); they have 2 and 4 "
         "pins"},
        {"CONNECTOR_REUSED",
         {{"left", "J1", "right", "P1"}, {"right", "P1", "left", "J1"}},
         "connector 'left#J1' is joined 2 times: to 'right#P1' and 'right#P1'"},
        {"MISSING_COMPONENT", {{"left", "J9", "right", "P1"}}, "names component 'J9', which board t:host:1.0"},
        {"MISSING_COMPONENT", {{"left", "J1", "", ""}}, "has a side that names no component"},
        {"MISSING_BOARD", {{"host", "J1", "right", "P1"}}, "names board 'host', which is no instance of the diagram"},
    };
    for (const Case& c : cases) {
        const auto findings = checkDiagram(c.connections);
        const Rules found = rulesOf(findings);
        const std::set<std::string> rules(found.begin(), found.end());
        EXPECT_EQ(rules, std::set<std::string>{c.rule}) << c.says << "\n" << messagesOf(findings);
        EXPECT_NE(messagesOf(findings).find(c.says), std::string::npos) << messagesOf(findings);
    }
    const auto missingBoard = checkDiagram({{"left", "J1", "right", "P1"}}, "t:gone:1.0");
    EXPECT_EQ(rulesOf(missingBoard), Rules{"MISSING_BOARD"}) << messagesOf(missingBoard);
}

TEST(BoardCheckReport, TextIsGroupedByBoardWithASummary) {
    const std::vector<HBOCheckFinding> findings = {
        {HBOCheckFinding::ERROR, "UNREADABLE", "/r/x/board.xml", {}, "left out"},
        {HBOCheckFinding::WARNING, "PIN_CONFLICT", "v:b:1.0", {}, "shared"},
        {HBOCheckFinding::INFO, "PIN_ALTERNATIVE", "v:b:1.0", {}, "alternatives"},
    };
    EXPECT_EQ(HBOBoardCheckReport::text(findings, 2),
              "ERROR   UNREADABLE         /r/x/board.xml: left out\n"
              "\n"
              "WARNING PIN_CONFLICT       v:b:1.0: shared\n"
              "INFO    PIN_ALTERNATIVE    v:b:1.0: alternatives\n"
              "\n"
              "2 boards checked: 1 error, 1 warning, 1 info\n");
    EXPECT_EQ(HBOBoardCheckReport::text({}, 1), "1 board checked: no findings\n");
    EXPECT_TRUE(HBOBoardCheckReport::hasErrors(findings));
    EXPECT_FALSE(HBOBoardCheckReport::hasErrors({findings[1]}));
}

TEST(BoardCheckReport, JsonEscapesEverythingJsonCannotHoldAsIs) {
    EXPECT_EQ(HBOBoardCheckReport::jsonString("a\"b\\c\n\t\x01/"), R"("a\"b\\c\n\t\u0001/")");
    EXPECT_EQ(HBOBoardCheckReport::jsonString("caf\xc3\xa9 \xe2\x82\xac"), "\"caf\xc3\xa9 \xe2\x82\xac\"");
    // A lone byte above 0x7f, a cut sequence, an overlong form, a surrogate.
    EXPECT_EQ(HBOBoardCheckReport::jsonString("\xff|\xc3|\xc0\x80|\xed\xa0\x80"),
              R"("\ufffd|\ufffd|\ufffd\ufffd|\ufffd\ufffd\ufffd")");
    EXPECT_EQ(HBOBoardCheckReport::json({}), "[]\n");
    EXPECT_EQ(HBOBoardCheckReport::json({{HBOCheckFinding::ERROR, "R", "b", {"x", "y"}, "m"}}),
              "[\n {\"severity\": \"ERROR\", \"rule\": \"R\", \"board\": \"b\", \"objects\": [\"x\", \"y\"], "
              "\"message\": \"m\"}\n]\n");
}

}  // namespace
