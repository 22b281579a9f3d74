// How long boards live: the owner of every board made with new, the uses
// each thread runs, and the collection of boards that nothing refers to.
//
// A collection frees a board the model owns when its grace is over (no use
// that began before it became unreferenced still runs) and nothing else
// refers to it: no Tcl value (native_cache_base::for_each_held) and no
// opened or current diagram. It runs at the end of a thread's outermost
// use once a reload retired boards, or once as many boards became
// unreferenced as survived the last collection (at least 64), so its cost
// is shared out over the boards it may free.
#include "HBOBoardLifetime.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <limits>
#include <mutex>
#include <typeindex>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "HBOBoardDiagramMgr.h"
#include "HBOBoardModel.h"
#include "HBOBoardModelUse.h"
#include "tcltasks_framework.h"
#include "tcltasks_objects.h"

namespace {

using HBOBoardLifetime::Owner;

// Epoch 0 marks a thread without a running use.
std::atomic<uint64_t> epoch{1};

// The uses of one thread: the epoch its outermost use began in.
struct ThreadUses {
    std::atomic<uint64_t> since{0};
    int depth = 0;
};

// The threads that ever began a use, while they live.
class UseRegistry {
public:
    static UseRegistry& get() {
        static UseRegistry* registry = new UseRegistry;  // threads may end after static destruction
        return *registry;
    }
    void add(ThreadUses* uses) {
        std::lock_guard<std::mutex> lock(mutex_);
        threads_.push_back(uses);
    }
    void remove(ThreadUses* uses) {
        std::lock_guard<std::mutex> lock(mutex_);
        threads_.erase(std::find(threads_.begin(), threads_.end(), uses));
    }
    // The epoch of the oldest running use; anything unreferenced up to it is past its grace.
    uint64_t horizon() {
        std::lock_guard<std::mutex> lock(mutex_);
        uint64_t oldest = std::numeric_limits<uint64_t>::max();
        for (const ThreadUses* uses : threads_) {
            const uint64_t since = uses->since.load();
            if (since != 0) oldest = std::min(oldest, since);
        }
        return oldest;
    }

private:
    std::mutex mutex_;
    std::vector<ThreadUses*> threads_;
};

struct ThisThread {
    ThreadUses uses;
    ThisThread() { UseRegistry::get().add(&uses); }
    ~ThisThread() { UseRegistry::get().remove(&uses); }
};

ThreadUses& thisThread() {
    thread_local ThisThread local;
    return local.uses;
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

// The boards that Tcl values of any thread hold objects of, and the opened
// diagrams; false when a thread's values could not be read (it stayed busy).
bool referencedBoards(std::unordered_set<const HBOBoard*>& used) {
    const bool complete =
        tov::tcltasks::native_cache_base::for_each_held([&used](const std::type_info& type, const void* object) {
            if (const HBOBoard* board = boardOf(type, object)) used.insert(board);
        });
    if (!complete) return false;
    std::vector<HBOBoard*> diagrams;
    HBOBoardDiagramMgr* manager = HBOBoardDiagramMgr::getGlobal();
    manager->getOpenedBoardDiagrams(diagrams);
    used.insert(diagrams.begin(), diagrams.end());
    used.insert(manager->getCurrentBoardDiagram());
    return true;
}

class Keeper {
public:
    // Null once the library is unloading.
    static Keeper* get() {
        static Keeper keeper;
        return gone_ ? nullptr : &keeper;
    }

    void add(const void* board) {
        std::lock_guard<std::mutex> lock(mutex_);
        records_.emplace(board, Record());
    }

    void remove(const void* board) {
        std::lock_guard<std::mutex> lock(mutex_);
        if (records_.erase(board)) modelOwned_.erase(board);
    }

    void setOwner(const void* board, Owner owner) {
        std::lock_guard<std::mutex> lock(mutex_);
        auto found = records_.find(board);
        if (found == records_.end() || found->second.owner == owner) return;
        Record& record = found->second;
        const bool fromListing = record.owner == Owner::Repository;
        record.owner = owner;
        if (owner != Owner::Model) {
            modelOwned_.erase(board);
            return;
        }
        record.wasListed = fromListing;
        record.stamp = ++epoch;
        modelOwned_.insert(board);
        if (!fromListing) countUnreferenced();
    }

    void unreferenced(const void* board) {
        std::lock_guard<std::mutex> lock(mutex_);
        auto found = records_.find(board);
        if (found == records_.end() || found->second.owner != Owner::Model) return;
        found->second.stamp = ++epoch;
        countUnreferenced();
    }

    void requestCollection() { pending_ = true; }
    bool collectionPending() const { return pending_; }

    void collect() {
        std::lock_guard<std::mutex> collecting(collectMutex_);
        pending_ = false;
        std::vector<std::pair<const void*, uint64_t>> graced = gracedBoards(UseRegistry::get().horizon());
        if (graced.empty()) return;
        std::unordered_set<const HBOBoard*> used;
        if (!referencedBoards(used)) {
            pending_ = true;  // a thread was busy: try again at the end of a later use
            return;
        }
        std::vector<HBOBoard*> doomed;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            for (const auto& candidate : graced) {
                auto found = records_.find(candidate.first);
                if (found == records_.end() || found->second.owner != Owner::Model ||
                    found->second.stamp != candidate.second ||
                    used.count(static_cast<const HBOBoard*>(candidate.first)))
                    continue;
                records_.erase(found);
                modelOwned_.erase(candidate.first);
                doomed.push_back(static_cast<HBOBoard*>(const_cast<void*>(candidate.first)));
            }
            survivors_ = modelOwned_.size();
        }
        std::sort(doomed.begin(), doomed.end());  // in the order they were made, as the C library frees best
        for (HBOBoard* board : doomed) delete board;
    }

    HBOBoardLifetime::Counts counts() {
        HBOBoardLifetime::Counts counts{};
        std::lock_guard<std::mutex> lock(mutex_);
        for (const auto& entry : records_) {
            const Record& record = entry.second;
            if (record.owner == Owner::Repository) ++counts.listed;
            else if (record.owner == Owner::Maker) ++counts.makers;
            else if (record.wasListed) ++counts.retired;
            else ++counts.adopted;
        }
        return counts;
    }

    // Frees every board still known: they outlive every caller until the library unloads.
    ~Keeper() {
        std::unordered_map<const void*, Record> records;
        records.swap(records_);
        gone_ = true;
        for (const auto& entry : records) delete static_cast<HBOBoard*>(const_cast<void*>(entry.first));
    }

private:
    struct Record {
        Owner owner = Owner::Maker;
        bool wasListed = false;
        uint64_t stamp = 0;  // when the model last lost a reference to it
    };

    Keeper() = default;

    void countUnreferenced() {
        if (++sinceCollection_ < std::max<std::size_t>(64, survivors_)) return;
        sinceCollection_ = 0;
        pending_ = true;
    }

    // The boards the model owns whose grace is over; a collection stays
    // due while others wait for theirs.
    std::vector<std::pair<const void*, uint64_t>> gracedBoards(uint64_t horizon) {
        std::vector<std::pair<const void*, uint64_t>> graced;
        std::lock_guard<std::mutex> lock(mutex_);
        bool waiting = false;
        for (const void* board : modelOwned_) {
            const uint64_t stamp = records_.at(board).stamp;
            if (stamp <= horizon) graced.emplace_back(board, stamp);
            else waiting = true;
        }
        if (waiting) pending_ = true;
        return graced;
    }

    std::mutex mutex_;
    std::mutex collectMutex_;  // one collection at a time
    std::unordered_map<const void*, Record> records_;
    std::unordered_set<const void*> modelOwned_;
    std::size_t sinceCollection_ = 0;
    std::size_t survivors_ = 0;
    std::atomic<bool> pending_{false};
    static bool gone_;
};

bool Keeper::gone_ = false;

// Every framework command is a use.
const bool usesFollowCommands = [] {
    tov::tcltasks::task_manager::set_command_observer(&HBOBoardLifetime::beginUse, &HBOBoardLifetime::endUse);
    return true;
}();

}  // namespace

