// ::board::write_pin_constraints: traces every port bit of the given
// interfaces (default: the enabled interfaces of the current board) to the
// FPGA pin it reaches, through the diagram when there is one, and writes
// their locations and electrical settings as a pcf, lpf, cst or qsf file, or
// the clocks as an sdc file. docs/pin-constraints.md gives each mapping.
#include <sys/stat.h>

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <initializer_list>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "ComMsgMgr.h"
#include "HBOBoardUtils.h"
#include "HBOCTcBoardQuery.h"
#include "HBOCTcBoardTaskUtils.h"
#include "HBOCTcInit.h"
#include "HBOCTcPinConstraintText.h"
#include "HBOCTcSignalTrace.h"
#include "HUTSafeFile.h"

namespace {
namespace write_pin_constraints {

using namespace tov::tcltasks;
using namespace tov::tcltasks::HTCTclTaskOptions;
using namespace HBOCTcPinConstraintText;
using HBOCTcSignalTrace::diagram_choice;

struct tcl_extension {};
struct tuid {};
using scope = tcl_scope<tcl_extension, tuid>;

const char* const source_file = "board/common/tcltasks/HBOCTcWritePinConstraints";

using accepted = of_types<HBOBusIf*, HBOModelPort*>;

void warn(int line, const char* id, std::initializer_list<std::string> arguments) {
    std::vector<const char*> texts;
    for (const std::string& argument : arguments) texts.push_back(argument.c_str());
    texts.resize(4, "");
    ComMsgMgr::sendMsg::eval(static_cast<int>(arguments.size()), source_file, line, "board", HMSG_MASK_WARNING, id,
                             texts[0], texts[1], texts[2], texts[3]);
}

std::string upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// The clock frequency an interface's parameters give, in hertz; 0 for none.
double clock_hertz(const HBOBusIf& busIf) {
    static const std::pair<const char*, double> names[] = {
        {"FREQ_HZ", 1.0}, {"FREQUENCY", 1.0}, {"FREQUENCY_HZ", 1.0}, {"FREQ_MHZ", 1e6}, {"FREQUENCY_MHZ", 1e6}};
    std::vector<HBOParameter*> parameters;
    busIf.getParameters(parameters);
    for (const HBOParameter* parameter : parameters) {
        const std::string parameterName = upper(parameter->getName());
        for (const auto& name : names) {
            if (parameterName != name.first) continue;
            const std::string& value = parameter->getValue();
            char* end = nullptr;
            const double number = std::strtod(value.c_str(), &end);
            if (!value.empty() && *end == '\0' && std::isfinite(number) && number > 0) return number * name.second;
            warn(__LINE__, "@49-124@", {busIf.getName(), parameter->getName(), value});
            return 0;
        }
    }
    return 0;
}

// The interface's first port in file order: the one its clock is on.
const HBOModelPort* first_port(const HBOBusIf& busIf) {
    if (HBOBoardUtils::isV2SchemaBoard(&busIf)) {
        std::vector<HBOModelPort*> ports;
        busIf.getModelPorts(ports);
        return ports.empty() ? nullptr : ports.front();
    }
    std::vector<HBOPortMap*> maps;
    busIf.getPortMapSeq(maps);
    HBOModelPort* port = nullptr;
    if (!maps.empty() && busIf.getOwnerComponent())
        busIf.getOwnerComponent()->getModelPortByName(port, maps[0]->getPhysicalPort());
    return port;
}

// The design's names of the port bits: -port_names maps a default name of
// a bit, or of a whole port (its bits keep their "[i]"); an empty name
// leaves the bit out.
class port_names {
public:
    port_names(Tcl_Interp* interp, const std::string& dict) {
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

    std::string of(const HBOSignalBit& bit) {
        const std::string name = bit.defaultName();
        auto found = names_.find(name);
        if (found != names_.end()) return use(found);
        if (bit.bit.empty()) return name;
        found = names_.find(name.substr(0, name.size() - bit.bit.size() - 2));
        if (found == names_.end()) return name;
        const std::string port = use(found);
        return port.empty() ? port : port + "[" + bit.bit + "]";
    }

    std::vector<std::string> unused() const {
        std::vector<std::string> keys;
        for (const auto& entry : names_)
            if (!used_.count(entry.first)) keys.push_back(entry.first);
        return keys;
    }

private:
    std::string use(std::map<std::string, std::string>::const_iterator found) {
        used_.insert(found->first);
        return found->second;
    }
    std::map<std::string, std::string> names_;
    std::set<std::string> used_;
};

class task : public HTCITaskHelper<task> {
public:
    static constexpr const char* command_name = "::board::write_pin_constraints";

