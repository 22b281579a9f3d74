// Signal bits and traces to FPGA pins at the model's level: bit names, a
// diagram's connector pair followed by a net, a branch that ends nowhere,
// where a start board sits in a diagram, and every sample interface. The
// commands' traces (no, one and two connections, disabled nets, loops) are
// checked in tests/tcl/trace_board_pins.test.
#include <gtest/gtest.h>

#include "board_test_support.h"
#include "HBOPinTrace.h"
#include "HEXAll.h"

namespace {

const char* const kCarrier = "acme.test:carrier:1.0";
const char* const kModule = "acme.test:module:1.0";

class PinTraceTest : public ::testing::Test {
protected:
    RepoPaths repo{fixture("trace")};

    static HBOBoardComponent* component(const std::string& board, const std::string& name) {
        HBOBoard* found = repositoryBoard(board);
        EXPECT_NE(found, nullptr) << board;
        return found ? found->findComponent(name) : nullptr;
    }
    static std::vector<HBOSignalBit> bitsOf(const std::string& board, const std::string& componentName,
                                            const std::string& interfaceName) {
        std::vector<HBOSignalBit> bits;
        HBOSignalBits::ofInterface(component(board, componentName)->findBusIf(interfaceName), bits);
        return bits;
    }
    // The host carrier with the module on J1, as instances host and mod.
    static HBOBoard& diagram() {
        static HBOBoard* pair = [] {
            auto* board = new HBOBoard();
            board->setName("acme.test", "pair", "1.0");
            board->setIntegrated(true);
            board->addConnectedBoard("host", kCarrier);
            board->addConnectedBoard("mod", kModule);
            board->addConnectedComponents("mod", "P1", "host", "J1");
            return board;
        }();
        return *pair;
    }
};

// "pin:<name>", "net:<name>" or "connection:<from>><to>" for each hop.
std::vector<std::string> hopsOf(const HBOPinPath& path) {
    std::vector<std::string> hops;
    for (const HBOTraceHop& hop : path.hops) {
        switch (hop.kind) {
            case HBOTraceHop::Kind::pin:
                hops.push_back("pin:" + hop.instance + "/" + hop.pin->getName());
                break;
            case HBOTraceHop::Kind::net:
                hops.push_back("net:" + hop.net->getName());
                break;
            case HBOTraceHop::Kind::connection:
                hops.push_back("connection:" + hop.from + ">" + hop.to);
                break;
        }
    }
    return hops;
}

std::vector<std::string> namesOf(const std::vector<HBOSignalBit>& bits) {
    std::vector<std::string> names;
    for (const HBOSignalBit& bit : bits) names.push_back(bit.defaultName());
    return names;
}

}  // namespace

TEST_F(PinTraceTest, BitsAreNamedByInterfaceAndLogicalPortWithAnIndexForVectorPorts) {
    EXPECT_EQ(namesOf(bitsOf(kModule, "P1", "io")),
              (std::vector<std::string>{"io_EN", "io_OUT[0]", "io_OUT[1]", "io_OUT[2]"}));
    // left and right make a vector even of one bit.
    EXPECT_EQ(namesOf(bitsOf(kCarrier, "part0", "mem")), std::vector<std::string>{"mem_DQ[0]"});
    std::vector<HBOSignalBit> bits;
    HBOSignalBits::ofPort(component(kModule, "P1")->findBusIf("io")->getPortMaps().at("OUT"), bits);
    EXPECT_EQ(bits.at(1).describe(), "io_OUT[1] (bit 1 of port io_out of interface io on acme.test:module:1.0)");
}

TEST_F(PinTraceTest, OlderBoardsNumberTheBitsOfAPinFilePortInFileOrder) {
    RepoPaths sample(ZEM_TEST_DATA_DIR "/boards");
    const std::vector<HBOSignalBit> bits = bitsOf("acme.com:heron_s1:1.0", "part0", "user_leds");
    ASSERT_EQ(namesOf(bits), (std::vector<std::string>{"user_leds_OUT[0]", "user_leds_OUT[1]", "user_leds_OUT[2]",
                                                       "user_leds_OUT[3]"}));
    EXPECT_EQ(bits[2].pin->getName(), "led2");
    std::vector<HBOSignalBit> ofPort;
    HBOModelPort* port = nullptr;
    component("acme.com:heron_s1:1.0", "part0")->getModelPortByName(port, "uart_txd");
    HBOSignalBits::ofPort(port, ofPort);
    EXPECT_EQ(namesOf(ofPort), std::vector<std::string>{"uart_TXD"});
}

