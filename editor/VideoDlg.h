#pragma once

#include <QDialog>

#include "editor/PictureDlg.h"

class CVideo;
class DialogIntegerField;
class QCheckBox;
class QLineEdit;
class QPushButton;

// "Video properties": the card's video file, position, the three ways it plays and the sprites shown when
// it closes, written back on OK.
class CVideoDlg : public QDialog {
    Q_OBJECT
  public:
    static constexpr const char* kFilter = "AVI files (*.AVI)|*.AVI|All files (*.*)|*.*||";

    explicit CVideoDlg(CVideo& video, QWidget* parent = nullptr);

    QLineEdit& FileEdit() { return files_.Edit(); }
    QPushButton& BrowseButton() { return files_.Button(); }
    DialogIntegerField& XField() { return *x_; }
    DialogIntegerField& YField() { return *y_; }
    QCheckBox& LoopBox() { return *loop_; }
    QCheckBox& AutomaticInitBox() { return *automaticInit_; }
    QCheckBox& CloseWhenFinishesBox() { return *closeWhenFinishes_; }
    QLineEdit& ActivateEdit() { return *activate_; }
    QPushButton& OkButton() { return *ok_; }
    QPushButton& CancelButton() { return *cancel_; }

    void accept() override;

  private:
    CVideo& video_;
    BrowsedFileRow files_;
    DialogIntegerField* x_ = nullptr;
    DialogIntegerField* y_ = nullptr;
    QCheckBox* loop_ = nullptr;
    QCheckBox* automaticInit_ = nullptr;
    QCheckBox* closeWhenFinishes_ = nullptr;
    QLineEdit* activate_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
};
