#include "platform/Media.h"

#include <algorithm>

#include "platform/DibStride.h"

namespace platform {

namespace {

struct ErrorEntry {
    uint32_t code;
    const char* text;
};

// The texts of the errors the layer reports, in the language of the player's users.
constexpr ErrorEntry kErrorTexts[] = {
    {kMediaErrorInvalidDeviceId,
     "Identificador de dispositivo MCI no válido. Use el identificador devuelto al abrir el dispositivo "
     "MCI."},
    {kMediaErrorOutOfMemory,
     "No hay suficiente memoria disponible para esta tarea. Cierre una o más aplicaciones para aumentar la "
     "memoria disponible e inténtelo de nuevo."},
    {kMediaErrorCannotLoadDriver, "No se puede cargar el controlador del dispositivo especificado."},
    {kMediaErrorUnsupportedFunction, "El controlador del dispositivo MCI no admite el comando especificado."},
    {kMediaErrorFileNotFound,
     "No se encuentra el archivo especificado. Asegúrese de que la ruta de acceso y el nombre de archivo son "
     "correctos."},
    {kMediaErrorDeviceNotReady, "El controlador del dispositivo no está preparado."},
    {kMediaErrorOutOfRange,
     "El valor especificado está fuera del intervalo permitido para el comando especificado."},
    {kMediaErrorBadTimeFormat, "El formato de hora especificado no es válido."},
    {kMediaErrorInvalidFile,
     "El archivo especificado no se puede reproducir en el dispositivo MCI especificado. Puede que el "
     "archivo "
     "esté dañado o que su formato no sea el correcto."},
};

uint32_t NextWindowHandle() {
    static uint32_t last = 0;
    if (++last == 0) ++last;
    return last;
}

std::string OptionalText(const std::optional<uint32_t>& value) {
    return value ? std::to_string(*value) : "-";
}

// The source of a program that installed no media backend.
class NoSource : public MediaSource {
  public:
    uint32_t Open(const std::string&, std::string& text) override {
        MediaErrorString(kMediaErrorCannotLoadDriver, text);
        text += " Este programa no tiene reproductor de vídeo.";
        return kMediaErrorCannotLoadDriver;
    }
    void Close() override {}
    Size FrameSize() const override { return {}; }
    uint32_t Length() const override { return 0; }
    uint32_t SeekTo(uint32_t, std::string&) override { return kMediaErrorDeviceNotReady; }
    bool DecodeUntil(uint32_t) override { return false; }
    DibView Picture() const override { return {}; }
};

// The test double's source: a clip of solid pictures, one every `frameDuration` milliseconds.
class ScriptedSource : public MediaSource {
  public:
    explicit ScriptedSource(const RecordingMedia::Script& script) : script_(script) {}

    uint32_t Open(const std::string&, std::string& text) override {
        if (script_.openError != kMediaOk) {
            text = script_.openErrorText;
            return script_.openError;
        }
        const Size s = script_.frameSize;
        if (s.cx <= 0 || s.cy <= 0 || s.cx > kMaxMediaSide || s.cy > kMaxMediaSide)
            return kMediaErrorInvalidFile;
        stride_ = int32_t(DibStride(s.cx, 24));
        if (uint64_t(stride_) * uint64_t(s.cy) > kMaxMediaFrameBytes) return kMediaErrorInvalidFile;
        bits_.assign(size_t(stride_) * size_t(s.cy), 0);
        Paint(0);
        return kMediaOk;
    }
    void Close() override { bits_.clear(); }
    Size FrameSize() const override { return script_.frameSize; }
    uint32_t Length() const override { return script_.length; }
    uint32_t SeekTo(uint32_t ms, std::string&) override {
        Paint(FrameAt(ms));
        return kMediaOk;
    }
    bool DecodeUntil(uint32_t ms) override {
        const uint32_t frame = FrameAt(ms);
        if (frame <= frame_) return false;
        Paint(frame);
        return true;
    }
    DibView Picture() const override {
        return {script_.frameSize.cx, script_.frameSize.cy, 24, stride_, bits_.data(), nullptr};
    }

