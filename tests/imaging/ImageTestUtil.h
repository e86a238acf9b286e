#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

// jpeglib.h expects size_t and FILE to be declared before it.
#include <jpeglib.h>
#include <png.h>
#include <tiffio.h>

#include "imaging/Dib.h"
#include "tests/support/Bytes.h"
#include "tests/support/Pixels.h"

// Helpers of the imaging tests: images whose pixels name their own coordinates, and JPEG, PNG and TIFF
// files written with the reference libraries.
namespace imaging_test {

// A 24-bit image whose pixel (x, y) has red = x, green = y, blue = x + 2y (all modulo 256).
inline CDIB CoordinateImage(int32_t width, int32_t height) {
    CDIB dib;
    dib.Create(width, height, 3);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            test_support::SetPixel(dib, x, y, static_cast<uint8_t>(x), static_cast<uint8_t>(y),
                                   static_cast<uint8_t>(x + 2 * y));
    return dib;
}

// A JFIF stream made by the library itself, not by the adapter: `components` 1 (grey) or 3. Sample i of
// a row comes from `sample` (called row by row, in order), by default from the coordinates so that the
// picture has some structure; `configure` may set whatever else before compression starts.
inline std::vector<uint8_t> LibraryJpeg(int width, int height, int components, int quality = 80,
                                        const std::function<void(jpeg_compress_struct&)>& configure = {},
                                        std::function<JSAMPLE(size_t i, JDIMENSION row)> sample = {}) {
    if (!sample)
        sample = [](size_t i, JDIMENSION row) { return static_cast<JSAMPLE>((i * 3 + row * 5) & 0xFF); };
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &out, &size);
    cinfo.image_width = width;
    cinfo.image_height = height;
    cinfo.input_components = components;
    cinfo.in_color_space = components == 1 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    if (configure) configure(cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<JSAMPLE> row(static_cast<size_t>(width) * components);
    while (cinfo.next_scanline < cinfo.image_height) {
        for (size_t i = 0; i < row.size(); ++i) row[i] = sample(i, cinfo.next_scanline);
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&cinfo, &r, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::vector<uint8_t> bytes(out, out + size);
    std::free(out);
    return bytes;
}

inline bool SamePixels(const CDIB& a, const CDIB& b) {
    if (a.GetWidth() != b.GetWidth() || a.GetHeight() != b.GetHeight() || a.GetBitCount() != b.GetBitCount())
        return false;
    for (int32_t y = 0; y < a.GetHeight(); ++y)
        if (std::memcmp(a.GetPixelAddress(0, y), b.GetPixelAddress(0, y), a.GetWidth() * a.GetBitCount() / 8))
            return false;
    return true;
}

// A BMP file: the file header (offset pointing right after `tables`), a 40-byte Windows header with the
// given geometry, then `tables` (masks and colour table) and `pixels`.
inline std::vector<uint8_t> Bmp(int32_t width, int32_t height, uint16_t bits, uint32_t compression,
                                const std::vector<uint8_t>& tables, const std::vector<uint8_t>& pixels,
                                uint32_t colours = 0) {
    test_support::ByteWriter b;
    uint32_t offset = 54 + static_cast<uint32_t>(tables.size());
    b.u16(0x4D42).u32(offset + static_cast<uint32_t>(pixels.size())).u32(0).u32(offset);
    b.u32(40).u32(width).u32(height).u16(1).u16(bits).u32(compression).u32(0).u32(0).u32(0);
    b.u32(colours).u32(0);
    return b.raw(tables).raw(pixels).v;
}

// Writes width x height top-down pixels, RGB triplets or RGBA quadruplets, as a PNG file with libpng.
inline bool WritePng(const std::string& path, uint32_t width, uint32_t height, const uint8_t* pixels,
                     bool alpha = false) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = width;
    image.height = height;
    image.format = alpha ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
    return png_image_write_to_file(&image, path.c_str(), 0, pixels, 0, nullptr) != 0;
}

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
