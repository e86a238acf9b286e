#pragma once

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "platform/Media.h"
#include "tests/support/Pixels.h"
#include "tests/support/ScratchFolder.h"

namespace media_test {

// The clips made by tests/data/make-clips.sh: 32 x 24, 10 frames at 5 frames a second.
inline std::string Clip(const std::string& name) {
    return std::string(LUMEO_TEST_DATA) + "/" + name;
}
inline const char* const kClips[] = {"clip-mjpeg.avi", "clip-cinepak.avi", "clip-msvideo1.avi"};
constexpr int kClipFrames = 10;
constexpr uint32_t kFrameMs = 200;

// A play to the end that notifies `window`, repeating when asked.
inline platform::MediaPlay Notifying(platform::MediaWindow* window, bool repeat = false) {
    platform::MediaPlay play;
    play.notify = window;
    play.repeat = repeat;
    return play;
}

using test_support::Rgb;

// The colour of the right half of frame n, and of the fixed blocks of the left half.
inline Rgb FrameColour(int n) {
    return {uint8_t(25 * n), uint8_t(250 - 25 * n), uint8_t((n % 2) * 255)};
}
constexpr Rgb kLightGrey{200, 200, 200};
constexpr Rgb kDarkGrey{40, 40, 40};

inline int Distance(const Rgb& a, const Rgb& b) {
    return std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b);
}

// Lossy codecs move colours a little; far less than the distance between two frames' colours.
constexpr int kTolerance = 36;

// Which frame's colour the right half of a picture shows, or -1 when none is near enough.
inline int FrameShown(const platform::DibView& dib) {
    const Rgb c = test_support::GetPixel(dib, 24, 12);
    for (int n = 0; n < kClipFrames; ++n)
        if (Distance(c, FrameColour(n)) <= kTolerance) return n;
    return -1;
}

// True when the fixed blocks of the left half are there, light over dark: the picture was decoded from
// its key frame and is not upside down.
inline bool FixedBlocksIntact(const platform::DibView& dib) {
    return Distance(test_support::GetPixel(dib, 6, 4), kLightGrey) <= kTolerance &&
           Distance(test_support::GetPixel(dib, 6, 19), kDarkGrey) <= kTolerance;
}

// A window that records what clips show in it and tell it.
class RecordingWindow : public platform::MediaWindow {
  public:
    struct Drawn {
        int frame;  // frame index by colour, -1 when unknown
        bool intact;
        platform::Rect placement;
        uint32_t position;
        int32_t width, height;
    };
    void DrawMediaFrame(const platform::MediaFrame& f) override {
        drawn.push_back({FrameShown(f.picture), FixedBlocksIntact(f.picture), f.placement, f.position,
                         f.picture.width, f.picture.height});
    }
    void EraseMediaArea(const platform::Rect& area) override { erased.push_back(area); }
    void MediaNotify(platform::MediaNotice notice) override {
        notices.push_back(notice);
        if (onNotice) onNotice(notice);
    }

    std::vector<Drawn> drawn;
    std::vector<platform::Rect> erased;
    std::vector<platform::MediaNotice> notices;
    std::function<void(platform::MediaNotice)> onNotice;
};

}  // namespace media_test
