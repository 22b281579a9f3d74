// ::board::trace_board_pins: the FPGA pins that interfaces, interface ports
// or component pins of any board reach, through bus nets and, in a board
// diagram, through the connector pairs it joins. With -paths, one dict per
// pin reached, with every hop on the way.
#include <memory>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "HBOCTcBoardQuery.h"
#include "HBOCTcInit.h"
#include "HBOCTcSignalTrace.h"
#include "tcl_obj_ref.h"
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

// Builds the dicts of -paths as lists of keys and values (a dict's own
// string form), sharing one Tcl object per key word and per name of a board,
// component, bus or repeated text: a board's thousands of paths name few.
class dict_builder {
public:
    // What a shared object stands for; the same pointer may stand for two.
    enum kind { word_of, name_of, component_name_of, text_of, kinds };

    Tcl_Obj* word(const char* literal) {
        return shared(word_of, literal, [literal] { return std::string(literal); });
    }
    template <class Named>
    Tcl_Obj* name(const Named* object) {
        return shared(name_of, object, [object] { return object ? object->getName() : std::string(); });
    }
    // A text held by the model, found by its address.
    Tcl_Obj* held(const std::string& value) {
        return shared(text_of, &value, [&value] { return value; });
    }
    Tcl_Obj* text(const std::string& value) {
        auto found = texts_.find(value);
        if (found == texts_.end()) found = texts_.emplace(value, tcl_obj_ref(unique(value))).first;
        return found->second.get();
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
                return dict({word("kind"), word("pin"), word("board"), name(hop.board), word("instance"),
                             text(hop.instance), word("component"), component_name(hop.pin->getOwner()), word("pin"),
                             unique(hop.pin->getName())});
            case HBOTraceHop::Kind::net:
                return dict({word("kind"), word("net"), word("board"), name(hop.board), word("instance"),
                             text(hop.instance), word("bus"), name(hop.net->getOwner()), word("net"),
                             unique(hop.net->getName())});
            case HBOTraceHop::Kind::connection:
                return dict({word("kind"), word("connection"), word("diagram"), name(hop.board), word("from"),
                             text(hop.from), word("to"), text(hop.to)});
        }
        return nullptr;
    }

private:
    Tcl_Obj* component_name(const HBOBoardComponent* component) {
        return shared(component_name_of, component,
                      [component] { return component ? component->getComponentName() : std::string(); });
    }

    template <class Text>
    Tcl_Obj* shared(kind what, const void* key, Text text_of_key) {
        std::unordered_map<const void*, tcl_obj_ref>& cache = shared_[what];
        auto found = cache.find(key);
        if (found == cache.end()) found = cache.emplace(key, tcl_obj_ref(unique(text_of_key()))).first;
        return found->second.get();
    }

    std::unordered_map<const void*, tcl_obj_ref> shared_[kinds];
    std::unordered_map<std::string, tcl_obj_ref> texts_;
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
        dict_builder made;
        Tcl_Obj* list = Tcl_NewListObj(0, nullptr);
        std::vector<Tcl_Obj*> hops;
        for (const traced_path& traced : paths_) {
            const HBOPinProps* pin = traced.path.fpgaPin;
            if (!kept.count(pin)) continue;
            hops.clear();
            for (const HBOTraceHop& hop : traced.path.hops) hops.push_back(made.hop(hop));
            Tcl_Obj* entry = dict_builder::dict(
                {made.word("signal"), dict_builder::unique(traced.signal), made.word("pin"),
                 dict_builder::unique(pin->getName()), made.word("component"), made.name(pin->getOwner()),
                 made.word("loc"), dict_builder::unique(pin->getAttr(HBOPinProps::LOC)), made.word("iostandard"),
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
