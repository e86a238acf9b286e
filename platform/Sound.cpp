#include "platform/Sound.h"

#include <algorithm>

namespace platform {

namespace {
RecordingSound silent;
Sound* current = nullptr;
}  // namespace

Sound& Sounds() {
    return current ? *current : silent;
}
void SetSound(Sound* sound) {
    current = sound;
}

size_t RecordedClipStream::Play(size_t frames) {
    if (paused || closed) return 0;
    const size_t n = std::min(frames, QueuedFrames());
    played.insert(played.end(), queued.begin(), queued.begin() + std::ptrdiff_t(2 * n));
    queued.erase(queued.begin(), queued.begin() + std::ptrdiff_t(2 * n));
    return n;
}

size_t RecordingAudioStream::Write(const int16_t* frames, size_t count) {
    RecordedClipStream& r = *record_;
    const size_t room = r.capacity > r.QueuedFrames() ? r.capacity - r.QueuedFrames() : 0;
    const size_t n = std::min(count, room);
    r.queued.insert(r.queued.end(), frames, frames + 2 * n);
    r.written += n;
    return n;
}

void RecordingAudioStream::Clear() {
    record_->queued.clear();
    ++record_->clears;
}

std::unique_ptr<AudioStream> RecordingSound::OpenClipStream() {
    if (devices <= 0) return nullptr;
    auto record = std::make_shared<RecordedClipStream>();
    record->rate = clipRate;
    record->capacity = clipCapacity;
    clipStreams.push_back(record);
    return std::make_unique<RecordingAudioStream>(std::move(record));
}

}  // namespace platform
