// The sound track of a clip as the playing clip drives it: the scripted double's track holds its own clip
// time in every frame (the left sample is the millisecond), and a recording output at 1000 frames a second
// makes one frame one millisecond, so every check below reads positions straight off the samples.
#include <gtest/gtest.h>

#include "MediaTestSupport.h"

using namespace platform;
using namespace media_test;

namespace {

struct ClipSoundTest : testing::Test {
    ClipSoundTest() {
        media.script.length = 5000;
        media.script.frameDuration = 100;
        media.script.frameSize = {32, 24};  // what RecordingWindow reads its pixels from
        media.script.sound = true;
        media.output = &sound;
        sound.clipRate = 1000;
        sound.clipCapacity = 1000;
    }
    std::unique_ptr<MediaClip> Opened() {
        auto clip = media.CreateClip();
        EXPECT_EQ(clip->Open("clip.avi", &window), kMediaOk);
        return clip;
    }
    RecordedClipStream& Stream() { return *sound.clipStreams.at(0); }
    // The left samples of the queue or of what was played: the clip times, in order.
    static std::vector<int> Times(const std::vector<int16_t>& frames) {
        std::vector<int> times;
        for (size_t i = 0; i < frames.size(); i += 2) times.push_back(frames[i]);
        return times;
    }
    static std::vector<int> Run(int from, int count) {
        std::vector<int> times;
        for (int i = 0; i < count; ++i) times.push_back(from + i);
        return times;
    }
    // The output plays `ms` and the picture moves on as much, as on a machine where both keep time.
    void Together(MediaClip& clip, uint32_t ms, int steps = 1) {
        for (int i = 0; i < steps; ++i) {
            Stream().Play(ms);
            clip.Advance(ms);
        }
    }

    RecordingMedia media;
    RecordingSound sound;
    RecordingWindow window;
};

}  // namespace

TEST_F(ClipSoundTest, PlayQueuesHalfASecondFromTheClipsPositionAndKeepsItToppedUp) {
    auto clip = Opened();
    ASSERT_EQ(clip->Seek(100), kMediaOk);
    EXPECT_TRUE(sound.clipStreams.empty()) << "a clip that has not played asks for no stream";
    MediaPlay play;
    play.from = 300;
    ASSERT_EQ(clip->Play(play), kMediaOk);
    ASSERT_EQ(sound.clipStreams.size(), 1u);
    EXPECT_EQ(Times(Stream().queued), Run(300, 500));
    EXPECT_FALSE(Stream().paused);

    Together(*clip, 250, 4);
    EXPECT_EQ(clip->Position(), 1300u);
    EXPECT_EQ(Times(Stream().played), Run(300, 1000)) << "played without a gap or a jump";
    EXPECT_EQ(Times(Stream().queued), Run(1300, 500));
    EXPECT_EQ(Stream().clears, 1) << "only the start of the play cleared the queue";
}

TEST_F(ClipSoundTest, TheSoundEndsWithThePlayAndItsTailPlaysOut) {
    auto clip = Opened();
    MediaPlay play = Notifying(&window);
    play.from = 100;
    play.to = 700;
    ASSERT_EQ(clip->Play(play), kMediaOk);
    EXPECT_EQ(Times(Stream().queued), Run(100, 500));
    Together(*clip, 300, 2);
    EXPECT_EQ(window.notices, std::vector<MediaNotice>{MediaNotice::successful});
    EXPECT_EQ(Times(Stream().played), Run(100, 600));
    EXPECT_TRUE(Stream().queued.empty()) << "nothing beyond the end of the play";
    const uint64_t written = Stream().written;
    clip->Advance(1000);
    EXPECT_EQ(Stream().written, written);
}

TEST_F(ClipSoundTest, PauseHoldsTheSoundAndResumeGoesOnWhereItStood) {
    auto clip = Opened();
    ASSERT_EQ(clip->Play({}), kMediaOk);
    Together(*clip, 200);
    ASSERT_EQ(clip->Pause(), kMediaOk);
    EXPECT_TRUE(Stream().paused);
    const uint64_t written = Stream().written;
    clip->Advance(3000);
    EXPECT_EQ(Stream().Play(100), 0u) << "a paused stream plays nothing";
    EXPECT_EQ(Stream().written, written) << "and is given nothing";
    ASSERT_EQ(clip->Resume(), kMediaOk);
    EXPECT_FALSE(Stream().paused);
    Together(*clip, 200, 3);
    EXPECT_EQ(Times(Stream().played), Run(0, 800));
    EXPECT_EQ(Stream().clears, 1);
}

TEST_F(ClipSoundTest, StopAndSeekSilenceTheSoundAndTheNextPlayStartsAtThePosition) {
    auto clip = Opened();
    ASSERT_EQ(clip->Play({}), kMediaOk);
    Together(*clip, 100);
    ASSERT_EQ(clip->Stop(), kMediaOk);
    EXPECT_TRUE(Stream().queued.empty());
    const uint64_t written = Stream().written;
    clip->Advance(500);
    EXPECT_EQ(Stream().written, written);

    ASSERT_EQ(clip->Play({}), kMediaOk);
    EXPECT_EQ(Times(Stream().queued), Run(100, 500)) << "played on from where it stopped";
    ASSERT_EQ(clip->Seek(2500), kMediaOk);
    EXPECT_TRUE(Stream().queued.empty());
    ASSERT_EQ(clip->Play({}), kMediaOk);
    EXPECT_EQ(Times(Stream().queued), Run(2500, 500));

    ASSERT_EQ(clip->Close(), kMediaOk);
    EXPECT_TRUE(Stream().closed);
    clip->Advance(500);
    EXPECT_EQ(sound.clipStreams.size(), 1u);
}

