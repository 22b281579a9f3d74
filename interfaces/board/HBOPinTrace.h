// Following signals to the FPGA pins they reach: from a pin of any board,
// through the nets of that board's buses and, in an integrated board
// diagram, through the connector pairs the diagram joins, to pins of an
// FPGA component (docs/pin-constraints.md).
//
// The bits of interfaces and interface ports are where signals start;
// HBOPinTracer follows each start pin breadth first and keeps every hop.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "HBOBoardModel.h"

// One bit of an interface port, or a component pin given on its own.
struct HBOSignalBit {
    HBOBusIf* busIf = nullptr;               // null for a pin, or an older board's port no interface names
    HBOModelPort* port = nullptr;            // null for a pin given on its own
    std::string logicalPort;                 // the port map's logical port
    std::string bit;                         // the bit's index in a vector port; empty for a scalar port
    HBOPinProps* pin = nullptr;              // the pin the bit's pin map names; null when it cannot be found
    std::string problem;                     // why there is no pin
    HBOBoardComponent* component = nullptr;  // the component whose pin it is

    // "<interface>_<logical port>", then "[<bit>]" for a bit of a vector
    // port; without interface the port's name; a pin given on its own is its name.
    std::string defaultName() const;
    // The default name and where it comes from, for messages.
    std::string describe() const;
};

namespace HBOSignalBits {
// Every port of the interface: schema 2 in logical-port order (as
// get_board_part_pins lists them), each port's bits in port-index order;
// older boards: the port maps in file order, each port's pins in the pin
// file's order.
void ofInterface(HBOBusIf* busIf, std::vector<HBOSignalBit>& bits);
void ofPort(HBOModelPort* port, std::vector<HBOSignalBit>& bits);
void ofPin(HBOPinProps* pin, std::vector<HBOSignalBit>& bits);
}  // namespace HBOSignalBits

// One step of a path.
struct HBOTraceHop {
    enum class Kind { pin, net, connection };
    Kind kind = Kind::pin;
    const HBOBoard* board = nullptr;  // pin, net: the board; connection: the diagram
    std::string instance;             // pin, net: the diagram's instance name; empty without diagram
    HBOPinProps* pin = nullptr;       // pin
    HBOBoardBusNet* net = nullptr;    // net
    std::string from, to;             // connection: "instance#component" of each side, as travelled
};

// A path from a start pin to an FPGA pin: the start pin first, the FPGA
// pin last, and what joins each pin to the next between them.
struct HBOPinPath {
    HBOPinProps* fpgaPin = nullptr;
    std::vector<HBOTraceHop> hops;
};

struct HBOPinTraceResult {
    std::vector<HBOPinPath> reached;  // nearer pins first
    std::vector<std::string> stops;   // when nothing is reached: where each branch ends, and why
};

class HBOPinTracer {
public:
    // diagram: the diagram whose connector pairs join its instances, or
    // null to follow the start pin's own board only. With required, a start
    // on a board the diagram does not hold is an error; without, that start
    // is followed on its own board.
    HBOPinTracer(const HBOBoard* diagram, bool required);
    ~HBOPinTracer();
    HBOPinTracer(const HBOPinTracer&) = delete;
    HBOPinTracer& operator=(const HBOPinTracer&) = delete;

    // Follows the pin. Bus nets are followed when the bus and the net are
    // enabled (exactly "true", as get_board_bus_nets judges them); connector
    // pairs join pins of the same index. An FPGA pin ends a branch.
    // Throws HEXDataException (detail "loop") when a pin is reached a second
    // time, and HEXError when the pin's board cannot be placed in a required
    // diagram or is placed there twice.
    HBOPinTraceResult trace(HBOPinProps* start);
    // A bit: its pin, or the stop that names the missing pin.
    HBOPinTraceResult trace(const HBOSignalBit& bit);

    // "pin P1_1 of P1 on leds (zephyr-labs.org:lumen_leds:1.0)": a hop's pin, for messages.
    static std::string describePin(const HBOTraceHop& hop);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};
