// The sound tracks of the clips made by tests/data/make-clips.sh, decoded by the FFmpeg backend: 2 s of a
// sine, 440 Hz in the first second and 880 Hz in the second, in 8-bit PCM, MS ADPCM and IMA ADPCM.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "MediaTestSupport.h"
#include "platform/ffmpeg/FfmpegMedia.h"

using namespace platform;
using namespace media_test;
using namespace test_support;

namespace {

constexpr int kRate = 44100;

struct SoundClip {
    const char* name;
    bool stereo;  // the tone on the left and silence on the right; mono plays on both sides
};
constexpr SoundClip kSoundClips[] = {
    {"clip-sound-pcm8.avi", false}, {"clip-sound-adpcm-ms.avi", false}, {"clip-sound-adpcm-ima.avi", true}};

// One side of interleaved stereo frames.
std::vector<int16_t> Side(const std::vector<int16_t>& frames, int side, size_t first = 0,
                          size_t count = SIZE_MAX) {
    std::vector<int16_t> samples;
    for (size_t f = first; f < frames.size() / 2 && f - first < count; ++f)
        samples.push_back(frames[2 * f + side]);
    return samples;
}

// The frequency of a tone, from its zero crossings; a crossing counts when the signal swings past a
// threshold on the other side, so that the codecs' noise around zero does not count.
double Frequency(const std::vector<int16_t>& samples) {
    constexpr int kThreshold = 2000;
    int crossings = 0;
    int sign = 0;
    for (int16_t s : samples) {
        const int now = s > kThreshold ? 1 : s < -kThreshold ? -1 : 0;
        if (now != 0 && sign != 0 && now != sign) ++crossings;
        if (now != 0) sign = now;
    }
    return crossings / 2.0 / (double(samples.size()) / kRate);
}

int Peak(const std::vector<int16_t>& samples) {
    int peak = 0;
    for (int16_t s : samples) peak = std::max(peak, std::abs(int(s)));
    return peak;
}

// Everything the track gives from `ms` on, read in pieces of `piece` frames.
std::vector<int16_t> ReadAll(MediaSource& source, uint32_t ms, size_t piece = 1000) {
    std::vector<int16_t> frames;
    EXPECT_TRUE(source.StartSound(ms, kRate));
    std::vector<int16_t> buffer(piece * 2);
    for (;;) {
        const size_t n = source.ReadSound(buffer.data(), piece);
        frames.insert(frames.end(), buffer.begin(), buffer.begin() + std::ptrdiff_t(2 * n));
        if (n < piece || frames.size() > 10u * kRate * 2) break;
    }
    return frames;
}

std::unique_ptr<MediaSource> OpenSource(const std::string& name) {
    auto source = CreateFfmpegSource();
    std::string text;
    EXPECT_EQ(source->Open(Clip(name), text), kMediaOk) << name << ": " << text;
    return source;
}

}  // namespace

TEST(FfmpegSound, EveryTrackDecodesToItsLengthWithItsTonesOnTheRightSides) {
    for (const SoundClip& clip : kSoundClips) {
        SCOPED_TRACE(clip.name);
        auto source = OpenSource(clip.name);
        ASSERT_TRUE(source->HasSound());
        const std::vector<int16_t> frames = ReadAll(*source, 0);
        // ADPCM fills its last block, a few tens of milliseconds beyond the two seconds.
        EXPECT_GE(frames.size() / 2, size_t(2 * kRate - 200));
        EXPECT_LE(frames.size() / 2, size_t(2 * kRate + 2500));
        const std::vector<int16_t> left = Side(frames, 0);
        EXPECT_NEAR(Frequency(Side(frames, 0, 2205, 39690)), 440.0, 10.0);
        EXPECT_NEAR(Frequency(Side(frames, 0, 46305, 39690)), 880.0, 15.0);
        // 0.6 of full scale, at full strength on each side it plays on.
        EXPECT_NEAR(Peak(Side(frames, 0, 2205, 39690)), 0.6 * 32767, 0.06 * 32767);
        const std::vector<int16_t> right = Side(frames, 1, 2205, 39690);
        if (clip.stereo) {
            EXPECT_LT(Peak(right), 200) << "the right side is silent";
        } else {
            EXPECT_EQ(right, Side(frames, 0, 2205, 39690)) << "mono plays the same on both sides";
        }
        // The piece size changes nothing.
        EXPECT_EQ(ReadAll(*source, 0, 37), frames);
    }
}

