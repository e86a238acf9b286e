#pragma once

#include <memory>

#include "platform/Media.h"

namespace platform {

// Clips decoded with FFmpeg (libavformat, libavcodec, libswscale). Only AVI files are opened, as the
// platform's video device opened only those, and only through the file protocol: a hostile name or file
// cannot make the demuxer reach anything else. Decoding runs on the calling thread. Sound tracks are not
// decoded.
class FfmpegMedia : public MediaFactory {
  public:
    FfmpegMedia();
    std::unique_ptr<MediaClip> CreateClip() override;
};

// The decoding half alone, for the fuzz target and the tests of exact seeking.
std::unique_ptr<MediaSource> CreateFfmpegSource();

}  // namespace platform
