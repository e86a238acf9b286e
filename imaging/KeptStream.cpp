#include "imaging/KeptStream.h"

#include <memory>
#include <new>

#include "imaging/Dib.h"

void KeptStream::Keep(std::vector<uint8_t> stream, const CDIB& decoded) {
    Forget();
    if (stream.empty()) return;
    try {
        const size_t size = stream.size();
        Keep(std::make_shared<const std::vector<uint8_t>>(std::move(stream)), 0, size, decoded);
    } catch (const std::bad_alloc&) {
        // Without the bytes the image is simply encoded again when it is written.
        Forget();
    }
}

void KeptStream::Keep(platform::SharedBytes owner, uint64_t offset, uint64_t size, const CDIB& decoded) {
    Forget();
    if (!owner || size == 0 || offset > owner->size() || size > owner->size() - offset) return;
    // Asking for the pixels would decode an image whose pixels wait for their first use, which keeps
    // these very bytes to decode them from.
    if (!decoded.HasImage()) return;
    owner_ = std::move(owner);
    offset_ = static_cast<size_t>(offset);
    size_ = static_cast<size_t>(size);
    mark_ = decoded.ChangeMark();
}

void KeptStream::KeepRead(platform::File& file, uint64_t begin, const CDIB& decoded) {
    Forget();
    const uint64_t end = file.Position();
    if (end <= begin) return;
    if (platform::SharedBytes shared = file.Shared()) {
        Keep(std::move(shared), begin, end - begin, decoded);
        return;
    }
    std::vector<uint8_t> stream;
    try {
        stream.resize(end - begin);
        file.Seek(begin);
        const size_t got = file.Read(stream.data(), stream.size());
        file.Seek(end);
        if (got != stream.size()) return;
    } catch (const std::bad_alloc&) {
        return;
    } catch (const platform::FileException&) {
        // The image was read; only its bytes are not kept, so it is encoded again when it is written. The
        // file is put back after the image if it can be, so that what follows it is read from its place.
        try {
            file.Seek(end);
        } catch (const platform::FileException&) {
        }
        return;
    }
    Keep(std::move(stream), decoded);
}

void KeptStream::Forget() {
    owner_.reset();
    offset_ = size_ = 0;
    mark_ = 0;
}

bool KeptStream::Matches(const CDIB& image) {
    if (!owner_) return false;
    if (image.HasImage() && image.ChangeMark() == mark_) return true;
    Forget();
    return false;
}

std::span<const uint8_t> KeptStream::Stream() const {
    if (!owner_) return {};
    return {owner_->data() + offset_, size_};
}

void KeptStream::WriteTo(platform::File& file) const {
    if (owner_) file.WriteShared(owner_, offset_, size_);
}
