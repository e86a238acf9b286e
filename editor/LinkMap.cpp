#include "editor/LinkMap.h"

#include <QGraphicsLineItem>
#include <QGraphicsRectItem>
#include <QGraphicsScene>
#include <QGraphicsSimpleTextItem>
#include <QGraphicsView>
#include <QLabel>
#include <QVBoxLayout>
#include <cmath>
#include <map>

#include "editor/PlayerCopy.h"
#include "model/FichaDoc.h"

namespace {

constexpr qreal kBoxWidth = 150;
constexpr qreal kBoxHeight = 28;
constexpr qreal kRowStep = 44;
constexpr qreal kTitleColumn = 360;

QString TargetLabel(const TitleLink& link) {
    switch (link.kind) {
        case TitleLink::Kind::card:
            return QStringLiteral("Card %1").arg(link.card + 1);
        case TitleLink::Kind::cardsList:
            return QStringLiteral("Cards list");
        case TitleLink::Kind::title:
            break;
    }
    const QString title = QString::fromStdString(link.title);
    return link.card < 0 ? title : QStringLiteral("%1, card %2").arg(title).arg(link.card + 1);
}

}  // namespace

CLinkMap::CLinkMap(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("linkMap"));
    setWindowTitle(QStringLiteral("Link map"));
    scene_ = new QGraphicsScene(this);
    view_ = new QGraphicsView(scene_, this);
    view_->setRenderHint(QPainter::Antialiasing);
    caption_ = new QLabel(this);
    auto* column = new QVBoxLayout(this);
    column->addWidget(caption_);
    column->addWidget(view_, 1);
    resize(640, 480);
}

void CLinkMap::ShowDocument(CFichaDoc* doc) {
    doc_ = doc;
    scene_->clear();
    nodes_.clear();
    links_.clear();
    std::unique_ptr<CFichaDoc> copy = doc ? PlayerCopyOf(*doc) : nullptr;
    caption_->setText(doc ? QString::fromStdString(doc->GetTitle()) : QStringLiteral("No title"));
    if (!copy) return;
    links_ = TitleLinks(*copy);

    std::map<QString, QRectF> boxes;
    auto box = [&](const QString& label, const QPointF& at, bool missing) {
        auto found = boxes.find(label);
        if (found != boxes.end()) return found->second;
        const QRectF rect(at, QSizeF(kBoxWidth, kBoxHeight));
        auto* item = scene_->addRect(rect, QPen(missing ? kMissing : QColor(Qt::black), missing ? 2 : 1),
                                     QBrush(missing ? QColor(255, 220, 220) : QColor(235, 240, 250)));
        item->setToolTip(label);
        auto* text = scene_->addSimpleText(label);
        text->setBrush(missing ? kMissing : QColor(Qt::black));
        text->setPos(rect.left() + 6, rect.top() + 6);
        nodes_.push_back({label, missing});
        boxes.emplace(label, rect);
        return rect;
    };

    const int count = static_cast<int>(copy->GetCards().GetSize());
    for (int i = 0; i < count; ++i)
        box(QStringLiteral("Card %1").arg(i + 1), QPointF(0, i * kRowStep), false);
    int others = 0;
    for (const TitleLink& link : links_) {
        const QRectF from = boxes.at(QStringLiteral("Card %1").arg(link.fromCard + 1));
        const QString label = TargetLabel(link);
        // Only the cards of this title that exist lie in the first column, beside the card the link leaves.
        const bool inside = link.kind == TitleLink::Kind::card && !link.missing;
        QRectF to;
        if (boxes.count(label)) {
            to = boxes.at(label);
        } else {
            // Targets outside the stack (other titles, missing cards, the list) line up in a second column.
            to = box(label, QPointF(kTitleColumn, others * kRowStep), link.missing);
            ++others;
        }
        const QColor colour = link.missing ? kMissing : QColor(Qt::darkBlue);
        // Links between cards of this title bend out to the left, so that they do not run over the boxes.
        QPointF start =
            inside ? QPointF(from.left(), from.center().y()) : QPointF(from.right(), from.center().y());
        const QPointF end(to.left(), to.center().y());
        QPainterPath path(start);
        if (inside) {
            const qreal bend = 20 + 8 * std::abs(link.card - link.fromCard);
            path.cubicTo(start - QPointF(bend, 0), end - QPointF(bend, 0), end);
        } else {
            path.lineTo(end);
        }
        auto* line = scene_->addPath(path, QPen(colour, link.missing ? 2 : 1));
        line->setToolTip(QStringLiteral("sprite %1").arg(link.sprite));
        // The arrow's head at the target.
        const QPointF tip = end;
        scene_->addPolygon(QPolygonF({tip, tip + QPointF(-7, -4), tip + QPointF(-7, 4)}), QPen(colour),
                           QBrush(colour));
    }
}
