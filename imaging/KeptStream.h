#pragma once

#include <cstdint>
#include <vector>

class CDIB;

// The file bytes an image was read from, kept with a copy of the pixels they decoded to. An image whose
// pixels have not changed since is written back as those very bytes: a lossy codec loses nothing more,
// and storing a title (or taking an undo snapshot of it) encodes nothing again. Whether the pixels
// changed is found by comparing them, so no way of changing an image can slip past it.
class KeptStream {
  public:
    // Keeps `stream` as the form of the pixels `decoded` holds now.
    void Keep(std::vector<uint8_t> stream, const CDIB& decoded);
    void Forget();
    // True when `image` holds exactly the pixels the kept stream decodes to.
    bool Matches(const CDIB& image) const;
    const std::vector<uint8_t>& Stream() const { return stream_; }

  private:
    std::vector<uint8_t> stream_;
    std::vector<uint8_t> pixels_;
    int32_t width_ = 0;
    int32_t height_ = 0;
    int bitCount_ = 0;
};
