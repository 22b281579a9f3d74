// The board model: boards, their components, bus interfaces, buses, pins and
// the rest, as read from board files (docs/board-files.md).
//
// Ownership: a board owns everything below it, and every object knows its
// board (getBoard()). Boards of the repository, diagrams and instances live
// while anything still refers to them or one of their objects
// (docs/board-files.md, "Lifetime"); other boards are kept until the
// library unloads (see HBOBoard::operator new).
//
// List getters append to the caller's vector, in the model's fixed order
// (the order of the board file), keeping what the vector already holds.
// Getters that need pin or preset files load them on first use; they are
// logically const.
#pragma once

#include <algorithm>
#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "HBODroppedItem.h"

// The pin property names, in their fixed order. Each including file has its
// own copy.
static const std::string HBO_PIN_PROP_NAME("NAME");
static const std::string HBO_PIN_PROP_INDEX("INDEX");
static const std::string HBO_PIN_PROP_LOC("LOC");
static const std::string HBO_PIN_PROP_DIFF_TERM("DIFF_TERM");
static const std::string HBO_PIN_PROP_DRIVE("DRIVE");
static const std::string HBO_PIN_PROP_IOSTANDARD("IOSTANDARD");
static const std::string HBO_PIN_PROP_SLEW("SLEW");
static const std::string HBO_PIN_PROP_OUTPUT_IMPEDANCE("OUTPUT_IMPEDANCE");
static const std::string HBO_PIN_PROP_IBUF_LOW_PWR("IBUF_LOW_PWR");
static const std::string HBO_PIN_PROP_ODT("ODT");
static const std::string HBO_PIN_PROP_EQUALIZATION("EQUALIZATION");
static const std::string HBO_PIN_PROP_PRE_EMPHASIS("PRE_EMPHASIS");
static const std::string HBO_PIN_PROP_DQS_BIAS("DQS_BIAS");

// A fixed number of texts in one allocation, for the objects a listing
// holds thousands of: a std::string each costs 32 bytes even when empty.
template <std::size_t N>
class HBOPackedTexts {
public:
    explicit HBOPackedTexts(const std::array<const std::string*, N>& texts) {
        std::array<std::string_view, N> views;
        for (std::size_t i = 0; i < N; ++i) views[i] = *texts[i];
        pack(views);
    }
    explicit HBOPackedTexts(const std::array<std::string_view, N>& texts) { pack(texts); }
    HBOPackedTexts(const HBOPackedTexts& other) : ends_(other.ends_) {
        if (!other.data_) return;
        data_.reset(new char[ends_[N - 1]]);
        std::copy(other.data_.get(), other.data_.get() + ends_[N - 1], data_.get());
    }
    HBOPackedTexts& operator=(const HBOPackedTexts&) = delete;

    std::string_view view(std::size_t i) const {
        return data_ ? std::string_view(data_.get() + start(i), ends_[i] - start(i)) : std::string_view();
    }
    std::string text(std::size_t i) const { return std::string(view(i)); }

private:
    void pack(const std::array<std::string_view, N>& texts) {
        std::size_t size = 0;
        for (std::size_t i = 0; i < N; ++i) ends_[i] = static_cast<uint32_t>(size += texts[i].size());
        if (size == 0) return;
        data_.reset(new char[size]);
        for (std::size_t i = 0; i < N; ++i) texts[i].copy(data_.get() + start(i), texts[i].size());
    }
    uint32_t start(std::size_t i) const { return i == 0 ? 0 : ends_[i - 1]; }

    std::unique_ptr<char[]> data_;
    std::array<uint32_t, N> ends_{};  // where each text ends in data_
};

class HBOBoard;
class HBOBoardComponent;
class HBOPinStyleTable;
class HBOBoardBus;
class HBOBusIf;
class HBOPortMap;

