#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <set>
#include <thread>

#include "platform/Media.h"
#include "platform/sdl/SdlSound.h"
#include "tests/support/Bytes.h"
#include "tests/support/Environment.h"
#include "tests/support/ScratchFolder.h"

using namespace platform;
using test_support::ByteWriter;
using test_support::ScopedEnv;
using test_support::ScratchFolder;

namespace {

// A PCM WAV file of 16-bit samples, interleaved.
std::vector<uint8_t> WavOf(int rate, int channels, const std::vector<int16_t>& samples) {
    const uint32_t dataBytes = static_cast<uint32_t>(samples.size() * 2);
    ByteWriter wav;
    wav.text("RIFF").u32(36 + dataBytes).text("WAVE");
    wav.text("fmt ").u32(16).u16(1);  // PCM
    wav.u16(static_cast<uint16_t>(channels)).u32(static_cast<uint32_t>(rate));
    wav.u32(static_cast<uint32_t>(rate * channels * 2)).u16(static_cast<uint16_t>(channels * 2)).u16(16);
    wav.text("data").u32(dataBytes);
    for (int16_t s : samples) wav.u16(static_cast<uint16_t>(s));
    return wav.v;
}

// A PCM WAV file: `frames` frames of 16-bit samples, every channel holding `value`.
std::vector<uint8_t> PcmWav(int rate, int channels, size_t frames, int16_t value = 1000) {
    return WavOf(rate, channels, std::vector<int16_t>(frames * channels, value));
}

// A stereo WAV file at the device rate, every frame (left, right).
std::vector<uint8_t> StereoWav(size_t frames, int16_t left, int16_t right) {
    std::vector<int16_t> samples;
    for (size_t f = 0; f < frames; ++f) samples.insert(samples.end(), {left, right});
    return WavOf(kSoundRate, 2, samples);
}

std::vector<int16_t> Mixed(const std::vector<int16_t>& wave, const std::vector<int16_t>& clip,
                           uint32_t volume) {
    const size_t frames = wave.size() / 2;
    std::vector<int32_t> sums(wave.size(), 0);
    AddToMix(sums.data(), wave.data(), frames);
    AddToMix(sums.data(), clip.data(), frames);
    std::vector<int16_t> out(wave.size());
    FinishMix(sums.data(), out.data(), frames, volume);
    return out;
}

template <typename Condition>
bool WaitFor(Condition done, int milliseconds = 3000) {
    auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (!done()) {
        if (std::chrono::steady_clock::now() > until) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

}  // namespace

TEST(DecodeWavToStereo, ConvertsToStereoAtTheDeviceRate) {
    auto mono = DecodeWavToStereo(PcmWav(kSoundRate, 1, 100, 1234));
    ASSERT_TRUE(mono);
    ASSERT_EQ(mono->size(), 200u);
    EXPECT_EQ((*mono)[0], 1234);
    EXPECT_EQ((*mono)[1], 1234);  // the one channel feeds both sides
    EXPECT_EQ((*mono)[199], 1234);

    auto slow = DecodeWavToStereo(PcmWav(11025, 2, 1000));
    ASSERT_TRUE(slow);
    EXPECT_NEAR(static_cast<double>(slow->size()), 8000.0, 64.0);  // four times as many frames
    EXPECT_EQ(slow->size() % 2, 0u);
}

// The sound is converted in pieces, so that a conversion nobody wants any more can stop: the pieces give
// what one SDL conversion of the whole sound gives, as many frames, to its last ones, and each within the
// rounding of SDL's two ways of converting (a step or two in 65536, never heard).
TEST(DecodeWavToStereo, ConvertsInPiecesAsOneConversionOfTheWholeAndCanBeAbandoned) {
    std::vector<int16_t> melody(3 * 11025 + 7);
    for (size_t i = 0; i < melody.size(); ++i) melody[i] = static_cast<int16_t>((i * 7919 % 20011) - 10000);
    const std::vector<uint8_t> file = WavOf(11025, 1, melody);
    auto pieces = DecodeWavToStereo(file);
    ASSERT_TRUE(pieces);

    SDL_AudioCVT cvt{};
    ASSERT_GT(SDL_BuildAudioCVT(&cvt, AUDIO_S16SYS, 1, 11025, AUDIO_S16SYS, 2, kSoundRate), 0);
    std::vector<uint8_t> work(melody.size() * 2 * static_cast<size_t>(cvt.len_mult));
    std::memcpy(work.data(), melody.data(), melody.size() * 2);
    cvt.buf = work.data();
    cvt.len = static_cast<int>(melody.size() * 2);
    ASSERT_EQ(SDL_ConvertAudio(&cvt), 0);
    std::vector<int16_t> whole(static_cast<size_t>(cvt.len_cvt) / 4 * 2);
    std::memcpy(whole.data(), work.data(), whole.size() * 2);

    ASSERT_EQ(pieces->size(), whole.size());
    for (size_t i = 0; i < whole.size(); ++i) {
        EXPECT_NEAR((*pieces)[i], whole[i], 2) << "sample " << i;
        if (::testing::Test::HasFailure()) break;
    }
    // The end is there, not held back by the resampler.
    EXPECT_NE(std::vector<int16_t>(pieces->end() - 40, pieces->end()), std::vector<int16_t>(40, 0));

    WavSourcePtr source = ReadWav(file);
    ASSERT_TRUE(source);
    int asked = 0;
    EXPECT_FALSE(ConvertToStereo(*source, [&] { return ++asked > 1; })) << "given up after its first piece";
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(ConvertToStereo(*source, [] { return false; }), pieces);
}

TEST(DecodeWavToStereo, RefusesGarbageTruncatedAndAbsurdInput) {
    const std::vector<uint8_t> good = PcmWav(22050, 1, 50);
    EXPECT_FALSE(DecodeWavToStereo({}));
    EXPECT_FALSE(DecodeWavToStereo(std::vector<uint8_t>(good.begin(), good.begin() + 30)));  // cut in "fmt "
    std::vector<uint8_t> garbage(1000);
    for (size_t i = 0; i < garbage.size(); ++i) garbage[i] = static_cast<uint8_t>(i * 37 + 11);
    EXPECT_FALSE(DecodeWavToStereo(garbage));
    std::vector<uint8_t> notWave = good;
    std::memcpy(notWave.data() + 8, "AVI ", 4);
    EXPECT_FALSE(DecodeWavToStereo(notWave));
    // One sample a second, stretched to the device rate, would need gigabytes.
    std::vector<uint8_t> slow = PcmWav(1, 2, 100000);
    EXPECT_FALSE(DecodeWavToStereo(slow));
    std::vector<uint8_t> zeroRate = good;
    std::memset(zeroRate.data() + 24, 0, 4);
    EXPECT_FALSE(DecodeWavToStereo(zeroRate));
    // A data chunk that claims far more than the file holds does not make anything up.
    std::vector<uint8_t> lying = good;
    std::memset(lying.data() + 40, 0x7F, 4);
    auto decoded = DecodeWavToStereo(lying);
    if (decoded) {
        EXPECT_LE(decoded->size(), 2u * 50u * 2u + 16u);
    }
}

// The reader allocates what the headers claim; the lengths are cut to the file before it reads them.
TEST(DecodeWavToStereo, LyingChunkLengthsAreCutToTheFileAndOddFormsRefused) {
    const std::vector<uint8_t> good = PcmWav(kSoundRate, 1, 50, 777);
    std::vector<uint8_t> lyingData = good;
    std::memcpy(lyingData.data() + 40, "\xF0\xFF\xFF\x7F", 4);  // two gigabytes of data
    std::memcpy(lyingData.data() + 4, "\xFF\xFF\xFF\xFF", 4);
    auto decoded = DecodeWavToStereo(lyingData);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->size(), 100u) << "the frames there are";
    EXPECT_NEAR(decoded->back(), 777, 1);

    std::vector<uint8_t> lyingFormat = good;
    std::memcpy(lyingFormat.data() + 16, "\xF0\xFF\xFF\x7F", 4);  // a format chunk of two gigabytes
    EXPECT_FALSE(DecodeWavToStereo(lyingFormat));

    // Without its RIFF header SDL would read on; the platform's sound service did not.
    EXPECT_FALSE(DecodeWavToStereo(std::vector<uint8_t>(good.begin() + 8, good.end())));
    EXPECT_FALSE(DecodeWavToStereo(PcmWav(999, 1, 50))) << "below a thousand frames a second";
    EXPECT_FALSE(DecodeWavToStereo(PcmWav(400000, 1, 50)));
    EXPECT_TRUE(DecodeWavToStereo(PcmWav(8000, 1, 50)));
    auto empty = DecodeWavToStereo(PcmWav(22050, 2, 0));
    EXPECT_TRUE(!empty || empty->empty()) << "no data, no sound";
}

TEST(WavePlayer, PlaysOnceOrLoopsWithEachSidesVolume) {
    WavePlayer player;
    player.Start({100, 200, 300, 400}, false);  // two frames
    int16_t out[8];
    player.Fill(out, 4, 0xFFFFFFFF);
    EXPECT_EQ(std::vector<int16_t>(out, out + 8), (std::vector<int16_t>{100, 200, 300, 400, 0, 0, 0, 0}));
    EXPECT_FALSE(player.Playing());
    EXPECT_EQ(player.FramesPlayed(), 2u);

    player.Start({100, 200, 300, 400}, true);
    player.Fill(out, 4, 0xFFFF8000);  // left at half, right full
    EXPECT_EQ(std::vector<int16_t>(out, out + 8),
              (std::vector<int16_t>{50, 200, 150, 400, 50, 200, 150, 400}));
    EXPECT_TRUE(player.Playing());
    player.Fill(out, 1, 0x00000000);
    EXPECT_EQ(out[0], 0);
    EXPECT_EQ(out[1], 0);

    player.Start({-32768, 32767}, true);
    player.Fill(out, 1, 0xFFFFFFFF);
    EXPECT_EQ(out[0], -32768);
    EXPECT_EQ(out[1], 32767);

    player.Start({}, true);  // nothing to loop over must not spin
    player.Fill(out, 2, 0xFFFFFFFF);
    EXPECT_FALSE(player.Playing());
    EXPECT_EQ(out[3], 0);
}

// A source played as it converts gives the frames of its conversion as a whole, however the device asks
// for them, and every pass of a loop gives them again from the first frame, with the volume of each side.
TEST(WavePlayer, PlaysASourceAsItConvertsAsTheWholeConversionInEveryPassOfALoop) {
    std::vector<int16_t> melody(11025 / 4 + 3);
    for (size_t i = 0; i < melody.size(); ++i) melody[i] = static_cast<int16_t>((i * 7919 % 20011) - 10000);
    const std::vector<uint8_t> file = WavOf(11025, 1, melody);
    const auto whole = DecodeWavToStereo(file);
    ASSERT_TRUE(whole);
    const size_t frames = whole->size() / 2;
    ASSERT_GT(frames, 4000u) << "more than one piece of the conversion";

    WavePlayer player;
    player.StartConverting(ReadWav(file), true);
    EXPECT_TRUE(player.Playing());
    EXPECT_TRUE(player.Looping());
    // Pieces of odd sizes, across the end of the sound and into its second pass.
    std::vector<int16_t> played;
    for (size_t size = 1; played.size() < 2 * whole->size() + 200; size = size * 3 % 1021 + 1) {
        std::vector<int16_t> out(2 * size, 99);
        player.Fill(out.data(), size, 0xFFFFFFFF);
        played.insert(played.end(), out.begin(), out.end());
    }
    ASSERT_TRUE(player.Playing());
    EXPECT_EQ(std::vector<int16_t>(played.begin(), played.begin() + whole->size()), *whole);
    EXPECT_EQ(std::vector<int16_t>(played.begin() + whole->size(), played.begin() + 2 * whole->size()),
              *whole)
        << "the loop starts again at the first frame";

    // Once, at half volume on the left: the sound, then silence, and the player stops.
    player.StartConverting(ReadWav(file), false);
    std::vector<int16_t> once(2 * (frames + 100), 99);
    player.Fill(once.data(), frames + 100, 0xFFFF8000);
    EXPECT_FALSE(player.Playing());
    EXPECT_EQ(player.FramesPlayed(), frames);
    for (size_t f = 0; f < frames; f += 97) {
        EXPECT_EQ(once[2 * f], (*whole)[2 * f] * 0x8000 / 0xFFFF) << "frame " << f;
        EXPECT_EQ(once[2 * f + 1], (*whole)[2 * f + 1]) << "frame " << f;
    }
    EXPECT_EQ(std::vector<int16_t>(once.end() - 200, once.end()), std::vector<int16_t>(200, 0));

    // A sound already in the device's format is copied as it is.
    const std::vector<uint8_t> stereo = StereoWav(300, 1200, -1200);
    player.StartConverting(ReadWav(stereo), true);
    std::vector<int16_t> out(2 * 700);
    player.Fill(out.data(), 700, 0xFFFFFFFF);
    EXPECT_EQ(out[0], 1200);
    EXPECT_EQ(out[2 * 699 + 1], -1200) << "through two loops";
    EXPECT_EQ(player.FramesPlayed(), 700u);
}

class SdlSoundTest : public testing::Test {
  protected:
    void SetUp() override {
        if (sound.WaveDeviceCount() == 0) GTEST_SKIP() << "no audio device, not even SDL's dummy one";
    }
    ScratchFolder dir;
    SdlSound sound;
};

TEST_F(SdlSoundTest, PlaysAGeneratedWavToItsEndAsynchronously) {
    const std::string path = dir.Write("beep.wav", PcmWav(22050, 1, 2205));  // 0.1 s
    EXPECT_TRUE(sound.PlayFile(path, false));
    EXPECT_FALSE(sound.IsLooping());
    EXPECT_TRUE(WaitFor([&] { return !sound.IsPlaying(); }));
    EXPECT_NEAR(static_cast<double>(sound.FramesPlayed()), 4410.0, 32.0);
}

TEST_F(SdlSoundTest, LoopsUntilStoppedAndANewSoundReplacesTheOld) {
    const std::string path = dir.Write("loop.wav", PcmWav(44100, 2, 441));  // 10 ms
    ASSERT_TRUE(sound.PlayFile(path, true));
    EXPECT_TRUE(sound.IsLooping());
    EXPECT_TRUE(WaitFor([&] { return sound.FramesPlayed() > 441 * 5; }));
    EXPECT_TRUE(sound.IsPlaying());
    sound.Stop();
    EXPECT_FALSE(sound.IsPlaying());

    ASSERT_TRUE(sound.PlayFile(path, true));
    const std::string other = dir.Write("other.wav", PcmWav(8000, 1, 80000));
    ASSERT_TRUE(sound.PlayFile(other, false));
    EXPECT_FALSE(sound.IsLooping());
    EXPECT_TRUE(sound.IsPlaying());
    sound.Stop();
}

// PlayFile leaves converting the music to the device's format to the device's thread, which converts it as
// it plays it, and returns with the sound counted as playing (how much sooner it returns is the player-start
// benchmark's business, not a test's).
TEST_F(SdlSoundTest, PlayFileReturnsBeforeTheConversionAndAStopOrANewerSoundWinsOverIt) {
    const std::vector<uint8_t> music = PcmWav(11025, 1, 8 * 11025, 3000);
    const std::string path = dir.Write("music.wav", music);
    const std::string jingle = dir.Write("jingle.wav", PcmWav(22050, 1, 1102));  // 50 ms
    ASSERT_TRUE(sound.PlayFile(path, true));
    EXPECT_TRUE(sound.IsPlaying());
    EXPECT_TRUE(sound.IsLooping()) << "already, though perhaps not converted yet";
    EXPECT_TRUE(WaitFor([&] { return sound.FramesPlayed() > 4410; })) << "and then it plays";
    EXPECT_TRUE(sound.IsLooping());

    // Stopped before its conversion ends, the music does not start when it ends.
    ASSERT_TRUE(sound.PlayFile(path, true));
    sound.Stop();
    EXPECT_FALSE(sound.IsPlaying());
    EXPECT_FALSE(WaitFor([&] { return sound.IsPlaying(); }, 800));
    EXPECT_EQ(sound.FramesPlayed(), 0u);

    // A newer sound replaces one still converting: the jingle plays once, to its end, and the music after
    // it never.
    ASSERT_TRUE(sound.PlayFile(path, true));
    ASSERT_TRUE(sound.PlayFile(jingle, false));
    EXPECT_FALSE(sound.IsLooping());
    EXPECT_TRUE(WaitFor([&] { return !sound.IsPlaying(); }));
    EXPECT_NEAR(static_cast<double>(sound.FramesPlayed()), 2204.0, 32.0);
    EXPECT_FALSE(WaitFor([&] { return sound.IsPlaying(); }, 500));
}

// A file read ahead serves the PlayFile that follows only while it is the same file, unchanged: one
// rewritten or removed since is read again, or fails, as if nothing had been read ahead.
TEST_F(SdlSoundTest, AFileReadAheadPlaysOnlyWhileItIsUnchanged) {
    const std::string path = dir.Write("music.wav", PcmWav(22050, 1, 2205));   // 0.1 s
    const std::string other = dir.Write("other.wav", PcmWav(22050, 1, 1102));  // 0.05 s
    // Only a file that has settled is read ahead (a change within the clock's tick would not show).
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    auto played = [&](const std::string& file) {
        if (!sound.PlayFile(file, false)) return uint64_t{0};
        EXPECT_TRUE(WaitFor([&] { return !sound.IsPlaying(); }));
        return sound.FramesPlayed();
    };
    sound.Prepare(path);
    EXPECT_NEAR(static_cast<double>(played(path)), 4410.0, 32.0);
    sound.Prepare(path);
    EXPECT_NEAR(static_cast<double>(played(other)), 2204.0, 32.0) << "another file is read as always";
    EXPECT_NEAR(static_cast<double>(played(path)), 4410.0, 32.0) << "and what was read ahead is forgotten";
    sound.Prepare(path);
    dir.Write("music.wav", PcmWav(22050, 1, 6615));  // 0.3 s
    EXPECT_NEAR(static_cast<double>(played(path)), 13230.0, 32.0) << "rewritten since: read again";
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    sound.Prepare(path);
    std::filesystem::remove(path);
    EXPECT_FALSE(sound.PlayFile(path, false)) << "removed since";
    sound.Prepare(dir.Path() + "/missing.wav");
    sound.Prepare(other);
    EXPECT_NEAR(static_cast<double>(played(other)), 2204.0, 32.0);
}

// An output closed while it converts stops its device first and frees everything (the sanitizer build
// watches).
TEST(SdlSoundClosing, AnOutputClosedWhileConvertingIsHarmless) {
    ScratchFolder dir;
    const std::string path = dir.Write("music.wav", PcmWav(11025, 1, 8 * 11025));
    for (int i = 0; i < 3; ++i) {
        SdlSound sound;
        if (sound.WaveDeviceCount() == 0) GTEST_SKIP() << "no audio device, not even SDL's dummy one";
        ASSERT_TRUE(sound.PlayFile(path, i % 2 == 0));
        if (i == 1) {
            ASSERT_TRUE(sound.PlayFile(path, true)) << "one waiting, one converting";
        }
        if (i == 2) sound.Stop();
    }
}

TEST_F(SdlSoundTest, UnplayableFilesReturnFalseAndStopTheSoundPlaying) {
    const std::string good = dir.Write("good.wav", PcmWav(22050, 1, 22050));
    const std::vector<uint8_t> wav = PcmWav(22050, 1, 100);
    const std::string cut = dir.Write("cut.wav", std::vector<uint8_t>(wav.begin(), wav.begin() + 20));
    const std::string junk = dir.Write("junk.wav", std::vector<uint8_t>(500, 0xA5));
    const std::string empty = dir.Write("empty.wav", {});
    ASSERT_TRUE(sound.PlayFile(good, true));
    EXPECT_FALSE(sound.PlayFile(cut, false));
    EXPECT_FALSE(sound.IsPlaying());
    EXPECT_FALSE(sound.PlayFile(junk, true));
    EXPECT_FALSE(sound.PlayFile(empty, false));
    EXPECT_FALSE(sound.PlayFile(dir.Path() + "/missing.wav", false));
    EXPECT_FALSE(sound.PlayFile(dir.Path(), false));
    EXPECT_FALSE(sound.PlayFile("", false));
    EXPECT_TRUE(sound.PlayFile(good, false));  // still works afterwards
    sound.Stop();
}

TEST_F(SdlSoundTest, VolumeRoundTripsAndStartsFull) {
    EXPECT_EQ(sound.GetVolume(), 0xFFFFFFFFu);
    sound.SetVolume(0x12345678);
    EXPECT_EQ(sound.GetVolume(), 0x12345678u);
    sound.SetVolume(0);
    EXPECT_EQ(sound.GetVolume(), 0u);
}

TEST(SdlSoundSilent, WithoutADeviceTheProgramRunsSilent) {
    // An audio driver that does not exist makes every open fail, as on a machine without sound.
    ScopedEnv driver("SDL_AUDIODRIVER", "no-such-driver");
    {
        SdlSound sound;
        EXPECT_EQ(sound.WaveDeviceCount(), 0);
        ScratchFolder dir;
        EXPECT_FALSE(sound.PlayFile(dir.Write("a.wav", PcmWav(22050, 1, 100)), false));
        EXPECT_FALSE(sound.IsPlaying());
        sound.Stop();
        sound.SetVolume(0x80008000);
        EXPECT_EQ(sound.GetVolume(), 0x80008000u);
    }
}

TEST(SdlMixer, SumsTheChannelsAppliesEachSidesVolumeAndSaturates) {
    const std::vector<int16_t> wave = {1000, -1000, 30000, -30000, 20000, 0, -32768, 32767};
    const std::vector<int16_t> clip = {2000, 500, 10000, -10000, -20000, 0, -32768, 32767};
    EXPECT_EQ(Mixed(wave, clip, 0xFFFFFFFF),
              (std::vector<int16_t>{3000, -500, 32767, -32768, 0, 0, -32768, 32767}));
    // Left at half, right full: the sum is scaled first, so that two loud sounds turned down do not clip.
    EXPECT_EQ(Mixed(wave, clip, 0xFFFF8000),
              (std::vector<int16_t>{1500, -500, 20000, -32768, 0, 0, -32768, 32767}));
    EXPECT_EQ(Mixed(wave, clip, 0x00000000), std::vector<int16_t>(8, 0));
    // Left in the low word, right in the high word.
    EXPECT_EQ(Mixed({1000, 1000}, {0, 0}, 0x0000FFFF), (std::vector<int16_t>{1000, 0}));
    EXPECT_EQ(Mixed({1000, 1000}, {0, 0}, 0xFFFF0000), (std::vector<int16_t>{0, 1000}));
    // One channel alone at full volume comes out unchanged.
    EXPECT_EQ(Mixed(wave, std::vector<int16_t>(8, 0), 0xFFFFFFFF), wave);
}

TEST(ClipChannel, QueuesUpToItsCapacityPlaysInOrderAndPausesAndClears) {
    ClipChannel channel(4);
    const int16_t frames[] = {1, -1, 2, -2, 3, -3, 4, -4, 5, -5, 6, -6};
    EXPECT_EQ(channel.Write(frames, 3), 3u);
    EXPECT_EQ(channel.Write(frames + 6, 3), 1u) << "one frame of room left";
    EXPECT_EQ(channel.Queued(), 4u);
    int16_t out[12];
    channel.Fill(out, 2);
    EXPECT_EQ(std::vector<int16_t>(out, out + 4), (std::vector<int16_t>{1, -1, 2, -2}));
    // The ring goes round: two frames more fit where the first two were.
    EXPECT_EQ(channel.Write(frames + 8, 2), 2u);
    channel.SetPaused(true);
    channel.Fill(out, 3);
    EXPECT_EQ(std::vector<int16_t>(out, out + 6), std::vector<int16_t>(6, 0)) << "paused plays silence";
    EXPECT_EQ(channel.Queued(), 4u) << "and keeps its queue";
    channel.SetPaused(false);
    channel.Fill(out, 6);
    EXPECT_EQ(std::vector<int16_t>(out, out + 12),
              (std::vector<int16_t>{3, -3, 4, -4, 5, -5, 6, -6, 0, 0, 0, 0}))
        << "the queue, then silence";
    EXPECT_EQ(channel.FramesPlayed(), 6u);
    channel.Write(frames, 2);
    channel.Clear();
    EXPECT_EQ(channel.Queued(), 0u);
    channel.Write(frames, 2);
    channel.Close();
    channel.Fill(out, 1);
    EXPECT_EQ(out[0], 0) << "a closed channel plays nothing";
}

TEST(SdlClipStream, PlaysBesideTheWaveSoundAndSurvivesItsStop) {
    SdlSound sound;
    if (sound.WaveDeviceCount() == 0) GTEST_SKIP() << "no audio device, not even SDL's dummy one";
    ScratchFolder dir;
    ASSERT_TRUE(sound.PlayFile(dir.Write("music.wav", StereoWav(44100, 100, 100)), true));
    auto stream = sound.OpenClipStream();
    ASSERT_TRUE(stream);
    EXPECT_EQ(stream->Rate(), kSoundRate);
    EXPECT_EQ(stream->Capacity(), kClipStreamFrames);
    std::vector<int16_t> frames(2 * kClipStreamFrames + 200, 7);
    EXPECT_EQ(stream->Write(frames.data(), kClipStreamFrames + 100), kClipStreamFrames) << "bounded";
    stream->Clear();
    ASSERT_EQ(stream->Write(frames.data(), 4410), 4410u);
    // A new wave sound, or none, leaves the clip's sound alone.
    sound.Stop();
    EXPECT_TRUE(WaitFor([&] { return stream->Queued() == 0; })) << "the device plays the clip's frames";
    EXPECT_FALSE(sound.IsPlaying());

    stream->SetPaused(true);
    ASSERT_EQ(stream->Write(frames.data(), 2000), 2000u);
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    EXPECT_EQ(stream->Queued(), 2000u) << "a paused stream is not played";
    stream->SetPaused(false);
    EXPECT_TRUE(WaitFor([&] { return stream->Queued() == 0; }));
    // Streams come and go while the device plays; closed ones are forgotten.
    for (int i = 0; i < 20; ++i) {
        auto other = sound.OpenClipStream();
        ASSERT_TRUE(other);
        other->Write(frames.data(), 100);
    }
    stream.reset();
}

TEST(SdlClipStream, AStreamOutlivingItsOutputIsHarmless) {
    std::unique_ptr<AudioStream> stream;
    {
        SdlSound sound;
        if (sound.WaveDeviceCount() == 0) GTEST_SKIP() << "no audio device, not even SDL's dummy one";
        stream = sound.OpenClipStream();
        ASSERT_TRUE(stream);
    }
    std::vector<int16_t> frames(200, 1);
    EXPECT_EQ(stream->Write(frames.data(), 100), 100u);
    EXPECT_EQ(stream->Queued(), 100u);
}

TEST(SdlClipStream, WithoutADeviceThereIsNoStream) {
    ScopedEnv driver("SDL_AUDIODRIVER", "no-such-driver");
    SdlSound sound;
    EXPECT_EQ(sound.WaveDeviceCount(), 0);
    EXPECT_EQ(sound.OpenClipStream(), nullptr);
}

// The disk driver writes what the device plays to a file: the wave sound alone, then the wave and a clip
// stream together, with the volume word applied to the sum and the sum saturated.
TEST(SdlClipStream, TheDeviceWritesTheMixOfBothChannelsAtTheVolume) {
    ScratchFolder dir;
    const std::string out = dir.Path() + "/out.raw";
    {
        ScopedEnv driver("SDL_AUDIODRIVER", "disk");
        ScopedEnv file("SDL_DISKAUDIOFILE", out);
        SdlSound sound;
        if (sound.WaveDeviceCount() == 0) GTEST_SKIP() << "SDL has no disk audio driver";
        sound.SetVolume(0xFFFF8000);  // left at half, right full
        ASSERT_TRUE(sound.PlayFile(dir.Write("music.wav", StereoWav(4410, 20000, 30000)), true));
        auto stream = sound.OpenClipStream();
        ASSERT_TRUE(stream);
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        std::vector<int16_t> clip(2 * 8820);
        for (size_t f = 0; f < 8820; ++f) clip[2 * f] = 10000, clip[2 * f + 1] = 10000;
        ASSERT_EQ(stream->Write(clip.data(), 8820), 8820u);
        ASSERT_TRUE(WaitFor([&] { return stream->Queued() == 0; }));
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
    }
    const test_support::Bytes bytes = test_support::ReadFileBytes(out);
    ASSERT_GT(bytes.size(), 4u * 8820u);
    std::multiset<std::pair<int16_t, int16_t>> seen;
    for (size_t i = 0; i + 4 <= bytes.size(); i += 4) {
        int16_t left, right;
        std::memcpy(&left, &bytes[i], 2);
        std::memcpy(&right, &bytes[i + 2], 2);
        seen.insert({left, right});
    }
    // The wave alone: 20000 at half is 10000, 30000 at full stays. Both: 30000 at half is 15000, 40000 at
    // full saturates.
    EXPECT_GE(seen.count({10000, 30000}), 4410u);
    EXPECT_GE(seen.count({15000, 32767}), 8000u);
    EXPECT_LE(seen.count({15000, 32767}), 8820u);
    using Frame = std::pair<int16_t, int16_t>;
    const std::set<Frame> expected = {{10000, 30000}, {15000, 32767}, {0, 0}};
    for (const Frame& frame : seen) EXPECT_TRUE(expected.count(frame)) << frame.first << ", " << frame.second;
}

namespace {

// Passes everything to the real output and counts how often the clip's sound was started again.
class CountingStream : public AudioStream {
  public:
    CountingStream(std::unique_ptr<AudioStream> real, int& clears)
        : real_(std::move(real)), clears_(clears) {}
    int Rate() const override { return real_->Rate(); }
    size_t Capacity() const override { return real_->Capacity(); }
    size_t Write(const int16_t* frames, size_t count) override {
        const size_t n = real_->Write(frames, count);
        written += n;
        return n;
    }
    size_t Queued() const override { return real_->Queued(); }
    void SetPaused(bool paused) override { real_->SetPaused(paused); }
    void Clear() override {
        ++clears_;
        real_->Clear();
    }
    size_t written = 0;

