// Class names and properties of the board objects, for filters, help texts
// and property queries. Properties that only schema-2 boards carry are in
// the initV2Props() groups.
#include <deque>
#include <initializer_list>
#include <map>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "HBOBoardInternal.h"
#include "HBOBoardModel.h"
#include "HBOCPropertyInit.h"
#include "HCPProperty.h"
#include "HSTStringUtils.h"
#include "HTCTclUtils.h"

namespace {

using Type = HCPProperty::Type;

template <class T>
struct Prop {
    const char* name;
    Type type;
    const char* description;
    HCPValue (*get)(const T&);
};

template <class T>
void registerProps(const char* className, std::initializer_list<Prop<T>> props) {
    HCPProperty::ObjectInfo& info = HCPProperty::registerClass<T>(className);
    std::string name = className;
    HCPProperty::addProperty<T>(info, "CLASS", Type::String, "Class of the object",
                                [name](const T&) { return HCPValue(name); });
    for (const Prop<T>& prop : props)
        HCPProperty::addProperty<T>(info, prop.name, prop.type, prop.description, prop.get);
}

HCPValue text(std::string value) { return HCPValue(std::move(value)); }
// IS_ENABLED follows the class's query command: "true" in any letter case,
// except for buses and nets, whose commands take only "true" exactly.
HCPValue flag(const std::string& enabled) { return HCPValue(HSTStringUtils::iequals(enabled, "true")); }
HCPValue exactFlag(const std::string& enabled) { return HCPValue(enabled == "true"); }
HCPValue number(long long value) { return HCPValue(value); }

// The preset's user parameters as a Tcl dict: name value name value ...
std::string userParametersOf(const HBOIpPreset& preset) {
    std::vector<HBOParameter*> parameters;
    preset.getParameters(parameters);
    std::vector<std::string> words;
    for (const HBOParameter* parameter : parameters) {
        words.push_back(parameter->getName());
        words.push_back(parameter->getValue());
    }
    return HTCTclUtils::mergeList(words);
}

// A map as a Tcl dictionary (key value key value ...), in key order, so that
// a script reads it with dict and a filter matches it with =~.
HCPValue dictionary(const std::map<std::string, std::string>& map) {
    std::vector<std::string> words;
    words.reserve(2 * map.size());
    for (const auto& entry : map) {
        words.push_back(entry.first);
        words.push_back(entry.second);
    }
    return text(HTCTclUtils::mergeList(words));
}

std::string boardNameOf(const HBOBoardComponent* component) {
    return component && component->getBoard() ? component->getBoard()->getName() : std::string();
}
std::string componentNameOf(const HBOBoardComponent* component) {
    return component ? component->getComponentName() : std::string();
}
std::string boardNameOf(const HBOBoardBus* bus) {
    return bus && bus->getBoard() ? bus->getBoard()->getName() : std::string();
}

// The name of the pin at one end of a net; empty when that end has no such pin.
std::string pinNameAt(const HBOBoardBusNet& net, bool firstEnd) {
    const HBOBoardBus* bus = net.getOwner();
    HBOBoard* board = bus ? bus->getBoard() : nullptr;
    HBOBoardComponent* component = board ? board->findComponent(firstEnd ? bus->getComp1() : bus->getComp2()) : nullptr;
    HBOPinProps* pin =
        component ? component->findPinByIndex(firstEnd ? net.getC1PinIndex() : net.getC2PinIndex()) : nullptr;
    return pin ? pin->getName() : std::string();
}

std::string endOf(const HBOBoardBusNet& net, bool firstEnd) {
    const HBOBoardBus* bus = net.getOwner();

    if (!bus) return std::string();
    return firstEnd ? bus->getComp1() : bus->getComp2();
}

// The interface of a port: its own for schema 2; for an older pin file's
// port, the first interface of the component whose port map names it.
std::string interfaceNameOf(const HBOModelPort& port) {
    if (const HBOBusIf* busIf = port.getBusIf()) return busIf->getName();
    std::vector<HBOBusIf*> interfaces;
    if (port.getOwner()) port.getOwner()->getInterfacesVec(interfaces);
    for (const HBOBusIf* busIf : interfaces) {
        std::vector<HBOPortMap*> maps;
        busIf->getPortMapSeq(maps);
        for (const HBOPortMap* map : maps)
            if (map->getPhysicalPort() == port.getName()) return busIf->getName();
    }
    return std::string();
}

// Schema 2: the entries of the pin map; older pin files: the port's pins.
long long pinCountOf(const HBOModelPort& port) {
    if (port.getBusIf()) return static_cast<long long>(port.getPinPortMap().size());
    std::vector<HBOPinProps*> pins;
    port.getPortPropsSeq(pins);
    return static_cast<long long>(pins.size());
}

// The further attributes of pin files, one property each, defined the
// first time a query names one that some pin file gave. Never freed: the
// class registry hands the definitions out for the life of the process.
class ExtraPinProperties {
public:
    static const HCPProperty::PropertyDef* find(const std::string& capitalName) {
        const std::string* name = HBOBoardInternal::findExtraAttrName(capitalName);
        return name ? get().definitionOf(name) : nullptr;
    }
    static void of(const void* object, std::vector<const HCPProperty::PropertyDef*>& properties) {
        for (const HBOPinProps::Extra& extra : static_cast<const HBOPinProps*>(object)->getExtraAttrs())
            properties.push_back(get().definitionOf(extra.first));
    }

private:
    static ExtraPinProperties& get() {
        static ExtraPinProperties* kept = new ExtraPinProperties;
        return *kept;
    }