// Texts packed: a listing holds tens of parameters per board.
class HBOParameter {
public:
    HBOParameter(std::string_view name, std::string_view value, std::string_view valueType);
    std::string getName() const { return texts_.text(NAME); }
    std::string getValue() const { return texts_.text(VALUE); }
    std::string getValueType() const { return texts_.text(VALUE_TYPE); }
    const HBOBoard* getBoard() const { return board_; }
    void setBoard(const HBOBoard* board) { board_ = board; }

private:
    enum Text { NAME, VALUE, VALUE_TYPE, TEXT_COUNT };
    HBOPackedTexts<TEXT_COUNT> texts_;
    const HBOBoard* board_ = nullptr;
};

class HBOJumper {
public:
    HBOJumper(std::string name, std::string defaultMode, std::string description);
    std::string getName() const { return name_; }
    const std::string& getDefaultMode() const { return defaultMode_; }
    const std::string& getDescription() const { return description_; }
    const HBOBoard* getBoard() const { return board_; }
    void setBoard(const HBOBoard* board) { board_ = board; }

private:
    std::string name_, defaultMode_, description_;
    const HBOBoard* board_ = nullptr;
};

// One pin of a component. NAME and LOC are the pin's own; the other
// attributes repeat across the pins of a part, so a pin points at one shared
// style that its pin file (or board file) keeps once for all pins alike.
class HBOPinProps {
public:
    // The text properties, in the order of the pin property names after NAME and INDEX.
    enum Attr {
        LOC,
        DIFF_TERM,
        DRIVE,
        IOSTANDARD,
        SLEW,
        OUTPUT_IMPEDANCE,
        IBUF_LOW_PWR,
        ODT,
        EQUALIZATION,
        PRE_EMPHASIS,
        DQS_BIAS,
        ATTR_COUNT
    };
    // A further attribute of the pin file: its name in capital letters and its value.
    using Extra = std::pair<const std::string*, const std::string*>;
    // What pins share: the attributes but LOC, the port of an older pin file,
    // and the further attributes in file order. Owned by the pins' component.
    struct Style {
        std::array<const std::string*, ATTR_COUNT> attrs;
        const std::string* port;
        std::vector<Extra> extras;
        bool operator==(const Style& other) const {
            return attrs == other.attrs && port == other.port && extras == other.extras;
        }
    };
    // The style of a pin that has no attribute but its name and index.
    static const Style& plainStyle();

    HBOPinProps(std::string name, uint32_t index, HBOBoardComponent* owner);
    const std::string& getName() const { return name_; }
    uint32_t getPinIndex() const { return index_; }
    HBOBoardComponent* getOwner() const { return owner_; }
    const HBOBoard* getBoard() const;
    const std::string& getAttr(Attr attr) const { return attr == LOC ? loc_ : *style_->attrs[attr]; }
    // The thirteen pin properties by name (HBO_PIN_PROP_*), and the further
    // attributes by their name in capital letters; empty for others.
    std::string getProperty(const std::string& propertyName) const;
    // The further attributes the pin file gives beyond the thirteen, in file order.
    const std::vector<Extra>& getExtraAttrs() const { return style_->extras; }
    // The value of a further attribute by its name in capital letters; null when the pin has none.
    const std::string* findExtraAttr(const std::string& capitalName) const;
    // The physical port of an older board's pin file; empty otherwise.
    const std::string& getPortName() const { return *style_->port; }

    void setLoc(std::string loc) { loc_ = std::move(loc); }
    void setStyle(const Style* style) { style_ = style; }
    void setOwner(HBOBoardComponent* owner) { owner_ = owner; }

private:
    std::string name_;
    std::string loc_;
    const Style* style_;
    HBOBoardComponent* owner_;
    uint32_t index_;
};

// Port indexes in index order: numeric texts by value ("2" before "10"),
// anything else after them, byte-wise.
struct HBOPortIndexLess {
    bool operator()(const std::string& a, const std::string& b) const;
};
// port_index -> component pin, ordered by HBOPortIndexLess on the index,
// one entry per index (the last one written counts).
using HBOPinPortMap = std::vector<std::pair<std::string, std::string>>;

