#include "player/SpriteCursor.h"

#include <QPainter>
#include <QPainterPath>
#include <cmath>
#include <map>

namespace sprite_cursor {

namespace {

QPainterPath Rounded(qreal x, qreal y, qreal w, qreal h, qreal radius) {
    QPainterPath path;
    path.addRoundedRect(QRectF(x, y, w, h), radius, radius);
    return path;
}

// The outline of the hand in the 32 x 32 box: the forefinger up from the fingertip, the three other
// fingers folded over the palm, the thumb lying across to the left.
QPainterPath Hand() {
    QPainterPath hand = Rounded(10, 0.5, 5, 19, 2.5);
    hand = hand.united(Rounded(14.5, 9, 5, 11, 2.5));
    hand = hand.united(Rounded(19, 10.5, 5, 10.5, 2.5));
    hand = hand.united(Rounded(23.5, 12.5, 4.5, 10, 2.25));
    hand = hand.united(Rounded(10, 16, 18, 12, 4));
    QTransform tilt;
    tilt.translate(11, 22);
    tilt.rotate(-40);
    hand = hand.united(tilt.map(Rounded(-10, -2.5, 11, 5, 2.5)));
    hand = hand.united(Rounded(12, 24, 14, 6.5, 2.5));  // the wrist
    return hand.simplified();
}

}  // namespace

QPixmap Paint(qreal devicePixelRatio) {
    const qreal ratio = devicePixelRatio > 0 ? devicePixelRatio : 1;
    const int side = static_cast<int>(std::ceil(kSize * ratio));
    QPixmap pixmap(side, side);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QPainterPath hand = Hand();
    p.setPen(QPen(QColor(20, 20, 20), 1.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::white);
    p.drawPath(hand);
    // The creases between the folded fingers.
    p.setPen(QPen(QColor(20, 20, 20), 1.0, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(14.8, 12), QPointF(14.8, 17.5));
    p.drawLine(QPointF(19.2, 13), QPointF(19.2, 18.5));
    p.drawLine(QPointF(23.7, 15), QPointF(23.7, 20));
    return pixmap;
}

const QCursor& ForDensity(qreal devicePixelRatio) {
    // Keyed by the density in hundredths, so that 1.25 and 1.2500001 share one cursor. The cursors live as
    // long as the process: a pixmap must not outlive the toolkit, and these would be destroyed after it.
    static auto* made = new std::map<int, QCursor>;
    const int key = static_cast<int>(std::lround((devicePixelRatio > 0 ? devicePixelRatio : 1) * 100));
    auto found = made->find(key);
    if (found == made->end())
        found = made->emplace(key, QCursor(Paint(key / 100.0), kHotSpot.x(), kHotSpot.y())).first;
    return found->second;
}

}  // namespace sprite_cursor
