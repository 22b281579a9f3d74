// The board repository: lists board.xml files below the folders of
// "board.repoPaths", parses each once, and keeps the boards ordered by name.
//
// A listing is an immutable snapshot that readers share: a reload builds the
// next one and swaps it in, so readers run side by side and never see a
// listing change under them; a query after a change waits for the load it
// needs, one load at a time. A board file that did not change, nor the pin
// and preset files already read for its board, keeps its board in the next
// listing; the others are read again, on every core, from the moment the
// walk of the folders meets them. Boards that leave the listing go to the
// model, which frees each once nothing refers to it (HBOBoardLifetime.h).
#include <dlfcn.h>

#include <algorithm>
#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <shared_mutex>
#include <unordered_map>
#include <unordered_set>

#include <boost/filesystem.hpp>

#include "HBOBoardCReposMgr.h"
#include "HBOBoardFileWorkers.h"
#include "HBOBoardInternal.h"
#include "HBOBoardLifetime.h"
#include "HBOBoardModel.h"
#include "HBOBoardUtils.h"
#include "HPAParamMgr.h"
#include "HTCTclUtils.h"

namespace fs = boost::filesystem;

namespace {

const char* const kRepoPathsParam = "board.repoPaths";
const char* const kThreadsParam = "board.listingThreads";

using HBOBoardInternal::FileIdentity;
using HBOBoardInternal::Problem;

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

// What the listing keeps of a folder or duplicate it left out.
HBODroppedItem droppedItem(const Problem& problem) {
    if (problem.kind == Problem::Duplicate) {
        return {HBODroppedItem::DUPLICATE_FILE, problem.path, 0,
                "board " + problem.reason + " is defined twice: " + problem.other + " is used, " + problem.path +
                    " is ignored",
                problem.reason};
    }
    const std::string reason = problem.kind == Problem::MissingFolder ? "does not exist or is not a folder"
                                                                      : "cannot be read: " + problem.reason;
    return {HBODroppedItem::FOLDER, problem.path, 0, reason, std::string()};
}

bool sameProblem(const Problem& a, const Problem& b) {
    return a.kind == b.kind && a.path == b.path && a.line == b.line && a.reason == b.reason && a.other == b.other;
}

// A pin or preset file of a board, as it was when the board was listed.
struct Dependency {
    std::string path;
    const HBOBoardComponent* component;  // whose pin file it is; null for the preset file
    FileIdentity identity;

    // Read since: only then can a change of the file make the board stale.
    bool wasRead(const HBOBoard& board) const {
        return component ? component->arePinsLoaded() : board.arePresetsLoaded();
    }
};

std::vector<Dependency> dependenciesOf(const HBOBoard& board) {
    std::vector<Dependency> dependencies;
    if (!board.getPresetFile().empty()) {
        const std::string& path = board.getPresetFile();
        dependencies.push_back({path, nullptr, HBOBoardInternal::identify(path)});
    }
    std::vector<HBOBoardComponent*> components;
    board.getBoardComponentsVec(components);
    for (const HBOBoardComponent* component : components) {
        const std::string& path = component->getPinMapFile();
        if (!path.empty()) dependencies.push_back({path, component, HBOBoardInternal::identify(path)});
    }
    return dependencies;
}

// One board file of a listing and what became of it.
struct FileRecord {
    FileIdentity identity;
    HBOBoard* board = nullptr;      // null when it was left out
    HBODroppedItem dropped;         // why, when it was left out
    std::vector<Problem> problems;  // its warnings
    std::vector<Dependency> dependencies;

    // Whether it holds what it held when it was read, and so do the files read since for its board.
    bool unchangedSince(const FileIdentity& now) const {
        if (!HBOBoardInternal::unchangedSince(identity, now)) return false;
        for (const Dependency& dependency : dependencies) {
            if (dependency.wasRead(*board) &&
                !HBOBoardInternal::unchangedSince(dependency.identity, HBOBoardInternal::identify(dependency.path)))
                return false;
        }
        return true;
    }
};

// What readers see of one listing; never changed once published.
struct Snapshot {
    std::vector<HBOBoard*> boards;  // ordered by full name
    std::unordered_map<std::string, HBOBoard*> byName;
    std::unordered_map<std::string, HBOBoardComponent*> partsByName;  // the first board's part of each name
    std::vector<Problem> problems;                                    // in the order of their warnings
    std::vector<HBODroppedItem> dropped;                              // folders, then files in order

