#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/DeviceContext.h"
#include "platform/Geometry.h"
#include "platform/Sound.h"

namespace platform {

// Video clips: open a clip file, show its frames in a child area of a window, play it once or repeating
// with a completion notice, pause, resume, seek in milliseconds, learn its size and length, close it.
//
// Everything runs on the user-interface thread. Nothing plays by itself: the owner calls Advance (or Pump)
// from its timer, and the clip decodes the frames that fell due, hands the newest to its window and only
// then delivers the completion notices, as posted window messages would arrive.
//
// A clip's sound track plays while the clip plays, through a clip stream of the sound output, beside the
// wave sound and with the same volume. The picture keeps the time: the sound starts at the clip's position,
// pauses, stops and starts again with the picture, goes round with a repeating play, and is started again
// at the picture's position when it has drifted from it. Only a short stretch is decoded ahead. Without a
// sound device, or when the track cannot be decoded, the clip plays its picture alone.

// Error codes. 0 is success; the others keep the numbers of the Windows media control interface, so that
// failures are reported with the codes the titles were made with.
enum MediaError : uint32_t {
    kMediaOk = 0,
    kMediaErrorInvalidDeviceId = 257,
    kMediaErrorOutOfMemory = 264,
    kMediaErrorCannotLoadDriver = 266,
    kMediaErrorUnsupportedFunction = 274,
    kMediaErrorFileNotFound = 275,
    kMediaErrorDeviceNotReady = 276,
    kMediaErrorOutOfRange = 282,
    kMediaErrorBadTimeFormat = 293,
    kMediaErrorInvalidFile = 296,
};

// The layer's text for an error code (UTF-8), as the platform's error-string call gives it; false for a
// code the layer does not know.
bool MediaErrorString(uint32_t code, std::string& text);

// How far ahead of the picture a clip's sound is decoded and queued, and how far the sound may stand from
// the picture before it is started again at the picture's position.
constexpr uint32_t kClipSoundAheadMs = 500;
constexpr uint32_t kClipSoundDriftMs = 200;
// How many times one top-up of the queue may start a repeating play's sound again from the loop's start.
constexpr int kMaxSoundRestarts = 8;
// Sound tracks with more channels, or of rates outside those of Sound.h, are refused as damaged: the clip
// plays silent.
constexpr int kMaxClipSoundChannels = 8;

// The largest frames a clip may have: wider or taller clips, or clips whose picture would need more bytes,
// are refused at Open, so that a lying header cannot make the layer allocate without bound.
constexpr int32_t kMaxMediaSide = 16384;
constexpr uint64_t kMaxMediaFrameBytes = 256ull << 20;

// Time formats; the numbers are those of the media control interface. Clips speak milliseconds only.
constexpr uint32_t kMediaFormatMilliseconds = 0;

enum class MediaMode { notReady, stopped, playing, paused, seeking, open };

// Completion notices of a notifying play, with the numbers of the platform's notify codes.
enum class MediaNotice : uint32_t { successful = 1, superseded = 2, aborted = 4, failure = 8 };

// One picture of a clip, ready to draw: `picture` is a 24-bit DIB (blue, green, red; rows bottom-up,
// padded to 4 bytes), `placement` the rectangle of the clip's child area in the parent window (the owner
// stretches the picture to it), `position` the clip time in milliseconds. The bytes are valid only during
// the call that hands them over.
struct MediaFrame {
    DibView picture;
    Rect placement;
    uint32_t position = 0;
};

// A window that clips can be shown in and that receives their completion notices. The owner implements
// it: the player's card view draws the frames over the card.
class MediaWindow {
  public:
    virtual ~MediaWindow() = default;
    // A clip shown as a child of this window has a new picture, or its picture must be drawn again.
    virtual void DrawMediaFrame(const MediaFrame& frame) = 0;
    // The child area of a clip was hidden, moved away or closed: what it covered must be drawn again.
    virtual void EraseMediaArea(const Rect& area) {}
    // The completion notice of a play that named this window. The clip may be closed or destroyed from
    // here.
    virtual void MediaNotify(MediaNotice notice) {}
};

// A play command. Without `from` the play starts at the current position; without `to` it ends at the
// end of the clip. A repeating play starts again at `from` (or the start) whenever it reaches its end and
// never completes. When `notify` is given, that window receives the completion notice.
struct MediaPlay {
    std::optional<uint32_t> from;
    std::optional<uint32_t> to;
    bool repeat = false;
    MediaWindow* notify = nullptr;
};

// Where the child area of a clip stands in its parent; members left empty keep their value.
struct MediaPlacement {
    std::optional<Point> position;
    std::optional<Size> size;
    std::optional<bool> visible;
};

// An open clip. Every operation that can fail returns an error code (0 for success) and leaves the
// layer's text for it in ErrorText. Operations on a clip that is not open fail with
// kMediaErrorInvalidDeviceId.
class MediaClip {
  public:
    virtual ~MediaClip() = default;