    static void describe() {
        add_category("Object:Board");
        option_table("Write the pin constraints of board interfaces for an FPGA flow", "")
            .add_option("-format", scope::string_value(),
                        OptionDescription("The file's format: cst, lpf, pcf, qsf or sdc"))
            .add_option("-file", scope::string_value(),
                        OptionDescription("The file to write; a file there is replaced"))
            .add_option("-of_objects", scope::object_list_value(),
                        OptionDescription("The interfaces and interface ports to write ('" + accepted::names() +
                                          "'); every enabled interface of the current board when not given"))
            .add_option("-diagram", new scope::semantic<diagram_choice>,
                        OptionDescription(HBOCTcSignalTrace::diagram_help()))
            .add_option("-port_names", scope::string_value(),
                        OptionDescription("A dict from default port names (<interface>_<port>, or one bit "
                                          "<interface>_<port>[i]) to the design's names; an empty name leaves it out"));
    }

    const char* owner() const override { return "board.common"; }

    int execute(Tcl_Interp* interp) override {
        // It traces through component pins and bus nets, schema-2 objects.
        if (HBOCTcBoardQuery::schema2_gate(source_file, __LINE__) != TCL_OK) return TCL_ERROR;
        const Format format = format_named(required("format"));
        const std::string file = required("file");
        const diagram_choice given = read_option<diagram_choice>("diagram");
        const HBOCTcSignalTrace::diagram_use use =
            HBOCTcSignalTrace::choose_diagram(specified_option("diagram") ? &given : nullptr);
        gather_bits(interp);
        port_names names(interp, read_option<std::string>("port_names"));
        place(use, names);
        const std::vector<Clock> clocks = format == Format::pcf || format == Format::cst || format == Format::qsf
                                              ? std::vector<Clock>()
                                              : clocks_of_interfaces();
        const Text text = text_of(format, title(format), placements_, clocks);
        report(format, text.omissions);
        if (format == Format::sdc && clocks.empty()) warn(__LINE__, "@49-127@", {file});
        write(file, text.text);
        const std::vector<std::string> unused = names.unused();
        if (!unused.empty()) warn(__LINE__, "@49-125@", {HBOCTcSignalTrace::excerpt_list(unused)});
        return TCL_OK;
    }

    void gather(HBOBusIf* busIf) { HBOSignalBits::ofInterface(busIf, bits_); }
    void gather(HBOModelPort* port) { HBOSignalBits::ofPort(port, bits_); }

private:
    std::string required(const char* option) {
        if (!specified_option(option)) {
            throw HTCErrors::error(
                std::string("option \"-") + option + "\" is required: should be \"" + usage(command_name) + "\"",
                HEXAll::Kind::usage, std::string("-") + option);
        }
        return read_option<std::string>(option);
    }

    void gather_bits(Tcl_Interp* interp) {
        const object_list objects = read_option<object_list>("of_objects");
        if (!objects.empty()) {
            for (std::size_t i = 0; i < objects.size(); ++i) accepted::dispatch(objects[i], *this);
            return;
        }
        if (!of_objects_empty_means_all(*this)) return;
        HBOBoard* board = HBOCTcBoardTaskUtils::get_current_board(interp);
        if (!board) {
            throw HEXError(
                ComMsgMgrInstance::createInstance::eval(0, source_file, __LINE__, "board", 0x20000000, "@49-53@"));
        }
        std::vector<HBOBusIf*> interfaces;
        board->getBusIfSeq(interfaces);
        for (HBOBusIf* busIf : interfaces)
            if (HBOCTcBoardQuery::true_in_any_case(busIf->getIsEnabled())) gather(busIf);
    }

    // Each bit at the one FPGA pin it reaches, under its design name; the
    // first FPGA reached is the one the file is for.
    void place(const HBOCTcSignalTrace::diagram_use& use, port_names& names) {
        HBOPinTracer tracer(use.diagram, use.required);
        std::map<std::string, std::size_t> byName;
        std::map<const HBOPinProps*, std::size_t> byPin;
        for (std::size_t b = 0; b < bits_.size(); ++b) {
            const HBOSignalBit& bit = bits_[b];
            const HBOPinTraceResult traced = tracer.trace(bit);
            if (traced.reached.empty()) {
                HBOCTcSignalTrace::report_unreached(bit, traced);
                continue;
            }
            if (traced.reached.size() > 1) {
                std::vector<std::string> pins;
                for (const HBOPinPath& path : traced.reached) pins.push_back(path.fpgaPin->getName());
                warn(__LINE__, "@49-121@",
                     {bit.describe(), std::to_string(pins.size()), HBOCTcSignalTrace::excerpt_list(pins)});
                continue;
            }
            const HBOPinProps* pin = traced.reached[0].fpgaPin;
            for (const HBOTraceHop& hop : traced.reached[0].hops)
                if (hop.kind == HBOTraceHop::Kind::connection) diagram_ = hop.board;
            if (!fpga_) fpga_ = pin->getOwner();
            if (pin->getOwner() != fpga_) {
                warn(__LINE__, "@49-126@",
                     {bit.describe(), pin->getName(), pin->getOwner()->getName(), fpga_->getName()});
                continue;
            }
            const std::string name = names.of(bit);
            if (name.empty()) continue;
            auto named = byName.find(name);
            if (named != byName.end()) {
                if (placements_[named->second].pin == pin) continue;  // the same bit given twice
                throw HTCErrors::error("port name \"" + name + "\" is given to two port bits, at FPGA pins " +
                                           placements_[named->second].pin->getName() + " and " + pin->getName(),
                                       HEXAll::Kind::value, "-port_names");
            }
            auto taken = byPin.find(pin);
            if (taken != byPin.end()) {
                const std::string& first = placements_[taken->second].port;
                warn(__LINE__, "@49-122@", {first, name, pin->getName(), name});
                continue;
            }
            byName[name] = byPin[pin] = placements_.size();
            placements_.push_back({name, pin});
            placed_bits_.push_back(b);
        }
    }