// A physical port. Schema 2: one per port_map of an interface, its pins named
// by pin_map. Older boards: one per <port> of the pin file, holding its pins.
class HBOModelPort {
public:
    HBOModelPort(std::string_view name, std::string_view dir, std::string_view left, std::string_view right,
                 HBOBoardComponent* owner);
    // A copy's interface and port map are set by the interface that owns it.
    HBOModelPort(const HBOModelPort& other, HBOBoardComponent* owner);
    std::string getName() const { return texts_.text(NAME); }
    std::string getDir() const { return texts_.text(DIR); }
    std::string getLeft() const { return texts_.text(LEFT); }
    std::string getRight() const { return texts_.text(RIGHT); }
    HBOBoardComponent* getOwner() const { return owner_; }
    const HBOBoard* getBoard() const;
    // The interface whose port map made this port and that map's logical
    // port (schema 2); null and empty for the ports of an older pin file.
    HBOBusIf* getBusIf() const { return busIf_; }
    std::string getLogicalPort() const;
    // port_index -> component pin name (schema 2). Ordered on first use:
    // listing boards never asks for it.
    const HBOPinPortMap& getPinPortMap() const;
    // The mapped pins found on the owner component, in map order (schema 2).
    void getPins(std::vector<HBOPinProps*>& pins) const;
    // The pins of an older board's port.
    void getPortPropsSeq(std::vector<HBOPinProps*>& pins) const;

    void addPinMap(std::string_view portIndex, std::string_view componentPin);
    // Pin maps written as the port keeps them until ordered: index and pin
    // of each, every text followed by a NUL. One append, however many.
    void addPinMaps(std::string_view written);
    std::vector<HBOPinProps>& portPins() { return portPins_; }
    void setBusIf(HBOBusIf* busIf, const HBOPortMap* portMap);

private:
    void insertPinMap(std::string_view portIndex, std::string_view componentPin) const;
    void insertPinMaps(std::string_view written) const;

    enum Text { NAME, DIR, LEFT, RIGHT, TEXT_COUNT };
    HBOPackedTexts<TEXT_COUNT> texts_;  // packed: a listing holds one port per port map
    HBOBoardComponent* owner_;
    HBOBusIf* busIf_ = nullptr;
    const HBOPortMap* portMap_ = nullptr;  // of busIf_, which owns both
    // The pin maps as added ("index\0pin\0" each), until the first
    // getPinPortMap() orders them into pinPortMap_.
    mutable std::string pendingPinMaps_;
    mutable std::once_flag pinMapsOnce_;
    mutable std::atomic<bool> pinMapsOrdered_{false};
    mutable HBOPinPortMap pinPortMap_;
    std::vector<HBOPinProps> portPins_;
};

// logical_port -> physical_port of an interface.
class HBOPortMap {
public:
    HBOPortMap(std::string_view logicalPort, std::string_view physicalPort);
    std::string getName() const { return texts_.text(LOGICAL); }
    std::string getLogicalPort() const { return texts_.text(LOGICAL); }
    std::string getPhysicalPort() const { return texts_.text(PHYSICAL); }
    const HBOBoard* getBoard() const { return board_; }
    void setBoard(const HBOBoard* board) { board_ = board; }

private:
    enum Text { LOGICAL, PHYSICAL, TEXT_COUNT };
    HBOPackedTexts<TEXT_COUNT> texts_;
    const HBOBoard* board_ = nullptr;
};