TEST_F(PinTraceTest, ADiagramConnectorPairAndANetLeadFromTheModuleToTheCarrierFpga) {
    HBOPinTracer tracer(&diagram(), true);
    const std::vector<HBOSignalBit> bits = bitsOf(kModule, "P1", "io");
    const HBOPinTraceResult out2 = tracer.trace(bits.at(3));
    ASSERT_EQ(out2.reached.size(), 1u);
    EXPECT_EQ(out2.reached[0].fpgaPin->getName(), "io2");
    EXPECT_EQ(out2.reached[0].fpgaPin->getOwner(), component(kCarrier, "part0"));
    EXPECT_EQ(hopsOf(out2.reached[0]), (std::vector<std::string>{"pin:mod/P1_3", "connection:mod#P1>host#J1",
                                                                 "pin:host/J1_3", "net:part0_J1_1_2", "pin:host/io2"}));
    // J1_4 is wired to nothing on the carrier.
    const HBOPinTraceResult enable = tracer.trace(bits.at(0));
    EXPECT_TRUE(enable.reached.empty());
    EXPECT_EQ(enable.stops,
              std::vector<std::string>{"the path stops at pin J1_4 of J1 on host (acme.test:carrier:1.0): "
                                       "nothing joins it to another pin"});
}

TEST_F(PinTraceTest, AStartBoardIsPlacedInTheDiagramByInstanceOrByItsOneInstance) {
    // An instance board of the module, named like the diagram's instance.
    HBOBoard* instance = new HBOBoard(*repositoryBoard(kModule), "mod");
    HBOPinTracer tracer(&diagram(), true);
    const HBOPinTraceResult result = tracer.trace(instance->findComponent("P1")->findPin("P1_2"));
    ASSERT_EQ(result.reached.size(), 1u);
    EXPECT_EQ(result.reached[0].hops.front().board, instance);
    EXPECT_EQ(result.reached[0].fpgaPin->getName(), "io1");

    // A board the diagram does not hold: an error when the diagram was asked
    // for, its own board otherwise.
    HBOPinProps* led = component(kCarrier, "led")->findPin("LED0");
    HBOBoard twice;
    twice.setName("acme.test", "twice", "1.0");
    twice.addConnectedBoard("a", kCarrier);
    twice.addConnectedBoard("b", kCarrier);
    EXPECT_THROW(HBOPinTracer(&twice, true).trace(led), HEXError);
    HBOBoard other;
    other.setName("acme.test", "other", "1.0");
    try {
        HBOPinTracer(&other, true).trace(led);
        FAIL() << "no error for a board outside the diagram";
    } catch (const HEXError& error) {
        EXPECT_EQ(std::string(error.what()),
                  "board acme.test:carrier:1.0 is not in diagram acme.test:other:1.0, whose instances are none");
    }
    EXPECT_EQ(HBOPinTracer(&other, false).trace(led).reached.size(), 1u);
}

TEST_F(PinTraceTest, EverySampleInterfaceTracesWithoutLoopAndFpgaInterfacesReachTheirOwnPins) {
    RepoPaths sample(ZEM_TEST_DATA_DIR "/boards");
    std::vector<HBOBoard*> boards;
    HBOBoardCReposMgr::getGlobal()->appendAllBoards(boards);
    std::size_t reached = 0;
    for (HBOBoard* board : boards) {
        std::vector<HBOBusIf*> interfaces;
        board->getBusIfSeq(interfaces);
        HBOPinTracer tracer(nullptr, false);
        for (HBOBusIf* busIf : interfaces) {
            std::vector<HBOSignalBit> bits;
            HBOSignalBits::ofInterface(busIf, bits);
            for (const HBOSignalBit& bit : bits) {
                const HBOPinTraceResult result = tracer.trace(bit);
                if (!busIf->getOwnerComponent()->isFpga()) continue;
                ASSERT_EQ(result.reached.size(), 1u) << bit.describe();
                EXPECT_EQ(result.reached[0].fpgaPin, bit.pin) << bit.describe();
                ++reached;
            }
        }
    }
    EXPECT_GT(reached, 100u);
}
