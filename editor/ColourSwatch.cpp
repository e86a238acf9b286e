#include "editor/ColourSwatch.h"

#include <QPainter>
#include <QStyleOptionButton>
#include <QStylePainter>

QColor QColorOfColorref(uint32_t colorref) {
    return QColor(static_cast<int>(colorref & 0xFF), static_cast<int>((colorref >> 8) & 0xFF),
                  static_cast<int>((colorref >> 16) & 0xFF));
}

ColourSwatch::ColourSwatch(const QString& caption, uint32_t colour, Chooser chooser, QWidget* parent)
    : QPushButton(caption, parent), colour_(colour), chooser_(std::move(chooser)) {
    setAutoDefault(false);
    setMinimumSize(96, 48);
    connect(this, &QPushButton::clicked, this, &ColourSwatch::Choose);
}

void ColourSwatch::SetColour(uint32_t colour) {
    colour_ = colour & 0xFFFFFF;
    update();
}

void ColourSwatch::Choose() {
    if (!chooser_) return;
    if (std::optional<uint32_t> chosen = chooser_(colour_)) SetColour(*chosen);
}

// The button's frame, the colour filling its face and the caption in black or white, whichever reads on
// that colour.
void ColourSwatch::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.text.clear();
    painter.drawControl(QStyle::CE_PushButton, option);
    const QColor colour = QColorOfColorref(colour_);
    const QRect face = rect().adjusted(6, 6, -6, -6);
    painter.fillRect(face, colour);
    painter.setPen(colour.lightness() < 128 ? Qt::white : Qt::black);
    painter.drawText(face, Qt::AlignCenter, text());
}
