#include "editor/Icons.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>

#include "editor/CommandIds.h"

namespace {

const QColor kInk(40, 40, 40);
const QColor kPaper(255, 255, 255);
const QColor kBlue(30, 80, 200);
const QColor kGreen(30, 150, 60);
const QColor kRed(200, 40, 40);
const QColor kYellow(240, 200, 40);

void Page(QPainter& p, int x, int y, int w, int h) {
    p.setPen(kInk);
    p.setBrush(kPaper);
    p.drawRect(x, y, w, h);
}

void Card(QPainter& p, int x, int y, QColor fill) {
    p.setPen(kInk);
    p.setBrush(fill);
    p.drawRect(x, y, 10, 8);
}

void Bars(QPainter& p, bool vertical, bool far) {
    // A guide line on one edge and three bars of different lengths that touch it.
    p.setPen(QPen(kRed, 1));
    if (vertical)
        p.drawLine(far ? 14 : 1, 1, far ? 14 : 1, 14);
    else
        p.drawLine(1, far ? 13 : 1, 14, far ? 13 : 1);
    p.setPen(Qt::NoPen);
    p.setBrush(kBlue);
    const int lengths[] = {10, 6, 8};
    for (int i = 0; i < 3; ++i) {
        const int l = lengths[i];
        if (vertical)
            p.drawRect(far ? 14 - l : 2, 2 + i * 4, l, 3);
        else
            p.drawRect(2 + i * 4, far ? 13 - l : 2, 3, l);
    }
}

void Spacing(QPainter& p, bool down) {
    p.setPen(Qt::NoPen);
    p.setBrush(kBlue);
    for (int i = 0; i < 3; ++i) {
        if (down)
            p.drawRect(4, 1 + i * 5, 8, 3);
        else
            p.drawRect(1 + i * 5, 4, 3, 8);
    }
}

void Navigation(QPainter& p, bool forward, bool toEnd) {
    Card(p, 3, 3, QColor(200, 220, 255));
    QPolygonF triangle =
        forward ? QPolygonF({{6, 4}, {11, 7}, {6, 10}}) : QPolygonF({{10, 4}, {5, 7}, {10, 10}});
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    p.drawPolygon(triangle);
    if (toEnd) p.drawRect(forward ? 12 : 3, 4, 1, 7);
}

void Picture(QPainter& p, int x, int y, int w, int h) {
    p.setPen(kInk);
    p.setBrush(QColor(170, 210, 255));
    p.drawRect(x, y, w, h);
    p.setPen(Qt::NoPen);
    p.setBrush(kGreen);
    p.drawPolygon(
        QPolygonF({QPointF(x + 1, y + h), QPointF(x + w / 2.0, y + h / 3.0), QPointF(x + w, y + h)}));
    p.setBrush(kYellow);
    p.drawEllipse(QPointF(x + w - 3, y + 3), 1.5, 1.5);
}

void Letter(QPainter& p, const QString& s, QColor colour) {
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(13);
    font.setBold(true);
    p.setFont(font);
    p.setPen(colour);
    p.drawText(QRect(0, 0, 16, 15), Qt::AlignCenter, s);
}

void Draw(QPainter& p, int id) {
    switch (id) {
        case cmd::kFileNew:
            Page(p, 3, 1, 9, 12);
            break;
        case cmd::kFileOpen:
            p.setPen(kInk);
            p.setBrush(kYellow);
            p.drawRect(1, 4, 13, 9);
            p.drawRect(1, 2, 5, 2);
            break;
        case cmd::kFileSave:
            p.setPen(kInk);
            p.setBrush(kBlue);
            p.drawRect(1, 1, 13, 13);
            p.setBrush(kPaper);
            p.drawRect(4, 1, 7, 5);
            p.drawRect(4, 9, 7, 5);
            break;
        case cmd::kEditCut:
            p.setPen(QPen(kInk, 1.5));
            p.drawLine(4, 1, 10, 10);
            p.drawLine(11, 1, 5, 10);
            p.setBrush(Qt::NoBrush);
            p.drawEllipse(QPointF(4, 12), 2, 2);
            p.drawEllipse(QPointF(11, 12), 2, 2);
            break;
        case cmd::kEditCopy:
            Page(p, 1, 1, 8, 9);
            Page(p, 6, 4, 8, 10);
            break;
        case cmd::kEditPaste:
            p.setPen(kInk);
            p.setBrush(QColor(170, 120, 60));
            p.drawRect(1, 2, 10, 12);
            Page(p, 6, 5, 8, 9);
            break;
        case cmd::kEditUndo:
        case cmd::kEditRedo: {
            const bool undo = id == cmd::kEditUndo;
            QPainterPath path;
            path.moveTo(undo ? 12 : 3, 12);
            path.cubicTo(undo ? 15 : 0, 4, undo ? 6 : 9, 1, undo ? 3 : 12, 6);
            p.setPen(QPen(kBlue, 2));
            p.setBrush(Qt::NoBrush);
            p.drawPath(path);
            p.setPen(Qt::NoPen);
            p.setBrush(kBlue);
            p.drawPolygon(undo ? QPolygonF({{1, 3}, {6, 8}, {1, 9}}) : QPolygonF({{14, 3}, {9, 8}, {14, 9}}));
            break;
        }
        case cmd::kBackgroundFromFile:
            Picture(p, 1, 2, 13, 11);
            break;
        case cmd::kSpritesList:
            p.setPen(kInk);
            for (int i = 0; i < 4; ++i) {
                p.setBrush(i % 2 ? kGreen : kRed);
                p.drawRect(1, 1 + i * 3, 2, 2);
                p.drawLine(5, 2 + i * 3, 14, 2 + i * 3);
            }
            break;
        case cmd::kTest:
        case cmd::kTestFromThisCard:
            p.setPen(Qt::NoPen);
            p.setBrush(kGreen);
            p.drawPolygon(QPolygonF({{3, 1}, {14, 7.5}, {3, 14}}));
            if (id == cmd::kTestFromThisCard) Card(p, 0, 9, kYellow);
            break;
        case cmd::kAlignUp:
            Bars(p, false, false);
            break;
        case cmd::kAlignDown:
            Bars(p, false, true);
            break;
        case cmd::kAlignLeft:
            Bars(p, true, false);
            break;
        case cmd::kAlignRight:
            Bars(p, true, true);
            break;
        case cmd::kSpaceEvenlyDown:
            Spacing(p, true);
            break;
        case cmd::kSpaceEvenlyAcross:
            Spacing(p, false);
            break;
        case cmd::kAddCard:
            Card(p, 1, 4, QColor(200, 220, 255));
            Letter(p, QStringLiteral("+"), kGreen);
            break;
        case cmd::kDeleteCard:
            Card(p, 1, 4, QColor(200, 220, 255));
            p.setPen(QPen(kRed, 2));
            p.drawLine(6, 3, 14, 13);
            p.drawLine(14, 3, 6, 13);
            break;
        case cmd::kDuplicateCard:
            Card(p, 1, 2, QColor(200, 220, 255));
            Card(p, 5, 6, QColor(200, 220, 255));
            break;
        case cmd::kCardsList:
            for (int i = 0; i < 3; ++i) Card(p, 1 + i * 2, 1 + i * 3, QColor(200, 220, 255));
            break;
        case cmd::kFirstCard:
            Navigation(p, false, true);
            break;
        case cmd::kPreviousCard:
            Navigation(p, false, false);
            break;
        case cmd::kNextCard:
            Navigation(p, true, false);
            break;
        case cmd::kLastCard:
            Navigation(p, true, true);
            break;
        case cmd::kHelp:
            Letter(p, QStringLiteral("?"), kBlue);
            break;
        case cmd::kNoAction:
            p.setPen(QPen(kInk, 1, Qt::DotLine));
            p.setBrush(Qt::NoBrush);
            p.drawRect(2, 2, 11, 10);
            break;
        case cmd::kSelectTool:
            p.setPen(kInk);
            p.setBrush(kPaper);
            p.drawPolygon(QPolygonF({{3, 1}, {3, 13}, {6, 10}, {9, 14}, {11, 13}, {8, 9}, {12, 9}}));
            break;
        case cmd::kInsertSprite:
            p.setPen(kInk);
            p.setBrush(kRed);
            p.drawEllipse(2, 2, 11, 11);
            p.setBrush(kYellow);
            p.drawEllipse(5, 5, 5, 5);
            break;
        case cmd::kInsertText:
            Letter(p, QStringLiteral("A"), kInk);
            break;
        case cmd::kInsertPicture:
            Picture(p, 1, 2, 13, 11);
            break;
        case cmd::kInsertVideo:
            p.setPen(kInk);
            p.setBrush(kInk);
            p.drawRect(1, 2, 13, 11);
            p.setBrush(kPaper);
            for (int i = 0; i < 4; ++i) {
                p.drawRect(2 + i * 3, 3, 1, 1);
                p.drawRect(2 + i * 3, 11, 1, 1);
            }
            p.setBrush(QColor(170, 210, 255));
            p.drawRect(3, 5, 9, 5);
            break;
        case cmd::kViewGrid:
            p.setPen(QColor(120, 120, 120));
            for (int i = 1; i < 16; i += 4) {
                p.drawLine(i, 0, i, 15);
                p.drawLine(0, i, 16, i);
            }
            break;
        default:
            break;
    }
}

QPixmap Paint(int id) {
    QPixmap pixmap(kButtonImageWidth, kButtonImageHeight);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    Draw(p, id);
    return pixmap;
}

}  // namespace

