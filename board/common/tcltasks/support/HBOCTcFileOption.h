// The file a command's -file names, replaced whole (HUTSafeFile::replace):
// a failed write leaves no partial file, and only a regular file (or the
// target of a link to one) is replaced.
#pragma once

#include <string>

namespace HBOCTcFileOption {

// Throws a FILE error of -file, "cannot write <what> to "<path>": <reason>".
void replace(const std::string& path, const std::string& text, const std::string& what);

[[noreturn]] void cannot_write(const std::string& path, const std::string& what, const std::string& reason);

}  // namespace HBOCTcFileOption
