// ::board::trace_board_pins: the FPGA pins that interfaces, interface ports
// or component pins of any board reach, through bus nets and, in a board
// diagram, through the connector pairs it joins. With -paths, one dict per
// pin reached, with every hop on the way.
#include <memory>
#include <set>
#include <string>
#include <unordered_map>
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

// Builds the dicts of -paths as lists of keys and values (a dict's own
// string form), sharing one Tcl object per key and per repeated text: a
// board's thousands of paths name few boards, components and kinds.
class dict_builder {
public:
    ~dict_builder() {
        for (auto& entry : texts_) Tcl_DecrRefCount(entry.second);
    }
    Tcl_Obj* text(const std::string& value) {
        auto found = texts_.find(value);
        if (found == texts_.end()) {
            Tcl_Obj* obj = Tcl_NewStringObj(value.data(), static_cast<int>(value.size()));
            Tcl_IncrRefCount(obj);
            found = texts_.emplace(value, obj).first;
        }
        return found->second;
    }
    static Tcl_Obj* unique(const std::string& value) {
        return Tcl_NewStringObj(value.data(), static_cast<int>(value.size()));
    }
    // pairs: key, value, key, value, ...
    static Tcl_Obj* dict(std::initializer_list<Tcl_Obj*> pairs) {
        return Tcl_NewListObj(static_cast<int>(pairs.size()), pairs.begin());
    }

    Tcl_Obj* hop(const HBOTraceHop& hop) {
        switch (hop.kind) {
            case HBOTraceHop::Kind::pin:
                return dict({text("kind"), text("pin"), text("board"), board(hop.board), text("instance"),
                             text(hop.instance), text("component"),
                             text(hop.pin->getOwner() ? hop.pin->getOwner()->getComponentName() : ""), text("pin"),
                             unique(hop.pin->getName())});
            case HBOTraceHop::Kind::net:
                return dict({text("kind"), text("net"), text("board"), board(hop.board), text("instance"),
                             text(hop.instance), text("bus"),
                             text(hop.net->getOwner() ? hop.net->getOwner()->getName() : ""), text("net"),
                             unique(hop.net->getName())});
            case HBOTraceHop::Kind::connection:
                return dict({text("kind"), text("connection"), text("diagram"), board(hop.board), text("from"),
                             text(hop.from), text("to"), text(hop.to)});
        }
        return nullptr;
    }

private:
    Tcl_Obj* board(const HBOBoard* board) { return text(board ? board->getName() : std::string()); }

    std::unordered_map<std::string, Tcl_Obj*> texts_;
};

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
        dict_builder made;
        Tcl_Obj* list = Tcl_NewListObj(0, nullptr);
        std::vector<Tcl_Obj*> hops;
        for (const traced_path& traced : paths_) {
            const HBOPinProps* pin = traced.path.fpgaPin;
            if (!kept.count(pin)) continue;
            hops.clear();
            for (const HBOTraceHop& hop : traced.path.hops) hops.push_back(made.hop(hop));
            Tcl_Obj* entry =
                dict_builder::dict({made.text("signal"), dict_builder::unique(traced.signal), made.text("pin"),
                                    dict_builder::unique(pin->getName()), made.text("component"),
                                    made.text(pin->getOwner() ? pin->getOwner()->getName() : std::string()),
                                    made.text("loc"), dict_builder::unique(pin->getProperty("LOC")),
                                    made.text("iostandard"), made.text(pin->getProperty("IOSTANDARD")),
                                    made.text("hops"), Tcl_NewListObj(static_cast<int>(hops.size()), hops.data())});
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
