#pragma once

#include <QDialog>
#include <optional>
#include <string>

class CFoto;
class DialogIntegerField;
class QGridLayout;
class QLineEdit;
class QPushButton;

// The rows that the picture and video dialogs share: the file box with its "&Browse" button and the
// position boxes. The button asks the platform's open dialog for an existing file and puts the chosen
// file's full path into the box, leaving the other boxes as the author left them; a cancelled choice
// changes nothing. The positions' arrows step freely: nothing limits where a picture or the video lies.
class PlacedFileFields {
  public:
    struct Values {
        std::string file;  // as the model stores it
        int x = 0;
        int y = 0;
    };

    PlacedFileFields(QDialog& dialog, const Values& start, const char* filter, const char* defaultExtension);

    // Puts the three rows at the top of `grid`; the next free row is 3.
    void AddTo(QGridLayout& grid);
    // What OK reads, or nothing when a position was refused.
    std::optional<Values> Read();

    QLineEdit& FileEdit() { return *file_; }
    QPushButton& BrowseButton() { return *browse_; }
    DialogIntegerField& XField() { return *x_; }
    DialogIntegerField& YField() { return *y_; }

  private:
    void Browse();

    std::string stored_;
    const char* filter_;
    const char* defaultExtension_;
    QLineEdit* file_ = nullptr;
    QPushButton* browse_ = nullptr;
    DialogIntegerField* x_ = nullptr;
    DialogIntegerField* y_ = nullptr;
};

// "Picture properties": the file, position and reduction of one picture, written back on OK.
class CPictureDlg : public QDialog {
    Q_OBJECT
  public:
    static constexpr int kMaxReduction = 100;

    explicit CPictureDlg(CFoto& picture, QWidget* parent = nullptr);

    QLineEdit& FileEdit() { return placed_.FileEdit(); }
    QPushButton& BrowseButton() { return placed_.BrowseButton(); }
    DialogIntegerField& XField() { return placed_.XField(); }
    DialogIntegerField& YField() { return placed_.YField(); }
    DialogIntegerField& ReduceField() { return *reduce_; }
    QPushButton& OkButton() { return *ok_; }
    QPushButton& CancelButton() { return *cancel_; }

    void accept() override;

  private:
    CFoto& picture_;
    PlacedFileFields placed_;
    DialogIntegerField* reduce_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
};