// A preferred IP of an interface or a component mode.
// Texts packed, as for parameters.
class HBOBusIfPreference {
public:
    HBOBusIfPreference(std::string_view vendor, std::string_view library, std::string_view name,
                       std::string_view version, int order);
    std::string getName() const { return texts_.text(NAME); }
    std::string getVendor() const { return texts_.text(VENDOR); }
    std::string getLibrary() const { return texts_.text(LIBRARY); }
    std::string getVersion() const { return texts_.text(VERSION); }
    int getOrder() const { return order_; }
    std::string getVlnv() const;
    const HBOBoard* getBoard() const { return board_; }
    void setBoard(const HBOBoard* board) { board_ = board; }

private:
    enum Text { VENDOR, LIBRARY, NAME, VERSION, TEXT_COUNT };
    HBOPackedTexts<TEXT_COUNT> texts_;
    int order_;
    const HBOBoard* board_ = nullptr;
};

// An IP preset: from the preset file (preset name = proc name) or from an
// IP-associated rule (preset name = rule name).
class HBOIpPreset {
public:
    HBOIpPreset(std::string presetName, std::string vendor, std::string library, std::string name, std::string version,
                std::string ipInterface);
    HBOIpPreset(const HBOIpPreset& other);
    // References: the -ip filter compares these for every preset gathered.
    const std::string& getName() const { return name_; }
    const std::string& getPresetName() const { return presetName_; }
    const std::string& getVendor() const { return vendor_; }
    const std::string& getLibrary() const { return library_; }
    const std::string& getVersion() const { return version_; }
    const std::string& getIpInterface() const { return ipInterface_; }
    // The board interface an IP-associated rule names; empty for a preset file's presets.
    const std::string& getBoardInterface() const { return boardInterface_; }
    std::string getVlnv() const;
    void getParameters(std::vector<HBOParameter*>& parameters) const;
    const HBOBoard* getBoard() const { return board_; }
    // Also the board of its parameters.
    void setBoard(const HBOBoard* board);

    void addParameter(std::unique_ptr<HBOParameter> parameter);
    void setBoardInterface(const std::string& name) { boardInterface_ = name; }

private:
    std::string presetName_, vendor_, library_, name_, version_, ipInterface_, boardInterface_;
    std::vector<std::unique_ptr<HBOParameter>> parameters_;
    const HBOBoard* board_ = nullptr;
};

using HBOIpPresetMap = std::map<std::string, std::vector<HBOIpPreset*>>;

class HBOBusIf {
public:
    struct Attributes {
        std::string name, mode, type, ofComponent, presetProc, isEnabled;
    };
    HBOBusIf(const Attributes& attributes, HBOBoardComponent* owner);
    HBOBusIf(const HBOBusIf& other, HBOBoardComponent* owner);
    ~HBOBusIf();

    std::string getName() const;
    std::string getMode() const;
    std::string getType() const;
    std::string getOfComponent() const;
    std::string getPresetProcName() const;
    std::string getIsEnabled() const;
    HBOBoardComponent* getOwnerComponent() const { return owner_; }
    HBOBoard* getParentBoard() const;
    const HBOBoard* getBoard() const { return getParentBoard(); }
    void getParameters(std::vector<HBOParameter*>& parameters) const;
    void getPreferences(std::vector<HBOBusIfPreference*>& preferences) const;
    // logical_port -> model port (schema 2), in byte order of the logical
    // port; a logical port mapped twice keeps its last port. Built on first use.
    const std::map<std::string, HBOModelPort*>& getPortMaps() const;
    void getPortMapSeq(std::vector<HBOPortMap*>& portMaps) const;
    void getModelPorts(std::vector<HBOModelPort*>& ports) const;

    void addParameter(std::unique_ptr<HBOParameter> parameter);
    void addPreference(std::unique_ptr<HBOBusIfPreference> preference);
    // Schema 2 gives every port map its model port; older boards none.
    void addPortMap(std::unique_ptr<HBOPortMap> portMap, std::unique_ptr<HBOModelPort> modelPort);

private:
    void indexModelPort(std::size_t position);

