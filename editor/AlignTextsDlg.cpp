#include "editor/AlignTextsDlg.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "editor/DialogIntegerField.h"
#include "editor/DialogLayout.h"
#include "editor/DialogStrings.h"

CAlignTextsDlg::CAlignTextsDlg(const AlignTextsChoice& start, QWidget* parent)
    : QDialog(parent), choice_(start) {
    setWindowTitle(QStringLiteral("Align texts"));
    text_ = new QLineEdit(ShownText(start.identifier), this);
    position_ = new QCheckBox(QStringLiteral("Position"), this);
    position_->setChecked(start.position);
    x_ = MakeIntegerField(this, start.x, IntegerRange{0, kMaxX});
    y_ = MakeIntegerField(this, start.y, IntegerRange{0, kMaxY});
    size_ = new QCheckBox(QStringLiteral("Size"), this);
    size_->setChecked(start.size);
    width_ = MakeIntegerField(this, start.width, IntegerRange{0, kMaxX});
    height_ = MakeIntegerField(this, start.height, IntegerRange{0, kMaxY});
    connect(position_, &QCheckBox::toggled, this, &CAlignTextsDlg::FollowBoxes);
    connect(size_, &QCheckBox::toggled, this, &CAlignTextsDlg::FollowBoxes);
    FollowBoxes();
    QDialogButtonBox* buttons = OkCancelButtons(*this);
    ok_ = OkButtonOf(*buttons);
    cancel_ = CancelButtonOf(*buttons);

    auto* grid = new QGridLayout;
    AddLabelledRow(*grid, 0, QStringLiteral("&Text :"), text_);
    grid->addWidget(position_, 1, 0, 1, 2);
    AddLabelledRow(*grid, 2, QStringLiteral("Position &X :"), x_);
    AddLabelledRow(*grid, 3, QStringLiteral("Position &Y :"), y_);
    grid->addWidget(size_, 4, 0, 1, 2);
    AddLabelledRow(*grid, 5, QStringLiteral("&Width :"), width_);
    AddLabelledRow(*grid, 6, QStringLiteral("&Height :"), height_);
    LayOutDialog(*this, grid, buttons);
}

void CAlignTextsDlg::FollowBoxes() {
    x_->setEnabled(position_->isChecked());
    y_->setEnabled(position_->isChecked());
    width_->setEnabled(size_->isChecked());
    height_->setEnabled(size_->isChecked());
}

// The left and top must lie on the card; the width and height only have to be integers.
void CAlignTextsDlg::accept() {
    AlignTextsChoice choice = choice_;
    choice.position = position_->isChecked();
    choice.size = size_->isChecked();
    if (choice.position) {
        const std::optional<int> x = ReadDialogInteger(*x_, IntegerRange{0, kMaxX});
        if (!x) return;
        const std::optional<int> y = ReadDialogInteger(*y_, IntegerRange{0, kMaxY});
        if (!y) return;
        choice.x = *x;
        choice.y = *y;
    }
    if (choice.size) {
        const std::optional<int> width = ReadDialogInteger(*width_);
        if (!width) return;
        const std::optional<int> height = ReadDialogInteger(*height_);
        if (!height) return;
        choice.width = *width;
        choice.height = *height;
    }
    choice.identifier = EditedText(*text_, choice_.identifier);
    choice_ = choice;
    QDialog::accept();
}

CTextFormatDlg::CTextFormatDlg(const std::string& identifier, const FontChoice& start, FontChooser chooseFont,
                               Apply apply, QWidget* parent)
    : QDialog(parent),
      identifier_(identifier),
      fontStart_(start),
      chooseFont_(std::move(chooseFont)),
      apply_(std::move(apply)) {
    setWindowTitle(QStringLiteral("Align texts"));
    text_ = new QLineEdit(ShownText(identifier), this);
    font_ = new QPushButton(QStringLiteral("&Font"), this);
    font_->setAutoDefault(false);
    close_ = new QPushButton(QStringLiteral("&Close"), this);
    close_->setDefault(true);
    connect(font_, &QPushButton::clicked, this, &CTextFormatDlg::ChooseFont);
    connect(close_, &QPushButton::clicked, this, &QDialog::reject);

    auto* grid = new QGridLayout;
    AddLabelledRow(*grid, 0, QStringLiteral("&Text :"), text_);
    auto* row = new QHBoxLayout;
    row->addWidget(font_);
    row->addStretch();
    row->addWidget(close_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(row);
}

// The next font dialog opens on the font last applied, which the texts of that identifier now have.
void CTextFormatDlg::ChooseFont() {
    if (!chooseFont_) return;
    std::optional<FontChoice> chosen = chooseFont_(fontStart_);
    if (!chosen) return;
    fontStart_ = *chosen;
    if (apply_) apply_(EditedText(*text_, identifier_), *chosen);
    applied_ = true;
}
