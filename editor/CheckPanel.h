#pragma once

#include <QDockWidget>
#include <optional>
#include <vector>

#include "model/TitleCheck.h"

class CFichaDoc;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;

// The check panel: what fcatool check finds in the active title, one line each, in a dockable list.
// Above them, after a card was moved, the actions whose card numbers now mean another card. A double
// click on a line that says where it lies asks for that place (its card, its sprite).
class CCheckPanel : public QDockWidget {
    Q_OBJECT
  public:
    explicit CCheckPanel(QWidget* parent = nullptr);

    // Checks `doc` as it stands now (null: nothing to check). The notes of a move stay until the next
    // move, until SetMoveNotes clears them, or until another document is shown.
    void Check(CFichaDoc* doc);
    // The findings of the last move, shown above the check's own.
    void SetMoveNotes(std::vector<TitleFinding> notes);

    const std::vector<TitleFinding>& Findings() const { return findings_; }
    const std::vector<TitleFinding>& MoveNotes() const { return notes_; }
    CFichaDoc* Document() const { return doc_; }
    QListWidget& List() const { return *list_; }
    QPushButton& CheckButton() const { return *button_; }
    // The finding a row of the list shows; none for headings.
    std::optional<TitleFinding> FindingAt(int row) const;

  signals:
    // The button was pressed: the owner checks the active document again.
    void checkRequested();
    // A finding was double-clicked: go to `card` (when it is 0 or more) and select `sprite` (when given).
    void findingChosen(TitleFinding finding);

  private:
    void Fill();
    void AddHeading(const QString& text);
    void AddFinding(const TitleFinding& finding);
    void Activated(QListWidgetItem* item);

    QListWidget* list_ = nullptr;
    QPushButton* button_ = nullptr;
    QLabel* summary_ = nullptr;
    CFichaDoc* doc_ = nullptr;
    std::vector<TitleFinding> findings_;
    std::vector<TitleFinding> notes_;
    std::vector<std::optional<TitleFinding>> rows_;
};
