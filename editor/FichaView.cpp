#include "editor/FichaView.h"

#include <QMenu>
#include <QPoint>
#include <QToolTip>
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <memory>

#include "editor/CommandIds.h"
#include "editor/Menus.h"
#include "engine/Sprite.h"
#include "model/Actions.h"
#include "model/FichaDoc.h"
#include "model/Texto.h"
#include "platform/CodePage.h"
#include "ui/ViewWidget.h"

namespace {

using platform::Point;
using platform::Rect;

// Marks for dirty rectangles around what moves: a sprite's dotted frame lies on its rectangle, a text's
// hatched border lies outside it.
constexpr int32_t kSpriteFrameMargin = 1;
constexpr int32_t kTextFrameMargin = CRectTracker::kHandleSize;
// The starting value of the smallest edge in the align commands: edges from here on never set it.
constexpr int32_t kAlignStart = 2000;

Rect SpriteRect(const CSprite& s) {
    return s.GetRect();
}

EditorCursor ToolCursorOf(CFichaView::Tool tool) {
    switch (tool) {
        case CFichaView::Tool::sprite:
            return EditorCursor::spriteTool;
        case CFichaView::Tool::text:
            return EditorCursor::textTool;
        case CFichaView::Tool::picture:
            return EditorCursor::pictureTool;
        case CFichaView::Tool::video:
            return EditorCursor::videoTool;
        default:
            return EditorCursor::arrow;
    }
}

EditorCursor TrackerCursor(CRectTracker::Hit hit) {
    using Hit = CRectTracker::Hit;
    switch (hit) {
        case Hit::topLeft:
        case Hit::bottomRight:
            return EditorCursor::trackerSizeFDiag;
        case Hit::topRight:
        case Hit::bottomLeft:
            return EditorCursor::trackerSizeBDiag;
        case Hit::left:
        case Hit::right:
            return EditorCursor::trackerSizeHor;
        case Hit::top:
        case Hit::bottom:
            return EditorCursor::trackerSizeVer;
        default:
            return EditorCursor::trackerMove;
    }
}

int32_t SnapValue(int32_t v, int size) {
    return static_cast<int32_t>(std::lround(static_cast<double>(v) / size)) * size;
}

}  // namespace

CFichaView::CFichaView(CFichaDoc& doc, CardInsertion* insertion, CommandTarget& router)
    : doc_(&doc), insertion_(insertion), router_(router) {
    burstTimer_.setSingleShot(true);
    burstTimer_.setInterval(kNudgeBurstMs);
    QObject::connect(&burstTimer_, &QTimer::timeout, [this] { burst_ = false; });
    tooltipTimer_.setSingleShot(true);
    tooltipTimer_.setInterval(kTooltipDelayMs);
    QObject::connect(&tooltipTimer_, &QTimer::timeout, [this] {
        if (!widget_ || tooltip_.empty()) return;
        const QRect place = widget_->Layout().ClientToWidget(
            {tooltipClient_.x, tooltipClient_.y, tooltipClient_.x + 1, tooltipClient_.y + 1});
        // The tooltip answers only while the pointer lies on the widget.
        if (!widget_->rect().contains(place.topLeft())) return;
        QToolTip::showText(widget_->mapToGlobal(place.bottomLeft()), QString::fromStdString(tooltip_),
                           widget_, QRect(), kTooltipShowMs);
    });
    // This view composes and shows what the sprites change; showing the document builds the buffer.
    doc.SetDirtyView(this);
}

CFichaView::~CFichaView() {
    HideTooltip();
    if (CFichaDoc* doc = Document(); doc && doc->GetDirtyView() == this) doc->SetDirtyView(nullptr);
}

void CFichaView::SetWidget(ui::ViewWidget* widget) {
    HideTooltip();
    widget_ = widget;
    if (widget_) widget_->setCursor(EditorQCursor(shown_));
}

CFichaDoc* CFichaView::Document() const {
    // A document that went away first detached its views.
    return GetScene() ? doc_ : nullptr;
}

CFicha* CFichaView::Card() const {
    CFichaDoc* doc = Document();
    return doc ? doc->GetCurrentCardPtr() : nullptr;
}

CSpriteList* CFichaView::List() const {
    CFichaDoc* doc = Document();
    return doc ? &doc->GetSpriteList() : nullptr;
}

CTexto* CFichaView::TextAt(const Point& p) const {
    CFicha* card = Card();
    return card ? card->TextAtPoint(p.x, p.y) : nullptr;
}