  private:
    std::unique_ptr<AudioStream> real_;
    int& clears_;
};

class CountingSound : public RecordingSound {
  public:
    explicit CountingSound(SdlSound& real) : real_(real) {}
    std::unique_ptr<AudioStream> OpenClipStream() override {
        auto stream = std::make_unique<CountingStream>(real_.OpenClipStream(), clears);
        last = stream.get();
        return stream;
    }
    int clears = 0;
    CountingStream* last = nullptr;

  private:
    SdlSound& real_;
};

}  // namespace

// In real time, pumped as the player's timer pumps it, the clip's sound keeps pace with the picture on
// SDL's device: it is started once and never again, and the device plays what was queued.
TEST(SdlClipStream, AClipPumpedInRealTimeKeepsItsSoundInStep) {
    SdlSound sdl;
    if (sdl.WaveDeviceCount() == 0) GTEST_SKIP() << "no audio device, not even SDL's dummy one";
    CountingSound sound(sdl);
    RecordingMedia media;
    media.script.length = 3000;
    media.script.sound = true;
    media.output = &sound;
    auto clip = media.CreateClip();
    ASSERT_EQ(clip->Open("clip.avi", nullptr), kMediaOk);
    ASSERT_EQ(clip->Play({}), kMediaOk);
    ASSERT_NE(sound.last, nullptr);
    const auto start = std::chrono::steady_clock::now();
    while (std::chrono::steady_clock::now() - start < std::chrono::milliseconds(1500)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(40));
        clip->Pump();
        EXPECT_LE(sound.last->Queued(), size_t(kSoundRate) * 7 / 10);
    }
    // A machine busy with other work may stall a thread once past the tolerance; more is a fault.
    EXPECT_LE(sound.clears, 2);
    const double played = double(sound.last->written - sound.last->Queued()) / kSoundRate;
    EXPECT_NEAR(played, clip->Position() / 1000.0, 0.25);
    EXPECT_GT(clip->Position(), 1400u);
}