const std::vector<int>& MainToolBarButtons() {
    static const std::vector<int> buttons = {
        cmd::kFileNew,
        cmd::kFileOpen,
        cmd::kFileSave,
        0,
        cmd::kEditCut,
        cmd::kEditCopy,
        cmd::kEditPaste,
        0,
        cmd::kEditUndo,
        0,
        cmd::kBackgroundFromFile,
        cmd::kSpritesList,
        0,
        cmd::kTest,
        0,
        cmd::kAlignUp,
        cmd::kAlignLeft,
        cmd::kAlignDown,
        cmd::kAlignRight,
        cmd::kSpaceEvenlyDown,
        cmd::kSpaceEvenlyAcross,
        0,
        cmd::kAddCard,
        cmd::kDeleteCard,
        cmd::kDuplicateCard,
        cmd::kCardsList,
        0,
        cmd::kFirstCard,
        cmd::kPreviousCard,
        cmd::kNextCard,
        cmd::kLastCard,
        0,
        cmd::kHelp,
        cmd::kNoAction,
    };
    return buttons;
}

const std::vector<int>& InsertBarButtons() {
    static const std::vector<int> buttons = {cmd::kSelectTool, cmd::kInsertSprite, cmd::kInsertText,
                                             cmd::kInsertPicture, cmd::kInsertVideo};
    return buttons;
}

