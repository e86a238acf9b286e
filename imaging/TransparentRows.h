#pragma once

#include <cstdint>

// The inner loops of the transparent block copy, one row at a time. A source pixel equal to the
// transparent colour leaves the destination pixel as it was; every other pixel is copied. They work on
// whole runs of pixels at once, so that a sprite's opaque middle and its see-through border cost about
// what copying the row would. Made once for a block and used for each of its rows; `out` and `in` must
// not overlap.
class TransparentRows {
  public:
    // `transparent` is (red << 16) | (green << 8) | blue for 24-bit rows; 8-bit rows use its low byte.
    explicit TransparentRows(uint32_t transparent);

    // A row of `width` 24-bit pixels (blue, green, red).
    void Copy24(uint8_t* out, const uint8_t* in, int32_t width) const;
    // A row of `width` 8-bit colour indices.
    void Copy8(uint8_t* out, const uint8_t* in, int32_t width) const;

  private:
    uint32_t transparent_;
    // The transparent colour laid over 16 pixels as they lie in memory, and its low byte 16 times.
    alignas(16) uint8_t laid24_[48];
    alignas(16) uint8_t laid8_[16];
};
