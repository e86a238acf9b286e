#pragma once

#include <QLabel>
#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "editor/ChildFrame.h"
#include "editor/CommandTarget.h"
#include "editor/HelpWindow.h"
#include "editor/RecentFiles.h"

class CAuthoringAids;
class CFichaDoc;
class QAction;
class QDockWidget;
class QMdiArea;
class QMenu;
class QPrinter;
class QSettings;
class QToolBar;
class QToolButton;

// How the frame is set up: where its settings live and the program's folder (help pages and Lumeo are
// looked for there first).
struct FrameOptions {
    QString settingsFile;  // an INI file; empty: the program's own settings
    std::string programDirectory;
    QString recoveryFolder;  // where the autosave keeps its copies; empty: the user's own folder
};

// Fabrio's main frame: a multiple-document window with the menus of resources 128 (no document) and
// 137 (a document), the accelerators, toolbar 128, the insert bar "Paleta" and the status bar. It owns
// the routing of commands: for a command it asks the active child's view, then the child's editing
// commands, then itself; the first that knows the command decides whether it is enabled and runs it.
// Commands nobody handles show disabled.
class CMainFrame : public QMainWindow, public CommandTarget {
    Q_OBJECT
  public:
    // `factory` makes the contents of every child window (the running editor's: MakeEditingChildFactory).
    CMainFrame(ChildFactory factory, FrameOptions options, QWidget* parent = nullptr);
    ~CMainFrame() override;

    // --- documents ---
    // A new document with one empty card in a child window of its own, named "Fabrio1", "Fabrio2", ...
    CChildFrame* NewDocument();
    // Opens a title in a child window of its own; one already open is only brought up. Null, after the
    // document's own message, when it does not open: the documents open already stay as they are.
    CChildFrame* OpenDocument(const QString& path);
    // Save and Save as of the document of `child`; false when it was not saved (cancelled or failed).
    bool SaveDocument(CChildFrame& child, bool askForName);
    // The save prompt: true when the document may go (saved, not modified, or the user said No).
    bool SaveModified(CFichaDoc& doc);
    // Closes every child of the document after the save prompt; false when the user kept it.
    bool CloseDocument(CFichaDoc& doc);
    // Shows a document made elsewhere (a restored recovery copy) in a child window of its own.
    CChildFrame* ShowDocument(std::shared_ptr<CFichaDoc> doc);
    // The check panel, the card overview, the link map and the autosave.
    CAuthoringAids& Aids() const { return *aids_; }

    CChildFrame* ActiveChild() const;
    std::vector<CChildFrame*> Children() const;
    QMdiArea& MdiArea() const { return *mdi_; }

    // --- commands ---
    // The frame's own commands.
    bool CommandState(int id, State& state) override;
    bool RunCommand(int id) override;
    // Routing: view, editing commands, frame. `handled` says whether anyone knows the command.
    State RoutedState(int id, bool* handled = nullptr);
    bool Route(int id);
    // The router the children's views are given.
    CommandTarget& Router() { return router_; }

    // The frame's action of a command (menus, toolbars and accelerators share it); null for none.
    QAction* Action(int id) const;
    // Takes every action's enabled and checked state, the status panes and the titles from the routing,
    // as the frame does at every idle moment.
    void UpdateCommandUI();
    // The menu resource the menu bar shows: 128 without a child window, 137 with one.
    int MenuResourceShown() const { return menuShown_; }

    QToolBar& ToolBar() const { return *toolBar_; }
    QDockWidget& InsertBar() const { return *insertBar_; }
    QToolButton& LoadBackgroundButton() const { return *loadBackground_; }
    QMenu& LoadBackgroundMenu() const { return *screenMenu_; }
    QLabel& IdlePane() const { return *idle_; }
    QLabel& CardPane() const { return *cardPane_; }
    QLabel& PositionPane() const { return *positionPane_; }
    CRecentFileList& RecentFiles() { return recent_; }
    CHelpWindow* HelpWindow() const { return help_; }

    // Prints the card of `child` at its own size on the printer's page.
    void PrintCard(CChildFrame& child, QPrinter& printer);
    // Shows the splash screen over the frame.
    void ShowSplash();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    class RouterTarget : public CommandTarget {
      public:
        explicit RouterTarget(CMainFrame& frame) : frame_(frame) {}
        bool CommandState(int id, State& state) override;
        bool RunCommand(int id) override;

      private:
        CMainFrame& frame_;
    };

    QAction* MakeAction(int id, const QString& menuText);
    void CreateActions();
    void CreateMenus();
    void CreateToolBars();
    void CreateStatusBar();
    QMenu* BuildMenu(const struct MenuEntry& popup);
    void ShowMenuResource(int resource);
    void UpdateRecentFileActions();
    void UpdateTitles();
    void UpdateStatusPanes();
    void UpdateUndoTexts();
    CChildFrame* CreateChild(std::shared_ptr<CFichaDoc> doc);
    CChildFrame* FindChildOf(const QString& path) const;
    int ChildCountOf(const CFichaDoc& doc) const;
    bool ChildMayClose(CChildFrame& child);
    void OpenRecentFile(int index);
    void RememberFile(const std::string& path);
    void SaveSettings();
    void ShowHelp();
    void ShowAbout();
    void Print();
    void ArrangeIcons();

    ChildFactory factory_;
    FrameOptions options_;
    RouterTarget router_;
    std::unique_ptr<QSettings> settings_;
    CRecentFileList recent_;
    QMdiArea* mdi_ = nullptr;
    std::map<int, QAction*> actions_;
    std::vector<QAction*> recentActions_;
    QAction* recentPlaceholder_ = nullptr;
    std::map<int, std::vector<QMenu*>> menus_;
    int menuShown_ = 0;
    QToolBar* toolBar_ = nullptr;
    QDockWidget* insertBar_ = nullptr;
    QToolButton* loadBackground_ = nullptr;
    std::unique_ptr<QMenu> screenMenu_;
    QLabel* idle_ = nullptr;
    QLabel* cardPane_ = nullptr;
    QLabel* positionPane_ = nullptr;
    QPointer<CHelpWindow> help_;
    QTimer idleUpdate_;
    int untitledCount_ = 0;
    bool closingAll_ = false;
    std::unique_ptr<CAuthoringAids> aids_;
};
