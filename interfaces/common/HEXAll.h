// Exception hierarchy of the application. Every exception a command may throw
// derives from HEXAll, whose what() is the text the user sees.
#pragma once

#include <exception>
#include <string>

class ComMsgMgrInstance;

class HEXAll : public std::exception {
public:
    // What kind of failure it is, for scripts: the second word of the
    // command's -errorcode (kindName), so that they need not parse texts.
    enum class Kind { usage, value, type, notfound, file, error };

    // detail: one word naming what was wrong (an option), or empty.
    explicit HEXAll(std::string text, Kind kind = Kind::error, const std::string& detail = std::string());
    // An exception that carries a catalogue message: its text is the
    // message's formatted catalogue text, its kind the message's
    // (kindOfMessage) and its detail the message id.
    explicit HEXAll(const ComMsgMgrInstance& message);
    ~HEXAll() override;

    const char* what() const noexcept override;
    const std::string& text() const noexcept { return text_; }
    Kind kind() const noexcept { return kind_; }
    const std::string& detail() const noexcept { return detail_; }

    // "USAGE", "VALUE", "TYPE", "NOTFOUND", "FILE" or "ERROR".
    static const char* kindName(Kind kind);
    // The kind of the catalogue messages that end commands; Kind::error for the others.
    static Kind kindOfMessage(const std::string& id);

private:
    std::string text_;
    Kind kind_;
    std::string detail_;
};

// Errors in the user's input or in a command's use of the framework.
class HEXError : public HEXAll {
public:
    using HEXAll::HEXAll;
    ~HEXError() override;
};

// A failed algorithm with a literal explanation.
class HEXAlgException : public HEXAll {
public:
    using HEXAll::HEXAll;
    ~HEXAlgException() override;
};

// Bad or inconsistent data (files, repository contents).
class HEXDataException : public HEXAll {
public:
    using HEXAll::HEXAll;
    ~HEXDataException() override;
};
