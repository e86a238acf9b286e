#include "editor/PictureDlg.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "editor/DialogIntegerField.h"
#include "editor/DialogLayout.h"
#include "editor/DialogStrings.h"
#include "imaging/Dib.h"
#include "model/Foto.h"
#include "platform/FileDialog.h"

BrowsedFileRow::BrowsedFileRow(QDialog& dialog, const std::string& stored, const char* filter,
                               const char* defaultExtension)
    : stored_(stored), filter_(filter), defaultExtension_(defaultExtension) {
    edit_ = new QLineEdit(ShownText(stored), &dialog);
    button_ = new QPushButton(QStringLiteral("&Browse"), &dialog);
    button_->setAutoDefault(false);
    QObject::connect(button_, &QPushButton::clicked, &dialog, [this] { Browse(); });
}

// The platform's open dialog has no read-only box to hide.
void BrowsedFileRow::Browse() {
    platform::FileDialogRequest request;
    request.filter = filter_;
    request.defaultExtension = defaultExtension_;
    request.fileMustExist = true;
    std::optional<std::string> chosen = platform::FileDialogs().Ask(request);
    if (!chosen) return;
    edit_->setText(QString::fromStdString(*chosen));
    edit_->setModified(true);
}

std::string BrowsedFileRow::Stored() const {
    return EditedText(*edit_, stored_);
}

CPictureDlg::CPictureDlg(CFoto& picture, QWidget* parent)
    : QDialog(parent),
      picture_(picture),
      files_(*this, picture.fileName, CDIB::ImageFileFilter(CDIB::DialogWording::editor), "jpg") {
    setWindowTitle(QStringLiteral("Picture properties"));
    // The position's arrows step freely: nothing limits where a picture may lie.
    x_ = new DialogIntegerField(this);
    x_->SetValue(picture.x);
    y_ = new DialogIntegerField(this);
    y_->SetValue(picture.y);
    reduce_ = new DialogIntegerField(this);
    reduce_->SetSpinRange(0, kMaxReduction);
    reduce_->SetValue(picture.reduction);
    QDialogButtonBox* buttons = OkCancelButtons(*this);
    ok_ = OkButtonOf(*buttons);
    cancel_ = CancelButtonOf(*buttons);

    auto* grid = new QGridLayout;
    AddLabelledRow(*grid, 0, QStringLiteral("&File :"), &files_.Edit());
    grid->addWidget(&files_.Button(), 0, 2);
    AddLabelledRow(*grid, 1, QStringLiteral("Position &X :"), x_);
    AddLabelledRow(*grid, 2, QStringLiteral("Position &Y :"), y_);
    AddLabelledRow(*grid, 3, QStringLiteral("&Reduce % :"), reduce_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(buttons);
}

void CPictureDlg::accept() {
    const std::optional<int> x = ReadDialogInteger(*x_);
    if (!x) return;
    const std::optional<int> y = ReadDialogInteger(*y_);
    if (!y) return;
    const std::optional<int> reduction = ReadDialogInteger(*reduce_, IntegerRange{0, kMaxReduction});
    if (!reduction) return;
    picture_.fileName = files_.Stored();
    picture_.x = *x;
    picture_.y = *y;
    picture_.reduction = *reduction;
    QDialog::accept();
}
