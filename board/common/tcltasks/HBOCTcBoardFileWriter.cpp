// The integrated board file writer. The text is fixed byte for byte so that
// the board file parser reads back exactly what was written.
#include "HBOCTcBoardFileWriter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <boost/filesystem.hpp>
#include <cerrno>
#include <cstring>
#include <initializer_list>
#include <map>
#include <string_view>

#include "HBOBoardModel.h"

namespace {

void append(std::string& text, std::initializer_list<std::string_view> pieces) {
    for (std::string_view piece : pieces) text.append(piece.data(), piece.size());
}

// One side of a connection: a board name and a component name joined by
// "#". Both stay empty unless the text has exactly one "#".
struct ConnectorEnd {
    std::string board, component;
};

ConnectorEnd split_connector_end(const std::string& joined) {
    const std::size_t hash = joined.find('#');
    if (hash == std::string::npos || joined.find('#', hash + 1) != std::string::npos) return {};
    return {joined.substr(0, hash), joined.substr(hash + 1)};
}

// The file a write through path reaches: symbolic links are followed, also
// to a target that does not exist yet.
bool resolve_links(boost::filesystem::path& path, std::string& reason) {
    namespace fs = boost::filesystem;
    for (int hops = 0; hops < 40; ++hops) {
        boost::system::error_code error;
        if (!fs::is_symlink(fs::symlink_status(path, error))) return true;
        fs::path target = fs::read_symlink(path, error);
        if (error) {
            reason = error.message();
            return false;
        }
        path = target.is_absolute() ? target : path.parent_path() / target;
    }
    reason = std::strerror(ELOOP);
    return false;
}

// Creates a new file next to target, readable as a new file would be (or
// as the existing target is). Returns its descriptor, or -1 with errno set.
int create_temporary(const boost::filesystem::path& target, std::string& temporary) {
    const boost::filesystem::path folder = target.has_parent_path() ? target.parent_path() : ".";
    struct stat existing;
    const bool keepMode = ::stat(target.c_str(), &existing) == 0 && S_ISREG(existing.st_mode);
    static unsigned counter = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = (folder / (".board-file-" + std::to_string(::getpid()) + "-" + std::to_string(++counter))).string();
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno == EEXIST) continue;
        if (fd >= 0 && keepMode) ::fchmod(fd, existing.st_mode & 07777);
        return fd;
    }
    errno = EEXIST;
    return -1;
}

bool write_all(int fd, const std::string& text) {
    const char* next = text.data();
    std::size_t left = text.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, next, left);
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        next += written;
        left -= static_cast<std::size_t>(written);
    }
    return true;
}

}  // namespace

namespace HBOCTcBoardFileWriter {

std::string board_file_text(const HBOBoard& diagram) {
    const std::map<std::string, std::string> boards = diagram.getConnectedBoards();
    const std::map<std::string, std::string> connections = diagram.getConnectedComponents();
    const std::string vendor = diagram.getVendor();
    const std::string name = diagram.getBoardName();
    const std::string version = diagram.getVersion();

    std::string text;
    text.reserve(320 + 80 * boards.size() + 160 * connections.size());
    append(text, {"<board schema_version=\"2.0\" vendor=\"", vendor, "\" name=\"", name, "\" display_name=\"", name,
                  "\" is_integrated=\"true\">\n", "\t<file_version>", version, "</file_version>\n",
                  "\t<connected_boards>\n", "\t\t<base_boards>\n"});
    for (const auto& instance : boards)
        append(text, {"\t\t\t<base_board id=\"", instance.second, "\" alias_name=\"", instance.first, "\"/>\n"});
    append(text, {"\t\t</base_boards>\n", "\t\t<connectors>\n"});
    for (const auto& connection : connections) {
        const ConnectorEnd one = split_connector_end(connection.first);
        const ConnectorEnd two = split_connector_end(connection.second);
        append(text, {"\t\t\t<connector name=\"conn\" ", "board1=\"", one.board, "\" board1_connector=\"",
                      one.component, "\" ", "board2=\"", two.board, "\" board2_connector=\"", two.component, "\" ",
                      "/>\n"});
    }
    append(text, {"\t\t</connectors>\n", "\t</connected_boards>\n", "</board>\n"});
    return text;
}

std::string replace_file(const std::string& path, const std::string& text) {
    boost::filesystem::path target(path);
    std::string reason;
    if (!resolve_links(target, reason)) return reason;
    std::string temporary;
    const int fd = create_temporary(target, temporary);
    if (fd < 0) return std::strerror(errno);
    bool ok = write_all(fd, text);
    int error = ok ? 0 : errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (ok && ::rename(temporary.c_str(), target.c_str()) != 0) {
        ok = false;
        error = errno;
    }
    if (ok) return std::string();
    ::unlink(temporary.c_str());
    return std::strerror(error);
}

}  // namespace HBOCTcBoardFileWriter
