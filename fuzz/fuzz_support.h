// Pieces shared by the fuzz targets.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>

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

// A file for readers that take a path, kept open: each input rewrites it in
// place (no open or close per input), in memory where /dev/shm exists.
// Removed when the run ends.
class ScratchFile {
public:
    explicit ScratchFile(const std::string& use) {
        const char* folder = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        path_ = std::string(folder) + "/zem_fuzz_" + use + "_" + std::to_string(::getpid()) + ".xml";
        fd_ = ::open(path_.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        if (fd_ < 0) std::abort();
    }
    ~ScratchFile() {
        ::close(fd_);
        std::remove(path_.c_str());
    }
    const std::string& write(const void* data, std::size_t size) {
        if (::ftruncate(fd_, static_cast<off_t>(size)) != 0 ||
            ::pwrite(fd_, data, size, 0) != static_cast<ssize_t>(size))
            std::abort();
        return path_;
    }

private:
    std::string path_;
    int fd_;
};
