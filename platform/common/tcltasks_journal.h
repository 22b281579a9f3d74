// The command journal: the command lines of the framework commands a user
// ran, most recent last, in memory of fixed size.
#pragma once

#include <tcl.h>

#include <array>
#include <cstddef>
#include <deque>
#include <mutex>
#include <string>

namespace tov {
namespace tcltasks {

class command_journal {
public:
    static constexpr std::size_t max_entries = 1000;
    // Bytes of all entries together; older entries give way to newer ones.
    static constexpr std::size_t max_bytes = std::size_t(1) << 20;
    // Bytes of one entry: further words are counted, not quoted.
    static constexpr std::size_t max_entry_bytes = 4096;

    static command_journal& instance();

    // Records the words as a Tcl list, each word quoted by its excerpt
    // (tcl_value_text.h), so that neither a huge nor a deeply nested
    // argument is turned into a whole string. Safe from any thread.
    void record(int objc, Tcl_Obj* const objv[]);
    std::deque<std::string> entries() const;
    void clear();

private:
    struct span {
        std::size_t offset;
        std::size_t length;
    };
    void store(const std::string& line);
    void drop_oldest();

    mutable std::mutex mutex_;
    std::string ring_;      // max_bytes, allocated on first use
    std::size_t head_ = 0;  // where the next entry starts
    std::array<span, max_entries> spans_{};
    std::size_t first_ = 0;  // index in spans_ of the oldest entry
    std::size_t count_ = 0;
    std::size_t used_ = 0;  // bytes held by the entries
};

}  // namespace tcltasks
}  // namespace tov
