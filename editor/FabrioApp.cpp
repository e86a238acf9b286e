#include "editor/FabrioApp.h"

#include <QString>

#include "editor/AuthoringAids.h"
#include "editor/MainFrame.h"

FabrioOptions ParseFabrioOptions(const std::vector<std::string>& arguments) {
    FabrioOptions options;
    bool filesOnly = false;
    for (const std::string& a : arguments) {
        if (!filesOnly && (a == "--help" || a == "-h")) {
            options.help = true;
        } else if (!filesOnly && a == "--no-splash") {
            options.splash = false;
        } else if (!filesOnly && a == "--") {
            filesOnly = true;
        } else if (!filesOnly && a.size() > 1 && a[0] == '-') {
            options.error = "unknown option " + a;
        } else {
            options.files.push_back(a);
        }
    }
    return options;
}

std::string FabrioHelpText() {
    return "usage: fabrio [--no-splash] [TITLE.fca...]\n"
           "  Opens each title in a window of its own; without a title, a new one with one empty card.\n"
           "  --no-splash  starts without the splash screen\n";
}

CFabrioApp::CFabrioApp(std::string programDirectory, ChildFactory factory, const std::string& settingsFile)
    : programDirectory_(std::move(programDirectory)) {
    FrameOptions options;
    options.settingsFile = QString::fromStdString(settingsFile);
    options.programDirectory = programDirectory_;
    frame_ = std::make_unique<CMainFrame>(std::move(factory), options);
}

CFabrioApp::~CFabrioApp() = default;

bool CFabrioApp::Start(const FabrioOptions& options) {
    frame_->show();
    if (options.splash) frame_->ShowSplash();
    // Work that a crash left in recovery copies comes back first; then nothing new is needed.
    const bool restored = frame_->Aids().OfferRecovery() > 0;
    if (options.files.empty()) return restored || frame_->NewDocument() != nullptr;
    bool opened = false;
    for (const std::string& file : options.files)
        if (frame_->OpenDocument(QString::fromStdString(file))) opened = true;
    return opened;
}