CSprite* CFichaView::SpriteAt(const Point& p) const {
    CSpriteList* list = List();
    return list ? list->HitTest(p.x, p.y) : nullptr;
}

bool CFichaView::IsLiveText(const CTexto* text) const {
    CFicha* card = Card();
    return text && card && card->texts.Contains(text);
}

bool CFichaView::IsLiveSprite(const CSprite* sprite) const {
    CSpriteList* list = List();
    return sprite && list && list->Contains(sprite);
}

void CFichaView::DropDeadReferences() {
    if (!IsLiveText(currentText_)) currentText_ = nullptr;
    if (!IsLiveSprite(currentSprite_)) currentSprite_ = nullptr;
    if (!IsLiveSprite(hover_)) {
        if (hover_) HideTooltip();
        hover_ = nullptr;
    }
    const bool dragLost = (pressed_ && !IsLiveSprite(pressed_)) ||
                          (leadSprite_ && !IsLiveSprite(leadSprite_)) ||
                          (leadText_ && !IsLiveText(leadText_));
    if (dragLost || (mode_ == Mode::tracker && !currentText_)) {
        // What the pointer held is gone (an undo or a command ran meanwhile): the gesture ends here.
        dragging_ = false;
        snapshotPending_ = false;
        pressed_ = nullptr;
        leadSprite_ = nullptr;
        leadText_ = nullptr;
        if (mode_ == Mode::tracker) mode_ = Mode::idle;
    }
    if (currentText_ && mode_ != Mode::tracker) tracker_.SetRect(currentText_->rect);
}

// ---------------------------------------------------------------- drawing

void CFichaView::PaintOverlay(platform::DeviceContext& dc, const Rect& area) {
    CFicha* card = Card();
    if (!card) return;
    // The surface draws in card coordinates, so the texts are drawn at their stored places.
    for (CTexto* text : card->texts)
        if (text->rect.Normalized().Intersects(area)) text->Draw(dc, 0, 0);
}

std::vector<Rect> CFichaView::SpriteFrames() const {
    std::vector<Rect> frames;
    if (CSpriteList* list = List())
        for (CSprite* s : *list)
            if (s->IsSelected()) frames.push_back(SpriteRect(*s));
    return frames;
}

std::vector<Rect> CFichaView::TextFrames() const {
    std::vector<Rect> frames;
    if (CFicha* card = Card())
        for (CTexto* t : card->texts)
            if (t->selected && t != currentText_) frames.push_back(t->rect);
    return frames;
}

void CFichaView::ShowDirty() {
    const std::deque<Rect> pending = GetDirtyList();
    EmptyDirtyList();
    for (const Rect& r : pending) Render(r);
    const Point scroll = GetScrollPosition();
    for (const Rect& r : pending) DrawBuffer(r.Offset(-scroll.x, -scroll.y));
    // What lies over the buffer (frames, band, tracker) is painted with it.
    if (widget_ && !pending.empty()) widget_->update();
}

void CFichaView::RepaintAll() {
    Render(std::nullopt);
    DrawBuffer(std::nullopt);
    if (widget_) widget_->update();
}

void CFichaView::UpdateOtherViews() {
    CFichaDoc* doc = Document();
    if (!doc) return;
    for (CAnimView* view : doc->GetViews())
        if (view != this) view->OnUpdate();
}

// ---------------------------------------------------------------- CardEditing

CTexto* CFichaView::CurrentText() const {
    return IsLiveText(currentText_) ? currentText_ : nullptr;
}

void CFichaView::SetCurrentText(CTexto* text) {
    currentText_ = IsLiveText(text) ? text : nullptr;
    if (mode_ == Mode::tracker) mode_ = Mode::idle;
    if (currentText_) tracker_ = CRectTracker(currentText_->rect);
    if (widget_) widget_->update();
}

CSprite* CFichaView::CurrentSprite() const {
    return IsLiveSprite(currentSprite_) ? currentSprite_ : nullptr;
}

void CFichaView::SetCurrentSprite(CSprite* sprite) {
    currentSprite_ = IsLiveSprite(sprite) ? sprite : nullptr;
}

void CFichaView::SelectSprite(CSprite& sprite, bool on) {
    sprite.SetSelected(on);
    CFicha* card = Card();
    if (!card) return;
    const int32_t number = sprite.GetNumber();
    if (number == kVideoProxyNumber) {
        card->video.runtimeWord = on ? 1 : 0;
    } else if (IsPictureProxyNumberOfEditor(number)) {
        const size_t index = static_cast<size_t>(kEditorFirstPictureProxyNumber - number);
        if (CFoto* picture = card->PictureAt(index)) picture->selected = on;
    }
}