    enum Text { NAME, MODE, TYPE, OF_COMPONENT, PRESET_PROC, IS_ENABLED, TEXT_COUNT };
    HBOPackedTexts<TEXT_COUNT> texts_;
    HBOBoardComponent* owner_;
    std::vector<std::unique_ptr<HBOParameter>> parameters_;
    std::vector<std::unique_ptr<HBOBusIfPreference>> preferences_;
    std::vector<std::unique_ptr<HBOPortMap>> portMaps_;
    std::vector<std::unique_ptr<HBOModelPort>> modelPorts_;  // schema 2: the port of each port map, in order
    mutable std::once_flag portsByLogicalOnce_;
    mutable std::map<std::string, HBOModelPort*> portsByLogical_;
};

class HBOComponentMode {
public:
    HBOComponentMode(std::string name, std::string displayName, std::string isEnabled, HBOBoardComponent* owner);
    HBOComponentMode(const HBOComponentMode& other, HBOBoardComponent* owner);
    std::string getName() const { return name_; }
    std::string getDisplayName() const { return displayName_; }
    std::string getIsEnabled() const { return isEnabled_; }
    HBOBoardComponent* getOwner() const { return owner_; }
    const HBOBoard* getBoard() const;
    const std::vector<std::string>& getInterfaceNames() const { return interfaces_; }
    void getPreferredIps(std::vector<HBOBusIfPreference*>& preferences) const;

    void addInterfaceName(const std::string& name) { interfaces_.push_back(name); }
    void addPreferredIp(std::unique_ptr<HBOBusIfPreference> preference);

private:
    std::string name_, displayName_, isEnabled_;
    HBOBoardComponent* owner_;
    std::vector<std::string> interfaces_;
    std::vector<std::unique_ptr<HBOBusIfPreference>> preferredIps_;
};

class HBOBoardComponent {
public:
    struct Attributes {
        std::string name, type, subType, partName, pinMapFile, displayName, vendor, isEnabled, description;
    };
    HBOBoardComponent(Attributes attributes, HBOBoard* board);
    HBOBoardComponent(const HBOBoardComponent& other, HBOBoard* board);
    ~HBOBoardComponent();

    // vendor:board name:component name:file version
    std::string getName() const;
    std::string getComponentName() const;
    std::string getType() const;
    std::string getSubType() const;
    std::string getPartName() const;
    std::string getDisplayName() const;
    std::string getVendor() const;
    std::string getDescription() const;
    std::string getIsEnabled() const;
    // Absolute path of the pin file; empty when the component has none.
    const std::string& getPinMapFile() const { return pinMapFile_; }
    bool isFpga() const;
    HBOBoard* getBoard() const { return board_; }

    void getParameters(std::vector<HBOParameter*>& parameters) const;
    // The second argument is accepted for callers' sake; every interface is appended.
    void getBusIfSeq(std::vector<HBOBusIf*>& interfaces, bool includeDisabled = true) const;
    void getInterfacesVec(std::vector<HBOBusIf*>& interfaces) const;
    HBOBusIf* findBusIf(const std::string& name) const;
    void getComponentModes(std::vector<HBOComponentMode*>& modes) const;

    // Pins load the pin file on first use.
    void getPinsVec(std::vector<HBOPinProps*>& pins) const;
    // Exact, case-sensitive names; null when the component has no such pin.
    HBOPinProps* findPin(const std::string& name) const;
    HBOPinProps* findPinByIndex(uint32_t index) const;
    // The interface ports whose pin map names the pin: interfaces in order,
    // each one's ports in getPortMaps() order, each port once per naming entry.
    void getInterfacePortsOfPin(const std::string& pinName, std::vector<HBOModelPort*>& ports) const;
    // Model ports of an older board's pin file.
    void getModelPortSeq(std::vector<HBOModelPort*>& ports) const;
    // Sets port to the model port of that name, or leaves it alone; returns whether found.
    bool getModelPortByName(HBOModelPort*& port, const std::string& name) const;
    bool arePinsLoaded() const;

