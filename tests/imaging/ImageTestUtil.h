#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include <tiffio.h>

#include "imaging/Dib.h"

// Small helpers shared by the imaging tests: images whose pixels name their own coordinates, and
// little-endian byte building for hand-made files.
namespace imaging_test {

inline void SetPixel(CDIB& dib, int32_t x, int32_t y, uint8_t r, uint8_t g, uint8_t b) {
    uint8_t* p = dib.GetPixelAddress(x, y);
    p[0] = b;
    p[1] = g;
    p[2] = r;
}

struct Rgb {
    uint8_t r, g, b;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

inline Rgb GetPixel(const CDIB& dib, int32_t x, int32_t y) {
    const uint8_t* p = dib.GetPixelAddress(x, y);
    return {p[2], p[1], p[0]};
}

// A 24-bit image whose pixel (x, y) has red = x, green = y, blue = x + 2y (all modulo 256).
inline CDIB CoordinateImage(int32_t width, int32_t height) {
    CDIB dib;
    dib.Create(width, height, 3);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            SetPixel(dib, x, y, static_cast<uint8_t>(x), static_cast<uint8_t>(y),
                     static_cast<uint8_t>(x + 2 * y));
    return dib;
}

inline bool SamePixels(const CDIB& a, const CDIB& b) {
    if (a.GetWidth() != b.GetWidth() || a.GetHeight() != b.GetHeight() || a.GetBitCount() != b.GetBitCount())
        return false;
    for (int32_t y = 0; y < a.GetHeight(); ++y)
        if (std::memcmp(a.GetPixelAddress(0, y), b.GetPixelAddress(0, y), a.GetWidth() * a.GetBitCount() / 8))
            return false;
    return true;
}

struct Bytes {
    std::vector<uint8_t> v;
    Bytes& u8(uint8_t x) {
        v.push_back(x);
        return *this;
    }
    Bytes& u16(uint16_t x) { return u8(x & 0xFF).u8(x >> 8); }
    Bytes& u32(uint32_t x) { return u16(x & 0xFFFF).u16(x >> 16); }
    Bytes& fill(size_t n, uint8_t x = 0) {
        v.insert(v.end(), n, x);
        return *this;
    }
    Bytes& raw(const std::vector<uint8_t>& b) {
        v.insert(v.end(), b.begin(), b.end());
        return *this;
    }
};

inline uint32_t Dword(const std::vector<uint8_t>& v, size_t at) {
    return v[at] | (v[at + 1] << 8) | (v[at + 2] << 16) | (static_cast<uint32_t>(v[at + 3]) << 24);
}

// A scratch directory under the build tree, emptied for each test that asks for it.
std::string ScratchDir(const std::string& name);

// Writes width x height top-down RGB triplets as an uncompressed RGB TIFF with libtiff.
inline bool WriteRgbTiff(const std::string& path, uint32_t width, uint32_t height, const uint8_t* rgb) {
    TIFF* tif = TIFFOpen(path.c_str(), "w");
    if (!tif) return false;
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, width);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, height);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 3);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, height);
    bool ok = true;
    for (uint32_t y = 0; y < height; ++y) {
        std::vector<uint8_t> row(rgb + 3 * width * y, rgb + 3 * width * (y + 1));
        ok = ok && TIFFWriteScanline(tif, row.data(), y, 0) == 1;
    }
    TIFFClose(tif);
    return ok;
}

}  // namespace imaging_test