void CFichaView::DeselectAll() {
    if (CSpriteList* list = List())
        for (CSprite* s : *list) s->SetSelected(false);
    if (CFicha* card = Card()) {
        card->video.runtimeWord = 0;
        for (CFoto* picture : card->pictures) picture->selected = false;
        for (CTexto* text : card->texts) text->selected = false;
    }
}

void CFichaView::Refresh() {
    DropDeadReferences();
    RepaintAll();
}

void CFichaView::OnUpdate() {
    DropDeadReferences();
    // Everything is composed anew; rectangles gathered while another view was worked in are covered.
    EmptyDirtyList();
    CAnimView::OnUpdate();
    if (widget_) widget_->update();
}

bool CFichaView::NewBackground(CDIB& background) {
    DropDeadReferences();
    return CAnimView::NewBackground(background);
}

std::string CFichaView::CardPaneText() const {
    CFichaDoc* doc = Document();
    if (!doc || !doc->GetCurrentCardPtr()) return "";
    char text[64];
    std::snprintf(text, sizeof text, "Ficha: %d de %d", doc->GetCurrentCard() + 1,
                  static_cast<int>(doc->GetCards().GetSize()));
    return text;
}

std::string CFichaView::PositionPaneText() const {
    char text[64];
    std::snprintf(text, sizeof text, "Pos X: %d, Pos Y: %d", lastPointer_.x, lastPointer_.y);
    return text;
}

int CFichaView::CountSelectedSprites() const {
    int n = 0;
    if (CSpriteList* list = List())
        for (CSprite* s : *list) n += s->IsSelected();
    return n;
}

int CFichaView::CountSelectedTexts() const {
    int n = 0;
    if (CFicha* card = Card())
        for (CTexto* t : card->texts) n += t->selected;
    return n;
}

// ---------------------------------------------------------------- tools, grid, cursors

void CFichaView::SetTool(Tool tool) {
    tool_ = tool;
    // The tool's cursor shows from the next movement over an empty part of the card.
    toolCursor_ = ToolCursorOf(tool);
}

void CFichaView::FinishTool() {
    SetTool(Tool::select);
    cursor_ = EditorCursor::arrow;
    SetShownCursor(EditorCursor::arrow);
}

bool CFichaView::ToolEnabled(Tool tool) const {
    if (tool != Tool::video) return true;
    CFicha* card = Card();
    return card && !card->video.HasVideo();
}

void CFichaView::SetGrid(bool on, int size) {
    gridOn_ = on;
    gridSize_ = std::max(2, size);
    if (widget_) widget_->update();
}

Point CFichaView::Snap(const Point& p) const {
    if (!gridOn_) return p;
    return {SnapValue(p.x, gridSize_), SnapValue(p.y, gridSize_)};
}

void CFichaView::SetShownCursor(EditorCursor cursor) {
    if (cursor == shown_) return;
    shown_ = cursor;
    if (widget_) widget_->setCursor(EditorQCursor(cursor));
}

EditorCursor CFichaView::CursorAt(const Point& p) const {
    // Over its handles and border the tracker shows its own cursors.
    if (mode_ == Mode::tracker) return TrackerCursor(tracker_.Tracking());
    if (currentText_)
        if (CRectTracker::Hit hit = tracker_.HitTest(p); hit != CRectTracker::Hit::none)
            return TrackerCursor(hit);
    return cursor_;
}

// ---------------------------------------------------------------- mouse

void CFichaView::BecomeDirtyView() {
    CFichaDoc* doc = Document();
    if (doc && doc->GetDirtyView() != this) doc->SetDirtyView(this);
}

void CFichaView::MousePress(const ui::MouseEvent& event) {
    BecomeDirtyView();
    EndNudgeBurst();
    HideTooltip();
    if (event.button == ui::MouseButton::left) LeftDown(event);
    if (event.button == ui::MouseButton::right) RightDown(event);
}

void CFichaView::LeftDown(const ui::MouseEvent& event) {
    if (dragging_ || mode_ != Mode::idle) return;
    if (tool_ != Tool::select) {
        InsertWithTool(event.point);
        return;
    }
    const Point p = event.point;
    if (CTexto* text = TextAt(p)) {
        PressText(*text, event);
        return;
    }
    currentText_ = nullptr;
    if (CSprite* sprite = SpriteAt(p)) {
        PressSprite(*sprite, event);
        return;
    }
    DeselectAll();
    RepaintAll();
    StartBand(p, false);
}