    void addParameter(std::unique_ptr<HBOParameter> parameter);
    HBOBusIf* addBusIf(std::unique_ptr<HBOBusIf> busIf);
    HBOComponentMode* addComponentMode(std::unique_ptr<HBOComponentMode> mode);
    // Inline <pins> of a component without pin file, with the styles they
    // point at (null when every pin has the plain style). Builders such as
    // this one run before the component is shared.
    void setInlinePins(std::vector<HBOPinProps> pins, std::shared_ptr<const HBOPinStyleTable> styles = nullptr);
    // Inline <pins> as the board file reader checked and packed them
    // (HBOBoardInternal::readPackedPins): made pins on first use, as a
    // listing reads many pins that nobody asks for.
    void setPackedPins(std::string packed);
    // Parameters, interfaces and component modes as the board file reader
    // checked and packed them (HBOBoardInternal::readPackedDetails): made on
    // first use, as a listing reads many that nobody asks for.
    void setPackedDetails(std::string packed);

private:
    // Makes the parameters, interfaces and modes from their packed copy, at
    // most once even when several threads ask at the same time.
    void makeDetails() const;

    // Pins and the lookups over them, loaded and built at most once even
    // when several threads ask at the same time.
    struct PinData;
    PinData& pinData() const;
    const PinData& indexedPins() const;

    enum Text { NAME, TYPE, SUB_TYPE, PART_NAME, DISPLAY_NAME, VENDOR, IS_ENABLED, DESCRIPTION, TEXT_COUNT };
    HBOPackedTexts<TEXT_COUNT> texts_;
    std::string pinMapFile_;
    HBOBoard* board_;
    // Made from packedDetails_ on first use when the reader packed them.
    mutable std::vector<std::unique_ptr<HBOParameter>> parameters_;
    mutable std::vector<std::unique_ptr<HBOBusIf>> interfaces_;
    mutable std::vector<std::unique_ptr<HBOComponentMode>> modes_;
    mutable std::once_flag pinsOnce_;
    mutable std::once_flag pinIndexOnce_;
    mutable std::once_flag portsOfPinsOnce_;
    mutable std::unique_ptr<PinData> pins_;
    mutable std::atomic<bool> pinsReady_{false};
    mutable std::string packedPins_;  // until the pins are made from it
    bool hasPackedPins_ = false;
    mutable std::once_flag detailsOnce_;
    mutable std::atomic<bool> detailsReady_{true};
    mutable std::string packedDetails_;  // until the details are made from it
    // Built on the first pin-to-port question, again when interfaces were added since.
    struct PortsOfPins;
    mutable std::unique_ptr<PortsOfPins> portsOfPins_;
};

class HBOBoardBusNet {
public:
    HBOBoardBusNet(std::string name, uint32_t c1PinIndex, uint32_t c2PinIndex, std::string isEnabled,
                   HBOBoardBus* owner);
    std::string getName() const { return name_; }
    uint32_t getC1PinIndex() const { return c1_; }
    uint32_t getC2PinIndex() const { return c2_; }
    std::string getIsEnabled() const { return isEnabled_; }
    HBOBoardBus* getOwner() const { return owner_; }
    const HBOBoard* getBoard() const;
    // The pin at each end that exists: component 1's, then component 2's.
    void getPinsVec(std::vector<HBOPinProps*>& pins) const;

    void setOwner(HBOBoardBus* owner) { owner_ = owner; }

private:
    std::string name_;
    uint32_t c1_, c2_;
    std::string isEnabled_;
    HBOBoardBus* owner_;
};

class HBOBoardBus {
public:
    HBOBoardBus(std::string name, std::string comp1, std::string comp2, std::string isEnabled, HBOBoard* board);
    HBOBoardBus(const HBOBoardBus& other, HBOBoard* board);
    std::string getName() const { return name_; }
    std::string getComp1() const { return comp1_; }
    std::string getComp2() const { return comp2_; }
    std::string getIsEnabled() const { return isEnabled_; }
    HBOBoard* getBoard() const { return board_; }
    void getBoardBusNets(std::vector<HBOBoardBusNet*>& nets) const;
    // The components at both ends that the board has: component 1, then 2.
    void getBusComponentsVec(std::vector<HBOBoardComponent*>& components) const;

