// The board model objects: construction, deep copies and getters.
#include <algorithm>
#include <cctype>
#include <mutex>
#include <new>
#include <unordered_set>

#include "HBOBoardInternal.h"
#include "HBOBoardModel.h"

namespace {

template <class T>
void appendRaw(const std::vector<std::unique_ptr<T>>& owned, std::vector<T*>& out) {
    for (const auto& item : owned) out.push_back(item.get());
}

template <class T, class Owner>
std::vector<std::unique_ptr<T>> copyOwned(const std::vector<std::unique_ptr<T>>& from, Owner* owner) {
    std::vector<std::unique_ptr<T>> copies;
    copies.reserve(from.size());
    for (const auto& item : from) copies.push_back(std::make_unique<T>(*item, owner));
    return copies;
}

template <class T>
std::vector<std::unique_ptr<T>> copyPlain(const std::vector<std::unique_ptr<T>>& from) {
    std::vector<std::unique_ptr<T>> copies;
    copies.reserve(from.size());
    for (const auto& item : from) copies.push_back(std::make_unique<T>(*item));
    return copies;
}

// Objects without an owner pointer of their own are told their board when
// they are added to it or copied into it.
template <class T>
void stampBoard(const std::vector<std::unique_ptr<T>>& items, const HBOBoard* board) {
    for (const auto& item : items) item->setBoard(board);
}

std::string upperCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

const std::string& emptyText() {
    static const std::string empty;
    return empty;
}

}  // namespace

namespace HBOBoardInternal {

namespace {
struct ExtraNames {
    std::mutex mutex;
    std::unordered_set<std::string> names;
};
ExtraNames& extraNames() {
    static ExtraNames* kept = new ExtraNames;  // never freed: pins may be read at exit
    return *kept;
}
}  // namespace

const std::string* keepExtraAttrName(std::string_view capitalName) {
    ExtraNames& kept = extraNames();
    std::lock_guard<std::mutex> lock(kept.mutex);
    return &*kept.names.emplace(capitalName).first;
}

const std::string* findExtraAttrName(const std::string& capitalName) {
    ExtraNames& kept = extraNames();
    std::lock_guard<std::mutex> lock(kept.mutex);
    auto found = kept.names.find(capitalName);
    return found == kept.names.end() ? nullptr : &*found;
}

}  // namespace HBOBoardInternal

const std::string* HBOPinStyleTable::text(std::string_view value) {
    auto found = textIndex_.find(value);
    if (found != textIndex_.end()) return found->second;
    const std::string* kept = &texts_.emplace_back(value);
    textIndex_.emplace(*kept, kept);
    return kept;
}

std::size_t HBOPinStyleTable::StyleHash::operator()(const HBOPinProps::Style* style) const {
    std::size_t hash = std::hash<const void*>()(style->port);
    const auto mix = [&hash](const void* p) { hash = hash * 31 + std::hash<const void*>()(p); };
    for (const std::string* attr : style->attrs) mix(attr);
    for (const auto& extra : style->extras) mix(extra.second);
    return hash;
}

bool HBOPinStyleTable::StyleEqual::operator()(const HBOPinProps::Style* a, const HBOPinProps::Style* b) const {
    return *a == *b;
}

const HBOPinProps::Style* HBOPinStyleTable::style(const HBOPinProps::Style& candidate) {
    auto found = styleIndex_.find(&candidate);
    if (found != styleIndex_.end()) return found->second;
    const HBOPinProps::Style* kept = &styles_.emplace_back(candidate);
    styleIndex_.emplace(kept, kept);
    return kept;
}

void HBOPinStyleTable::finishReading() {
    decltype(textIndex_)().swap(textIndex_);
    decltype(styleIndex_)().swap(styleIndex_);
}

// ---- small value objects

HBOParameter::HBOParameter(std::string_view name, std::string_view value, std::string_view valueType)
    : texts_({name, value, valueType}) {}

HBOJumper::HBOJumper(std::string name, std::string defaultMode, std::string description)
    : name_(std::move(name)), defaultMode_(std::move(defaultMode)), description_(std::move(description)) {}

HBOPortMap::HBOPortMap(std::string_view logicalPort, std::string_view physicalPort)
    : texts_({logicalPort, physicalPort}) {}

HBOBusIfPreference::HBOBusIfPreference(std::string_view vendor, std::string_view library, std::string_view name,
                                       std::string_view version, int order)
    : texts_({vendor, library, name, version}), order_(order) {}

std::string HBOBusIfPreference::getVlnv() const {
    std::string vlnv;
    for (std::size_t i = 0; i < TEXT_COUNT; ++i) vlnv.append(i ? ":" : "").append(texts_.view(i));
    return vlnv;
}

// ---- pins

const HBOPinProps::Style& HBOPinProps::plainStyle() {
    static const Style plain = [] {
        Style style;
        style.attrs.fill(&emptyText());
        style.port = &emptyText();
        return style;
    }();
    return plain;
}

HBOPinProps::HBOPinProps(std::string name, uint32_t index, HBOBoardComponent* owner)
    : name_(std::move(name)), style_(&plainStyle()), owner_(owner), index_(index) {}

const HBOBoard* HBOPinProps::getBoard() const { return owner_ ? owner_->getBoard() : nullptr; }

const std::string* HBOPinProps::findExtraAttr(const std::string& capitalName) const {
    for (const Extra& extra : style_->extras)
        if (*extra.first == capitalName) return extra.second;
    return nullptr;
}

