#include "editor/CardsListDlg.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "editor/DialogStrings.h"
#include "model/Ficha.h"

CCardsListDlg::CCardsListDlg(const CArrayFichas& cards, int current, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Cards list"));
    count_ = new QLabel(QString::number(cards.GetSize()), this);
    list_ = new QListWidget(this);
    for (size_t i = 0; i < cards.GetSize(); ++i) list_->addItem(ShownText(cards.CaptionOfCard(i)));
    // The card being edited is the one shown chosen, so that the list opens where the author is.
    if (current >= 0 && current < list_->count()) list_->setCurrentRow(current);
    close_ = new QPushButton(QStringLiteral("&Close"), this);
    close_->setDefault(true);
    connect(close_, &QPushButton::clicked, this, &QDialog::reject);
    connect(list_, &QListWidget::itemDoubleClicked, this, &CCardsListDlg::Choose);

    auto* countRow = new QHBoxLayout;
    countRow->addWidget(new QLabel(QStringLiteral("Cards number :"), this));
    countRow->addWidget(count_);
    countRow->addStretch();
    auto* closeRow = new QHBoxLayout;
    closeRow->addStretch();
    closeRow->addWidget(close_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(countRow);
    layout->addWidget(list_);
    layout->addLayout(closeRow);
}

void CCardsListDlg::Choose(QListWidgetItem* item) {
    if (!item) return;
    chosen_ = list_->row(item);
    accept();
}
