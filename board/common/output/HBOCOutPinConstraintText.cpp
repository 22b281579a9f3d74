// Pin constraint texts. Each format has one line shape for a location and
// one for electrical settings; the pin properties map to a format's
// settings through one table, so that what a format writes and what it
// leaves out are decided in one place.
#include "HBOCOutPinConstraintText.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

#include "HBOBoardModel.h"
#include "HTCErrors.h"

namespace {

using namespace HBOCOutPinConstraintText;

const char* const kFormatNames[] = {"pcf", "lpf", "cst", "qsf", "sdc"};
const char* const kNoPlace = "the format has no place for it";

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

bool is_control(unsigned char c) { return c < 0x20 || c == 0x7f; }

bool is_tcl_format(Format format) { return format == Format::qsf || format == Format::sdc; }

// Whether a name, location or value can be written: the line formats (pcf,
// lpf, cst) split at blanks and take ", ;, # and // as syntax; the Tcl
// formats quote everything but control characters.
bool can_carry(Format format, const std::string& word) {
    if (word.empty()) return false;
    if (is_tcl_format(format))
        return std::none_of(word.begin(), word.end(), [](unsigned char c) { return is_control(c); });
    if (word.find("//") != std::string::npos || (format == Format::pcf && word[0] == '-')) return false;
    return std::none_of(word.begin(), word.end(), [](unsigned char c) {
        return c == ' ' || is_control(c) || c == '"' || c == ';' || c == '#' || c == '\\';
    });
}

const char* carry_rule(Format format) {
    if (is_tcl_format(format)) return "control characters cannot be written";
    if (format == Format::pcf) return "blanks, control characters, \", ;, #, \\, // and a leading - cannot be written";
    return "blanks, control characters, \", ;, #, \\ and // cannot be written";
}

// A word as Tcl reads it back: bare when nothing in it is special to Tcl,
// in braces when they balance and it has no backslash, else with every
// special character escaped.
std::string tcl_word(const std::string& word) {
    const char* const special = " \t{}[]$\";\\";
    if (!word.empty() && word.find_first_of(special) == std::string::npos) return word;
    int depth = 0;
    bool braceable = word.find('\\') == std::string::npos;
    for (char c : word) {
        depth += c == '{' ? 1 : c == '}' ? -1 : 0;
        if (depth < 0) braceable = false;
    }
    if (braceable && depth == 0) return "{" + word + "}";
    std::string escaped;
    for (char c : word) {
        if (c != '\0' && std::strchr(special, c)) escaped += '\\';
        escaped += c;
    }
    return escaped;
}

// How a port name appears in the format's lines.
std::string port_word(Format format, const std::string& port) {
    if (is_tcl_format(format)) return tcl_word(port);
    return format == Format::pcf ? port : "\"" + port + "\"";
}

std::string number_text(double value, const char* format) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

// Megahertz without trailing zeros: "100", "12.5".
std::string megahertz(double hertz) {
    std::string text = number_text(hertz / 1e6, "%.6f");
    text.erase(text.find_last_not_of('0') + 1);
    if (text.back() == '.') text.pop_back();
    return text;
}

struct Setting {
    std::string key, value;
};

// The omissions of one file, grouped by property and reason.
class Omissions {
public:
    void add(const std::string& attribute, const std::string& reason, const std::string& port) {
        auto found = std::find_if(list.begin(), list.end(), [&](const Omission& omission) {
            return omission.attribute == attribute && omission.reason == reason;
        });
        if (found == list.end()) found = list.insert(list.end(), Omission{attribute, reason, {}});
        found->ports.push_back(port);
    }
    std::vector<Omission> list;
};

// The electrical settings of one pin in one format.
class PinSettings {
public:
    PinSettings(Format format, const HBOPinProps& pin, const std::string& port, Omissions& omissions)
        : format_(format), pin_(pin), port_(port), omissions_(omissions) {
        take_iostandard();
        take_drive();
        take_slew();
        take_pull();
        take_diff_term();
        static const std::pair<const char*, HBOPinProps::Attr> unplaced[] = {
            {"OUTPUT_IMPEDANCE", HBOPinProps::OUTPUT_IMPEDANCE},
            {"IBUF_LOW_PWR", HBOPinProps::IBUF_LOW_PWR},
            {"ODT", HBOPinProps::ODT},
            {"EQUALIZATION", HBOPinProps::EQUALIZATION},
            {"PRE_EMPHASIS", HBOPinProps::PRE_EMPHASIS},
            {"DQS_BIAS", HBOPinProps::DQS_BIAS}};
        for (const auto& attribute : unplaced) {
            if (!pin_.getAttr(attribute.second).empty()) omit(attribute.first, kNoPlace);
        }
        take_further_attributes();
    }

