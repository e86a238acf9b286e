#pragma once

#include <QDialog>
#include <string>
#include <vector>

class QLineEdit;
class QListWidget;
class QPushButton;

// "Card's Id field": the name of the identifier whose texts caption the cards. The list offers the
// identifiers the cards' texts use; a double click on one copies it into "&Field:".
class CIdFieldDlg : public QDialog {
    Q_OBJECT
  public:
    CIdFieldDlg(const std::string& current, const std::vector<std::string>& identifiers,
                QWidget* parent = nullptr);

    // The field name confirmed, as the model stores it.
    std::string Field() const;

    QLineEdit& FieldEdit() { return *field_; }
    QListWidget& List() { return *list_; }
    QPushButton& OkButton() { return *ok_; }
    QPushButton& CancelButton() { return *cancel_; }

  private:
    std::string shown_;  // the stored bytes of what the box was last given
    std::vector<std::string> identifiers_;
    QLineEdit* field_ = nullptr;
    QListWidget* list_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
};
