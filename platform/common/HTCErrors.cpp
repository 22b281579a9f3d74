#include "HTCErrors.h"

#include <exception>
#include <utility>

#include "HSTStringUtils.h"
#include "tcltasks_objects.h"

namespace HTCErrors {

namespace {
// A huge value is quoted in excerpts, so that its error stays short.
std::string quoted(const std::string& text) { return "\"" + HSTStringUtils::excerpt(text) + "\""; }

// The value semantics turn every failed conversion into an invalid value;
// text where objects are expected stays a type error, and says why.
std::string invalid_value_text(const std::string& option, const std::string& value, const std::string& explanation) {
    return "invalid value " + quoted(value) + " for option " + quoted(option) +
           (explanation.empty() ? std::string() : ": " + explanation);
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

struct failed_conversion {
    HEXAll::Kind kind = HEXAll::Kind::value;
    std::string explanation;

    static failed_conversion current(const std::string& value) {
        failed_conversion cause;
        try {
            if (std::current_exception()) std::rethrow_exception(std::current_exception());
        } catch (const not_implemented& text) {
            cause.kind = HEXAll::Kind::type;
            cause.explanation = text.explanation(value);
        } catch (...) {
        }
        return cause;
    }
};

invalid_option_value::invalid_option_value(const std::string& option, const std::string& value)
    : invalid_option_value(option, value, failed_conversion::current(value)) {}
invalid_option_value::invalid_option_value(const std::string& option, const std::string& value,
                                           const failed_conversion& cause)
    : error(invalid_value_text(option, value, cause.explanation), cause.kind, option) {}
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
not_implemented::not_implemented(std::string word, std::string reason)
    : error("not implemented", Kind::type), word_(std::move(word)), reason_(std::move(reason)) {}
not_implemented::~not_implemented() = default;

// Looked up only when the error is shown: the search runs over every
// object Tcl values hold.
std::string not_implemented::explanation(const std::string& given) const {
    if (word_.empty() && reason_.empty()) return std::string();
    const std::string subject = word_ == given ? std::string("it") : quoted(word_);
    if (!reason_.empty()) return subject + " is " + reason_;
    const std::string className = tov::tcltasks::detail::class_of_object_named(word_);
    if (className.empty()) return subject + " is plain text, not an object";
    return subject + " is the name of a " + className + ", not the " + className +
           " object: foreach, lindex and the other list commands give names. Take objects from a collection "
           "with foreach_in_collection or index_collection, or set_param tcl.disableCollections 1 to have the "
           "commands return plain lists of objects";
}

ended_after_message::ended_after_message() : error("the command ended after a message that says why") {}
ended_after_message::~ended_after_message() = default;

command_failed::command_failed(const std::string& command, const std::string& reason)
    : error("command " + quoted(command) + " failed" + (reason.empty() ? std::string() : ": " + reason)) {}
command_failed::command_failed(const std::string& text, Kind kind) : error(text, kind) {}
command_failed::~command_failed() = default;

ComMsgMgrInstance ofObjectNotSupported(const std::string& className, const std::string& acceptedTypes) {
    // A value without a registered class is plain text (or an unknown object).
    const std::string given =
        className.empty() ? std::string("a plain value that is not an object") : "objects of class '" + className + "'";
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