    std::vector<Setting> settings;

private:
    // key per format, in the order of Format; null where it has no place.
    void set(const char* attribute, const std::string& value, const char* const (&keys)[5]) {
        const char* key = keys[static_cast<int>(format_)];
        if (!key) return omit(attribute, kNoPlace);
        add(attribute, key, value);
    }
    void add(const char* attribute, const std::string& key, const std::string& value) {
        const bool carried =
            can_carry(format_, value) && (is_tcl_format(format_) || value.find('=') == std::string::npos);
        if (!carried) return omit(attribute, "its value \"" + value + "\" cannot be written in the format");
        settings.push_back({key, value});
    }
    void omit(const std::string& attribute, const std::string& reason) { omissions_.add(attribute, reason, port_); }

    void take_iostandard() {
        const std::string value = pin_.getAttr(HBOPinProps::IOSTANDARD);
        if (!value.empty()) set("IOSTANDARD", value, {nullptr, "IO_TYPE", "IO_TYPE", "IO_STANDARD", nullptr});
    }

    // Milliamperes, written "12" (or "12MA" for Intel); other words as given.
    void take_drive() {
        std::string value = pin_.getAttr(HBOPinProps::DRIVE);
        if (value.empty()) return;
        const std::string number = milliamperes(value);
        if (!number.empty()) value = number + (format_ == Format::qsf ? "MA" : "");
        set("DRIVE", value, {nullptr, "DRIVE", "DRIVE", "CURRENT_STRENGTH_NEW", nullptr});
    }

    // The number of "12", "12mA" or "1.5 mA"; empty for anything else.
    static std::string milliamperes(const std::string& value) {
        std::string number = value;
        const std::size_t unit = lower(number).rfind("ma");
        if (unit != std::string::npos && unit + 2 == number.size()) number.erase(unit);
        number.erase(number.find_last_not_of(' ') + 1);
        const std::size_t dot = number.find('.');
        const bool digits = !number.empty() && number.find_first_not_of("0123456789.") == std::string::npos &&
                            number.front() != '.' && number.back() != '.' &&
                            (dot == std::string::npos || number.find('.', dot + 1) == std::string::npos);
        return digits ? number : std::string();
    }

    // Intel numbers its slew rates: SLOW is 0 and FAST 1, the faster step
    // every family with a slew control has.
    void take_slew() {
        std::string value = pin_.getAttr(HBOPinProps::SLEW);
        if (value.empty()) return;
        if (format_ == Format::qsf) {
            const std::string word = lower(value);
            if (word == "slow" || word == "fast") {
                value = word == "slow" ? "0" : "1";
            } else if (value.find_first_not_of("0123456789") != std::string::npos) {
                return omit("SLEW", "\"" + value + "\" is neither SLOW, FAST nor a slew rate number");
            }
        }
        set("SLEW", value, {nullptr, "SLEWRATE", nullptr, "SLEW_RATE", nullptr});
    }

    // The pull mode: a further pin attribute, named pull (or pullmode,
    // pull_mode, pulltype, pull_type).
    std::string pull_mode() const {
        for (const std::string& name : pull_names()) {
            const std::string* value = pin_.findExtraAttr(name);
            if (value && !value->empty()) return *value;
        }
        return std::string();
    }

