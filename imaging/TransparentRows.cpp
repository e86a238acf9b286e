#include "imaging/TransparentRows.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

void CopyPixels24(uint8_t* out, const uint8_t* in, int32_t width, uint8_t b, uint8_t g, uint8_t r) {
    for (int32_t x = 0; x < width; ++x, in += 3, out += 3) {
        if (in[0] == b && in[1] == g && in[2] == r) continue;
        out[0] = in[0];
        out[1] = in[1];
        out[2] = in[2];
    }
}

#if defined(__SSE2__)

// Bit 3i of a mask over 48 bytes stands for pixel i of a block of 16.
constexpr uint64_t kPixelBits = 0x249249249249ull;

// The 48 bytes of 16 pixels, compared with the transparent colour laid out in the same three phases:
// a set bit 3i means pixel i is transparent.
inline uint64_t TransparentPixels(__m128i v0, __m128i v1, __m128i v2, const __m128i pattern[3]) {
    const uint64_t m = static_cast<uint64_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(v0, pattern[0]))) |
                       static_cast<uint64_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(v1, pattern[1]))) << 16 |
                       static_cast<uint64_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(v2, pattern[2]))) << 32;
    return m & (m >> 1) & (m >> 2) & kPixelBits;
}

// The 16 bits of `bits` as 16 bytes, each 0xFF where its bit is set.
inline __m128i ByteMask(uint32_t bits) {
    const __m128i selector = _mm_setr_epi8(1, 2, 4, 8, 16, 32, 64, -128, 1, 2, 4, 8, 16, 32, 64, -128);
    __m128i x = _mm_cvtsi32_si128(static_cast<int>(bits));
    x = _mm_unpacklo_epi8(x, x);
    x = _mm_unpacklo_epi16(x, x);
    x = _mm_unpacklo_epi32(x, x);  // the low byte of `bits` in bytes 0-7, the high byte in bytes 8-15
    return _mm_cmpeq_epi8(_mm_and_si128(x, selector), selector);
}

// Stores `v` over `out`, keeping the bytes of `out` where `keep` is set.
inline void StoreBlended(uint8_t* out, __m128i v, __m128i keep) {
    __m128i* target = reinterpret_cast<__m128i*>(out);
    const __m128i old = _mm_loadu_si128(target);
    _mm_storeu_si128(target, _mm_or_si128(_mm_and_si128(keep, old), _mm_andnot_si128(keep, v)));
}

// Copies 16 pixels, skipping the transparent ones.
inline void CopyBlockSkipping24(uint8_t* out, const uint8_t* in, const __m128i pattern[3]) {
    const __m128i v0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
    const __m128i v1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 16));
    const __m128i v2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 32));
    const uint64_t skipped = TransparentPixels(v0, v1, v2, pattern);
    if (skipped == kPixelBits) return;
    if (skipped == 0) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), v0);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 16), v1);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 32), v2);
        return;
    }
    // The edge of a run: every byte of a transparent pixel keeps the destination's.
    const uint64_t kept = skipped | skipped << 1 | skipped << 2;
    StoreBlended(out, v0, ByteMask(static_cast<uint32_t>(kept & 0xFFFF)));
    StoreBlended(out + 16, v1, ByteMask(static_cast<uint32_t>((kept >> 16) & 0xFFFF)));
    StoreBlended(out + 32, v2, ByteMask(static_cast<uint32_t>(kept >> 32)));
}

// Copies 16 indices, skipping those equal to each byte of `skip`.
inline void CopyBlockSkipping8(uint8_t* out, const uint8_t* in, __m128i skip) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
    const __m128i keep = _mm_cmpeq_epi8(v, skip);  // set where the destination stays
    const int kept = _mm_movemask_epi8(keep);
    if (kept == 0xFFFF) return;
    if (kept == 0)
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), v);
    else
        StoreBlended(out, v, keep);
}

#endif

}  // namespace

TransparentRows::TransparentRows(uint32_t transparent) : transparent_(transparent) {
    for (int i = 0; i < 48; i += 3) {
        laid24_[i] = static_cast<uint8_t>(transparent);
        laid24_[i + 1] = static_cast<uint8_t>(transparent >> 8);
        laid24_[i + 2] = static_cast<uint8_t>(transparent >> 16);
    }
    for (uint8_t& b : laid8_) b = static_cast<uint8_t>(transparent);
}

void TransparentRows::Copy24(uint8_t* out, const uint8_t* in, int32_t width) const {
    if (transparent_ > 0xFFFFFF) {
        // No pixel can equal it.
        std::memcpy(out, in, static_cast<size_t>(width) * 3);
        return;
    }
#if defined(__SSE2__)
    if (width >= 16) {
        const __m128i pattern[3] = {_mm_load_si128(reinterpret_cast<const __m128i*>(laid24_)),
                                    _mm_load_si128(reinterpret_cast<const __m128i*>(laid24_ + 16)),
                                    _mm_load_si128(reinterpret_cast<const __m128i*>(laid24_ + 32))};
        int32_t x = 0;
        for (; x + 16 <= width; x += 16) CopyBlockSkipping24(out + 3 * x, in + 3 * x, pattern);
        // The last pixels as the block that ends with the row: the pixels it shares with the block
        // before come out the same a second time, since the source is not the destination.
        if (x < width) CopyBlockSkipping24(out + 3 * (width - 16), in + 3 * (width - 16), pattern);
        return;
    }
#endif
    CopyPixels24(out, in, width, laid24_[0], laid24_[1], laid24_[2]);
}

void TransparentRows::Copy8(uint8_t* out, const uint8_t* in, int32_t width) const {
#if defined(__SSE2__)
    if (width >= 16) {
        const __m128i skip = _mm_load_si128(reinterpret_cast<const __m128i*>(laid8_));
        int32_t x = 0;
        for (; x + 16 <= width; x += 16) CopyBlockSkipping8(out + x, in + x, skip);
        // The last pixels as the block that ends with the row, as for 24 bits.
        if (x < width) CopyBlockSkipping8(out + width - 16, in + width - 16, skip);
        return;
    }
#endif
    const uint8_t transparent = laid8_[0];
    for (int32_t x = 0; x < width; ++x)
        if (in[x] != transparent) out[x] = in[x];
}
