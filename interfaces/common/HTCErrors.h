// Errors and warnings of the task framework. Every error's what() is the
// text that becomes the command's Tcl error, and its kind the second word
// of the command's -errorcode.
#pragma once

#include <string>

#include "ComMsgMgr.h"
#include "HEXAll.h"

namespace HTCErrors {

class error : public HEXError {
public:
    explicit error(const std::string& text, Kind kind = Kind::error, const std::string& detail = std::string());
    ~error() override;
};

// A command called with the wrong words: "wrong # args: should be "<usage>"".
class wrong_args : public error {
public:
    explicit wrong_args(const std::string& usage, const std::string& detail = std::string());
    ~wrong_args() override;
};

// A value of the wrong type where a typed value was expected.
class type_error : public error {
public:
    type_error();
    explicit type_error(const std::string& detail);
    ~type_error() override;
};

// Kind::value; Kind::type when raised while handling a not_implemented
// (text given where an option takes objects), whose explanation it adds.
struct failed_conversion;  // the conversion error being handled, if any

class invalid_option_value : public error {
public:
    invalid_option_value(const std::string& option, const std::string& value);
    ~invalid_option_value() override;

private:
    invalid_option_value(const std::string& option, const std::string& value, const failed_conversion& cause);
};

class multiple_occurrences : public error {
public:
    explicit multiple_occurrences(const std::string& option);
    ~multiple_occurrences() override;
};

class index_out_of_range : public error {
public:
    explicit index_out_of_range(long index);
    ~index_out_of_range() override;
};

class append_typed_collection : public error {
public:
    append_typed_collection();
    ~append_typed_collection() override;
};

class validation_error : public error {
public:
    explicit validation_error(const std::string& text);
    ~validation_error() override;
};

// Text given where a native object is expected; the text is "not implemented".
// It keeps the word that is no object, so that the error reporting it to
// the user can say what the word is and what to write instead.
class not_implemented : public error {
public:
    not_implemented();
    // reason: why the word is no object when that is known where it is
    // thrown (a list inside a list); else explanation() looks the word up.
    explicit not_implemented(std::string word, std::string reason = std::string());
    ~not_implemented() override;

    // What the word is and what to write instead, for the value given
    // (which may be the word itself or a list holding it); empty without a word.
    std::string explanation(const std::string& given) const;

private:
    std::string word_;
    std::string reason_;
};

class command_failed : public error {
public:
    command_failed(const std::string& command, const std::string& reason);
    // A failure whose text says it all.
    explicit command_failed(const std::string& text, Kind kind = Kind::error);
    ~command_failed() override;
};

// Thrown by a command body that has sent the message saying why it stops:
// the command ends with status 1 as when its body returns TCL_ERROR after a
// message (set_status_error), wherever in the body it stops.
class ended_after_message : public error {
public:
    ended_after_message();
    ~ended_after_message() override;
};

// The message for an -of_objects element of a class the command does not take.
ComMsgMgrInstance ofObjectNotSupported(const std::string& className, const std::string& acceptedTypes);

}  // namespace HTCErrors

namespace HTCWarnings {
// Reports (through the message manager) that an option given twice replaced its earlier value.
void repeatedOptionWarning(const std::string& option);
}  // namespace HTCWarnings
