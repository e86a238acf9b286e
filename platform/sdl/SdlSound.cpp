#include "platform/sdl/SdlSound.h"

#include <SDL.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <new>
#include <utility>

#include "platform/File.h"

namespace platform {

namespace {

// A title's sound is a jingle or a few minutes of music; anything far beyond is a damaged file, and
// refusing it keeps a lying length from taking the machine's memory.
constexpr uint64_t kMaxWavFileBytes = 64ull << 20;
constexpr uint64_t kMaxDecodedBytes = 256ull << 20;
constexpr int kDeviceFrames = 2048;

// The audio thread mixes in pieces of this many frames, on its stack.
constexpr size_t kMixFrames = 512;

struct WavDeleter {
    void operator()(Uint8* b) const { SDL_FreeWAV(b); }
};

std::optional<std::vector<uint8_t>> ReadWholeFile(const std::string& path) {
    DiskFile file;
    if (file.Open(path, DiskFile::Mode::read) != FileError::none) return std::nullopt;
    const uint64_t length = file.Length();
    if (length == 0 || length > kMaxWavFileBytes) return std::nullopt;
    std::vector<uint8_t> bytes(static_cast<size_t>(length));
    try {
        bytes.resize(file.Read(bytes.data(), bytes.size()));
    } catch (const FileException&) {
        return std::nullopt;
    }
    return bytes;
}

// A clip stream of the SDL output. The channel is shared with the output, so either may go first.
class SdlClipStream : public AudioStream {
  public:
    explicit SdlClipStream(std::shared_ptr<ClipChannel> channel) : channel_(std::move(channel)) {}
    ~SdlClipStream() override { channel_->Close(); }
    int Rate() const override { return kSoundRate; }
    size_t Capacity() const override { return channel_->Capacity(); }
    size_t Write(const int16_t* frames, size_t count) override { return channel_->Write(frames, count); }
    size_t Queued() const override { return channel_->Queued(); }
    void SetPaused(bool paused) override { channel_->SetPaused(paused); }
    void Clear() override { channel_->Clear(); }

  private:
    std::shared_ptr<ClipChannel> channel_;
};

uint32_t Get32(const std::vector<uint8_t>& b, size_t at) {
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}

void Put32(std::vector<uint8_t>& b, size_t at, uint64_t v) {
    for (int i = 0; i < 4; ++i) b[at + size_t(i)] = uint8_t(v >> (8 * i));
}

// A RIFF file of the WAVE form. SDL also reads files that lack the RIFF header; the platform's sound
// service did not, and such files are refused here.
bool IsWaveFile(const std::vector<uint8_t>& file) {
    return file.size() >= 12 && std::memcmp(file.data(), "RIFF", 4) == 0 &&
           std::memcmp(file.data() + 8, "WAVE", 4) == 0;
}

// SDL's WAV reader allocates each chunk at the length its header claims before reading it, so that a few
// bytes claiming two gigabytes would take them. The lengths are cut here to what the file holds, in a copy
// made only when one lies.
const std::vector<uint8_t>& WithTrueChunkLengths(const std::vector<uint8_t>& file,
                                                 std::vector<uint8_t>& copy) {
    const std::vector<uint8_t>* bytes = &file;
    auto fit = [&](size_t field, uint64_t length) {
        if (Get32(*bytes, field) <= length) return;
        if (bytes != &copy) copy = file, bytes = &copy;
        Put32(copy, field, length);
    };
    fit(4, file.size() - 8);
    for (size_t at = 12; at + 8 <= file.size();) {
        const uint64_t room = file.size() - (at + 8);
        fit(at + 4, room);
        const uint64_t length = Get32(*bytes, at + 4);
        at += 8 + size_t(length) + size_t(length & 1);
    }
    return *bytes;
}

int16_t Saturate(int64_t v) {
    return static_cast<int16_t>(std::clamp<int64_t>(v, INT16_MIN, INT16_MAX));
}

}  // namespace

ClipChannel::ClipChannel(size_t capacity) : ring_(capacity * kSoundChannels), capacity_(capacity) {}

size_t ClipChannel::Write(const int16_t* frames, size_t count) {
    std::lock_guard<std::mutex> lock(mutex_);
    const size_t n = std::min(count, capacity_ - count_);
    for (size_t i = 0; i < n; ++i) {
        const size_t at = (head_ + count_ + i) % capacity_;
        ring_[2 * at] = frames[2 * i];
        ring_[2 * at + 1] = frames[2 * i + 1];
    }
    count_ += n;
    return n;
}

size_t ClipChannel::Queued() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return count_;
}

