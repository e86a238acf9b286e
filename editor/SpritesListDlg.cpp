#include "editor/SpritesListDlg.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "editor/DialogStrings.h"
#include "editor/SpriteSheets.h"
#include "engine/PhasedSprite.h"
#include "engine/SpriteList.h"
#include "model/Actions.h"

namespace {

constexpr int kColumnWidths[] = {220, 50, 50, 60};

QString YesNo(bool yes) {
    return yes ? QStringLiteral("Si") : QStringLiteral("No");
}

}  // namespace

SpritesListDlg::SpritesListDlg(CSpriteList& sprites, const CFichaDoc* document, QWidget* parent)
    : QDialog(parent), sprites_(sprites), document_(document) {
    setWindowTitle(tr("Sprites list"));
    list_ = new QTreeWidget(this);
    list_->setRootIsDecorated(false);
    list_->setItemsExpandable(false);
    list_->setAllColumnsShowFocus(true);
    list_->setHeaderLabels({"Texto", "ID", "Visible", "Habilitado"});
    list_->header()->setStretchLastSection(false);
    for (int i = 0; i < 4; ++i) list_->setColumnWidth(i, kColumnWidths[i]);
    connect(list_, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* item) { OpenProperties(item); });
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_);
    layout->addWidget(buttons);
    resize(440, 320);
    Fill();
}

void SpritesListDlg::Fill() {
    list_->clear();
    // The list runs from the front-most sprite to the back-most, as the sprite list itself does.
    for (CSprite* sprite : sprites_) {
        if (IsProxyNumber(sprite->GetNumber())) continue;
        auto* item =
            new QTreeWidgetItem(list_, {ShownText(sprite->GetText()), QString::number(sprite->GetNumber()),
                                        YesNo(sprite->IsVisible()), YesNo(!sprite->IsDisabled())});
        item->setData(0, Qt::UserRole, QVariant::fromValue(static_cast<void*>(sprite)));
    }
}

void SpritesListDlg::OpenProperties(QTreeWidgetItem* item) {
    auto* sprite = static_cast<CSprite*>(item->data(0, Qt::UserRole).value<void*>());
    auto* phased = dynamic_cast<CPhasedSprite*>(sprite);
    if (!phased || !sprites_.Contains(phased)) return;
    if (!RunSpriteSheet(SpriteSheet::Kind::properties, *phased, document_, this)) return;
    changed_ = true;
    // A new plane moves the sprite in the list, and its text, number and flags may have changed.
    Fill();
}
