#include "HBOCTcFileOption.h"

#include "HSTStringUtils.h"
#include "HTCErrors.h"
#include "HUTSafeFile.h"

void HBOCTcFileOption::replace(const std::string& path, const std::string& text, const std::string& what) {
    const std::string reason = HUTSafeFile::replace(path, text).error;
    if (!reason.empty()) cannot_write(path, what, reason);
}

void HBOCTcFileOption::cannot_write(const std::string& path, const std::string& what, const std::string& reason) {
    throw HTCErrors::error("cannot write " + what + " to \"" + HSTStringUtils::excerpt(path) + "\": " + reason,
                           HEXAll::Kind::file, "-file");
}