void ClipChannel::Clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    head_ = count_ = 0;
}

void ClipChannel::SetPaused(bool paused) {
    std::lock_guard<std::mutex> lock(mutex_);
    paused_ = paused;
}

uint64_t ClipChannel::FramesPlayed() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return played_;
}

void ClipChannel::Fill(int16_t* out, size_t frames) {
    std::lock_guard<std::mutex> lock(mutex_);
    const size_t n = paused_ || closed_ ? 0 : std::min(frames, count_);
    for (size_t i = 0; i < n; ++i) {
        const size_t at = (head_ + i) % capacity_;
        out[2 * i] = ring_[2 * at];
        out[2 * i + 1] = ring_[2 * at + 1];
    }
    std::fill(out + 2 * n, out + 2 * frames, int16_t{0});
    if (n > 0) head_ = (head_ + n) % capacity_;
    count_ -= n;
    played_ += n;
}

void AddToMix(int32_t* sums, const int16_t* frames, size_t count) {
    for (size_t i = 0; i < count * kSoundChannels; ++i) sums[i] += frames[i];
}

void FinishMix(const int32_t* sums, int16_t* out, size_t count, uint32_t volume) {
    const int64_t left = volume & 0xFFFF;
    const int64_t right = volume >> 16;
    for (size_t f = 0; f < count; ++f) {
        out[2 * f] = Saturate(sums[2 * f] * left / 0xFFFF);
        out[2 * f + 1] = Saturate(sums[2 * f + 1] * right / 0xFFFF);
    }
}

class WavSource {
  public:
    std::unique_ptr<Uint8, WavDeleter> pcm;
    size_t whole = 0;        // bytes of PCM, whole frames only
    SDL_AudioSpec format{};  // the file's own sample format, rate and channels
    size_t frameBytes = 0;
    bool deviceFormat = false;  // already interleaved 16-bit stereo at kSoundRate
    size_t outFrames = 0;       // the frames the conversion leaves
};

void WavSourceDeleter::operator()(WavSource* source) const {
    delete source;
}

WavSourcePtr ReadWav(const std::vector<uint8_t>& given) {
    if (!IsWaveFile(given) || given.size() > kMaxWavFileBytes) return nullptr;
    std::vector<uint8_t> copy;
    const std::vector<uint8_t>& file = WithTrueChunkLengths(given, copy);
    SDL_RWops* rw = SDL_RWFromConstMem(file.data(), static_cast<int>(file.size()));
    if (!rw) return nullptr;
    SDL_AudioSpec source{};
    Uint8* raw = nullptr;
    Uint32 length = 0;
    if (!SDL_LoadWAV_RW(rw, 1, &source, &raw, &length)) return nullptr;
    WavSourcePtr wav(new WavSource);
    wav->pcm.reset(raw);
    const int frameBytes = static_cast<int>(SDL_AUDIO_BITSIZE(source.format) / 8) * source.channels;
    if (frameBytes <= 0 || source.freq < kMinSoundRate || source.freq > kMaxSoundRate) return nullptr;
    const uint64_t frames = length / static_cast<uint64_t>(frameBytes);
    const uint64_t outFrames = frames * kSoundRate / static_cast<uint64_t>(source.freq) + 1;
    if (outFrames * kSoundChannels * sizeof(int16_t) > kMaxDecodedBytes) return nullptr;

    // Refused as before: what SDL cannot convert, and what its one-call conversion could not have held.
    SDL_AudioCVT cvt{};
    const int needed = SDL_BuildAudioCVT(&cvt, source.format, source.channels, source.freq, AUDIO_S16SYS,
                                         kSoundChannels, kSoundRate);
    if (needed < 0) return nullptr;
    const uint64_t whole = frames * static_cast<uint64_t>(frameBytes);
    const uint64_t workBytes = whole * static_cast<uint64_t>(std::max(1, cvt.len_mult));
    if (workBytes > kMaxDecodedBytes || whole > static_cast<uint64_t>(INT32_MAX)) return nullptr;
    wav->whole = static_cast<size_t>(whole);
    wav->format = source;
    wav->frameBytes = static_cast<size_t>(frameBytes);
    wav->deviceFormat = needed == 0;
    // As many frames as SDL's resampler makes of the sound: its rate ratio, in its precision, truncated.
    const double ratio =
        static_cast<double>(static_cast<float>(kSoundRate) / static_cast<float>(source.freq));
    wav->outFrames = wav->deviceFormat ? static_cast<size_t>(frames)
                                       : static_cast<size_t>(static_cast<double>(frames) * ratio);
    return wav;
}