bool HasToolBarImage(int id) {
    const auto& buttons = MainToolBarButtons();
    return id != 0 && std::find(buttons.begin(), buttons.end(), id) != buttons.end();
}

QIcon CommandIcon(int id) {
    const auto& insert = InsertBarButtons();
    const bool known = HasToolBarImage(id) || std::find(insert.begin(), insert.end(), id) != insert.end() ||
                       id == cmd::kEditRedo || id == cmd::kTestFromThisCard || id == cmd::kViewGrid;
    return known ? QIcon(Paint(id)) : QIcon();
}

QPixmap AboutPicture() {
    QPixmap pixmap(360, 120);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 120);
    sky.setColorAt(0, QColor(20, 40, 110));
    sky.setColorAt(1, QColor(90, 150, 230));
    p.fillRect(pixmap.rect(), sky);
    // A fan of cards, the editor's subject.
    for (int i = 0; i < 4; ++i) {
        p.save();
        p.translate(60, 100);
        p.rotate(-30 + i * 15);
        p.setPen(QColor(30, 30, 30));
        p.setBrush(QColor(255, 255 - i * 30, 200 - i * 40));
        p.drawRoundedRect(-20, -70, 40, 56, 3, 3);
        p.restore();
    }
    QFont title(QStringLiteral("Liberation Sans"));
    title.setPixelSize(40);
    title.setBold(true);
    p.setFont(title);
    p.setPen(Qt::white);
    p.drawText(QRect(120, 20, 230, 50), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Fabrio"));
    QFont subtitle(QStringLiteral("Liberation Sans"));
    subtitle.setPixelSize(14);
    p.setFont(subtitle);
    p.drawText(QRect(120, 70, 230, 30), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Interactive titles, card by card"));
    return pixmap;
}

QIcon FabrioIcon() {
    QIcon icon;
    icon.addFile(QStringLiteral(":/fabrio/fabrio-48.png"));
    icon.addFile(QStringLiteral(":/fabrio/fabrio-128.png"));
    return icon;
}
