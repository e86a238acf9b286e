#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>

#include "platform/qt/QtDeviceContext.h"
#include "tests/ui/UiTestSupport.h"
#include "ui/ViewWidget.h"

namespace {

using platform::Rect;
using ui_test::BufferPixel;
using ui_test::Grab;

struct WithQt {
    WithQt() { test_support::EnsureQtApplication(); }
};

// Remembers the region of every paint, to see what the widget was asked to repaint.
class PaintRecordingWidget : public ui::ViewWidget {
  public:
    std::vector<QRegion> regions;

  protected:
    void paintEvent(QPaintEvent* event) override {
        regions.push_back(event->region());
        ui::ViewWidget::paintEvent(event);
    }
};

class ViewWidgetTest : public testing::Test {
  protected:
    void SetUp() override {
        view.SetScene(&scene);
        scene.sprites.SetView(&view);  // this view receives the sprites' dirty rectangles
        ASSERT_TRUE(view.NewBackground(scene.background));
        widget.SetView(&view, &client);
    }

    // Shows the widget and lets every paint that showing brings go by.
    void ShowAndSettle() {
        widget.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&widget));
        QCoreApplication::processEvents();
        widget.regions.clear();
        client.overlays.clear();
    }

    void Send(QEvent::Type type, QPointF at, Qt::MouseButton button, Qt::MouseButtons held,
              Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QMouseEvent event(type, at, widget.mapToGlobal(at), button, held, modifiers);
        QCoreApplication::sendEvent(&widget, &event);
    }

    // Counts the widget pixels that differ from the buffer pixel they show, at an integer scale.
    int Mismatches(const QImage& shown, int scale, QPoint offset = {}, platform::Point scroll = {}) {
        int wrong = 0;
        for (int y = 0; y < shown.height(); ++y)
            for (int x = 0; x < shown.width(); ++x) {
                const int bx = (x - offset.x()) / scale + scroll.x, by = (y - offset.y()) / scale + scroll.y;
                wrong += shown.pixel(x, y) != BufferPixel(view, bx, by);
            }
        return wrong;
    }

    WithQt qt;
    ui_test::Scene scene;
    CAnimView view;
    ui_test::RecordingClient client;
    PaintRecordingWidget widget;  // last, so it lets go of the view first
};

TEST_F(ViewWidgetTest, ShowsTheComposedBufferPixelForPixelAtScaleOneAndTwo) {
    ASSERT_EQ(BufferPixel(view, 9, 6), qRgb(0, 255, 0));  // the sprite is part of what is shown
    EXPECT_EQ(widget.sizeHint(), QSize(40, 30));
    widget.resize(widget.sizeHint());
    QImage shown = Grab(widget);
    ASSERT_EQ(shown.size(), QSize(40, 30));
    EXPECT_EQ(Mismatches(shown, 1), 0);

    widget.SetIntegerScale(2);
    EXPECT_EQ(widget.sizeHint(), QSize(80, 60));
    widget.resize(widget.sizeHint());
    shown = Grab(widget);
    ASSERT_EQ(shown.size(), QSize(80, 60));
    EXPECT_EQ(Mismatches(shown, 2), 0);
    // No smoothing: the two widget pixels of one view pixel are equal, and neighbours stay apart.
    EXPECT_EQ(shown.pixel(20, 40), shown.pixel(21, 40));
    EXPECT_NE(shown.pixel(21, 40), shown.pixel(22, 40));
}

// A paint of several rectangles of different shapes puts each together on its own: each shows the buffer
// under it exactly, and nothing outside them is touched.
TEST_F(ViewWidgetTest, EachRectangleOfAPaintShowsTheBufferUnderIt) {
    widget.resize(40, 30);
    const QRegion region = QRegion(0, 0, 3, 30) + QRegion(5, 26, 35, 2) + QRegion(30, 10, 1, 1);
    ASSERT_GE(region.rectCount(), 5);
    for (int pass = 0; pass < 2; ++pass) {
        QImage shown(40, 30, QImage::Format_RGB32);
        shown.fill(qRgb(7, 8, 9));
        const QRegion painted = pass == 0 ? region : QRegion(10, 5, 25, 3);
        widget.render(&shown, painted.boundingRect().topLeft(), painted);
        int wrong = 0, touched = 0;
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 40; ++x) {
                if (painted.contains(QPoint(x, y)))
                    wrong += shown.pixel(x, y) != BufferPixel(view, x, y);
                else
                    touched += shown.pixel(x, y) != qRgb(7, 8, 9);
            }
        EXPECT_EQ(wrong, 0) << "pass " << pass;
        EXPECT_EQ(touched, 0) << "pass " << pass;
    }
}

