#pragma once

#include <cstdint>
#include <span>

#include "imaging/PixelBlock.h"
#include "platform/File.h"

class CDIB;

// The file bytes an image was read from, kept with a copy of the pixels they decoded to. An image whose
// pixels have not changed since is written back as those very bytes: a lossy codec loses nothing more,
// and storing a title (or taking an undo snapshot of it) encodes nothing again. Whether the pixels
// changed is found by comparing them, so no way of changing an image can slip past it.
class KeptStream {
  public:
    KeptStream() = default;
    KeptStream(const KeptStream& other) { *this = other; }
    KeptStream& operator=(const KeptStream& other);
    KeptStream(KeptStream&&) noexcept = default;
    KeptStream& operator=(KeptStream&&) noexcept = default;

    // Keeps the bytes of `file` from `begin` to its position now as the form of the pixels `decoded`
    // holds, leaving the file where it was. Keeps nothing when they cannot be read back.
    void KeepFrom(platform::File& file, uint64_t begin, const CDIB& decoded);
    void Forget();
    // True when `image` holds exactly the pixels the kept stream decodes to.
    bool Matches(const CDIB& image) const;
    std::span<const uint8_t> Stream() const { return {stream_.data(), stream_.size()}; }

  private:
    PixelBlock stream_;
    PixelBlock pixels_;
    int32_t width_ = 0;
    int32_t height_ = 0;
    int bitCount_ = 0;
};
