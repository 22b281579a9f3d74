// ::board::get_board_interface_ports: the interface ports of given bus
// interfaces of schema-2 boards, or those whose pin maps name given pins.
#include <tcl.h>

#include "ComMsgMgr.h"
#include "HBOBoardModel.h"
#include "HBOBoardUtils.h"
#include "HBOCTcBoardQuery.h"
#include "HBOCTcInit.h"
#include "tcl_query.h"

namespace {
namespace get_board_interface_ports {

using namespace tov::tcltasks;

struct tcl_extension {};
struct tuid {};
using scope = tcl_scope<tcl_extension, tuid>;

const char* const source_file = "board/common/tcltasks/HBOCTcPartPorts";

class task : public query_task<task, scope, HBOModelPort*, of_types<HBOBusIf*, HBOPinProps*>> {
public:
    static constexpr const char* command_name = "::board::get_board_interface_ports";
    static constexpr query_description description = {"Gets the list of interface ports object",
                                                      "list of ports in the given interface", "Object:Board",
                                                      "match interface port names against patterns", nullptr};

    const char* owner() const override { return "board.common"; }

    int check(Tcl_Interp*) { return HBOCTcBoardQuery::schema2_gate(source_file, __LINE__); }

    // There is no current interface: a report and an empty result.
    void gather_default(Tcl_Interp*) {
        ComMsgMgr::sendMsg::eval(0, source_file, __LINE__, "board", 0x20000000, "@49-53@");
    }

    // Interfaces of older boards have no ports of their own and give nothing.
    void gather(HBOBusIf* busIf) {
        if (!HBOBoardUtils::isSchema20OrGreater(busIf->getParentBoard())) return;
        for (const auto& logical : busIf->getPortMaps())
            if (logical.second) gathered().push_back(logical.second);
    }

    // Over every interface of the pin's component, the ports whose pin map
    // names the pin exactly (case-sensitive), once per naming entry.
    void gather(HBOPinProps* pin) {
        const HBOBoardComponent* owner = pin->getOwner();
        if (!owner) return;
        owner->getInterfacePortsOfPin(pin->getName(), gathered());
    }
};

class factory : public HTCIFactoryHelper<task> {};
using registration = command_registration<task, factory>;

}  // namespace get_board_interface_ports
}  // namespace

void HBOCTcInit::HBOCTcInterfacePorts::init(Tcl_Interp* interp) {
    get_board_interface_ports::registration::init(interp);
}

void HBOCTcInit::HBOCTcInterfacePorts::uninit() { get_board_interface_ports::registration::uninit(); }