void CFichaView::PressText(CTexto& text, const ui::MouseEvent& event) {
    const Point p = event.point;
    if (event.shift) {
        // A Shift press adds the text and drags the whole selection. The drag takes its undo step at
        // its first movement like every other drag, so that it can be undone.
        text.selected = true;
        currentText_ = nullptr;
        dragging_ = true;
        snapshotPending_ = true;
        anchor_ = p;
        leadText_ = &text;
        leadSprite_ = nullptr;
        pressed_ = nullptr;
        if (widget_) widget_->update();
        return;
    }
    if (!text.selected) {
        DeselectAll();
        RepaintAll();
        text.selected = true;
        SetCurrentText(&text);
    }
    // The selection follows the pointer by its movement from here; the grabbed point does not jump to
    // the text's corner.
    anchor_ = p;
    if (!currentText_) {
        dragging_ = true;
        snapshotPending_ = true;
        leadText_ = &text;
        leadSprite_ = nullptr;
        pressed_ = nullptr;
        return;
    }
    const CRectTracker::Hit hit = tracker_.HitTest(p);
    if (hit == CRectTracker::Hit::none) return;
    tracker_.SetRect(currentText_->rect);
    tracker_.BeginTrack(hit, p);
    mode_ = Mode::tracker;
    SetShownCursor(CursorAt(p));
}

void CFichaView::PressSprite(CSprite& sprite, const ui::MouseEvent& event) {
    dragging_ = true;
    snapshotPending_ = true;
    pressed_ = &sprite;
    currentSprite_ = &sprite;
    leadSprite_ = &sprite;
    leadText_ = nullptr;
    anchor_ = event.point;
    if (event.shift) {
        SelectSprite(sprite, true);
    } else if (sprite.IsSelected()) {
        return;  // the whole selection is dragged as it is
    } else {
        DeselectAll();
        RepaintAll();
        SelectSprite(sprite, true);
    }
    if (widget_) widget_->update();
}

void CFichaView::StartBand(const Point& p, bool forText) {
    mode_ = Mode::band;
    bandForText_ = forText;
    bandStart_ = forText ? Snap(p) : p;
    bandEnd_ = bandStart_;
}

std::optional<Rect> CFichaView::RubberBand() const {
    if (mode_ != Mode::band) return std::nullopt;
    return Rect{bandStart_.x, bandStart_.y, bandEnd_.x, bandEnd_.y}.Normalized();
}

void CFichaView::EndBand() {
    const Rect band = *RubberBand();
    mode_ = Mode::idle;
    const bool drawn = !band.IsEmpty();
    if (bandForText_) {
        FinishTool();
        if (drawn && insertion_)
            if (CTexto* text = insertion_->InsertText(band)) SetCurrentText(text);
        RepaintAll();
        return;
    }
    if (drawn) {
        // Touching is enough: every element whose rectangle meets the band is selected.
        if (CSpriteList* list = List())
            for (CSprite* s : *list)
                if (SpriteRect(*s).Intersects(band)) SelectSprite(*s, true);
        if (CFicha* card = Card())
            for (CTexto* t : card->texts)
                if (t->rect.Normalized().Intersects(band)) t->selected = true;
    }
    if (widget_) widget_->update();
}

void CFichaView::InsertWithTool(const Point& at) {
    const Tool tool = tool_;
    const Point p = Snap(at);
    if (tool == Tool::text) {
        StartBand(p, true);
        return;
    }
    // The tool goes back to select whatever the insertion gives.
    FinishTool();
    if (!insertion_) return;
    if (tool == Tool::sprite) insertion_->InsertSprite(p);
    if (tool == Tool::picture) insertion_->InsertPicture(p);
    if (tool == Tool::video && ToolEnabled(Tool::video)) insertion_->InsertVideo(p);
    DropDeadReferences();
}

void CFichaView::MouseMove(const ui::MouseEvent& event) {
    const Point p = event.point;
    lastPointer_ = p;
    if (mode_ == Mode::tracker) {
        const Point grabbed = p;
        tracker_.TrackTo(grabbed);
        if (gridOn_) {
            // The edges that the pointer moves land on the grid.
            Rect r = tracker_.GetRect();
            const Rect s = tracker_.StartRect();
            if (r.left != s.left) r.left = SnapValue(r.left, gridSize_);
            if (r.top != s.top) r.top = SnapValue(r.top, gridSize_);
            if (tracker_.Tracking() == CRectTracker::Hit::middle) {
                r.right = r.left + s.Width();
                r.bottom = r.top + s.Height();
            } else {
                if (r.right != s.right) r.right = SnapValue(r.right, gridSize_);
                if (r.bottom != s.bottom) r.bottom = SnapValue(r.bottom, gridSize_);
            }
            tracker_.SetRect(r);
        }
        if (widget_) widget_->update();
        return;
    }
    if (mode_ == Mode::band) {
        bandEnd_ = bandForText_ ? Snap(p) : p;
        if (widget_) widget_->update();
        return;
    }
    Hover(event);
    if (dragging_) DragTo(p);
    SetShownCursor(CursorAt(p));
}