    bool HasSound() const override { return script_.sound; }
    bool StartSound(uint32_t ms, int rate) override {
        if (!script_.sound || script_.soundFails || rate <= 0) return false;
        rate_ = uint64_t(rate);
        soundFrame_ = uint64_t(ms) * rate_ / 1000;
        return true;
    }
    size_t ReadSound(int16_t* out, size_t frames) override {
        const uint32_t length = script_.soundLength ? script_.soundLength : script_.length;
        const uint64_t end = uint64_t(length) * rate_ / 1000;
        size_t n = 0;
        for (; n < frames && soundFrame_ < end; ++n, ++soundFrame_) {
            const auto ms = int16_t(soundFrame_ * 1000 / rate_ % 32768);
            out[2 * n] = ms;
            out[2 * n + 1] = int16_t(-ms);
        }
        return n;
    }

  private:
    uint32_t FrameAt(uint32_t ms) const {
        const uint32_t d = script_.frameDuration;
        if (d == 0 || script_.length == 0) return 0;
        return std::min(ms / d, (script_.length - 1) / d);
    }
    void Paint(uint32_t frame) {
        frame_ = frame;
        for (int32_t y = 0; y < script_.frameSize.cy; ++y) {
            uint8_t* row = bits_.data() + size_t(y) * size_t(stride_);
            for (int32_t x = 0; x < script_.frameSize.cx; ++x) {
                row[x * 3] = uint8_t(frame & 0xFF);
                row[x * 3 + 1] = 0x40;
                row[x * 3 + 2] = 0x80;
            }
        }
    }

