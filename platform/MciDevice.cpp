#include "platform/MciDevice.h"

#include "platform/FileNames.h"
#include "platform/MessageBox.h"

namespace {

// The layer hands out no device numbers of its own; each open device gets the next one, never 0.
uint16_t NextDeviceId() {
    static uint16_t last = 0;
    if (++last == 0) ++last;
    return last;
}

uint32_t ModeCode(platform::MediaMode mode) {
    switch (mode) {
        case platform::MediaMode::stopped:
            return MCI_MODE_STOP;
        case platform::MediaMode::playing:
            return MCI_MODE_PLAY;
        case platform::MediaMode::paused:
            return MCI_MODE_PAUSE;
        case platform::MediaMode::seeking:
            return MCI_MODE_SEEK;
        case platform::MediaMode::open:
            return MCI_MODE_OPEN;
        case platform::MediaMode::notReady:
            break;
    }
    return MCI_MODE_NOT_READY;
}

// The platform's error strings fitted a 256-character buffer; longer texts are cut there, on a character
// boundary of the UTF-8 text.
std::string FitErrorBuffer(std::string text) {
    constexpr size_t kLimit = 255;
    if (text.size() <= kLimit) return text;
    size_t end = kLimit;
    while (end > 0 && (uint8_t(text[end]) & 0xC0) == 0x80) --end;
    text.resize(end);
    return text;
}

void ShowErrorBox(const std::string& text, uint32_t kind, const std::string& extra) {
    platform::Messages().Show(FitErrorBuffer(text), std::string(CMciDevice::KindName(kind)) + extra,
                              platform::MessageIcon::exclamation, platform::MessageButtons::ok);
}

}  // namespace

CMciDevice::~CMciDevice() = default;

const char* CMciDevice::KindName(uint32_t kind) {
    switch (kind) {
        case kMciKindCdAudio:
            return "CD Audio";
        case kMciKindWave:
            return "Audio WAV";
        case kMciKindMidi:
            return "Audio MIDI";
        case kMciKindAvi:
            return "Vídeo AVI";
        case kMciKindMpeg:
            return "Vídeo MPEG";
        default:
            return "MCI Genérico";
    }
}

void CMciDevice::ReportError(uint32_t code, const std::string& extra) const {
    if (code == 0) return;
    std::string text;
    if (!platform::MediaErrorString(code, text)) text = "Error desconocido";
    ShowErrorBox(text, kind_, extra);
}

uint32_t CMciDevice::Check(uint32_t code) const {
    if (code == 0) return 0;
    std::string text = clip_ ? clip_->ErrorText() : std::string();
    if (text.empty() && !platform::MediaErrorString(code, text)) text = "Error desconocido";
    ShowErrorBox(text, kind_, "");
    return code;
}

bool CMciDevice::OpenDevice(const std::string& file, platform::MediaWindow* parent) {
    if (deviceId_) Close();
    // Titles name their clips with Windows paths; a name that resolves to nothing goes to the layer as it
    // stands, so that the user sees the layer's own "file not found".
    const std::optional<std::string> real = platform::ResolveWindowsPath(file, "");
    clip_ = platform::Media().CreateClip();
    if (Check(clip_->Open(real ? *real : file, parent))) {
        clip_.reset();
        return false;
    }
    deviceId_ = NextDeviceId();
    if (parent) parent_ = parent;
    SetTimeFormat(MCI_FORMAT_MILLISECONDS);
    return true;
}

uint32_t CMciDevice::Close() {
    if (!IsOpen()) return 0;
    const uint32_t code = Check(clip_->Close());
    deviceId_ = 0;
    clip_.reset();
    return code;
}

uint32_t CMciDevice::Stop() {
    return IsOpen() ? Check(clip_->Stop()) : 0;
}

uint32_t CMciDevice::Play() {
    return IsOpen() ? Check(clip_->Play({})) : 0;
}

uint32_t CMciDevice::PlayFromTo(uint32_t from, std::optional<uint32_t> to) {
    if (!IsOpen()) return 0;
    platform::MediaPlay play;
    play.from = from;
    play.to = to;
    return Check(clip_->Play(play));
}