void CFichaView::Hover(const ui::MouseEvent& event) {
    const Point p = event.point;
    if (CTexto* text = TextAt(p)) {
        if (!text->selected)
            cursor_ = EditorCursor::overElement;
        else if (!currentText_)
            cursor_ = EditorCursor::move;
        return;
    }
    if (CSprite* sprite = SpriteAt(p)) {
        if (sprite != hover_) HoverSprite(sprite, event);
        cursor_ = sprite->IsSelected() ? EditorCursor::move : EditorCursor::overElement;
        return;
    }
    if (hover_) {
        hover_ = nullptr;
        HideTooltip();
    }
    cursor_ = toolCursor_;
}

void CFichaView::HoverSprite(CSprite* sprite, const ui::MouseEvent& event) {
    hover_ = sprite;
    std::string text = sprite->GetText().substr(0, kTooltipChars);
    tooltip_ = platform::Cp1252ToUtf8(text);
    tooltipClient_ = event.clientPoint;
    if (tooltip_.empty()) {
        tooltipTimer_.stop();
        QToolTip::hideText();
    } else {
        tooltipTimer_.start();
    }
}

void CFichaView::HideTooltip() {
    tooltip_.clear();
    tooltipTimer_.stop();
    if (widget_ && QToolTip::isVisible()) QToolTip::hideText();
}

void CFichaView::DragTo(const Point& p) {
    int32_t dx = p.x - anchor_.x, dy = p.y - anchor_.y;
    if (gridOn_) {
        // The grabbed element's corner lands on the grid; the rest of the selection keeps its distance.
        Point corner;
        if (leadSprite_)
            corner = {leadSprite_->GetX(), leadSprite_->GetY()};
        else if (leadText_)
            corner = {leadText_->rect.left, leadText_->rect.top};
        const Point target = Snap({corner.x + dx, corner.y + dy});
        dx = target.x - corner.x;
        dy = target.y - corner.y;
    }
    if (dx == 0 && dy == 0) return;
    if (snapshotPending_) {
        // The state from before the drag: the whole drag is one step.
        TakeUndoSnapshot("Move");
        snapshotPending_ = false;
    }
    MoveSelection(dx, dy);
    anchor_ = {anchor_.x + dx, anchor_.y + dy};
    ShowDirty();
    if (CFichaDoc* doc = Document()) doc->SetModifiedFlag();
}

void CFichaView::MoveSelection(int32_t dx, int32_t dy) {
    if (CFicha* card = Card())
        for (CTexto* t : card->texts) {
            if (!t->selected) continue;
            AddDirty(t->rect.Normalized().Inflate(kTextFrameMargin));
            t->MoveTo(t->rect.left + dx, t->rect.top + dy);
            // Texts are not part of the buffer: where they arrive must be painted too.
            AddDirty(t->rect.Normalized().Inflate(kTextFrameMargin));
        }
    if (CSpriteList* list = List()) {
        std::vector<CSprite*> selected;
        for (CSprite* s : *list)
            if (s->IsSelected()) selected.push_back(s);
        for (CSprite* s : selected) {
            AddDirty(SpriteRect(*s).Inflate(kSpriteFrameMargin));
            s->SetPosition(s->GetX() + dx, s->GetY() + dy);
            AddDirty(SpriteRect(*s).Inflate(kSpriteFrameMargin));
        }
    }
    if (currentText_ && mode_ != Mode::tracker) tracker_.SetRect(currentText_->rect);
    SyncProxyRecords();
}

void CFichaView::SyncProxyRecords() {
    // The pictures and the video are stored where their proxies stand, whatever moved them.
    CFicha* card = Card();
    CSpriteList* list = List();
    if (!card || !list) return;
    for (CSprite* s : *list) {
        const int32_t number = s->GetNumber();
        if (number == kVideoProxyNumber && card->video.HasVideo()) {
            if (card->video.x != s->GetX() || card->video.y != s->GetY()) {
                card->video.x = s->GetX();
                card->video.y = s->GetY();
                card->video.MarkChanged();
            }
        } else if (IsPictureProxyNumberOfEditor(number)) {
            CFoto* picture = card->PictureAt(static_cast<size_t>(kEditorFirstPictureProxyNumber - number));
            if (picture && (picture->x != s->GetX() || picture->y != s->GetY())) {
                picture->x = s->GetX();
                picture->y = s->GetY();
                picture->MarkChanged();
            }
        }
    }
}

