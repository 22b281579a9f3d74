// Shared pieces of the board model tests: fixture paths, captured messages
// and a scoped repository setting.
#pragma once

#include <string>
#include <vector>

#include "../common/test_support.h"
#include "ComMsgMgr.h"
#include "HBOBoardCReposMgr.h"
#include "HBOBoardModel.h"
#include "HBOBoardUtils.h"
#include "HPAParamMgr.h"

inline std::string fixture(const std::string& relative) { return std::string(ZEM_TEST_FILES_DIR) + "/" + relative; }

// Points the repository at the given folders (a Tcl list) while it lives.
class RepoPaths {
public:
    explicit RepoPaths(const std::string& folders) {
        HBOBoardUtils::defineParameters();
        HPAParamMgr::getParamMgr().setValue("board.repoPaths", folders);
    }
    ~RepoPaths() { HPAParamMgr::getParamMgr().reset("board.repoPaths"); }
};

template <class T>
std::vector<std::string> namesOf(const std::vector<T*>& objects) {
    std::vector<std::string> names;
    for (const T* object : objects) names.push_back(object->getName());
    return names;
}

inline HBOBoard* repositoryBoard(const std::string& fullName) {
    return HBOBoardCReposMgr::getGlobal()->findBoard(fullName);
}

#include <filesystem>
#include <random>

inline std::filesystem::path uniqueTempDir() {
    std::random_device random;
    return std::filesystem::temp_directory_path() / ("zem_board_test_" + std::to_string(random()));
}

#include <cstdlib>
#include <fstream>

// A temporary board folder, removed with rm (which copes with too deep chains).
class ScratchRepo {
public:
    ScratchRepo() : dir_(uniqueTempDir()) { std::filesystem::create_directories(dir_); }
    ~ScratchRepo() { std::system(("rm -rf '" + dir_.string() + "'").c_str()); }
    ScratchRepo(const ScratchRepo&) = delete;
    ScratchRepo& operator=(const ScratchRepo&) = delete;
    const std::filesystem::path& dir() const { return dir_; }
    std::string path(const std::string& relative) const { return (dir_ / relative).string(); }
    // A board of that name whose files are copied from the plain fixture board.
    void addPlainBoard(const std::string& folder) const {
        std::filesystem::create_directories(dir_ / folder);
        std::filesystem::copy_file(fixture("good/beta.org/plain/1.0/board.xml"), dir_ / folder / "board.xml");
    }
    void write(const std::string& relative, const std::string& text) const {
        std::filesystem::create_directories((dir_ / relative).parent_path());
        std::ofstream(dir_ / relative) << text;
    }

private:
    std::filesystem::path dir_;
};

inline std::vector<HBOBoard*> listedBoards() {
    std::vector<HBOBoard*> boards;
    HBOBoardCReposMgr::getGlobal()->appendAllBoards(boards);
    return boards;
}
