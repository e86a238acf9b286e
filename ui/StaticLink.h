#pragma once

#include <QColor>
#include <QLabel>
#include <QString>

namespace ui {

// The hyperlink of the credits dialog and of the editor's about box: a text in blue, underlined, with
// the hand cursor over it; a click opens its target through the platform's shell and, when that worked,
// turns the text purple. A target the shell refuses or cannot open only beeps.
class CStaticLink : public QLabel {
    Q_OBJECT
  public:
    static constexpr QRgb kUnvisitedColour = 0xFF0000FF;  // red 0, green 0, blue 255
    static constexpr QRgb kVisitedColour = 0xFF800080;    // red 128, green 0, blue 128

    explicit CStaticLink(const QString& text = QString(), QWidget* parent = nullptr);

    // The address a click opens; when empty, the shown text serves as the address.
    void SetLink(const QString& link) { link_ = link; }
    const QString& Link() const { return link_; }
    QString Target() const { return link_.isEmpty() ? text() : link_; }

    bool Visited() const { return visited_; }
    QColor Colour() const { return palette().color(QPalette::WindowText); }

    // What a click does: opens the target (nothing for an empty one); true when the shell took it.
    bool Open();

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    void ShowColour(QRgb colour);

    QString link_;
    bool visited_ = false;
    bool pressed_ = false;
};

}  // namespace ui
