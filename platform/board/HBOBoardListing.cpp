// Listing a repository: every board.xml below its folders. The walk keeps
// its own list of folders still to read, so a deep chain of folders cannot
// use up the call stack; it does not follow links to folders, so a link
// cannot make it loop. A folder it cannot read, or whose path is longer
// than the system takes, costs only the boards below it, with one warning.
#include <dirent.h>
#include <limits.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "HBOBoardInternal.h"

namespace {

const char* const kBoardFileName = "board.xml";

std::string joined(const std::string& folder, const char* name) {
    return (!folder.empty() && folder.back() == '/') ? folder + name : folder + "/" + name;
}

// A folder to walk into; links are not followed.
bool isFolder(const dirent& entry, const std::string& path) {
    if (entry.d_type != DT_UNKNOWN) return entry.d_type == DT_DIR;
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// Keeps a folder that is left out, and warns of it when asked to.
class FolderProblems {
public:
    FolderProblems(bool warn, std::vector<HBODroppedItem>* dropped) : warn_(warn), dropped_(dropped) {}
    void unreadable(const std::string& folder, const std::string& reason) const {
        if (warn_) HBOBoardInternal::warnUnreadableFolder(folder, reason);
        keep(folder, "cannot be read: " + reason);
    }
    void missing(const std::string& folder) const {
        if (warn_) HBOBoardInternal::warnMissingFolder(folder);
        keep(folder, "does not exist or is not a folder");
    }

private:
    void keep(const std::string& folder, const std::string& reason) const {
        if (dropped_) dropped_->push_back({HBODroppedItem::FOLDER, folder, 0, reason, std::string()});
    }
    bool warn_;
    std::vector<HBODroppedItem>* dropped_;
};

// Appends the board files below root to files.
void walk(const std::string& root, const FolderProblems& problems, std::vector<std::string>& files) {
    std::vector<std::string> pending{root};
    while (!pending.empty()) {
        const std::string folder = std::move(pending.back());
        pending.pop_back();
        if (folder.size() >= PATH_MAX) {
            problems.unreadable(folder, "its path is longer than the system allows");
            continue;
        }
        DIR* dir = ::opendir(folder.c_str());
        if (!dir) {
            problems.unreadable(folder, std::strerror(errno));
            continue;
        }
        for (;;) {
            errno = 0;
            const dirent* entry = ::readdir(dir);
            if (!entry) {
                if (errno != 0) problems.unreadable(folder, std::strerror(errno));
                break;
            }
            if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
            std::string path = joined(folder, entry->d_name);
            if (std::strcmp(entry->d_name, kBoardFileName) == 0) files.push_back(path);
            if (isFolder(*entry, path)) pending.push_back(std::move(path));
        }
        ::closedir(dir);
    }
}

}  // namespace

namespace HBOBoardInternal {

FolderState listBoardFiles(const std::vector<std::string>& roots, bool warn, std::vector<HBODroppedItem>* dropped) {
    const FolderProblems problems(warn, dropped);
    FolderState state;
    for (const std::string& root : roots) {
        if (root.empty()) {
            if (warn) warnEmptyFolderName();
            continue;
        }
        struct stat info {};
        if (::stat(root.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
            problems.missing(root);
            state.emplace_back(root, -1);
            continue;
        }
        std::vector<std::string> files;
        walk(root, problems, files);
        std::sort(files.begin(), files.end());
        for (std::string& file : files) {
            const bool known = ::stat(file.c_str(), &info) == 0;
            state.emplace_back(std::move(file), known ? info.st_mtime : 0);
        }
    }
    return state;
}

}  // namespace HBOBoardInternal
