#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace platform {

// Sounds of rates outside these are damaged files and are refused: a rate of a few frames a second would
// make a small file grow without measure when it is brought to the output's rate.
constexpr int kMinSoundRate = 1000;
constexpr int kMaxSoundRate = 192000;

// A stream of sound that plays beside the wave sound, as a clip's sound track played beside the music and
// the action sounds: the owner queues interleaved 16-bit stereo frames (left, right) at Rate(), and the
// output plays them as they come, with the program's volume, summed with whatever else plays. The queue
// holds at most Capacity() frames; the owner keeps it topped up from its timer. Destroying the stream
// silences it.
class AudioStream {
  public:
    virtual ~AudioStream() = default;
    // Frames a second the output plays.
    virtual int Rate() const = 0;
    virtual size_t Capacity() const = 0;
    // Queues up to `count` frames after those already queued; returns how many it took.
    virtual size_t Write(const int16_t* frames, size_t count) = 0;
    // Frames queued and not yet played.
    virtual size_t Queued() const = 0;
    // A paused stream plays silence and keeps its queue.
    virtual void SetPaused(bool paused) = 0;
    // Drops the queue: what follows plays at once.
    virtual void Clear() = 0;
};

// Wave sound output: one sound at a time, as the platform's PlaySound plays it, and the wave-out volume
// (left channel in the low 16 bits, right in the high 16 bits).
class Sound {
  public:
    virtual ~Sound() = default;
    // Number of wave-output devices; 0 when the program must run silent.
    virtual int WaveDeviceCount() = 0;
    // Plays a WAV file asynchronously, replacing whatever plays; false when it cannot be played.
    virtual bool PlayFile(const std::string& path, bool loop) = 0;
    // Reads and checks ahead a WAV file that PlayFile is about to be asked for, so that it can start it at
    // once. Nothing plays; the next PlayFile forgets it, and uses it only for the same file unchanged.
    virtual void Prepare(const std::string& path) { (void)path; }
    // Stops any sound playing.
    virtual void Stop() = 0;
    virtual uint32_t GetVolume() = 0;
    virtual void SetVolume(uint32_t volume) = 0;
    // A stream that plays beside the wave sound (a clip's sound track), not replaced by PlayFile nor
    // stopped by Stop; nullptr when there is no device to play it on.
    virtual std::unique_ptr<AudioStream> OpenClipStream() { return nullptr; }
};

// What a recording clip stream was given, kept after the stream is gone. Nothing plays by itself: a test
// plays the queue as a device would, with Play.
struct RecordedClipStream {
    int rate = 44100;
    size_t capacity = 44100;
    std::vector<int16_t> queued;  // interleaved frames waiting to be played
    std::vector<int16_t> played;  // everything Play took from the queue, in order
    uint64_t written = 0;         // frames ever taken by Write
    bool paused = false;
    int clears = 0;
    bool closed = false;

    size_t QueuedFrames() const { return queued.size() / 2; }
    size_t PlayedFrames() const { return played.size() / 2; }
    // Plays up to `frames` frames of the queue (none while paused or closed); returns how many.
    size_t Play(size_t frames);
};

// The recording double of a clip stream; the record outlives it.
class RecordingAudioStream : public AudioStream {
  public:
    explicit RecordingAudioStream(std::shared_ptr<RecordedClipStream> record) : record_(std::move(record)) {}
    ~RecordingAudioStream() override { record_->closed = true; }
    int Rate() const override { return record_->rate; }
    size_t Capacity() const override { return record_->capacity; }
    size_t Write(const int16_t* frames, size_t count) override;
    size_t Queued() const override { return record_->QueuedFrames(); }
    void SetPaused(bool paused) override { record_->paused = paused; }
    void Clear() override;

  private:
    std::shared_ptr<RecordedClipStream> record_;
};

// Test double and silent backend: records every call.
class RecordingSound : public Sound {
  public:
    struct Play {
        std::string path;
        bool loop;
        uint32_t volume;  // the output's volume when the sound started
    };
    int WaveDeviceCount() override { return devices; }
    bool PlayFile(const std::string& path, bool loop) override {
        plays.push_back({path, loop, volume});
        playing = path;
        return true;
    }
    void Prepare(const std::string& path) override { prepared.push_back(path); }
    void Stop() override {
        ++stops;
        playing.clear();
    }
    uint32_t GetVolume() override { return volume; }
    void SetVolume(uint32_t v) override { volume = v; }
    // Without a device there is no stream, as on a machine without sound.
    std::unique_ptr<AudioStream> OpenClipStream() override;

    int devices = 1;
    std::vector<Play> plays;
    std::vector<std::string> prepared;  // every file read ahead, in order
    std::string playing;
    int stops = 0;
    uint32_t volume = 0xFFFFFFFF;
    // Every clip stream opened, in order, with the rate and capacity given to the next ones.
    std::vector<std::shared_ptr<RecordedClipStream>> clipStreams;
    int clipRate = 44100;
    size_t clipCapacity = 44100;
};

// The sound service every layer plays through; a silent recording backend until a program installs one.
Sound& Sounds();
void SetSound(Sound* sound);

}  // namespace platform