namespace {

struct StreamDeleter {
    void operator()(SDL_AudioStream* stream) const { SDL_FreeAudioStream(stream); }
};

// The piece of sound handed to the converter at once, a sixteenth of a second: the least a sound costs
// to start, and the most the device's thread converts in one go.
constexpr int kConvertPiecesPerSecond = 16;
// Silence fed after the sound, more than the resampler's filter reaches, so that it gives out the sound's
// last frames; what it makes of the silence is cut off.
constexpr size_t kTailFrames = 4096;
constexpr size_t kStereoFrameBytes = kSoundChannels * sizeof(int16_t);

}  // namespace

// SDL's audio stream keeps the resampler's history between pieces, so the pieces join without a seam.
struct WaveStream::Converter {
    std::unique_ptr<SDL_AudioStream, StreamDeleter> stream;
    size_t fed = 0;        // bytes of the source handed to the stream (or copied, in the device's format)
    size_t produced = 0;   // frames given out
    bool flushed = false;  // the whole source and the tail are in the stream
    bool failed = false;
};

WaveStream::WaveStream(const WavSource& source) : source_(source), converter_(std::make_unique<Converter>()) {
    Rewind();
}

WaveStream::~WaveStream() = default;

bool WaveStream::Failed() const {
    return converter_->failed;
}

void WaveStream::Rewind() {
    *converter_ = Converter{};
    if (source_.deviceFormat) return;
    converter_->stream.reset(SDL_NewAudioStream(source_.format.format, source_.format.channels,
                                                source_.format.freq, AUDIO_S16SYS, kSoundChannels,
                                                kSoundRate));
    converter_->failed = !converter_->stream;
}

size_t WaveStream::Read(int16_t* out, size_t frames) {
    Converter& c = *converter_;
    // Never more than the frames one conversion of the whole sound gives; the rest is the tail's echo.
    frames = std::min(frames, source_.outFrames - std::min(c.produced, source_.outFrames));
    if (c.failed || frames == 0) return 0;
    if (source_.deviceFormat) {
        const size_t n = std::min(frames, (source_.whole - c.fed) / kStereoFrameBytes);
        std::memcpy(out, source_.pcm.get() + c.fed, n * kStereoFrameBytes);
        c.fed += n * kStereoFrameBytes;
        c.produced += n;
        return n;
    }
    const size_t pieceBytes =
        static_cast<size_t>(std::max(1, source_.format.freq / kConvertPiecesPerSecond)) * source_.frameBytes;
    size_t got = 0;
    while (got < frames) {
        const int available = SDL_AudioStreamAvailable(c.stream.get());
        if (available >= static_cast<int>(kStereoFrameBytes) || (c.flushed && available > 0)) {
            const size_t want = std::min(frames - got, static_cast<size_t>(available) / kStereoFrameBytes);
            const int read = SDL_AudioStreamGet(c.stream.get(), out + got * kSoundChannels,
                                                static_cast<int>(want * kStereoFrameBytes));
            if (read <= 0) break;
            got += static_cast<size_t>(read) / kStereoFrameBytes;
            continue;
        }
        if (c.flushed) break;
        int status = 0;
        if (c.fed < source_.whole) {
            const size_t n = std::min(pieceBytes, source_.whole - c.fed);
            status = SDL_AudioStreamPut(c.stream.get(), source_.pcm.get() + c.fed, static_cast<int>(n));
            c.fed += n;
        } else {
            const std::vector<Uint8> silence(kTailFrames * source_.frameBytes, source_.format.silence);
            status = SDL_AudioStreamPut(c.stream.get(), silence.data(), static_cast<int>(silence.size()));
            if (status == 0) status = SDL_AudioStreamFlush(c.stream.get());
            c.flushed = true;
        }
        if (status != 0) {
            c.failed = true;
            break;
        }
    }
    c.produced += got;
    return got;
}

