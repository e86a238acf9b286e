// The card video's states played through the real media layer: the committed clips decoded by FFmpeg, on a
// card of a title, driven by the same clicks, ticks and notices the program gives the card view. The clips
// are 2000 ms long with a new colour every 200 ms (tests/data/make-clips.sh), so the picture the view was
// last handed tells which frame the play reached.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "platform/MciDevice.h"
#include "platform/Media.h"
#include "platform/ffmpeg/FfmpegMedia.h"
#include "tests/player/PlayerTestSupport.h"

namespace {

using namespace player_test;

constexpr int kClipFrames = 10;
constexpr uint32_t kClipMs = 2000;
constexpr uint32_t kFrameMs = 200;

// The frame of the clip a picture shows, told by the colour of its right half (-1: none of them).
int FrameOf(const platform::DibView& dib) {
    if (!dib.bits || dib.width < 32 || dib.height < 24) return -1;
    const uint8_t* p = dib.bits + size_t(dib.height - 1 - 12) * size_t(dib.stride) + 24 * 3;
    for (int n = 0; n < kClipFrames; ++n) {
        const int r = 25 * n, g = 250 - 25 * n, b = (n % 2) * 255;
        if (std::abs(p[2] - r) + std::abs(p[1] - g) + std::abs(p[0] - b) <= 36) return n;
    }
    return -1;
}

// The card view, remembering which frame of the clip it was shown last.
class FrameKeepingView : public CPlayerCardView {
  public:
    using CPlayerCardView::CPlayerCardView;
    void DrawMediaFrame(const platform::MediaFrame& frame) override {
        CPlayerCardView::DrawMediaFrame(frame);
        lastFrame = FrameOf(frame.picture);
    }
    int lastFrame = -1;
};

// A title whose first card plays `clip` (copied beside the title and named in other letters, as a
// Windows title names it) at (30, 40); sprite 5 is hidden until the clip completes; play (10, 10), stop
// (40, 10) and next card (70, 10) buttons; a second card without video.
struct RealVideoFixture : BasicPlayerFixture<FrameKeepingView> {
    RealVideoFixture() : ffmpeg(&sound), scoped(ffmpeg) {}
    ~RealVideoFixture() {
        view.SetDocument(nullptr);
        doc.reset();
        host.docs.clear();
    }

    void ShowClip(const std::string& clip, bool autoInit, bool loop, bool closeAtEnd) {
        std::filesystem::create_directories(folder.Path("video"));
        std::filesystem::copy_file(std::string(LUMEO_TEST_DATA) + "/" + clip, folder.Path("video/" + clip));
        TitleBuilder b;
        b.Sprite(5, 500, 10).SetVisible(false);
        b.Clicking(17, 10, 10, 17);
        b.Clicking(18, 40, 10, 18);
        b.Clicking(2, 70, 10, 2);
        CFicha& card = b.Card();
        std::string stored = clip;
        std::transform(stored.begin(), stored.end(), stored.begin(), ::toupper);
        card.video.file = "VIDEO\\" + stored;
        card.video.x = 30;
        card.video.y = 40;
        card.video.automaticInit = autoInit;
        card.video.loop = loop;
        card.video.closeWhenFinishes = closeAtEnd;
        card.video.activateOnClose = "5";
        b.Card();
        b.Doc().SetBaseDirectory(folder.Path());
        Show(b.Take());
    }
    CMciAvi& Device() { return *Current().GetMciAvi(); }
    CCardVideo::State State() { return view.Video().GetState(); }
    bool Traced(const std::string& event) const {
        return std::find(trace.events.begin(), trace.events.end(), event) != trace.events.end();
    }

