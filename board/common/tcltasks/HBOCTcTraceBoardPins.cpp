// ::board::trace_board_pins: the FPGA pins that interfaces, interface ports
// or component pins of any board reach, through bus nets and, in a board
// diagram, through the connector pairs it joins. With -paths, one dict per
// pin reached, with every hop on the way.
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "HBOCTcBoardQuery.h"
#include "HBOCTcInit.h"
#include "HBOCTcPathDicts.h"
#include "HBOCTcSignalTrace.h"
#include "tcl_query.h"

namespace {
namespace trace_board_pins {

using namespace tov::tcltasks;
using namespace tov::tcltasks::HTCTclTaskOptions;
using HBOCTcSignalTrace::diagram_choice;

struct tcl_extension {};
struct tuid {};
using scope = tcl_scope<tcl_extension, tuid>;

const char* const source_file = "board/common/tcltasks/HBOCTcTraceBoardPins";

class task : public query_task<task, scope, HBOPinProps*, of_types<HBOBusIf*, HBOModelPort*, HBOPinProps*>> {
public:
    static constexpr const char* command_name = "::board::trace_board_pins";
    static constexpr query_description description = {
        "Gets the FPGA pins that interfaces, interface ports or component pins reach",
        "list of FPGA pins, or with -paths a list of dicts", "Object:Board", "match FPGA pin names against patterns",
        nullptr};

    const char* owner() const override { return "board.common"; }

    static void describe_extra(options_description& table) {
        table
            .add_option("-diagram", new scope::semantic<diagram_choice>,
                        OptionDescription(HBOCTcSignalTrace::diagram_help()))
            .add_option("-paths", scope::switch_value(),
                        OptionDescription("Return one dict per pin reached: signal, pin, loc, iostandard and the hops "
                                          "on the way"));
    }

    int check(Tcl_Interp*) {
        // Component pins and bus nets are schema-2 objects, like those of the queries.
        if (HBOCTcBoardQuery::schema2_gate(source_file, __LINE__) != TCL_OK) return TCL_ERROR;
        const diagram_choice given = read_option<diagram_choice>("diagram");
        const HBOCTcSignalTrace::diagram_use use =
            HBOCTcSignalTrace::choose_diagram(specified_option("diagram") ? &given : nullptr);
        tracer_.reset(new HBOPinTracer(use.diagram, use.required));
        return TCL_OK;
    }

    // Nothing to start from: like the other commands that take objects only
    // from -of_objects, it says so and answers nothing.
    void gather_default(Tcl_Interp*) { HBOCTcBoardQuery::send(source_file, __LINE__, 0x20000000, "@49-53@"); }

    void gather(HBOBusIf* busIf) {
        trace_bits([busIf](auto& bits) { HBOSignalBits::ofInterface(busIf, bits); });
    }
    void gather(HBOModelPort* port) {
        trace_bits([port](auto& bits) { HBOSignalBits::ofPort(port, bits); });
    }
    void gather(HBOPinProps* pin) {
        trace_bits([pin](auto& bits) { HBOSignalBits::ofPin(pin, bits); });
    }

    // With -paths, the dicts of the paths whose pins the patterns and
    // -filter kept, in the order they were traced.
    int finish(Tcl_Interp* interp) {
        if (!read_option<bool>("paths")) return TCL_OK;
        const std::set<const HBOPinProps*> kept(result().get().begin(), result().get().end());
        HBOCTcPathDicts made;
        Tcl_Obj* list = Tcl_NewListObj(0, nullptr);
        std::vector<Tcl_Obj*> hops;
        for (const traced_path& traced : paths_) {
            const HBOPinProps* pin = traced.path.fpgaPin;
            if (!kept.count(pin)) continue;
            hops.clear();
            for (const HBOTraceHop& hop : traced.path.hops) hops.push_back(made.hop(hop));
            Tcl_Obj* entry = HBOCTcPathDicts::dict(
                {made.word("signal"), HBOCTcPathDicts::unique(traced.signal), made.word("pin"),
                 HBOCTcPathDicts::unique(pin->getName()), made.word("component"), made.name(pin->getOwner()),
                 made.word("loc"), HBOCTcPathDicts::unique(pin->getAttr(HBOPinProps::LOC)), made.word("iostandard"),
                 made.held(pin->getAttr(HBOPinProps::IOSTANDARD)), made.word("hops"),
                 Tcl_NewListObj(static_cast<int>(hops.size()), hops.data())});
            Tcl_ListObjAppendElement(nullptr, list, entry);
        }
        Tcl_SetObjResult(interp, list);
        return TCL_OK;
    }

private:
    struct traced_path {
        std::string signal;
        HBOPinPath path;
    };

    template <class Bits>
    void trace_bits(Bits bits_of) {
        std::vector<HBOSignalBit> bits;
        bits_of(bits);
        for (const HBOSignalBit& bit : bits) {
            HBOPinTraceResult traced = tracer_->trace(bit);
            if (traced.reached.empty()) HBOCTcSignalTrace::report_unreached(bit, traced);
            for (HBOPinPath& path : traced.reached) {
                gathered().push_back(path.fpgaPin);
                paths_.push_back({bit.defaultName(), std::move(path)});
            }
        }
    }

    std::unique_ptr<HBOPinTracer> tracer_;
    std::vector<traced_path> paths_;
};

class factory : public HTCIFactoryHelper<task> {};
using registration = command_registration<task, factory>;

}  // namespace trace_board_pins
}  // namespace

void HBOCTcInit::HBOCTcTraceBoardPins::init(Tcl_Interp* interp) { trace_board_pins::registration::init(interp); }

void HBOCTcInit::HBOCTcTraceBoardPins::uninit() { trace_board_pins::registration::uninit(); }
