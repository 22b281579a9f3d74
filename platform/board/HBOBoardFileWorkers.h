// Work on files as a walk finds them: each path pushed is one unit of work,
// taken by the next free thread, so that reading starts while the walk goes
// on instead of after it, which would leave every core but one idle for the
// length of the walk.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

namespace HBOBoardInternal {

// The cores this process may run on.
unsigned usableCores();

// Runs work(path) for each path pushed on up to `threads` threads: helpers
// start as paths come, the calling thread joins them in finish().
template <class Result>
class FileWorkers {
public:
    using Work = std::function<Result(const std::string&)>;

    FileWorkers(unsigned threads, Work work) : threads_(threads), work_(std::move(work)) {}
    FileWorkers(const FileWorkers&) = delete;
    FileWorkers& operator=(const FileWorkers&) = delete;
    // Unfinished (the walk threw): the helpers stop after their current path.
    ~FileWorkers() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stopped_ = true;
        }
        ready_.notify_all();
        for (std::thread& helper : helpers_) helper.join();
    }

    void push(std::string path) {
        std::size_t pending = 0;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            items_.push_back(Item{std::move(path), Result(), nullptr});
            pending = items_.size() - next_;
        }
        ready_.notify_one();
        // One helper per path waiting beyond the first, up to the threads
        // wanted less the caller's: one path the caller reads itself once the
        // walk is done, so listing a single board starts no thread.
        if (pending > helpers_.size() + 1 && helpers_.size() + 1 < threads_) {
            try {
                helpers_.emplace_back([this] { run(); });
            } catch (const std::system_error&) {
                threads_ = helpers_.size() + 1;  // no more threads to be had: the ones running do the rest
            }
        }
    }

    // Works with the helpers until every path is done; the results come in
    // the order of the paths. An exception from one path is thrown once
    // every thread has ended.
    std::vector<Result> finish() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            closed_ = true;
        }
        ready_.notify_all();
        run();
        for (std::thread& helper : helpers_) helper.join();
        helpers_.clear();
        std::vector<Result> results;
        results.reserve(items_.size());
        for (Item& item : items_) {
            if (item.failure) std::rethrow_exception(item.failure);
            results.push_back(std::move(item.result));
        }
        return results;
    }

private:
    struct Item {
        std::string path;
        Result result;
        std::exception_ptr failure;
    };

    // Items are taken under the lock; a deque keeps them in place while more
    // are pushed, so each is then worked on outside it.
    void run() {
        for (;;) {
            Item* item = nullptr;
            {
                std::unique_lock<std::mutex> lock(mutex_);
                ready_.wait(lock, [this] { return stopped_ || closed_ || next_ < items_.size(); });
                if (stopped_ || next_ == items_.size()) return;
                item = &items_[next_++];
            }
            try {
                item->result = work_(item->path);
            } catch (...) {
                item->failure = std::current_exception();
            }
        }
    }

    unsigned threads_;
    Work work_;
    std::vector<std::thread> helpers_;  // started and joined by the pushing thread only
    std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<Item> items_;
    std::size_t next_ = 0;  // the first item not taken
    bool closed_ = false;   // no more paths come
    bool stopped_ = false;  // the results are no longer wanted
};

}  // namespace HBOBoardInternal
