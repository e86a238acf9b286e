#pragma once

#include <cstdint>

namespace platform {

// The bytes one row of a device-independent bitmap occupies: its pixels' bits rounded up to whole
// 32-bit words. Every image in memory, every BMP row and every video picture handed to the views is laid
// out by this one rule, so a row written by one part is found where another part looks for it.
constexpr int64_t DibStride(int64_t width, int bitCount) {
    return (width * bitCount + 31) / 32 * 4;
}

}  // namespace platform
