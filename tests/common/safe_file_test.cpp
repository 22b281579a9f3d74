// Writing a file without ever destroying one: only regular files are
// replaced, links lead only to them or to new names, old files are kept when
// asked, and every failure leaves the folder as it was.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <sstream>
#include <string>

#include "HUTSafeFile.h"

namespace {

namespace fs = std::filesystem;
using HUTSafeFile::replace;

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void writeFile(const fs::path& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

class SafeFile : public ::testing::Test {
protected:
    void SetUp() override {
        folder = fs::temp_directory_path() / ("zem_safe_file_test_" + std::to_string(std::random_device()()));
        fs::create_directories(folder);
    }
    void TearDown() override {
        fs::permissions(folder, fs::perms::owner_all);
        fs::remove_all(folder);
    }

    std::string path(const char* name) const { return (folder / name).string(); }

    // The names in the folder: a write that failed or finished leaves no temporary.
    std::set<std::string> names() const {
        std::set<std::string> found;
        for (const auto& entry : fs::directory_iterator(folder)) found.insert(entry.path().filename().string());
        return found;
    }

    fs::path folder;
};

TEST_F(SafeFile, CreatesAndReplacesKeepingPermissions) {
    const HUTSafeFile::Result created = replace(path("f.xml"), "first");
    EXPECT_TRUE(created.ok()) << created.error;
    EXPECT_EQ(readFile(path("f.xml")), "first");

    fs::permissions(path("f.xml"), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    const HUTSafeFile::Result replaced = replace(path("f.xml"), "second");
    EXPECT_TRUE(replaced.ok()) << replaced.error;
    EXPECT_EQ(replaced.target, path("f.xml"));
    EXPECT_EQ(readFile(path("f.xml")), "second");
    EXPECT_EQ(fs::status(path("f.xml")).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(names(), (std::set<std::string>{"f.xml"}));
}

TEST_F(SafeFile, FollowsLinksToRegularFilesAndNewNames) {
    writeFile(path("real.xml"), "old");
    fs::create_symlink("real.xml", path("to_real"));
    fs::create_symlink("new.xml", path("to_new"));
    fs::create_symlink(path("missing/x.xml"), path("to_missing_folder"));

    EXPECT_TRUE(replace(path("to_real"), "via link").ok());
    EXPECT_TRUE(fs::is_symlink(path("to_real")));
    EXPECT_EQ(readFile(path("real.xml")), "via link");

    const HUTSafeFile::Result created = replace(path("to_new"), "made");
    EXPECT_TRUE(created.ok()) << created.error;
    EXPECT_EQ(created.target, path("new.xml"));  // relative links are taken from the link's folder
    EXPECT_TRUE(fs::is_symlink(path("to_new")));
    EXPECT_EQ(readFile(path("new.xml")), "made");

    EXPECT_EQ(replace(path("to_missing_folder"), "x").error,
              "it links to " + path("missing/x.xml") + ": No such file or directory");
    EXPECT_EQ(names(), (std::set<std::string>{"new.xml", "real.xml", "to_missing_folder", "to_new", "to_real"}));
}

TEST_F(SafeFile, RefusesWhatIsNotARegularFile) {
    fs::create_directory(path("dir"));
    ASSERT_EQ(::mkfifo(path("fifo").c_str(), 0600), 0);
    fs::create_symlink("fifo", path("to_fifo"));
    fs::create_symlink("/dev/null", path("to_null"));
    fs::create_symlink("loop_b", path("loop_a"));
    fs::create_symlink("loop_a", path("loop_b"));
    int asked = 0;
    const HUTSafeFile::KeepOld count = [&](const std::string&) {
        ++asked;
        return true;
    };

    EXPECT_EQ(replace(path("dir"), "x", count).error, "is not a regular file but a folder");
    EXPECT_EQ(replace(path("fifo"), "x", count).error, "is not a regular file but a named pipe");
    EXPECT_EQ(replace(path("to_fifo"), "x", count).error,
              "it links to " + path("fifo") + ", which is not a regular file but a named pipe");
    EXPECT_EQ(replace(path("to_null"), "x", count).error,
              "it links to /dev/null, which is not a regular file but a character device");
    EXPECT_EQ(replace(path("loop_a"), "x", count).error, "Too many levels of symbolic links");

    EXPECT_EQ(asked, 0);
    EXPECT_TRUE(fs::is_fifo(path("fifo")));
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
    EXPECT_EQ(names(), (std::set<std::string>{"dir", "fifo", "loop_a", "loop_b", "to_fifo", "to_null"}));
}

TEST_F(SafeFile, KeepsTheOldFileWhenAskedWithoutReplacingEarlierBackups) {
    const HUTSafeFile::KeepOld always = [](const std::string&) { return true; };
    EXPECT_EQ(replace(path("f.xml"), "one", always).backup, "");  // nothing to keep
    writeFile(path("f.xml.bak"), "an earlier backup");

    const HUTSafeFile::Result first = replace(path("f.xml"), "two", always);
    EXPECT_EQ(first.backup, path("f.xml.bak.1"));
    const HUTSafeFile::Result second = replace(path("f.xml"), "three", always);
    EXPECT_EQ(second.backup, path("f.xml.bak.2"));
    const HUTSafeFile::Result unasked = replace(path("f.xml"), "four", [](const std::string&) { return false; });
    EXPECT_EQ(unasked.backup, "");

    EXPECT_EQ(readFile(path("f.xml")), "four");
    EXPECT_EQ(readFile(path("f.xml.bak")), "an earlier backup");
    EXPECT_EQ(readFile(path("f.xml.bak.1")), "one");
    EXPECT_EQ(readFile(path("f.xml.bak.2")), "two");
    EXPECT_EQ(names(), (std::set<std::string>{"f.xml", "f.xml.bak", "f.xml.bak.1", "f.xml.bak.2"}));
}

TEST_F(SafeFile, FailuresLeaveTheFolderAsItWas) {
    writeFile(path("f.xml"), "old");
    // The old file goes away after it was judged: no backup, so no write.
    const HUTSafeFile::Result gone = replace(path("f.xml"), "new", [&](const std::string& old) {
        fs::remove(old);
        return true;
    });
    EXPECT_EQ(gone.error, "the old file cannot be kept as a backup: No such file or directory");
    EXPECT_EQ(gone.backup, "");
    EXPECT_TRUE(names().empty());

    // A folder the writer may not write into, seen without root's rights.
    writeFile(path("f.xml"), "old");
    fs::permissions(folder,
                    fs::perms::owner_read | fs::perms::owner_exec | fs::perms::others_read | fs::perms::others_exec);
    EXPECT_EXIT(
        {
            if (::getuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) std::_Exit(2);
            std::_Exit(replace(path("f.xml"), "new").error == "Permission denied" ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(readFile(path("f.xml")), "old");
    EXPECT_EQ(names(), (std::set<std::string>{"f.xml"}));
}

// Past the file-size limit the system sends SIGXFSZ, which by default ends
// the process: the write must fail like one on a full disk instead, and the
// signal's disposition come back as it was.
TEST_F(SafeFile, FileSizeLimitFailsLikeAFullDisk) {
    writeFile(path("f.xml"), "old contents");
    EXPECT_EXIT(
        {
            std::signal(SIGXFSZ, SIG_DFL);
            struct rlimit tiny {};
            tiny.rlim_cur = tiny.rlim_max = 4;
            if (::setrlimit(RLIMIT_FSIZE, &tiny) != 0) std::_Exit(2);
            const HUTSafeFile::Result result = replace(path("f.xml"), std::string(4096, 'x'));
            struct sigaction now {};
            ::sigaction(SIGXFSZ, nullptr, &now);
            std::_Exit(result.error == "File too large" && now.sa_handler == SIG_DFL ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(readFile(path("f.xml")), "old contents");
    EXPECT_EQ(names(), (std::set<std::string>{"f.xml"}));
}

}  // namespace
