// The board repository: lists board.xml files below the folders of
// "board.repoPaths", parses each once, and keeps the boards ordered by name.
//
// Each listing owns the boards it read. When the repository is reloaded the
// current listing is retired; a retired listing is freed at a reload once no
// Tcl value (native object or collection element) and no open diagram
// refers to any of its objects, so memory stays bounded over any number of
// reloads while every object still in use stays valid.
#include <dlfcn.h>

#include <algorithm>
#include <list>
#include <map>
#include <set>
#include <typeindex>
#include <unordered_map>

#include <boost/filesystem.hpp>

#include "HBOBoardCReposMgr.h"
#include "HBOBoardDiagramMgr.h"
#include "HBOBoardInternal.h"
#include "HBOBoardModel.h"
#include "HBOBoardUtils.h"
#include "HBOParser.h"
#include "HPAParamMgr.h"
#include "HTCTclUtils.h"
#include "tcltasks_objects.h"

namespace fs = boost::filesystem;

namespace {

const char* const kRepoPathsParam = "board.repoPaths";

// The words of a Tcl list; a malformed list counts as one folder name.
std::vector<std::string> splitTclList(const std::string& text) {
    std::vector<std::string> words;
    if (!HTCTclUtils::splitList(text, words)) return {text};
    return words;
}

// The same folder written twice ("dir", "dir/", "./dir") is listed once.
std::vector<std::string> withoutRepeats(const std::vector<std::string>& roots) {
    std::vector<std::string> kept;
    std::set<std::string> seen;
    for (const std::string& root : roots) {
        boost::system::error_code error;
        fs::path canonical = fs::weakly_canonical(fs::absolute(root), error);
        if (root.empty() || seen.insert(error ? root : canonical.string()).second) kept.push_back(root);
    }
    return kept;
}

using BoardOf = const HBOBoard* (*)(const void*);

template <class... T>
std::unordered_map<std::type_index, BoardOf> boardGetters() {
    return {{typeid(T*), [](const void* p) -> const HBOBoard* { return static_cast<const T*>(p)->getBoard(); }}...};
}

// The board of a model object, by its pointer type; null for other types.
const HBOBoard* boardOf(const std::type_info& pointerType, const void* object) {
    static const auto getters =
        boardGetters<HBOBoard, HBOBoardComponent, HBOBusIf, HBOBoardBus, HBOBoardBusNet, HBOComponentMode, HBOPinProps,
                     HBOModelPort, HBOPortMap, HBOBusIfPreference, HBOIpPreset, HBOJumper, HBOParameter>();
    auto found = getters.find(pointerType);
    return found == getters.end() ? nullptr : found->second(object);
}

// The boards read from the folders at one time, owned, and what was left out.
struct Listing {
    std::vector<HBOBoard*> boards;  // ordered by full name
    std::map<std::string, std::unique_ptr<HBOBoard>> byName;
    std::vector<HBODroppedItem> dropped;  // folders first, then board files in path order

    Listing(const HBOBoardInternal::FolderState& state, std::vector<HBODroppedItem> folders)
        : dropped(std::move(folders)) {
        std::map<std::string, std::string> fileOf;
        for (const auto& entry : state) {
            if (entry.second == -1) continue;
            std::unique_ptr<HBOBoard> board(new HBOBoard);
            HBOParser parser;
            if (!parser.parseFile(entry.first, board.get())) {
                dropped.push_back(parser.getProblem());
                continue;
            }
            std::string name = board->getName();
            auto known = fileOf.find(name);
            if (known != fileOf.end()) {
                HBOBoardInternal::warnDuplicateBoard(name, known->second, entry.first);
                dropped.push_back({HBODroppedItem::DUPLICATE_FILE, entry.first, 0,
                                   "board " + name + " is defined twice: " + known->second + " is used, " +
                                       entry.first + " is ignored",
                                   name});
                continue;
            }
            fileOf.emplace(name, entry.first);
            board->setOwnerListing(this);
            byName.emplace(name, std::move(board));
        }
        for (const auto& entry : byName) boards.push_back(entry.second.get());
    }
    Listing(const Listing&) = delete;
    Listing& operator=(const Listing&) = delete;
};

}  // namespace

struct HBOBoardCReposMgr::Impl {
    bool stale = true;
    int listener = 0;
    std::vector<std::string> roots;
    HBOBoardInternal::FolderState listed;
    std::unique_ptr<Listing> current;
    std::list<std::unique_ptr<Listing>> retired;  // still referred to at the last reload

    // Frees the retired listings that nothing refers to any longer.
    void freeUnused() {
        if (retired.empty()) return;
        std::set<const void*> used;
        tov::tcltasks::native_cache_base::for_each_held([&used](const std::type_info& type, const void* object) {
            if (const HBOBoard* board = boardOf(type, object)) used.insert(board->getOwnerListing());
        });
        std::vector<HBOBoard*> diagrams;
        HBOBoardDiagramMgr::getGlobal()->getOpenedBoardDiagrams(diagrams);
        for (const HBOBoard* diagram : diagrams) used.insert(diagram->getOwnerListing());
        retired.remove_if([&used](const std::unique_ptr<Listing>& listing) { return !used.count(listing.get()); });
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
    return withoutRepeats(roots);
}

// The repository counts as loaded only once a listing was made: a failure
// on the way leaves it to be loaded again by the next query.
void HBOBoardCReposMgr::ensureLoaded() {
    if (!impl_->stale) return;
    std::vector<std::string> roots = getRootFolders();
    bool sameRoots = impl_->current && roots == impl_->roots;
    std::vector<HBODroppedItem> folders;
    HBOBoardInternal::FolderState state = HBOBoardInternal::listBoardFiles(roots, !sameRoots, &folders);
    if (sameRoots && state == impl_->listed) {
        impl_->stale = false;
        return;
    }
    // The old listing goes first, so that two are in memory only when the old one is still in use.
    if (impl_->current) impl_->retired.push_back(std::move(impl_->current));
    impl_->freeUnused();
    impl_->current.reset(new Listing(state, std::move(folders)));
    impl_->roots = roots;
    impl_->listed = std::move(state);
    impl_->stale = false;
}

void HBOBoardCReposMgr::appendAllBoards(std::vector<HBOBoard*>& boards) {
    ensureLoaded();
    if (impl_->current) boards.insert(boards.end(), impl_->current->boards.begin(), impl_->current->boards.end());
}

HBOBoard* HBOBoardCReposMgr::findBoard(const std::string& fullName) {
    ensureLoaded();
    if (!impl_->current) return nullptr;
    auto found = impl_->current->byName.find(fullName);
    return found == impl_->current->byName.end() ? nullptr : found->second.get();
}

void HBOBoardCReposMgr::appendDroppedItems(std::vector<HBODroppedItem>& items) {
    ensureLoaded();
    if (impl_->current) items.insert(items.end(), impl_->current->dropped.begin(), impl_->current->dropped.end());
}

std::size_t HBOBoardCReposMgr::listingsInMemory() const { return (impl_->current ? 1 : 0) + impl_->retired.size(); }

void HBOBoardCReposMgr::populatePreferenceData(HBOBoard* board) {
    if (!board) return;
    board->getIpPresets();
    std::vector<HBOBoardComponent*> components;
    board->getBoardComponentsVec(components);
    std::vector<HBOPinProps*> pins;
    for (HBOBoardComponent* component : components) component->getPinsVec(pins);
}

void HBOBoardCReposMgr::release() { impl_->stale = true; }
