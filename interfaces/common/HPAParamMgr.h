// Application parameters: named, typed values with defaults.
// A parameter's first value may come from the environment: the variable is
// the name upper-cased with '.' replaced by '_' and prefixed "ZEM_",
// e.g. ZEM_TCL_DISABLECOLLECTIONS for "tcl.disableCollections".
//
// One store per process, safe to use from any thread: a value set in one
// interpreter is the value in every other (the parameters describe the
// application, and the board repository they name is one per process).
#pragma once

#include <functional>
#include <string>
#include <string_view>
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

    bool exists(std::string_view name) const;
    // Unknown names throw HEXError("unknown parameter ..."); a value that is
    // not of the parameter's type throws HEXError naming parameter, value and type.
    void setValue(std::string_view name, const std::string& value);
    void reset(std::string_view name);
    std::string getValue(std::string_view name) const;
    bool getValueAsBool(std::string_view name) const;
    long long getValueAsInt(std::string_view name) const;
    double getValueAsDouble(std::string_view name) const;
    // Copies: another thread may change a value at any time.
    Param get(std::string_view name) const;
    std::vector<Param> list(const std::string& globPattern = "*") const;

    // Called after a parameter's value changes (by set or reset), on the
    // thread that changed it and outside the store's lock, so a listener
    // may read parameters.
    using Listener = std::function<void(const std::string& name)>;
    int addListener(Listener listener);
    void removeListener(int id);

private:
    HPAParamMgr();
    struct Impl;
    Impl* impl_;
};
