// File identities for change detection: a file is the same when its device,
// inode, type, size and both times (to the nanosecond) are, and it was not
// changed so lately that a further change could leave its times as they are.
#include <sys/stat.h>

#include <cerrno>
#include <ctime>

#include "HBOBoardInternal.h"

namespace {

// Coarser than the time stamps of any common file system (some keep only
// even seconds), so that a change within one tick is never taken for none.
constexpr time_t kRecentSeconds = 2;

bool isRecent(const timespec& stamp, const timespec& now) { return stamp.tv_sec + kRecentSeconds >= now.tv_sec; }

bool operator==(const timespec& a, const timespec& b) { return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec; }

}  // namespace

namespace HBOBoardInternal {

FileIdentity identify(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        FileIdentity identity;
        identity.error = errno;
        return identity;
    }
    return identityOf(info);
}

FileIdentity identityOf(const struct stat& info) {
    FileIdentity identity;
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    identity.device = info.st_dev;
    identity.inode = info.st_ino;
    identity.mode = info.st_mode;
    identity.size = info.st_size;
    identity.modified = info.st_mtim;
    identity.changed = info.st_ctim;
    identity.recent = isRecent(info.st_mtim, now) || isRecent(info.st_ctim, now);
    return identity;
}

bool unchangedSince(const FileIdentity& then, const FileIdentity& now) {
    if (then.recent || then.error != now.error) return false;
    return then.error != 0 || (then.device == now.device && then.inode == now.inode && then.mode == now.mode &&
                               then.size == now.size && then.modified == now.modified && then.changed == now.changed);
}

}  // namespace HBOBoardInternal