    void take_pull() {
        const std::string value = pull_mode();
        if (value.empty()) return;
        const std::string word = lower(value);
        std::string mode = value;
        if (word == "up" || word == "pullup" || word == "pull_up") mode = "UP";
        if (word == "down" || word == "pulldown" || word == "pull_down") mode = "DOWN";
        if (word == "none" || word == "off" || word == "no") mode = "NONE";
        if (word == "keeper" || word == "bus_keeper" || word == "bus_hold") mode = "KEEPER";
        switch (format_) {
            case Format::lpf:
                return add("PULL", "PULLMODE", mode);
            case Format::cst:
                return add("PULL", "PULL_MODE", mode);
            case Format::pcf:
                if (mode == "UP" || mode == "NONE") return add("PULL", "-pullup", mode == "UP" ? "yes" : "no");
                return omit("PULL", "the format has a pull-up only, no " + value);
            case Format::qsf:
                if (mode == "UP") return add("PULL", "WEAK_PULL_UP_RESISTOR", "ON");
                if (mode == "KEEPER") return add("PULL", "ENABLE_BUS_HOLD_CIRCUITRY", "ON");
                if (mode == "NONE") return;
                return omit("PULL", "the format has a weak pull-up and bus hold only, no " + value);
            case Format::sdc:
                return;
        }
    }

    // A differential input's termination: on is 100 ohms on Lattice parts
    // and the differential termination on Intel parts.
    void take_diff_term() {
        const std::string value = pin_.getAttr(HBOPinProps::DIFF_TERM);
        const std::string word = lower(value);
        if (word.empty() || word == "false" || word == "off" || word == "no" || word == "0" || word == "none") return;
        if (word != "true" && word != "on" && word != "yes" && word != "1") {
            return omit("DIFF_TERM", "\"" + value + "\" is neither on nor off");
        }
        set("DIFF_TERM", format_ == Format::lpf ? "100" : "DIFFERENTIAL",
            {nullptr, "DIFFRESISTOR", nullptr, "INPUT_TERMINATION", nullptr});
    }

    // Further pin attributes named like a setting of the format are written
    // as that setting; the others, but the pull mode, are left out.
    void take_further_attributes() {
        const std::vector<std::string>& keywords = format_keywords(format_);
        for (const HBOPinProps::Extra& extra : pin_.getExtraAttrs()) {
            const std::string& name = *extra.first;
            if (extra.second->empty() || contains(pull_names(), name)) continue;
            if (contains(keywords, name)) {
                add(name.c_str(), name, *extra.second);
            } else {
                omit(name, kNoPlace);
            }
        }
    }

    static const std::vector<std::string>& pull_names() {
        static const std::vector<std::string> names = {"PULL", "PULLMODE", "PULL_MODE", "PULLTYPE", "PULL_TYPE"};
        return names;
    }

    static const std::vector<std::string>& format_keywords(Format format) {
        static const std::vector<std::string> none;
        static const std::vector<std::string> lpf = {"HYSTERESIS", "OPENDRAIN", "CLAMP",
                                                     "VREF",       "DIFFDRIVE", "TERMINATION"};
        static const std::vector<std::string> cst = {"HYSTERESIS", "OPEN_DRAIN",    "PCI_CLAMP",      "VREF",
                                                     "BANK_VCCIO", "DIFF_RESISTOR", "SINGLE_RESISTOR"};
        return format == Format::lpf ? lpf : format == Format::cst ? cst : none;
    }

    static bool contains(const std::vector<std::string>& names, const std::string& name) {
        return std::find(names.begin(), names.end(), name) != names.end();
    }

