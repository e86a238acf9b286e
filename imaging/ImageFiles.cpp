#include "imaging/ImageFiles.h"

#include <png.h>
#include <tiffio.h>

#include <cstring>
#include <new>
#include <vector>

namespace {

// PNG files are decoded from memory; a file larger than any acceptable image could be compressed to
// is refused before it is read.
constexpr uint64_t kMaxPngFileBytes = 2 * kMaxImageBytes;

bool ReadWhole(platform::File& file, std::vector<uint8_t>& bytes, uint64_t limit) {
    uint64_t size = file.Remaining();
    if (size == 0 || size > limit) return false;
    bytes.resize(size);
    return file.Read(bytes.data(), size) == size;
}

// --- libtiff on a platform file ---

tsize_t TiffRead(thandle_t handle, tdata_t data, tsize_t n) {
    try {
        return static_cast<tsize_t>(static_cast<platform::File*>(handle)->Read(data, static_cast<size_t>(n)));
    } catch (const platform::FileException&) {
        return -1;
    }
}
tsize_t TiffWrite(thandle_t, tdata_t, tsize_t) {
    return -1;
}
toff_t TiffSeek(thandle_t handle, toff_t offset, int whence) {
    auto* file = static_cast<platform::File*>(handle);
    try {
        uint64_t base = whence == SEEK_CUR ? file->Position() : whence == SEEK_END ? file->Length() : 0;
        file->Seek(base + offset);
        return file->Position();
    } catch (const platform::FileException&) {
        return static_cast<toff_t>(-1);
    }
}
int TiffClose(thandle_t) {
    return 0;
}
toff_t TiffSize(thandle_t handle) {
    return static_cast<platform::File*>(handle)->Length();
}
int TiffMap(thandle_t, tdata_t*, toff_t*) {
    return 0;
}
void TiffUnmap(thandle_t, tdata_t, toff_t) {}

struct TiffCloser {
    void operator()(TIFF* tif) const { TIFFClose(tif); }
};

// Copies an RGBA raster (bottom row first, red in the low byte, colours already multiplied by their
// alpha, which is the composition over black) into the 24-bit rows of `dib`.
void CopyRaster(const std::vector<uint32_t>& raster, uint32_t width, uint32_t height, CDIB& dib) {
    for (uint32_t y = 0; y < height; ++y) {
        const uint32_t* in = raster.data() + static_cast<size_t>(y) * width;
        uint8_t* out = dib.GetBits() + static_cast<size_t>(y) * dib.GetStorageWidth();
        for (uint32_t x = 0; x < width; ++x) {
            out[3 * x] = static_cast<uint8_t>(TIFFGetB(in[x]));
            out[3 * x + 1] = static_cast<uint8_t>(TIFFGetG(in[x]));
            out[3 * x + 2] = static_cast<uint8_t>(TIFFGetR(in[x]));
        }
    }
}

}  // namespace

bool ReadPngImage(platform::File& file, CDIB& dib) {
    try {
        std::vector<uint8_t> bytes;
        if (!ReadWhole(file, bytes, kMaxPngFileBytes)) return false;
        png_image image;
        std::memset(&image, 0, sizeof image);
        image.version = PNG_IMAGE_VERSION;
        if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) return false;
        CDIB result;
        if (!ImageSizeAcceptable(image.width, image.height, 24) ||
            !result.Create(static_cast<int32_t>(image.width), static_cast<int32_t>(image.height), 3)) {
            png_image_free(&image);
            return false;
        }
        // Read with alpha and compose here, plainly (colour times alpha), as TIFF images are composed.
        image.format = PNG_FORMAT_BGRA;
        std::vector<uint8_t> rgba(PNG_IMAGE_SIZE(image));
        if (!png_image_finish_read(&image, nullptr, rgba.data(), 0, nullptr)) {
            png_image_free(&image);
            return false;
        }
        for (uint32_t y = 0; y < image.height; ++y) {
            const uint8_t* in = rgba.data() + static_cast<size_t>(y) * image.width * 4;
            uint8_t* out = result.GetPixelAddress(0, static_cast<int32_t>(y));
            for (uint32_t x = 0; x < image.width; ++x, in += 4, out += 3)
                for (int c = 0; c < 3; ++c) out[c] = static_cast<uint8_t>((in[c] * in[3] + 127) / 255);
        }
        return dib.CopyPacked(result.GetHeader(), result.GetBits());
    } catch (const platform::FileException&) {
        return false;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

bool ReadTiffImage(platform::File& file, CDIB& dib) {
    // libtiff reports to stderr unless told otherwise; failures here are reported by the caller.
    TIFFSetErrorHandler(nullptr);
    TIFFSetWarningHandler(nullptr);
    try {
        std::unique_ptr<TIFF, TiffCloser> tif(TIFFClientOpen(
            "image", "rm", &file, TiffRead, TiffWrite, TiffSeek, TiffClose, TiffSize, TiffMap, TiffUnmap));
        if (!tif) return false;
        uint32_t width = 0, height = 0;
        TIFFGetField(tif.get(), TIFFTAG_IMAGEWIDTH, &width);
        TIFFGetField(tif.get(), TIFFTAG_IMAGELENGTH, &height);
        char problem[1024];
        // The raster holds four bytes a pixel, so it is held to the same limit as the pixels.
        if (!ImageSizeAcceptable(width, height, 32) || !TIFFRGBAImageOK(tif.get(), problem)) return false;
        std::vector<uint32_t> raster(static_cast<size_t>(width) * height);
        if (!TIFFReadRGBAImageOriented(tif.get(), width, height, raster.data(), ORIENTATION_BOTLEFT, 0))
            return false;
        CDIB result;
        if (!result.Create(static_cast<int32_t>(width), static_cast<int32_t>(height), 3)) return false;
        CopyRaster(raster, width, height, result);
        return dib.CopyPacked(result.GetHeader(), result.GetBits());
    } catch (const std::bad_alloc&) {
        return false;
    }
}

bool WritePngImage(const CDIB& dib, platform::File& file) {
    if (!dib.HasImage() || !dib.GetBits() || dib.GetBitCount() != 24) return false;
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(dib.GetWidth());
    image.height = static_cast<png_uint_32>(dib.GetHeight());
    image.format = PNG_FORMAT_BGR;
    const png_int_32 stride = -dib.GetStorageWidth();
    png_alloc_size_t size = 0;
    if (!png_image_write_to_memory(&image, nullptr, &size, 0, dib.GetBits(), stride, nullptr)) return false;
    try {
        std::vector<uint8_t> bytes(size);
        if (!png_image_write_to_memory(&image, bytes.data(), &size, 0, dib.GetBits(), stride, nullptr))
            return false;
        file.Write(bytes.data(), size);
    } catch (const platform::FileException&) {
        return false;
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}
