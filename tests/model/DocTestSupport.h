#pragma once

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "engine/PhasedSprite.h"
#include "imaging/Dib.h"
#include "model/Classes.h"
#include "platform/File.h"

// Helpers of the document tests: a scratch folder per test, image files written with our own writers,
// and sprites made in memory.
namespace doc_test {

using Bytes = std::vector<uint8_t>;

// A fresh folder under the system's temporary folder, removed with the object.
class ScratchFolder {
  public:
    ScratchFolder() {
        static int counter = 0;
        path_ = std::filesystem::temp_directory_path() /
                ("lumeo-doc-test-" + std::to_string(::getpid()) + "-" + std::to_string(++counter));
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    std::string Path(const std::string& name = "") const {
        return name.empty() ? path_.string() : (path_ / name).string();
    }

  private:
    std::filesystem::path path_;
};

inline Bytes ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteFileBytes(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// Sets pixel (x, y), counted from the top, of a 24-bit image to the COLORREF-style colour 0x00BBGGRR.
inline void SetPixel(CDIB& dib, int x, int y, uint32_t colorref) {
    uint8_t* p = dib.GetPixelAddress(x, y);
    p[0] = uint8_t(colorref >> 16);
    p[1] = uint8_t(colorref >> 8);
    p[2] = uint8_t(colorref);
}

// A 24-bit image whose pixel (x, y) has red x, green y and blue `blue`.
inline void Gradient(CDIB& dib, int width, int height, uint8_t blue) {
    dib.Create(width, height, 3);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            SetPixel(dib, x, y, uint32_t(x & 255) | uint32_t(y & 255) << 8 | uint32_t(blue) << 16);
}

// Writes a BMP file of a gradient image with our own BMP writer.
inline void WriteBmp(const std::string& path, int width, int height, uint8_t blue) {
    CDIB dib;
    Gradient(dib, width, height, blue);
    platform::DiskFile file;
    file.Open(path, platform::DiskFile::Mode::write);
    dib.Write(file);
}

// A phased sprite of `frames` frames of w x h, each frame a solid colour, at (x, y) on `plane`.
inline std::unique_ptr<CPhasedSprite> MakeSprite(int32_t number, int32_t x, int32_t y, int32_t plane,
                                                 int w = 8, int h = 6, int frames = 1) {
    auto s = std::make_unique<CPhasedSprite>();
    s->Create(w, h * frames, 3);
    for (int f = 0; f < frames; ++f)
        for (int yy = 0; yy < h; ++yy)
            for (int xx = 0; xx < w; ++xx)
                SetPixel(*s, xx, f * h + yy, 0x00102030u * uint32_t(number + 1 + f));
    s->ComputeTransparentColour();
    s->SetNumFrames(frames);
    s->SetPosition(x, y);
    s->SetPlane(plane);
    s->SetNumber(number);
    return s;
}

}  // namespace doc_test
