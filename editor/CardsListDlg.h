#pragma once

#include <QDialog>
#include <optional>

class CArrayFichas;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;

// "Cards list": one line per card, its caption (the text named by the document's identifier field) or
// "Ficha nº N". A double click on a line closes the list choosing that card; "&Close" chooses none.
class CCardsListDlg : public QDialog {
    Q_OBJECT
  public:
    CCardsListDlg(const CArrayFichas& cards, int current, QWidget* parent = nullptr);

    std::optional<int> Chosen() const { return chosen_; }

    QLabel& CountLabel() { return *count_; }
    QListWidget& List() { return *list_; }
    QPushButton& CloseButton() { return *close_; }

  private:
    void Choose(QListWidgetItem* item);

    std::optional<int> chosen_;
    QLabel* count_ = nullptr;
    QListWidget* list_ = nullptr;
    QPushButton* close_ = nullptr;
};
