#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/ffmpeg/FfmpegMedia.h"

// The media layer opens clips by name, as the demuxer reads files, so each input goes through a file.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path =
        (std::filesystem::temp_directory_path() / ("lumeo-fuzz-" + std::to_string(getpid()) + ".avi"))
            .string();
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        if (size) std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    auto source = platform::CreateFfmpegSource();
    std::string text;
    if (source->Open(path, text) == platform::kMediaOk) {
        source->SeekTo(source->Length() / 2, text);
        source->DecodeUntil(source->Length());
        source->SeekTo(0, text);
        // The sound track, from the middle and from the top, a few seconds' worth at most.
        int16_t sound[2 * 4096];
        for (uint32_t ms : {source->Length() / 2, 0u})
            if (source->StartSound(ms, 44100))
                for (int piece = 0; piece < 40 && source->ReadSound(sound, 4096) == 4096; ++piece) {
                }
    }
    std::remove(path.c_str());
    return 0;
}
