// Pieces shared by the fuzz targets.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "ComMsgMgr.h"

// Messages are counted, never printed: a run sends millions.
inline void silenceMessages() {
    static const bool done = (ComMsgMgr::setSink([](const ComMsgMgrInstance&) {}), true);
    (void)done;
}

// The input split at its first NUL byte into two texts.
inline std::pair<std::string, std::string> splitInput(const uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::size_t nul = text.find('\0');
    if (nul == std::string::npos) return {text, std::string()};
    return {text.substr(0, nul), text.substr(nul + 1)};
}