    Format format_;
    const HBOPinProps& pin_;
    const std::string& port_;
    Omissions& omissions_;
};

void append_location(Format format, const std::string& port, const std::string& loc, std::string& text) {
    switch (format) {
        case Format::pcf:
            return;  // the settings come first: written with them
        case Format::lpf:
            text += "LOCATE COMP " + port_word(format, port) + " SITE \"" + loc + "\";\n";
            return;
        case Format::cst:
            text += "IO_LOC " + port_word(format, port) + " " + loc + ";\n";
            return;
        case Format::qsf:
            text += "set_location_assignment " + tcl_word(loc.compare(0, 4, "PIN_") == 0 ? loc : "PIN_" + loc) +
                    " -to " + port_word(format, port) + "\n";
            return;
        case Format::sdc:
            return;
    }
}

void append_settings(Format format, const std::string& port, const std::string& loc,
                     const std::vector<Setting>& settings, std::string& text) {
    const std::string word = port_word(format, port);
    std::string joined;
    switch (format) {
        case Format::pcf:
            for (const Setting& setting : settings) joined += " " + setting.key + " " + setting.value;
            text += "set_io" + joined + " " + word + " " + loc + "\n";
            return;
        case Format::lpf:
        case Format::cst:
            if (settings.empty()) return;
            for (const Setting& setting : settings) joined += " " + setting.key + "=" + setting.value;
            text += (format == Format::lpf ? "IOBUF PORT " : "IO_PORT ") + word + joined + ";\n";
            return;
        case Format::qsf:
            for (const Setting& setting : settings) {
                text += "set_instance_assignment -name " + setting.key + " " + tcl_word(setting.value) + " -to " +
                        word + "\n";
            }
            return;
        case Format::sdc:
            return;
    }
}

void append_clock(Format format, const Clock& clock, std::string& text) {
    if (format == Format::lpf) {
        text += "FREQUENCY PORT " + port_word(format, clock.port) + " " + megahertz(clock.hertz) + " MHZ;\n";
    } else if (format == Format::sdc) {
        const std::string word = tcl_word(clock.port);
        text += "create_clock -name " + word + " -period " + number_text(1e9 / clock.hertz, "%.3f") + " [get_ports " +
                word + "]\n";
    }
}

void check_carried(Format format, const std::string& what, const std::string& word, const char* detail) {
    if (can_carry(format, word)) return;
    throw HTCErrors::error(
        what + " \"" + word + "\" cannot be written in a " + name_of(format) + " file: " + carry_rule(format),
        HEXAll::Kind::value, detail);
}

std::string comment_line(Format format, std::string title) {
    std::replace_if(
        title.begin(), title.end(), [](unsigned char c) { return is_control(c); }, ' ');
    return (format == Format::cst ? "// " : "# ") + title + "\n";
}

}  // namespace

namespace HBOCOutPinConstraintText {

Format format_named(const std::string& name) {
    for (int i = 0; i < 5; ++i)
        if (name == kFormatNames[i]) return static_cast<Format>(i);
    throw HTCErrors::error("bad format \"" + name + "\": must be cst, lpf, pcf, qsf, or sdc", HEXAll::Kind::value,
                           "-format");
}

const char* name_of(Format format) { return kFormatNames[static_cast<int>(format)]; }

Text text_of(Format format, const std::string& title, const std::vector<Placement>& placements,
             const std::vector<Clock>& clocks) {
    Text result;
    result.text = comment_line(format, title);
    Omissions omissions;
    if (format != Format::sdc) {
        for (const Placement& placement : placements) {
            const std::string loc = placement.pin->getAttr(HBOPinProps::LOC);
            if (loc.empty()) {
                omissions.add("LOC",
                              "FPGA pin " + placement.pin->getName() + " has no LOC, so the port bit is left out",
                              placement.port);
                continue;
            }
            check_carried(format, "port name", placement.port, "-port_names");
            check_carried(format, "location", loc, "LOC");
            const PinSettings pin(format, *placement.pin, placement.port, omissions);
            append_location(format, placement.port, loc, result.text);
            append_settings(format, placement.port, loc, pin.settings, result.text);
        }
    }
    for (const Clock& clock : clocks) {
        check_carried(format, "port name", clock.port, "-port_names");
        append_clock(format, clock, result.text);
    }
    result.omissions = std::move(omissions.list);
    return result;
}

}  // namespace HBOCOutPinConstraintText