std::string HBOPinProps::getProperty(const std::string& propertyName) const {
    static const std::pair<const std::string*, Attr> textProps[] = {
        {&HBO_PIN_PROP_LOC, LOC},
        {&HBO_PIN_PROP_DIFF_TERM, DIFF_TERM},
        {&HBO_PIN_PROP_DRIVE, DRIVE},
        {&HBO_PIN_PROP_IOSTANDARD, IOSTANDARD},
        {&HBO_PIN_PROP_SLEW, SLEW},
        {&HBO_PIN_PROP_OUTPUT_IMPEDANCE, OUTPUT_IMPEDANCE},
        {&HBO_PIN_PROP_IBUF_LOW_PWR, IBUF_LOW_PWR},
        {&HBO_PIN_PROP_ODT, ODT},
        {&HBO_PIN_PROP_EQUALIZATION, EQUALIZATION},
        {&HBO_PIN_PROP_PRE_EMPHASIS, PRE_EMPHASIS},
        {&HBO_PIN_PROP_DQS_BIAS, DQS_BIAS},
    };
    if (propertyName == HBO_PIN_PROP_NAME) return name_;
    if (propertyName == HBO_PIN_PROP_INDEX) return std::to_string(index_);
    for (const auto& entry : textProps)
        if (*entry.first == propertyName) return getAttr(entry.second);
    const std::string* extra = findExtraAttr(propertyName);
    return extra ? *extra : std::string();
}

// ---- model ports and port maps

HBOModelPort::HBOModelPort(std::string_view name, std::string_view dir, std::string_view left, std::string_view right,
                           HBOBoardComponent* owner)
    : texts_({name, dir, left, right}), owner_(owner) {}

HBOModelPort::HBOModelPort(const HBOModelPort& other, HBOBoardComponent* owner)
    : texts_(other.texts_), owner_(owner), pinPortMap_(other.getPinPortMap()), portPins_(other.portPins_) {
    pinMapsOrdered_ = true;
    for (auto& pin : portPins_) pin.setOwner(owner);
}

const HBOBoard* HBOModelPort::getBoard() const { return owner_ ? owner_->getBoard() : nullptr; }

void HBOModelPort::getPins(std::vector<HBOPinProps*>& pins) const {
    if (!owner_) return;
    for (const auto& entry : getPinPortMap())
        if (HBOPinProps* pin = owner_->findPin(entry.second)) pins.push_back(pin);
}

void HBOModelPort::getPortPropsSeq(std::vector<HBOPinProps*>& pins) const {
    for (const auto& pin : portPins_) pins.push_back(const_cast<HBOPinProps*>(&pin));
}

bool HBOPortIndexLess::operator()(const std::string& a, const std::string& b) const {
    const auto isNumber = [](const std::string& text) {
        return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
    };
    const bool aNumber = isNumber(a);
    const bool bNumber = isNumber(b);
    if (aNumber != bNumber) return aNumber;
    if (aNumber) {
        const std::size_t aStart = std::min(a.find_first_not_of('0'), a.size() - 1);
        const std::size_t bStart = std::min(b.find_first_not_of('0'), b.size() - 1);
        const std::size_t aDigits = a.size() - aStart;
        const std::size_t bDigits = b.size() - bStart;
        if (aDigits != bDigits) return aDigits < bDigits;
        const int order = a.compare(aStart, aDigits, b, bStart, bDigits);
        if (order != 0) return order < 0;
    }
    return a < b;
}

void HBOModelPort::setBusIf(HBOBusIf* busIf, const HBOPortMap* portMap) {
    busIf_ = busIf;
    portMap_ = portMap;
}

std::string HBOModelPort::getLogicalPort() const { return portMap_ ? portMap_->getLogicalPort() : std::string(); }

void HBOModelPort::addPinMap(std::string_view portIndex, std::string_view componentPin) {
    if (pinMapsOrdered_.load(std::memory_order_acquire)) {
        insertPinMap(portIndex, componentPin);
        return;
    }
    // Two texts without a NUL each: an XML attribute value has none.
    pendingPinMaps_.append(portIndex.data(), portIndex.size()).push_back('\0');
    pendingPinMaps_.append(componentPin.data(), componentPin.size()).push_back('\0');
}

void HBOModelPort::addPinMaps(std::string_view written) {
    if (pinMapsOrdered_.load(std::memory_order_acquire)) {
        insertPinMaps(written);
        return;
    }
    pendingPinMaps_.append(written.data(), written.size());
}

// Each index and pin of pin maps as addPinMaps takes them.
void HBOModelPort::insertPinMaps(std::string_view written) const {
    const char* at = written.data();
    const char* const end = at + written.size();
    while (at < end) {
        const std::string_view index(at);
        const std::string_view pin(at + index.size() + 1);
        insertPinMap(index, pin);
        at = pin.data() + pin.size() + 1;
    }
}

const HBOPinPortMap& HBOModelPort::getPinPortMap() const {
    if (pinMapsOrdered_.load(std::memory_order_acquire)) return pinPortMap_;
    std::call_once(pinMapsOnce_, [this] {
        insertPinMaps(pendingPinMaps_);
        std::string().swap(pendingPinMaps_);
        pinMapsOrdered_.store(true, std::memory_order_release);
    });
    return pinPortMap_;
}