    void index() {
        for (HBOBoard* board : boards) {
            byName.emplace(board->getName(), board);
            if (HBOBoardComponent* part = board->findFpgaComponent()) partsByName.emplace(part->getName(), part);
        }
    }
};

// What became of one board file met by the walk: its record kept, or read now.
struct FileOutcome {
    FileRecord record;
    bool readNow = false;
    std::unique_ptr<HBOBoard> board;  // read now, until listed
};

// A listing being built from the files of the folders, in order.
struct NextListing {
    std::vector<FileRecord> records;                     // one per file
    std::vector<bool> readNow;                           // per file: read for this listing
    std::vector<bool> losing;                            // per file: a later file of a board name already listed
    std::vector<std::unique_ptr<HBOBoard>> unpublished;  // boards read now, until listed
};

}  // namespace

struct HBOBoardCReposMgr::Impl {
    HBOBoardCReposMgr& manager;
    int listener = 0;
    std::atomic<uint64_t> wanted{1};          // raised by release() and by new folders
    std::atomic<uint64_t> loaded{0};          // what the published listing answers
    std::atomic<uint64_t> foldersChanged{1};  // raised when board.repoPaths is set

    // One load at a time; the load's own state.
    std::mutex loadMutex;
    uint64_t foldersListed = 0;
    std::vector<std::string> roots;
    std::unordered_map<std::string, FileRecord> records;  // by path, of the boards listed and the files left out
    std::vector<Problem> folderProblems;
    std::set<std::pair<std::string, std::string>> duplicates;  // (file left out, file used)

    mutable std::shared_mutex snapshotMutex;
    std::shared_ptr<const Snapshot> snapshot;

    explicit Impl(HBOBoardCReposMgr& owner) : manager(owner) {}

    std::shared_ptr<const Snapshot> view() {
        manager.ensureLoaded();
        std::shared_lock<std::shared_mutex> lock(snapshotMutex);
        return snapshot;
    }

    unsigned listingThreads() const {
        const long long wantedThreads = HPAParamMgr::getParamMgr().getValueAsInt(kThreadsParam);
        return wantedThreads > 0 ? static_cast<unsigned>(std::min(wantedThreads, 256LL))
                                 : HBOBoardInternal::usableCores();
    }

    // What a load sends and whether boards left the listing.
    struct Outcome {
        std::vector<Problem> told;
        bool retired = false;
    };
    Outcome reload();
    bool sameAsListed(const HBOBoardInternal::FolderListing& folders, const NextListing& next) const;
    FileOutcome outcomeOf(const std::string& file) const;
    static NextListing inOrder(const HBOBoardInternal::FolderListing& folders, std::vector<FileOutcome> outcomes);
    std::shared_ptr<Snapshot> assemble(const HBOBoardInternal::FolderListing& folders, NextListing& next);
    std::vector<Problem> problemsToTell(const Snapshot& listing, const NextListing& next,
                                        const HBOBoardInternal::FolderListing& folders, bool fresh) const;
    std::vector<HBOBoard*> publish(std::shared_ptr<Snapshot> listing, NextListing& next);
    void keepRecords(const HBOBoardInternal::FolderListing& folders, NextListing& next);
};

// Reuses the record of a file that did not change; reads the others. Runs
// on the reading threads, which only read the records of the last load. A
// file read now is identified as it was read, and its pin and preset files
// then and there.
FileOutcome HBOBoardCReposMgr::Impl::outcomeOf(const std::string& file) const {
    FileOutcome outcome;
    auto known = records.find(file);
    if (known != records.end() && known->second.unchangedSince(HBOBoardInternal::identify(file))) {
        outcome.record = known->second;
        return outcome;
    }
    outcome.readNow = true;
    HBOBoardFileRead read = HBOBoardInternal::readBoardFile(file, outcome.record.identity);
    FileRecord& record = outcome.record;
    for (const HBODroppedItem& warning : read.warnings)
        record.problems.push_back(Problem{Problem::BadFile, warning.path, warning.line, warning.reason, ""});
    if (!read.board) {
        record.dropped = std::move(read.warnings.back());  // the reason the file is left out
        return outcome;
    }
    record.board = read.board.get();
    record.dependencies = dependenciesOf(*record.board);
    outcome.board = std::move(read.board);
    return outcome;
}

// The outcomes, met in walk order, in the order of the files.
NextListing HBOBoardCReposMgr::Impl::inOrder(const HBOBoardInternal::FolderListing& folders,
                                             std::vector<FileOutcome> outcomes) {
    NextListing next;
    next.records.resize(folders.files.size());
    next.readNow.assign(folders.files.size(), false);
    next.losing.assign(folders.files.size(), false);
    for (std::size_t i = 0; i < folders.files.size(); ++i) {
        FileOutcome& outcome = outcomes[folders.foundAt[i]];
        next.records[i] = std::move(outcome.record);
        next.readNow[i] = outcome.readNow;
        if (outcome.board) next.unpublished.push_back(std::move(outcome.board));
    }
    return next;
}

