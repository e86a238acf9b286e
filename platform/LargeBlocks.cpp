#include "platform/LargeBlocks.h"

#include <sys/mman.h>

#include <cstdlib>

namespace platform {

namespace {

constexpr size_t kHugePage = size_t{2} << 20;

size_t Mapped(size_t size) {
    return (size + kHugePage - 1) / kHugePage * kHugePage;
}

}  // namespace

void* AllocateLargeBlock(size_t size) {
    if (size < kHugePage) return std::malloc(size);
    void* block = ::mmap(nullptr, Mapped(size), PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (block == MAP_FAILED) return nullptr;
#ifdef MADV_HUGEPAGE
    // Only advice: a system without huge pages gives ordinary ones.
    ::madvise(block, Mapped(size), MADV_HUGEPAGE);
#endif
    return block;
}

void FreeLargeBlock(void* block, size_t size) {
    if (!block) return;
    if (size < kHugePage) {
        std::free(block);
        return;
    }
    ::munmap(block, Mapped(size));
}

}  // namespace platform
