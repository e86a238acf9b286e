#pragma once

#include <cstddef>
#include <new>
#include <vector>

// The freed memory of one class's objects, kept for the next objects of the class. A title holds
// thousands of cards, texts and pictures, all freed together when it closes and allocated again together
// when a title (the next one, or an undo snapshot of the same) is loaded; the general allocator takes long
// to sort thousands of freed blocks of these sizes and to hand them out again, a list of them does not.
//
// Each thread keeps its own blocks, at most kMostKept of them, and frees them when it ends. Objects of a
// derived class, whose size differs, come from the general allocator. Under AddressSanitizer nothing is
// kept, so that a use of a freed object is still caught.
template <class T>
class RecycledBlocks {
  public:
    static constexpr size_t kMostKept = 8192;

    static void* Take(size_t size) {
        if (size == sizeof(T) && kKeeping && !gone_) {
            Cache& cache = TheCache();
            if (!cache.blocks.empty()) {
                void* block = cache.blocks.back();
                cache.blocks.pop_back();
                return block;
            }
        }
        return ::operator new(size);
    }

    static void Give(void* block, size_t size) noexcept {
        if (block && size == sizeof(T) && kKeeping && !gone_) {
            Cache& cache = TheCache();
            if (cache.blocks.size() < cache.blocks.capacity()) {
                cache.blocks.push_back(block);
                return;
            }
        }
        ::operator delete(block, size);
    }

  private:
#if defined(__SANITIZE_ADDRESS__)
    static constexpr bool kKeeping = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    static constexpr bool kKeeping = false;
#else
    static constexpr bool kKeeping = true;
#endif
#else
    static constexpr bool kKeeping = true;
#endif

    struct Cache {
        Cache() {
            try {
                // Never grown afterwards, so that giving a block back cannot fail.
                blocks.reserve(kMostKept);
            } catch (const std::bad_alloc&) {
            }
        }
        ~Cache() {
            for (void* block : blocks) ::operator delete(block, sizeof(T));
            // Objects of other threads' or static lifetimes may still be freed after this: they go to the
            // general allocator.
            gone_ = true;
        }
        std::vector<void*> blocks;
    };
    static Cache& TheCache() {
        thread_local Cache cache;
        return cache;
    }
    // Plain data, readable after the cache of the thread is gone.
    static inline thread_local bool gone_ = false;
};

// Gives a class the recycled blocks above for its own objects (not for those of derived classes).
#define DECLARE_RECYCLED(Class)                                      \
  public:                                                            \
    static void* operator new(size_t size) {                         \
        return RecycledBlocks<Class>::Take(size);                    \
    }                                                                \
    static void operator delete(void* block, size_t size) noexcept { \
        RecycledBlocks<Class>::Give(block, size);                    \
    }
