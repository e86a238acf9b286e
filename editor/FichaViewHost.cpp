#include "editor/FichaViewHost.h"

#include <QMdiSubWindow>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>

#include "editor/FichaView.h"

namespace {

// The hatched border of a text tracker: the band just outside the rectangle. Black hatching on white, so
// that the tracker shows on the black card of a new title as well as on a light picture.
void DrawHatchedBorder(QPainter& p, const QRect& inner, int width) {
    const QRect outer = inner.adjusted(-width, -width, width, width);
    QRegion band = QRegion(outer).subtracted(QRegion(inner));
    p.save();
    p.setClipRegion(band, Qt::IntersectClip);
    p.fillRect(outer, Qt::white);
    p.fillRect(outer, QBrush(Qt::black, Qt::BDiagPattern));
    p.restore();
}

}  // namespace

CFichaViewWidget::CFichaViewWidget(CFichaView& view, QWidget* parent) : ui::ViewWidget(parent), view_(view) {
    SetCentred(false);
}

void CFichaViewWidget::paintEvent(QPaintEvent* event) {
    ui::ViewWidget::paintEvent(event);
    QPainter p(this);
    p.setClipRegion(event->region());
    const ui::ViewLayout layout = Layout();
    const platform::Point scroll = layout.Scroll();
    auto toWidget = [&](const platform::Rect& card) {
        return layout.ClientToWidget(card.Offset(-scroll.x, -scroll.y));
    };
    // Beyond the card the window shows its own background, as a scrolling editor does, not the black
    // margins of the player: a strip of black beside a light card would read as part of the card.
    const platform::Size size = ViewSize();
    const QRegion beyond = event->region().subtracted(toWidget({0, 0, size.cx, size.cy}));
    for (const QRect& r : beyond) p.fillRect(r, palette().color(QPalette::Window));
    if (view_.GridOn()) {
        p.setPen(QColor(128, 128, 128));
        const int g = view_.GridSize();
        for (int y = 0; y < size.cy; y += g)
            for (int x = 0; x < size.cx; x += g) p.drawPoint(toWidget({x, y, x + 1, y + 1}).topLeft());
    }
    // Selected sprites: a dotted frame on their rectangle.
    p.setBrush(Qt::NoBrush);
    for (const platform::Rect& r : view_.SpriteFrames()) {
        const QRect w = toWidget(r);
        p.setPen(QPen(Qt::white, 1));
        p.drawRect(w.adjusted(0, 0, -1, -1));
        p.setPen(QPen(Qt::black, 1, Qt::DotLine));
        p.drawRect(w.adjusted(0, 0, -1, -1));
    }
    // Selected texts and the current text's tracker: a hatched border with handles inside.
    auto drawTracker = [&](const platform::Rect& r) {
        const CRectTracker tracker(r);
        const int border = std::max(1, toWidget({0, 0, CRectTracker::kHandleSize, 1}).width());
        DrawHatchedBorder(p, toWidget(r), border);
        using Hit = CRectTracker::Hit;
        // Black handles in a white rim, seen on any background.
        for (Hit h : {Hit::topLeft, Hit::top, Hit::topRight, Hit::right, Hit::bottomRight, Hit::bottom,
                      Hit::bottomLeft, Hit::left}) {
            const QRect handle = toWidget(tracker.HandleRect(h));
            p.fillRect(handle.adjusted(-1, -1, 1, 1), Qt::white);
            p.fillRect(handle, Qt::black);
        }
    };
    for (const platform::Rect& r : view_.TextFrames()) drawTracker(r);
    if (const CRectTracker* tracker = view_.Tracker()) drawTracker(tracker->GetRect());
    if (std::optional<platform::Rect> band = view_.RubberBand()) {
        p.setPen(QPen(Qt::white, 1));
        p.drawRect(toWidget(*band).adjusted(0, 0, -1, -1));
        p.setPen(QPen(Qt::black, 1, Qt::DotLine));
        p.drawRect(toWidget(*band).adjusted(0, 0, -1, -1));
    }
}

CFichaViewHost::CFichaViewHost(CFichaDoc& doc, CardInsertion* insertion, CommandTarget& router,
                               QWidget* parent)
    : CFichaViewHost(std::make_unique<CFichaView>(doc, insertion, router), parent) {}

CFichaViewHost::CFichaViewHost(std::unique_ptr<CFichaView> view, QWidget* parent)
    : QWidget(parent), view_(std::move(view)) {
    widget_ = new CFichaViewWidget(*view_, this);
    horizontal_ = new QScrollBar(Qt::Horizontal, this);
    vertical_ = new QScrollBar(Qt::Vertical, this);
    widget_->SetView(view_.get(), view_.get());
    view_->SetWidget(widget_);
    view_->SetSizeToContent([this] { SizeToContent(); });
    connect(widget_, &ui::ViewWidget::layoutChanged, this, [this] { Arrange(); });
    connect(horizontal_, &QScrollBar::valueChanged, this, [this](int x) {
        widget_->SetScrollPosition({x, widget_->ScrollPosition().y});
    });
    connect(vertical_, &QScrollBar::valueChanged, this, [this](int y) {
        widget_->SetScrollPosition({widget_->ScrollPosition().x, y});
    });
    widget_->setFocus();
    Arrange();
}

CFichaViewHost::~CFichaViewHost() {
    widget_->SetView(nullptr, nullptr);
    view_->SetWidget(nullptr);
    view_.reset();
}

QSize CFichaViewHost::sizeHint() const {
    return widget_->sizeHint();
}

void CFichaViewHost::resizeEvent(QResizeEvent*) {
    Arrange();
}

void CFichaViewHost::Arrange() {
    if (arranging_) return;
    arranging_ = true;
    const platform::Size view = widget_->ViewSize();
    const int barW = vertical_->sizeHint().width(), barH = horizontal_->sizeHint().height();
    // A bar that one direction needs takes room from the other, which may then need its bar too.
    bool needH = view.cx > width(), needV = view.cy > height();
    needH = view.cx > width() - (needV ? barW : 0);
    needV = view.cy > height() - (needH ? barH : 0);
    const int roomW = std::max(0, width() - (needV ? barW : 0));
    const int roomH = std::max(0, height() - (needH ? barH : 0));
    widget_->setGeometry(0, 0, roomW, roomH);
    horizontal_->setVisible(needH);
    vertical_->setVisible(needV);
    horizontal_->setGeometry(0, roomH, roomW, barH);
    vertical_->setGeometry(roomW, 0, barW, roomH);
    const platform::Point most = widget_->MaxScrollPosition();
    const platform::Point at = widget_->ScrollPosition();
    horizontal_->setRange(0, most.x);
    horizontal_->setPageStep(std::max(1, roomW));
    horizontal_->setValue(at.x);
    vertical_->setRange(0, most.y);
    vertical_->setPageStep(std::max(1, roomH));
    vertical_->setValue(at.y);
    arranging_ = false;
}

void CFichaViewHost::SizeToContent() {
    QWidget* frame = nullptr;
    for (QWidget* w = parentWidget(); w; w = w->parentWidget())
        if (qobject_cast<QMdiSubWindow*>(w)) {
            frame = w;
            break;
        }
    if (!frame) frame = window();
    if (frame == this) {
        resize(widget_->sizeHint());
        return;
    }
    // First fit exactly (the window may grow), then only shrink: the window's largest size holds.
    const QSize extra = frame->size() - size();
    const QSize wanted = widget_->sizeHint() + extra;
    frame->resize(wanted.boundedTo(frame->maximumSize()));
}