// The listing of the files in order: the first file of a board name wins.
std::shared_ptr<Snapshot> HBOBoardCReposMgr::Impl::assemble(const HBOBoardInternal::FolderListing& folders,
                                                            NextListing& next) {
    auto listing = std::make_shared<Snapshot>();
    listing->problems = folders.problems;
    for (const Problem& problem : folders.problems)
        if (problem.kind != Problem::EmptyFolderName) listing->dropped.push_back(droppedItem(problem));
    std::map<std::string, std::size_t> firstOf;
    for (std::size_t i = 0; i < folders.files.size(); ++i) {
        const FileRecord& record = next.records[i];
        listing->problems.insert(listing->problems.end(), record.problems.begin(), record.problems.end());
        if (!record.board) {
            listing->dropped.push_back(record.dropped);
            continue;
        }
        std::string name = record.board->getName();
        auto known = firstOf.emplace(name, i);
        if (known.second) continue;
        next.losing[i] = true;
        listing->problems.push_back(
            Problem{Problem::Duplicate, folders.files[i], 0, name, folders.files[known.first->second]});
        listing->dropped.push_back(droppedItem(listing->problems.back()));
    }
    for (const auto& entry : firstOf) listing->boards.push_back(next.records[entry.second].board);
    listing->index();
    return listing;
}

// The warnings a load sends: every problem of new folders, else only what
// was not told before (problems of the files read now, folders and
// duplicates not met at the last load).
std::vector<Problem> HBOBoardCReposMgr::Impl::problemsToTell(const Snapshot& listing, const NextListing& next,
                                                             const HBOBoardInternal::FolderListing& folders,
                                                             bool fresh) const {
    if (fresh) return listing.problems;
    std::unordered_set<std::string> readNow;
    for (std::size_t i = 0; i < folders.files.size(); ++i)
        if (next.readNow[i]) readNow.insert(folders.files[i]);
    std::vector<Problem> told;
    for (const Problem& problem : listing.problems) {
        bool known = false;
        if (problem.kind == Problem::BadFile) known = !readNow.count(problem.path);
        else if (problem.kind == Problem::Duplicate) known = duplicates.count({problem.path, problem.other}) > 0;
        else
            known = std::any_of(folderProblems.begin(), folderProblems.end(),
                                [&](const Problem& before) { return sameProblem(before, problem); });
        if (!known) told.push_back(problem);
    }
    return told;
}

// Swaps the listing in; returns the boards that left it.
std::vector<HBOBoard*> HBOBoardCReposMgr::Impl::publish(std::shared_ptr<Snapshot> listing, NextListing& next) {
    const std::unordered_set<HBOBoard*> listed(listing->boards.begin(), listing->boards.end());
    for (auto& board : next.unpublished) {
        if (!listed.count(board.get())) continue;  // lost to an earlier file of its name: freed now
        HBOBoardLifetime::setOwner(board.get(), HBOBoardLifetime::Owner::Repository);
        static_cast<void>(board.release());  // the repository owns it now
    }
    std::shared_ptr<const Snapshot> previous;
    {
        std::unique_lock<std::shared_mutex> lock(snapshotMutex);
        previous = std::move(snapshot);
        snapshot = std::move(listing);
    }
    std::vector<HBOBoard*> left;
    if (previous)
        for (HBOBoard* board : previous->boards)
            if (!listed.count(board)) left.push_back(board);
    return left;
}

// What the next load starts from. Files that lost to an earlier file of
// their board name are not kept, so that they are read again when they may win.
void HBOBoardCReposMgr::Impl::keepRecords(const HBOBoardInternal::FolderListing& folders, NextListing& next) {
    records.clear();
    duplicates.clear();
    for (std::size_t i = 0; i < folders.files.size(); ++i)
        if (!next.losing[i]) records.emplace(folders.files[i], std::move(next.records[i]));
    for (const Problem& problem : snapshot->problems)
        if (problem.kind == Problem::Duplicate) duplicates.emplace(problem.path, problem.other);
    folderProblems = folders.problems;
}

// Nothing read, nothing gone, and the folders as they were: the listing stands.
bool HBOBoardCReposMgr::Impl::sameAsListed(const HBOBoardInternal::FolderListing& folders,
                                           const NextListing& next) const {
    return std::none_of(next.readNow.begin(), next.readNow.end(), [](bool read) { return read; }) &&
           folders.files.size() == records.size() &&
           std::equal(folders.problems.begin(), folders.problems.end(), folderProblems.begin(), folderProblems.end(),
                      sameProblem);
}

