#pragma once

#include <QPoint>
#include <QPointF>
#include <QRect>
#include <QRectF>
#include <QWidget>
#include <memory>

#include "engine/OSBView.h"
#include "platform/Geometry.h"
#include "ui/ViewClient.h"

class QKeyEvent;
class QPainter;

namespace ui {

// The size a view has before it has a buffer: the card size of both programs.
constexpr platform::Size kDefaultViewSize{640, 480};

// Where the pixels of a view lie on a widget. Three coordinate spaces meet here:
// - widget coordinates, Qt's;
// - client coordinates, view pixels counted from the top-left of what the widget shows (the window's
//   client area of a scrolling view, in which COSBView::DrawBuffer copies rectangles);
// - card coordinates, the buffer's pixels: client coordinates plus the scroll position.
// A client pixel covers `scale` widget pixels and client (0, 0) lies at `offset`.
class ViewLayout {
  public:
    ViewLayout() = default;
    ViewLayout(double scale, QPoint offset, platform::Point scroll)
        : scale_(scale), offset_(offset), scroll_(scroll) {}

    double Scale() const { return scale_; }
    QPoint Offset() const { return offset_; }
    platform::Point Scroll() const { return scroll_; }

    // The client pixel under a widget point.
    platform::Point WidgetToClient(QPointF p) const;
    // The client pixels that a widget rectangle touches, even in part.
    platform::Rect WidgetToClient(const QRect& r) const;
    // The widget pixels that a client rectangle touches, even in part.
    QRect ClientToWidget(const platform::Rect& r) const;
    // The exact widget area of a client rectangle (fractional at a fractional scale).
    QRectF ClientToWidgetF(const platform::Rect& r) const;

  private:
    double scale_ = 1;
    QPoint offset_;
    platform::Point scroll_;
};

// A Qt key event as the views hear it.
KeyEvent TranslateKey(const QKeyEvent& event);

// Shows a view's back buffer (a COSBView, usually the CAnimView of a program's card view) and passes the
// input on to the view's ViewClient.
//
// The widget is the view's surface: COSBView::DrawBuffer(rect) no longer draws but asks the widget to
// repaint that rectangle, and the widget's paint draws the buffer there, then lets the client draw its
// overlay (the card's texts) on the same painter. So a timer or an action may compose and "draw" as often
// as it likes; Qt gathers the requests and paints once. The buffer is composed at the view's own size and
// scaled only when shown, pixel by pixel without smoothing; mouse points are mapped back to view pixels.
class ViewWidget : public QWidget {
    Q_OBJECT
  public:
    enum class ScaleMode {
        integer,  // every view pixel is a square of IntegerScale() widget pixels
        fit,      // the largest scale at which the whole view fits, its aspect (4:3 for a card) kept
    };

    explicit ViewWidget(QWidget* parent = nullptr);
    // Stops being the view's surface.
    ~ViewWidget() override;

    // Shows `view` and hands its overlay and input to `client` (either may be null; the client is
    // usually the view itself). The widget becomes the view's surface and the previous view loses it.
    // Both must outlive the widget, or be replaced (SetView(nullptr, nullptr)) before they are destroyed.
    void SetView(COSBView* view, ViewClient* client);
    COSBView* View() const { return view_; }
    ViewClient* Client() const { return client_; }

    // Factors below 1 count as 1; the largest is 16.
    void SetIntegerScale(int factor);
    void SetFitScale();
    ScaleMode GetScaleMode() const { return mode_; }
    int IntegerScale() const { return factor_; }
    // Centred (the default), a view smaller than the widget lies in its middle with black margins;
    // otherwise at its top-left, as in a scrolling editor.
    void SetCentred(bool centred);
    bool Centred() const { return centred_; }

    // The view's size in view pixels: its buffer's, or kDefaultViewSize without one.
    platform::Size ViewSize() const;
    ViewLayout Layout() const;

    // The scroll position of a view larger than the widget, kept in the view (COSBView's scroll
    // position) and held between 0 and MaxScrollPosition. Scrolling repaints everything.
    void SetScrollPosition(const platform::Point& position);
    platform::Point ScrollPosition() const;
    platform::Point MaxScrollPosition() const;

    // Repaints everything and takes up the view's size again; for a view whose buffer was rebuilt or
    // dropped without a copy to the surface (a copy of a buffer of a new size is noticed by itself).
    void ViewChanged();

    QSize sizeHint() const override;

  signals:
    // The view's size, the scale or the widget's size changed: scroll ranges may have to follow.
    void layoutChanged();

  protected:
    bool event(QEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

  private:
    class Surface;

    // A copy of a client rectangle to the surface; `bufferSize` is the size of the buffer copied from.
    void RequestUpdate(const platform::Rect& client, platform::Size bufferSize);
    platform::Rect ClientClipBox() const;
    void PaintArea(QPainter& painter, const ViewLayout& layout, const platform::Rect& client);
    // PaintArea straight into the device's pixels where the painter allows it (see DevicePart); false
    // when it does not, and nothing was drawn.
    bool PaintAreaInPlace(QPainter& painter, const ViewLayout& layout, const platform::Rect& client,
                          const platform::Rect& card);
    MouseEvent Translate(const QMouseEvent& event) const;
    // Keeps the scroll position in range after a change of sizes; true when it moved.
    bool ClampScroll();
    void LayoutChanged();

    COSBView* view_ = nullptr;
    ViewClient* client_ = nullptr;
    std::unique_ptr<Surface> surface_;
    ScaleMode mode_ = ScaleMode::integer;
    int factor_ = 1;
    bool centred_ = true;
    bool tabRefused_ = false;  // the client refused the Tab that Qt is handling now
    platform::Size knownSize_ = kDefaultViewSize;
};

}  // namespace ui
