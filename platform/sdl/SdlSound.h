#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/Sound.h"

namespace platform {

// Every sound is converted to this one format when it is loaded, so the audio callback only copies.
constexpr int kSoundRate = 44100;
constexpr int kSoundChannels = 2;  // interleaved 16-bit left, right

// Decodes a whole WAV file in memory to interleaved 16-bit stereo at kSoundRate. Nothing for input that
// SDL cannot read or that would grow beyond the bounds a title's sound can sensibly have.
std::optional<std::vector<int16_t>> DecodeWavToStereo(const std::vector<uint8_t>& file);

// A WAV file read and checked, its samples still in the file's own format. Reading and checking are quick;
// converting (resampling above all) is the slow part, which SdlSound leaves to its converting thread.
class WavSource;
struct WavSourceDeleter {
    void operator()(WavSource* source) const;
};
using WavSourcePtr = std::unique_ptr<WavSource, WavSourceDeleter>;
// Nothing for the files DecodeWavToStereo refuses (and for one without a single frame).
WavSourcePtr ReadWav(const std::vector<uint8_t>& file);
// Nothing when the memory for the conversion cannot be had, SDL fails it, or `abandoned` (asked between
// pieces) says that nobody wants the sound any more.
std::optional<std::vector<int16_t>> ConvertToStereo(WavSource& source,
                                                    const std::function<bool()>& abandoned = {});

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

// The queue of one clip stream on the output: a ring of stereo frames of fixed size, written by the
// user-interface thread and played by the audio thread, both under the channel's own lock, held only to
// copy frames.
class ClipChannel {
  public:
    explicit ClipChannel(size_t capacity);
    size_t Capacity() const { return capacity_; }
    // Queues up to `count` frames; returns how many fitted.
    size_t Write(const int16_t* frames, size_t count);
    size_t Queued() const;
    void Clear();
    void SetPaused(bool paused);
    // Writes `frames` frames: the queued ones first, silence after them, and only silence while paused or
    // closed.
    void Fill(int16_t* out, size_t frames);
    // A closed channel plays nothing more; the output forgets it.
    void Close() { closed_ = true; }
    bool Closed() const { return closed_; }
    uint64_t FramesPlayed() const;

  private:
    mutable std::mutex mutex_;
    std::vector<int16_t> ring_;
    size_t capacity_;
    size_t head_ = 0;  // the oldest queued frame
    size_t count_ = 0;
    bool paused_ = false;
    uint64_t played_ = 0;
    std::atomic<bool> closed_{false};
};

// The mixer of the output. Each channel's frames are added into 32-bit sums; the sums are then scaled by the
// volume word (left channel in the low 16 bits, right in the high 16 bits, 0xFFFF full) and saturated to 16
// bits, as the platform's mixer clipped two loud sounds instead of letting them wrap round.
void AddToMix(int32_t* sums, const int16_t* frames, size_t count);
void FinishMix(const int32_t* sums, int16_t* out, size_t count, uint32_t volume);

// Frames a clip stream can hold queued: one second, twice what the media layer keeps ahead.
constexpr size_t kClipStreamFrames = kSoundRate;

// Wave output on SDL's audio subsystem, one sound at a time, mixed with the clip streams that play beside
// it. Without an audio device it runs silent: WaveDeviceCount is 0, PlayFile returns false and
// OpenClipStream nullptr.
//
// PlayFile returns at once, as the platform's asynchronous PlaySound did: it reads and checks the file, and
// a thread of the output's own converts it to the device's format and then starts it. From the caller's
// side the sound plays from the moment PlayFile returns true (IsPlaying, IsLooping); a Stop or a newer
// sound makes a conversion still running forgotten when it ends.
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
    std::unique_ptr<AudioStream> OpenClipStream() override;

    bool IsPlaying();
    bool IsLooping();
    uint64_t FramesPlayed();

  private:
    struct Conversion {
        uint64_t generation = 0;
        WavSourcePtr source;
        bool loop = false;
    };

    static void Callback(void* self, uint8_t* stream, int length);
    void Render(int16_t* out, size_t frames);
    void Convert();  // the converting thread

    uint32_t device_ = 0;  // SDL_AudioDeviceID; 0 when none could be opened
    bool initialised_ = false;
    WavePlayer player_;  // shared with the audio thread: changed only under the device lock
    // Under the device lock too: every PlayFile and Stop counts one up, so that the converting thread can
    // tell whether the sound it converted is still the one wanted; `pending_` while that sound converts.
    uint64_t generation_ = 0;
    bool pending_ = false;
    bool pendingLoop_ = false;
    // The sound waiting for the converting thread; only the newest waits.
    std::mutex conversionMutex_;
    std::condition_variable conversionReady_;
    std::optional<Conversion> conversion_;
    bool quitting_ = false;
    std::thread converter_;
    std::vector<std::shared_ptr<ClipChannel>> channels_;  // the same
    std::atomic<uint32_t> volume_{0xFFFFFFFF};
};

}  // namespace platform
