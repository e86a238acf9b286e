#include <gtest/gtest.h>

#include <thread>

#include "MediaTestSupport.h"

using namespace platform;
using namespace media_test;

namespace {

// Records the double's pictures by their frame index, their blue value.
class DoubleWindow : public MediaWindow {
  public:
    void DrawMediaFrame(const MediaFrame& f) override {
        frames.push_back(f.picture.bits[0]);
        placements.push_back(f.placement);
    }
    void EraseMediaArea(const Rect& area) override { erased.push_back(area); }
    void MediaNotify(MediaNotice notice) override { notices.push_back(notice); }
    std::vector<int> frames;
    std::vector<Rect> placements;
    std::vector<Rect> erased;
    std::vector<MediaNotice> notices;
};

struct PlaybackClipTest : testing::Test {
    PlaybackClipTest() {
        media.script.length = 1000;
        media.script.frameDuration = 100;
        media.script.frameSize = {40, 30};
    }
    std::unique_ptr<MediaClip> Opened(MediaWindow* parent) {
        auto clip = media.CreateClip();
        EXPECT_EQ(clip->Open("clip.avi", parent), kMediaOk);
        return clip;
    }
    RecordingMedia media;
    DoubleWindow window;
};

}  // namespace

TEST_F(PlaybackClipTest, APlayFromToEndsAtItsEndAndNotifiesOnce) {
    auto clip = Opened(&window);
    MediaPlay play = Notifying(&window);
    play.from = 300;
    play.to = 600;
    ASSERT_EQ(clip->Play(play), kMediaOk);
    EXPECT_EQ(window.frames, std::vector<int>{3});
    clip->Advance(250);
    EXPECT_EQ(clip->Position(), 550u);
    EXPECT_TRUE(window.notices.empty());
    clip->Advance(250);
    EXPECT_EQ(clip->Position(), 600u);
    EXPECT_EQ(clip->Mode(), MediaMode::stopped);
    EXPECT_EQ(window.frames, (std::vector<int>{3, 5, 6}));
    EXPECT_EQ(window.notices, std::vector<MediaNotice>{MediaNotice::successful});
    clip->Advance(1000);
    EXPECT_EQ(window.notices.size(), 1u);
    // Played to its end, a play without a start completes at once.
    ASSERT_EQ(clip->Play(Notifying(&window)), kMediaOk);
    clip->Advance(1000);
    EXPECT_EQ(clip->Position(), 1000u);
    EXPECT_EQ(window.notices.size(), 2u);
}

TEST_F(PlaybackClipTest, PlaysOutOfRangeAreRefusedWithTheLayersText) {
    auto clip = Opened(&window);
    MediaPlay beyond;
    beyond.from = 1001;
    EXPECT_EQ(clip->Play(beyond), kMediaErrorOutOfRange);
    std::string text;
    MediaErrorString(kMediaErrorOutOfRange, text);
    EXPECT_EQ(clip->ErrorText(), text);
    MediaPlay backwards;
    backwards.from = 500;
    backwards.to = 400;
    EXPECT_EQ(clip->Play(backwards), kMediaErrorOutOfRange);
    EXPECT_EQ(clip->Seek(1001), kMediaErrorOutOfRange);
    EXPECT_EQ(clip->SetTimeFormat(3), kMediaErrorBadTimeFormat);
    EXPECT_EQ(clip->Mode(), MediaMode::stopped);
}

TEST_F(PlaybackClipTest, ARepeatingPlayGoesRoundFromItsStartAndAnyDelayCostsOneSeek) {
    auto clip = Opened(&window);
    MediaPlay play = Notifying(&window, true);
    play.from = 200;
    play.to = 700;
    ASSERT_EQ(clip->Play(play), kMediaOk);
    clip->Advance(600);  // 800: past the end by 100, so 300
    EXPECT_EQ(clip->Position(), 300u);
    const size_t calls = media.calls.size();
    clip->Advance(500u * 1000000u + 50);
    EXPECT_EQ(clip->Position(), 350u);
    EXPECT_EQ(media.calls.size(), calls) << "looping is no command";
    EXPECT_TRUE(window.notices.empty());
    EXPECT_EQ(clip->Mode(), MediaMode::playing);
}

