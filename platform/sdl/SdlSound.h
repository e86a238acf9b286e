#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/Sound.h"

namespace platform {

// Every sound is converted to this one format when it is loaded, so the audio callback only copies.
constexpr int kSoundRate = 44100;
constexpr int kSoundChannels = 2;  // interleaved 16-bit left, right

// Decodes a whole WAV file in memory to interleaved 16-bit stereo at kSoundRate. Nothing for input that
// SDL cannot read or that would grow beyond the bounds a title's sound can sensibly have.
std::optional<std::vector<int16_t>> DecodeWavToStereo(const std::vector<uint8_t>& file);

// The sound that plays: its samples, where it is, whether it loops. Fill is what the audio callback runs.
class WavePlayer {
  public:
    void Start(std::vector<int16_t> samples, bool loop);
    void Stop();
    bool Playing() const { return playing_; }
    bool Looping() const { return loop_; }
    // Writes `frames` stereo frames: the sound with the volume applied, silence when it has ended.
    void Fill(int16_t* out, size_t frames, uint32_t volume);
    uint64_t FramesPlayed() const { return played_; }

  private:
    std::vector<int16_t> samples_;
    size_t position_ = 0;  // in frames
    uint64_t played_ = 0;
    bool loop_ = false;
    bool playing_ = false;
};

// Wave output on SDL's audio subsystem, one sound at a time. Without an audio device it runs silent:
// WaveDeviceCount is 0 and PlayFile returns false.
class SdlSound : public Sound {
  public:
    SdlSound();
    ~SdlSound() override;
    SdlSound(const SdlSound&) = delete;
    SdlSound& operator=(const SdlSound&) = delete;

    int WaveDeviceCount() override { return device_ != 0 ? 1 : 0; }
    bool PlayFile(const std::string& path, bool loop) override;
    void Stop() override;
    uint32_t GetVolume() override;
    void SetVolume(uint32_t volume) override;

    bool IsPlaying();
    bool IsLooping();
    uint64_t FramesPlayed();

  private:
    static void Callback(void* self, uint8_t* stream, int length);

    uint32_t device_ = 0;  // SDL_AudioDeviceID; 0 when none could be opened
    bool initialised_ = false;
    WavePlayer player_;  // shared with the audio thread: changed only under the device lock
    std::atomic<uint32_t> volume_{0xFFFFFFFF};
};

}  // namespace platform
