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

    QLineEdit& FileEdit() { return placed_.FileEdit(); }
    QPushButton& BrowseButton() { return placed_.BrowseButton(); }
    DialogIntegerField& XField() { return placed_.XField(); }
    DialogIntegerField& YField() { return placed_.YField(); }
    QCheckBox& LoopBox() { return *loop_; }
    QCheckBox& AutomaticInitBox() { return *automaticInit_; }
    QCheckBox& CloseWhenFinishesBox() { return *closeWhenFinishes_; }
    QLineEdit& ActivateEdit() { return *activate_; }
    QPushButton& OkButton() { return *ok_; }
    QPushButton& CancelButton() { return *cancel_; }

    void accept() override;

  private:
    CVideo& video_;
    PlacedFileFields placed_;
    QCheckBox* loop_ = nullptr;
    QCheckBox* automaticInit_ = nullptr;
    QCheckBox* closeWhenFinishes_ = nullptr;
    QLineEdit* activate_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
};