std::optional<std::vector<int16_t>> ConvertToStereo(WavSource& wav, const std::function<bool()>& abandoned) {
    std::vector<int16_t> out;
    try {
        out.resize(wav.outFrames * kSoundChannels);
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
    WaveStream stream(wav);
    const size_t piece = kSoundRate / kConvertPiecesPerSecond;
    size_t done = 0;
    while (done < wav.outFrames) {
        if (abandoned && abandoned()) return std::nullopt;
        const size_t want = std::min(piece, wav.outFrames - done);
        const size_t got = stream.Read(out.data() + done * kSoundChannels, want);
        done += got;
        if (got < want) break;
    }
    if (stream.Failed()) return std::nullopt;
    out.resize(done * kSoundChannels);
    return out;
}

std::optional<std::vector<int16_t>> DecodeWavToStereo(const std::vector<uint8_t>& file) {
    WavSourcePtr wav = ReadWav(file);
    if (!wav) return std::nullopt;
    return ConvertToStereo(*wav);
}

WavePlayer::WavePlayer() = default;
WavePlayer::~WavePlayer() = default;
WavePlayer::WavePlayer(WavePlayer&&) noexcept = default;
WavePlayer& WavePlayer::operator=(WavePlayer&&) noexcept = default;

void WavePlayer::Start(std::vector<int16_t> samples, bool loop) {
    stream_.reset();
    source_.reset();
    samples_ = std::move(samples);
    position_ = 0;
    played_ = 0;
    loop_ = loop;
    playing_ = samples_.size() >= kSoundChannels;
}

void WavePlayer::StartConverting(WavSourcePtr source, bool loop) {
    samples_.clear();
    position_ = 0;
    stream_.reset();
    source_ = std::move(source);
    if (source_) stream_ = std::make_unique<WaveStream>(*source_);
    played_ = 0;
    loop_ = loop;
    playing_ = source_ && source_->outFrames > 0;
}

void WavePlayer::Stop() {
    playing_ = false;
    loop_ = false;
    samples_.clear();
    position_ = 0;
    stream_.reset();
    source_.reset();
}

size_t WavePlayer::Next(int16_t* out, size_t frames) {
    if (stream_) return stream_->Read(out, frames);
    const size_t n = std::min(frames, samples_.size() / kSoundChannels - position_);
    std::copy_n(samples_.begin() + static_cast<std::ptrdiff_t>(position_ * kSoundChannels),
                n * kSoundChannels, out);
    position_ += n;
    return n;
}

void WavePlayer::Rewind() {
    if (stream_) stream_->Rewind();
    position_ = 0;
}

void WavePlayer::Fill(int16_t* out, size_t frames, uint32_t volume) {
    const int32_t left = static_cast<int32_t>(volume & 0xFFFF);
    const int32_t right = static_cast<int32_t>(volume >> 16);
    size_t done = 0;
    // A pass that gives nothing after a rewind has nothing to loop over: it ends rather than spins.
    bool rewound = false;
    while (playing_ && done < frames) {
        const size_t n = Next(out + done * kSoundChannels, frames - done);
        for (size_t i = done * kSoundChannels; i < (done + n) * kSoundChannels; i += 2) {
            out[i] = static_cast<int16_t>(out[i] * left / 0xFFFF);
            out[i + 1] = static_cast<int16_t>(out[i + 1] * right / 0xFFFF);
        }
        done += n;
        played_ += n;
        if (done == frames) break;
        if (loop_ && !(rewound && n == 0)) {
            Rewind();
            rewound = n == 0;
        } else {
            playing_ = false;
        }
    }
    std::fill(out + done * kSoundChannels, out + frames * kSoundChannels, int16_t{0});
}

SdlSound::SdlSound() {
    // SDL would otherwise take SIGINT and SIGTERM for an event queue nobody reads, and the program could
    // then no longer be ended by the system.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return;
    initialised_ = true;
    SDL_AudioSpec want{};
    want.freq = kSoundRate;
    want.format = AUDIO_S16SYS;
    want.channels = kSoundChannels;
    want.samples = kDeviceFrames;
    want.callback = &SdlSound::Callback;
    want.userdata = this;
    SDL_AudioSpec have{};
    // No changes allowed: SDL converts to whatever the hardware wants, and the callback keeps one format.
    device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (device_ == 0) return;
    SDL_PauseAudioDevice(device_, 0);
}

SdlSound::~SdlSound() {
    if (device_ != 0) SDL_CloseAudioDevice(device_);
    if (initialised_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void SdlSound::Callback(void* self, uint8_t* stream, int length) {
    const size_t frames = static_cast<size_t>(length) / (sizeof(int16_t) * kSoundChannels);
    static_cast<SdlSound*>(self)->Render(reinterpret_cast<int16_t*>(stream), frames);
}

// Runs on the audio thread with the device locked: the wave sound and every clip stream, summed.
void SdlSound::Render(int16_t* out, size_t frames) {
    int32_t sums[kMixFrames * kSoundChannels];
    int16_t part[kMixFrames * kSoundChannels];
    const uint32_t volume = volume_.load();
    for (size_t done = 0; done < frames;) {
        const size_t n = std::min(kMixFrames, frames - done);
        std::fill(sums, sums + n * kSoundChannels, 0);
        player_.Fill(part, n, 0xFFFFFFFF);
        AddToMix(sums, part, n);
        for (const auto& channel : channels_) {
            if (channel->Closed()) continue;
            channel->Fill(part, n);
            AddToMix(sums, part, n);
        }
        FinishMix(sums, out + done * kSoundChannels, n, volume);
        done += n;
    }
}

void SdlSound::Prepare(const std::string& path) {
    prepared_.reset();
    if (device_ == 0 || path.empty()) return;
    // Only a file that has settled is worth preparing: a change to it after this shows in its stamp.
    const std::optional<FileStamp> before = StampOf(path);
    if (!before || !before->Settled()) return;
    auto bytes = ReadWholeFile(path);
    if (!bytes) return;
    WavSourcePtr source = ReadWav(*bytes);
    if (!source || source->whole == 0 || StampOf(path) != before) return;
    prepared_ = Prepared{path, *before, std::move(source)};
}

bool SdlSound::PlayFile(const std::string& path, bool loop) {
    Stop();
    std::optional<Prepared> prepared = std::exchange(prepared_, std::nullopt);
    if (device_ == 0 || path.empty()) return false;
    WavSourcePtr source;
    if (prepared && prepared->path == path && StampOf(path) == prepared->stamp) {
        source = std::move(prepared->source);
    } else {
        auto bytes = ReadWholeFile(path);
        if (!bytes) return false;
        source = ReadWav(*bytes);
    }
    if (!source || source->whole == 0) return false;
    WavePlayer next;
    next.StartConverting(std::move(source), loop);
    SDL_LockAudioDevice(device_);
    std::swap(next, player_);
    SDL_UnlockAudioDevice(device_);
    // What played before (only silence by now, after the Stop) is freed here, outside the lock.
    return true;
}

void SdlSound::Stop() {
    if (device_ == 0) return;
    WavePlayer finished;
    SDL_LockAudioDevice(device_);
    std::swap(finished, player_);
    SDL_UnlockAudioDevice(device_);
    // The old sound is freed here, outside the lock, so the audio thread never waits on it.
}

uint32_t SdlSound::GetVolume() {
    return volume_.load();
}
void SdlSound::SetVolume(uint32_t volume) {
    volume_.store(volume);
}

std::unique_ptr<AudioStream> SdlSound::OpenClipStream() {
    if (device_ == 0) return nullptr;
    auto channel = std::make_shared<ClipChannel>(kClipStreamFrames);
    SDL_LockAudioDevice(device_);
    // The streams closed since the last open are forgotten here, on this thread, not by the audio thread.
    std::erase_if(channels_, [](const std::shared_ptr<ClipChannel>& c) { return c->Closed(); });
    channels_.push_back(channel);
    SDL_UnlockAudioDevice(device_);
    return std::make_unique<SdlClipStream>(std::move(channel));
}

bool SdlSound::IsPlaying() {
    if (device_ == 0) return false;
    SDL_LockAudioDevice(device_);
    bool playing = player_.Playing();
    SDL_UnlockAudioDevice(device_);
    return playing;
}

bool SdlSound::IsLooping() {
    if (device_ == 0) return false;
    SDL_LockAudioDevice(device_);
    bool looping = player_.Playing() && player_.Looping();
    SDL_UnlockAudioDevice(device_);
    return looping;
}

uint64_t SdlSound::FramesPlayed() {
    if (device_ == 0) return 0;
    SDL_LockAudioDevice(device_);
    uint64_t played = player_.FramesPlayed();
    SDL_UnlockAudioDevice(device_);
    return played;
}

}  // namespace platform