    // Opens a clip file: a path of this file system. With a parent window the clip gets a child area of
    // it, at (0, 0) and at the clip's own size, hidden until it is placed visible or plays; without one,
    // its frames are decoded and shown nowhere. An open clip stands stopped at its first frame.
    virtual uint32_t Open(const std::string& path, MediaWindow* parent) = 0;
    // Closes the clip; pending notices are dropped with it.
    virtual uint32_t Close() = 0;
    virtual bool IsOpen() const = 0;

    virtual Size FrameSize() const = 0;
    virtual uint32_t Length() const = 0;
    virtual uint32_t Position() const = 0;
    virtual MediaMode Mode() const = 0;
    virtual uint32_t TimeFormat() const = 0;
    virtual uint32_t SetTimeFormat(uint32_t format) = 0;

    virtual uint32_t Play(const MediaPlay& play) = 0;
    virtual uint32_t Pause() = 0;
    virtual uint32_t Resume() = 0;
    virtual uint32_t Stop() = 0;
    // Stops and shows the picture at the position exactly (not the key frame before it).
    virtual uint32_t Seek(uint32_t position) = 0;

    // A nonzero number naming the child area while the clip has one (opened with a parent), else 0.
    virtual uint32_t WindowHandle() const = 0;
    virtual Rect WindowRect() const = 0;
    virtual bool WindowVisible() const = 0;
    virtual uint32_t PlaceWindow(const MediaPlacement& placement) = 0;
    // Hands the current picture to the parent again when the child area is visible.
    virtual uint32_t UpdateWindow() = 0;

    // Lets `elapsed` milliseconds of playing pass. The clip may be destroyed by a notice delivered here.
    virtual void Advance(uint32_t elapsed) = 0;
    // Advance by the real time gone since the last Pump, or since the play started or resumed.
    virtual void Pump() = 0;

    virtual const std::string& ErrorText() const = 0;
};

// The decoding half of a clip, the part each backend supplies; PlaybackClip adds the commands.
class MediaSource {
  public:
    virtual ~MediaSource() = default;
    // Opens the file and makes its first picture current; on failure returns the code and sets `text`.
    virtual uint32_t Open(const std::string& path, std::string& text) = 0;
    virtual void Close() = 0;
    virtual Size FrameSize() const = 0;
    virtual uint32_t Length() const = 0;
    // Makes current the picture that shows at `ms`: from the key frame before it, decoding forward.
    virtual uint32_t SeekTo(uint32_t ms, std::string& text) = 0;
    // Decodes forward until the current picture is the one that shows at `ms`; true when it changed.
    virtual bool DecodeUntil(uint32_t ms) = 0;
    // The current picture, 24 bits, bottom-up.
    virtual DibView Picture() const = 0;

    // The sound track, for backends that decode one. HasSound says, cheaply, whether the open clip has a
    // track worth trying. StartSound makes the track read from `ms` on, converted to interleaved 16-bit
    // stereo at `rate` frames a second; false when it cannot be decoded. ReadSound then gives up to `frames`
    // frames, fewer only at the end of the track.
    virtual bool HasSound() const { return false; }
    virtual bool StartSound(uint32_t ms, int rate) { return false; }
    virtual size_t ReadSound(int16_t* out, size_t frames) { return 0; }
};

// The commands, the play state and the notices of a clip, on top of a backend's source. When `log` is
// given every command is written to it (the test double uses this); it must outlive the clip. The sound
// track plays through `output`, or through the installed sound service when none is given; it is asked for
// a clip stream when the clip first plays.
class PlaybackClip final : public MediaClip {
  public:
    explicit PlaybackClip(std::unique_ptr<MediaSource> source, std::vector<std::string>* log = nullptr,
                          Sound* output = nullptr);
    ~PlaybackClip() override;

