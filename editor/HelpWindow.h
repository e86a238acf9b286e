#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>

class QTextBrowser;

// Fabrio's help: HTML pages of our own, found in the "help" folder beside the program first (as the
// original looked in its program folder) and then in the installed share folder.

// The folders searched, in order, for a program lying in `programDirectory`.
QStringList HelpFolders(const QString& programDirectory);
// The first page of the help ("index.html" of the first folder that has it); empty when none is found.
QString FindHelpIndex(const QString& programDirectory);

// The help window: the pages in a browser with links between them, one window for the whole program.
class CHelpWindow : public QWidget {
    Q_OBJECT
  public:
    explicit CHelpWindow(QWidget* parent = nullptr);
    // Shows `page` and brings the window up.
    void ShowPage(const QString& page);
    QTextBrowser& Browser() { return *browser_; }

  private:
    QTextBrowser* browser_ = nullptr;
};
