#include "editor/IdFieldDlg.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLineEdit>
#include <QListWidget>

#include "editor/DialogLayout.h"
#include "editor/DialogStrings.h"

CIdFieldDlg::CIdFieldDlg(const std::string& current, const std::vector<std::string>& identifiers,
                         QWidget* parent)
    : QDialog(parent), shown_(current), identifiers_(identifiers) {
    setWindowTitle(QStringLiteral("Card's Id field"));
    field_ = new QLineEdit(ShownText(current), this);
    list_ = new QListWidget(this);
    for (const std::string& identifier : identifiers) list_->addItem(ShownText(identifier));
    connect(list_, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        const int row = list_->row(item);
        if (row < 0 || static_cast<size_t>(row) >= identifiers_.size()) return;
        // The box now shows the identifier's own bytes, unedited.
        shown_ = identifiers_[static_cast<size_t>(row)];
        field_->setText(ShownText(shown_));
    });
    QDialogButtonBox* buttons = OkCancelButtons(*this);
    ok_ = OkButtonOf(*buttons);
    cancel_ = CancelButtonOf(*buttons);

    auto* grid = new QGridLayout;
    AddLabelledRow(*grid, 0, QStringLiteral("&Field:"), field_);
    grid->addWidget(list_, 1, 1);
    LayOutDialog(*this, grid, buttons);
}

std::string CIdFieldDlg::Field() const {
    return EditedText(*field_, shown_);
}