void HBOModelPort::insertPinMap(std::string_view portIndex, std::string_view componentPin) const {
    // Files list port indexes in order, so the new entry mostly goes last.
    const HBOPortIndexLess less;
    const std::string index(portIndex);
    if (pinPortMap_.empty() || less(pinPortMap_.back().first, index)) {
        pinPortMap_.emplace_back(index, componentPin);
        return;
    }
    auto at =
        std::lower_bound(pinPortMap_.begin(), pinPortMap_.end(), index,
                         [&less](const auto& entry, const std::string& wanted) { return less(entry.first, wanted); });
    if (at != pinPortMap_.end() && !less(index, at->first)) {
        at->second = std::string(componentPin);  // an index written twice: the last counts
    } else {
        pinPortMap_.emplace(at, index, componentPin);
    }
}

// ---- presets

HBOIpPreset::HBOIpPreset(std::string presetName, std::string vendor, std::string library, std::string name,
                         std::string version, std::string ipInterface)
    : presetName_(std::move(presetName)),
      vendor_(std::move(vendor)),
      library_(std::move(library)),
      name_(std::move(name)),
      version_(std::move(version)),
      ipInterface_(std::move(ipInterface)) {}

HBOIpPreset::HBOIpPreset(const HBOIpPreset& other)
    : presetName_(other.presetName_),
      vendor_(other.vendor_),
      library_(other.library_),
      name_(other.name_),
      version_(other.version_),
      ipInterface_(other.ipInterface_),
      boardInterface_(other.boardInterface_),
      parameters_(copyPlain(other.parameters_)) {}

std::string HBOIpPreset::getVlnv() const { return vendor_ + ":" + library_ + ":" + name_ + ":" + version_; }

void HBOIpPreset::getParameters(std::vector<HBOParameter*>& parameters) const { appendRaw(parameters_, parameters); }

void HBOIpPreset::setBoard(const HBOBoard* board) {
    board_ = board;
    stampBoard(parameters_, board);
}

void HBOIpPreset::addParameter(std::unique_ptr<HBOParameter> parameter) {
    parameter->setBoard(board_);
    parameters_.push_back(std::move(parameter));
}

// ---- bus interfaces

HBOBusIf::HBOBusIf(const Attributes& attributes, HBOBoardComponent* owner)
    : texts_({&attributes.name, &attributes.mode, &attributes.type, &attributes.ofComponent, &attributes.presetProc,
              &attributes.isEnabled}),
      owner_(owner) {}

std::string HBOBusIf::getName() const { return texts_.text(NAME); }
std::string HBOBusIf::getMode() const { return texts_.text(MODE); }
std::string HBOBusIf::getType() const { return texts_.text(TYPE); }
std::string HBOBusIf::getOfComponent() const { return texts_.text(OF_COMPONENT); }
std::string HBOBusIf::getPresetProcName() const { return texts_.text(PRESET_PROC); }
std::string HBOBusIf::getIsEnabled() const { return texts_.text(IS_ENABLED); }

const std::map<std::string, HBOModelPort*>& HBOBusIf::getPortMaps() const {
    std::call_once(portsByLogicalOnce_, [this] {
        for (std::size_t i = 0; i < modelPorts_.size() && i < portMaps_.size(); ++i)
            portsByLogical_[portMaps_[i]->getLogicalPort()] = modelPorts_[i].get();
    });
    return portsByLogical_;
}

HBOBusIf::HBOBusIf(const HBOBusIf& other, HBOBoardComponent* owner)
    : texts_(other.texts_),
      owner_(owner),
      parameters_(copyPlain(other.parameters_)),
      preferences_(copyPlain(other.preferences_)),
      portMaps_(copyPlain(other.portMaps_)),
      modelPorts_(copyOwned(other.modelPorts_, owner)) {
    const HBOBoard* board = getParentBoard();
    stampBoard(parameters_, board);
    stampBoard(preferences_, board);
    stampBoard(portMaps_, board);
    for (std::size_t i = 0; i < modelPorts_.size(); ++i) indexModelPort(i);
}

HBOBusIf::~HBOBusIf() = default;

HBOBoard* HBOBusIf::getParentBoard() const { return owner_ ? owner_->getBoard() : nullptr; }

void HBOBusIf::getParameters(std::vector<HBOParameter*>& parameters) const { appendRaw(parameters_, parameters); }

void HBOBusIf::getPreferences(std::vector<HBOBusIfPreference*>& preferences) const {
    appendRaw(preferences_, preferences);
}

void HBOBusIf::getPortMapSeq(std::vector<HBOPortMap*>& portMaps) const { appendRaw(portMaps_, portMaps); }

void HBOBusIf::getModelPorts(std::vector<HBOModelPort*>& ports) const { appendRaw(modelPorts_, ports); }

void HBOBusIf::addParameter(std::unique_ptr<HBOParameter> parameter) {
    parameter->setBoard(getParentBoard());
    parameters_.push_back(std::move(parameter));
}

void HBOBusIf::addPreference(std::unique_ptr<HBOBusIfPreference> preference) {
    preference->setBoard(getParentBoard());
    preferences_.push_back(std::move(preference));
}

void HBOBusIf::addPortMap(std::unique_ptr<HBOPortMap> portMap, std::unique_ptr<HBOModelPort> modelPort) {
    portMap->setBoard(getParentBoard());
    portMaps_.push_back(std::move(portMap));
    if (!modelPort) return;
    modelPorts_.push_back(std::move(modelPort));
    indexModelPort(modelPorts_.size() - 1);
}