    uint32_t Open(const std::string& path, MediaWindow* parent) override;
    uint32_t Close() override;
    bool IsOpen() const override { return open_; }
    Size FrameSize() const override;
    uint32_t Length() const override { return open_ ? length_ : 0; }
    uint32_t Position() const override { return open_ ? position_ : 0; }
    MediaMode Mode() const override { return open_ ? mode_ : MediaMode::notReady; }
    uint32_t TimeFormat() const override { return kMediaFormatMilliseconds; }
    uint32_t SetTimeFormat(uint32_t format) override;
    uint32_t Play(const MediaPlay& play) override;
    uint32_t Pause() override;
    uint32_t Resume() override;
    uint32_t Stop() override;
    uint32_t Seek(uint32_t position) override;
    uint32_t WindowHandle() const override { return open_ ? windowHandle_ : 0; }
    Rect WindowRect() const override { return window_; }
    bool WindowVisible() const override { return visible_; }
    uint32_t PlaceWindow(const MediaPlacement& placement) override;
    uint32_t UpdateWindow() override;
    void Advance(uint32_t elapsed) override;
    void Pump() override;
    const std::string& ErrorText() const override { return errorText_; }

  private:
    uint32_t Fail(uint32_t code, std::string text = {});
    uint32_t NotOpen();
    void Log(const std::string& line);
    void EndPendingPlay(MediaNotice notice);
    void Run(uint64_t target);
    void Reach(uint32_t ms);
    void Loop(uint64_t target);
    void ShowFrame();
    void DeliverNotices();
    void StartClock();
    void OpenSound();
    void StartSound();
    void StopSound();
    void FollowSound(uint32_t elapsed);
    void FeedSound();
    bool NextSoundPiece(int16_t* piece, size_t& frames);
    uint64_t SoundFrames(uint64_t ms) const;

    std::unique_ptr<MediaSource> source_;
    std::vector<std::string>* log_;
    Sound* output_;
    bool open_ = false;
    MediaWindow* parent_ = nullptr;
    MediaMode mode_ = MediaMode::notReady;
    uint32_t length_ = 0;
    uint32_t position_ = 0;
    uint32_t playFrom_ = 0;
    uint32_t playTo_ = 0;
    bool repeat_ = false;
    MediaWindow* notify_ = nullptr;
    std::vector<std::pair<MediaWindow*, MediaNotice>> notices_;
    uint32_t windowHandle_ = 0;
    Rect window_;
    bool visible_ = false;
    std::chrono::steady_clock::time_point clock_;
    std::string errorText_;

    // The sound track while it plays. Both clocks count from the moment the sound was started: the
    // picture's in milliseconds played, the sound's in frames queued; the track's own place is in frames of
    // clip time.
    std::unique_ptr<AudioStream> sound_;
    bool soundWanted_ = false;  // the clip has a track, and no stream was asked for yet
    bool soundPlaying_ = false;
    bool soundEnded_ = false;  // nothing more is queued in this play
    bool trackOut_ = false;    // the track ran out before the end of this pass
    int restarts_ = 0;         // loops of the sound in the current feed
    uint64_t pictureMs_ = 0;
    uint64_t soundQueued_ = 0;
    uint64_t soundAt_ = 0;
};

// Makes clips; programs install the backend they link (FFmpeg), as they install their message box.
class MediaFactory {
  public:
    virtual ~MediaFactory() = default;
    virtual std::unique_ptr<MediaClip> CreateClip() = 0;
};

// The backend until a program installs one: it has no decoder, so every Open fails and says so.
class NoMedia : public MediaFactory {
  public:
    std::unique_ptr<MediaClip> CreateClip() override;
};

// Test double: clips whose Open answers from the script and whose frames are synthetic, solid pictures
// whose blue value is the frame's index (modulo 256). Every command of every clip is recorded in `calls`.
// With a sound track, each frame of sound holds its clip time: the left sample the millisecond (modulo
// 32768), the right sample its negative; the track plays through `output` (the installed sound service when
// none is given).
class RecordingMedia : public MediaFactory {
  public:
    struct Script {
        uint32_t openError = kMediaOk;
        std::string openErrorText;
        Size frameSize{160, 120};
        uint32_t length = 1000;
        uint32_t frameDuration = 100;
        bool sound = false;
        uint32_t soundLength = 0;  // 0: as long as the clip
        bool soundFails = false;   // the track is there but does not decode
    };
    std::unique_ptr<MediaClip> CreateClip() override;

    Script script;
    std::vector<std::string> calls;
    int clipsCreated = 0;
    Sound* output = nullptr;
};

// The factory every layer makes clips with; NoMedia until a program installs one. nullptr restores it.
MediaFactory& Media();
void SetMediaFactory(MediaFactory* factory);

// Installs a factory for the lifetime of the guard (tests), restoring the previous one afterwards.
class ScopedMediaFactory {
  public:
    explicit ScopedMediaFactory(MediaFactory& factory);
    ~ScopedMediaFactory();
    ScopedMediaFactory(const ScopedMediaFactory&) = delete;
    ScopedMediaFactory& operator=(const ScopedMediaFactory&) = delete;

  private:
    MediaFactory* previous_;
};

}  // namespace platform
