#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/Geometry.h"
#include "platform/Media.h"

// Item codes, modes, formats and notify codes of the media control interface, with their real values: the
// callers of the wrapper speak them, and the player compares notices with them.
inline constexpr uint32_t MCI_FORMAT_MILLISECONDS = platform::kMediaFormatMilliseconds;
inline constexpr uint32_t MCI_FORMAT_FRAMES = 3;

inline constexpr uint32_t MCI_STATUS_LENGTH = 0x1;
inline constexpr uint32_t MCI_STATUS_POSITION = 0x2;
inline constexpr uint32_t MCI_STATUS_NUMBER_OF_TRACKS = 0x3;
inline constexpr uint32_t MCI_STATUS_MODE = 0x4;
inline constexpr uint32_t MCI_STATUS_MEDIA_PRESENT = 0x5;
inline constexpr uint32_t MCI_STATUS_TIME_FORMAT = 0x6;
inline constexpr uint32_t MCI_STATUS_READY = 0x7;
inline constexpr uint32_t MCI_STATUS_CURRENT_TRACK = 0x8;
inline constexpr uint32_t MCI_DGV_STATUS_HWND = 0x4001;

inline constexpr uint32_t MCI_MODE_NOT_READY = 524;
inline constexpr uint32_t MCI_MODE_STOP = 525;
inline constexpr uint32_t MCI_MODE_PLAY = 526;
inline constexpr uint32_t MCI_MODE_RECORD = 527;
inline constexpr uint32_t MCI_MODE_SEEK = 528;
inline constexpr uint32_t MCI_MODE_PAUSE = 529;
inline constexpr uint32_t MCI_MODE_OPEN = 530;

inline constexpr uint32_t MCI_NOTIFY_SUCCESSFUL = static_cast<uint32_t>(platform::MediaNotice::successful);
inline constexpr uint32_t MCI_NOTIFY_SUPERSEDED = static_cast<uint32_t>(platform::MediaNotice::superseded);
inline constexpr uint32_t MCI_NOTIFY_ABORTED = static_cast<uint32_t>(platform::MediaNotice::aborted);
inline constexpr uint32_t MCI_NOTIFY_FAILURE = static_cast<uint32_t>(platform::MediaNotice::failure);
inline constexpr uint32_t MM_MCINOTIFY = 0x3B9;

inline constexpr uint32_t MCIERR_UNSUPPORTED_FUNCTION = platform::kMediaErrorUnsupportedFunction;

// Flags of the window placement.
inline constexpr uint32_t SWP_NOSIZE = 0x1;
inline constexpr uint32_t SWP_NOMOVE = 0x2;
inline constexpr uint32_t SWP_NOZORDER = 0x4;
inline constexpr uint32_t SWP_NOACTIVATE = 0x10;
inline constexpr uint32_t SWP_SHOWWINDOW = 0x40;
inline constexpr uint32_t SWP_HIDEWINDOW = 0x80;

// Device kinds; the kind names the device in the caption of its error boxes.
inline constexpr uint32_t kMciKindCdAudio = 1;
inline constexpr uint32_t kMciKindWave = 2;
inline constexpr uint32_t kMciKindMidi = 3;
inline constexpr uint32_t kMciKindDigitalVideo = 4;
inline constexpr uint32_t kMciKindAvi = 5;
inline constexpr uint32_t kMciKindMpeg = 6;

// A media device driven one command at a time. The wrapper holds no policy: every operation passes the
// layer's answer to ReportError, which shows a warning box when the command failed, and is then treated
// as done. Every operation does nothing and returns 0 while the device is closed (device id 0). Commands
// return the error code of the layer (0 when they succeeded).
class CMciDevice {
  public:
    virtual ~CMciDevice();
    CMciDevice(const CMciDevice&) = delete;
    CMciDevice& operator=(const CMciDevice&) = delete;

    virtual uint32_t Status(uint32_t item);
    virtual uint32_t SetTimeFormat(uint32_t format);
    virtual uint32_t GetTimeFormat();
    virtual uint32_t PlayFromTo(uint32_t from, std::optional<uint32_t> to = std::nullopt);
    virtual uint32_t Play();
    virtual uint32_t Pause();
    virtual uint32_t Resume();
    virtual uint32_t Seek(uint32_t position);

    uint32_t Close();
    uint32_t Stop();
    uint32_t Length();
    uint32_t Position();

    // Plays on: the platform's media services played by themselves, here the owner lets time pass from
    // its timer. Due frames go to the window and completion notices to the window given with the play;
    // a notice may close this device (not destroy it).
    void Advance(uint32_t elapsedMs);
    // Advance by the real time gone since the last call.
    void Pump();

    // Shows the warning box of a failed command: the layer's text for the code (or "Error desconocido"),
    // captioned with the kind's name followed by `extra`. Code 0 shows nothing.
    void ReportError(uint32_t code, const std::string& extra = "") const;
    static const char* KindName(uint32_t kind);

    uint16_t DeviceId() const { return deviceId_; }
    uint32_t DeviceKind() const { return kind_; }
    platform::MediaWindow* ParentWindow() const { return parent_; }

  protected:
    explicit CMciDevice(uint32_t kind) : kind_(kind) {}

    // Opens the clip and, on success, sets the time format to milliseconds.
    bool OpenDevice(const std::string& file, platform::MediaWindow* parent);
    // Reports a failed command with the text the layer gave for it.
    uint32_t Check(uint32_t code) const;
    bool IsOpen() const { return deviceId_ != 0 && clip_; }

    uint16_t deviceId_ = 0;
    uint32_t kind_;
    platform::MediaWindow* parent_ = nullptr;
    std::unique_ptr<platform::MediaClip> clip_;
};

// A digital-video device: it has a window and a frame size.
class CMciDigitalVideo : public CMciDevice {
  public:
    uint32_t Status(uint32_t item) override;

    // The number naming the child window the device draws in, 0 when it has none.
    uint32_t VideoWindow();
    // The clip's own rectangle, at the origin; its width and height are the clip's frame size.
    platform::Rect SourceRect();
    // Places the video window as the platform's window placement does with the SWP_ flags. The child
    // window always lies over its parent's own drawing, so `insertAfter` has no effect. Returns 1 when the
    // window was placed.
    bool PlaceWindow(int32_t x, int32_t y, int32_t width, int32_t height, platform::MediaWindow* insertAfter,
                     uint32_t flags);
    // Draws the video window's current picture again.
    uint32_t UpdateVideoWindow();

  protected:
    explicit CMciDigitalVideo(uint32_t kind = kMciKindDigitalVideo) : CMciDevice(kind) {}
};

// An AVI clip, as the player plays a card's video and the editor measures it.
class CMciAvi : public CMciDigitalVideo {
  public:
    CMciAvi() : CMciDigitalVideo(kMciKindAvi) {}
    // A device that is still open is stopped when it plays, then closed.
    ~CMciAvi() override;

    // Opens a clip, named as titles name it (a Windows path in Windows-1252 bytes, relative to the current
    // directory), as a child of `parent` when one is given; an open device is closed first. Returns 1 on
    // success, 0 after the error box.
    bool Open(const std::string& file, platform::MediaWindow* parent = nullptr);
    // Plays from the current position to the end, showing the frames in the video window; the completion
    // notice goes to `window`.
    uint32_t PlayNotify(platform::MediaWindow* window);
    // As PlayNotify, starting over whenever the end is reached; a repeating play never completes.
    uint32_t PlayRepeatNotify(platform::MediaWindow* window);
};