// Model ports pair with port maps by position.
void HBOBusIf::indexModelPort(std::size_t position) {
    if (position >= portMaps_.size()) return;
    modelPorts_[position]->setBusIf(this, portMaps_[position].get());
}

// ---- component modes

HBOComponentMode::HBOComponentMode(std::string name, std::string displayName, std::string isEnabled,
                                   HBOBoardComponent* owner)
    : name_(std::move(name)), displayName_(std::move(displayName)), isEnabled_(std::move(isEnabled)), owner_(owner) {}

HBOComponentMode::HBOComponentMode(const HBOComponentMode& other, HBOBoardComponent* owner)
    : name_(other.name_),
      displayName_(other.displayName_),
      isEnabled_(other.isEnabled_),
      owner_(owner),
      interfaces_(other.interfaces_),
      preferredIps_(copyPlain(other.preferredIps_)) {
    stampBoard(preferredIps_, getBoard());
}

const HBOBoard* HBOComponentMode::getBoard() const { return owner_ ? owner_->getBoard() : nullptr; }

void HBOComponentMode::getPreferredIps(std::vector<HBOBusIfPreference*>& preferences) const {
    appendRaw(preferredIps_, preferences);
}

void HBOComponentMode::addPreferredIp(std::unique_ptr<HBOBusIfPreference> preference) {
    preference->setBoard(getBoard());
    preferredIps_.push_back(std::move(preference));
}

// ---- components

// The pins of a component: those of the board file or of a schema-2 pin
// file, or the ports of an older pin file with theirs; then the lookups.
struct HBOBoardComponent::PinData {
    std::vector<HBOPinProps> pins;
    std::vector<std::unique_ptr<HBOModelPort>> ports;
    std::shared_ptr<const HBOPinStyleTable> styles;  // what the pins point at
    // Built on the first lookup: listing boards reads many pins that nobody looks up.
    std::vector<HBOPinProps*> all;    // every pin in order, when ports hold some
    std::vector<uint32_t> nameSlots;  // open addressing over names: position + 1, 0 when free
    std::vector<uint32_t> byIndex;    // positions in index order; empty when pin i has index i

    HBOPinProps* at(uint32_t position) { return all.empty() ? &pins[position] : all[position]; }
    std::size_t count() const { return all.empty() ? pins.size() : all.size(); }
    void buildIndexes();
    HBOPinProps* findByName(const std::string& name);
    HBOPinProps* findByIndex(uint32_t index);
};

void HBOBoardComponent::PinData::buildIndexes() {
    if (!ports.empty()) {
        all.reserve(pins.size());
        for (HBOPinProps& pin : pins) all.push_back(&pin);
        for (auto& port : ports)
            for (HBOPinProps& pin : port->portPins()) all.push_back(&pin);
    }
    const auto n = static_cast<uint32_t>(count());
    std::size_t capacity = 4;
    while (capacity < n + n / 2) capacity *= 2;
    nameSlots.assign(n ? capacity : 0, 0);
    bool dense = true;
    for (uint32_t position = 0; position < n; ++position) {
        HBOPinProps* pin = at(position);
        dense = dense && pin->getPinIndex() == position;
        // The first pin of a name is the one found, as names may repeat.
        std::size_t slot = std::hash<std::string>()(pin->getName()) & (capacity - 1);
        for (; nameSlots[slot] != 0; slot = (slot + 1) & (capacity - 1))
            if (at(nameSlots[slot] - 1)->getName() == pin->getName()) break;
        if (nameSlots[slot] == 0) nameSlots[slot] = position + 1;
    }
    if (dense) return;
    byIndex.resize(n);
    for (uint32_t position = 0; position < n; ++position) byIndex[position] = position;
    std::stable_sort(byIndex.begin(), byIndex.end(),
                     [this](uint32_t a, uint32_t b) { return at(a)->getPinIndex() < at(b)->getPinIndex(); });
}

HBOPinProps* HBOBoardComponent::PinData::findByName(const std::string& name) {
    if (nameSlots.empty()) return nullptr;
    const std::size_t mask = nameSlots.size() - 1;
    for (std::size_t slot = std::hash<std::string>()(name) & mask; nameSlots[slot] != 0; slot = (slot + 1) & mask)
        if (at(nameSlots[slot] - 1)->getName() == name) return at(nameSlots[slot] - 1);
    return nullptr;
}

HBOPinProps* HBOBoardComponent::PinData::findByIndex(uint32_t index) {
    if (byIndex.empty()) return index < count() ? at(index) : nullptr;
    auto found = std::lower_bound(byIndex.begin(), byIndex.end(), index, [this](uint32_t position, uint32_t wanted) {
        return at(position)->getPinIndex() < wanted;
    });
    return found != byIndex.end() && at(*found)->getPinIndex() == index ? at(*found) : nullptr;
}

struct HBOBoardComponent::PortsOfPins {
    std::mutex mutex;
    std::size_t interfaces = 0;  // how many interfaces the index covers
    std::unordered_map<std::string, std::vector<HBOModelPort*>> byPin;
};

HBOBoardComponent::HBOBoardComponent(Attributes attributes, HBOBoard* board)
    : texts_({&attributes.name, &attributes.type, &attributes.subType, &attributes.partName, &attributes.displayName,
              &attributes.vendor, &attributes.isEnabled, &attributes.description}),
      pinMapFile_(std::move(attributes.pinMapFile)),
      board_(board) {}

