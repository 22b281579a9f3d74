// ::board::trace_board_pins: the FPGA pins that interfaces, interface ports
// or component pins of any board reach, through bus nets and, in a board
// diagram, through the connector pairs it joins. With -paths, one dict per
// pin reached, with every hop on the way.
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "HBOCTcInit.h"
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

// A Tcl dict built key by key.
class dict {
public:
    dict() : obj_(Tcl_NewDictObj()) {}
    dict& put(const char* key, const std::string& value) {
        return put(key, Tcl_NewStringObj(value.data(), static_cast<int>(value.size())));
    }
    dict& put(const char* key, Tcl_Obj* value) {
        Tcl_DictObjPut(nullptr, obj_, Tcl_NewStringObj(key, -1), value);
        return *this;
    }
    Tcl_Obj* obj() const { return obj_; }

private:
    Tcl_Obj* obj_;
};

std::string name_or_empty(const HBOBoard* board) { return board ? board->getName() : std::string(); }

Tcl_Obj* hop_dict(const HBOTraceHop& hop) {
    dict entry;
    switch (hop.kind) {
        case HBOTraceHop::Kind::pin:
            entry.put("kind", "pin")
                .put("board", name_or_empty(hop.board))
                .put("instance", hop.instance)
                .put("component", hop.pin->getOwner() ? hop.pin->getOwner()->getComponentName() : std::string())
                .put("pin", hop.pin->getName());
            break;
        case HBOTraceHop::Kind::net:
            entry.put("kind", "net")
                .put("board", name_or_empty(hop.board))
                .put("instance", hop.instance)
                .put("bus", hop.net->getOwner() ? hop.net->getOwner()->getName() : std::string())
                .put("net", hop.net->getName());
            break;
        case HBOTraceHop::Kind::connection:
            entry.put("kind", "connection")
                .put("diagram", name_or_empty(hop.board))
                .put("from", hop.from)
                .put("to", hop.to);
            break;
    }
    return entry.obj();
}

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
        const diagram_choice given = read_option<diagram_choice>("diagram");
        const HBOCTcSignalTrace::diagram_use use =
            HBOCTcSignalTrace::choose_diagram(specified_option("diagram") ? &given : nullptr);
        tracer_.reset(new HBOPinTracer(use.diagram, use.required));
        return TCL_OK;
    }

    // Nothing to start from: what to trace must be given.
    void gather_default(Tcl_Interp*) {
        throw HTCErrors::error(
            "-of_objects is required: give the interfaces, interface ports or component pins to trace",
            HEXAll::Kind::usage, "-of_objects");
    }

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
        Tcl_Obj* list = Tcl_NewListObj(0, nullptr);
        for (const traced_path& traced : paths_) {
            if (!kept.count(traced.path.fpgaPin)) continue;
            Tcl_Obj* hops = Tcl_NewListObj(0, nullptr);
            for (const HBOTraceHop& hop : traced.path.hops) Tcl_ListObjAppendElement(nullptr, hops, hop_dict(hop));
            const HBOPinProps* pin = traced.path.fpgaPin;
            dict entry;
            entry.put("signal", traced.signal)
                .put("pin", pin->getName())
                .put("component", pin->getOwner() ? pin->getOwner()->getName() : std::string())
                .put("loc", pin->getProperty("LOC"))
                .put("iostandard", pin->getProperty("IOSTANDARD"))
                .put("hops", hops);
            Tcl_ListObjAppendElement(nullptr, list, entry.obj());
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