    platform::FfmpegMedia ffmpeg;
    platform::ScopedMediaFactory scoped;
};

class RealVideo : public testing::TestWithParam<const char*> {};

TEST_P(RealVideo, PlaysToTheEndShowsTheActivationListAndWaitsOnTheFirstFrame) {
    RealVideoFixture f;
    f.ShowClip(GetParam(), true, false, false);
    ASSERT_TRUE(f.view.Video().IsOpen()) << (f.messages.shown.empty() ? "" : f.messages.shown[0].text);
    EXPECT_EQ(f.State(), CCardVideo::playing);
    ASSERT_TRUE(f.view.VideoArea().has_value());
    EXPECT_EQ(*f.view.VideoArea(), (platform::Rect{30, 40, 62, 64}));  // its own size, 32 x 24
    EXPECT_EQ(f.Device().Length(), kClipMs);
    EXPECT_EQ(f.view.lastFrame, 0);

    f.Device().Advance(5 * kFrameMs + 50);
    EXPECT_EQ(f.view.lastFrame, 5);
    EXPECT_EQ(f.State(), CCardVideo::playing);
    EXPECT_FALSE(f.Number(5)->IsVisible());

    f.Device().Advance(kClipMs);
    EXPECT_EQ(f.State(), CCardVideo::atEnd);
    EXPECT_TRUE(f.view.Video().IsOpen());
    EXPECT_TRUE(f.Number(5)->IsVisible());
    EXPECT_EQ(f.Device().Position(), 0u);
    EXPECT_EQ(f.view.lastFrame, 0);
    EXPECT_TRUE(f.Traced("video " + f.Current().GetCurrentCardPtr()->video.file + " at-end"));

    // "Video - Play" at the end plays once more from the first frame.
    f.Number(5)->SetVisible(false);
    f.Click(15, 15);
    EXPECT_EQ(f.State(), CCardVideo::playing);
    f.Device().Advance(3 * kFrameMs + 50);
    EXPECT_EQ(f.view.lastFrame, 3);
    f.Device().Advance(kClipMs);
    EXPECT_EQ(f.State(), CCardVideo::atEnd);
    EXPECT_TRUE(f.Number(5)->IsVisible());
}

TEST_P(RealVideo, PauseHoldsThePictureAndPlayGoesOnFromThere) {
    RealVideoFixture f;
    f.ShowClip(GetParam(), true, true, false);
    f.Device().Advance(3 * kFrameMs + 50);
    f.Click(45, 15);  // Video - Stop
    EXPECT_EQ(f.State(), CCardVideo::paused);
    const uint32_t at = f.Device().Position();
    f.Device().Advance(kClipMs);
    EXPECT_EQ(f.Device().Position(), at);
    EXPECT_EQ(f.view.lastFrame, 3);
    f.Click(15, 15);  // Video - Play: on from the pause, once, although the clip loops
    EXPECT_EQ(f.State(), CCardVideo::playing);
    f.Device().Advance(2 * kFrameMs);
    EXPECT_EQ(f.view.lastFrame, 5);
    f.Device().Advance(kClipMs);
    EXPECT_EQ(f.State(), CCardVideo::atEnd);
    EXPECT_TRUE(f.Number(5)->IsVisible());
}

TEST_P(RealVideo, ALoopingClipStartsAgainAndNeverCompletes) {
    RealVideoFixture f;
    f.ShowClip(GetParam(), true, true, true);
    f.Device().Advance(kClipMs * 2 + 7 * kFrameMs + 50);
    EXPECT_EQ(f.State(), CCardVideo::playing);
    EXPECT_EQ(f.view.lastFrame, 7);
    EXPECT_FALSE(f.Number(5)->IsVisible());
    EXPECT_TRUE(f.view.Video().IsOpen());
}

TEST_P(RealVideo, CloseWhenFinishesClosesTheClipAndUncoversTheCard) {
    RealVideoFixture f;
    f.ShowClip(GetParam(), true, false, true);
    f.Device().Advance(kClipMs + 100);
    EXPECT_EQ(f.State(), CCardVideo::closed);
    EXPECT_FALSE(f.view.Video().IsOpen());
    EXPECT_EQ(f.Device().DeviceId(), 0);
    EXPECT_FALSE(f.view.VideoArea().has_value());
    EXPECT_TRUE(f.Number(5)->IsVisible());
    // Play on the closed clip opens it again from its start.
    f.Click(15, 15);
    EXPECT_TRUE(f.view.Video().IsOpen());
    EXPECT_EQ(f.State(), CCardVideo::playing);
    EXPECT_EQ(f.view.lastFrame, 0);
}

TEST_P(RealVideo, WithoutAutomaticInitTheClipOpensOnPlayAndLeavingTheCardClosesIt) {
    RealVideoFixture f;
    f.ShowClip(GetParam(), false, false, false);
    EXPECT_FALSE(f.view.Video().IsOpen());
    EXPECT_EQ(f.State(), CCardVideo::closed);
    EXPECT_FALSE(f.view.VideoArea().has_value());
    f.Click(15, 15);
    ASSERT_TRUE(f.view.Video().IsOpen());
    EXPECT_EQ(f.State(), CCardVideo::playing);
    EXPECT_FALSE(f.Current().GetCurrentCardPtr()->video.automaticInit);
    f.Device().Advance(kFrameMs + 50);
    EXPECT_EQ(f.view.lastFrame, 1);
    f.Click(75, 15);  // next card
    EXPECT_FALSE(f.view.Video().IsOpen());
    EXPECT_EQ(f.Device().DeviceId(), 0);
    EXPECT_FALSE(f.view.VideoArea().has_value());
    EXPECT_EQ(f.State(), CCardVideo::closed);
}

INSTANTIATE_TEST_SUITE_P(Clips, RealVideo,
                         testing::Values("clip-cinepak.avi", "clip-mjpeg.avi", "clip-msvideo1.avi"),
                         [](const testing::TestParamInfo<const char*>& info) {
                             std::string name = info.param;
                             name = name.substr(5, name.find('.') - 5);  // "clip-" ... ".avi"
                             return name;
                         });

TEST(RealVideoFile, AMissingClipShowsTheDevicesWarningAndStaysClosed) {
    RealVideoFixture f;
    TitleBuilder b;
    b.Clicking(17, 10, 10, 17);
    CFicha& card = b.Card();
    card.video.file = "VIDEO\\NOHAY.AVI";
    card.video.automaticInit = true;
    b.Doc().SetBaseDirectory(f.folder.Path());
    f.Show(b.Take());
    EXPECT_FALSE(f.view.Video().IsOpen());
    EXPECT_EQ(f.State(), CCardVideo::closed);
    ASSERT_EQ(f.messages.shown.size(), 1u);
    EXPECT_EQ(f.messages.shown[0].caption,
              "V\xC3\xAD"
              "deo AVI");
    // Play tries again, and fails again the same way.
    f.Click(15, 15);
    EXPECT_EQ(f.State(), CCardVideo::closed);
    EXPECT_EQ(f.messages.shown.size(), 2u);
}

TEST(RealVideoFile, TheSoundTrackPlaysBesideTheMusicAndStopsWithTheCard) {
    RealVideoFixture f;
    f.ShowClip("clip-sound-pcm8.avi", true, false, false);
    ASSERT_TRUE(f.view.Video().IsOpen());
    f.Device().Advance(500);
    ASSERT_EQ(f.sound.clipStreams.size(), 1u);
    EXPECT_GT(f.sound.clipStreams[0]->written, 0u);
    EXPECT_TRUE(f.sound.plays.empty());  // the wave sound, where music plays, is left alone
    f.Click(75, 15);
    EXPECT_TRUE(f.sound.clipStreams[0]->closed);
}

// The program's own pump, by the real time gone, brings the completion notice as the platform's media
// services did: the clip ends within a bounded wait and its activation list is applied.
TEST(RealVideoFile, PumpedByTheClockTheClipCompletesOnItsOwn) {
    RealVideoFixture f;
    f.ShowClip("clip-mjpeg.avi", true, false, true);
    ASSERT_TRUE(f.view.Video().IsOpen());
    const auto start = std::chrono::steady_clock::now();
    const auto limit = start + std::chrono::milliseconds(kClipMs * 3);
    while (f.State() == CCardVideo::playing && std::chrono::steady_clock::now() < limit) {
        f.view.PumpVideo();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(f.State(), CCardVideo::closed);
    EXPECT_TRUE(f.Number(5)->IsVisible());
    EXPECT_GE(took, std::chrono::milliseconds(kClipMs - 100));
}

}  // namespace
