#include "player/BitmapButton.h"

#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace {

const QColor kTickGreen(30, 150, 40);
const QColor kCrossRed(200, 30, 30);
const QColor kInk(20, 20, 20);
const QColor kGreyInk(140, 140, 140);

void PaintTick(QPainter& p, const QRectF& box, const QColor& colour) {
    QPainterPath tick;
    tick.moveTo(box.left() + box.width() * 0.12, box.top() + box.height() * 0.55);
    tick.lineTo(box.left() + box.width() * 0.40, box.top() + box.height() * 0.85);
    tick.lineTo(box.left() + box.width() * 0.90, box.top() + box.height() * 0.15);
    p.setPen(QPen(colour, box.width() * 0.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(tick);
}

void PaintCross(QPainter& p, const QRectF& box, const QColor& colour) {
    const QRectF inner =
        box.adjusted(box.width() * 0.15, box.height() * 0.15, -box.width() * 0.15, -box.height() * 0.15);
    p.setPen(QPen(colour, box.width() * 0.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(inner.topLeft(), inner.bottomRight());
    p.drawLine(inner.topRight(), inner.bottomLeft());
}

}  // namespace

CBitmapButton::CBitmapButton(const QString& caption, QWidget* parent) : QPushButton(caption, parent) {
    setAccessibleName(caption);
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize CBitmapButton::sizeHint() const {
    return {kFaceWidth, kFaceHeight};
}

CBitmapButton::Face CBitmapButton::CurrentFace() const {
    if (!isEnabled()) return Face::disabled;
    if (isDown()) return Face::pressed;
    if (hasFocus()) return Face::focused;
    return Face::normal;
}

QPixmap CBitmapButton::PaintFace(const QString& caption, Face face, qreal devicePixelRatio) {
    const qreal ratio = devicePixelRatio > 0 ? devicePixelRatio : 1;
    QPixmap pixmap(static_cast<int>(std::ceil(kFaceWidth * ratio)),
                   static_cast<int>(std::ceil(kFaceHeight * ratio)));
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const bool pressed = face == Face::pressed;
    const bool disabled = face == Face::disabled;
    // A raised plate, sunk while pressed.
    const QRectF plate(0.5, 0.5, kFaceWidth - 1, kFaceHeight - 1);
    QLinearGradient shade(0, 0, 0, kFaceHeight);
    shade.setColorAt(0, pressed ? QColor(200, 200, 200) : QColor(250, 250, 250));
    shade.setColorAt(1, pressed ? QColor(235, 235, 235) : QColor(205, 205, 205));
    p.setBrush(shade);
    p.setPen(QPen(disabled ? kGreyInk : QColor(90, 90, 90), 1));
    p.drawRoundedRect(plate, 5, 5);
    if (face == Face::focused) {
        p.setPen(QPen(QColor(40, 90, 200), 2));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(plate.adjusted(1.5, 1.5, -1.5, -1.5), 4, 4);
    }
    const qreal shift = pressed ? 1 : 0;
    const QRectF symbol(8 + shift, 6 + shift, kFaceHeight - 12, kFaceHeight - 12);
    if (caption == QLatin1String("SI")) PaintTick(p, symbol, disabled ? kGreyInk : kTickGreen);
    if (caption == QLatin1String("NO")) PaintCross(p, symbol, disabled ? kGreyInk : kCrossRed);
    const bool hasSymbol = caption == QLatin1String("SI") || caption == QLatin1String("NO");
    QFont font("Liberation Sans");
    font.setPixelSize(15);
    font.setBold(true);
    p.setFont(font);
    p.setPen(disabled ? kGreyInk : kInk);
    const qreal left = hasSymbol ? symbol.right() + 4 : 4 + shift;
    p.drawText(QRectF(left, shift, kFaceWidth - left - 4, kFaceHeight), Qt::AlignCenter, caption);
    return pixmap;
}

void CBitmapButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QPixmap face = PaintFace(text(), CurrentFace(), devicePixelRatioF());
    p.drawPixmap(QPointF((width() - kFaceWidth) / 2.0, (height() - kFaceHeight) / 2.0), face);
}
