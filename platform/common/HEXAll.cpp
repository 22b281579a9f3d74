#include "HEXAll.h"

#include <utility>

#include "ComMsgMgr.h"

HEXAll::HEXAll(std::string text) : text_(std::move(text)) {}

// The exception reads like the message would have printed, so the user sees
// the same severity, area and id whether it was sent or thrown.
HEXAll::HEXAll(const ComMsgMgrInstance& message) : text_(message.formatted()) {}

HEXAll::~HEXAll() = default;

const char* HEXAll::what() const noexcept { return text_.c_str(); }

HEXError::~HEXError() = default;
HEXAlgException::~HEXAlgException() = default;
HEXDataException::~HEXDataException() = default;