TEST_F(ViewWidgetTest, ASmallerViewIsCentredOnBlackOrKeptAtTheTopLeft) {
    widget.resize(60, 50);
    QImage shown = Grab(widget);
    EXPECT_EQ(widget.Layout().Offset(), QPoint(10, 10));
    EXPECT_EQ(shown.pixel(5, 5), qRgb(0, 0, 0));
    EXPECT_EQ(shown.pixel(55, 45), qRgb(0, 0, 0));
    EXPECT_EQ(Mismatches(shown.copy(10, 10, 40, 30), 1), 0);

    widget.SetCentred(false);
    shown = Grab(widget);
    EXPECT_EQ(Mismatches(shown.copy(0, 0, 40, 30), 1), 0);
    EXPECT_EQ(shown.pixel(45, 35), qRgb(0, 0, 0));
}

TEST_F(ViewWidgetTest, FitScaleKeepsTheAspectCentresAndMapsThePointerBack) {
    widget.resize(200, 100);
    widget.SetFitScale();
    const ui::ViewLayout layout = widget.Layout();
    EXPECT_DOUBLE_EQ(layout.Scale(), 100.0 / 30);
    EXPECT_EQ(layout.Offset(), QPoint(33, 0));  // (200 - 133.3) / 2

    const QImage shown = Grab(widget);
    int wrong = 0;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) {
            const QPoint centre(33 + int((x + 0.5) * layout.Scale()), int((y + 0.5) * layout.Scale()));
            wrong += shown.pixel(centre) != BufferPixel(view, x, y);
        }
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(shown.pixel(10, 50), qRgb(0, 0, 0));
    EXPECT_EQ(shown.pixel(190, 50), qRgb(0, 0, 0));

    Send(QEvent::MouseButtonPress, QPointF(67, 50), Qt::LeftButton, Qt::LeftButton);
    ASSERT_EQ(client.mice.size(), 1u);
    EXPECT_EQ(client.mice[0].event.point, (platform::Point{10, 15}));  // (67 - 33) / 3.33, 50 / 3.33
    // The whole view fits: there is nothing to scroll.
    EXPECT_EQ(widget.MaxScrollPosition(), (platform::Point{0, 0}));
}

TEST_F(ViewWidgetTest, MouseEventsArriveInViewPixelsWithButtonsAndModifiers) {
    widget.SetIntegerScale(2);
    widget.resize(100, 80);  // the 80 x 60 view lies at (10, 10)
    Send(QEvent::MouseButtonPress, QPointF(31, 17), Qt::LeftButton, Qt::LeftButton, Qt::ShiftModifier);
    Send(QEvent::MouseMove, QPointF(41, 27), Qt::NoButton, Qt::LeftButton);
    Send(QEvent::MouseButtonRelease, QPointF(41, 27), Qt::LeftButton, Qt::NoButton);
    Send(QEvent::MouseButtonDblClick, QPointF(12, 12), Qt::LeftButton, Qt::LeftButton);
    Send(QEvent::MouseButtonPress, QPointF(5, 5), Qt::RightButton, Qt::RightButton, Qt::ControlModifier);
    ASSERT_EQ(client.mice.size(), 5u);

    const ui::MouseEvent& press = client.mice[0].event;
    EXPECT_EQ(client.mice[0].kind, 'p');
    EXPECT_EQ(press.point, (platform::Point{10, 3}));
    EXPECT_EQ(press.button, ui::MouseButton::left);
    EXPECT_TRUE(press.leftDown);
    EXPECT_TRUE(press.shift);
    EXPECT_FALSE(press.control);

    const ui::MouseEvent& move = client.mice[1].event;
    EXPECT_EQ(client.mice[1].kind, 'm');
    EXPECT_EQ(move.point, (platform::Point{15, 8}));
    EXPECT_EQ(move.button, ui::MouseButton::none);
    EXPECT_TRUE(move.leftDown);
    EXPECT_FALSE(move.shift);

    EXPECT_EQ(client.mice[2].kind, 'r');
    EXPECT_EQ(client.mice[2].event.button, ui::MouseButton::left);
    EXPECT_FALSE(client.mice[2].event.leftDown);

    // A double click arrives as itself, not as one more press.
    EXPECT_EQ(client.mice[3].kind, 'd');
    EXPECT_EQ(client.mice[3].event.point, (platform::Point{1, 1}));

    // In the margin, left of and above the view.
    const ui::MouseEvent& right = client.mice[4].event;
    EXPECT_EQ(right.point, (platform::Point{-3, -3}));
    EXPECT_EQ(right.button, ui::MouseButton::right);
    EXPECT_TRUE(right.rightDown);
    EXPECT_FALSE(right.leftDown);
    EXPECT_TRUE(right.control);
}

