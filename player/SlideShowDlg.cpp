#include "player/SlideShowDlg.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPolygon>
#include <QScreen>
#include <algorithm>

#include "platform/qt/QtDeviceContext.h"

namespace {

QImage BlackScreen() {
    QImage image(kSlideShowWidth, kSlideShowHeight, QImage::Format_RGB32);
    image.fill(Qt::black);
    return image;
}

}  // namespace

void RunSlideShow(QWidget* parent, const CSprite::Arguments& args, int scale) {
    SlideShowOptions options;
    options.scale = scale;
    CSlideShowDlg dialog(parent, args, options);
    if (dialog.InitDialog()) dialog.exec();
}

QRegion WipeStepRegion(const WipeStep& step, const platform::Rect& area) {
    const QRegion bounds(area.left, area.top, area.Width(), area.Height());
    if (!step.polygon.empty()) {
        QPolygon polygon;
        for (const platform::Point& p : step.polygon) polygon << QPoint(p.x, p.y);
        return QRegion(polygon, Qt::OddEvenFill).intersected(bounds);
    }
    QRegion region;
    for (const platform::Rect& r : step.rects) region += QRect(r.left, r.top, r.Width(), r.Height());
    return region.intersected(bounds);
}

CSlideShowDlg::CSlideShowDlg(QWidget* parent, const CSprite::Arguments& args, SlideShowOptions options)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint),
      show_(args, options.baseDirectory),
      scale_(std::max(options.scale, 1)),
      clock_(options.clock),
      screen_(BlackScreen()) {
    if (!clock_) {
        ownClock_ = std::make_unique<SteadyWipeClock>();
        clock_ = ownClock_.get();
    }
    setModal(true);
    // Every pixel comes from the screen image, so nothing is erased before painting.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFixedSize(kSlideShowWidth * scale_, kSlideShowHeight * scale_);
    timer_.setInterval(std::max(options.periodMs, 1));
    connect(&timer_, &QTimer::timeout, this, &CSlideShowDlg::OnTimer);
}

CSlideShowDlg::~CSlideShowDlg() {
    Stop();
}

bool CSlideShowDlg::InitDialog() {
    if (initialised_) return show_.Composition() != nullptr;
    initialised_ = true;
    PlaceWindow();
    if (!show_.Start()) {
        Stop();
        return false;
    }
    QImage first = platform::DibViewToQImage(show_.Composition()->View());
    if (!first.isNull()) screen_ = std::move(first);
    timer_.start();
    timerRunning_ = true;
    return true;
}

int CSlideShowDlg::exec() {
    if (!InitDialog()) return QDialog::Rejected;
    return QDialog::exec();
}

void CSlideShowDlg::OnTimer() {
    if (!show_.Advance()) {
        Stop();
        done(QDialog::Rejected);
        return;
    }
    update();
}

void CSlideShowDlg::PlayCurrentWipe() {
    const CDIB* composition = show_.Composition();
    if (!composition || playing_ || !isVisible()) return;
    // The composition is converted once per wipe; the steps copy pieces of the converted picture.
    const QImage picture = platform::DibViewToQImage(composition->View());
    if (picture.isNull()) return;
    playing_ = true;
    const WipeSequence wipe = WipeForEffect(show_.EffectIndex(), kSlideShowWidth, kSlideShowHeight);
    PlayWipe(wipe, *clock_, [&](const WipeStep& step) { return CopyStep(step, picture, wipe.area); });
    // The wipes tile the whole window, so this changes nothing unless a wipe was cut short; the window
    // then still ends up showing the slide.
    if (isVisible() && screen_ != picture) {
        screen_ = picture;
        repaint();
    }
    playing_ = false;
}

bool CSlideShowDlg::CopyStep(const WipeStep& step, const QImage& picture, const platform::Rect& area) {
    // Without a window there is nothing to copy to, which ends the wipe.
    if (!isVisible()) return false;
    const QRegion region = WipeStepRegion(step, area);
    if (region.isEmpty()) return true;
    {
        QPainter painter(&screen_);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        for (const QRect& r : region)
            painter.drawImage(r.topLeft(), picture, r.translated(-area.left, -area.top));
    }
    repaint(ToWindow(region));
    return true;
}

QRegion CSlideShowDlg::ToWindow(const QRegion& region) const {
    if (scale_ == 1) return region;
    QRegion scaled;
    for (const QRect& r : region)
        scaled += QRect(r.left() * scale_, r.top() * scale_, r.width() * scale_, r.height() * scale_);
    return scaled;
}

void CSlideShowDlg::accept() {
    Stop();
    QDialog::accept();
}

void CSlideShowDlg::reject() {
    Stop();
    QDialog::accept();
}

void CSlideShowDlg::paintEvent(QPaintEvent* event) {
    {
        QPainter painter(this);
        for (const QRect& r : event->region()) {
            // Whole screen pixels that the area touches, drawn at the scale (nearest pixel).
            const QRect source(QPoint(r.left() / scale_, r.top() / scale_),
                               QPoint(r.right() / scale_, r.bottom() / scale_));
            const QRect target(source.left() * scale_, source.top() * scale_, source.width() * scale_,
                               source.height() * scale_);
            painter.drawImage(target, screen_, source);
        }
    }
    // Any repaint after the first slide plays the current wipe again, as the show always did. It runs
    // just after this paint, because a wipe paints the window step by step itself.
    if (!playing_ && !wipeQueued_ && show_.Composition() && !show_.ShowingFirstSlide()) {
        wipeQueued_ = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                wipeQueued_ = false;
                PlayCurrentWipe();
            },
            Qt::QueuedConnection);
    }
}

void CSlideShowDlg::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QDialog::mousePressEvent(event);
        return;
    }
    Stop();
    done(QDialog::Rejected);
}

void CSlideShowDlg::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            accept();
            return;
        case Qt::Key_Escape:
            reject();
            return;
        default:
            QDialog::keyPressEvent(event);
    }
}

void CSlideShowDlg::closeEvent(QCloseEvent* event) {
    Stop();
    QDialog::closeEvent(event);
}

void CSlideShowDlg::Stop() {
    show_.Stop();
    if (timerRunning_) {
        timer_.stop();
        timerRunning_ = false;
    }
}

void CSlideShowDlg::PlaceWindow() {
    QScreen* screen = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
    const QRect bounds = screen ? screen->geometry() : QRect(0, 0, width(), height());
    const platform::Point origin = CentredWindowOrigin(bounds.width(), bounds.height(), width(), height());
    move(bounds.left() + origin.x, bounds.top() + origin.y);
}