TEST_F(PlaybackClipTest, AClipOfNoLengthCompletesAtOnceAndRepeatsWithoutEnd) {
    media.script.length = 0;
    auto clip = Opened(&window);
    ASSERT_EQ(clip->Play(Notifying(&window)), kMediaOk);
    clip->Advance(10);
    EXPECT_EQ(window.notices, std::vector<MediaNotice>{MediaNotice::successful});
    ASSERT_EQ(clip->Play(Notifying(&window, true)), kMediaOk);
    clip->Advance(10);
    clip->Advance(1000);
    EXPECT_EQ(window.notices.size(), 1u);
    EXPECT_EQ(clip->Mode(), MediaMode::playing);
}

TEST_F(PlaybackClipTest, InterruptedPlaysAreNoticedAtTheNextAdvanceNotInsideTheCommand) {
    auto clip = Opened(&window);
    DoubleWindow other;
    ASSERT_EQ(clip->Play(Notifying(&window)), kMediaOk);
    ASSERT_EQ(clip->Play(Notifying(&other)), kMediaOk);
    EXPECT_TRUE(window.notices.empty()) << "notices arrive as posted messages do";
    clip->Advance(0);
    EXPECT_EQ(window.notices, std::vector<MediaNotice>{MediaNotice::superseded});
    ASSERT_EQ(clip->Stop(), kMediaOk);
    clip->Advance(0);
    EXPECT_EQ(other.notices, std::vector<MediaNotice>{MediaNotice::aborted});
    ASSERT_EQ(clip->Play(Notifying(&window)), kMediaOk);
    ASSERT_EQ(clip->Pause(), kMediaOk);
    clip->Advance(0);
    EXPECT_EQ(window.notices.size(), 1u) << "a pause keeps the play's notice waiting";
    ASSERT_EQ(clip->Seek(0), kMediaOk);
    clip->Advance(0);
    EXPECT_EQ(window.notices.back(), MediaNotice::aborted);
    ASSERT_EQ(clip->Play(Notifying(&window)), kMediaOk);
    ASSERT_EQ(clip->Play({}), kMediaOk);
    ASSERT_EQ(clip->Close(), kMediaOk);
    EXPECT_EQ(window.notices.size(), 2u) << "a closed clip sends nothing more";
}

TEST_F(PlaybackClipTest, TheChildAreaIsHiddenUntilShownAndErasedWhereItWas) {
    auto clip = Opened(&window);
    EXPECT_NE(clip->WindowHandle(), 0u);
    EXPECT_FALSE(clip->WindowVisible());
    EXPECT_EQ(clip->WindowRect(), (Rect{0, 0, 40, 30}));
    ASSERT_EQ(clip->UpdateWindow(), kMediaOk);
    ASSERT_EQ(clip->Seek(500), kMediaOk);
    EXPECT_TRUE(window.frames.empty());

    MediaPlacement place;
    place.position = Point{100, 50};
    place.visible = true;
    ASSERT_EQ(clip->PlaceWindow(place), kMediaOk);
    EXPECT_EQ(window.frames, std::vector<int>{5});
    EXPECT_EQ(window.placements.back(), (Rect{100, 50, 140, 80}));
    EXPECT_TRUE(window.erased.empty());

    MediaPlacement resize;
    resize.size = Size{80, 60};
    ASSERT_EQ(clip->PlaceWindow(resize), kMediaOk);
    EXPECT_EQ(window.erased, std::vector<Rect>{(Rect{100, 50, 140, 80})});
    EXPECT_EQ(window.placements.back(), (Rect{100, 50, 180, 110}));

    MediaPlacement hide;
    hide.visible = false;
    ASSERT_EQ(clip->PlaceWindow(hide), kMediaOk);
    EXPECT_EQ(window.erased.back(), (Rect{100, 50, 180, 110}));
    const size_t drawn = window.frames.size();
    ASSERT_EQ(clip->Play({}), kMediaOk);
    EXPECT_TRUE(clip->WindowVisible()) << "playing shows the window";
    EXPECT_EQ(window.frames.size(), drawn + 1);
    ASSERT_EQ(clip->Close(), kMediaOk);
    EXPECT_EQ(window.erased.back(), (Rect{100, 50, 180, 110}));
}

