#include "editor/TextDlg.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "editor/DialogIntegerField.h"
#include "editor/DialogLayout.h"
#include "editor/DialogStrings.h"

CTextDlg::CTextDlg(const TextFields& fields, FontChooser chooseFont, QWidget* parent)
    : QDialog(parent), fields_(fields), chooseFont_(std::move(chooseFont)) {
    setWindowTitle(QStringLiteral("Text properties"));
    id_ = new QLineEdit(ShownText(fields.identifier), this);
    // Enter makes a new paragraph here instead of confirming the dialog.
    text_ = new QPlainTextEdit(ShownParagraphs(fields.text), this);
    text_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    text_->setTabChangesFocus(true);
    visible_ = new QCheckBox(QStringLiteral("&Visible"), this);
    visible_->setChecked(fields.visible);
    x_ = MakeIntegerField(this, fields.x, IntegerRange{0, kMaxX});
    y_ = MakeIntegerField(this, fields.y, IntegerRange{0, kMaxY});
    font_ = new QPushButton(QStringLiteral("Font"), this);
    font_->setAutoDefault(false);
    connect(font_, &QPushButton::clicked, this, &CTextDlg::ChooseFont);
    QDialogButtonBox* buttons = OkCancelButtons(*this);
    ok_ = OkButtonOf(*buttons);
    cancel_ = CancelButtonOf(*buttons);

    auto* grid = new QGridLayout;
    AddLabelledRow(*grid, 0, QStringLiteral("Id :"), id_);
    AddLabelledRow(*grid, 1, QStringLiteral("Text :"), text_);
    grid->addWidget(visible_, 2, 1);
    AddLabelledRow(*grid, 3, QStringLiteral("Position &X :"), x_);
    AddLabelledRow(*grid, 4, QStringLiteral("Position &Y :"), y_);
    grid->addWidget(font_, 5, 1, Qt::AlignLeft);
    LayOutDialog(*this, grid, buttons);
}

void CTextDlg::ChooseFont() {
    if (!chooseFont_) return;
    const FontChoice start{fields_.fontFace, fields_.height,    fields_.bold,
                           fields_.italic,   fields_.underline, fields_.colour};
    std::optional<FontChoice> chosen = chooseFont_(start);
    if (!chosen) return;
    fields_.fontFace = chosen->face;
    fields_.height = chosen->height;
    fields_.bold = chosen->bold;
    fields_.italic = chosen->italic;
    fields_.underline = chosen->underline;
    fields_.colour = chosen->colour;
}

// The positions are read first, in the order of the controls, so that a refused one keeps the dialog open
// with everything the author typed still in it.
void CTextDlg::accept() {
    const std::optional<int> x = ReadDialogInteger(*x_, IntegerRange{0, kMaxX});
    if (!x) return;
    const std::optional<int> y = ReadDialogInteger(*y_, IntegerRange{0, kMaxY});
    if (!y) return;
    fields_.identifier = EditedText(*id_, fields_.identifier);
    fields_.text = EditedParagraphs(*text_, fields_.text);
    fields_.visible = visible_->isChecked();
    fields_.x = *x;
    fields_.y = *y;
    QDialog::accept();
}
