// ::board::write_pin_constraints: traces every port bit of the given
// interfaces (default: the enabled interfaces of the current board) to the
// FPGA pin it reaches, through the diagram when there is one, and writes
// their locations and electrical settings as a pcf, lpf, cst or qsf file, or
// the clocks as an sdc file. docs/pin-constraints.md gives each mapping.
#include <sys/stat.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "ComMsgMgr.h"
#include "HBOCTcBoardQuery.h"
#include "HBOCTcBoardTaskUtils.h"
#include "HBOCTcFileOption.h"
#include "HBOCTcInit.h"
#include "HBOCTcPinPlacer.h"

namespace {
namespace write_pin_constraints {

using namespace tov::tcltasks;
using namespace tov::tcltasks::HTCTclTaskOptions;
using namespace HBOCOutPinConstraintText;
using HBOCTcSignalTrace::diagram_choice;

struct tcl_extension {};
struct tuid {};
using scope = tcl_scope<tcl_extension, tuid>;

const char* const source_file = "board/common/tcltasks/HBOCTcWritePinConstraints";

using accepted = of_types<HBOBusIf*, HBOModelPort*>;

void warn(int line, const char* id, std::initializer_list<std::string> arguments) {
    HBOCTcBoardQuery::warn(source_file, line, id, arguments);
}

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
        HBOCTcPortNames names(interp, read_option<std::string>("port_names"));
        const HBOCTcPinPlacer placed(use, bits_, names);
        const std::vector<Clock> clocks = format == Format::pcf || format == Format::cst || format == Format::qsf
                                              ? std::vector<Clock>()
                                              : placed.clocks();
        const Text text = text_of(format, title(format, placed), placed.placements(), clocks);
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

    // Names the diagram when a bit was written through it.
    static std::string title(Format format, const HBOCTcPinPlacer& placed) {
        std::string text = format == Format::sdc ? "Clock constraints" : "Pin constraints";
        if (const HBOBoardComponent* fpga = placed.fpga())
            text += " for FPGA " + fpga->getPartName() + " of " + (fpga->getBoard() ? fpga->getBoard()->getName() : "");
        if (placed.diagram()) text += " through diagram " + placed.diagram()->getName();
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
        if (::stat(file.c_str(), &existing) == 0 && !S_ISREG(existing.st_mode)) {
            HBOCTcFileOption::cannot_write(file, "pin constraints",
                                           S_ISDIR(existing.st_mode) ? "it is a folder" : "it is not a regular file");
        }
        HBOCTcFileOption::replace(file, text, "pin constraints");
    }

    std::vector<HBOSignalBit> bits_;
};

class factory : public HTCIFactoryHelper<task> {};
using registration = command_registration<task, factory>;

}  // namespace write_pin_constraints
}  // namespace

void HBOCTcInit::HBOCTcWritePinConstraints::init(Tcl_Interp* interp) {
    write_pin_constraints::registration::init(interp);
}

void HBOCTcInit::HBOCTcWritePinConstraints::uninit() { write_pin_constraints::registration::uninit(); }
