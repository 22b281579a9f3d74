// Application parameters: named, typed values with defaults.
// A parameter's first value may come from the environment: the variable is
// the name upper-cased with '.' replaced by '_' and prefixed "ZEM_",
// e.g. ZEM_TCL_DISABLECOLLECTIONS for "tcl.disableCollections".
#pragma once

#include <functional>
#include <string>
#include <vector>

enum class HPAParamType { Bool, Int, Double, String };

class HPAParamMgr {
public:
    struct Param {
        std::string name;
        HPAParamType type;
        std::string defaultValue;  // canonical text of the default
        std::string value;         // canonical text of the current value
        std::string description;
    };

    static HPAParamMgr& getParamMgr();
    // "bool", "int", "double" or "string".
    static const char* typeName(HPAParamType type);

    // Declares a parameter; declaring an existing name again is an error
    // unless type and default agree. Reads the environment once.
    void define(const std::string& name, HPAParamType type, const std::string& defaultValue,
                const std::string& description);

    bool exists(const std::string& name) const;
    // Unknown names throw HEXError("unknown parameter ..."); a value that is
    // not of the parameter's type throws HEXError naming parameter, value and type.
    void setValue(const std::string& name, const std::string& value);
    void reset(const std::string& name);
    std::string getValue(const std::string& name) const;
    bool getValueAsBool(const std::string& name) const;
    long long getValueAsInt(const std::string& name) const;
    double getValueAsDouble(const std::string& name) const;
    const Param& get(const std::string& name) const;
    std::vector<const Param*> list(const std::string& globPattern = "*") const;

    // Called after a parameter's value changes (by set or reset).
    using Listener = std::function<void(const std::string& name)>;
    int addListener(Listener listener);
    void removeListener(int id);

private:
    HPAParamMgr();
    struct Impl;
    Impl* impl_;
};
