#include "model/PictureCache.h"

#include <algorithm>
#include <new>
#include <optional>
#include <utility>

bool PictureCache::Load(const std::string& path, CDIB& into) {
    const std::optional<platform::FileStamp> stamp = platform::StampOf(path);
    if (stamp) {
        auto found = std::find_if(kept_.begin(), kept_.end(),
                                  [&](const Kept& k) { return k.path == path && k.stamp == *stamp; });
        if (found != kept_.end()) {
            const CDIB& picture = *found->picture;
            if (!into.CopyPacked(picture.GetHeader(), picture.GetBits())) return into.LoadByExtension(path);
            std::rotate(found, found + 1, kept_.end());
            return true;
        }
    }
    if (!into.LoadByExtension(path)) return false;
    // Kept only when the file was the same before and after it was read, and had settled before.
    if (!stamp || !stamp->Settled() || platform::StampOf(path) != stamp) return true;
    try {
        Kept kept{path, *stamp, std::make_shared<const CDIB>(into), 0};
        kept.bytes = static_cast<size_t>(kept.picture->GetStorageWidth()) *
                     static_cast<size_t>(std::max(kept.picture->GetHeight(), 0));
        Keep(std::move(kept));
    } catch (const std::bad_alloc&) {
        // Not kept: the next time it is loaded again.
    }
    return true;
}

void PictureCache::Keep(Kept kept) {
    if (kept.bytes > kMostBytes) return;
    kept_.erase(
        std::remove_if(kept_.begin(), kept_.end(), [&](const Kept& k) { return k.path == kept.path; }),
        kept_.end());
    bytes_ = 0;
    for (const Kept& k : kept_) bytes_ += k.bytes;
    // The least recently used make room.
    size_t drop = 0;
    while (drop < kept_.size() && (kept_.size() - drop >= kMostPictures || bytes_ + kept.bytes > kMostBytes))
        bytes_ -= kept_[drop++].bytes;
    kept_.erase(kept_.begin(), kept_.begin() + static_cast<std::ptrdiff_t>(drop));
    bytes_ += kept.bytes;
    kept_.push_back(std::move(kept));
}
