#include "imaging/KeptStream.h"

#include <cstring>
#include <new>

#include "imaging/Dib.h"

namespace {

size_t PixelBytes(const CDIB& image) {
    return static_cast<size_t>(image.GetStorageWidth()) * static_cast<size_t>(image.CDIB::GetHeight());
}

}  // namespace

KeptStream& KeptStream::operator=(const KeptStream& other) {
    if (this == &other) return *this;
    Forget();
    try {
        stream_ = PixelBlock::CopyOf(other.stream_.data(), other.stream_.size());
        pixels_ = PixelBlock::CopyOf(other.pixels_.data(), other.pixels_.size());
    } catch (const std::bad_alloc&) {
        // A copy that keeps nothing is encoded again when it is written.
        Forget();
        return *this;
    }
    width_ = other.width_;
    height_ = other.height_;
    bitCount_ = other.bitCount_;
    return *this;
}

void KeptStream::KeepFrom(platform::File& file, uint64_t begin, const CDIB& decoded) {
    Forget();
    const uint64_t end = file.Position();
    if (end <= begin || !decoded.HasImage() || !decoded.GetBits()) return;
    try {
        stream_ = PixelBlock::Uninitialized(end - begin);
        file.Seek(begin);
        const size_t got = file.Read(stream_.data(), stream_.size());
        file.Seek(end);
        if (got != stream_.size()) {
            Forget();
            return;
        }
        pixels_ = PixelBlock::CopyOf(decoded.GetBits(), PixelBytes(decoded));
    } catch (const std::bad_alloc&) {
        // Without the copy the image is simply encoded again when it is written.
        Forget();
        return;
    } catch (const platform::FileException&) {
        // The image was read; only its bytes are not kept. The file is put back after it if it can be.
        Forget();
        try {
            file.Seek(end);
        } catch (const platform::FileException&) {
        }
        return;
    }
    width_ = decoded.CDIB::GetWidth();
    height_ = decoded.CDIB::GetHeight();
    bitCount_ = decoded.GetBitCount();
}

void KeptStream::Forget() {
    stream_.reset();
    pixels_.reset();
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
