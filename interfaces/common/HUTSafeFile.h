// Writing a whole file so that nothing is ever destroyed: the old file stays
// as it was until the new one is complete, only regular files are replaced,
// a file the caller does not own can be kept as a backup, and no temporary
// file or signal outlives the write. Shared by every command that writes a
// file.
#pragma once

#include <sys/types.h>

#include <functional>
#include <string>

namespace HUTSafeFile {

// Whether the regular file at path, about to be replaced, should be kept
// as a backup (for example: it is not a file this command wrote).
using KeepOld = std::function<bool(const std::string& path)>;

struct Result {
    std::string error;   // why nothing was written; empty on success
    std::string target;  // the file written or meant: the path, or where its links lead
    std::string backup;  // where the old file is kept, when it was kept
    bool ok() const { return error.empty(); }
};

// Replaces the file at path by text, or creates it. A symbolic link is
// followed to a regular file or to a name that does not exist yet; anything
// else (folder, device, named pipe, socket, a loop of links) is refused. The
// text goes to a temporary file in the target's folder, which becomes the
// target in one rename, so that the target is at any moment either the old
// file or the whole new one; an existing target keeps its permissions. When
// keepOld answers true for the existing target, the old file is first kept
// under the first free name of target.bak, target.bak.1, target.bak.2, ...
// A file-size limit (SIGXFSZ) or a full disk ends the write with the
// system's reason. On any failure the target is left as it was and nothing
// new is left in its folder.
Result replace(const std::string& path, const std::string& text, const KeepOld& keepOld = KeepOld());

// How messages name the kind of a file that is not a regular one:
// "a folder", "a named pipe", "a character device", ...
const char* fileKind(mode_t mode);

}  // namespace HUTSafeFile
