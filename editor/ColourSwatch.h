#pragma once

#include <QPushButton>
#include <cstdint>
#include <functional>
#include <optional>

// A button that shows a colour under its caption and asks for another when pressed. The asking is a
// function so that the editor gives it the colour dialog and tests give it their answers.
class ColourSwatch : public QPushButton {
    Q_OBJECT
  public:
    using Chooser = std::function<std::optional<uint32_t>(uint32_t current)>;

    ColourSwatch(const QString& caption, uint32_t colour, Chooser chooser, QWidget* parent = nullptr);

    uint32_t Colour() const { return colour_; }  // 0x00BBGGRR
    void SetColour(uint32_t colour);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    void Choose();

    uint32_t colour_;
    Chooser chooser_;
};

// A Windows colour reference (0x00BBGGRR) as Qt's colour.
QColor QColorOfColorref(uint32_t colorref);
