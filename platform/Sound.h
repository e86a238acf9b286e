#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// Wave sound output: one sound at a time, as the platform's PlaySound plays it, and the wave-out volume
// (left channel in the low 16 bits, right in the high 16 bits).
class Sound {
public:
    virtual ~Sound() = default;
    // Number of wave-output devices; 0 when the program must run silent.
    virtual int WaveDeviceCount() = 0;
    // Plays a WAV file asynchronously, replacing whatever plays; false when it cannot be played.
    virtual bool PlayFile(const std::string& path, bool loop) = 0;
    // Stops any sound playing.
    virtual void Stop() = 0;
    virtual uint32_t GetVolume() = 0;
    virtual void SetVolume(uint32_t volume) = 0;
};

// Test double and silent backend: records every call.
class RecordingSound : public Sound {
public:
    struct Play {
        std::string path;
        bool loop;
    };
    int WaveDeviceCount() override { return devices; }
    bool PlayFile(const std::string& path, bool loop) override {
        plays.push_back({path, loop});
        playing = path;
        return true;
    }
    void Stop() override {
        ++stops;
        playing.clear();
    }
    uint32_t GetVolume() override { return volume; }
    void SetVolume(uint32_t v) override { volume = v; }

    int devices = 1;
    std::vector<Play> plays;
    std::string playing;
    int stops = 0;
    uint32_t volume = 0xFFFFFFFF;
};

// The sound service every layer plays through; a silent recording backend until a program installs one.
Sound& Sounds();
void SetSound(Sound* sound);

}  // namespace platform
