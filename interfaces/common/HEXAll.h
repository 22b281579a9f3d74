// Exception hierarchy of the application. Every exception a command may throw
// derives from HEXAll, whose what() is the text the user sees.
#pragma once

#include <exception>
#include <string>

class ComMsgMgrInstance;

class HEXAll : public std::exception {
public:
    explicit HEXAll(std::string text);
    // An exception that carries a catalogue message: its text is the
    // message's formatted catalogue text.
    explicit HEXAll(const ComMsgMgrInstance& message);
    ~HEXAll() override;

    const char* what() const noexcept override;
    const std::string& text() const noexcept { return text_; }

private:
    std::string text_;
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
