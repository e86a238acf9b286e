#include "platform/Sound.h"

namespace platform {

namespace {
RecordingSound silent;
Sound* current = nullptr;
}  // namespace

Sound& Sounds() { return current ? *current : silent; }
void SetSound(Sound* sound) { current = sound; }

}  // namespace platform