void CFichaView::MouseRelease(const ui::MouseEvent& event) {
    if (event.button != ui::MouseButton::left) return;
    if (mode_ == Mode::tracker) {
        EndTracker();
        return;
    }
    if (mode_ == Mode::band) {
        EndBand();
        return;
    }
    EndDrag();
}

void CFichaView::EndTracker() {
    mode_ = Mode::idle;
    const bool changed = tracker_.EndTrack();
    if (!currentText_) return;
    if (changed) {
        const Rect before = currentText_->rect.Normalized(), after = tracker_.GetRect().Normalized();
        const bool resized = before.Width() != after.Width() || before.Height() != after.Height();
        TakeUndoSnapshot(resized ? "Resize" : "Move");
        AddDirty(currentText_->rect.Normalized().Inflate(kTextFrameMargin));
        currentText_->rect = tracker_.GetRect().Normalized();
        currentText_->MarkChanged();
        tracker_.SetRect(currentText_->rect);
        AddDirty(currentText_->rect.Inflate(kTextFrameMargin));
        ShowDirty();
        if (CFichaDoc* doc = Document()) doc->SetModifiedFlag();
        UpdateOtherViews();
    }
    SetShownCursor(CursorAt(lastPointer_));
}

void CFichaView::EndDrag() {
    const bool moved = dragging_ && !snapshotPending_;
    // Every proxy that moved stands for a record that is stored where the proxy is now.
    SyncProxyRecords();
    if (dragging_) {
        if (pressed_) SelectSprite(*pressed_, true);
        dragging_ = false;
        snapshotPending_ = false;
        pressed_ = nullptr;
        leadSprite_ = nullptr;
        leadText_ = nullptr;
        RepaintAll();
        if (moved) UpdateOtherViews();
    }
}

void CFichaView::MouseDoubleClick(const ui::MouseEvent& event) {
    EndNudgeBurst();
    HideTooltip();
    if (event.button != ui::MouseButton::left || tool_ != Tool::select) return;
    if (const int command = DoubleClickCommandAt(event.point)) router_.RunCommand(command);
}

int CFichaView::DoubleClickCommandAt(const Point& p) {
    if (CTexto* text = TextAt(p)) {
        SetCurrentText(text);
        return cmd::kEditText;
    }
    if (CSprite* sprite = SpriteAt(p)) {
        currentSprite_ = sprite;
        const int32_t number = sprite->GetNumber();
        if (IsPictureProxyNumberOfEditor(number)) return cmd::kPictureProperties;
        // The video's proxy opens the video's own dialog, never the sprite sheet of a proxy.
        if (number == kVideoProxyNumber) return cmd::kVideoProperties;
        return cmd::kSpriteProperties;
    }
    return cmd::kScreenProperties;
}

void CFichaView::RightDown(const ui::MouseEvent& event) {
    if (dragging_ || mode_ != Mode::idle) return;
    cursor_ = EditorCursor::arrow;
    SetShownCursor(EditorCursor::arrow);
    const int menuId = ContextMenuAt(event.point);
    if (!menuId) return;
    std::unique_ptr<QMenu> popup = BuildContextMenu(menuId, router_, widget_);
    if (!popup) return;
    QPoint global;
    if (widget_) {
        const Point c = event.clientPoint;
        global =
            widget_->mapToGlobal(widget_->Layout().ClientToWidget({c.x, c.y, c.x + 1, c.y + 1}).topLeft());
    }
    if (popup_)
        popup_(*popup, global);
    else
        popup->exec(global);
}

int CFichaView::ContextMenuAt(const Point& p) {
    if (Card()) {
        if (CTexto* text = TextAt(p)) {
            SetCurrentText(text);
            return menu::kText;
        }
        SetCurrentText(nullptr);
        CSprite* sprite = SpriteAt(p);
        currentSprite_ = sprite;
        if (!sprite) return menu::kScreen;
        const int32_t number = sprite->GetNumber();
        if (number >= 0) return menu::kSprite;
        return number == kVideoProxyNumber ? menu::kVideo : menu::kPicture;
    }
    currentSprite_ = SpriteAt(p);
    return currentSprite_ ? menu::kSprite : 0;
}

// ---------------------------------------------------------------- keys

