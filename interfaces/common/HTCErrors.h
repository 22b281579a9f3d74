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
// (text given where an option takes objects).
class invalid_option_value : public error {
public:
    invalid_option_value(const std::string& option, const std::string& value);
    ~invalid_option_value() override;
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
class not_implemented : public error {
public:
    not_implemented();
    ~not_implemented() override;
};

class command_failed : public error {
public:
    command_failed(const std::string& command, const std::string& reason);
    // A failure whose text says it all.
    explicit command_failed(const std::string& text, Kind kind = Kind::error);
    ~command_failed() override;
};

// The message for an -of_objects element of a class the command does not take.
ComMsgMgrInstance ofObjectNotSupported(const std::string& className, const std::string& acceptedTypes);

}  // namespace HTCErrors

namespace HTCWarnings {
// Reports (through the message manager) that an option given twice replaced its earlier value.
void repeatedOptionWarning(const std::string& option);
}  // namespace HTCWarnings