uint32_t CMciDevice::Pause() {
    return IsOpen() ? Check(clip_->Pause()) : 0;
}

uint32_t CMciDevice::Resume() {
    return IsOpen() ? Check(clip_->Resume()) : 0;
}

uint32_t CMciDevice::Seek(uint32_t position) {
    return IsOpen() ? Check(clip_->Seek(position)) : 0;
}

uint32_t CMciDevice::SetTimeFormat(uint32_t format) {
    return IsOpen() ? Check(clip_->SetTimeFormat(format)) : 0;
}

uint32_t CMciDevice::GetTimeFormat() {
    return Status(MCI_STATUS_TIME_FORMAT);
}

uint32_t CMciDevice::Status(uint32_t item) {
    if (!IsOpen()) return 0;
    switch (item) {
        case MCI_STATUS_LENGTH:
            return clip_->Length();
        case MCI_STATUS_POSITION:
            return clip_->Position();
        case MCI_STATUS_MODE:
            return ModeCode(clip_->Mode());
        case MCI_STATUS_TIME_FORMAT:
            return clip_->TimeFormat();
        case MCI_STATUS_NUMBER_OF_TRACKS:
        case MCI_STATUS_CURRENT_TRACK:
        case MCI_STATUS_MEDIA_PRESENT:
        case MCI_STATUS_READY:
            return 1;
        default:
            ReportError(MCIERR_UNSUPPORTED_FUNCTION);
            return 0;
    }
}

uint32_t CMciDevice::Length() {
    return Status(MCI_STATUS_LENGTH);
}

uint32_t CMciDevice::Position() {
    return Status(MCI_STATUS_POSITION);
}

void CMciDevice::Advance(uint32_t elapsedMs) {
    if (IsOpen()) clip_->Advance(elapsedMs);
}

void CMciDevice::Pump() {
    if (IsOpen()) clip_->Pump();
}

uint32_t CMciDigitalVideo::Status(uint32_t item) {
    if (!IsOpen()) return 0;
    if (item == MCI_DGV_STATUS_HWND) return clip_->WindowHandle();
    return CMciDevice::Status(item);
}

uint32_t CMciDigitalVideo::VideoWindow() {
    return Status(MCI_DGV_STATUS_HWND);
}

platform::Rect CMciDigitalVideo::SourceRect() {
    if (!IsOpen()) return {};
    const platform::Size size = clip_->FrameSize();
    return {0, 0, size.cx, size.cy};
}

bool CMciDigitalVideo::PlaceWindow(int32_t x, int32_t y, int32_t width, int32_t height,
                                   platform::MediaWindow*, uint32_t flags) {
    if (VideoWindow() == 0) return false;
    platform::MediaPlacement placement;
    if (!(flags & SWP_NOMOVE)) placement.position = platform::Point{x, y};
    if (!(flags & SWP_NOSIZE)) placement.size = platform::Size{width, height};
    if (flags & SWP_SHOWWINDOW) placement.visible = true;
    if (flags & SWP_HIDEWINDOW) placement.visible = false;
    // The window placement of the platform reported its failures by its result, not by a box.
    return clip_->PlaceWindow(placement) == 0;
}

uint32_t CMciDigitalVideo::UpdateVideoWindow() {
    if (VideoWindow() == 0) return 0;
    return Check(clip_->UpdateWindow());
}

CMciAvi::~CMciAvi() {
    if (!IsOpen()) return;
    if (Status(MCI_STATUS_MODE) == MCI_MODE_PLAY) Stop();
    Close();
}

bool CMciAvi::Open(const std::string& file, platform::MediaWindow* parent) {
    return OpenDevice(file, parent);
}

uint32_t CMciAvi::PlayNotify(platform::MediaWindow* window) {
    if (!IsOpen()) return 0;
    platform::MediaPlay play;
    play.notify = window;
    return Check(clip_->Play(play));
}

uint32_t CMciAvi::PlayRepeatNotify(platform::MediaWindow* window) {
    if (!IsOpen()) return 0;
    platform::MediaPlay play;
    play.repeat = true;
    play.notify = window;
    return Check(clip_->Play(play));
}
