#pragma once

#include <QDialog>

#include "editor/EditorDialogs.h"
#include "editor/FontChoiceDlg.h"

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class DialogIntegerField;

// "Text properties": one text's identifier, content, visibility, position and font. The font button edits
// copies, which reach the text only when this dialog is confirmed.
class CTextDlg : public QDialog {
    Q_OBJECT
  public:
    static constexpr int kMaxX = 640;
    static constexpr int kMaxY = 480;

    CTextDlg(const TextFields& fields, FontChooser chooseFont, QWidget* parent = nullptr);

    // What OK confirmed: the fields given, changed as the author changed them.
    const TextFields& Fields() const { return fields_; }

    QLineEdit& IdEdit() { return *id_; }
    QPlainTextEdit& TextEdit() { return *text_; }
    QCheckBox& VisibleBox() { return *visible_; }
    DialogIntegerField& XField() { return *x_; }
    DialogIntegerField& YField() { return *y_; }
    QPushButton& FontButton() { return *font_; }
    QPushButton& OkButton() { return *ok_; }
    QPushButton& CancelButton() { return *cancel_; }

    void accept() override;

  private:
    void ChooseFont();

    TextFields fields_;
    FontChooser chooseFont_;
    QLineEdit* id_ = nullptr;
    QPlainTextEdit* text_ = nullptr;
    QCheckBox* visible_ = nullptr;
    DialogIntegerField* x_ = nullptr;
    DialogIntegerField* y_ = nullptr;
    QPushButton* font_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
};
