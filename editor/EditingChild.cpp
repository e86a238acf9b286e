#include "editor/EditingChild.h"

#include "editor/EditorCommands.h"
#include "editor/FichaView.h"
#include "editor/FichaViewHost.h"
#include "editor/QtEditorDialogs.h"

namespace {

// What a child window keeps alive beside its widget: the dialogs and the commands. The widget (and the
// view inside it) belongs to the child window and goes first; the commands only hold the view's address
// and never use it once the window closes.
struct EditingParts {
    EditingParts(QWidget* parent, const CFichaDoc& doc) : dialogs(parent, &doc) {}
    QtEditorDialogs dialogs;
    std::unique_ptr<CEditorCommands> commands;
};

}  // namespace

ChildFactory MakeEditingChildFactory(EditorClipboard& clipboard) {
    return [&clipboard](CFichaDoc& doc, QWidget* parent, CommandTarget& router) {
        auto parts = std::make_shared<EditingParts>(parent, doc);
        // The view and the commands each need the other: the view is made first without its insertion
        // seam, then the commands on the view, then the view learns them.
        auto* host = new CFichaViewHost(doc, nullptr, router, parent);
        parts->commands = std::make_unique<CEditorCommands>(doc, &host->View(), clipboard, parts->dialogs);
        host->View().SetInsertion(parts->commands.get());

        ChildParts child;
        child.widget = host;
        child.view = &host->View();
        child.commands = parts->commands.get();
        child.editing = &host->View();
        child.owner = parts;
        return child;
    };
}