TEST_F(PlaybackClipTest, AWildPlacementIsClampedAndAClipWithoutParentHasNoWindow) {
    auto clip = Opened(&window);
    MediaPlacement wild;
    wild.position = Point{INT32_MAX, INT32_MIN};
    wild.size = Size{INT32_MAX, -5};
    ASSERT_EQ(clip->PlaceWindow(wild), kMediaOk);
    const Rect r = clip->WindowRect();
    EXPECT_GT(r.right, r.left);
    EXPECT_EQ(r.Height(), 0);
    EXPECT_EQ(r.Width(), kMaxMediaSide);

    auto alone = Opened(nullptr);
    EXPECT_EQ(alone->WindowHandle(), 0u);
    EXPECT_EQ(alone->PlaceWindow(wild), kMediaErrorUnsupportedFunction);
    ASSERT_EQ(alone->Play({}), kMediaOk);
    alone->Advance(2000);
    EXPECT_EQ(alone->Mode(), MediaMode::stopped);
}

TEST_F(PlaybackClipTest, AClipMayBeDestroyedByTheNoticeItDelivers) {
    struct Owner : MediaWindow {
        void DrawMediaFrame(const MediaFrame&) override {}
        void MediaNotify(MediaNotice) override {
            clip.reset();
            ++heard;
        }
        std::unique_ptr<MediaClip> clip;
        int heard = 0;
    } owner;
    owner.clip = Opened(&owner);
    DoubleWindow second;
    ASSERT_EQ(owner.clip->Play(Notifying(&owner)), kMediaOk);
    ASSERT_EQ(owner.clip->Play(Notifying(&second)), kMediaOk);
    ASSERT_EQ(owner.clip->Stop(), kMediaOk);
    MediaClip* raw = owner.clip.get();
    raw->Advance(0);
    EXPECT_EQ(owner.heard, 1);
    EXPECT_EQ(owner.clip, nullptr);
    EXPECT_EQ(second.notices, std::vector<MediaNotice>{MediaNotice::aborted}) << "later notices still go out";
}

TEST_F(PlaybackClipTest, CommandsAreRecordedAndOperationsOnAClosedClipFail) {
    auto clip = media.CreateClip();
    EXPECT_EQ(clip->Play({}), kMediaErrorInvalidDeviceId);
    EXPECT_EQ(clip->Seek(0), kMediaErrorInvalidDeviceId);
    EXPECT_EQ(clip->Close(), kMediaErrorInvalidDeviceId);
    EXPECT_EQ(clip->Mode(), MediaMode::notReady);
    EXPECT_EQ(clip->Length(), 0u);
    ASSERT_EQ(clip->Open("a.avi", &window), kMediaOk);
    ASSERT_EQ(clip->Play(Notifying(&window, true)), kMediaOk);
    ASSERT_EQ(clip->Pause(), kMediaOk);
    EXPECT_EQ(media.calls,
              (std::vector<std::string>{"Play from=- to=-", "Seek 0", "Close", "Open a.avi parent",
                                        "Play from=- to=- repeat notify", "Pause"}));

    media.script.openError = kMediaErrorFileNotFound;
    auto failing = media.CreateClip();
    EXPECT_EQ(failing->Open("b.avi", nullptr), kMediaErrorFileNotFound);
    EXPECT_FALSE(failing->IsOpen());
    EXPECT_EQ(media.clipsCreated, 2);
}

TEST(Media, WithoutABackendEveryOpenFailsAndSaysWhy) {
    auto clip = Media().CreateClip();
    EXPECT_EQ(clip->Open(Clip("clip-mjpeg.avi"), nullptr), kMediaErrorCannotLoadDriver);
    EXPECT_NE(clip->ErrorText().find("controlador"), std::string::npos);
    RecordingMedia media;
    {
        ScopedMediaFactory scoped(media);
        EXPECT_EQ(&Media(), &media);
    }
    EXPECT_NE(&Media(), &media);
}

TEST(Media, PumpPlaysByTheClock) {
    RecordingMedia media;
    auto clip = media.CreateClip();
    ASSERT_EQ(clip->Open("a.avi", nullptr), kMediaOk);
    ASSERT_EQ(clip->Play({}), kMediaOk);
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    clip->Pump();
    EXPECT_GE(clip->Position(), 30u);
    ASSERT_EQ(clip->Pause(), kMediaOk);
    const uint32_t paused = clip->Position();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    clip->Pump();
    EXPECT_EQ(clip->Position(), paused);
}
