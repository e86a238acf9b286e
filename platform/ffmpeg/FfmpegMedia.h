#pragma once

#include <memory>

#include "platform/Media.h"

namespace platform {

// Clips decoded with FFmpeg (libavformat, libavcodec, libswscale, libswresample). Only AVI files are
// opened, as the platform's video device opened only those, and only through the file protocol: a hostile
// name or file cannot make the demuxer reach anything else. Decoding runs on the calling thread. The sound
// track (PCM, MS ADPCM, IMA ADPCM, whatever FFmpeg decodes) plays through `output`'s clip stream, or
// through the installed sound service when none is given.
class FfmpegMedia : public MediaFactory {
  public:
    explicit FfmpegMedia(Sound* output = nullptr);
    std::unique_ptr<MediaClip> CreateClip() override;

  private:
    Sound* output_;
};

// The decoding half alone, for the fuzz target and the tests of exact seeking.
std::unique_ptr<MediaSource> CreateFfmpegSource();

}  // namespace platform