TEST_F(ClipSoundTest, ASoundThatDriftedFromThePictureStartsAgainWhereThePictureStands) {
    auto clip = Opened();
    ASSERT_EQ(clip->Play({}), kMediaOk);
    // The output played nothing for a second (the owner was away, the device stalled).
    clip->Advance(1000);
    EXPECT_EQ(Stream().clears, 2);
    EXPECT_EQ(Times(Stream().queued), Run(1000, 500));
    // Now it runs ahead: it played half a second while the picture moved a tenth.
    Stream().Play(500);
    clip->Advance(100);
    EXPECT_EQ(Stream().clears, 3);
    EXPECT_EQ(Times(Stream().queued), Run(1100, 500));
    // Within the tolerance nothing is started again.
    Stream().Play(250);
    clip->Advance(100);
    EXPECT_EQ(Stream().clears, 3);
    EXPECT_EQ(Stream().queued.size() / 2, 350u);
}

TEST_F(ClipSoundTest, ARepeatingPlaysSoundGoesRoundWithThePictureWithoutAGap) {
    media.script.length = 1000;
    auto clip = Opened();
    ASSERT_EQ(clip->Play(Notifying(&window, true)), kMediaOk);
    Together(*clip, 100, 30);
    const std::vector<int> played = Times(Stream().played);
    ASSERT_EQ(played.size(), 3000u);
    for (size_t i = 0; i < played.size(); ++i) ASSERT_EQ(played[i], int(i % 1000)) << "frame " << i;
    EXPECT_EQ(Stream().clears, 1);
    EXPECT_EQ(clip->Position(), 0u);

    // A loop inside the clip goes round its own stretch, and a track shorter than the loop is followed by
    // silence until the loop starts again.
    media.script.soundLength = 500;
    auto inner = media.CreateClip();
    ASSERT_EQ(inner->Open("clip.avi", &window), kMediaOk);
    MediaPlay loop = Notifying(&window, true);
    loop.from = 200;
    loop.to = 700;
    ASSERT_EQ(inner->Play(loop), kMediaOk);
    RecordedClipStream& second = *sound.clipStreams.at(1);
    for (int i = 0; i < 12; ++i) {
        second.Play(125);
        inner->Advance(125);
    }
    const std::vector<int> times = Times(second.played);
    ASSERT_EQ(times.size(), 1500u);
    for (size_t i = 0; i < times.size(); ++i) {
        const int ms = 200 + int(i % 500);
        ASSERT_EQ(times[i], ms < 500 ? ms : 0) << "frame " << i;
    }
    EXPECT_TRUE(window.notices.empty());
}

TEST_F(ClipSoundTest, TheQueueNeverHoldsMoreThanTheStreamTakes) {
    sound.clipCapacity = 120;
    auto clip = Opened();
    ASSERT_EQ(clip->Play({}), kMediaOk);
    EXPECT_EQ(Stream().queued.size() / 2, 120u);
    for (int i = 0; i < 20; ++i) {
        Stream().Play(100);
        clip->Advance(100);
        EXPECT_LE(Stream().queued.size() / 2, 120u);
    }
    // However long the owner stays away, the sound costs one new start, not the time it missed.
    const uint64_t written = Stream().written;
    clip->Advance(2000);
    EXPECT_LE(Stream().written - written, 120u);
}

TEST_F(ClipSoundTest, WithoutADeviceOrATrackOrADecoderThePicturePlaysAlone) {
    const auto playThrough = [&](const char* what) {
        SCOPED_TRACE(what);
        RecordingWindow shown;
        auto clip = media.CreateClip();
        EXPECT_EQ(clip->Open("clip.avi", &shown), kMediaOk);
        EXPECT_EQ(clip->Play(Notifying(&shown)), kMediaOk);
        for (int i = 0; i < 30; ++i) clip->Advance(200);
        EXPECT_EQ(shown.notices, std::vector<MediaNotice>{MediaNotice::successful});
        EXPECT_EQ(clip->Position(), 5000u);
        return shown.drawn.size();
    };
    const size_t withSound = playThrough("with sound");
    ASSERT_EQ(sound.clipStreams.size(), 1u);

    sound.devices = 0;
    EXPECT_EQ(playThrough("no device"), withSound);
    EXPECT_EQ(sound.clipStreams.size(), 1u) << "no stream without a device";

    sound.devices = 1;
    media.script.sound = false;
    EXPECT_EQ(playThrough("no track"), withSound);
    EXPECT_EQ(sound.clipStreams.size(), 1u) << "no stream for a clip without a track";

    media.script.sound = true;
    media.script.soundFails = true;
    EXPECT_EQ(playThrough("undecodable track"), withSound);
    ASSERT_EQ(sound.clipStreams.size(), 2u);
    EXPECT_TRUE(sound.clipStreams[1]->closed) << "a track that does not decode gives its stream up";
    EXPECT_EQ(sound.clipStreams[1]->written, 0u);
}

TEST_F(ClipSoundTest, TheInstalledSoundServicePlaysClipsOfFactoriesGivenNoOutput) {
    media.output = nullptr;
    SetSound(&sound);
    auto clip = Opened();
    ASSERT_EQ(clip->Play({}), kMediaOk);
    SetSound(nullptr);
    ASSERT_EQ(sound.clipStreams.size(), 1u);
    EXPECT_EQ(Stream().written, 500u);
}
