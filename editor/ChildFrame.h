#pragma once

#include <QMdiSubWindow>
#include <QSize>
#include <functional>
#include <memory>

class CFichaDoc;
class CardEditing;
class CommandTarget;

// What a child window shows and who handles its commands: made by the application's child factory for
// each child window. The frame asks `view` first and `commands` second for every command, and `editing`
// for the status bar's texts; any of them may be null.
struct ChildParts {
    QWidget* widget = nullptr;  // the contents; the child window takes it
    CommandTarget* view = nullptr;
    CommandTarget* commands = nullptr;
    CardEditing* editing = nullptr;
    // Keeps the objects behind the pointers alive for the child's life. It is released after the widget
    // has gone, so a view never outlives the widget that shows it.
    std::shared_ptr<void> owner;
};

// Makes the parts of a child window for `doc`. `parent` is the child window; `router` runs any command
// as the menus would (the card view uses it for the editors its double clicks and context menus open).
using ChildFactory = std::function<ChildParts(CFichaDoc& doc, QWidget* parent, CommandTarget& router)>;

// The document's documents are shared by the child windows that show them; the last one to go closes the
// document (its undo file goes) and deletes it.
std::shared_ptr<CFichaDoc> MakeSharedDocument();

// One child window of the main frame: one view of one document. A child never grows beyond a 640 x 480
// card with its frame, maximised or not.
class CChildFrame : public QMdiSubWindow {
    Q_OBJECT
  public:
    static constexpr QSize kMaximumSize{651, 510};

    CChildFrame(std::shared_ptr<CFichaDoc> doc, const ChildFactory& factory, CommandTarget& router,
                QWidget* parent = nullptr);
    ~CChildFrame() override;

    CFichaDoc& Document() const { return *doc_; }
    const std::shared_ptr<CFichaDoc>& SharedDocument() const { return doc_; }
    const ChildParts& Parts() const { return parts_; }

    // Asked before the window closes; false keeps it open (the frame's save prompt).
    std::function<bool(CChildFrame&)> canClose;
    // Closes without asking (the frame has asked already).
    void CloseWithoutAsking();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    std::shared_ptr<CFichaDoc> doc_;
    ChildParts parts_;
    bool asked_ = false;
};