HBOBoardComponent::HBOBoardComponent(const HBOBoardComponent& other, HBOBoard* board)
    : texts_(other.texts_), pinMapFile_(other.pinMapFile_), board_(board) {
    other.makeDetails();
    parameters_ = copyPlain(other.parameters_);
    interfaces_ = copyOwned(other.interfaces_, this);
    modes_ = copyOwned(other.modes_, this);
    stampBoard(parameters_, board);
    const PinData& from = other.pinData();
    std::vector<HBOPinProps> pins = from.pins;
    for (auto& pin : pins) pin.setOwner(this);
    auto data = std::make_unique<PinData>();
    data->pins = std::move(pins);
    data->ports = copyOwned(from.ports, this);
    data->styles = from.styles;
    pins_ = std::move(data);
    pinsReady_ = true;
}

HBOBoardComponent::~HBOBoardComponent() = default;

std::string HBOBoardComponent::getComponentName() const { return texts_.text(NAME); }
std::string HBOBoardComponent::getType() const { return texts_.text(TYPE); }
std::string HBOBoardComponent::getSubType() const { return texts_.text(SUB_TYPE); }
std::string HBOBoardComponent::getPartName() const { return texts_.text(PART_NAME); }
std::string HBOBoardComponent::getDisplayName() const { return texts_.text(DISPLAY_NAME); }
std::string HBOBoardComponent::getVendor() const { return texts_.text(VENDOR); }
std::string HBOBoardComponent::getDescription() const { return texts_.text(DESCRIPTION); }
std::string HBOBoardComponent::getIsEnabled() const { return texts_.text(IS_ENABLED); }
bool HBOBoardComponent::isFpga() const { return texts_.view(TYPE) == "fpga"; }

std::string HBOBoardComponent::getName() const {
    if (!board_) return texts_.text(NAME);
    return board_->getVendor() + ":" + board_->getBoardName() + ":" + texts_.text(NAME) + ":" + board_->getVersion();
}

void HBOBoardComponent::getParameters(std::vector<HBOParameter*>& parameters) const {
    makeDetails();
    appendRaw(parameters_, parameters);
}

void HBOBoardComponent::getBusIfSeq(std::vector<HBOBusIf*>& interfaces, bool /*includeDisabled*/) const {
    makeDetails();
    appendRaw(interfaces_, interfaces);
}

void HBOBoardComponent::getInterfacesVec(std::vector<HBOBusIf*>& interfaces) const {
    makeDetails();
    appendRaw(interfaces_, interfaces);
}

HBOBusIf* HBOBoardComponent::findBusIf(const std::string& name) const {
    makeDetails();
    for (const auto& busIf : interfaces_)
        if (busIf->getName() == name) return busIf.get();
    return nullptr;
}

void HBOBoardComponent::getComponentModes(std::vector<HBOComponentMode*>& modes) const {
    makeDetails();
    appendRaw(modes_, modes);
}

void HBOBoardComponent::makeDetails() const {
    if (detailsReady_.load(std::memory_order_acquire)) return;
    std::call_once(detailsOnce_, [this] {
        HBOBoardInternal::ComponentDetails made =
            HBOBoardInternal::readPackedDetails(packedDetails_, const_cast<HBOBoardComponent*>(this));
        stampBoard(made.parameters, board_);
        parameters_ = std::move(made.parameters);
        interfaces_ = std::move(made.interfaces);
        modes_ = std::move(made.modes);
        std::string().swap(packedDetails_);
        detailsReady_.store(true, std::memory_order_release);
    });
}

HBOBoardComponent::PinData& HBOBoardComponent::pinData() const {
    // Pins a builder gave, or loaded before: no call_once, which costs a
    // system call on first use, for each of the many components with <pins>.
    if (pinsReady_.load(std::memory_order_acquire)) return *pins_;
    std::call_once(pinsOnce_, [this] {
        auto data = std::make_unique<PinData>();
        if (hasPackedPins_) {
            // The board file's own pins stand in for those of a pin file, as when read at once.
            auto contents = HBOBoardInternal::readPackedPins(packedPins_, const_cast<HBOBoardComponent*>(this));
            data->pins = std::move(contents.pins);
            data->styles = std::move(contents.styles);
            std::string().swap(packedPins_);
        } else if (!pinMapFile_.empty()) {
            HBODroppedItem dropped{HBODroppedItem::PIN_FILE, pinMapFile_, 0, std::string(), texts_.text(NAME)};
            auto contents = HBOBoardInternal::loadPinFile(pinMapFile_, const_cast<HBOBoardComponent*>(this), &dropped);
            if (!dropped.reason.empty() && board_) board_->addDroppedItem(std::move(dropped));
            data->pins = std::move(contents.pins);
            data->ports = std::move(contents.ports);
            data->styles = std::move(contents.styles);
        }
        pins_ = std::move(data);
        pinsReady_ = true;
    });
    return *pins_;
}

const HBOBoardComponent::PinData& HBOBoardComponent::indexedPins() const {
    PinData& data = pinData();
    std::call_once(pinIndexOnce_, [&data] { data.buildIndexes(); });
    return data;
}

bool HBOBoardComponent::arePinsLoaded() const { return pinMapFile_.empty() || hasPackedPins_ || pinsReady_; }

void HBOBoardComponent::getPinsVec(std::vector<HBOPinProps*>& pins) const {
    PinData& data = pinData();
    for (auto& pin : data.pins) pins.push_back(&pin);
    for (const auto& port : data.ports) port->getPortPropsSeq(pins);
}

