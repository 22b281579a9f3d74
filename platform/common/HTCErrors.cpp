#include "HTCErrors.h"

#include <exception>

#include "HSTStringUtils.h"

namespace HTCErrors {

namespace {
// A huge value is quoted in excerpts, so that its error stays short.
std::string quoted(const std::string& text) { return "\"" + HSTStringUtils::excerpt(text) + "\""; }

// The value semantics turn every failed conversion into an invalid value;
// text where objects are expected stays a type error.
HEXAll::Kind kind_of_invalid_value() {
    try {
        if (std::current_exception()) std::rethrow_exception(std::current_exception());
    } catch (const not_implemented&) {
        return HEXAll::Kind::type;
    } catch (...) {
    }
    return HEXAll::Kind::value;
}
}  // namespace

error::error(const std::string& text, Kind kind, const std::string& detail) : HEXError(text, kind, detail) {}
error::~error() = default;

wrong_args::wrong_args(const std::string& usage, const std::string& detail)
    : error("wrong # args: should be \"" + usage + "\"", Kind::usage, detail) {}
wrong_args::~wrong_args() = default;

type_error::type_error() : error("wrong type of value", Kind::type) {}
type_error::type_error(const std::string& detail) : error("wrong type of value: " + detail, Kind::type) {}
type_error::~type_error() = default;

invalid_option_value::invalid_option_value(const std::string& option, const std::string& value)
    : error("invalid value " + quoted(value) + " for option " + quoted(option), kind_of_invalid_value(), option) {}
invalid_option_value::~invalid_option_value() = default;

multiple_occurrences::multiple_occurrences(const std::string& option)
    : error("option " + quoted(option) + " given more than once", Kind::usage, option) {}
multiple_occurrences::~multiple_occurrences() = default;

index_out_of_range::index_out_of_range(long index)
    : error("index " + std::to_string(index) + " is out of range", Kind::value) {}
index_out_of_range::~index_out_of_range() = default;

append_typed_collection::append_typed_collection()
    : error("cannot append a collection of another object type", Kind::type) {}
append_typed_collection::~append_typed_collection() = default;

validation_error::validation_error(const std::string& text) : error(text, Kind::value) {}
validation_error::~validation_error() = default;

not_implemented::not_implemented() : error("not implemented", Kind::type) {}
not_implemented::~not_implemented() = default;

command_failed::command_failed(const std::string& command, const std::string& reason)
    : error("command " + quoted(command) + " failed" + (reason.empty() ? std::string() : ": " + reason)) {}
command_failed::command_failed(const std::string& text, Kind kind) : error(text, kind) {}
command_failed::~command_failed() = default;

ComMsgMgrInstance ofObjectNotSupported(const std::string& className, const std::string& acceptedTypes) {
    // A value without a registered class is plain text (or an unknown object).
    const std::string given = className.empty() ? std::string("a plain value that is not an object")
                                                : "objects of class '" + className + "'";
    const std::string accepted = acceptedTypes.empty() ? std::string("none") : acceptedTypes;
    return ComMsgMgrInstance::createInstance::eval(2, __FILE__, __LINE__, "common", HMSG_MASK_ERROR, "@48-11@",
                                                   given.c_str(), accepted.c_str());
}

}  // namespace HTCErrors

namespace HTCWarnings {

void repeatedOptionWarning(const std::string& option) {
    ComMsgMgr::sendMsg::eval(1, __FILE__, __LINE__, "common", HMSG_MASK_WARNING, "@48-12@", option.c_str());
}

}  // namespace HTCWarnings
