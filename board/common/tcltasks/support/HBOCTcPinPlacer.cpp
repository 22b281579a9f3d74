#include "HBOCTcPinPlacer.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <set>

#include "HBOBoardModel.h"
#include "HBOBoardUtils.h"
#include "HBOCTcBoardQuery.h"
#include "HTCErrors.h"

namespace {

const char* const source_file = "board/common/tcltasks/support/HBOCTcPinPlacer";

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
            HBOCTcBoardQuery::warn(source_file, __LINE__, "@49-124@", {busIf.getName(), parameter->getName(), value});
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

}  // namespace

HBOCTcPinPlacer::HBOCTcPinPlacer(const HBOCTcSignalTrace::diagram_use& use, const std::vector<HBOSignalBit>& bits,
                                 HBOCTcPortNames& names)
    : bits_(bits) {
    HBOPinTracer tracer(use.diagram, use.required);
    for (std::size_t b = 0; b < bits_.size(); ++b) place(tracer, b, names);
}

void HBOCTcPinPlacer::place(HBOPinTracer& tracer, std::size_t b, HBOCTcPortNames& names) {
    const HBOSignalBit& bit = bits_[b];
    const HBOPinTraceResult traced = tracer.trace(bit);
    if (traced.reached.empty()) return HBOCTcSignalTrace::report_unreached(bit, traced);
    if (traced.reached.size() > 1) {
        std::vector<std::string> pins;
        for (const HBOPinPath& path : traced.reached) pins.push_back(path.fpgaPin->getName());
        return HBOCTcBoardQuery::warn(
            source_file, __LINE__, "@49-121@",
            {bit.describe(), std::to_string(pins.size()), HBOCTcSignalTrace::excerpt_list(pins)});
    }
    const HBOPinProps* pin = traced.reached[0].fpgaPin;
    for (const HBOTraceHop& hop : traced.reached[0].hops)
        if (hop.kind == HBOTraceHop::Kind::connection) diagram_ = hop.board;
    if (!fpga_) fpga_ = pin->getOwner();
    if (pin->getOwner() != fpga_) {
        return HBOCTcBoardQuery::warn(source_file, __LINE__, "@49-126@",
                                      {bit.describe(), pin->getName(), pin->getOwner()->getName(), fpga_->getName()});
    }
    const std::string name = names.of(bit);
    if (name.empty()) return;
    auto named = by_name_.find(name);
    if (named != by_name_.end()) {
        if (placements_[named->second].pin == pin) return;  // the same bit given twice
        throw HTCErrors::error("port name \"" + name + "\" is given to two port bits, at FPGA pins " +
                                   placements_[named->second].pin->getName() + " and " + pin->getName(),
                               HEXAll::Kind::value, "-port_names");
    }
    auto taken = by_pin_.find(pin);
    if (taken != by_pin_.end()) {
        const std::string& first = placements_[taken->second].port;
        return HBOCTcBoardQuery::warn(source_file, __LINE__, "@49-122@", {first, name, pin->getName(), name});
    }
    by_name_[name] = by_pin_[pin] = placements_.size();
    placements_.push_back({name, pin});
    placed_bits_.push_back(b);
}

std::vector<HBOCTcPinPlacer::Clock> HBOCTcPinPlacer::clocks() const {
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

const HBOSignalBit* HBOCTcPinPlacer::first_bit_of(const HBOBusIf* busIf, const HBOModelPort* port) const {
    for (const HBOSignalBit& bit : bits_)
        if (bit.busIf == busIf && bit.port == port) return &bit;
    return nullptr;
}

std::size_t HBOCTcPinPlacer::placement_of(const HBOSignalBit* bit) const {
    for (std::size_t p = 0; p < placed_bits_.size(); ++p)
        if (&bits_[placed_bits_[p]] == bit) return p;
    return std::string::npos;
}
