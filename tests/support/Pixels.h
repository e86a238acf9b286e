#pragma once

#include <cstdint>
#include <cstdlib>
#include <ostream>
#include <stdexcept>

#include "platform/DeviceContext.h"

// Pixels of 24-bit images in one colour order. Arguments always name red, green, blue, either as three
// components (Rgb) or packed as 0xRRGGBB, the form a sprite's transparent colour takes; in the image's
// memory a pixel lies as blue, green, red, as title files store it. Coordinates count from the top-left
// pixel, whatever order the rows lie in memory. An image is a CDIB or anything derived from it, taken as
// a template so that tests below the imaging layer can use the rest without it.
namespace test_support {

struct Rgb {
    uint8_t r = 0, g = 0, b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};
inline void PrintTo(const Rgb& c, std::ostream* os) {
    *os << "Rgb{" << int(c.r) << ", " << int(c.g) << ", " << int(c.b) << "}";
}

constexpr uint32_t Packed(Rgb c) {
    return uint32_t{c.r} << 16 | uint32_t{c.g} << 8 | c.b;
}
constexpr Rgb Unpacked(uint32_t rrggbb) {
    return {uint8_t(rrggbb >> 16), uint8_t(rrggbb >> 8), uint8_t(rrggbb)};
}

// The same colour as a COLORREF (0x00BBGGRR, red in the low byte), the form CDIB::Fill and the document
// colours take. The conversion is its own inverse.
constexpr uint32_t ColorRef(uint32_t rrggbb) {
    return (rrggbb & 0xFF) << 16 | (rrggbb & 0xFF00) | (rrggbb >> 16 & 0xFF);
}

constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kRed = 0xFF0000;
constexpr uint32_t kGreen = 0x00FF00;
constexpr uint32_t kBlue = 0x0000FF;
constexpr uint32_t kBlack = 0x000000;
// What PixelAt gives outside the image: no colour a 24-bit pixel can have.
constexpr uint32_t kNoPixel = 0xDEADBEEF;

// A 24-bit pixel as it lies in memory: blue, green, red.
inline uint32_t FromMemory(const uint8_t* p) {
    return uint32_t{p[2]} << 16 | uint32_t{p[1]} << 8 | p[0];
}

template <class Image>
void SetPixel(Image& dib, int32_t x, int32_t y, uint32_t rrggbb) {
    uint8_t* p = dib.GetPixelAddress(x, y);
    if (!p) throw std::out_of_range("SetPixel outside the image");
    p[0] = uint8_t(rrggbb);
    p[1] = uint8_t(rrggbb >> 8);
    p[2] = uint8_t(rrggbb >> 16);
}
template <class Image>
void SetPixel(Image& dib, int32_t x, int32_t y, uint8_t r, uint8_t g, uint8_t b) {
    SetPixel(dib, x, y, Packed({r, g, b}));
}

template <class Image>
uint32_t PixelAt(const Image& dib, int32_t x, int32_t y) {
    const uint8_t* p = dib.GetPixelAddress(x, y);
    return p ? FromMemory(p) : kNoPixel;
}
// The same for a picture handed out as a view: bottom-up rows of `stride` bytes.
inline uint32_t PixelAt(const platform::DibView& view, int32_t x, int32_t y) {
    if (!view.bits || x < 0 || y < 0 || x >= view.width || y >= view.height) return kNoPixel;
    return FromMemory(view.bits + size_t(view.height - 1 - y) * size_t(view.stride) + size_t(x) * 3);
}
template <class Image>
Rgb GetPixel(const Image& dib, int32_t x, int32_t y) {
    return Unpacked(PixelAt(dib, x, y));
}
inline Rgb GetPixel(const platform::DibView& view, int32_t x, int32_t y) {
    return Unpacked(PixelAt(view, x, y));
}

// Fills left <= x < right, top <= y < bottom.
template <class Image>
void FillRect(Image& dib, int32_t left, int32_t top, int32_t right, int32_t bottom, uint32_t rrggbb) {
    for (int32_t y = top; y < bottom; ++y)
        for (int32_t x = left; x < right; ++x) SetPixel(dib, x, y, rrggbb);
}

// True when every component of the two packed colours differs by at most `tolerance`, as lossy codecs
// and scaling move them.
inline bool Near(uint32_t a, uint32_t b, int tolerance) {
    for (int shift = 0; shift < 24; shift += 8)
        if (std::abs(int(a >> shift & 0xFF) - int(b >> shift & 0xFF)) > tolerance) return false;
    return true;
}

}  // namespace test_support
