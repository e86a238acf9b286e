#pragma once

#include <QTimer>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "editor/CommandTarget.h"
#include "editor/Cursors.h"
#include "editor/EditingSeams.h"
#include "editor/RectTracker.h"
#include "engine/AnimView.h"
#include "ui/ViewClient.h"

class CFicha;
class CFichaDoc;
class CSprite;
class CTexto;
class QMenu;
class QPoint;

namespace ui {
class ViewWidget;
}

// Fabrio's editing view of one card: the scene of CAnimView with the current card's texts drawn over
// it, selection of sprites, proxies and texts by click, Shift-click and rubber band, dragging of the
// selection, the text tracker, alignment and spacing, the insert tools, the context menus and the
// double-click editors. It is shown by a ui::ViewWidget, whose input it takes as a ViewClient; it
// handles its own commands as a CommandTarget and runs the others (dialogs, menu entries) through the
// router it is given. The selection marks live in the model objects (sprites, pictures, the video,
// texts), never here.
class CFichaView : public CAnimView, public ui::ViewClient, public CommandTarget, public CardEditing {
  public:
    enum class Tool { select = 0, sprite = 1, text = 2, picture = 3, video = 4 };

    static constexpr int kDefaultGridSize = 8;
    // A burst of arrow keys is one undo step; it ends when no arrow came for this long.
    static constexpr int kNudgeBurstMs = 700;
    static constexpr size_t kTooltipChars = 79;
    static constexpr int kTooltipDelayMs = 200;
    static constexpr int kTooltipShowMs = 32767;

    // `insertion` may be null (the insert tools then only return to the select tool).
    CFichaView(CFichaDoc& doc, CardInsertion* insertion, CommandTarget& router);
    ~CFichaView() override;

    // The model side of the insert tools, when it is made after the view (it needs the view first).
    void SetInsertion(CardInsertion* insertion) { insertion_ = insertion; }
    // The widget that shows the view: cursors, tooltips and menus go there. Null for none.
    void SetWidget(ui::ViewWidget* widget);
    ui::ViewWidget* Widget() const { return widget_; }
    // The document while it lives (null once it is gone).
    CFichaDoc* Document() const;
    CFicha* Card() const;

    // --- ViewClient ---
    void PaintOverlay(platform::DeviceContext& dc, const platform::Rect& area) override;
    void MousePress(const ui::MouseEvent& event) override;
    void MouseRelease(const ui::MouseEvent& event) override;
    void MouseMove(const ui::MouseEvent& event) override;
    void MouseDoubleClick(const ui::MouseEvent& event) override;
    bool KeyPress(const ui::KeyEvent& event) override;

    // --- CommandTarget ---
    bool CommandState(int id, State& state) override;
    bool RunCommand(int id) override;

    // --- CardEditing ---
    CTexto* CurrentText() const override;
    void SetCurrentText(CTexto* text) override;
    CSprite* CurrentSprite() const override;
    void SetCurrentSprite(CSprite* sprite) override;
    void DeselectAll() override;
    void Refresh() override;
    std::string CardPaneText() const override;
    std::string PositionPaneText() const override;

    // --- the framework's notices ---
    // The document changed: references to elements that are gone are dropped, everything is shown anew.
    void OnUpdate() override;
    // A new background (a new title's content after an undo, or a background command): the references
    // are checked against what the document now holds.
    bool NewBackground(CDIB& background) override;

    // --- selection ---
    int CountSelectedSprites() const;  // proxies included
    int CountSelectedTexts() const;    // of the current card
    // Selects or deselects a sprite; a proxy carries the mark over to its picture or the video.
    void SelectSprite(CSprite& sprite, bool on);

    // --- alignment and spacing (each re-renders; aligning takes an undo step first, spacing none) ---
    void AlignUp();
    void AlignDown();
    void AlignLeft();
    void AlignRight();
    void SpaceEvenlyDown();
    void SpaceEvenlyAcross();

    // --- tools, grid, cursor, state shown ---
    Tool GetTool() const { return tool_; }
    void SetTool(Tool tool);
    // The cursor the widget shows now, and the one that the current tool shows over an empty card.
    EditorCursor ShownCursor() const { return shown_; }
    EditorCursor ToolCursor() const { return toolCursor_; }
    bool GridOn() const { return gridOn_; }
    int GridSize() const { return gridSize_; }
    void SetGrid(bool on, int size = kDefaultGridSize);
    platform::Point Snap(const platform::Point& p) const;

