#pragma once

#include <memory>

#include "platform/Cursor.h"
#include "platform/DeviceContext.h"
#include "platform/FileDialog.h"
#include "platform/Media.h"
#include "platform/MessageBox.h"
#include "platform/Process.h"
#include "platform/Shell.h"
#include "platform/Sound.h"

class QWidget;

namespace platform {
class FfmpegMedia;
class QtCursor;
class QtFileDialog;
class QtMessageBox;
class QtProcessStarter;
class QtScreenContextFactory;
class QtShell;
class SdlSound;
}  // namespace platform

namespace ui {

// Installs one service of the platform for the lifetime of the guard and puts back, on destruction,
// the one that was installed before.
template <typename Service, Service& (*Get)(), void (*Set)(Service*)>
class ScopedService {
  public:
    explicit ScopedService(Service& service) : previous_(&Get()) { Set(&service); }
    ~ScopedService() { Set(previous_); }
    ScopedService(const ScopedService&) = delete;
    ScopedService& operator=(const ScopedService&) = delete;

  private:
    Service* previous_;
};

// Texts measured and drawn with the real fonts: the Qt screen contexts, installed for the lifetime of
// the object. Needs a QGuiApplication; fcatool uses this part alone.
class TextMeasuring {
  public:
    TextMeasuring();
    ~TextMeasuring();

  private:
    std::unique_ptr<platform::QtScreenContextFactory> factory_;
    ScopedService<platform::ScreenContextFactory, platform::ScreenContexts, platform::SetScreenContextFactory>
        installed_;
};

// The start-up of both programs, made in main right after the QApplication and kept until the
// application ends: registers the classes a title file names and installs every real backend of the
// platform, the Qt message box, file dialog, wait cursor, shell, process start and screen contexts, SDL
// sound and FFmpeg clips. Destroying it puts back the services that were installed before, so tests can
// make and drop it again. Without a sound device the program runs silent (WaveDeviceCount is 0).
class Services {
  public:
    // Throws std::logic_error without a QApplication: the dialogs need one.
    explicit Services(QWidget* dialogParent = nullptr);
    ~Services();
    Services(const Services&) = delete;
    Services& operator=(const Services&) = delete;

    // The window the message boxes and file dialogs open over (the main frame, once it exists).
    void SetDialogParent(QWidget* parent);

    platform::SdlSound& Sound() { return *sound_; }

  private:
    std::unique_ptr<platform::QtMessageBox> messageBox_;
    std::unique_ptr<platform::QtFileDialog> fileDialog_;
    std::unique_ptr<platform::QtCursor> cursor_;
    std::unique_ptr<platform::QtShell> shell_;
    std::unique_ptr<platform::QtProcessStarter> processes_;
    std::unique_ptr<platform::SdlSound> sound_;
    std::unique_ptr<platform::FfmpegMedia> media_;
    TextMeasuring text_;
    // Declared after the backends, so that the previous services are back before the backends go.
    ScopedService<platform::MessageBox, platform::Messages, platform::SetMessageBox> installedMessageBox_;
    ScopedService<platform::FileDialog, platform::FileDialogs, platform::SetFileDialog> installedFileDialog_;
    ScopedService<platform::CursorService, platform::Cursors, platform::SetCursorService> installedCursor_;
    ScopedService<platform::Shell, platform::Shells, platform::SetShell> installedShell_;
    ScopedService<platform::ProcessStarter, platform::Processes, platform::SetProcessStarter>
        installedProcesses_;
    ScopedService<platform::Sound, platform::Sounds, platform::SetSound> installedSound_;
    ScopedService<platform::MediaFactory, platform::Media, platform::SetMediaFactory> installedMedia_;
};

}  // namespace ui