    void addNet(const std::string& name, uint32_t c1PinIndex, uint32_t c2PinIndex, const std::string& isEnabled);

private:
    // The nets of one connection map: index pairs c1First + i * c1Step and
    // c2First + i * c2Step for i below count, named name_i; or one net
    // added by name (step 0, count 1, named name).
    struct NetRange {
        std::string name, isEnabled;
        uint32_t c1First, c2First;
        int c1Step, c2Step;
        int64_t count;
    };
    // The board file reader adds each connection map as one range.
    friend void addNetRange(HBOBoardBus& bus, NetRange range);
    // Listing boards never asks for nets, so ranges become nets on first use,
    // once even when several threads ask at the same time.
    const std::vector<HBOBoardBusNet>& nets() const;
    void expand(const NetRange& range) const;

    std::string name_, comp1_, comp2_, isEnabled_;
    HBOBoard* board_;
    std::vector<NetRange> ranges_;  // as read; a copy copies these, not the nets
    mutable std::once_flag netsOnce_;
    mutable std::atomic<bool> netsMade_{false};
    mutable std::vector<HBOBoardBusNet> nets_;
};

class HBOBoard {
public:
    HBOBoard();
    // A deep copy named `name` (getBoardName()); everything below belongs to the copy.
    HBOBoard(const HBOBoard& base, std::string name);
    HBOBoard(const HBOBoard&) = delete;
    HBOBoard& operator=(const HBOBoard&) = delete;
    ~HBOBoard();

    // Boards made with new are known to the model, which frees them when
    // their owner says so (HBOBoardDiagramMgr::adoptBoard, the repository),
    // else when the library unloads; deleting one earlier is allowed.
    static void* operator new(std::size_t size);
    static void operator delete(void* pointer) noexcept;

    // vendor:name:file version
    std::string getName() const;
    std::string getVendor() const { return vendor_; }
    std::string getBoardName() const { return boardName_; }
    std::string getVersion() const { return version_; }
    std::string getDisplayName() const { return displayName_; }
    std::string getDescription() const { return description_; }
    std::string getSchemaVersion() const { return schemaVersion_; }
    std::string getRepository() const { return repository_; }
    std::string getBoardFile() const { return boardFile_; }
    std::string getPartName() const;
    bool isIntegratedBoard() const { return integrated_; }
    // An instance board's base board (vendor:name:version); empty for other boards.
    const std::string& getBaseBoardName() const { return baseBoardName_; }
    const HBOBoard* getBoard() const { return this; }

    void setName(const std::string& vendor, const std::string& name, const std::string& version);
    void setRepository(const std::string& dir) { repository_ = dir; }
    void setBoardFile(const std::string& path) { boardFile_ = path; }
    void setDisplayName(const std::string& text) { displayName_ = text; }
    void setDescription(const std::string& text) { description_ = text; }
    void setSchemaVersion(const std::string& version) { schemaVersion_ = version; }
    void setIntegrated(bool integrated) { integrated_ = integrated; }
    // Absolute path of the preset file, loaded on the first getIpPresets().
    void setPresetFile(const std::string& path) { presetFile_ = path; }
    const std::string& getPresetFile() const { return presetFile_; }

