#pragma once

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QWidget>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "editor/ChildFrame.h"
#include "editor/CommandTarget.h"
#include "editor/EditingChild.h"
#include "editor/EditingSeams.h"
#include "editor/EditorClipboard.h"
#include "editor/MainFrame.h"
#include "model/Classes.h"
#include "model/FichaDoc.h"
#include "platform/FileDialog.h"
#include "platform/MessageBox.h"
#include "platform/Process.h"
#include "tests/model/DocTestSupport.h"
#include "tests/support/QtApp.h"
#include "tests/support/ScratchFolder.h"

// Helpers of the frame's tests: a frame with its settings, message boxes, file dialogs and process
// starts in the test's hands, and child parts that record the commands routed to them.
namespace frame_test {

// A command target that claims the commands it is given, with the state it is given, and records what
// it was asked to run.
class RecordingTarget : public CommandTarget {
  public:
    bool CommandState(int id, State& state) override {
        const auto found = claims.find(id);
        if (found == claims.end()) return false;
        state = found->second;
        return true;
    }
    bool RunCommand(int id) override {
        if (!claims.count(id)) return false;
        ran.push_back(id);
        return true;
    }
    std::map<int, State> claims;
    std::vector<int> ran;
};

class FakeEditing : public CardEditing {
  public:
    CTexto* CurrentText() const override { return nullptr; }
    void SetCurrentText(CTexto*) override {}
    CSprite* CurrentSprite() const override { return nullptr; }
    void SetCurrentSprite(CSprite*) override {}
    void DeselectAll() override {}
    void Refresh() override {}
    std::string CardPaneText() const override { return cardText; }
    std::string PositionPaneText() const override { return positionText; }
    std::string cardText = "Ficha: 2 de 3";
    std::string positionText = "Pos X: 12, Pos Y: 34";
};

// The parts the recording factory gives every child.
struct RecordingParts {
    RecordingTarget view;
    RecordingTarget commands;
    FakeEditing editing;
    CommandTarget* router = nullptr;
};

inline ChildFactory RecordingFactory() {
    return [](CFichaDoc&, QWidget* parent, CommandTarget& router) {
        auto recording = std::make_shared<RecordingParts>();
        recording->router = &router;
        ChildParts parts;
        parts.widget = new QWidget(parent);
        parts.view = &recording->view;
        parts.commands = &recording->commands;
        parts.editing = &recording->editing;
        parts.owner = recording;
        return parts;
    };
}

inline RecordingParts& Recording(CChildFrame& child) {
    return *static_cast<RecordingParts*>(child.Parts().owner.get());
}

// Everything a frame touches outside itself, in the test's hands for the test's life: a scratch folder
// with the settings file, the message box, the file dialog and the process starter.
class FrameFixture {
  public:
    FrameFixture() : messages_(messageBox) {
        test_support::EnsureQtApplication();
        RegisterTitleClasses();
        platform::SetFileDialog(&fileDialog);
        platform::SetProcessStarter(&processes);
    }
    ~FrameFixture() {
        frame.reset();
        platform::SetFileDialog(nullptr);
        platform::SetProcessStarter(nullptr);
    }

    CMainFrame& MakeFrame(ChildFactory factory = RecordingFactory()) {
        FrameOptions options;
        options.settingsFile = QString::fromStdString(SettingsFile());
        options.programDirectory = folder.Path("program");
        options.recoveryFolder = QString::fromStdString(RecoveryFolder());
        frame = std::make_unique<CMainFrame>(std::move(factory), options);
        return *frame;
    }
    std::string SettingsFile() const { return folder.Path("fabrio.ini"); }
    std::string RecoveryFolder() const { return folder.Path("recovery"); }
    // The running editor's own children: the editing card view with the document's editing commands.
    ChildFactory EditingFactory() { return MakeEditingChildFactory(clipboard); }

    // A title of `cards` empty cards saved at `name` in the scratch folder; returns its path.
    std::string WriteTitle(const std::string& name, int cards = 1) {
        CFichaDoc doc(Variant::editor);
        doc.OnNewDocument();
        for (int i = 1; i < cards; ++i) doc.GetCards().Add(std::make_unique<CFicha>());
        const std::string path = folder.Path(name);
        doc.OnSaveDocument(path);
        doc.OnCloseDocument();
        return path;
    }

    test_support::ScratchFolder folder;
    platform::RecordingMessageBox messageBox;
    platform::ScriptedFileDialog fileDialog;
    platform::RecordingProcessStarter processes;
    EditorClipboard clipboard;  // the editing children's; outlives the frame
    std::unique_ptr<CMainFrame> frame;

  private:
    platform::ScopedMessageBox messages_;
};

// The entries of a menu as "text=id" (popups as "text>", separators as "-"), in order, hidden entries
// left out.
inline std::vector<std::string> Entries(const QMenu& menu) {
    std::vector<std::string> entries;
    for (QAction* action : menu.actions()) {
        if (!action->isVisible()) continue;
        if (action->isSeparator())
            entries.push_back("-");
        else if (action->menu())
            entries.push_back(action->text().toStdString() + ">");
        else
            entries.push_back(action->text().toStdString() + "=" + std::to_string(action->data().toInt()));
    }
    return entries;
}

inline std::vector<std::string> MenuBarTitles(QMenuBar& bar) {
    std::vector<std::string> titles;
    for (QAction* action : bar.actions()) titles.push_back(action->text().toStdString());
    return titles;
}

inline QMenu* MenuBarMenu(QMenuBar& bar, const QString& title) {
    for (QAction* action : bar.actions())
        if (action->text() == title) return action->menu();
    return nullptr;
}

inline QMenu* SubMenu(QMenu& menu, const QString& title) {
    for (QAction* action : menu.actions())
        if (action->menu() && action->text() == title) return action->menu();
    return nullptr;
}

}  // namespace frame_test
