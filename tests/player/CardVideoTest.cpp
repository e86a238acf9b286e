#include <gtest/gtest.h>

#include <algorithm>

#include "platform/DeviceContext.h"
#include "platform/MciDevice.h"
#include "platform/Media.h"
#include "tests/player/PlayerTestSupport.h"

namespace {

using namespace player_test;

// A card whose video is played through the recording media layer: 1000 ms long, frames of 100 ms.
struct VideoFixture : PlayerFixture {
    VideoFixture() : scoped(media) {}
    // The clips log into `media`, so the documents and their devices go first.
    ~VideoFixture() {
        view.SetDocument(nullptr);
        doc.reset();
        host.docs.clear();
    }

    // The title: a card with the video, sprite 5 hidden (shown when the clip completes), the video bar
    // (x 100, width 120) and knob (width 20: travel 100), play and stop buttons, and a second card.
    std::unique_ptr<CFichaDoc> Title(bool autoInit, bool loop, bool closeAtEnd) {
        TitleBuilder b;
        b.Sprite(5, 500, 10).SetVisible(false);
        b.Sprite(22, 100, 400, 120, 10).SetClickAction(22);
        b.Sprite(23, 100, 400, 20, 10, 1, -1).SetClickAction(23);
        b.Clicking(17, 10, 10, 17);
        b.Clicking(18, 40, 10, 18);
        b.Clicking(2, 70, 10, 2);
        CFicha& card = b.Card();
        card.video.file = "clip.avi";
        card.video.x = 30;
        card.video.y = 40;
        card.video.automaticInit = autoInit;
        card.video.loop = loop;
        card.video.closeWhenFinishes = closeAtEnd;
        card.video.activateOnClose = "5";
        b.Card();
        return b.Take();
    }
    CMciAvi& Device() { return *Current().GetMciAvi(); }
    bool Logged(const std::string& call) const {
        return std::find(media.calls.begin(), media.calls.end(), call) != media.calls.end();
    }
    std::string LastPlay() const {
        for (auto it = media.calls.rbegin(); it != media.calls.rend(); ++it)
            if (it->rfind("Play ", 0) == 0) return *it;
        return "";
    }

