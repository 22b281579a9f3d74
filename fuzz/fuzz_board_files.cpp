// The board-file readers on any bytes: the input is written to a file and
// read as a board file (board.xml or integrated), then as a pin file and a
// preset file of a board; every getter that reads more is called.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "HBOBoardInternal.h"
#include "HBOBoardModel.h"
#include "HBOParser.h"
#include "fuzz_support.h"

namespace {

// The file the input is written to; removed when the run ends.
const std::string& scratchFile() {
    static const std::string path = "/tmp/zem_fuzz_board_" + std::to_string(::getpid()) + ".xml";
    static const bool removedAtExit = (std::atexit([] { std::remove(path.c_str()); }), true);
    (void)removedAtExit;
    return path;
}

void walkBoard(const HBOBoard& board) {
    std::vector<HBOBoardComponent*> components;
    board.getBoardComponentsVec(components);
    for (HBOBoardComponent* component : components) {
        std::vector<HBOPinProps*> pins;
        component->getPinsVec(pins);
        component->findPinByIndex(0);
    }
    std::vector<HBOBoardBus*> buses;
    board.getBuses(buses);
    for (HBOBoardBus* bus : buses) {
        std::vector<HBOBoardBusNet*> nets;
        bus->getBoardBusNets(nets);
        std::vector<HBOPinProps*> pins;
        if (!nets.empty()) nets.front()->getPinsVec(pins);
    }
    std::vector<HBOBusIf*> interfaces;
    board.getBusIfSeq(interfaces);
    for (HBOBusIf* busIf : interfaces)
        for (const auto& port : busIf->getPortMaps()) {
            std::vector<HBOPinProps*> pins;
            port.second->getPins(pins);
        }
    board.getIpPresets();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    silenceMessages();
    {
        std::ofstream out(scratchFile(), std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    HBOBoard board;
    if (HBOParser().parseFile(scratchFile(), &board)) walkBoard(board);

    HBOBoardComponent::Attributes attributes;
    attributes.name = "part0";
    attributes.type = "fpga";
    attributes.pinMapFile = scratchFile();
    HBOBoard owner;
    HBOBoardComponent* part = owner.addComponent(std::make_unique<HBOBoardComponent>(attributes, &owner));
    std::vector<HBOPinProps*> pins;
    part->getPinsVec(pins);
    part->findPin("a");
    std::vector<HBOModelPort*> ports;
    part->getModelPortSeq(ports);

    owner.setPresetFile(scratchFile());
    owner.getIpPresets();
    return 0;
}
