#include "HPAParamMgr.h"

#include <tcl.h>

#include <cctype>
#include <cstdlib>
#include <map>
#include <mutex>
#include <shared_mutex>
#include <utility>

#include "ComMsgMgr.h"
#include "HEXAll.h"
#include "HSTGlob.h"
#include "HSTStringUtils.h"
#include "HSTValueText.h"

namespace {

struct BuiltIn {
    const char* name;
    HPAParamType type;
    const char* defaultValue;
    const char* description;
};

const BuiltIn kBuiltIns[] = {
    {"tcl.disableCollections", HPAParamType::Bool, "0",
     "Commands return plain Tcl lists instead of collection objects"},
    {"tcl.returnAllIfOfObjectEmpty", HPAParamType::Bool, "0",
     "An empty -of_objects list counts as no -of_objects at all"},
    {"tcl.collectionResultDisplayLimit", HPAParamType::Int, "500",
     "Most elements shown in the text of a collection; -1 shows all"},
    {"tcl.collectionResultDisplayLimitCheck", HPAParamType::Bool, "1",
     "Whether tcl.collectionResultDisplayLimit is applied"},
    {"board.repoPaths", HPAParamType::String, "",
     "Tcl list of board repository folders; empty means the bundled sample repository"},
    {"board.enableSchema2", HPAParamType::Bool, "1", "Enables schema-2 board support and its commands"},
    {"board.enableIntegration", HPAParamType::Bool, "1",
     "Enables integrated board diagrams (needs board.enableSchema2)"},
};

const char* expectedText(HPAParamType type) {
    switch (type) {
        case HPAParamType::Bool:
            return "a boolean (1/0, true/false, yes/no, on/off)";
        case HPAParamType::Int:
            return "an integer";
        case HPAParamType::Double:
            return "a number";
        case HPAParamType::String:
            return "a string";
    }
    return "a string";
}

// The canonical text of a value of the type, or false when it is not one.
bool canonicalText(HPAParamType type, const std::string& text, std::string& canonical) {
    switch (type) {
        case HPAParamType::Bool: {
            bool value = false;
            if (!HSTValueText::parseBool(text, value)) return false;
            canonical = value ? "1" : "0";
            return true;
        }
        case HPAParamType::Int: {
            long long value = 0;
            if (!HSTValueText::parseInteger(text, value)) return false;
            canonical = std::to_string(value);
            return true;
        }
        case HPAParamType::Double: {
            double value = 0;
            if (!HSTValueText::parseDouble(text, value)) return false;
            canonical = HSTValueText::formatDouble(value);
            return true;
        }
        case HPAParamType::String:
            canonical = text;
            return true;
    }
    return false;
}

std::string environmentName(const std::string& name) {
    std::string variable = "ZEM_";
    for (char c : name) variable += c == '.' ? '_' : static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return variable;
}

std::string badValueText(const std::string& name, HPAParamType type, const std::string& value) {
    return "invalid value \"" + HSTStringUtils::excerpt(value) + "\" for parameter \"" + name + "\": expected " +
           expectedText(type);
}

}  // namespace

const char* HPAParamMgr::typeName(HPAParamType type) {
    switch (type) {
        case HPAParamType::Bool:
            return "bool";
        case HPAParamType::Int:
            return "int";
        case HPAParamType::Double:
            return "double";
        case HPAParamType::String:
            return "string";
    }
    return "string";
}

struct HPAParamMgr::Impl {
    mutable std::shared_mutex mutex;  // guards params and listeners
    std::map<std::string, Param, std::less<>> params;
    std::map<int, Listener> listeners;
    int nextListenerId = 1;

    const Param& find(std::string_view name) const {
        const auto found = params.find(name);
        if (found == params.end()) {
            throw HEXError("unknown parameter \"" + HSTStringUtils::excerpt(std::string(name)) + "\"",
                           HEXAll::Kind::notfound, std::string(name));
        }
        return found->second;
    }
    Param& find(std::string_view name) { return const_cast<Param&>(static_cast<const Impl*>(this)->find(name)); }

    // Sets the value under the lock; true when it changed.
    bool assign(std::string_view name, const std::string* value) {
        const std::unique_lock<std::shared_mutex> lock(mutex);
        Param& param = find(name);
        const std::string& canonical = value ? *value : param.defaultValue;
        if (param.value == canonical) return false;
        param.value = canonical;
        return true;
    }

    void notify(std::string_view name) {
        std::map<int, Listener> snapshot;  // a listener may remove itself
        {
            const std::shared_lock<std::shared_mutex> lock(mutex);
            snapshot = listeners;
        }
        const std::string changed(name);
        for (const auto& entry : snapshot) entry.second(changed);
    }

    template <class Read>
    auto read(std::string_view name, Read reader) const {
        const std::shared_lock<std::shared_mutex> lock(mutex);
        return reader(find(name));
    }
};

