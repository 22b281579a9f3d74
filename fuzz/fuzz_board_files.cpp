// The board-file readers on any bytes: the input is written to a file and
// read as a board file (board.xml or integrated), then as a pin file and a
// preset file of a board; every getter that reads more or builds a lookup
// is called.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "fuzz_support.h"
#include "HBOBoardInternal.h"
#include "HBOBoardModel.h"
#include "HBOParser.h"

namespace {

// The file the input is written to, kept open: each input rewrites it in
// place (no open or close per input), in memory where /dev/shm exists.
// Removed when the run ends.
class ScratchFile {
public:
    ScratchFile() {
        const char* folder = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        path_ = std::string(folder) + "/zem_fuzz_board_" + std::to_string(::getpid()) + ".xml";
        fd_ = ::open(path_.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        if (fd_ < 0) std::abort();
    }
    ~ScratchFile() {
        ::close(fd_);
        std::remove(path_.c_str());
    }
    const std::string& write(const uint8_t* data, std::size_t size) {
        if (::ftruncate(fd_, static_cast<off_t>(size)) != 0 ||
            ::pwrite(fd_, data, size, 0) != static_cast<ssize_t>(size))
            std::abort();
        return path_;
    }

private:
    std::string path_;
    int fd_;
};

void walkBoard(const HBOBoard& board) {
    std::vector<HBOBoardComponent*> components;
    board.getBoardComponentsVec(components);
    for (HBOBoardComponent* component : components) {
        std::vector<HBOPinProps*> pins;
        component->getPinsVec(pins);
        component->findPinByIndex(0);
        if (!pins.empty()) component->findPin(pins.back()->getName());
    }
    std::vector<HBOBoardBus*> buses;
    board.getBuses(buses);
    for (HBOBoardBus* bus : buses) {
        std::vector<HBOBoardBusNet*> nets;
        bus->getBoardBusNets(nets);
        if (nets.empty()) continue;
        std::vector<HBOPinProps*> pins;
        nets.front()->getPinsVec(pins);
        board.getNetsOfPin(bus->getComp2(), nets.back()->getC2PinIndex(), nets);
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
    static ScratchFile scratch;
    silenceMessages();
    const std::string& path = scratch.write(data, size);
    HBOBoardFileRead read = HBOParser::readBoardFile(path);
    if (read.board) walkBoard(*read.board);

    HBOBoardComponent::Attributes attributes;
    attributes.name = "part0";
    attributes.type = "fpga";
    attributes.pinMapFile = path;
    HBOBoard owner;
    HBOBoardComponent* part = owner.addComponent(std::make_unique<HBOBoardComponent>(attributes, &owner));
    std::vector<HBOPinProps*> pins;
    part->getPinsVec(pins);
    part->findPin("a");
    if (!pins.empty()) part->findPinByIndex(pins.back()->getPinIndex());
    std::vector<HBOModelPort*> ports;
    part->getModelPortSeq(ports);

    owner.setPresetFile(path);
    owner.getIpPresets();
    return 0;
}
