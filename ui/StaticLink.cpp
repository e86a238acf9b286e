#include "ui/StaticLink.h"

#include <QApplication>
#include <QMouseEvent>

#include "platform/Shell.h"

namespace ui {

CStaticLink::CStaticLink(const QString& text, QWidget* parent) : QLabel(text, parent) {
    // A title's or a resource's text is shown as it stands, never read as markup.
    setTextFormat(Qt::PlainText);
    QFont underlined = font();
    underlined.setUnderline(true);
    setFont(underlined);
    setCursor(Qt::PointingHandCursor);
    ShowColour(kUnvisitedColour);
}

bool CStaticLink::Open() {
    const QString target = Target();
    if (target.isEmpty()) return false;
    if (!platform::Shells().Open(target.toStdString())) {
        QApplication::beep();
        return false;
    }
    visited_ = true;
    ShowColour(kVisitedColour);
    return true;
}

void CStaticLink::mousePressEvent(QMouseEvent* event) {
    pressed_ = event->button() == Qt::LeftButton;
    event->accept();
}

void CStaticLink::mouseReleaseEvent(QMouseEvent* event) {
    // A click is a press and a release on the link; letting go elsewhere takes the click back.
    const bool click =
        pressed_ && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    pressed_ = false;
    event->accept();
    if (click) Open();
}

void CStaticLink::ShowColour(QRgb colour) {
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, QColor::fromRgb(colour));
    setPalette(colours);
}

}  // namespace ui