    HBOBoardComponent* findFpgaComponent() const;
    HBOBoardComponent* findComponent(const std::string& componentName) const;
    void getBoardComponentsVec(std::vector<HBOBoardComponent*>& components) const;
    void getBuses(std::vector<HBOBoardBus*>& buses) const;
    void getBusesOfComponent(const std::string& componentName, std::vector<HBOBoardBus*>& buses) const;
    void getNetsOfComponent(const std::string& componentName, std::vector<HBOBoardBusNet*>& nets) const;
    // The nets with an end on that pin: bus by bus in board order, then in
    // net order; a net whose two ends are that pin once. Through an index
    // built on first use, so that asking for many pins costs each its own nets.
    void getNetsOfPin(const std::string& componentName, uint32_t pinIndex, std::vector<HBOBoardBusNet*>& nets) const;
    void getJumpers(std::vector<HBOJumper*>& jumpers) const;
    void getParameters(std::vector<HBOParameter*>& parameters) const;
    // Every interface of every component, component by component.
    void getBusIfSeq(std::vector<HBOBusIf*>& interfaces) const;
    // Preset proc name in capitals -> presets of the preset file.
    const HBOIpPresetMap& getIpPresets() const;
    // Associated board interface name -> presets of the IP-associated rules.
    const HBOIpPresetMap& getIpAssociatedInterfaces() const { return associated_.map; }

    // Instance name -> base board name; a second entry for a name replaces the first.
    void addConnectedBoard(const std::string& instanceName, const std::string& baseBoardName);
    const std::map<std::string, std::string>& getConnectedBoards() const { return connectedBoards_; }
    // "board1#component1" -> "board2#component2"; a second entry for a key replaces the first.
    void addConnectedComponents(const std::string& board1, const std::string& component1, const std::string& board2,
                                const std::string& component2);
    const std::map<std::string, std::string>& getConnectedComponents() const { return connectedComponents_; }

    HBOBoardComponent* addComponent(std::unique_ptr<HBOBoardComponent> component);
    HBOBoardBus* addBus(std::unique_ptr<HBOBoardBus> bus);
    void addJumper(std::unique_ptr<HBOJumper> jumper);
    void addParameter(std::unique_ptr<HBOParameter> parameter);
    void addIpAssociatedPreset(const std::string& interfaceName, std::unique_ptr<HBOIpPreset> preset);
    bool arePresetsLoaded() const { return presetsLoaded_; }

    // What reading this board and loading its files left out so far, in
    // the order it happened: connection maps (when the board was read), the
    // preset file and pin files (when first loaded). A copy keeps its base's.
    // A copy: files load in any thread, adding to the list.
    std::vector<HBODroppedItem> getDroppedItems() const;
    void addDroppedItem(HBODroppedItem item) const;

private:
    // Presets keyed by name, owning them.
    struct PresetTable {
        HBOIpPresetMap map;
        std::vector<std::unique_ptr<HBOIpPreset>> owned;
        void add(const std::string& key, std::unique_ptr<HBOIpPreset> preset, const HBOBoard* board);
        void copyFrom(const PresetTable& other, const HBOBoard* board);
    };
    void ensurePresets() const;
    void loadPresets() const;

    std::string vendor_, boardName_, version_, displayName_, description_, schemaVersion_;
    std::string repository_, boardFile_, presetFile_;
    std::string baseBoardName_;
    bool integrated_ = false;
    std::vector<std::unique_ptr<HBOBoardComponent>> components_;
    std::vector<std::unique_ptr<HBOBoardBus>> buses_;
    std::vector<std::unique_ptr<HBOJumper>> jumpers_;
    std::vector<std::unique_ptr<HBOParameter>> parameters_;
    mutable std::once_flag presetsOnce_;
    mutable std::atomic<bool> presetsLoaded_{false};
    mutable PresetTable presets_;
    PresetTable associated_;
    std::map<std::string, std::string> connectedBoards_;
    std::map<std::string, std::string> connectedComponents_;
    mutable std::mutex droppedMutex_;
    mutable std::vector<HBODroppedItem> dropped_;
    // Built on first use (see getNetsOfPin, findComponent).
    struct NetsOfPins;
    mutable std::once_flag netsOfPinsOnce_;
    mutable std::unique_ptr<NetsOfPins> netsOfPins_;
    struct ComponentNames;
    mutable std::once_flag componentNamesOnce_;
    mutable std::unique_ptr<ComponentNames> componentNames_;
};
