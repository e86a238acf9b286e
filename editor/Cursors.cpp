#include "editor/Cursors.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <cmath>
#include <map>

namespace {

constexpr int kCursorSize = 32;

// Every cursor is drawn black with a white outline, so that it shows on any background.
void StrokeOutlined(QPainter& p, const QPainterPath& path, bool fill) {
    p.setPen(QPen(Qt::white, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
    p.setPen(QPen(Qt::black, 1, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.setBrush(fill ? QBrush(Qt::black) : QBrush(Qt::NoBrush));
    p.drawPath(path);
}

QPainterPath ArrowPath(double x, double y) {
    QPainterPath path;
    path.moveTo(x, y);
    path.lineTo(x, y + 16);
    path.lineTo(x + 4, y + 12);
    path.lineTo(x + 7, y + 18);
    path.lineTo(x + 9, y + 17);
    path.lineTo(x + 6, y + 11);
    path.lineTo(x + 11, y + 11);
    path.closeSubpath();
    return path;
}

// The small cross of the insert tools: its centre is the hot spot, the tool's sign lies beside it.
QPainterPath CrossPath() {
    QPainterPath path;
    path.moveTo(8, 1);
    path.lineTo(8, 15);
    path.moveTo(1, 8);
    path.lineTo(15, 8);
    return path;
}

QPixmap Blank() {
    QPixmap pixmap(kCursorSize, kCursorSize);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

QCursor OverElement() {
    QPixmap pixmap = Blank();
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing, false);
    StrokeOutlined(p, ArrowPath(1.5, 1.5), true);
    // A dotted box beside the arrow: the element that a press selects.
    QPainterPath box;
    box.addRect(14.5, 16.5, 12, 9);
    p.setPen(QPen(Qt::white, 3));
    p.drawPath(box);
    p.setPen(QPen(Qt::black, 1, Qt::DotLine));
    p.drawPath(box);
    return QCursor(pixmap, 1, 1);
}

QCursor Move() {
    QPixmap pixmap = Blank();
    QPainter p(&pixmap);
    QPainterPath path;
    const double c = 15.5;
    path.moveTo(c, 2);
    path.lineTo(c, 29);
    path.moveTo(2, c);
    path.lineTo(29, c);
    for (int side = 0; side < 4; ++side) {  // the four arrow heads
        QTransform t;
        t.translate(c, c).rotate(90 * side).translate(-c, -c);
        QPainterPath head;
        head.moveTo(c - 4, 6);
        head.lineTo(c, 2);
        head.lineTo(c + 4, 6);
        path.addPath(t.map(head));
    }
    StrokeOutlined(p, path, false);
    return QCursor(pixmap, 15, 15);
}

QCursor Tool(EditorCursor which) {
    QPixmap pixmap = Blank();
    QPainter p(&pixmap);
    StrokeOutlined(p, CrossPath(), false);
    QPainterPath sign;
    switch (which) {
        case EditorCursor::spriteTool:  // a star: a sprite
            for (int i = 0; i < 5; ++i) {
                const double a = (-90 + i * 144) * 3.14159265 / 180;
                const QPointF pt(23 + 7 * std::cos(a), 23 + 7 * std::sin(a));
                if (i == 0)
                    sign.moveTo(pt);
                else
                    sign.lineTo(pt);
            }
            sign.closeSubpath();
            break;
        case EditorCursor::textTool:  // a letter T
            sign.moveTo(17, 17);
            sign.lineTo(29, 17);
            sign.moveTo(23, 17);
            sign.lineTo(23, 29);
            break;
        case EditorCursor::pictureTool:  // a framed landscape
            sign.addRect(16.5, 18.5, 13, 10);
            sign.moveTo(17, 28);
            sign.lineTo(21, 23);
            sign.lineTo(24, 26);
            sign.lineTo(26, 24);
            sign.lineTo(29, 28);
            break;
        default:  // the video tool: a strip of film
            sign.addRect(16.5, 17.5, 13, 11);
            for (double y : {19.5, 26.5})
                for (double x : {18.5, 22.5, 26.5}) sign.addRect(x, y - 0.5, 1, 1);
            break;
    }
    StrokeOutlined(p, sign, false);
    return QCursor(pixmap, 8, 8);
}

QCursor Make(EditorCursor which) {
    switch (which) {
        case EditorCursor::arrow:
            return QCursor(Qt::ArrowCursor);
        case EditorCursor::overElement:
            return OverElement();
        case EditorCursor::move:
            return Move();
        case EditorCursor::trackerMove:
            return QCursor(Qt::SizeAllCursor);
        case EditorCursor::trackerSizeFDiag:
            return QCursor(Qt::SizeFDiagCursor);
        case EditorCursor::trackerSizeBDiag:
            return QCursor(Qt::SizeBDiagCursor);
        case EditorCursor::trackerSizeHor:
            return QCursor(Qt::SizeHorCursor);
        case EditorCursor::trackerSizeVer:
            return QCursor(Qt::SizeVerCursor);
        default:
            return Tool(which);
    }
}

}  // namespace

const QCursor& EditorQCursor(EditorCursor which) {
    static std::map<EditorCursor, QCursor> made;
    auto it = made.find(which);
    if (it == made.end()) it = made.emplace(which, Make(which)).first;
    return it->second;
}
