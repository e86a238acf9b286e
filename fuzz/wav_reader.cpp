#include <vector>

#include "platform/sdl/SdlSound.h"

// The sound output's WAV reader, on a whole file as it is read from disk, and the player on what it gives.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto samples = platform::DecodeWavToStereo(std::vector<uint8_t>(data, data + size));
    if (!samples) return 0;
    platform::WavePlayer player;
    player.Start(std::move(*samples), false);
    int16_t out[2 * 256];
    player.Fill(out, 256, 0x80008000);
    return 0;
}
