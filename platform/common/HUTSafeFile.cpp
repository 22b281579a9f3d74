#include "HUTSafeFile.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstring>
#include <mutex>
#include <vector>

#include "HSTStringUtils.h"

namespace {

const int kMaxLinkHops = 40;  // as the kernel allows in one path
const int kMaxNameTries = 1000;

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string baseOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The name a write through path reaches: symbolic links are followed, also
// to a name that does not exist yet; a relative link is taken from the
// folder of the link. Fails only on a loop or an unreadable link.
bool followLinks(std::string& path, int& error) {
    std::vector<char> target(PATH_MAX);
    for (int hop = 0; hop < kMaxLinkHops; ++hop) {
        struct stat info;
        if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return true;
        const ssize_t length = ::readlink(path.c_str(), target.data(), target.size());
        if (length < 0 || static_cast<std::size_t>(length) == target.size()) {
            error = length < 0 ? errno : ENAMETOOLONG;
            return false;
        }
        const std::string next(target.data(), static_cast<std::size_t>(length));
        path = next[0] == '/' ? next : folderOf(path) + "/" + next;
    }
    error = ELOOP;
    return false;
}

// A write past the file-size limit raises SIGXFSZ, which ends the process
// by default. While any write runs the signal is ignored, so that the write
// fails with EFBIG like one on a full disk; the first write in saves the
// disposition and the last one out restores it.
class FileSizeSignalIgnored {
public:
    FileSizeSignalIgnored() {
        std::lock_guard<std::mutex> lock(state().mutex);
        if (state().writers++ > 0) return;
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        sigemptyset(&ignore.sa_mask);
        ::sigaction(SIGXFSZ, &ignore, &state().saved);
    }
    ~FileSizeSignalIgnored() {
        std::lock_guard<std::mutex> lock(state().mutex);
        if (--state().writers == 0) ::sigaction(SIGXFSZ, &state().saved, nullptr);
    }
    FileSizeSignalIgnored(const FileSizeSignalIgnored&) = delete;
    FileSizeSignalIgnored& operator=(const FileSizeSignalIgnored&) = delete;

private:
    struct State {
        std::mutex mutex;
        int writers = 0;
        struct sigaction saved {};
    };
    static State& state() {
        static State shared;
        return shared;
    }
};

// The new file while it is written: nameless where the system allows it
// (O_TMPFILE), so that even a killed process leaves nothing behind, else a
// hidden name in the target's folder. The destructor removes whatever is
// left of it.
class Temporary {
public:
    explicit Temporary(const std::string& target) : folder_(folderOf(target)), base_(baseOf(target).substr(0, 100)) {}
    ~Temporary() {
        if (fd_ >= 0) ::close(fd_);
        if (!name_.empty()) ::unlink(name_.c_str());
    }
    Temporary(const Temporary&) = delete;
    Temporary& operator=(const Temporary&) = delete;

