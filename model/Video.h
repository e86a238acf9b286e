#pragma once

#include <cstdint>
#include <string>

#include "archive/Object.h"
#include "platform/ChangeMark.h"

class CArchive;

// The video clip of a card and how it plays. Always stored embedded in its card; a card has a video
// exactly when the file name is not empty.
class CVideo : public CObject {
    DECLARE_SERIAL(CVideo)
  public:
    void Serialize(CArchive& ar) override;
    // Forgets the clip and its settings; the leading word and the run-time word stay.
    void Clear();
    bool HasVideo() const { return !file.empty(); }
    // Whoever changes a stored member in place calls MarkChanged afterwards: the change mark tells undo
    // snapshots that the card of the video must be stored again (see StoredForm).
    void MarkChanged() { changeMark_ = platform::NewChangeMark(); }
    uint64_t ChangeMark() const { return changeMark_; }

    uint32_t runtimeWord = 0;  // never stored; the editor keeps the video's selection in it
    uint32_t leadingWord = 0;  // stored back as loaded
    std::string file;
    int32_t x = 0;
    int32_t y = 0;
    bool loop = false;
    bool automaticInit = false;
    bool closeWhenFinishes = false;
    std::string activateOnClose;  // sprite numbers made visible when playback completes

  private:
    uint64_t changeMark_ = 0;
};