HBOPinProps* HBOBoardComponent::findPin(const std::string& name) const {
    return const_cast<PinData&>(indexedPins()).findByName(name);
}

HBOPinProps* HBOBoardComponent::findPinByIndex(uint32_t index) const {
    return const_cast<PinData&>(indexedPins()).findByIndex(index);
}

void HBOBoardComponent::getInterfacePortsOfPin(const std::string& pinName, std::vector<HBOModelPort*>& ports) const {
    makeDetails();
    std::call_once(portsOfPinsOnce_, [this] { portsOfPins_ = std::make_unique<PortsOfPins>(); });
    PortsOfPins& index = *portsOfPins_;
    std::lock_guard<std::mutex> lock(index.mutex);
    if (index.interfaces != interfaces_.size()) {
        index.byPin.clear();
        for (const auto& busIf : interfaces_)
            for (const auto& logical : busIf->getPortMaps()) {
                HBOModelPort* port = logical.second;
                if (!port) continue;
                for (const auto& mapped : port->getPinPortMap()) index.byPin[mapped.second].push_back(port);
            }
        index.interfaces = interfaces_.size();
    }
    auto found = index.byPin.find(pinName);
    if (found != index.byPin.end()) ports.insert(ports.end(), found->second.begin(), found->second.end());
}

void HBOBoardComponent::getModelPortSeq(std::vector<HBOModelPort*>& ports) const { appendRaw(pinData().ports, ports); }

bool HBOBoardComponent::getModelPortByName(HBOModelPort*& port, const std::string& name) const {
    for (const auto& candidate : pinData().ports) {
        if (candidate->getName() == name) {
            port = candidate.get();
            return true;
        }
    }
    return false;
}

void HBOBoardComponent::addParameter(std::unique_ptr<HBOParameter> parameter) {
    makeDetails();
    parameter->setBoard(board_);
    parameters_.push_back(std::move(parameter));
}

HBOBusIf* HBOBoardComponent::addBusIf(std::unique_ptr<HBOBusIf> busIf) {
    makeDetails();
    interfaces_.push_back(std::move(busIf));
    return interfaces_.back().get();
}

HBOComponentMode* HBOBoardComponent::addComponentMode(std::unique_ptr<HBOComponentMode> mode) {
    makeDetails();
    modes_.push_back(std::move(mode));
    return modes_.back().get();
}

void HBOBoardComponent::setInlinePins(std::vector<HBOPinProps> pins, std::shared_ptr<const HBOPinStyleTable> styles) {
    auto data = std::make_unique<PinData>();
    data->pins = std::move(pins);
    data->styles = std::move(styles);
    pins_ = std::move(data);
    pinsReady_ = true;
}

void HBOBoardComponent::setPackedPins(std::string packed) {
    packedPins_ = std::move(packed);
    hasPackedPins_ = true;
}

void HBOBoardComponent::setPackedDetails(std::string packed) {
    packedDetails_ = std::move(packed);
    detailsReady_ = false;
}

// ---- buses and nets

HBOBoardBusNet::HBOBoardBusNet(std::string name, uint32_t c1PinIndex, uint32_t c2PinIndex, std::string isEnabled,
                               HBOBoardBus* owner)
    : name_(std::move(name)), c1_(c1PinIndex), c2_(c2PinIndex), isEnabled_(std::move(isEnabled)), owner_(owner) {}

const HBOBoard* HBOBoardBusNet::getBoard() const { return owner_ ? owner_->getBoard() : nullptr; }

void HBOBoardBusNet::getPinsVec(std::vector<HBOPinProps*>& pins) const {
    HBOBoard* board = owner_ ? owner_->getBoard() : nullptr;
    if (!board) return;
    const std::pair<std::string, uint32_t> ends[] = {{owner_->getComp1(), c1_}, {owner_->getComp2(), c2_}};
    for (const auto& end : ends) {
        HBOBoardComponent* component = board->findComponent(end.first);
        if (HBOPinProps* pin = component ? component->findPinByIndex(end.second) : nullptr) pins.push_back(pin);
    }
}

HBOBoardBus::HBOBoardBus(std::string name, std::string comp1, std::string comp2, std::string isEnabled, HBOBoard* board)
    : name_(std::move(name)),
      comp1_(std::move(comp1)),
      comp2_(std::move(comp2)),
      isEnabled_(std::move(isEnabled)),
      board_(board) {}

HBOBoardBus::HBOBoardBus(const HBOBoardBus& other, HBOBoard* board)
    : name_(other.name_),
      comp1_(other.comp1_),
      comp2_(other.comp2_),
      isEnabled_(other.isEnabled_),
      board_(board),
      ranges_(other.ranges_) {}

void addNetRange(HBOBoardBus& bus, HBOBoardBus::NetRange range) { bus.ranges_.push_back(std::move(range)); }

void HBOBoardBus::expand(const NetRange& range) const {
    auto* self = const_cast<HBOBoardBus*>(this);
    if (range.c1Step == 0 && range.c2Step == 0) {
        nets_.emplace_back(range.name, range.c1First, range.c2First, range.isEnabled, self);
        return;
    }
    for (int64_t i = 0; i < range.count; ++i) {
        auto c1 = static_cast<uint32_t>(range.c1First + i * range.c1Step);
        auto c2 = static_cast<uint32_t>(range.c2First + i * range.c2Step);
        nets_.emplace_back(range.name + "_" + std::to_string(i), c1, c2, range.isEnabled, self);
    }
}

