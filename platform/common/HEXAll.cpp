#include "HEXAll.h"

#include <utility>

#include "ComMsgMgr.h"
#include "HSTStringUtils.h"

// The detail becomes a word of -errorcode: an excerpt, however long the value.
HEXAll::HEXAll(std::string text, Kind kind, const std::string& detail)
    : text_(std::move(text)), kind_(kind), detail_(HSTStringUtils::excerpt(detail)) {}

// The exception reads like the message would have printed, so the user sees
// the same severity, area and id whether it was sent or thrown.
HEXAll::HEXAll(const ComMsgMgrInstance& message)
    : text_(message.formatted()), kind_(kindOfMessage(message.id())), detail_(message.id()) {
    // Ids are shown without their "@" signs, as in the printed form.
    const bool marked = detail_.size() > 2 && detail_.front() == '@' && detail_.back() == '@';
    if (marked) detail_ = detail_.substr(1, detail_.size() - 2);
}

HEXAll::~HEXAll() = default;

const char* HEXAll::what() const noexcept { return text_.c_str(); }

const char* HEXAll::kindName(Kind kind) {
    // In the order of Kind.
    static const char* const names[] = {"USAGE", "VALUE", "TYPE", "NOTFOUND", "FILE", "ERROR"};
    return names[static_cast<int>(kind)];
}

HEXAll::Kind HEXAll::kindOfMessage(const std::string& id) {
    static const std::pair<const char*, Kind> kinds[] = {
        {"@48-11@", Kind::type},      // -of_objects element of a class the command does not take
        {"@49-44@", Kind::file},      // board file not read
        {"@49-64@", Kind::value},     // several objects where one is expected
        {"@49-65@", Kind::type},      // object of the wrong kind
        {"@49-68@", Kind::file},      // no diagram opened from the file
        {"@49-75@", Kind::notfound},  // no board parts matched
    };
    for (const auto& entry : kinds) {
        if (id == entry.first) return entry.second;
    }
    return Kind::error;
}

HEXError::~HEXError() = default;
HEXAlgException::~HEXAlgException() = default;
HEXDataException::~HEXDataException() = default;
