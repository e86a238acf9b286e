#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/File.h"
#include "platform/Sound.h"

namespace platform {

// Every sound is converted to this one format when it is loaded, so the audio callback only copies.
constexpr int kSoundRate = 44100;
constexpr int kSoundChannels = 2;  // interleaved 16-bit left, right

// Decodes a whole WAV file in memory to interleaved 16-bit stereo at kSoundRate. Nothing for input that
// SDL cannot read or that would grow beyond the bounds a title's sound can sensibly have.
std::optional<std::vector<int16_t>> DecodeWavToStereo(const std::vector<uint8_t>& file);

// A WAV file read and checked, its samples still in the file's own format. Reading and checking are quick;
// converting (resampling above all) is the slow part, which is done as the sound plays, a piece at a time.
class WavSource;
struct WavSourceDeleter {
    void operator()(WavSource* source) const;
};
using WavSourcePtr = std::unique_ptr<WavSource, WavSourceDeleter>;
// Nothing for the files DecodeWavToStereo refuses (and for one without a single frame).
WavSourcePtr ReadWav(const std::vector<uint8_t>& file);

// The conversion of a WAV source to interleaved 16-bit stereo at kSoundRate, made as the frames are read:
// the source is handed to SDL's converter a sixteenth of a second at a time, so a sound costs no more to
// start than its first piece, and the device's thread converts only what it is about to play. The frames
// are those of one conversion of the whole sound, each within a step or two of its rounding. The source
// must outlive the stream.
class WaveStream {
  public:
    explicit WaveStream(const WavSource& source);
    ~WaveStream();
    WaveStream(const WaveStream&) = delete;
    WaveStream& operator=(const WaveStream&) = delete;

    // Writes up to `frames` frames to `out`; fewer only when the sound ends (or SDL fails, which ends it).
    size_t Read(int16_t* out, size_t frames);
    // Starts the sound again from its first frame, for a loop.
    void Rewind();
    // SDL could not convert the sound: it ended where it failed.
    bool Failed() const;

  private:
    struct Converter;
    const WavSource& source_;
    std::unique_ptr<Converter> converter_;
};

// Nothing when the memory for the conversion cannot be had, SDL fails it, or `abandoned` (asked between
// pieces) says that nobody wants the sound any more.
std::optional<std::vector<int16_t>> ConvertToStereo(WavSource& source,
                                                    const std::function<bool()>& abandoned = {});

// The sound that plays: its samples, converted already or as they play, where it is, whether it loops.
// Fill is what the audio callback runs.
class WavePlayer {
  public:
    WavePlayer();
    ~WavePlayer();
    WavePlayer(WavePlayer&&) noexcept;
    WavePlayer& operator=(WavePlayer&&) noexcept;

    // Plays samples already in the device's format.
    void Start(std::vector<int16_t> samples, bool loop);
    // Plays a WAV source, converting it as it plays (and again on every pass of a loop).
    void StartConverting(WavSourcePtr source, bool loop);
    void Stop();
    bool Playing() const { return playing_; }
    bool Looping() const { return loop_; }
    // Writes `frames` stereo frames: the sound with the volume applied, silence when it has ended.
    void Fill(int16_t* out, size_t frames, uint32_t volume);
    uint64_t FramesPlayed() const { return played_; }

  private:
    // Up to `frames` frames of the sound from where it is; fewer at its end.
    size_t Next(int16_t* out, size_t frames);
    void Rewind();

    std::vector<int16_t> samples_;
    size_t position_ = 0;  // in frames, of `samples_`
    WavSourcePtr source_;
    std::unique_ptr<WaveStream> stream_;
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
// PlayFile returns at once, as the platform's asynchronous PlaySound did: it reads and checks the file and
// hands it to the device, whose thread converts it to the device's format piece by piece as it plays it
// (WaveStream). A long music therefore starts at once and never takes the user-interface thread, nor a
// processor of its own, while the first card is being shown.
class SdlSound : public Sound {
  public:
    SdlSound();
    ~SdlSound() override;
    SdlSound(const SdlSound&) = delete;
    SdlSound& operator=(const SdlSound&) = delete;

    int WaveDeviceCount() override { return device_ != 0 ? 1 : 0; }
    bool PlayFile(const std::string& path, bool loop) override;
    void Prepare(const std::string& path) override;
    void Stop() override;
    uint32_t GetVolume() override;
    void SetVolume(uint32_t volume) override;
    std::unique_ptr<AudioStream> OpenClipStream() override;

    bool IsPlaying();
    bool IsLooping();
    uint64_t FramesPlayed();

  private:
    static void Callback(void* self, uint8_t* stream, int length);
    void Render(int16_t* out, size_t frames);

    // A file read and checked ahead by Prepare, with the stamp it had then.
    struct Prepared {
        std::string path;
        FileStamp stamp;
        WavSourcePtr source;
    };

    uint32_t device_ = 0;  // SDL_AudioDeviceID; 0 when none could be opened
    std::optional<Prepared> prepared_;
    bool initialised_ = false;
    WavePlayer player_;  // shared with the audio thread: changed only under the device lock
    std::vector<std::shared_ptr<ClipChannel>> channels_;  // the same
    std::atomic<uint32_t> volume_{0xFFFFFFFF};
};

}  // namespace platform
