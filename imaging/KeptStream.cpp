#include "imaging/KeptStream.h"

#include <cstring>
#include <new>

#include "imaging/Dib.h"

namespace {

size_t PixelBytes(const CDIB& image) {
    return static_cast<size_t>(image.GetStorageWidth()) * static_cast<size_t>(image.CDIB::GetHeight());
}

}  // namespace

void KeptStream::Keep(std::vector<uint8_t> stream, const CDIB& decoded) {
    Forget();
    if (stream.empty() || !decoded.HasImage() || !decoded.GetBits()) return;
    try {
        pixels_.assign(decoded.GetBits(), decoded.GetBits() + PixelBytes(decoded));
        stream_ = std::move(stream);
    } catch (const std::bad_alloc&) {
        // Without the copy the image is simply encoded again when it is written.
        Forget();
        return;
    }
    width_ = decoded.CDIB::GetWidth();
    height_ = decoded.CDIB::GetHeight();
    bitCount_ = decoded.GetBitCount();
}

void KeptStream::Forget() {
    stream_ = {};
    pixels_ = {};
    width_ = height_ = bitCount_ = 0;
}

bool KeptStream::Matches(const CDIB& image) const {
    if (stream_.empty() || !image.HasImage() || !image.GetBits()) return false;
    if (image.CDIB::GetWidth() != width_ || image.CDIB::GetHeight() != height_ ||
        image.GetBitCount() != bitCount_)
        return false;
    const size_t size = PixelBytes(image);
    return size == pixels_.size() && std::memcmp(image.GetBits(), pixels_.data(), size) == 0;
}
