// Where ::board::write_pin_constraints puts each port bit: the one FPGA pin
// it reaches, under its design name, and the clocks the interfaces'
// parameters give. A bit that reaches no pin, several pins, a pin of another
// FPGA or a pin already taken is left out with a warning.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "HBOCOutPinConstraintText.h"
#include "HBOCTcPortNames.h"
#include "HBOCTcSignalTrace.h"
#include "HBOPinTrace.h"

class HBOCTcPinPlacer {
public:
    using Placement = HBOCOutPinConstraintText::Placement;
    using Clock = HBOCOutPinConstraintText::Clock;

    // Traces and places every bit, in order; the first FPGA reached is the
    // one the file is for. Throws a VALUE error of -port_names for a name
    // given to two bits at different pins.
    HBOCTcPinPlacer(const HBOCTcSignalTrace::diagram_use& use, const std::vector<HBOSignalBit>& bits,
                    HBOCTcPortNames& names);

    const std::vector<Placement>& placements() const { return placements_; }

    // A clock for each interface whose parameters give a frequency, on the
    // first bit of its first port, when that bit was placed.
    std::vector<Clock> clocks() const;

    // The FPGA the file is for, and the diagram a bit was placed through; null for none.
    const HBOBoardComponent* fpga() const { return fpga_; }
    const HBOBoard* diagram() const { return diagram_; }

private:
    void place(HBOPinTracer& tracer, std::size_t b, HBOCTcPortNames& names);
    const HBOSignalBit* first_bit_of(const HBOBusIf* busIf, const HBOModelPort* port) const;
    std::size_t placement_of(const HBOSignalBit* bit) const;

    const std::vector<HBOSignalBit>& bits_;
    std::vector<Placement> placements_;
    std::vector<std::size_t> placed_bits_;  // the bit of each placement
    std::map<std::string, std::size_t> by_name_;
    std::map<const HBOPinProps*, std::size_t> by_pin_;
    const HBOBoardComponent* fpga_ = nullptr;
    const HBOBoard* diagram_ = nullptr;
};