bool CFichaView::KeyPress(const ui::KeyEvent& event) {
    if (event.key == Qt::Key_Escape && mode_ != Mode::idle) {
        // Escape gives up a tracker move or resize and a band, as the tracker always allowed.
        if (mode_ == Mode::tracker) {
            tracker_.SetRect(tracker_.StartRect());
            tracker_.EndTrack();
        }
        if (mode_ == Mode::band && bandForText_) FinishTool();
        mode_ = Mode::idle;
        if (widget_) widget_->update();
        return true;
    }
    int32_t dx = 0, dy = 0;
    const int32_t step = event.shift ? 10 : 1;
    switch (event.key) {
        case Qt::Key_Left:
            dx = -step;
            break;
        case Qt::Key_Right:
            dx = step;
            break;
        case Qt::Key_Up:
            dy = -step;
            break;
        case Qt::Key_Down:
            dy = step;
            break;
        default:
            return false;
    }
    if (event.control || event.alt || dragging_ || mode_ != Mode::idle) return false;
    if (CountSelectedSprites() + CountSelectedTexts() == 0) return false;
    BecomeDirtyView();
    if (!burst_) {
        // A burst of arrows is one step: the state from before its first key.
        TakeUndoSnapshot("Nudge");
        burst_ = true;
    }
    burstTimer_.start();
    MoveSelection(dx, dy);
    ShowDirty();
    if (CFichaDoc* doc = Document()) doc->SetModifiedFlag();
    UpdateOtherViews();
    return true;
}

void CFichaView::EndNudgeBurst() {
    burst_ = false;
    burstTimer_.stop();
}

// ---------------------------------------------------------------- alignment and spacing

void CFichaView::TakeUndoSnapshot(const std::string& step) {
    CFichaDoc* doc = Document();
    if (!doc) return;
    // Storing a text clears its selection mark, and a snapshot is a store: without this the texts of
    // the selection would drop out of the very drag or alignment the snapshot was taken for.
    std::vector<CTexto*> selected;
    for (CFicha* card : doc->GetCards())
        for (CTexto* text : card->texts)
            if (text->selected) selected.push_back(text);
    doc->TakeUndoSnapshot(step);
    for (CTexto* text : selected) text->selected = true;
}

void CFichaView::AfterArrangement() {
    SyncProxyRecords();
    if (currentText_) tracker_.SetRect(currentText_->rect);
    if (CFichaDoc* doc = Document()) doc->SetModifiedFlag();
    RepaintAll();
    UpdateOtherViews();
}

void CFichaView::AlignEdge(bool vertical, bool farEdge) {
    if (CountSelectedSprites() + CountSelectedTexts() < 2) return;
    if (vertical)
        TakeUndoSnapshot(farEdge ? "Align down" : "Align up");
    else
        TakeUndoSnapshot(farEdge ? "Align right" : "Align left");
    CSpriteList* list = List();
    CFicha* card = Card();
    // Up and left take the smallest near edge starting from 2000; down and right, their twins, the
    // largest far edge of the selection.
    int32_t reference = farEdge ? INT32_MIN : kAlignStart;
    auto consider = [&](const Rect& r) {
        if (farEdge)
            reference = std::max(reference, vertical ? r.bottom : r.right);
        else
            reference = std::min(reference, vertical ? r.top : r.left);
    };
    if (list)
        for (CSprite* s : *list)
            if (s->IsSelected()) consider(SpriteRect(*s));
    if (card)
        for (CTexto* t : card->texts)
            if (t->selected) consider(t->rect.Normalized());
    auto place = [&](const Rect& r) {
        // The near edge that puts the element's chosen edge on the reference.
        if (!farEdge) return reference;
        return reference - (vertical ? r.Height() : r.Width());
    };
    if (list) {
        std::vector<CSprite*> selected;
        for (CSprite* s : *list)
            if (s->IsSelected()) selected.push_back(s);
        for (CSprite* s : selected) {
            const int32_t v = place(SpriteRect(*s));
            if (vertical)
                s->SetPosition(s->GetX(), v);
            else
                s->SetPosition(v, s->GetY());
        }
    }
    if (card)
        for (CTexto* t : card->texts) {
            if (!t->selected) continue;
            const int32_t v = place(t->rect.Normalized());
            if (vertical)
                t->MoveTo(t->rect.left, v);
            else
                t->MoveTo(v, t->rect.top);
        }
    EmptyDirtyList();
    AfterArrangement();
}

