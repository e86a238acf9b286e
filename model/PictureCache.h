#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "imaging/Dib.h"
#include "platform/File.h"

// The pictures a title's cards show, kept decoded after their first load. Going back to a card, or on to
// another card with the same picture, takes the picture from here for as long as its file is the one it
// was loaded from (see platform::FileStamp); a picture whose file changed, or had only just changed when
// it was loaded, is loaded again. The most recently used pictures are kept, up to a bound on their
// number and their memory.
class PictureCache {
  public:
    static constexpr size_t kMostPictures = 32;
    static constexpr size_t kMostBytes = 32u << 20;

    // Puts the picture of the file at `path` into `into`, as CDIB::LoadByExtension does: false, with its
    // message and `into` as it was, when it cannot be loaded.
    bool Load(const std::string& path, CDIB& into);

    size_t Count() const { return kept_.size(); }

  private:
    struct Kept {
        std::string path;
        platform::FileStamp stamp;
        std::shared_ptr<const CDIB> picture;
        size_t bytes = 0;
    };
    void Keep(Kept kept);

    std::vector<Kept> kept_;  // the most recently used last
    size_t bytes_ = 0;
};
