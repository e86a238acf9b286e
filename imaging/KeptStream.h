#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "platform/File.h"

class CDIB;

// The file bytes an image was read from, kept with the change mark its pixels had then. An image that has
// not changed since is written back as those very bytes: a lossy codec loses nothing more, and storing a
// title (or taking an undo snapshot of it) encodes nothing again. The mark tells an unchanged image
// without comparing pixels, and no pixel copy is kept for it.
//
// Bytes read from shared memory (a title read whole, an undo snapshot) are kept as a piece of it, without
// a copy; the piece holds the whole buffer alive.
class KeptStream {
  public:
    // Keeps `stream` as the form of the pixels `decoded` holds now.
    void Keep(std::vector<uint8_t> stream, const CDIB& decoded);
    // Keeps `size` bytes of `owner` from `offset` on.
    void Keep(platform::SharedBytes owner, uint64_t offset, uint64_t size, const CDIB& decoded);
    // Keeps the bytes of `file` from `begin` to its position: a piece of its shared bytes when it has
    // them, else a copy read back from the file, which is left where it stood.
    void KeepRead(platform::File& file, uint64_t begin, const CDIB& decoded);
    void Forget();
    // True when `image` holds exactly the pixels the kept stream decodes to. A stream that no longer fits
    // never will again (marks only move on), so it is let go of then.
    bool Matches(const CDIB& image);
    std::span<const uint8_t> Stream() const;
    // Writes the kept bytes onto `file`, which may keep them as a piece of their buffer (undo snapshots).
    void WriteTo(platform::File& file) const;

  private:
    platform::SharedBytes owner_;
    size_t offset_ = 0;
    size_t size_ = 0;
    uint64_t mark_ = 0;
};
