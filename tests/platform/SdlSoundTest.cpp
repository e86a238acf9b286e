#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <thread>

#include "platform/sdl/SdlSound.h"
#include "tests/platform/TestSupport.h"

using namespace platform;
using platform_test::TempDir;

namespace {

void Put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(v & 0xFF);
    out.push_back((v >> 8) & 0xFF);
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}
void PutTag(std::vector<uint8_t>& out, const char* tag) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(tag[i]));
}

// A PCM WAV file: `frames` frames of 16-bit samples, every channel holding `value`.
std::vector<uint8_t> PcmWav(int rate, int channels, size_t frames, int16_t value = 1000) {
    const uint32_t dataBytes = static_cast<uint32_t>(frames * channels * 2);
    std::vector<uint8_t> wav;
    PutTag(wav, "RIFF");
    Put32(wav, 36 + dataBytes);
    PutTag(wav, "WAVE");
    PutTag(wav, "fmt ");
    Put32(wav, 16);
    Put16(wav, 1);  // PCM
    Put16(wav, static_cast<uint32_t>(channels));
    Put32(wav, static_cast<uint32_t>(rate));
    Put32(wav, static_cast<uint32_t>(rate * channels * 2));
    Put16(wav, static_cast<uint32_t>(channels * 2));
    Put16(wav, 16);
    PutTag(wav, "data");
    Put32(wav, dataBytes);
    for (size_t i = 0; i < frames * channels; ++i) Put16(wav, static_cast<uint16_t>(value));
    return wav;
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

class SdlSoundTest : public testing::Test {
  protected:
    void SetUp() override {
        if (sound.WaveDeviceCount() == 0) GTEST_SKIP() << "no audio device, not even SDL's dummy one";
    }
    TempDir dir;
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
    const char* previous = getenv("SDL_AUDIODRIVER");
    std::string saved = previous ? previous : "";
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    {
        SdlSound sound;
        EXPECT_EQ(sound.WaveDeviceCount(), 0);
        TempDir dir;
        EXPECT_FALSE(sound.PlayFile(dir.Write("a.wav", PcmWav(22050, 1, 100)), false));
        EXPECT_FALSE(sound.IsPlaying());
        sound.Stop();
        sound.SetVolume(0x80008000);
        EXPECT_EQ(sound.GetVolume(), 0x80008000u);
    }
    if (previous)
        setenv("SDL_AUDIODRIVER", saved.c_str(), 1);
    else
        unsetenv("SDL_AUDIODRIVER");
}