TEST(FfmpegSound, StartingAtAPositionGivesTheTrackFromThere) {
    for (const SoundClip& clip : kSoundClips) {
        SCOPED_TRACE(clip.name);
        auto source = OpenSource(clip.name);
        const size_t whole = ReadAll(*source, 0).size() / 2;
        for (uint32_t ms : {1500u, 500u, 1000u, 1999u, 250u}) {
            SCOPED_TRACE(ms);
            const std::vector<int16_t> frames = ReadAll(*source, ms);
            const size_t expected = whole - size_t(ms) * kRate / 1000;
            EXPECT_NEAR(double(frames.size() / 2), double(expected), 50.0);
            if (ms % 1000 <= 500) {
                const double tone = ms < 1000 ? 440.0 : 880.0;
                EXPECT_NEAR(Frequency(Side(frames, 0, 441, 17640)), tone, tone / 30);
            }
        }
        // The same stretch read after a start there and read through from the top agrees, within the
        // resampler's rounding.
        const std::vector<int16_t> all = ReadAll(*source, 0);
        const std::vector<int16_t> late = ReadAll(*source, 1200);
        const size_t offset = size_t(1200) * kRate / 1000;
        int differ = 0;
        for (size_t f = 1000; f < 5000; ++f)
            if (std::abs(int(late[2 * f]) - int(all[2 * (f + offset)])) > 1200) ++differ;
        EXPECT_LT(differ, 40);
    }
}

TEST(FfmpegSound, ClipsWithoutASoundTrackHaveNone) {
    for (const char* name : kClips) {
        SCOPED_TRACE(name);
        auto source = OpenSource(name);
        EXPECT_FALSE(source->HasSound());
        EXPECT_FALSE(source->StartSound(0, kRate));
        int16_t frames[64];
        EXPECT_EQ(source->ReadSound(frames, 32), 0u);
    }
    auto source = OpenSource("clip-sound-pcm8.avi");
    EXPECT_FALSE(source->StartSound(0, 10)) << "an output rate nobody plays is refused";
    source->Close();
    EXPECT_FALSE(source->HasSound());
}

// The clip as the player drives it, with a recording output: the sound comes while the picture plays, stops
// with pause, starts again at the position after a seek and goes silent with close.
TEST(FfmpegSound, APlayingClipQueuesItsSoundAndFollowsPauseSeekAndClose) {
    RecordingSound sound;
    FfmpegMedia media(&sound);
    RecordingWindow window;
    auto clip = media.CreateClip();
    ASSERT_EQ(clip->Open(Clip("clip-sound-adpcm-ms.avi"), &window), kMediaOk);
    ASSERT_EQ(clip->Play(Notifying(&window)), kMediaOk);
    ASSERT_EQ(sound.clipStreams.size(), 1u);
    RecordedClipStream& stream = *sound.clipStreams[0];
    EXPECT_EQ(stream.QueuedFrames(), size_t(kRate / 2));
    for (int i = 0; i < 3; ++i) {
        stream.Play(kRate / 10);
        clip->Advance(100);
    }
    EXPECT_EQ(stream.PlayedFrames(), size_t(3 * kRate / 10));
    EXPECT_NEAR(Frequency(Side(stream.played, 0)), 440.0, 15.0);

    ASSERT_EQ(clip->Pause(), kMediaOk);
    const uint64_t written = stream.written;
    clip->Advance(500);
    EXPECT_EQ(stream.written, written);
    EXPECT_EQ(stream.Play(1000), 0u);
    ASSERT_EQ(clip->Resume(), kMediaOk);

    ASSERT_EQ(clip->Seek(1500), kMediaOk);
    EXPECT_EQ(stream.QueuedFrames(), 0u);
    ASSERT_EQ(clip->Play(Notifying(&window)), kMediaOk);
    EXPECT_EQ(stream.QueuedFrames(), size_t(kRate / 2));
    stream.played.clear();
    stream.Play(kRate / 2);
    EXPECT_NEAR(Frequency(Side(stream.played, 0)), 880.0, 30.0) << "the sound of the second second";
    clip->Advance(500);
    EXPECT_EQ(window.notices, (std::vector<MediaNotice>{MediaNotice::aborted, MediaNotice::successful}));

    ASSERT_EQ(clip->Close(), kMediaOk);
    EXPECT_TRUE(stream.closed);
}

