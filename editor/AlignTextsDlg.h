#pragma once

#include <QDialog>
#include <functional>
#include <string>

#include "editor/EditorDialogs.h"
#include "editor/FontChoiceDlg.h"

class QCheckBox;
class QLineEdit;
class QPushButton;
class DialogIntegerField;

// "Align texts" with position and size: which texts (by identifier, on every card) get which left and top
// and which width and height. Each pair applies only when its box is ticked; the fields of an unticked
// pair are greyed and not read.
class CAlignTextsDlg : public QDialog {
    Q_OBJECT
  public:
    static constexpr int kMaxX = 640;
    static constexpr int kMaxY = 480;

    explicit CAlignTextsDlg(const AlignTextsChoice& start, QWidget* parent = nullptr);

    // What OK confirmed.
    const AlignTextsChoice& Choice() const { return choice_; }

    QLineEdit& TextEdit() { return *text_; }
    QCheckBox& PositionBox() { return *position_; }
    DialogIntegerField& XField() { return *x_; }
    DialogIntegerField& YField() { return *y_; }
    QCheckBox& SizeBox() { return *size_; }
    DialogIntegerField& WidthField() { return *width_; }
    DialogIntegerField& HeightField() { return *height_; }
    QPushButton& OkButton() { return *ok_; }
    QPushButton& CancelButton() { return *cancel_; }

    void accept() override;

  private:
    void FollowBoxes();

    AlignTextsChoice choice_;
    QLineEdit* text_ = nullptr;
    QCheckBox* position_ = nullptr;
    DialogIntegerField* x_ = nullptr;
    DialogIntegerField* y_ = nullptr;
    QCheckBox* size_ = nullptr;
    DialogIntegerField* width_ = nullptr;
    DialogIntegerField* height_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

// "Align texts" with the font: every press of "&Font" that ends in a confirmed font dialog gives that font
// to the texts named by "&Text :" on every card at once; "&Close" only closes.
class CTextFormatDlg : public QDialog {
    Q_OBJECT
  public:
    using Apply = std::function<void(const std::string& identifier, const FontChoice& font)>;

    CTextFormatDlg(const std::string& identifier, const FontChoice& start, FontChooser chooseFont,
                   Apply apply, QWidget* parent = nullptr);

    // Whether a font was applied while the dialog was open.
    bool Applied() const { return applied_; }

    QLineEdit& TextEdit() { return *text_; }
    QPushButton& FontButton() { return *font_; }
    QPushButton& CloseButton() { return *close_; }

  private:
    void ChooseFont();

    std::string identifier_;
    FontChoice fontStart_;
    FontChooser chooseFont_;
    Apply apply_;
    bool applied_ = false;
    QLineEdit* text_ = nullptr;
    QPushButton* font_ = nullptr;
    QPushButton* close_ = nullptr;
};