    RecordingMedia::Script script_;
    std::vector<uint8_t> bits_;
    int32_t stride_ = 0;
    uint32_t frame_ = 0;
    uint64_t rate_ = 1;
    uint64_t soundFrame_ = 0;
};

NoMedia noMedia;
MediaFactory* currentFactory = nullptr;

}  // namespace

bool MediaErrorString(uint32_t code, std::string& text) {
    for (const ErrorEntry& e : kErrorTexts) {
        if (e.code == code) {
            text = e.text;
            return true;
        }
    }
    return false;
}

PlaybackClip::PlaybackClip(std::unique_ptr<MediaSource> source, std::vector<std::string>* log, Sound* output)
    : source_(std::move(source)), log_(log), output_(output) {}

PlaybackClip::~PlaybackClip() = default;

uint32_t PlaybackClip::Fail(uint32_t code, std::string text) {
    if (text.empty()) MediaErrorString(code, text);
    errorText_ = std::move(text);
    return code;
}

uint32_t PlaybackClip::NotOpen() {
    return Fail(kMediaErrorInvalidDeviceId);
}

void PlaybackClip::Log(const std::string& line) {
    if (log_) log_->push_back(line);
}

uint32_t PlaybackClip::Open(const std::string& path, MediaWindow* parent) {
    Log("Open " + path + (parent ? " parent" : " none"));
    if (open_) Close();
    std::string text;
    const uint32_t code = source_->Open(path, text);
    if (code != kMediaOk) {
        source_->Close();
        return Fail(code, std::move(text));
    }
    open_ = true;
    parent_ = parent;
    mode_ = MediaMode::stopped;
    length_ = source_->Length();
    position_ = playFrom_ = 0;
    playTo_ = length_;
    repeat_ = false;
    notify_ = nullptr;
    notices_.clear();
    const Size size = source_->FrameSize();
    window_ = {0, 0, size.cx, size.cy};
    visible_ = false;
    windowHandle_ = parent ? NextWindowHandle() : 0;
    errorText_.clear();
    sound_.reset();
    soundPlaying_ = false;
    soundWanted_ = source_->HasSound();
    return kMediaOk;
}

uint32_t PlaybackClip::Close() {
    Log("Close");
    if (!open_) return NotOpen();
    if (visible_ && parent_) parent_->EraseMediaArea(window_);
    StopSound();
    sound_.reset();
    soundWanted_ = false;
    source_->Close();
    open_ = false;
    parent_ = notify_ = nullptr;
    mode_ = MediaMode::notReady;
    notices_.clear();
    visible_ = false;
    window_ = {};
    windowHandle_ = length_ = position_ = 0;
    return kMediaOk;
}

Size PlaybackClip::FrameSize() const {
    return open_ ? source_->FrameSize() : Size{};
}

uint32_t PlaybackClip::SetTimeFormat(uint32_t format) {
    Log("SetTimeFormat " + std::to_string(format));
    if (!open_) return NotOpen();
    if (format != kMediaFormatMilliseconds) return Fail(kMediaErrorBadTimeFormat);
    return kMediaOk;
}

uint32_t PlaybackClip::Play(const MediaPlay& play) {
    Log("Play from=" + OptionalText(play.from) + " to=" + OptionalText(play.to) +
        (play.repeat ? " repeat" : "") + (play.notify ? " notify" : ""));
    if (!open_) return NotOpen();
    const uint32_t from = play.from.value_or(position_);
    const uint32_t to = play.to.value_or(length_);
    if (from > length_ || to > length_ || from > to) return Fail(kMediaErrorOutOfRange);
    EndPendingPlay(play.notify ? MediaNotice::superseded : MediaNotice::aborted);
    if (from != position_) {
        std::string text;
        const uint32_t code = source_->SeekTo(from, text);
        if (code != kMediaOk) return Fail(code, std::move(text));
        position_ = from;
    }
    // A repeating play without a start goes round the whole clip, not from wherever it stood.
    playFrom_ = play.repeat ? play.from.value_or(0) : from;
    playTo_ = to;
    repeat_ = play.repeat;
    notify_ = play.notify;
    mode_ = MediaMode::playing;
    // Playing shows the child area, as the platform's video window showed itself.
    visible_ = parent_ != nullptr;
    ShowFrame();
    StartClock();
    StartSound();
    return kMediaOk;
}

uint32_t PlaybackClip::Pause() {
    Log("Pause");
    if (!open_) return NotOpen();
    if (mode_ == MediaMode::playing) {
        mode_ = MediaMode::paused;
        if (sound_) sound_->SetPaused(true);
    }
    return kMediaOk;
}

uint32_t PlaybackClip::Resume() {
    Log("Resume");
    if (!open_) return NotOpen();
    if (mode_ == MediaMode::paused) {
        mode_ = MediaMode::playing;
        StartClock();
        if (sound_) sound_->SetPaused(false);
    }
    return kMediaOk;
}

uint32_t PlaybackClip::Stop() {
    Log("Stop");
    if (!open_) return NotOpen();
    EndPendingPlay(MediaNotice::aborted);
    mode_ = MediaMode::stopped;
    StopSound();
    return kMediaOk;
}

uint32_t PlaybackClip::Seek(uint32_t position) {
    Log("Seek " + std::to_string(position));
    if (!open_) return NotOpen();
    if (position > length_) return Fail(kMediaErrorOutOfRange);
    EndPendingPlay(MediaNotice::aborted);
    mode_ = MediaMode::stopped;
    StopSound();
    std::string text;
    const uint32_t code = source_->SeekTo(position, text);
    if (code != kMediaOk) return Fail(code, std::move(text));
    position_ = position;
    ShowFrame();
    return kMediaOk;
}

uint32_t PlaybackClip::PlaceWindow(const MediaPlacement& placement) {
    Log(std::string("PlaceWindow") + (placement.position ? " move" : "") + (placement.size ? " size" : "") +
        (placement.visible ? (*placement.visible ? " show" : " hide") : ""));
    if (!open_) return NotOpen();
    if (!parent_) return Fail(kMediaErrorUnsupportedFunction);
    const Rect old = window_;
    const bool wasVisible = visible_;
    // Clamped so that no placement, however wild, overflows the rectangle's arithmetic.
    constexpr int32_t kFar = 1 << 24;
    if (placement.position) {
        const int32_t x = std::clamp(placement.position->x, -kFar, kFar);
        const int32_t y = std::clamp(placement.position->y, -kFar, kFar);
        window_ = window_.Offset(x - window_.left, y - window_.top);
    }
    if (placement.size) {
        window_.right = window_.left + std::clamp(placement.size->cx, 0, kMaxMediaSide);
        window_.bottom = window_.top + std::clamp(placement.size->cy, 0, kMaxMediaSide);
    }
    if (placement.visible) visible_ = *placement.visible;
    const bool moved = !(old == window_);
    if (wasVisible && (!visible_ || moved)) parent_->EraseMediaArea(old);
    if (visible_ && (!wasVisible || moved)) ShowFrame();
    return kMediaOk;
}

uint32_t PlaybackClip::UpdateWindow() {
    Log("UpdateWindow");
    if (!open_) return NotOpen();
    ShowFrame();
    return kMediaOk;
}

void PlaybackClip::EndPendingPlay(MediaNotice notice) {
    if (!notify_) return;
    notices_.emplace_back(notify_, notice);
    notify_ = nullptr;
}

void PlaybackClip::Advance(uint32_t elapsed) {
    if (open_ && mode_ == MediaMode::playing) {
        Run(uint64_t(position_) + elapsed);
        FollowSound(elapsed);
    }
    DeliverNotices();
}

void PlaybackClip::Pump() {
    const auto now = std::chrono::steady_clock::now();
    const auto gone = std::chrono::duration_cast<std::chrono::milliseconds>(now - clock_);
    // The clock keeps the fraction of a millisecond for the next pump, so that playing does not drift.
    clock_ += gone;
    Advance(uint32_t(std::clamp<int64_t>(gone.count(), 0, 1 << 30)));
}

void PlaybackClip::StartClock() {
    clock_ = std::chrono::steady_clock::now();
}

void PlaybackClip::Run(uint64_t target) {
    if (target < playTo_) {
        Reach(uint32_t(target));
        return;
    }
    if (repeat_ && playTo_ > playFrom_) {
        Loop(target);
        return;
    }
    Reach(playTo_);
    // A repeating play of nothing stays on its one picture, playing, and never completes.
    if (repeat_) return;
    mode_ = MediaMode::stopped;
    EndPendingPlay(MediaNotice::successful);
}

void PlaybackClip::Reach(uint32_t ms) {
    const bool changed = source_->DecodeUntil(ms);
    position_ = ms;
    if (changed) ShowFrame();
}

// Starts the loop again, as far into it as the time that passed its end; however long the owner stayed
// away, this costs one seek.
void PlaybackClip::Loop(uint64_t target) {
    const uint32_t loop = playTo_ - playFrom_;
    const uint32_t ms = playFrom_ + uint32_t((target - playTo_) % loop);
    std::string text;
    const uint32_t code = source_->SeekTo(ms, text);
    if (code != kMediaOk) {
        Fail(code, std::move(text));
        mode_ = MediaMode::stopped;
        EndPendingPlay(MediaNotice::failure);
        return;
    }
    position_ = ms;
    ShowFrame();
}

// The stream is asked for when a clip with a track first plays and there is a device to play it on:
// a clip opened only to learn its size, or played without a device, costs no sound work at all.
void PlaybackClip::OpenSound() {
    soundWanted_ = false;
    Sound& output = output_ ? *output_ : Sounds();
    if (output.WaveDeviceCount() <= 0) return;
    sound_ = output.OpenClipStream();
    if (sound_ &&
        (sound_->Rate() < kMinSoundRate || sound_->Rate() > kMaxSoundRate || sound_->Capacity() == 0))
        sound_.reset();
}

uint64_t PlaybackClip::SoundFrames(uint64_t ms) const {
    return ms * uint64_t(sound_->Rate()) / 1000;
}

// Starts the sound at the picture's position, with both clocks at zero. A track that cannot be decoded is
// given up for as long as the clip stays open: the picture plays alone.
void PlaybackClip::StartSound() {
    soundPlaying_ = false;
    if (!sound_ && soundWanted_) OpenSound();
    if (!sound_) return;
    sound_->Clear();
    if (!source_->StartSound(position_, sound_->Rate())) {
        sound_.reset();
        return;
    }
    sound_->SetPaused(false);
    soundPlaying_ = true;
    soundEnded_ = trackOut_ = false;
    pictureMs_ = soundQueued_ = 0;
    soundAt_ = SoundFrames(position_);
    FeedSound();
}

void PlaybackClip::StopSound() {
    if (sound_) sound_->Clear();
    soundPlaying_ = false;
}

// After the picture moved on by `elapsed`: compares what the output has played with the time the picture
// played. Close enough, the queue is topped up; too far apart (the owner was away longer than the queue
// lasts, or the output plays at another pace), the sound starts again where the picture stands.
void PlaybackClip::FollowSound(uint32_t elapsed) {
    if (!soundPlaying_ || !sound_) return;
    pictureMs_ += elapsed;
    const uint64_t queued = std::min<uint64_t>(sound_->Queued(), soundQueued_);
    const uint64_t played = soundQueued_ - queued;
    const uint64_t picture = SoundFrames(pictureMs_);
    const bool drifted =
        (played > picture ? played - picture : picture - played) > SoundFrames(kClipSoundDriftMs);
    if (mode_ != MediaMode::playing) {
        // The play is over: a tail in time plays out, a tail left behind would come too late.
        if (drifted) sound_->Clear();
        soundPlaying_ = false;
        return;
    }
    // Once the whole track is queued its end plays out; there is nothing to compare any more.
    if (soundEnded_) return;
    if (drifted) {
        StartSound();
        return;
    }
    FeedSound();
}

// Queues the sound up to a short stretch ahead of the picture, never more than the stream holds.
void PlaybackClip::FeedSound() {
    constexpr size_t kPieceFrames = 1024;
    int16_t piece[kPieceFrames * 2];
    const uint64_t target = SoundFrames(pictureMs_ + kClipSoundAheadMs);
    restarts_ = 0;
    while (soundPlaying_ && !soundEnded_ && soundQueued_ < target) {
        const size_t queued = sound_->Queued();
        const size_t room = sound_->Capacity() > queued ? sound_->Capacity() - queued : 0;
        size_t frames = size_t(std::min<uint64_t>({kPieceFrames, target - soundQueued_, room}));
        if (frames == 0 || !NextSoundPiece(piece, frames)) break;
        const size_t taken = sound_->Write(piece, frames);
        soundQueued_ += taken;
        if (taken < frames) break;
    }
}

// The next frames of the play's sound: the track up to the end of the play; in a repeating play, silence
// where the track is shorter than the loop, and the track again from the loop's start. False when nothing
// more comes (the play's end, or a track that fails), with `frames` the number written otherwise.
bool PlaybackClip::NextSoundPiece(int16_t* piece, size_t& frames) {
    const uint64_t end = SoundFrames(playTo_);
    if (soundAt_ >= end) {
        // A loop too short to be worth its seeks goes round only a few times a feed.
        if (!repeat_ || playTo_ <= playFrom_ || ++restarts_ > kMaxSoundRestarts) {
            soundEnded_ = !repeat_ || playTo_ <= playFrom_;
            return false;
        }
        if (!source_->StartSound(playFrom_, sound_->Rate())) {
            StopSound();
            sound_.reset();
            return false;
        }
        soundAt_ = SoundFrames(playFrom_);
        trackOut_ = false;
        if (soundAt_ >= end) return false;
    }
    frames = size_t(std::min<uint64_t>(frames, end - soundAt_));
    const size_t got = trackOut_ ? 0 : source_->ReadSound(piece, frames);
    if (got < frames) trackOut_ = true;
    if (trackOut_ && !repeat_) {
        if (got == 0) {
            soundEnded_ = true;
            return false;
        }
        frames = got;
    }
    std::fill(piece + 2 * got, piece + 2 * frames, int16_t{0});
    soundAt_ += frames;
    return true;
}

void PlaybackClip::ShowFrame() {
    if (parent_ && visible_) parent_->DrawMediaFrame({source_->Picture(), window_, position_});
}

// Notices go out last, from a copy: a window may close or destroy this clip when it hears one, so nothing
// of the clip is touched after the first notice.
void PlaybackClip::DeliverNotices() {
    if (notices_.empty()) return;
    const std::vector<std::pair<MediaWindow*, MediaNotice>> notices = std::move(notices_);
    notices_.clear();
    for (const auto& [window, notice] : notices) window->MediaNotify(notice);
}

std::unique_ptr<MediaClip> NoMedia::CreateClip() {
    return std::make_unique<PlaybackClip>(std::make_unique<NoSource>());
}

std::unique_ptr<MediaClip> RecordingMedia::CreateClip() {
    ++clipsCreated;
    return std::make_unique<PlaybackClip>(std::make_unique<ScriptedSource>(script), &calls, output);
}

MediaFactory& Media() {
    return currentFactory ? *currentFactory : noMedia;
}
void SetMediaFactory(MediaFactory* factory) {
    currentFactory = factory;
}

ScopedMediaFactory::ScopedMediaFactory(MediaFactory& factory) : previous_(currentFactory) {
    currentFactory = &factory;
}
ScopedMediaFactory::~ScopedMediaFactory() {
    currentFactory = previous_;
}

}  // namespace platform
