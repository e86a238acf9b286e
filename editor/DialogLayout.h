#pragma once

#include <QString>

class QDialog;
class QDialogButtonBox;
class QGridLayout;
class QPushButton;
class QWidget;

// The pieces the element dialogs are laid out with.

// A label whose mnemonic takes the focus to `field`, put in `row` of a two-column grid beside it.
void AddLabelledRow(QGridLayout& grid, int row, const QString& label, QWidget* field);

// The dialog's fields in `grid` above its buttons.
void LayOutDialog(QDialog& dialog, QGridLayout* grid, QWidget* buttons);

// The OK and Cancel buttons of a dialog, wired to its accept() and reject().
QDialogButtonBox* OkCancelButtons(QDialog& dialog);
QPushButton* OkButtonOf(QDialogButtonBox& buttons);
QPushButton* CancelButtonOf(QDialogButtonBox& buttons);