TEST_F(ViewWidgetTest, ScrollingShowsAndMapsTheBufferFromTheScrollPosition) {
    widget.SetCentred(false);
    widget.SetIntegerScale(2);
    widget.resize(40, 30);  // shows 20 x 15 of the 40 x 30 view
    ShowAndSettle();        // a hidden widget hears of its new sizes only when shown
    EXPECT_EQ(widget.MaxScrollPosition(), (platform::Point{20, 15}));
    widget.SetScrollPosition({50, 7});
    EXPECT_EQ(view.GetScrollPosition(), (platform::Point{20, 7}));

    EXPECT_EQ(Mismatches(Grab(widget), 2, {}, {20, 7}), 0);
    EXPECT_EQ(client.overlays.back(), (Rect{20, 7, 40, 22}));  // the overlay draws in card coordinates

    Send(QEvent::MouseButtonPress, QPointF(5, 7), Qt::LeftButton, Qt::LeftButton);
    EXPECT_EQ(client.mice.back().event.clientPoint, (platform::Point{2, 3}));
    EXPECT_EQ(client.mice.back().event.point, (platform::Point{22, 10}));

    // Growing the widget, or fitting the view, takes the scroll position back into range.
    widget.resize(60, 50);
    EXPECT_EQ(view.GetScrollPosition(), (platform::Point{10, 5}));
    widget.SetFitScale();
    EXPECT_EQ(view.GetScrollPosition(), (platform::Point{0, 0}));
    widget.hide();
}

TEST_F(ViewWidgetTest, DrawingTheDirtyListRepaintsOnlyItsRectanglesAndOnlyInThePaint) {
    widget.SetIntegerScale(2);
    widget.resize(80, 60);
    ShowAndSettle();

    view.AddDirty({5, 6, 9, 10});
    view.RenderAndDrawDirtyList();
    EXPECT_TRUE(widget.regions.empty());  // asked for, not drawn outside a paint
    QCoreApplication::processEvents();
    ASSERT_EQ(widget.regions.size(), 1u);
    EXPECT_EQ(widget.regions[0], QRegion(10, 12, 8, 8));
    ASSERT_EQ(client.overlays.size(), 1u);
    EXPECT_EQ(client.overlays[0], (Rect{5, 6, 9, 10}));

    // A moving sprite: both of its rectangles are repainted together, in one paint, and show it moved.
    widget.regions.clear();
    CSprite* sprite = scene.sprites.GetAt(0);
    sprite->SetPosition(20, 12);
    const std::deque<Rect> dirty = view.GetDirtyList();
    ASSERT_FALSE(dirty.empty());
    QRegion expected;
    for (const Rect& r : dirty) expected += QRect(2 * r.left, 2 * r.top, 2 * r.Width(), 2 * r.Height());
    view.RenderAndDrawDirtyList();
    view.RenderAndDrawDirtyList();  // nothing left to draw
    QCoreApplication::processEvents();
    ASSERT_EQ(widget.regions.size(), 1u);
    EXPECT_EQ(widget.regions[0], expected);
    const QImage shown = Grab(widget);
    EXPECT_EQ(shown.pixel(2 * 21, 2 * 13), qRgb(0, 255, 0));
    EXPECT_EQ(shown.pixel(2 * 9, 2 * 6), BufferPixel(view, 9, 6));
    EXPECT_NE(shown.pixel(2 * 9, 2 * 6), qRgb(0, 255, 0));

    // At a fractional scale the repaint covers every widget pixel the rectangle touches.
    widget.resize(200, 100);
    widget.SetFitScale();
    QCoreApplication::processEvents();
    widget.regions.clear();
    view.DrawBuffer(Rect{10, 10, 11, 11});
    QCoreApplication::processEvents();
    ASSERT_EQ(widget.regions.size(), 1u);
    EXPECT_EQ(widget.regions[0].boundingRect(), QRect(66, 33, 4, 4));
    widget.hide();
}