    platform::RecordingMedia media;
    platform::ScopedMediaFactory scoped;
};

TEST(PlayerVideo, AutomaticVideoPlaysAtItsOwnSizeAndStaysOnItsFirstFrameAtTheEnd) {
    VideoFixture f;
    f.Show(f.Title(true, false, false));
    EXPECT_TRUE(f.view.Video().IsOpen());
    EXPECT_EQ(f.view.Video().GetState(), CCardVideo::playing);
    EXPECT_EQ(f.LastPlay(), "Play from=- to=- notify");
    EXPECT_TRUE(f.Number(23)->IsVisible());
    f.Device().Advance(1200);
    EXPECT_EQ(f.view.Video().GetState(), CCardVideo::atEnd);
    EXPECT_TRUE(f.view.Video().IsOpen());
    EXPECT_TRUE(f.Number(5)->IsVisible());
    EXPECT_EQ(f.Device().Position(), 0u);
    ASSERT_TRUE(f.view.VideoArea().has_value());
    EXPECT_EQ(*f.view.VideoArea(), (platform::Rect{30, 40, 190, 160}));
    // Play from the end starts at the first frame again.
    f.Click(15, 15);
    EXPECT_EQ(f.view.Video().GetState(), CCardVideo::playing);
    EXPECT_TRUE(f.Logged("Seek 0"));
    const auto& events = f.trace.events;
    EXPECT_TRUE(std::find(events.begin(), events.end(), "video clip.avi at-end") != events.end());
}

TEST(PlayerVideo, CloseWhenFinishesClosesTheDevice) {
    VideoFixture f;
    f.Show(f.Title(true, false, true));
    f.Device().Advance(1200);
    EXPECT_EQ(f.view.Video().GetState(), CCardVideo::closed);
    EXPECT_FALSE(f.view.Video().IsOpen());
    EXPECT_EQ(f.Device().DeviceId(), 0);
    EXPECT_TRUE(f.Number(5)->IsVisible());
    // Play on a closed clip opens it again.
    f.Click(15, 15);
    EXPECT_TRUE(f.view.Video().IsOpen());
    EXPECT_EQ(f.view.Video().GetState(), CCardVideo::playing);
}

TEST(PlayerVideo, ALoopingVideoNeverAppliesItsActivateOnCloseList) {
    VideoFixture f;
    f.Show(f.Title(true, true, true));
    EXPECT_EQ(f.LastPlay(), "Play from=- to=- repeat notify");
    f.Device().Advance(5500);
    EXPECT_EQ(f.view.Video().GetState(), CCardVideo::playing);
    EXPECT_FALSE(f.Number(5)->IsVisible());
    EXPECT_TRUE(f.view.Video().IsOpen());
}

TEST(PlayerVideo, PausedLoopingVideoPlaysOnWithoutRepeating) {
    VideoFixture f;
    f.Show(f.Title(true, true, false));
    f.Device().Advance(300);
    f.Click(45, 15);  // Video - Stop
    EXPECT_EQ(f.view.Video().GetState(), CCardVideo::paused);
    EXPECT_TRUE(f.Logged("Pause"));
    f.Click(45, 15);  // pausing a paused clip does nothing
    EXPECT_EQ(f.view.Video().GetState(), CCardVideo::paused);
    f.Click(15, 15);  // Video - Play
    EXPECT_EQ(f.view.Video().GetState(), CCardVideo::playing);
    EXPECT_EQ(f.LastPlay(), "Play from=- to=- notify");
}

TEST(PlayerVideo, WithoutAutomaticInitTheVideoWaitsForPlay) {
    VideoFixture f;
    f.Show(f.Title(false, false, false));
    EXPECT_FALSE(f.view.Video().IsOpen());
    EXPECT_EQ(f.view.Video().GetState(), CCardVideo::closed);
    EXPECT_EQ(f.media.clipsCreated, 0);
    f.Click(15, 15);
    EXPECT_TRUE(f.view.Video().IsOpen());
    EXPECT_EQ(f.view.Video().GetState(), CCardVideo::playing);
    EXPECT_FALSE(f.Current().GetCurrentCardPtr()->video.automaticInit);  // the stored value is back
}

TEST(PlayerVideo, AFailedOpenLeavesTheVideoClosed) {
    VideoFixture f;
    f.media.script.openError = 275;
    f.media.script.openErrorText = "No se encuentra el archivo.";
    f.Show(f.Title(true, false, false));
    EXPECT_FALSE(f.view.Video().IsOpen());
    EXPECT_EQ(f.view.Video().GetState(), CCardVideo::closed);
    EXPECT_EQ(f.messages.shown.size(), 1u);
}

TEST(PlayerVideo, LeavingTheCardStopsAndClosesTheVideo) {
    VideoFixture f;
    f.Show(f.Title(true, false, false));
    f.Click(75, 15);  // next card, which has no video
    EXPECT_FALSE(f.view.Video().IsOpen());
    EXPECT_EQ(f.Device().DeviceId(), 0);
    EXPECT_FALSE(f.Number(23)->IsVisible());
    EXPECT_FALSE(f.Number(17)->IsVisible());
    const auto& events = f.trace.events;
    EXPECT_TRUE(std::find(events.begin(), events.end(), "video clip.avi closed") != events.end());
}

TEST(PlayerVideo, TimerMovesTheKnobWithThePlay) {
    VideoFixture f;
    f.Show(f.Title(true, false, false));
    f.Device().Advance(500);
    f.view.OnTimer();
    // step = 1000 / 100 = 10 ms a pixel.
    EXPECT_EQ(f.Number(23)->GetX(), 100 + 50);
    f.Click(45, 15);
    f.view.OnTimer();
    EXPECT_EQ(f.Number(23)->GetX(), 150);
}

TEST(PlayerVideo, KnobDragSeeksAndPlaysOnOrStops) {
    VideoFixture f;
    f.Show(f.Title(true, false, false));
    f.Click(102, 405);             // grab x 2
    f.view.OnMouseMove({132, 0});  // offset 30: 300 ms
    EXPECT_TRUE(f.Logged("Seek 300"));
    EXPECT_EQ(f.LastPlay(), "Play from=- to=- notify");
    EXPECT_EQ(f.Number(23)->GetX(), 130);
    f.view.OnLeftButtonUp();
    f.Click(45, 15);  // paused
    f.media.calls.clear();
    f.Click(132, 405);
    f.view.OnMouseMove({142, 0});  // offset 40
    EXPECT_TRUE(f.Logged("Seek 400"));
    EXPECT_TRUE(f.Logged("Stop"));
    EXPECT_EQ(f.LastPlay(), "");
}

TEST(PlayerVideo, WhileAVideoIsOpenOnlyTheFirstPaintOfATitleRepaintsTheCard) {
    VideoFixture f;
    auto doc = f.Title(true, true, false);
    CFicha* second = doc->GetCards().GetAt(1);
    second->video = doc->GetCards().GetAt(0)->video;
    second->AddText(MakeText("t", "texto", {0, 0, 100, 50}));
    doc->GetCards().GetAt(0)->AddText(MakeText("t", "texto", {0, 0, 100, 50}));
    f.Show(std::move(doc));
    platform::FakeDeviceContext dc;
    f.view.SetSurface(&dc);
    f.view.OnDraw();  // the full-paint flag is still set
    EXPECT_EQ(dc.lines.size(), 1u);
    f.Click(75, 15);  // next card: the flag is cleared
    ASSERT_TRUE(f.view.Video().IsOpen());
    dc.lines.clear();
    f.media.calls.clear();
    f.view.OnDraw();
    EXPECT_TRUE(dc.lines.empty());
    EXPECT_TRUE(f.Logged("UpdateWindow"));
    // Erasing the background repaints the card under a video.
    EXPECT_TRUE(f.view.OnEraseBackground());
    EXPECT_EQ(dc.lines.size(), 1u);
    f.view.SetSurface(nullptr);
}

}  // namespace
