// The board repository: lists board.xml files below the folders of
// "board.repoPaths", parses each once, and keeps the boards ordered by name.
//
// Boards are never freed while the library is loaded (HBOBoard keeps every
// board made with new), so when the repository is reloaded the old boards
// simply stop being listed: pointers that callers hold stay valid.
#include <dlfcn.h>

#include <algorithm>
#include <map>

#include <boost/filesystem.hpp>

#include "HBOBoardCReposMgr.h"
#include "HBOBoardInternal.h"
#include "HBOBoardModel.h"
#include "HBOBoardUtils.h"
#include "HBOParser.h"
#include "HPAParamMgr.h"
#include "HTCTclUtils.h"

namespace fs = boost::filesystem;

namespace {

const char* const kRepoPathsParam = "board.repoPaths";

// The words of a Tcl list; a malformed list counts as one folder name.
std::vector<std::string> splitTclList(const std::string& text) {
    std::vector<std::string> words;
    if (!HTCTclUtils::splitList(text, words)) return {text};
    return words;
}

// What the folders held when they were listed: each board file and its time.
using FolderState = std::vector<std::pair<std::string, std::time_t>>;

FolderState listBoardFiles(const std::vector<std::string>& roots, bool warn) {
    FolderState state;
    for (const std::string& root : roots) {
        boost::system::error_code error;
        if (!fs::is_directory(root, error)) {
            if (warn) HBOBoardInternal::warnMissingFolder(root);
            state.emplace_back(root, -1);
            continue;
        }
        std::vector<std::string> files;
        for (fs::recursive_directory_iterator it(root, fs::directory_options::skip_permission_denied, error), end;
             it != end; it.increment(error)) {
            if (error) break;
            if (it->path().filename() == "board.xml") files.push_back(it->path().string());
        }
        std::sort(files.begin(), files.end());
        for (std::string& file : files) {
            std::time_t time = fs::last_write_time(file, error);
            state.emplace_back(std::move(file), error ? 0 : time);  // -1 marks a missing folder
        }
    }
    return state;
}

}  // namespace

struct HBOBoardCReposMgr::Impl {
    bool stale = true;
    int listener = 0;
    std::vector<std::string> roots;
    FolderState listed;
    std::vector<HBOBoard*> boards;  // ordered by full name
    std::map<std::string, HBOBoard*> byName;

    void load(const FolderState& state) {
        boards.clear();
        byName.clear();
        std::map<std::string, std::string> fileOf;
        for (const auto& entry : state) {
            if (entry.second == -1) continue;
            auto board = std::make_unique<HBOBoard>();
            if (!HBOParser().parseFile(entry.first, board.get())) continue;
            std::string name = board->getName();
            auto known = fileOf.find(name);
            if (known != fileOf.end()) {
                HBOBoardInternal::warnDuplicateBoard(name, known->second, entry.first);
                continue;
            }
            fileOf.emplace(name, entry.first);
            byName.emplace(name, board.release());
        }
        for (const auto& entry : byName) boards.push_back(entry.second);
    }
};

HBOBoardCReposMgr::HBOBoardCReposMgr() : impl_(new Impl) {
    HBOBoardUtils::defineParameters();
    impl_->listener = HPAParamMgr::getParamMgr().addListener([this](const std::string& name) {
        if (name != kRepoPathsParam) return;
        impl_->stale = true;
        impl_->roots.clear();  // new folders: list and warn afresh
    });
}

HBOBoardCReposMgr::~HBOBoardCReposMgr() {
    HPAParamMgr::getParamMgr().removeListener(impl_->listener);
    delete impl_;
}

HBOBoardCReposMgr* HBOBoardCReposMgr::getGlobal() {
    static HBOBoardCReposMgr manager;
    return &manager;
}

// The sample repository installed (or, in the build tree, linked) beside the
// library: found from the library's own file, never from a compiled-in path.
std::string HBOBoardCReposMgr::defaultRepositoryFolder() {
    Dl_info info;
    if (!dladdr(reinterpret_cast<void*>(&HBOBoardCReposMgr::getGlobal), &info) || !info.dli_fname) return "boards";
    fs::path libraryDir = fs::absolute(info.dli_fname).parent_path();
    return (libraryDir / ZEM_DATA_FROM_LIBDIR / "boards").lexically_normal().string();
}

std::vector<std::string> HBOBoardCReposMgr::getRootFolders() const {
    HBOBoardUtils::defineParameters();
    std::vector<std::string> roots = splitTclList(HPAParamMgr::getParamMgr().getValue(kRepoPathsParam));
    if (roots.empty()) roots.push_back(defaultRepositoryFolder());
    return roots;
}

void HBOBoardCReposMgr::ensureLoaded() {
    if (!impl_->stale) return;
    impl_->stale = false;
    std::vector<std::string> roots = getRootFolders();
    bool sameRoots = roots == impl_->roots && !impl_->listed.empty();
    FolderState state = listBoardFiles(roots, !sameRoots);
    if (sameRoots && state == impl_->listed) return;
    impl_->roots = roots;
    impl_->listed = state;
    impl_->load(state);
}

void HBOBoardCReposMgr::appendAllBoards(std::vector<HBOBoard*>& boards) {
    ensureLoaded();
    boards.insert(boards.end(), impl_->boards.begin(), impl_->boards.end());
}

HBOBoard* HBOBoardCReposMgr::findBoard(const std::string& fullName) {
    ensureLoaded();
    auto found = impl_->byName.find(fullName);
    return found == impl_->byName.end() ? nullptr : found->second;
}

void HBOBoardCReposMgr::populatePreferenceData(HBOBoard* board) {
    if (!board) return;
    board->getIpPresets();
    std::vector<HBOBoardComponent*> components;
    board->getBoardComponentsVec(components);
    std::vector<HBOPinProps*> pins;
    for (HBOBoardComponent* component : components) component->getPinsVec(pins);
}

void HBOBoardCReposMgr::release() { impl_->stale = true; }