TEST_F(ViewWidgetTest, TheOverlayDrawsTextOverTheBufferOnTheSamePainter) {
    bool onQt = false;
    client.overlay = [&](platform::DeviceContext& dc, const Rect& area) {
        onQt = dynamic_cast<platform::QtDeviceContext*>(&dc) != nullptr;
        dc.SelectFont(platform::FontRequest{-16, 700, false, false, 0, 0, "Arial"});
        dc.SetTextColor(0x000000FF);  // red
        dc.SetTransparentBackground(true);
        dc.DrawTextLine(2, 4, "WWW", area);
    };
    widget.resize(40, 30);
    const QImage shown = Grab(widget);
    EXPECT_TRUE(onQt);
    ASSERT_FALSE(client.overlays.empty());
    EXPECT_EQ(client.overlays.back(), (Rect{0, 0, 40, 30}));

    int ink = 0, outside = 0, reddest = 0;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) {
            if (shown.pixel(x, y) == BufferPixel(view, x, y)) continue;
            const bool inBand = x >= 2 && y >= 4 && y < 4 + 20;
            ink += inBand;
            outside += !inBand;
            reddest = std::max(reddest, qRed(shown.pixel(x, y)) - qGreen(shown.pixel(x, y)));
        }
    EXPECT_GT(ink, 20);
    EXPECT_EQ(outside, 0);
    EXPECT_GT(reddest, 200);  // the text's colour, over the sprite and the background

    // Painted straight into an image's pixels, or through an image of its own when the painter is
    // clipped, the card with its text is the same, pixel for pixel.
    QImage direct(40, 30, QImage::Format_RGB32);
    direct.fill(Qt::blue);
    widget.render(&direct);
    EXPECT_EQ(direct, shown);
    QImage clipped(40, 30, QImage::Format_RGB32);
    clipped.fill(Qt::blue);
    {
        QPainter painter(&clipped);
        painter.setClipRect(0, 0, 40, 20);
        widget.render(&painter);
    }
    EXPECT_EQ(clipped.copy(0, 0, 40, 20), shown.copy(0, 0, 40, 20));
    EXPECT_EQ(clipped.pixel(5, 25), qRgb(0, 0, 255));
    // A painter that shows what it draws half through shows the card so.
    QImage faded(40, 30, QImage::Format_RGB32), expected(40, 30, QImage::Format_RGB32);
    faded.fill(Qt::blue);
    expected.fill(Qt::blue);
    {
        QPainter painter(&faded);
        painter.setOpacity(0.5);
        widget.render(&painter);
        QPainter by(&expected);
        by.setOpacity(0.5);
        by.drawImage(0, 0, shown);
    }
    EXPECT_EQ(faded, expected);

    // Scaled, the card with its text is the unscaled one with every pixel doubled.
    widget.SetIntegerScale(2);
    widget.resize(80, 60);
    const QImage doubled = Grab(widget);
    int wrong = 0;
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 80; ++x) wrong += doubled.pixel(x, y) != shown.pixel(x / 2, y / 2);
    EXPECT_EQ(wrong, 0);
}

TEST_F(ViewWidgetTest, KeysGoToTheClientAndOnToTheParentWhenNotTaken) {
    QKeyEvent del(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
    QCoreApplication::sendEvent(&widget, &del);
    EXPECT_TRUE(del.isAccepted());
    client.takeKeys = false;
    QKeyEvent a(QEvent::KeyPress, Qt::Key_A, Qt::ShiftModifier | Qt::ControlModifier, "A");
    QCoreApplication::sendEvent(&widget, &a);
    EXPECT_FALSE(a.isAccepted());  // a widget that ignores a key passes it to its parent
    ASSERT_EQ(client.keys.size(), 2u);
    EXPECT_EQ(client.keys[0].key, Qt::Key_Delete);
    EXPECT_EQ(client.keys[1].text, "A");
    EXPECT_TRUE(client.keys[1].shift);
    EXPECT_TRUE(client.keys[1].control);
    EXPECT_FALSE(client.keys[1].alt);
}

TEST_F(ViewWidgetTest, TheWidgetIsTheViewsSurfaceUntilItLetsGo) {
    ASSERT_NE(view.GetSurface(), nullptr);
    // The surface reports what the widget shows, in client pixels.
    widget.SetIntegerScale(2);
    widget.resize(50, 30);
    EXPECT_EQ(view.GetSurface()->ClipBox(), (Rect{0, 0, 25, 15}));

    {
        ui::ViewWidget other;
        other.SetView(&view, nullptr);
        platform::DeviceContext* theirs = view.GetSurface();
        EXPECT_NE(theirs, nullptr);
        widget.SetView(nullptr, nullptr);  // a widget that no longer shows the view leaves it alone
        EXPECT_EQ(view.GetSurface(), theirs);
    }
    EXPECT_EQ(view.GetSurface(), nullptr);

    // A new background of another size: the next copy brings the widget to the new size.
    widget.SetView(&view, &client);
    QSignalSpy changes(&widget, &ui::ViewWidget::layoutChanged);
    CDIB larger;
    ui_test::PaintGradient(larger, 64, 48);
    scene.background = std::move(larger);
    ASSERT_TRUE(view.NewBackground(scene.background));
    EXPECT_EQ(widget.ViewSize(), (platform::Size{64, 48}));
    EXPECT_EQ(widget.sizeHint(), QSize(128, 96));
    EXPECT_GE(changes.count(), 1);

    // Without a buffer the view has the card's size and shows black.
    CAnimView empty;
    widget.SetView(&empty, nullptr);
    widget.SetIntegerScale(1);
    EXPECT_EQ(widget.sizeHint(), QSize(640, 480));
    widget.resize(8, 8);
    EXPECT_EQ(Grab(widget).pixel(3, 3), qRgb(0, 0, 0));
    widget.SetView(nullptr, nullptr);
}

}  // namespace
