#include "ui/Services.h"

#include <QApplication>
#include <stdexcept>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "model/Classes.h"
#include "platform/ffmpeg/FfmpegMedia.h"
#include "platform/qt/QtCursor.h"
#include "platform/qt/QtFileDialog.h"
#include "platform/qt/QtMessageBox.h"
#include "platform/qt/QtProcess.h"
#include "platform/qt/QtShell.h"
#include "platform/sdl/SdlSound.h"

namespace ui {

namespace {

std::unique_ptr<platform::QtMessageBox> FirstBackend(QWidget* dialogParent) {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        throw std::logic_error("ui::Services needs a QApplication");
    return std::make_unique<platform::QtMessageBox>(dialogParent);
}

// The programs allocate and free image-sized blocks all the time: a background and the back buffer at
// every title, the picture of every paint, every sound converted. The C library would hand blocks of that
// size to the system on each free and take them back with a page fault per page on the next allocation,
// which made those faults most of the player's start. Freed blocks stay in the heap instead, for reuse.
void KeepFreedBlocksForReuse() {
#if defined(__GLIBC__)
    mallopt(M_MMAP_THRESHOLD, 64 << 20);
    mallopt(M_TRIM_THRESHOLD, 256 << 20);
#endif
}

}  // namespace

Services::Services(QWidget* dialogParent)
    : messageBox_(FirstBackend(dialogParent)),
      fileDialog_(std::make_unique<platform::QtFileDialog>(dialogParent)),
      cursor_(std::make_unique<platform::QtCursor>()),
      shell_(std::make_unique<platform::QtShell>()),
      processes_(std::make_unique<platform::QtProcessStarter>()),
      sound_(std::make_unique<platform::SdlSound>()),
      media_(std::make_unique<platform::FfmpegMedia>()),
      installedMessageBox_(*messageBox_),
      installedFileDialog_(*fileDialog_),
      installedCursor_(*cursor_),
      installedShell_(*shell_),
      installedProcesses_(*processes_),
      installedSound_(*sound_),
      installedMedia_(*media_) {
    KeepFreedBlocksForReuse();
    RegisterTitleClasses();
}

Services::~Services() = default;

void Services::SetDialogParent(QWidget* parent) {
    // Only while ours are the ones installed: a box or dialog installed over them since stays.
    if (&platform::Messages() == messageBox_.get()) {
        auto box = std::make_unique<platform::QtMessageBox>(parent);
        platform::SetMessageBox(box.get());
        messageBox_ = std::move(box);
    }
    if (&platform::FileDialogs() == fileDialog_.get()) {
        auto dialog = std::make_unique<platform::QtFileDialog>(parent);
        platform::SetFileDialog(dialog.get());
        fileDialog_ = std::move(dialog);
    }
}

}  // namespace ui
