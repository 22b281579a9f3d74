// Memory for the objects that every command call makes and frees (its task,
// its result collection): each thread keeps a short list of freed blocks
// per size and takes from it before it asks the allocator. The list is
// bounded, so memory stays what the busiest moment needed, and a thread
// gives its blocks back when it ends. Under AddressSanitizer every block
// comes from the allocator, so that a use after free is still seen.
#pragma once

#include <cstddef>
#include <new>

#if defined(__SANITIZE_ADDRESS__)
#define ZEM_RECYCLE_BLOCKS 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define ZEM_RECYCLE_BLOCKS 0
#endif
#endif
#ifndef ZEM_RECYCLE_BLOCKS
#define ZEM_RECYCLE_BLOCKS 1
#endif

namespace tov {
namespace tcltasks {
namespace detail {

template <std::size_t Size>
class recycled_blocks {
public:
    static void* take() {
#if ZEM_RECYCLE_BLOCKS
        closer();  // makes sure this thread gives its blocks back when it ends
        free_list& list = local();
        if (void* block = list.head) {
            list.head = *static_cast<void**>(block);
            --list.count;
            return block;
        }
#endif
        return ::operator new(Size);
    }

    static void give(void* block) {
#if ZEM_RECYCLE_BLOCKS
        free_list& list = local();
        if (!list.closed && list.count < kKept) {
            *static_cast<void**>(block) = list.head;
            list.head = block;
            ++list.count;
            return;
        }
#endif
        ::operator delete(block);
    }

private:
    static_assert(Size >= sizeof(void*), "a block must hold the link of the list");
    static constexpr std::size_t kKept = 64;

    // Trivially destructible, so that it may still be read while the
    // thread ends, after the closer below has run.
    struct free_list {
        void* head;
        std::size_t count;
        bool closed;
    };
    static free_list& local() {
        thread_local free_list list{nullptr, 0, false};
        return list;
    }
    struct list_closer {
        ~list_closer() {
            free_list& list = local();
            list.closed = true;
            while (void* block = list.head) {
                list.head = *static_cast<void**>(block);
                ::operator delete(block);
            }
            list.count = 0;
        }
    };
    static void closer() {
        thread_local list_closer instance;
        (void)instance;
    }
};

// A standard allocator over recycled blocks, for boost::allocate_shared.
template <class T>
struct recycling_allocator {
    using value_type = T;
    recycling_allocator() = default;
    template <class U>
    recycling_allocator(const recycling_allocator<U>&) {}  // NOLINT: rebinding
    T* allocate(std::size_t n) {
        if (n != 1) return static_cast<T*>(::operator new(n * sizeof(T)));
        return static_cast<T*>(recycled_blocks<sizeof(T)>::take());
    }
    void deallocate(T* p, std::size_t n) {
        if (n != 1) return ::operator delete(p);
        recycled_blocks<sizeof(T)>::give(p);
    }
    template <class U>
    bool operator==(const recycling_allocator<U>&) const {
        return true;
    }
    template <class U>
    bool operator!=(const recycling_allocator<U>&) const {
        return false;
    }
};

}  // namespace detail
}  // namespace tcltasks
}  // namespace tov
