#include "HCPProperty.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <memory>
#include <typeindex>

#include "HSTStringUtils.h"
#include "HSTValueText.h"

namespace {

struct Registry {
    std::map<std::type_index, std::unique_ptr<HCPProperty::ObjectInfo>> byType;  // stable addresses
    std::vector<const HCPProperty::ObjectInfo*> inOrder;
};

// Never destroyed: other libraries' static destructors may still look up.
Registry& registry() {
    static Registry* instance = new Registry;
    return *instance;
}

std::string upperCased(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

bool belongsTo(const HCPProperty::ObjectInfo& info, const HCPProperty::PropertyDef& property) {
    const auto* first = info.properties.data();
    if (&property >= first && &property < first + info.properties.size()) return true;
    return info.findMore && info.findMore(property.name) == &property;
}

}  // namespace

const HCPProperty::PropertyDef* HCPProperty::ObjectInfo::findProperty(const std::string& name) const {
    for (const auto& property : properties) {
        if (HSTStringUtils::iequals(property.name, name)) return &property;
    }
    return findMore ? findMore(upperCased(name)) : nullptr;
}

std::vector<const HCPProperty::PropertyDef*> HCPProperty::ObjectInfo::propertiesOf(const void* object) const {
    std::vector<const PropertyDef*> all;
    all.reserve(properties.size());
    for (const auto& property : properties) all.push_back(&property);
    if (moreOf && object) moreOf(object, all);
    return all;
}

const HCPProperty::ObjectInfo* HCPProperty::getObjectInfo(const std::type_info& pointerType) {
    const auto found = registry().byType.find(std::type_index(pointerType));
    return found == registry().byType.end() ? nullptr : found->second.get();
}

const HCPProperty::ObjectInfo* HCPProperty::getObjectInfo(const tov::tcltasks::tclany& value) {
    return value.empty() ? nullptr : getObjectInfo(value.type());
}

std::string HCPProperty::getObjectClassName(const ObjectInfo* info) { return info ? info->className : std::string(); }

std::vector<const HCPProperty::ObjectInfo*> HCPProperty::allClasses() { return registry().inOrder; }

HCPValue HCPProperty::getValue(const tov::tcltasks::tclany& value, const PropertyDef& property) {
    const ObjectInfo* info = getObjectInfo(value);
    if (!info || !belongsTo(*info, property) || !property.get) return {};
    const void* object = info->objectOf(value);
    return object ? property.get(object) : HCPValue{};
}

std::string HCPProperty::toText(const HCPValue& value) {
    struct Text {
        std::string operator()(std::monostate) const { return {}; }
        std::string operator()(bool b) const { return b ? "1" : "0"; }
        std::string operator()(long long n) const { return std::to_string(n); }
        std::string operator()(double d) const { return HSTValueText::formatDouble(d); }
        std::string operator()(const std::string& s) const { return s; }
    };
    return std::visit(Text{}, value);
}

HCPProperty::ObjectInfo& HCPProperty::registerClassImpl(const std::type_info& pointerType, const std::string& className,
                                                        const void* (*objectOf)(const tov::tcltasks::tclany&)) {
    auto& slot = registry().byType[std::type_index(pointerType)];
    if (!slot) {
        slot.reset(new ObjectInfo{className, &pointerType, {}, objectOf});
        registry().inOrder.push_back(slot.get());
    }
    return *slot;
}

void HCPProperty::addPropertyImpl(ObjectInfo& info, PropertyDef property) {
    property.name = upperCased(property.name);
    auto existing = std::find_if(info.properties.begin(), info.properties.end(),
                                 [&](const PropertyDef& p) { return p.name == property.name; });
    if (existing != info.properties.end()) {
        *existing = std::move(property);
    } else {
        info.properties.push_back(std::move(property));
    }
}

const char* HCPProperty::typeName(Type type) {
    switch (type) {
        case Type::Bool:
            return "bool";
        case Type::Int:
            return "int";
        case Type::Double:
            return "double";
        case Type::String:
            return "string";
    }
    return "string";
}
