#include "ui/ViewWidget.h"

#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEngine>
#include <QPaintEvent>
#include <QPainter>
#include <QRegion>
#include <algorithm>
#include <cmath>

#include "platform/qt/QtDeviceContext.h"

namespace ui {

namespace {

constexpr int kMaxIntegerScale = 16;
// A widget squeezed to nothing must not make the fit scale 0, through which points are divided.
constexpr double kMinScale = 1.0 / 64;
// A paint region of more rectangles than this is painted as its bounding rectangle.
constexpr int kMaxPaintRects = 8;

int32_t Floor(double v) {
    return static_cast<int32_t>(std::floor(v));
}
int32_t Ceil(double v) {
    return static_cast<int32_t>(std::ceil(v));
}

MouseButton ButtonOf(Qt::MouseButton button) {
    switch (button) {
        case Qt::LeftButton:
            return MouseButton::left;
        case Qt::RightButton:
            return MouseButton::right;
        case Qt::MiddleButton:
            return MouseButton::middle;
        default:
            return MouseButton::none;
    }
}

}  // namespace

KeyEvent TranslateKey(const QKeyEvent& event) {
    KeyEvent key;
    key.key = event.key();
    key.text = event.text().toStdString();
    key.shift = event.modifiers() & Qt::ShiftModifier;
    key.control = event.modifiers() & Qt::ControlModifier;
    key.alt = event.modifiers() & Qt::AltModifier;
    key.autoRepeat = event.isAutoRepeat();
    return key;
}

platform::Point ViewLayout::WidgetToClient(QPointF p) const {
    return {Floor((p.x() - offset_.x()) / scale_), Floor((p.y() - offset_.y()) / scale_)};
}

platform::Rect ViewLayout::WidgetToClient(const QRect& r) const {
    const double left = r.left(), top = r.top();
    const double right = left + r.width(), bottom = top + r.height();
    return {Floor((left - offset_.x()) / scale_), Floor((top - offset_.y()) / scale_),
            Ceil((right - offset_.x()) / scale_), Ceil((bottom - offset_.y()) / scale_)};
}

QRect ViewLayout::ClientToWidget(const platform::Rect& r) const {
    const int32_t left = Floor(offset_.x() + r.left * scale_), top = Floor(offset_.y() + r.top * scale_);
    const int32_t right = Ceil(offset_.x() + r.right * scale_),
                  bottom = Ceil(offset_.y() + r.bottom * scale_);
    return QRect(left, top, right - left, bottom - top);
}

QRectF ViewLayout::ClientToWidgetF(const platform::Rect& r) const {
    return QRectF(offset_.x() + r.left * scale_, offset_.y() + r.top * scale_, r.Width() * scale_,
                  r.Height() * scale_);
}

// What the view copies its buffer to. Measuring and fonts are those of the widget; a copy or a text
// line only asks for that area to be painted again, since a widget is drawn in its paint event alone,
// where the buffer and the client's overlay are drawn anew.
class ViewWidget::Surface : public platform::QtDeviceContext {
  public:
    explicit Surface(ViewWidget& widget)
        : platform::QtDeviceContext(static_cast<QPaintDevice&>(widget)), widget_(widget) {}

    void StretchDib(const platform::DibView& dib, const platform::Rect& destination,
                    const platform::Rect&) override {
        widget_.RequestUpdate(destination, {dib.width, dib.height});
    }
    // The line is drawn by the paint that follows, within the text's clip, which is what is asked for:
    // measuring the line for a tighter area would lay its glyphs out once more for nothing.
    void DrawTextLine(int32_t, int32_t, std::string_view, const platform::Rect& clip) override {
        widget_.RequestUpdate(clip, widget_.knownSize_);
    }
    platform::Rect ClipBox() const override { return widget_.ClientClipBox(); }