HPAParamMgr::HPAParamMgr() : impl_(new Impl) {
    for (const auto& builtIn : kBuiltIns) define(builtIn.name, builtIn.type, builtIn.defaultValue, builtIn.description);
}

HPAParamMgr& HPAParamMgr::getParamMgr() {
    static HPAParamMgr instance;
    return instance;
}

void HPAParamMgr::define(const std::string& name, HPAParamType type, const std::string& defaultValue,
                         const std::string& description) {
    std::string canonicalDefault;
    if (!canonicalText(type, defaultValue, canonicalDefault)) {
        throw HEXError("default " + badValueText(name, type, defaultValue));
    }
    Param param{name, type, canonicalDefault, canonicalDefault, description};
    const std::string variable = environmentName(name);
    const char* fromEnv = std::getenv(variable.c_str());
    bool badEnvironment = false;
    if (fromEnv) {
        std::string canonical;
        badEnvironment = !canonicalText(type, fromEnv, canonical);
        if (!badEnvironment) param.value = canonical;
    }
    {
        const std::unique_lock<std::shared_mutex> lock(impl_->mutex);
        const auto existing = impl_->params.find(name);
        if (existing != impl_->params.end()) {
            const Param& old = existing->second;
            if (old.type == type && old.defaultValue == canonicalDefault) return;
            throw HEXError("parameter \"" + name + "\" is already defined as " + typeName(old.type) +
                           " with default \"" + old.defaultValue + "\"");
        }
        impl_->params.emplace(name, std::move(param));
    }
    // A bad environment value must not stop the program from starting.
    if (badEnvironment) {
        ComMsgMgr::sendMsg::eval(4, __FILE__, __LINE__, "common", HMSG_MASK_WARNING, "@48-3@", variable.c_str(),
                                 fromEnv, typeName(type), canonicalDefault.c_str());
    }
}

bool HPAParamMgr::exists(std::string_view name) const {
    const std::shared_lock<std::shared_mutex> lock(impl_->mutex);
    return impl_->params.find(name) != impl_->params.end();
}

void HPAParamMgr::setValue(std::string_view name, const std::string& value) {
    const Param param = get(name);
    std::string canonical;
    if (!canonicalText(param.type, value, canonical))
        throw HEXError(badValueText(param.name, param.type, value), HEXAll::Kind::value, param.name);
    if (impl_->assign(name, &canonical)) impl_->notify(name);
}

void HPAParamMgr::reset(std::string_view name) {
    if (impl_->assign(name, nullptr)) impl_->notify(name);
}

std::string HPAParamMgr::getValue(std::string_view name) const {
    return impl_->read(name, [](const Param& param) { return param.value; });
}

namespace {
const HPAParamMgr::Param& requireType(const HPAParamMgr::Param& param, HPAParamType type) {
    if (param.type != type) {
        throw HEXError("parameter \"" + param.name + "\" is of type " + HPAParamMgr::typeName(param.type) + ", not " +
                           HPAParamMgr::typeName(type),
                       HEXAll::Kind::type, param.name);
    }
    return param;
}
}  // namespace

bool HPAParamMgr::getValueAsBool(std::string_view name) const {
    return impl_->read(name, [](const Param& param) { return requireType(param, HPAParamType::Bool).value == "1"; });
}

long long HPAParamMgr::getValueAsInt(std::string_view name) const {
    return impl_->read(name,
                       [](const Param& param) { return std::stoll(requireType(param, HPAParamType::Int).value); });
}

double HPAParamMgr::getValueAsDouble(std::string_view name) const {
    return impl_->read(name, [](const Param& param) {
        // An int reads as a double without loss of meaning.
        if (param.type == HPAParamType::Int) return static_cast<double>(std::stoll(param.value));
        return std::stod(requireType(param, HPAParamType::Double).value);
    });
}

HPAParamMgr::Param HPAParamMgr::get(std::string_view name) const {
    return impl_->read(name, [](const Param& param) { return param; });
}

std::vector<HPAParamMgr::Param> HPAParamMgr::list(const std::string& globPattern) const {
    const std::shared_lock<std::shared_mutex> lock(impl_->mutex);
    std::vector<Param> out;
    for (const auto& entry : impl_->params) {
        if (HSTGlob::match(entry.first.c_str(), globPattern.c_str(), true)) out.push_back(entry.second);
    }
    return out;
}

int HPAParamMgr::addListener(Listener listener) {
    const std::unique_lock<std::shared_mutex> lock(impl_->mutex);
    const int id = impl_->nextListenerId++;
    impl_->listeners.emplace(id, std::move(listener));
    return id;
}

void HPAParamMgr::removeListener(int id) {
    const std::unique_lock<std::shared_mutex> lock(impl_->mutex);
    impl_->listeners.erase(id);
}
