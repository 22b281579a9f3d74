// ::board::get_board_part_pins: the pins of the current board part, of given
// bus interfaces or of given interface ports. Schema-2 boards name pins in
// the interfaces' pin maps; older boards group them by port in the pin file.
#include "HBOBoardModel.h"
#include "HBOBoardUtils.h"
#include "HBOCTcInit.h"
#include "HBOCTcPartQuery.h"
#include "tcl_query.h"

namespace {
namespace common_get_board_part_pins {

using namespace tov::tcltasks;

struct tcl_extension {};
struct tuid {};
using scope = tcl_scope<tcl_extension, tuid>;

const char* const source_file = "board/common/tcltasks/HBOCTcPartPins";

class task : public query_task<task, scope, HBOPinProps*, of_types<HBOBusIf*, HBOModelPort*>> {
public:
    static constexpr const char* command_name = "::board::get_board_part_pins";
    static constexpr query_description description = {"Gets the list of board_part pins object",
                                                      "list of pins in the board_part", "Object:Board",
                                                      "match board_part pin names against patterns", nullptr};

    const char* owner() const override { return "board.common"; }

    // Older boards: the pins port by port, in the pin file's order.
    void gather_default(Tcl_Interp* interp) {
        HBOBoardComponent* part = HBOCTcPartQuery::current_part(interp, source_file, __LINE__);
        if (!part->getBoard()) HBOCTcPartQuery::no_current_part(source_file, __LINE__);
        if (HBOBoardUtils::isV2SchemaBoard(part)) {
            part->getPinsVec(gathered());
            return;
        }
        std::vector<HBOModelPort*> ports;
        part->getModelPortSeq(ports);
        for (HBOModelPort* port : ports) append_port_pins(port);
    }

    // Schema 2: the pins the interface's pin maps name, port by port in map
    // order, skipping names the owner has no pin of. Older boards: the pins
    // of the pin-file port each port map names.
    void gather(HBOBusIf* busIf) {
        HBOBoardComponent* owner = busIf->getOwnerComponent();
        if (!owner) return;
        if (HBOBoardUtils::isV2SchemaBoard(busIf)) {
            for (const auto& logical : busIf->getPortMaps()) {
                if (!logical.second) continue;
                for (const auto& mapped : logical.second->getPinPortMap())
                    if (HBOPinProps* pin = owner->findPin(mapped.second)) gathered().push_back(pin);
            }
            return;
        }
        std::vector<HBOPortMap*> maps;
        busIf->getPortMapSeq(maps);
        for (const HBOPortMap* map : maps) {
            HBOModelPort* port = nullptr;
            owner->getModelPortByName(port, map->getPhysicalPort());
            if (port) append_port_pins(port);
        }
    }

    void gather(HBOModelPort* port) {
        if (HBOBoardUtils::isV2SchemaBoard(port)) {
            port->getPins(gathered());
        } else {
            append_port_pins(port);
        }
    }

private:
    void append_port_pins(const HBOModelPort* port) { port->getPortPropsSeq(gathered()); }
};

class factory : public HTCIFactoryHelper<task> {};
using registration = command_registration<task, factory>;

}  // namespace common_get_board_part_pins
}  // namespace

void HBOCTcInit::HBOCTcPartPins::init(Tcl_Interp* interp) { common_get_board_part_pins::registration::init(interp); }

void HBOCTcInit::HBOCTcPartPins::uninit() { common_get_board_part_pins::registration::uninit(); }
