#pragma once

#include <QDialog>
#include <string>

class CFoto;
class DialogIntegerField;
class QLineEdit;
class QPushButton;

// The file box and its "&Browse" button that the picture and video dialogs share: the button asks the
// platform's open dialog for an existing file and puts the chosen file's full path into the box; a
// cancelled choice leaves the box as it was.
class BrowsedFileRow {
  public:
    BrowsedFileRow(QDialog& dialog, const std::string& stored, const char* filter,
                   const char* defaultExtension);

    QLineEdit& Edit() { return *edit_; }
    QPushButton& Button() { return *button_; }
    // The file the box names, as the model stores it.
    std::string Stored() const;

  private:
    void Browse();

    std::string stored_;
    const char* filter_;
    const char* defaultExtension_;
    QLineEdit* edit_ = nullptr;
    QPushButton* button_ = nullptr;
};

// "Picture properties": the file, position and reduction of one picture, written back on OK.
class CPictureDlg : public QDialog {
    Q_OBJECT
  public:
    static constexpr int kMaxReduction = 100;

    explicit CPictureDlg(CFoto& picture, QWidget* parent = nullptr);

    QLineEdit& FileEdit() { return files_.Edit(); }
    QPushButton& BrowseButton() { return files_.Button(); }
    DialogIntegerField& XField() { return *x_; }
    DialogIntegerField& YField() { return *y_; }
    DialogIntegerField& ReduceField() { return *reduce_; }
    QPushButton& OkButton() { return *ok_; }
    QPushButton& CancelButton() { return *cancel_; }

    void accept() override;

  private:
    CFoto& picture_;
    BrowsedFileRow files_;
    DialogIntegerField* x_ = nullptr;
    DialogIntegerField* y_ = nullptr;
    DialogIntegerField* reduce_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
};