void CFichaView::AlignUp() {
    AlignEdge(true, false);
}
void CFichaView::AlignDown() {
    AlignEdge(true, true);
}
void CFichaView::AlignLeft() {
    AlignEdge(false, false);
}
void CFichaView::AlignRight() {
    AlignEdge(false, true);
}

void CFichaView::SpaceEvenly(bool vertical) {
    CSpriteList* list = List();
    if (!list) return;
    // Visited in drawing order, from the rear-most sprite to the front-most; their present places do
    // not sort them.
    std::vector<CSprite*> visited;
    for (size_t i = list->GetCount(); i-- > 0;)
        if (list->GetAt(i)->IsSelected()) visited.push_back(list->GetAt(i));
    const int32_t n = static_cast<int32_t>(visited.size());
    if (n < 3) return;
    int32_t minimum = kAlignStart, maximum = 0;
    for (CSprite* s : visited) {
        const int32_t v = vertical ? s->GetY() : s->GetX();
        minimum = std::min(minimum, v);
        maximum = std::max(maximum, v);
    }
    // The original kept one undo level and took no snapshot here; with many levels that made an Undo
    // right after the spacing take back the command before it as well, so the spacing is a step of its own.
    TakeUndoSnapshot(vertical ? "Space evenly down" : "Space evenly across");
    const int32_t step = (maximum - minimum) / (n - 1);  // truncates toward zero
    for (int32_t k = 0; k < n; ++k) {
        CSprite* s = visited[static_cast<size_t>(k)];
        const int32_t v = minimum + k * step;
        if (vertical)
            s->SetPosition(s->GetX(), v);
        else
            s->SetPosition(v, s->GetY());
    }
    EmptyDirtyList();
    AfterArrangement();
}

void CFichaView::SpaceEvenlyDown() {
    SpaceEvenly(true);
}
void CFichaView::SpaceEvenlyAcross() {
    SpaceEvenly(false);
}

// ---------------------------------------------------------------- commands

bool CFichaView::CommandState(int id, State& state) {
    state = {};
    auto tool = [&](Tool t) {
        state.enabled = ToolEnabled(t);
        state.checked = tool_ == t;
        return true;
    };
    switch (id) {
        case cmd::kAlignUp:
        case cmd::kAlignDown:
        case cmd::kAlignLeft:
        case cmd::kAlignRight:
            state.enabled = CountSelectedSprites() + CountSelectedTexts() >= 2;
            return true;
        case cmd::kSpaceEvenlyDown:
        case cmd::kSpaceEvenlyAcross:
            state.enabled = CountSelectedSprites() >= 3;
            return true;
        case cmd::kSelectTool:
            return tool(Tool::select);
        case cmd::kInsertSprite:
            return tool(Tool::sprite);
        case cmd::kInsertText:
            return tool(Tool::text);
        case cmd::kInsertPicture:
            return tool(Tool::picture);
        case cmd::kInsertVideo:
            return tool(Tool::video);
        case cmd::kSizeToContent:
            state.enabled = true;
            return true;
        case cmd::kViewGrid:
            state.enabled = true;
            state.checked = gridOn_;
            return true;
        // No handler was ever given to these: they show, disabled.
        case cmd::kTextPosition:
        case cmd::kPictureDelete:
        case cmd::kVideoDelete:
            return true;
        default:
            return false;
    }
}

bool CFichaView::RunCommand(int id) {
    // Any command ends a burst of arrow keys: the next arrow is a step of its own.
    EndNudgeBurst();
    State state;
    if (!CommandState(id, state)) return false;
    if (!state.enabled) return true;
    switch (id) {
        case cmd::kAlignUp:
            AlignUp();
            break;
        case cmd::kAlignDown:
            AlignDown();
            break;
        case cmd::kAlignLeft:
            AlignLeft();
            break;
        case cmd::kAlignRight:
            AlignRight();
            break;
        case cmd::kSpaceEvenlyDown:
            SpaceEvenlyDown();
            break;
        case cmd::kSpaceEvenlyAcross:
            SpaceEvenlyAcross();
            break;
        case cmd::kSelectTool:
            SetTool(Tool::select);
            break;
        case cmd::kInsertSprite:
            SetTool(Tool::sprite);
            break;
        case cmd::kInsertText:
            SetTool(Tool::text);
            break;
        case cmd::kInsertPicture:
            SetTool(Tool::picture);
            break;
        case cmd::kInsertVideo:
            SetTool(Tool::video);
            break;
        case cmd::kSizeToContent:
            if (sizeToContent_) sizeToContent_();
            break;
        case cmd::kViewGrid:
            SetGrid(!gridOn_, gridSize_);
            break;
        default:
            break;
    }
    return true;
}
