#pragma once

#include <QDialog>

class CFichaDoc;
class CSpriteList;
class QTreeWidget;
class QTreeWidgetItem;

// "Sprites list": the title's sprites, front-most first, with their text, number, visibility and whether
// they react; the stand-ins of the card's pictures and video are left out. A double click opens the
// sprite's property sheet, and the row shows what was confirmed there.
class SpritesListDlg : public QDialog {
    Q_OBJECT
  public:
    SpritesListDlg(CSpriteList& sprites, const CFichaDoc* document, QWidget* parent = nullptr);

    // Whether a property sheet opened from the list was confirmed.
    bool Changed() const { return changed_; }
    QTreeWidget& List() { return *list_; }

  private:
    void Fill();
    void OpenProperties(QTreeWidgetItem* item);

    CSpriteList& sprites_;
    const CFichaDoc* document_;
    QTreeWidget* list_;
    bool changed_ = false;
};
