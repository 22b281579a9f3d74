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
#include <functional>
#include <utility>

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

using HBOBoardInternal::Problem;

Problem unreadable(const std::string& folder, const std::string& reason) {
    return Problem{Problem::UnreadableFolder, folder, 0, reason, std::string()};
}

// A board file met by the walk, and how many were met before it.
using FoundFile = std::pair<std::string, std::size_t>;

// Hands each board file below root to found as it meets it and appends it to
// files, numbered on from met; appends what it cannot read to problems.
void walk(const std::string& root, const std::function<void(const std::string&)>& found, std::size_t& met,
          std::vector<FoundFile>& files, std::vector<Problem>& problems) {
    std::vector<std::string> pending{root};
    while (!pending.empty()) {
        const std::string folder = std::move(pending.back());
        pending.pop_back();
        if (folder.size() >= PATH_MAX) {
            problems.push_back(unreadable(folder, "its path is longer than the system allows"));
            continue;
        }
        DIR* dir = ::opendir(folder.c_str());
        if (!dir) {
            problems.push_back(unreadable(folder, std::strerror(errno)));
            continue;
        }
        for (;;) {
            errno = 0;
            const dirent* entry = ::readdir(dir);
            if (!entry) {
                if (errno != 0) problems.push_back(unreadable(folder, std::strerror(errno)));
                break;
            }
            if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
            std::string path = joined(folder, entry->d_name);
            if (std::strcmp(entry->d_name, kBoardFileName) == 0) {
                found(path);
                files.emplace_back(path, met++);
            }
            if (isFolder(*entry, path)) pending.push_back(std::move(path));
        }
        ::closedir(dir);
    }
}

}  // namespace

namespace HBOBoardInternal {

FolderListing listBoardFiles(const std::vector<std::string>& roots,
                             const std::function<void(const std::string&)>& found) {
    FolderListing listing;
    std::size_t met = 0;
    for (const std::string& root : roots) {
        if (root.empty()) {
            listing.problems.push_back(Problem{Problem::EmptyFolderName, root, 0, std::string(), std::string()});
            continue;
        }
        struct stat info {};
        if (::stat(root.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
            listing.problems.push_back(Problem{Problem::MissingFolder, root, 0, std::string(), std::string()});
            continue;
        }
        std::vector<FoundFile> files;
        walk(root, found, met, files, listing.problems);
        std::sort(files.begin(), files.end());
        for (FoundFile& file : files) {
            listing.files.push_back(std::move(file.first));
            listing.foundAt.push_back(file.second);
        }
    }
    return listing;
}

}  // namespace HBOBoardInternal