// Lists the folders again.
HBOBoardCReposMgr::Impl::Outcome HBOBoardCReposMgr::Impl::reload() {
    const uint64_t folderGeneration = foldersChanged.load();
    std::vector<std::string> newRoots = manager.getRootFolders();
    const bool fresh = !snapshot || folderGeneration != foldersListed || newRoots != roots;
    HBOBoardInternal::FileWorkers<FileOutcome> workers(listingThreads(),
                                                       [this](const std::string& file) { return outcomeOf(file); });
    HBOBoardInternal::FolderListing folders =
        HBOBoardInternal::listBoardFiles(newRoots, [&workers](const std::string& file) { workers.push(file); });
    NextListing next = inOrder(folders, workers.finish());
    if (!fresh && sameAsListed(folders, next)) return Outcome();
    std::shared_ptr<Snapshot> listing = assemble(folders, next);
    Outcome outcome;
    outcome.told = problemsToTell(*listing, next, folders, fresh);
    std::vector<HBOBoard*> left = publish(std::move(listing), next);
    keepRecords(folders, next);
    roots = std::move(newRoots);
    foldersListed = folderGeneration;
    for (HBOBoard* board : left) HBOBoardLifetime::setOwner(board, HBOBoardLifetime::Owner::Model);
    outcome.retired = !left.empty();
    return outcome;
}

HBOBoardCReposMgr::HBOBoardCReposMgr() : impl_(new Impl(*this)) {
    HBOBoardUtils::defineParameters();
    impl_->listener = HPAParamMgr::getParamMgr().addListener([this](const std::string& name) {
        if (name != kRepoPathsParam) return;
        ++impl_->foldersChanged;  // new folders: list and warn afresh
        ++impl_->wanted;
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

// The repository counts as loaded only once a listing was published: a
// failure on the way leaves it to be loaded again by the next query.
// Warnings go out after the load, so that whatever receives them finds the
// new listing in place.
void HBOBoardCReposMgr::ensureLoaded() {
    if (impl_->loaded.load() == impl_->wanted.load()) return;
    Impl::Outcome outcome;
    {
        std::lock_guard<std::mutex> loading(impl_->loadMutex);
        const uint64_t generation = impl_->wanted.load();
        if (impl_->loaded.load() == generation) return;
        outcome = impl_->reload();
        impl_->loaded.store(generation);
    }
    for (const Problem& problem : outcome.told) HBOBoardInternal::warn(problem);
    if (outcome.retired) HBOBoardLifetime::collectSoon();
}

void HBOBoardCReposMgr::appendAllBoards(std::vector<HBOBoard*>& boards) {
    std::shared_ptr<const Snapshot> listing = impl_->view();
    if (listing) boards.insert(boards.end(), listing->boards.begin(), listing->boards.end());
}

HBOBoard* HBOBoardCReposMgr::findBoard(const std::string& fullName) {
    std::shared_ptr<const Snapshot> listing = impl_->view();
    if (!listing) return nullptr;
    auto found = listing->byName.find(fullName);
    return found == listing->byName.end() ? nullptr : found->second;
}

HBOBoardComponent* HBOBoardCReposMgr::findBoardPart(const std::string& fullName) {
    std::shared_ptr<const Snapshot> listing = impl_->view();
    if (!listing) return nullptr;
    auto found = listing->partsByName.find(fullName);
    return found == listing->partsByName.end() ? nullptr : found->second;
}

void HBOBoardCReposMgr::appendDroppedItems(std::vector<HBODroppedItem>& items) {
    std::shared_ptr<const Snapshot> listing = impl_->view();
    if (listing) items.insert(items.end(), listing->dropped.begin(), listing->dropped.end());
}

HBOBoardCReposMgr::BoardsInMemory HBOBoardCReposMgr::boardsInMemory() {
    const HBOBoardLifetime::Counts counts = HBOBoardLifetime::counts();
    return {counts.listed, counts.retired, counts.adopted, counts.makers};
}

void HBOBoardCReposMgr::populatePreferenceData(HBOBoard* board) {
    if (!board) return;
    board->getIpPresets();
    std::vector<HBOBoardComponent*> components;
    board->getBoardComponentsVec(components);
    std::vector<HBOPinProps*> pins;
    for (HBOBoardComponent* component : components) component->getPinsVec(pins);
}

void HBOBoardCReposMgr::release() { ++impl_->wanted; }