const std::vector<HBOBoardBusNet>& HBOBoardBus::nets() const {
    std::call_once(netsOnce_, [this] {
        int64_t total = 0;
        for (const NetRange& range : ranges_) total += range.count;
        nets_.reserve(static_cast<std::size_t>(total));
        for (const NetRange& range : ranges_) expand(range);
        netsMade_ = true;
    });
    return nets_;
}

void HBOBoardBus::getBoardBusNets(std::vector<HBOBoardBusNet*>& nets) const {
    for (const auto& net : this->nets()) nets.push_back(const_cast<HBOBoardBusNet*>(&net));
}

void HBOBoardBus::getBusComponentsVec(std::vector<HBOBoardComponent*>& components) const {
    if (!board_) return;
    for (const std::string* name : {&comp1_, &comp2_})
        if (HBOBoardComponent* component = board_->findComponent(*name)) components.push_back(component);
}

void HBOBoardBus::addNet(const std::string& name, uint32_t c1PinIndex, uint32_t c2PinIndex,
                         const std::string& isEnabled) {
    ranges_.push_back({name, isEnabled, c1PinIndex, c2PinIndex, 0, 0, 1});
    if (netsMade_) expand(ranges_.back());  // a builder after a question: the nets are made already
}

// ---- boards

// The first component of each name, for boards of many components.
struct HBOBoard::ComponentNames {
    static constexpr std::size_t kScanned = 16;  // fewer are looked through
    std::unordered_map<std::string, HBOBoardComponent*> byName;
    std::size_t covered;  // the components indexed, the first ones

    explicit ComponentNames(const std::vector<std::unique_ptr<HBOBoardComponent>>& components)
        : covered(components.size()) {
        byName.reserve(components.size());
        for (const auto& component : components) byName.emplace(component->getComponentName(), component.get());
    }
};

// Every end of every net, by component and pin index, in board order within
// one pin: a question about many pins costs each pin its own nets, not a
// walk over every bus.
struct HBOBoard::NetsOfPins {
    struct End {
        uint32_t component;
        uint32_t pinIndex;
        HBOBoardBusNet* net;
        bool operator<(const End& other) const {
            return component != other.component ? component < other.component : pinIndex < other.pinIndex;
        }
    };
    std::unordered_map<std::string, uint32_t> components;
    std::vector<End> ends;

    explicit NetsOfPins(const std::vector<std::unique_ptr<HBOBoardBus>>& buses) {
        std::vector<HBOBoardBusNet*> nets;
        for (const auto& bus : buses) {
            const uint32_t first = idOf(bus->getComp1());
            const uint32_t second = idOf(bus->getComp2());
            nets.clear();
            bus->getBoardBusNets(nets);
            for (HBOBoardBusNet* net : nets) {
                ends.push_back({first, net->getC1PinIndex(), net});
                if (second != first || net->getC2PinIndex() != net->getC1PinIndex())
                    ends.push_back({second, net->getC2PinIndex(), net});
            }
        }
        std::stable_sort(ends.begin(), ends.end());
    }

    uint32_t idOf(const std::string& component) {
        return components.emplace(component, static_cast<uint32_t>(components.size())).first->second;
    }

    void find(const std::string& component, uint32_t pinIndex, std::vector<HBOBoardBusNet*>& nets) const {
        auto id = components.find(component);
        if (id == components.end()) return;
        auto range = std::equal_range(ends.begin(), ends.end(), End{id->second, pinIndex, nullptr});
        for (auto end = range.first; end != range.second; ++end) nets.push_back(end->net);
    }
};

HBOBoard::HBOBoard() = default;

HBOBoard::HBOBoard(const HBOBoard& base, std::string name)
    : vendor_(base.vendor_),
      boardName_(std::move(name)),
      version_(base.version_),
      displayName_(base.displayName_),
      description_(base.description_),
      schemaVersion_(base.schemaVersion_),
      repository_(base.repository_),
      boardFile_(base.boardFile_),
      presetFile_(base.presetFile_),
      baseBoardName_(base.baseBoardName_.empty() ? base.getName() : base.baseBoardName_),
      integrated_(base.integrated_),
      components_(copyOwned(base.components_, this)),
      buses_(copyOwned(base.buses_, this)),
      jumpers_(copyPlain(base.jumpers_)),
      parameters_(copyPlain(base.parameters_)),
      connectedBoards_(base.connectedBoards_),
      connectedComponents_(base.connectedComponents_) {
    stampBoard(jumpers_, this);
    stampBoard(parameters_, this);
    base.ensurePresets();
    presets_.copyFrom(base.presets_, this);
    std::call_once(presetsOnce_, [] {});
    presetsLoaded_ = true;
    associated_.copyFrom(base.associated_, this);
    dropped_ = base.getDroppedItems();  // after the copies above loaded the base's files
}

HBOBoard::~HBOBoard() = default;

std::vector<HBODroppedItem> HBOBoard::getDroppedItems() const {
    std::lock_guard<std::mutex> lock(droppedMutex_);
    return dropped_;
}

void HBOBoard::addDroppedItem(HBODroppedItem item) const {
    std::lock_guard<std::mutex> lock(droppedMutex_);
    dropped_.push_back(std::move(item));
}

std::string HBOBoard::getName() const { return vendor_ + ":" + boardName_ + ":" + version_; }

