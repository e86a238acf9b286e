#include <QApplication>
#include <cstdio>

#include "editor/ChildFrame.h"
#include "editor/EditingChild.h"
#include "editor/EditorClipboard.h"
#include "editor/FabrioApp.h"
#include "editor/MainFrame.h"
#include "ui/Services.h"

int main(int argc, char** argv) {
    const FabrioOptions options = ParseFabrioOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (options.help) {
        std::fputs(FabrioHelpText().c_str(), stdout);
        return 0;
    }
    if (!options.error.empty()) {
        std::fprintf(stderr, "fabrio: %s\n%s", options.error.c_str(), FabrioHelpText().c_str());
        return 2;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName("Fabrio");
    QApplication::setOrganizationName("Fabrio");
    ui::Services services;
    // The editor's clipboard is shared by every open document and kept until the editor ends.
    EditorClipboard clipboard;
    CFabrioApp fabrio(QCoreApplication::applicationDirPath().toStdString(),
                      MakeEditingChildFactory(clipboard));
    services.SetDialogParent(&fabrio.Frame());
    if (!fabrio.Start(options)) return 1;
    return app.exec();
}