    const HCPProperty::PropertyDef* definitionOf(const std::string* name) {
        std::lock_guard<std::mutex> lock(mutex_);
        auto found = byName_.find(name);
        if (found != byName_.end()) return found->second;
        const HCPProperty::PropertyDef* made = &definitions_.emplace_back(HCPProperty::PropertyDef{
            *name, HCPProperty::Type::String, "Further pin attribute from the pin file",
            [name](const void* object) -> HCPValue {
                const std::string* value = static_cast<const HBOPinProps*>(object)->findExtraAttr(*name);
                return value ? HCPValue(*value) : HCPValue(std::string());
            },
            [name](const void* object) -> const std::string& {
                static const std::string none;
                const std::string* value = static_cast<const HBOPinProps*>(object)->findExtraAttr(*name);
                return value ? *value : none;
            }});
        byName_.emplace(name, made);
        return made;
    }

    std::mutex mutex_;
    std::deque<HCPProperty::PropertyDef> definitions_;  // stable addresses
    std::unordered_map<const std::string*, const HCPProperty::PropertyDef*> byName_;
};

// The thirteen pin properties, NAME first; then the further attributes.
void registerPinProps() {
    HCPProperty::ObjectInfo& info = HCPProperty::registerClass<HBOPinProps>("board_part_pin");
    HCPProperty::addProperty<HBOPinProps>(info, "CLASS", Type::String, "Class of the object",
                                          [](const HBOPinProps&) { return text("board_part_pin"); });
    info.findMore = &ExtraPinProperties::find;
    info.moreOf = &ExtraPinProperties::of;
    HCPProperty::addProperty<HBOPinProps>(info, HBO_PIN_PROP_NAME, Type::String, "Pin name",
                                          [](const HBOPinProps& p) -> const std::string& { return p.getName(); });
    HCPProperty::addProperty<HBOPinProps>(info, HBO_PIN_PROP_INDEX, Type::Int, "Pin index",
                                          [](const HBOPinProps& p) { return number(p.getPinIndex()); });
    const std::pair<const std::string*, HBOPinProps::Attr> textProps[] = {
        {&HBO_PIN_PROP_LOC, HBOPinProps::LOC},
        {&HBO_PIN_PROP_DIFF_TERM, HBOPinProps::DIFF_TERM},
        {&HBO_PIN_PROP_DRIVE, HBOPinProps::DRIVE},
        {&HBO_PIN_PROP_IOSTANDARD, HBOPinProps::IOSTANDARD},
        {&HBO_PIN_PROP_SLEW, HBOPinProps::SLEW},
        {&HBO_PIN_PROP_OUTPUT_IMPEDANCE, HBOPinProps::OUTPUT_IMPEDANCE},
        {&HBO_PIN_PROP_IBUF_LOW_PWR, HBOPinProps::IBUF_LOW_PWR},
        {&HBO_PIN_PROP_ODT, HBOPinProps::ODT},
        {&HBO_PIN_PROP_EQUALIZATION, HBOPinProps::EQUALIZATION},
        {&HBO_PIN_PROP_PRE_EMPHASIS, HBOPinProps::PRE_EMPHASIS},
        {&HBO_PIN_PROP_DQS_BIAS, HBOPinProps::DQS_BIAS},
    };
    for (const auto& entry : textProps) {
        HBOPinProps::Attr attr = entry.second;
        HCPProperty::addProperty<HBOPinProps>(
            info, *entry.first, Type::String, "Pin attribute from the pin file",
            [attr](const HBOPinProps& p) -> const std::string& { return p.getAttr(attr); });
    }
}

}  // namespace