    bool create() {
        if (procFdUsable()) fd_ = ::open(folder_.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
        if (fd_ >= 0) return true;
        for (int attempt = 0; attempt < kMaxNameTries; ++attempt) {
            const std::string name = freshName();
            fd_ = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (fd_ >= 0) name_ = name;
            if (fd_ >= 0 || errno != EEXIST) return fd_ >= 0;
        }
        errno = EEXIST;
        return false;
    }

    // Writes the whole text and makes sure it is on disk; an existing
    // target's permissions are kept.
    bool fill(const std::string& text, const struct stat* old) {
        if (old && ::fchmod(fd_, old->st_mode & 0777) != 0) return false;
        const char* next = text.data();
        std::size_t left = text.size();
        while (left > 0) {
            const ssize_t written = ::write(fd_, next, left);
            if (written < 0 && errno == EINTR) continue;
            if (written <= 0) return false;
            next += written;
            left -= static_cast<std::size_t>(written);
        }
        return ::fsync(fd_) == 0;
    }

    // Gives a nameless file its hidden name, then closes it.
    bool close() {
        if (name_.empty() && !linkAnonymous()) return false;
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

    // Makes the complete file the target: over an existing regular file in
    // one rename; at a new name by a link, which fails rather than replace
    // something that appeared there meanwhile.
    bool publish(const std::string& target, bool replacing) {
        if (replacing) return renamed(target);
        if (::link(name_.c_str(), target.c_str()) == 0) return true;  // the destructor drops the hidden name
        return errno != EEXIST && renamed(target);                    // a file system without hard links
    }

private:
    static bool procFdUsable() {
        static const bool usable = ::access("/proc/self/fd", X_OK) == 0;
        return usable;
    }

    std::string freshName() const {
        static std::atomic<unsigned> counter{0};
        return folder_ + "/." + base_ + "." + std::to_string(::getpid()) + "." + std::to_string(++counter) + ".tmp";
    }

    bool linkAnonymous() {
        const std::string self = "/proc/self/fd/" + std::to_string(fd_);
        for (int attempt = 0; attempt < kMaxNameTries; ++attempt) {
            const std::string name = freshName();
            if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
                name_ = name;
                return true;
            }
            if (errno != EEXIST) return false;
        }
        errno = EEXIST;
        return false;
    }

    bool renamed(const std::string& target) {
        if (::rename(name_.c_str(), target.c_str()) != 0) return false;
        name_.clear();
        return true;
    }

    std::string folder_, base_;
    int fd_ = -1;
    std::string name_;  // the temporary's name, once it has one
};

// Why the write through path cannot go on, naming where its links lead.
std::string refusal(const std::string& path, const std::string& target, const std::string& reason, bool isKind) {
    if (target == path) return reason;
    return "it links to " + HSTStringUtils::excerpt(target) + (isKind ? ", which " : ": ") + reason;
}

HUTSafeFile::Result failed(HUTSafeFile::Result result, const std::string& path, const std::string& reason,
                           bool isKind = false) {
    result.error = refusal(path, result.target, reason, isKind);
    result.backup.clear();
    return result;
}

// Keeps the old target under the first free backup name, as a second link
// to the same file: nothing is copied and no earlier backup is replaced.
// Returns why it could not, else empty.
std::string keepBackup(const std::string& target, std::string& backup) {
    for (int number = 0; number < kMaxNameTries; ++number) {
        backup = target + ".bak" + (number == 0 ? std::string() : "." + std::to_string(number));
        if (::link(target.c_str(), backup.c_str()) == 0) return std::string();
        if (errno != EEXIST) {
            const int reason = errno;
            backup.clear();
            return std::strerror(reason);
        }
    }
    backup.clear();
    return "every backup name up to .bak." + std::to_string(kMaxNameTries - 1) + " is taken";
}

}  // namespace

namespace HUTSafeFile {

Result replace(const std::string& path, const std::string& text, const KeepOld& keepOld) {
    Result result;
    result.target = path;
    int error = 0;
    if (!followLinks(result.target, error)) {
        result.target = path;  // somewhere in a loop of links: no name worth giving
        return failed(result, path, std::strerror(error));
    }

    struct stat old;
    const bool replacing = ::lstat(result.target.c_str(), &old) == 0;
    if (!replacing && errno != ENOENT) return failed(result, path, std::strerror(errno));
    if (replacing && !S_ISREG(old.st_mode))
        return failed(result, path, std::string("is not a regular file but ") + fileKind(old.st_mode), true);
    const bool keep = replacing && keepOld && keepOld(result.target);

    FileSizeSignalIgnored noSignal;
    Temporary temporary(result.target);
    if (!temporary.create() || !temporary.fill(text, replacing ? &old : nullptr) || !temporary.close())
        return failed(result, path, std::strerror(errno));
    if (keep) {
        const std::string reason = keepBackup(result.target, result.backup);
        if (!reason.empty()) return failed(result, path, "the old file cannot be kept as a backup: " + reason);
    }
    if (!temporary.publish(result.target, replacing)) {
        const int reason = errno;
        if (!result.backup.empty()) ::unlink(result.backup.c_str());
        return failed(result, path, std::strerror(reason));
    }
    return result;
}

const char* fileKind(mode_t mode) {
    if (S_ISDIR(mode)) return "a folder";
    if (S_ISFIFO(mode)) return "a named pipe";
    if (S_ISCHR(mode)) return "a character device";
    if (S_ISBLK(mode)) return "a block device";
    if (S_ISSOCK(mode)) return "a socket";
    if (S_ISLNK(mode)) return "a symbolic link";
    return S_ISREG(mode) ? "a regular file" : "of an unknown kind";
}

}  // namespace HUTSafeFile
