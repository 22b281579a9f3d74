// The bits of interfaces and interface ports, where traces start.
#include <string>
#include <vector>

#include "HBOBoardUtils.h"
#include "HBOPinTrace.h"

namespace {

std::string boardNameOf(const HBOBoardComponent* component) {
    const HBOBoard* board = component ? component->getBoard() : nullptr;
    return board ? board->getName() : std::string("no board");
}

HBOSignalBit bitOf(HBOBusIf* busIf, HBOModelPort* port, const std::string& logicalPort) {
    HBOSignalBit bit;
    bit.busIf = busIf;
    bit.port = port;
    bit.logicalPort = logicalPort;
    bit.component = port->getOwner();
    return bit;
}

// Schema 2: the pins the port's pin map names, in port-index order. A port
// is a vector when it gives left or right, or maps more than one pin.
void appendMappedBits(HBOBusIf* busIf, HBOModelPort* port, const std::string& logicalPort,
                      std::vector<HBOSignalBit>& bits) {
    const HBOPinPortMap& map = port->getPinPortMap();
    const bool vector = !port->getLeft().empty() || !port->getRight().empty() || map.size() > 1;
    for (const auto& entry : map) {
        HBOSignalBit bit = bitOf(busIf, port, logicalPort);
        if (vector) bit.bit = entry.first;
        bit.pin = bit.component ? bit.component->findPin(entry.second) : nullptr;
        if (!bit.pin) {
            bit.problem = "its pin map names pin " + entry.second + ", which " +
                          (bit.component ? bit.component->getComponentName() : std::string("the port's component")) +
                          " does not have";
        }
        bits.push_back(std::move(bit));
    }
}

// Older boards: the pins of the pin file's port, numbered in file order.
void appendPortPinBits(HBOBusIf* busIf, HBOModelPort* port, const std::string& logicalPort,
                       std::vector<HBOSignalBit>& bits) {
    std::vector<HBOPinProps*> pins;
    port->getPortPropsSeq(pins);
    for (std::size_t i = 0; i < pins.size(); ++i) {
        HBOSignalBit bit = bitOf(busIf, port, logicalPort);
        if (pins.size() > 1) bit.bit = std::to_string(i);
        bit.pin = pins[i];
        bits.push_back(std::move(bit));
    }
}

// The interface of an older board whose port map names the pin file's port.
HBOBusIf* interfaceNaming(const HBOModelPort* port, std::string& logicalPort) {
    if (!port->getOwner()) return nullptr;
    std::vector<HBOBusIf*> interfaces;
    port->getOwner()->getInterfacesVec(interfaces);
    for (HBOBusIf* busIf : interfaces) {
        std::vector<HBOPortMap*> maps;
        busIf->getPortMapSeq(maps);
        for (const HBOPortMap* map : maps) {
            if (map->getPhysicalPort() != port->getName()) continue;
            logicalPort = map->getLogicalPort();
            return busIf;
        }
    }
    return nullptr;
}

}  // namespace

std::string HBOSignalBit::defaultName() const {
    std::string name;
    if (busIf) {
        name = busIf->getName() + "_" + logicalPort;
    } else if (port) {
        name = port->getName();
    } else {
        return pin ? pin->getName() : std::string();
    }
    return bit.empty() ? name : name + "[" + bit + "]";
}

std::string HBOSignalBit::describe() const {
    const std::string board = boardNameOf(component);
    if (!busIf && !port) {
        const std::string owner = component ? component->getComponentName() : std::string("no component");
        return "pin " + defaultName() + " of " + owner + " on " + board;
    }
    std::string where = bit.empty() ? std::string() : "bit " + bit + " of ";
    where += port ? "port " + port->getName() : "logical port " + logicalPort;
    if (busIf) where += " of interface " + busIf->getName();
    return defaultName() + " (" + where + " on " + board + ")";
}

namespace HBOSignalBits {

void ofInterface(HBOBusIf* busIf, std::vector<HBOSignalBit>& bits) {
    HBOBoardComponent* owner = busIf->getOwnerComponent();
    if (!owner) return;
    if (HBOBoardUtils::isV2SchemaBoard(busIf)) {
        for (const auto& logical : busIf->getPortMaps())
            if (logical.second) appendMappedBits(busIf, logical.second, logical.first, bits);
        return;
    }
    std::vector<HBOPortMap*> maps;
    busIf->getPortMapSeq(maps);
    for (const HBOPortMap* map : maps) {
        HBOModelPort* port = nullptr;
        if (owner->getModelPortByName(port, map->getPhysicalPort())) {
            appendPortPinBits(busIf, port, map->getLogicalPort(), bits);
            continue;
        }
        HBOSignalBit missing;
        missing.busIf = busIf;
        missing.logicalPort = map->getLogicalPort();
        missing.component = owner;
        missing.problem = "its port map names port " + map->getPhysicalPort() + ", which the pin file of " +
                          owner->getComponentName() + " does not have";
        bits.push_back(std::move(missing));
    }
}

void ofPort(HBOModelPort* port, std::vector<HBOSignalBit>& bits) {
    if (HBOBoardUtils::isV2SchemaBoard(port)) {
        appendMappedBits(port->getBusIf(), port, port->getLogicalPort(), bits);
        return;
    }
    std::string logicalPort = port->getName();
    HBOBusIf* busIf = interfaceNaming(port, logicalPort);
    appendPortPinBits(busIf, port, logicalPort, bits);
}

void ofPin(HBOPinProps* pin, std::vector<HBOSignalBit>& bits) {
    HBOSignalBit bit;
    bit.pin = pin;
    bit.component = pin->getOwner();
    bits.push_back(std::move(bit));
}

}  // namespace HBOSignalBits
