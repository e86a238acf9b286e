#pragma once

#include <chrono>
#include <cstdio>
#include <string>

#include "player/PlayerHost.h"

// `lumeo --trace`: one JSON object per line for each event, so that authors and scripts can follow what
// a title does. "t" is milliseconds since the log was made; strings are UTF-8.
class JsonTraceLog : public PlayerTrace {
  public:
    explicit JsonTraceLog(std::FILE* out) : out_(out), start_(std::chrono::steady_clock::now()) {}

    void Click(int32_t sprite, int32_t action, const std::array<std::string, 4>& arguments) override;
    void Enter(int32_t sprite, int32_t action, const std::string& argument) override;
    void Leave(int32_t sprite, int32_t action, const std::string& argument) override;
    void Sound(const std::string& file, bool loop) override;
    void SoundStop() override;
    void Volume(uint16_t left, uint16_t right, bool muted) override;
    void VideoState(const std::string& file, const std::string& state) override;
    void Dialog(const std::string& name, bool open) override;
    void Shell(const std::string& target, bool opened) override;
    void CardEntered(const std::string& title, int card, int count) override;
    void Exit() override;
    void Screenshot(const std::string& file) override;

    // A JSON string of Windows-1252 bytes, quoted and escaped.
    static std::string Quote(const std::string& cp1252);

  private:
    // A path of this file system, already UTF-8, as a JSON string.
    static std::string QuotePath(const std::string& utf8);
    // Writes {"t":MS,"event":EVENT,REST}.
    void Line(const char* event, const std::string& rest);

    std::FILE* out_;
    std::chrono::steady_clock::time_point start_;
};
