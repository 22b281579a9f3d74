// The interface ports of a pin, from the index a component builds on first
// use: the order and repeats of the walk over its interfaces (interfaces in
// order, ports in map order, once per naming entry), also after an interface
// is added and in deep copies.
#include <gtest/gtest.h>

#include "board_test_support.h"

using Ports = std::vector<HBOModelPort*>;

namespace {

Ports indexedPortsOfPin(const HBOBoardComponent& component, const std::string& pin) {
    Ports ports{nullptr};  // appended after what the caller holds
    component.getInterfacePortsOfPin(pin, ports);
    EXPECT_EQ(ports.front(), nullptr);
    return Ports(ports.begin() + 1, ports.end());
}

HBOBusIf* addInterface(HBOBoardComponent& component, const std::string& name,
                       const std::vector<std::pair<std::string, std::vector<std::string>>>& portMaps) {
    HBOBusIf::Attributes attributes;
    attributes.name = name;
    HBOBusIf* busIf = component.addBusIf(std::make_unique<HBOBusIf>(attributes, &component));
    for (const auto& map : portMaps) {
        const std::string physical = name + "_" + map.first;
        auto port = std::make_unique<HBOModelPort>(physical, "inout", "", "", &component);
        for (std::size_t i = 0; i < map.second.size(); ++i) port->addPinMap(std::to_string(i), map.second[i]);
        busIf->addPortMap(std::make_unique<HBOPortMap>(map.first, physical), std::move(port));
    }
    return busIf;
}

HBOBoardComponent::Attributes fpgaAttributes() {
    HBOBoardComponent::Attributes attributes;
    attributes.name = "part0";
    attributes.type = "fpga";
    return attributes;
}

// A part with pins "A" and "a"; port maps in file order Z, M, B, so that map
// order (B, M, Z) differs from file order.
struct Part {
    HBOBoard board;
    HBOBoardComponent* part = board.addComponent(std::make_unique<HBOBoardComponent>(fpgaAttributes(), &board));
    HBOBusIf* first = nullptr;
    HBOBusIf* second = nullptr;
    Part() {
        std::vector<HBOPinProps> pins;
        pins.emplace_back("A", 0, part);
        pins.emplace_back("a", 1, part);
        part->setInlinePins(std::move(pins));
        first = addInterface(*part, "first", {{"Z", {"A", "A"}}, {"M", {"a"}}, {"B", {"A"}}});
        second = addInterface(*part, "second", {{"X", {"A", "missing"}}});
    }
    HBOModelPort* port(HBOBusIf* busIf, const std::string& logical) { return busIf->getPortMaps().at(logical); }
};

}  // namespace

TEST(PinPortWalks, PortsOfAPinInWalkOrderWithRepeatsAndExactNames) {
    Part p;
    const Ports ofA{p.port(p.first, "B"), p.port(p.first, "Z"), p.port(p.first, "Z"), p.port(p.second, "X")};
    EXPECT_EQ(indexedPortsOfPin(*p.part, "A"), ofA);
    EXPECT_EQ(indexedPortsOfPin(*p.part, "a"), Ports{p.port(p.first, "M")});
    EXPECT_TRUE(indexedPortsOfPin(*p.part, "b").empty());
    EXPECT_NE(p.part->findPin("A"), p.part->findPin("a"));
    EXPECT_EQ(p.part->findPin("a")->getName(), "a");

    // An interface added after the first question is seen by the next one.
    HBOBusIf* third = addInterface(*p.part, "third", {{"Q", {"a"}}});
    EXPECT_EQ(indexedPortsOfPin(*p.part, "a"), (Ports{p.port(p.first, "M"), p.port(third, "Q")}));
    EXPECT_EQ(p.port(third, "Q")->getBusIf(), third);
    EXPECT_EQ(p.port(third, "Q")->getLogicalPort(), "Q");
}

TEST(PinPortWalks, DeepCopiesAnswerWithTheirOwnPorts) {
    Part p;
    indexedPortsOfPin(*p.part, "A");  // the original's index exists before the copy
    HBOBoard copy(p.board, "instance");
    HBOBoardComponent* part = copy.findFpgaComponent();
    const Ports ports = indexedPortsOfPin(*part, "A");
    ASSERT_EQ(ports.size(), 4u);
    for (HBOModelPort* port : ports) {
        EXPECT_EQ(port->getOwner(), part);
        EXPECT_EQ(port->getBusIf()->getOwnerComponent(), part);
        EXPECT_EQ(port->getBusIf()->getPortMaps().at(port->getLogicalPort()), port);
    }
    EXPECT_EQ(ports[1], ports[2]);  // the port that names "A" twice
}
