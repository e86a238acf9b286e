#include "editor/DialogLayout.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

void AddLabelledRow(QGridLayout& grid, int row, const QString& label, QWidget* field) {
    auto* caption = new QLabel(label, field->parentWidget());
    caption->setBuddy(field);
    grid.addWidget(caption, row, 0);
    grid.addWidget(field, row, 1);
}

void LayOutDialog(QDialog& dialog, QGridLayout* grid, QWidget* buttons) {
    auto* layout = new QVBoxLayout(&dialog);
    layout->addLayout(grid);
    layout->addWidget(buttons);
}

QDialogButtonBox* OkCancelButtons(QDialog& dialog) {
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    return buttons;
}

QPushButton* OkButtonOf(QDialogButtonBox& buttons) {
    return buttons.button(QDialogButtonBox::Ok);
}

QPushButton* CancelButtonOf(QDialogButtonBox& buttons) {
    return buttons.button(QDialogButtonBox::Cancel);
}