    bool IsDragging() const { return dragging_; }
    bool NudgeBurstRunning() const { return burst_; }
    // Ends a running burst of arrow keys: the next arrow is a new undo step.
    void EndNudgeBurst();
    const platform::Point& LastPointer() const { return lastPointer_; }
    // The tracker of the current text (null without one); while a move or resize runs it shows the
    // rectangle the text will get.
    const CRectTracker* Tracker() const { return currentText_ ? &tracker_ : nullptr; }
    // The band a running rubber band covers (card coordinates).
    std::optional<platform::Rect> RubberBand() const;
    // The tooltip text of the sprite under the pointer (UTF-8), empty when none is shown.
    const std::string& TooltipText() const { return tooltip_; }

    // The selection frames over the scene: selected sprites get a dotted frame, selected texts a hatched
    // border with handles, in card coordinates.
    std::vector<platform::Rect> SpriteFrames() const;
    std::vector<platform::Rect> TextFrames() const;

    // --- context menus and double clicks ---
    // What a right press at `point` does to the view's state, and the context menu it opens (0 none).
    int ContextMenuAt(const platform::Point& point);
    // Shows the built menu; by default it runs modally at the global point. Tests look at it instead.
    using MenuPopup = std::function<void(QMenu& menu, const QPoint& global)>;
    void SetMenuPopup(MenuPopup popup) { popup_ = std::move(popup); }
    // The command a double click at `point` runs through the router (making the element current), 0 none.
    int DoubleClickCommandAt(const platform::Point& point);

    // Size to content: the host that fits its window to the view says how.
    void SetSizeToContent(std::function<void()> fit) { sizeToContent_ = std::move(fit); }

  protected:
    // Takes the undo step before a change of the view's own (a drag, a tracker change, alignment, a
    // burst of arrow keys), named as the Edit menu shows it ("Undo Move").
    virtual void TakeUndoSnapshot(const std::string& step);

  private:
    enum class Mode { idle, band, tracker };

    CSpriteList* List() const;
    CTexto* TextAt(const platform::Point& p) const;
    CSprite* SpriteAt(const platform::Point& p) const;
    bool IsLiveText(const CTexto* text) const;
    bool IsLiveSprite(const CSprite* sprite) const;
    void DropDeadReferences();

    void LeftDown(const ui::MouseEvent& event);
    void PressText(CTexto& text, const ui::MouseEvent& event);
    void PressSprite(CSprite& sprite, const ui::MouseEvent& event);
    void StartBand(const platform::Point& p, bool forText);
    void EndBand();
    void EndTracker();
    void EndDrag();
    void InsertWithTool(const platform::Point& p);
    void FinishTool();
    void Hover(const ui::MouseEvent& event);
    void DragTo(const platform::Point& p);
    void RightDown(const ui::MouseEvent& event);

    // Moves every selected sprite and text of the current card by (dx, dy), marking what they leave
    // and reach dirty, then keeps the pictures and the video where their proxies are.
    void MoveSelection(int32_t dx, int32_t dy);
    void SyncProxyRecords();
    void AlignEdge(bool vertical, bool farEdge);
    void SpaceEvenly(bool vertical);
    void AfterArrangement();

    // Composes the dirty rectangles and shows them where they lie on the widget (scroll taken off).
    void ShowDirty();
    void RepaintAll();
    void SetShownCursor(EditorCursor cursor);
    EditorCursor CursorAt(const platform::Point& p) const;
    void HoverSprite(CSprite* sprite, const ui::MouseEvent& event);
    void HideTooltip();
    void UpdateOtherViews();
    // The view the user works in receives the sprites' dirty rectangles.
    void BecomeDirtyView();
    bool ToolEnabled(Tool tool) const;

    CFichaDoc* doc_;
    CardInsertion* insertion_;
    CommandTarget& router_;
    ui::ViewWidget* widget_ = nullptr;

    CTexto* currentText_ = nullptr;
    CSprite* currentSprite_ = nullptr;
    CSprite* pressed_ = nullptr;
    CSprite* hover_ = nullptr;
    // The element whose top-left corner snaps to the grid while a drag runs.
    CSprite* leadSprite_ = nullptr;
    CTexto* leadText_ = nullptr;
    bool dragging_ = false;
    bool snapshotPending_ = false;
    platform::Point anchor_;
    platform::Point lastPointer_;
    Mode mode_ = Mode::idle;
    bool bandForText_ = false;
    platform::Point bandStart_;
    platform::Point bandEnd_;
    CRectTracker tracker_;
    Tool tool_ = Tool::select;
    EditorCursor toolCursor_ = EditorCursor::arrow;
    EditorCursor cursor_ = EditorCursor::arrow;
    EditorCursor shown_ = EditorCursor::arrow;
    bool gridOn_ = false;
    int gridSize_ = kDefaultGridSize;
    bool burst_ = false;
    QTimer burstTimer_;
    std::string tooltip_;
    QTimer tooltipTimer_;
    platform::Point tooltipClient_;
    MenuPopup popup_;
    std::function<void()> sizeToContent_;
};
