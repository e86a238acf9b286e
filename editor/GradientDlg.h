#pragma once

#include <QDialog>
#include <cstdint>

#include "editor/ColourSwatch.h"

class QPushButton;

// "Gradient": the colours of the top and the bottom row of a gradient background, each a swatch that opens
// the colour dialog.
class CGradientDlg : public QDialog {
    Q_OBJECT
  public:
    CGradientDlg(uint32_t initial, uint32_t final, ColourSwatch::Chooser chooseColour,
                 QWidget* parent = nullptr);

    ColourSwatch& InitialSwatch() { return *initial_; }
    ColourSwatch& FinalSwatch() { return *final_; }
    QPushButton& OkButton() { return *ok_; }
    QPushButton& CancelButton() { return *cancel_; }

  private:
    ColourSwatch* initial_ = nullptr;
    ColourSwatch* final_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
};