std::string HBOBoard::getPartName() const {
    const HBOBoardComponent* fpga = findFpgaComponent();
    return fpga ? fpga->getPartName() : std::string();
}

void HBOBoard::setName(const std::string& vendor, const std::string& name, const std::string& version) {
    vendor_ = vendor;
    boardName_ = name;
    version_ = version;
}

HBOBoardComponent* HBOBoard::findFpgaComponent() const {
    for (const auto& component : components_)
        if (component->isFpga()) return component.get();
    return nullptr;
}

HBOBoardComponent* HBOBoard::findComponent(const std::string& componentName) const {
    std::size_t searched = 0;
    if (components_.size() > ComponentNames::kScanned) {
        std::call_once(componentNamesOnce_,
                       [this] { componentNames_ = std::make_unique<ComponentNames>(components_); });
        auto found = componentNames_->byName.find(componentName);
        if (found != componentNames_->byName.end()) return found->second;
        searched = componentNames_->covered;
    }
    // Few components, or those added after the index was made.
    for (std::size_t i = searched; i < components_.size(); ++i)
        if (components_[i]->getComponentName() == componentName) return components_[i].get();
    return nullptr;
}

void HBOBoard::getBoardComponentsVec(std::vector<HBOBoardComponent*>& components) const {
    appendRaw(components_, components);
}

void HBOBoard::getBuses(std::vector<HBOBoardBus*>& buses) const { appendRaw(buses_, buses); }

void HBOBoard::getBusesOfComponent(const std::string& componentName, std::vector<HBOBoardBus*>& buses) const {
    for (const auto& bus : buses_)
        if (bus->getComp1() == componentName || bus->getComp2() == componentName) buses.push_back(bus.get());
}

void HBOBoard::getNetsOfComponent(const std::string& componentName, std::vector<HBOBoardBusNet*>& nets) const {
    for (const auto& bus : buses_)
        if (bus->getComp1() == componentName || bus->getComp2() == componentName) bus->getBoardBusNets(nets);
}

void HBOBoard::getNetsOfPin(const std::string& componentName, uint32_t pinIndex,
                            std::vector<HBOBoardBusNet*>& nets) const {
    std::call_once(netsOfPinsOnce_, [this] { netsOfPins_ = std::make_unique<NetsOfPins>(buses_); });
    netsOfPins_->find(componentName, pinIndex, nets);
}

void HBOBoard::getJumpers(std::vector<HBOJumper*>& jumpers) const { appendRaw(jumpers_, jumpers); }

void HBOBoard::getParameters(std::vector<HBOParameter*>& parameters) const { appendRaw(parameters_, parameters); }

void HBOBoard::getBusIfSeq(std::vector<HBOBusIf*>& interfaces) const {
    for (const auto& component : components_) component->getBusIfSeq(interfaces, true);
}

const HBOIpPresetMap& HBOBoard::getIpPresets() const {
    ensurePresets();
    return presets_.map;
}

void HBOBoard::ensurePresets() const {
    std::call_once(presetsOnce_, [this] {
        loadPresets();
        presetsLoaded_ = true;
    });
}

void HBOBoard::loadPresets() const {
    if (presetFile_.empty()) return;
    HBODroppedItem dropped{HBODroppedItem::PRESET_FILE, presetFile_, 0, std::string(), std::string()};
    const bool used = HBOBoardInternal::loadPresetFile(
        presetFile_,
        [this](const std::string& key, std::unique_ptr<HBOIpPreset> preset) {
            presets_.add(upperCase(key), std::move(preset), this);
        },
        &dropped);
    if (!used) addDroppedItem(std::move(dropped));
}

void HBOBoard::addConnectedBoard(const std::string& instanceName, const std::string& baseBoardName) {
    connectedBoards_[instanceName] = baseBoardName;
}

void HBOBoard::addConnectedComponents(const std::string& board1, const std::string& component1,
                                      const std::string& board2, const std::string& component2) {
    connectedComponents_[board1 + "#" + component1] = board2 + "#" + component2;
}

HBOBoardComponent* HBOBoard::addComponent(std::unique_ptr<HBOBoardComponent> component) {
    components_.push_back(std::move(component));
    return components_.back().get();
}

HBOBoardBus* HBOBoard::addBus(std::unique_ptr<HBOBoardBus> bus) {
    buses_.push_back(std::move(bus));
    return buses_.back().get();
}

void HBOBoard::addJumper(std::unique_ptr<HBOJumper> jumper) {
    jumper->setBoard(this);
    jumpers_.push_back(std::move(jumper));
}

void HBOBoard::addParameter(std::unique_ptr<HBOParameter> parameter) {
    parameter->setBoard(this);
    parameters_.push_back(std::move(parameter));
}

void HBOBoard::addIpAssociatedPreset(const std::string& interfaceName, std::unique_ptr<HBOIpPreset> preset) {
    associated_.add(interfaceName, std::move(preset), this);
}

void HBOBoard::PresetTable::add(const std::string& key, std::unique_ptr<HBOIpPreset> preset, const HBOBoard* board) {
    preset->setBoard(board);
    map[key].push_back(preset.get());
    owned.push_back(std::move(preset));
}

void HBOBoard::PresetTable::copyFrom(const PresetTable& other, const HBOBoard* board) {
    for (const auto& entry : other.map)
        for (const HBOIpPreset* preset : entry.second) add(entry.first, std::make_unique<HBOIpPreset>(*preset), board);
}