TEST(FfmpegSound, WithoutADeviceTheClipPlaysAsItDidAndOpensNoTrack) {
    RecordingSound sound;
    sound.devices = 0;
    FfmpegMedia media(&sound);
    RecordingWindow window;
    auto clip = media.CreateClip();
    ASSERT_EQ(clip->Open(Clip("clip-sound-pcm8.avi"), &window), kMediaOk);
    ASSERT_EQ(clip->Play(Notifying(&window)), kMediaOk);
    for (int i = 0; i < 12; ++i) clip->Advance(250);
    EXPECT_TRUE(sound.clipStreams.empty());
    EXPECT_EQ(window.notices, std::vector<MediaNotice>{MediaNotice::successful});
    ASSERT_FALSE(window.drawn.empty());
    EXPECT_EQ(window.drawn.front().frame, 0);
    EXPECT_EQ(window.drawn.back().frame, 9);
    for (const auto& d : window.drawn) EXPECT_TRUE(d.intact);
}

namespace {

// The clip with the sound format's fields replaced: the second "strf" chunk of the file is the sound
// stream's WAVEFORMATEX (format tag, channels, rate, bytes a second, block size, bits).
std::vector<uint8_t> WithSoundFormat(std::vector<uint8_t> bytes, int offset, uint32_t value, int size) {
    size_t at = 0;
    for (int found = 0; found < 2; ++found) {
        at = std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()).find("strf", at + 1);
        EXPECT_NE(at, std::string_view::npos);
    }
    for (int i = 0; i < size; ++i) bytes[at + 8 + size_t(offset) + size_t(i)] = uint8_t(value >> (8 * i));
    return bytes;
}

}  // namespace

// Lying sound headers cost the picture nothing: the clip opens and plays, silent or with what decodes, and
// never with more sound than its length.
TEST(FfmpegSound, LyingSoundHeadersLeaveThePicturePlaying) {
    const std::vector<uint8_t> clip = ReadFileBytes(Clip("clip-sound-pcm8.avi"));
    struct Lie {
        const char* what;
        int offset;
        uint32_t value;
        int size;
    };
    const Lie lies[] = {{"channels 0", 2, 0, 2},
                        {"channels 65535", 2, 65535, 2},
                        {"rate 1", 4, 1, 4},
                        {"rate 4 billion", 4, 0xFFFFFFFF, 4},
                        {"rate 0", 4, 0, 4},
                        {"block size 0", 12, 0, 2},
                        {"block size 65535", 12, 65535, 2},
                        {"bits 0", 14, 0, 2},
                        {"format tag unknown", 0, 0x7777, 2},
                        {"bytes a second 0", 8, 0, 4}};
    for (const Lie& lie : lies) {
        SCOPED_TRACE(lie.what);
        ScratchFile file(WithSoundFormat(clip, lie.offset, lie.value, lie.size), "clip.avi");
        RecordingSound sound;
        FfmpegMedia media(&sound);
        RecordingWindow window;
        auto played = media.CreateClip();
        if (played->Open(file.Path(), &window) != kMediaOk) {
            EXPECT_FALSE(played->ErrorText().empty());
            continue;
        }
        ASSERT_EQ(played->Play(Notifying(&window)), kMediaOk);
        for (int i = 0; i < 25; ++i) {
            if (!sound.clipStreams.empty()) sound.clipStreams[0]->Play(kRate / 10);
            played->Advance(100);
        }
        EXPECT_EQ(window.notices, std::vector<MediaNotice>{MediaNotice::successful});
        EXPECT_EQ(window.drawn.back().frame, 9);
        if (!sound.clipStreams.empty()) {
            EXPECT_LE(sound.clipStreams[0]->written, uint64_t(2.6 * kRate));
        }
    }
}