  private:
    ViewWidget& widget_;
};

ViewWidget::ViewWidget(QWidget* parent) : QWidget(parent), surface_(std::make_unique<Surface>(*this)) {
    // Every pixel is painted, margins included, so Qt need not clear the widget first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
}

ViewWidget::~ViewWidget() {
    if (view_ && view_->GetSurface() == surface_.get()) view_->SetSurface(nullptr);
}

void ViewWidget::SetView(COSBView* view, ViewClient* client) {
    if (view_ && view_->GetSurface() == surface_.get()) view_->SetSurface(nullptr);
    view_ = view;
    client_ = client;
    if (view_) view_->SetSurface(surface_.get());
    ViewChanged();
}

void ViewWidget::SetIntegerScale(int factor) {
    mode_ = ScaleMode::integer;
    factor_ = std::clamp(factor, 1, kMaxIntegerScale);
    LayoutChanged();
}

void ViewWidget::SetFitScale() {
    mode_ = ScaleMode::fit;
    LayoutChanged();
}

void ViewWidget::SetCentred(bool centred) {
    centred_ = centred;
    LayoutChanged();
}

platform::Size ViewWidget::ViewSize() const {
    const CDIB* buffer = view_ ? view_->GetBuffer() : nullptr;
    if (!buffer || !buffer->HasImage()) return kDefaultViewSize;
    return {buffer->GetWidth(), buffer->GetHeight()};
}

ViewLayout ViewWidget::Layout() const {
    const platform::Size size = ViewSize();
    double scale = factor_;
    if (mode_ == ScaleMode::fit)
        scale = std::max(kMinScale, std::min(double(width()) / size.cx, double(height()) / size.cy));
    QPoint offset;
    if (centred_)
        offset = QPoint(std::max(0, Floor((width() - size.cx * scale) / 2)),
                        std::max(0, Floor((height() - size.cy * scale) / 2)));
    return ViewLayout(scale, offset, ScrollPosition());
}

platform::Point ViewWidget::ScrollPosition() const {
    return view_ ? view_->GetScrollPosition() : platform::Point{};
}

platform::Point ViewWidget::MaxScrollPosition() const {
    if (mode_ == ScaleMode::fit) return {};
    const platform::Size size = ViewSize();
    return {std::max(0, size.cx - width() / factor_), std::max(0, size.cy - height() / factor_)};
}

void ViewWidget::SetScrollPosition(const platform::Point& position) {
    if (!view_) return;
    const platform::Point most = MaxScrollPosition();
    const platform::Point clamped{std::clamp(position.x, 0, most.x), std::clamp(position.y, 0, most.y)};
    if (clamped == view_->GetScrollPosition()) return;
    view_->SetScrollPosition(clamped);
    update();
}

bool ViewWidget::ClampScroll() {
    if (!view_) return false;
    const platform::Point before = view_->GetScrollPosition();
    const platform::Point most = MaxScrollPosition();
    const platform::Point clamped{std::clamp(before.x, 0, most.x), std::clamp(before.y, 0, most.y)};
    view_->SetScrollPosition(clamped);
    return !(clamped == before);
}

void ViewWidget::ViewChanged() {
    knownSize_ = ViewSize();
    LayoutChanged();
}

void ViewWidget::LayoutChanged() {
    ClampScroll();
    updateGeometry();
    update();
    emit layoutChanged();
}

QSize ViewWidget::sizeHint() const {
    const platform::Size size = ViewSize();
    const int factor = mode_ == ScaleMode::integer ? factor_ : 1;
    return QSize(size.cx * factor, size.cy * factor);
}

platform::Rect ViewWidget::ClientClipBox() const {
    const ViewLayout layout = Layout();
    const platform::Rect shown = layout.WidgetToClient(rect());
    return shown.Intersect({0, 0, shown.right, shown.bottom});
}

void ViewWidget::RequestUpdate(const platform::Rect& client, platform::Size bufferSize) {
    if (!(bufferSize == knownSize_)) {
        // A buffer of a new size: the whole layout moves.
        ViewChanged();
        return;
    }
    if (client.IsEmpty()) return;
    update(Layout().ClientToWidget(client));
}

void ViewWidget::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const ViewLayout layout = Layout();
    const platform::Size size = ViewSize();
    const platform::Point scroll = layout.Scroll();
    const platform::Rect viewClient{-scroll.x, -scroll.y, size.cx - scroll.x, size.cy - scroll.y};
    const QRect viewArea = layout.ClientToWidget(viewClient);
    for (const QRect& margin : event->region().subtracted(viewArea)) painter.fillRect(margin, Qt::black);

