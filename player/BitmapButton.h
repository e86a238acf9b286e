#pragma once

#include <QPixmap>
#include <QPushButton>
#include <QString>

// A push button that shows a face painted for each of its states in place of the style's button: normal,
// pressed, focused and disabled, the U, D, F and X faces of the cards list's "SI" and "NO" buttons. It
// stays a push button in every other way: it takes the focus, Space and Enter press it, it can be the
// default button, and its caption is its text and its accessible name.
class CBitmapButton : public QPushButton {
    Q_OBJECT
  public:
    enum class Face { normal, pressed, focused, disabled };
    static constexpr int kFaceWidth = 88;
    static constexpr int kFaceHeight = 34;

    CBitmapButton(const QString& caption, QWidget* parent = nullptr);

    // The face for `caption` ("SI": a green tick, "NO": a red cross, any other: the word alone) at
    // `devicePixelRatio` device pixels to a logical pixel.
    static QPixmap PaintFace(const QString& caption, Face face, qreal devicePixelRatio);
    // The face the button shows now.
    Face CurrentFace() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

  protected:
    void paintEvent(QPaintEvent* event) override;
};
