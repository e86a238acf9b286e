#include "editor/HelpWindow.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

QStringList HelpFolders(const QString& programDirectory) {
    QStringList folders;
    const QDir program(programDirectory);
    folders << QDir::cleanPath(program.filePath(QStringLiteral("help")));
    folders << QDir::cleanPath(program.filePath(QStringLiteral("../share/fabrio/help")));
#ifdef FABRIO_INSTALLED_HELP
    const QString installed = QDir::cleanPath(QStringLiteral(FABRIO_INSTALLED_HELP));
    if (!folders.contains(installed)) folders << installed;
#endif
    return folders;
}

QString FindHelpIndex(const QString& programDirectory) {
    for (const QString& folder : HelpFolders(programDirectory)) {
        const QFileInfo index(QDir(folder), QStringLiteral("index.html"));
        if (index.isFile()) return index.absoluteFilePath();
    }
    return QString();
}

CHelpWindow::CHelpWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setWindowTitle(QStringLiteral("Fabrio Help"));
    resize(720, 560);
    auto* layout = new QVBoxLayout(this);
    auto* buttons = new QHBoxLayout;
    auto* back = new QPushButton(QStringLiteral("&Back"), this);
    auto* home = new QPushButton(QStringLiteral("&Contents"), this);
    buttons->addWidget(back);
    buttons->addWidget(home);
    buttons->addStretch();
    layout->addLayout(buttons);
    browser_ = new QTextBrowser(this);
    browser_->setOpenExternalLinks(true);
    layout->addWidget(browser_);
    connect(back, &QPushButton::clicked, browser_, &QTextBrowser::backward);
    connect(home, &QPushButton::clicked, browser_, &QTextBrowser::home);
    connect(browser_, &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);
    back->setEnabled(false);
}

void CHelpWindow::ShowPage(const QString& page) {
    browser_->setSource(QUrl::fromLocalFile(page));
    show();
    raise();
    activateWindow();
}
