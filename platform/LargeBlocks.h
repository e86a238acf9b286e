#pragma once

#include <cstddef>

namespace platform {

// Memory for large blocks of pixels. A block of a few megabytes or more is asked of the system in huge
// pages where it offers them: the first touch of every page of a fresh block is what a large image costs
// most, and a huge page is touched once for 512 ordinary ones. Smaller blocks come from the heap.
// Null when the memory cannot be had; a block is given back with the size it was asked with.
void* AllocateLargeBlock(size_t size);
void FreeLargeBlock(void* block, size_t size);

}  // namespace platform