    const QRegion region = event->region().intersected(viewArea);
    if (region.rectCount() > kMaxPaintRects) {
        PaintArea(painter, layout, layout.WidgetToClient(region.boundingRect()).Intersect(viewClient));
        return;
    }
    for (const QRect& r : region) PaintArea(painter, layout, layout.WidgetToClient(r).Intersect(viewClient));
}

namespace {

// Where an area at the view's own size can go straight into the pixels of the painter's device: a raster
// painter on an image of 32-bit pixels, moved but neither scaled nor clipped, whose image is its own. The
// image's part under the area is returned, over the device's memory; a null image otherwise.
QImage DevicePart(QPainter& painter, const QRect& widgetArea) {
    QPaintEngine* engine = painter.paintEngine();
    if (!engine || engine->type() != QPaintEngine::Raster || painter.hasClipping()) return QImage();
    QPaintDevice* device = engine->paintDevice();
    if (!device || device->devType() != QInternal::Image) return QImage();
    auto* image = static_cast<QImage*>(device);
    const QImage::Format format = image->format();
    if (format != QImage::Format_RGB32 && format != QImage::Format_ARGB32_Premultiplied &&
        format != QImage::Format_ARGB32)
        return QImage();
    const QTransform transform = painter.deviceTransform();
    if (transform.type() > QTransform::TxTranslate || transform.dx() != std::floor(transform.dx()) ||
        transform.dy() != std::floor(transform.dy()))
        return QImage();
    const QRect area =
        widgetArea.translated(static_cast<int>(transform.dx()), static_cast<int>(transform.dy()));
    // The area lies wholly inside the device and inside what the paint may reach (a region's "contains"
    // of a rectangle only asks for overlap).
    const QRegion clip = engine->systemClip();
    if (!image->rect().contains(area) || (!clip.isEmpty() && !QRegion(area).subtracted(clip).isEmpty()))
        return QImage();
    // A copy of the image made since the painter began would be parted from it by writing.
    if (!image->isDetached()) return QImage();
    const qsizetype line = image->bytesPerLine();
    uchar* first = image->bits() + area.top() * line + static_cast<qsizetype>(area.left()) * 4;
    return QImage(first, area.width(), area.height(), line, format);
}

}  // namespace

void ViewWidget::PaintArea(QPainter& painter, const ViewLayout& layout, const platform::Rect& client) {
    if (client.IsEmpty()) return;
    const platform::Point scroll = layout.Scroll();
    const platform::Rect card = client.Offset(scroll.x, scroll.y);
    if (layout.Scale() == 1 && PaintAreaInPlace(painter, layout, client, card)) return;
    // The area is drawn at the view's own size, buffer and overlay together, and only then scaled, so a
    // scaled card shows exactly the pixels of an unscaled one.
    QImage image(card.Width(), card.Height(), QImage::Format_RGB32);
    if (image.isNull()) return;
    const CDIB* buffer = view_ ? view_->GetBuffer() : nullptr;
    const platform::DibView pixels = buffer ? buffer->View() : platform::DibView{};
    // The buffer nearly always covers the area: its rows go straight into the image. Only an area that
    // reaches beyond it is filled black first and drawn through the device context.
    const bool covered = platform::CopyDibInto(pixels, card, image);
    if (!covered) image.fill(Qt::black);
    {
        QPainter area(&image);
        area.translate(-card.left, -card.top);
        area.setClipRect(QRect(card.left, card.top, card.Width(), card.Height()));
        platform::QtDeviceContext dc(area);
        if (!covered && pixels.bits) dc.StretchDib(pixels, card, card);
        if (client_) client_->PaintOverlay(dc, card);
    }
    painter.drawImage(layout.ClientToWidgetF(client), image);
}