void* HBOBoard::operator new(std::size_t size) {
    void* memory = ::operator new(size);
    if (Keeper* keeper = Keeper::get()) keeper->add(memory);
    return memory;
}

void HBOBoard::operator delete(void* pointer) noexcept {
    if (Keeper* keeper = Keeper::get()) keeper->remove(pointer);
    ::operator delete(pointer);
}

HBOBoardModelUse::HBOBoardModelUse() { HBOBoardLifetime::beginUse(); }

HBOBoardModelUse::~HBOBoardModelUse() { HBOBoardLifetime::endUse(); }

namespace HBOBoardLifetime {

void beginUse() {
    ThreadUses& uses = thisThread();
    if (uses.depth++ == 0) uses.since.store(epoch.load());
}

void endUse() {
    ThreadUses& uses = thisThread();
    if (uses.depth == 0 || --uses.depth > 0) return;
    uses.since.store(0);
    Keeper* keeper = Keeper::get();
    if (keeper && keeper->collectionPending()) keeper->collect();
}

void setOwner(const HBOBoard* board, Owner owner) {
    if (Keeper* keeper = Keeper::get()) keeper->setOwner(board, owner);
}

void unreferenced(const HBOBoard* board) {
    if (Keeper* keeper = Keeper::get()) keeper->unreferenced(board);
}

void collectIfDue() {
    Keeper* keeper = Keeper::get();
    if (keeper && keeper->collectionPending() && thisThread().depth == 0) keeper->collect();
}

void collectSoon() {
    if (Keeper* keeper = Keeper::get()) keeper->requestCollection();
    collectIfDue();
}

Counts counts() {
    Keeper* keeper = Keeper::get();
    return keeper ? keeper->counts() : Counts{};
}

}  // namespace HBOBoardLifetime