namespace HBOCPropertyInit {

namespace board {
void init() {
    registerProps<HBOBoard>(
        "board",
        {{"NAME", Type::String, "vendor:name:file_version", [](const HBOBoard& b) { return text(b.getName()); }},
         {"VENDOR", Type::String, "Board vendor", [](const HBOBoard& b) { return text(b.getVendor()); }},
         {"BOARD_NAME", Type::String, "Board name", [](const HBOBoard& b) { return text(b.getBoardName()); }},
         {"DISPLAY_NAME", Type::String, "Display name", [](const HBOBoard& b) { return text(b.getDisplayName()); }},
         {"FILE_VERSION", Type::String, "Board file version", [](const HBOBoard& b) { return text(b.getVersion()); }},
         {"SCHEMA_VERSION", Type::String, "Board file schema version",
          [](const HBOBoard& b) { return text(b.getSchemaVersion()); }},
         {"PART_NAME", Type::String, "Part of the FPGA component",
          [](const HBOBoard& b) { return text(b.getPartName()); }},
         {"IS_INTEGRATED", Type::Bool, "Integrated board diagram",
          [](const HBOBoard& b) { return HCPValue(b.isIntegratedBoard()); }},
         {"DESCRIPTION", Type::String, "Description", [](const HBOBoard& b) { return text(b.getDescription()); }},
         {"BOARD_FILE", Type::String, "Path of the board file",
          [](const HBOBoard& b) { return text(b.getBoardFile()); }},
         {"REPOSITORY", Type::String, "Folder of the board", [](const HBOBoard& b) { return text(b.getRepository()); }},
         {"CONNECTED_BOARDS", Type::String, "Instances of a diagram: instance name -> base board (a dict)",
          [](const HBOBoard& b) { return dictionary(b.getConnectedBoards()); }},
         {"CONNECTORS", Type::String, "Connections of a diagram: board#connector -> board#connector (a dict)",
          [](const HBOBoard& b) { return dictionary(b.getConnectedComponents()); }}});
}
}  // namespace board

namespace board_component {
void init() {
    using C = HBOBoardComponent;
    registerProps<C>(
        "board_component",
        {{"NAME", Type::String, "vendor:board:component:file_version", [](const C& c) { return text(c.getName()); }},
         {"COMPONENT_NAME", Type::String, "Name within the board",
          [](const C& c) { return text(c.getComponentName()); }},
         {"BOARD", Type::String, "Full name of the board", [](const C& c) { return text(boardNameOf(&c)); }},
         {"TYPE", Type::String, "Component type (fpga, chip, ...)", [](const C& c) { return text(c.getType()); }},
         {"PART_NAME", Type::String, "Part name", [](const C& c) { return text(c.getPartName()); }},
         {"VENDOR", Type::String, "Component vendor", [](const C& c) { return text(c.getVendor()); }},
         {"PIN_MAP_FILE", Type::String, "Path of the pin file (empty: pins in the board file)",
          [](const C& c) { return text(c.getPinMapFile()); }}});
}
void initV2Props() {
    using C = HBOBoardComponent;
    registerProps<C>(
        "board_component",
        {{"SUB_TYPE", Type::String, "Component sub type", [](const C& c) { return text(c.getSubType()); }},
         {"DISPLAY_NAME", Type::String, "Display name", [](const C& c) { return text(c.getDisplayName()); }},
         {"DESCRIPTION", Type::String, "Description", [](const C& c) { return text(c.getDescription()); }},
         {"IS_ENABLED", Type::Bool, "Enabled (\"true\" in any case)",
          [](const C& c) { return flag(c.getIsEnabled()); }}});
}
}  // namespace board_component

namespace board_part_interface {
void init() {
    registerProps<HBOBusIf>(
        "board_part_interface",
        {{"NAME", Type::String, "Interface name", [](const HBOBusIf& i) { return text(i.getName()); }},
         {"MODE", Type::String, "master, slave, ...", [](const HBOBusIf& i) { return text(i.getMode()); }},
         {"TYPE", Type::String, "VLNV of the bus definition", [](const HBOBusIf& i) { return text(i.getType()); }},
         {"OF_COMPONENT", Type::String, "Component the interface reaches",
          [](const HBOBusIf& i) { return text(i.getOfComponent()); }},
         {"COMPONENT", Type::String, "Owning component",
          [](const HBOBusIf& i) { return text(componentNameOf(i.getOwnerComponent())); }},
         {"BOARD", Type::String, "Full name of the board",
          [](const HBOBusIf& i) { return text(boardNameOf(i.getOwnerComponent())); }}});
    board_port_map::init();
}
void initV2Props() {
    registerProps<HBOBusIf>("board_part_interface", {{"PRESET_PROC", Type::String, "Preset procedure",
                                                      [](const HBOBusIf& i) { return text(i.getPresetProcName()); }},
                                                     {"IS_ENABLED", Type::Bool, "Enabled (\"true\" in any case)",
                                                      [](const HBOBusIf& i) { return flag(i.getIsEnabled()); }}});
}
}  // namespace board_part_interface

namespace board_part_pin {
void init() { registerPinProps(); }
void initV2Props() {
    registerProps<HBOPinProps>("board_part_pin",
                               {{"COMPONENT", Type::String, "Owning component",
                                 [](const HBOPinProps& p) { return text(componentNameOf(p.getOwner())); }},
                                {"BOARD", Type::String, "Full name of the board",
                                 [](const HBOPinProps& p) { return text(boardNameOf(p.getOwner())); }},
                                {"PORT", Type::String, "Port of an older board's pin file (empty for schema 2)",
                                 [](const HBOPinProps& p) { return text(p.getPortName()); }}});
}
}  // namespace board_part_pin

namespace board_ip_preset {
void init() {
    using P = HBOIpPreset;
    registerProps<P>(
        "board_ip_preset",
        {{"NAME", Type::String, "IP name", [](const P& p) { return text(p.getName()); }},
         {"PRESET_NAME", Type::String, "Preset proc or rule name", [](const P& p) { return text(p.getPresetName()); }},
         {"VENDOR", Type::String, "IP vendor", [](const P& p) { return text(p.getVendor()); }},
         {"LIBRARY", Type::String, "IP library", [](const P& p) { return text(p.getLibrary()); }},
         {"VERSION", Type::String, "IP version", [](const P& p) { return text(p.getVersion()); }},
         {"VLNV", Type::String, "vendor:library:name:version", [](const P& p) { return text(p.getVlnv()); }},
         {"IP_INTERFACE", Type::String, "IP interface of the rule",
          [](const P& p) { return text(p.getIpInterface()); }},
         {"BOARD_INTERFACE", Type::String, "Board interface the rule associates",
          [](const P& p) { return text(p.getBoardInterface()); }},
         {"USER_PARAMETERS", Type::String, "Parameter names and values the preset sets (a dict)",
          [](const P& p) { return text(userParametersOf(p)); }}});
}
}  // namespace board_ip_preset

namespace board_jumper {
void init() {
    registerProps<HBOJumper>(
        "board_jumper",
        {{"NAME", Type::String, "Jumper name", [](const HBOJumper& j) { return text(j.getName()); }},
         {"DEFAULT_MODE", Type::String, "Default mode", [](const HBOJumper& j) { return text(j.getDefaultMode()); }},
         {"DESCRIPTION", Type::String, "Description", [](const HBOJumper& j) { return text(j.getDescription()); }}});
}
}  // namespace board_jumper

namespace board_parameter {
void init() {
    registerProps<HBOParameter>(
        "board_parameter",
        {{"NAME", Type::String, "Parameter name", [](const HBOParameter& p) { return text(p.getName()); }},
         {"VALUE", Type::String, "Value", [](const HBOParameter& p) { return text(p.getValue()); }},
         {"VALUE_TYPE", Type::String, "Type of the value",
          [](const HBOParameter& p) { return text(p.getValueType()); }}});
}
}  // namespace board_parameter

namespace board_bus {
void init() {
    using B = HBOBoardBus;
    registerProps<B>(
        "board_bus",
        {{"NAME", Type::String, "Connection name", [](const B& b) { return text(b.getName()); }},
         {"BOARD", Type::String, "Full name of the board", [](const B& b) { return text(boardNameOf(&b)); }},
         {"COMPONENT1", Type::String, "First component", [](const B& b) { return text(b.getComp1()); }},
         {"COMPONENT2", Type::String, "Second component", [](const B& b) { return text(b.getComp2()); }},
         {"IS_ENABLED", Type::Bool, "Enabled (exactly \"true\")",
          [](const B& b) { return exactFlag(b.getIsEnabled()); }}});
}
}  // namespace board_bus

namespace board_bus_net {
void init() {
    using N = HBOBoardBusNet;
    registerProps<N>(
        "board_bus_net",
        {{"NAME", Type::String, "connection_map name and position", [](const N& n) { return text(n.getName()); }},
         {"C1_PIN_INDEX", Type::Int, "Pin index on the first component",
          [](const N& n) { return number(n.getC1PinIndex()); }},
         {"C2_PIN_INDEX", Type::Int, "Pin index on the second component",
          [](const N& n) { return number(n.getC2PinIndex()); }},
         {"BUS", Type::String, "Owning connection",
          [](const N& n) { return text(n.getOwner() ? n.getOwner()->getName() : std::string()); }},
         {"BOARD", Type::String, "Full name of the board", [](const N& n) { return text(boardNameOf(n.getOwner())); }},
         {"COMPONENT1", Type::String, "First component of the connection",
          [](const N& n) { return text(endOf(n, true)); }},
         {"COMPONENT2", Type::String, "Second component of the connection",
          [](const N& n) { return text(endOf(n, false)); }},
         {"C1_PIN", Type::String, "Pin name on the first component",
          [](const N& n) { return text(pinNameAt(n, true)); }},
         {"C2_PIN", Type::String, "Pin name on the second component",
          [](const N& n) { return text(pinNameAt(n, false)); }},
         {"IS_ENABLED", Type::Bool, "Enabled (exactly \"true\")",
          [](const N& n) { return exactFlag(n.getIsEnabled()); }}});
}
}  // namespace board_bus_net

namespace board_interface_port {
void init() {
    using M = HBOModelPort;
    registerProps<M>("board_interface_port",
                     {{"NAME", Type::String, "Physical port name", [](const M& m) { return text(m.getName()); }},
                      {"DIR", Type::String, "Direction", [](const M& m) { return text(m.getDir()); }},
                      {"LEFT", Type::String, "Left bound", [](const M& m) { return text(m.getLeft()); }},
                      {"RIGHT", Type::String, "Right bound", [](const M& m) { return text(m.getRight()); }},
                      {"PIN_COUNT", Type::Int, "Pins of the port", [](const M& m) { return number(pinCountOf(m)); }},
                      {"LOGICAL_PORT", Type::String, "Logical port of the port map (schema 2)",
                       [](const M& m) { return text(m.getLogicalPort()); }},
                      {"INTERFACE", Type::String, "Interface that maps the port",
                       [](const M& m) { return text(interfaceNameOf(m)); }},
                      {"COMPONENT", Type::String, "Owning component",
                       [](const M& m) { return text(componentNameOf(m.getOwner())); }},
                      {"BOARD", Type::String, "Full name of the board",
                       [](const M& m) { return text(boardNameOf(m.getOwner())); }}});
}
}  // namespace board_interface_port

namespace board_component_mode {
void init() {
    using M = HBOComponentMode;
    registerProps<M>(
        "board_component_mode",
        {{"NAME", Type::String, "Mode name", [](const M& m) { return text(m.getName()); }},
         {"DISPLAY_NAME", Type::String, "Display name", [](const M& m) { return text(m.getDisplayName()); }},
         {"IS_ENABLED", Type::Bool, "Enabled (\"true\" in any case)",
          [](const M& m) { return flag(m.getIsEnabled()); }},
         {"COMPONENT", Type::String, "Owning component",
          [](const M& m) { return text(componentNameOf(m.getOwner())); }},
         {"BOARD", Type::String, "Full name of the board", [](const M& m) { return text(boardNameOf(m.getOwner())); }},
         {"INTERFACES", Type::String, "Names of the mode's interfaces, a list",
          [](const M& m) { return text(HTCTclUtils::mergeList(m.getInterfaceNames())); }}});
}
}  // namespace board_component_mode

namespace board_user_preference {
void init() {
    using P = HBOBusIfPreference;
    registerProps<P>(
        "board_user_preference",
        {{"NAME", Type::String, "IP name", [](const P& p) { return text(p.getName()); }},
         {"VENDOR", Type::String, "IP vendor", [](const P& p) { return text(p.getVendor()); }},
         {"LIBRARY", Type::String, "IP library", [](const P& p) { return text(p.getLibrary()); }},
         {"VERSION", Type::String, "IP version", [](const P& p) { return text(p.getVersion()); }},
         {"VLNV", Type::String, "vendor:library:name:version", [](const P& p) { return text(p.getVlnv()); }},
         {"ORDER", Type::Int, "Preference order, lowest first", [](const P& p) { return number(p.getOrder()); }}});
}
}  // namespace board_user_preference

namespace board_port_map {
void init() {
    using P = HBOPortMap;
    registerProps<P>(
        "board_port_map",
        {{"NAME", Type::String, "Logical port", [](const P& p) { return text(p.getName()); }},
         {"LOGICAL_PORT", Type::String, "Logical port", [](const P& p) { return text(p.getLogicalPort()); }},
         {"PHYSICAL_PORT", Type::String, "Physical port", [](const P& p) { return text(p.getPhysicalPort()); }}});
}
}  // namespace board_port_map

void initAll() {
    board_component::init();
    board_part_interface::init();
    board_part_pin::init();
    board_ip_preset::init();
    bool& initialized = initV2Props();
    if (initialized) return;
    initialized = true;
    board::init();
    board_component::initV2Props();
    board_part_interface::initV2Props();
    board_part_pin::initV2Props();
    board_jumper::init();
    board_parameter::init();
    board_bus_net::init();
    board_bus::init();
    board_interface_port::init();
    board_component_mode::init();
    board_user_preference::init();
}

}  // namespace HBOCPropertyInit
