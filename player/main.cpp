#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <cstdio>

#include "platform/FileDialog.h"
#include "player/Lumeo.h"
#include "player/TraceLog.h"
#include "ui/Services.h"

int main(int argc, char** argv) {
    std::vector<std::string> arguments(argv + 1, argv + argc);
    PlayerOptions options = ParsePlayerOptions(arguments);
    if (options.help) {
        std::fputs(PlayerHelpText().c_str(), stdout);
        return 0;
    }
    if (!options.error.empty()) {
        std::fprintf(stderr, "lumeo: %s\n%s", options.error.c_str(), PlayerHelpText().c_str());
        return 2;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName("Lumeo");
    ui::Services services;
    JsonTraceLog traceLog(stderr);
    CPlayerApp frame(options);
    if (options.trace) frame.View().SetTrace(&traceLog);
    services.SetDialogParent(&frame);
    std::string title = options.title;
    if (title.empty()) {
        platform::FileDialogRequest request;
        request.filter = "Quelta Files (*.fca)|*.fca|Quelta Files (*.anm)|*.anm||";
        request.fileMustExist = true;
        std::optional<std::string> chosen = platform::FileDialogs().Ask(request);
        if (!chosen) return 0;
        title = *chosen;
    }
    if (!frame.Start(title)) return 1;
    if (options.windowed) {
        frame.resize(frame.ViewWidget().sizeHint());
        frame.show();
    } else {
        // The whole screen, without a frame, as the original's popup window covered it; without a window
        // manager a full-screen request alone would leave the window at its first size.
        frame.setWindowFlag(Qt::FramelessWindowHint);
        if (QScreen* screen = QGuiApplication::primaryScreen()) frame.setGeometry(screen->geometry());
        frame.showFullScreen();
    }
    frame.ShowStartCredits();
    return app.exec();
}