bool ViewWidget::PaintAreaInPlace(QPainter& painter, const ViewLayout& layout, const platform::Rect& client,
                                  const platform::Rect& card) {
    const CDIB* buffer = view_ ? view_->GetBuffer() : nullptr;
    if (!buffer) return false;
    const QRect widgetArea = layout.ClientToWidget(client);
    if (widgetArea.width() != card.Width() || widgetArea.height() != card.Height()) return false;
    QImage part = DevicePart(painter, widgetArea);
    if (part.isNull() || !platform::CopyDibInto(buffer->View(), card, part)) return false;
    if (!client_) return true;
    painter.save();
    painter.translate(widgetArea.left() - card.left, widgetArea.top() - card.top);
    painter.setClipRect(QRect(card.left, card.top, card.Width(), card.Height()));
    {
        platform::QtDeviceContext dc(painter);
        client_->PaintOverlay(dc, card);
    }
    painter.restore();
    return true;
}

void ViewWidget::resizeEvent(QResizeEvent*) {
    ClampScroll();
    emit layoutChanged();
}

MouseEvent ViewWidget::Translate(const QMouseEvent& event) const {
    const ViewLayout layout = Layout();
    MouseEvent mouse;
    mouse.clientPoint = layout.WidgetToClient(event.position());
    mouse.point = {mouse.clientPoint.x + layout.Scroll().x, mouse.clientPoint.y + layout.Scroll().y};
    mouse.button = ButtonOf(event.button());
    mouse.leftDown = event.buttons() & Qt::LeftButton;
    mouse.rightDown = event.buttons() & Qt::RightButton;
    mouse.middleDown = event.buttons() & Qt::MiddleButton;
    mouse.shift = event.modifiers() & Qt::ShiftModifier;
    mouse.control = event.modifiers() & Qt::ControlModifier;
    return mouse;
}

void ViewWidget::mousePressEvent(QMouseEvent* event) {
    if (client_) client_->MousePress(Translate(*event));
}

void ViewWidget::mouseReleaseEvent(QMouseEvent* event) {
    if (client_) client_->MouseRelease(Translate(*event));
}

void ViewWidget::mouseMoveEvent(QMouseEvent* event) {
    if (client_) client_->MouseMove(Translate(*event));
}

void ViewWidget::mouseDoubleClickEvent(QMouseEvent* event) {
    // Not the press that Qt makes of a double click by default: the client hears it as what it is.
    if (client_) client_->MouseDoubleClick(Translate(*event));
}

bool ViewWidget::event(QEvent* event) {
    // QWidget moves the focus on Tab before keyPressEvent would see it; the client may want it first.
    if (event->type() == QEvent::KeyPress && client_) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
            if (client_->KeyPress(TranslateKey(*key))) {
                event->accept();
                return true;
            }
            // Refused: Qt's focus chain has it, and a keyPressEvent that follows does not ask again.
            tabRefused_ = true;
            const bool handled = QWidget::event(event);
            tabRefused_ = false;
            return handled;
        }
    }
    return QWidget::event(event);
}

void ViewWidget::focusOutEvent(QFocusEvent* event) {
    if (client_) client_->FocusLost();
    QWidget::focusOutEvent(event);
}

void ViewWidget::keyPressEvent(QKeyEvent* event) {
    if (client_ && !tabRefused_ && client_->KeyPress(TranslateKey(*event))) return;
    QWidget::keyPressEvent(event);
}

void ViewWidget::keyReleaseEvent(QKeyEvent* event) {
    if (client_ && client_->KeyRelease(TranslateKey(*event))) return;
    QWidget::keyReleaseEvent(event);
}

}  // namespace ui
