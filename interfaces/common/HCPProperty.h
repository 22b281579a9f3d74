// Class registry: per native pointer type a class name and a table of
// named, typed properties read from the object. The board model registers
// its classes; filters, help texts and get_property read them.
#pragma once

#include <functional>
#include <string>
#include <type_traits>
#include <typeinfo>
#include <variant>
#include <vector>

#include "tclany.h"

using HCPValue = std::variant<std::monostate, bool, long long, double, std::string>;

class HCPProperty {
public:
    enum class Type { Bool, Int, Double, String };

    struct PropertyDef {
        std::string name;  // upper case, e.g. "NAME"
        Type type;
        std::string description;
        std::function<HCPValue(const void* object)> get;  // object: the T* as void*
        // For a text the object holds: read without a copy (filters over
        // thousands of pins). Empty for other properties.
        std::function<const std::string&(const void* object)> text;
    };

    struct ObjectInfo {
        std::string className;                                  // e.g. "board_component"
        const std::type_info* pointerType;                      // typeid(T*)
        std::vector<PropertyDef> properties;                    // in registration order
        const void* (*objectOf)(const tov::tcltasks::tclany&);  // the T* held, as void*
        // Properties that only the data names (the further attributes of
        // pins), asked after the fixed ones: the definition of a name in
        // capital letters, valid for the life of the process, or null ...
        const PropertyDef* (*findMore)(const std::string& capitalName) = nullptr;
        // ... and those one object has, in its order.
        void (*moreOf)(const void* object, std::vector<const PropertyDef*>& properties) = nullptr;

        const PropertyDef* findProperty(const std::string& name) const;  // case-blind
        // The fixed properties, then the further ones the object has.
        std::vector<const PropertyDef*> propertiesOf(const void* object) const;
    };

    // "bool", "int", "double" or "string".
    static const char* typeName(Type type);

    // Null when the type is not registered.
    static const ObjectInfo* getObjectInfo(const std::type_info& pointerType);
    static const ObjectInfo* getObjectInfo(const tov::tcltasks::tclany& value);
    // Empty for a null info.
    static std::string getObjectClassName(const ObjectInfo* info);
    static std::vector<const ObjectInfo*> allClasses();

    // Registers (or returns the already registered) class of T*.
    template <class T>
    static ObjectInfo& registerClass(const std::string& className) {
        return registerClassImpl(typeid(T*), className, [](const tov::tcltasks::tclany& value) -> const void* {
            const auto* held = tov::tcltasks::tclany_cast<T*>(value);
            return held ? static_cast<const void*>(*held) : nullptr;
        });
    }

    // Adds or replaces a property of a registered class. A getter that
    // returns const std::string& also gives the property its text reader.
    template <class T, class F>
    static void addProperty(ObjectInfo& info, const std::string& name, Type type, const std::string& description,
                            F getter) {
        PropertyDef property{
            name,
            type,
            description,
            [getter](const void* object) -> HCPValue { return HCPValue(getter(*static_cast<const T*>(object))); },
            {}};
        if constexpr (std::is_same_v<decltype(getter(std::declval<const T&>())), const std::string&>) {
            property.text = [getter](const void* object) -> const std::string& {
                return getter(*static_cast<const T*>(object));
            };
        }
        addPropertyImpl(info, std::move(property));
    }

    // The value of a property of an object; monostate for an empty value or
    // an object of another class.
    static HCPValue getValue(const tov::tcltasks::tclany& value, const PropertyDef& property);
    // Text of a value: bools as "1"/"0", numbers in Tcl's form, empty for none.
    static std::string toText(const HCPValue& value);

private:
    static ObjectInfo& registerClassImpl(const std::type_info& pointerType, const std::string& className,
                                         const void* (*objectOf)(const tov::tcltasks::tclany&));
    static void addPropertyImpl(ObjectInfo& info, PropertyDef property);
};