    // A clock for each interface whose parameters give a frequency, on the
    // first bit of its first port, when that bit was placed.
    std::vector<Clock> clocks_of_interfaces() const {
        std::vector<Clock> clocks;
        std::set<const HBOBusIf*> seen;
        for (std::size_t p = 0; p < placements_.size(); ++p) {
            const HBOSignalBit& bit = bits_[placed_bits_[p]];
            if (!bit.busIf || !seen.insert(bit.busIf).second) continue;
            const HBOModelPort* clockPort = first_port(*bit.busIf);
            const HBOSignalBit* first = first_bit_of(bit.busIf, clockPort);
            if (!first) continue;
            const double hertz = clock_hertz(*bit.busIf);
            const std::size_t placed = placement_of(first);
            if (hertz > 0 && placed != std::string::npos) clocks.push_back({placements_[placed].port, hertz});
        }
        return clocks;
    }

    const HBOSignalBit* first_bit_of(const HBOBusIf* busIf, const HBOModelPort* port) const {
        for (const HBOSignalBit& bit : bits_)
            if (bit.busIf == busIf && bit.port == port) return &bit;
        return nullptr;
    }

    std::size_t placement_of(const HBOSignalBit* bit) const {
        for (std::size_t p = 0; p < placed_bits_.size(); ++p)
            if (&bits_[placed_bits_[p]] == bit) return p;
        return std::string::npos;
    }

    // Names the diagram when a bit was written through it.
    std::string title(Format format) const {
        std::string text = format == Format::sdc ? "Clock constraints" : "Pin constraints";
        if (fpga_) {
            text +=
                " for FPGA " + fpga_->getPartName() + " of " + (fpga_->getBoard() ? fpga_->getBoard()->getName() : "");
        }
        if (diagram_) text += " through diagram " + diagram_->getName();
        return text + ", written by " + command_name;
    }

    static void report(Format format, const std::vector<Omission>& omissions) {
        for (const Omission& omission : omissions) {
            const std::string bits = std::to_string(omission.ports.size()) +
                                     (omission.ports.size() == 1 ? " port bit (" : " port bits (") +
                                     HBOCTcSignalTrace::excerpt_list(omission.ports) + ")";
            warn(__LINE__, "@49-123@", {name_of(format), omission.attribute, bits, omission.reason});
        }
    }

    // Only over a regular file (or a link to one), never leaving a part-written file.
    static void write(const std::string& file, const std::string& text) {
        struct stat existing;
        std::string reason;
        if (::stat(file.c_str(), &existing) == 0 && !S_ISREG(existing.st_mode)) {
            reason = S_ISDIR(existing.st_mode) ? "it is a folder" : "it is not a regular file";
        } else {
            reason = HUTSafeFile::replace(file, text).error;
        }
        if (reason.empty()) return;
        throw HTCErrors::error("cannot write pin constraints to \"" + file + "\": " + reason, HEXAll::Kind::file,
                               "-file");
    }

    std::vector<HBOSignalBit> bits_;
    std::vector<Placement> placements_;
    std::vector<std::size_t> placed_bits_;  // the bit of each placement
    const HBOBoardComponent* fpga_ = nullptr;
    const HBOBoard* diagram_ = nullptr;
};

class factory : public HTCIFactoryHelper<task> {};
using registration = command_registration<task, factory>;

}  // namespace write_pin_constraints
}  // namespace

void HBOCTcInit::HBOCTcWritePinConstraints::init(Tcl_Interp* interp) {
    write_pin_constraints::registration::init(interp);
}

void HBOCTcInit::HBOCTcWritePinConstraints::uninit() { write_pin_constraints::registration::uninit(); }
