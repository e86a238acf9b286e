#include "editor/PictureDlg.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLineEdit>
#include <QPushButton>

#include "editor/DialogIntegerField.h"
#include "editor/DialogLayout.h"
#include "editor/DialogStrings.h"
#include "imaging/Dib.h"
#include "model/Foto.h"
#include "platform/FileDialog.h"

PlacedFileFields::PlacedFileFields(QDialog& dialog, const Values& start, const char* filter,
                                   const char* defaultExtension)
    : stored_(start.file), filter_(filter), defaultExtension_(defaultExtension) {
    file_ = new QLineEdit(ShownText(start.file), &dialog);
    browse_ = new QPushButton(QStringLiteral("&Browse"), &dialog);
    browse_->setAutoDefault(false);
    QObject::connect(browse_, &QPushButton::clicked, &dialog, [this] { Browse(); });
    x_ = MakeIntegerField(&dialog, start.x);
    y_ = MakeIntegerField(&dialog, start.y);
}

void PlacedFileFields::AddTo(QGridLayout& grid) {
    AddLabelledRow(grid, 0, QStringLiteral("&File :"), file_);
    grid.addWidget(browse_, 0, 2);
    AddLabelledRow(grid, 1, QStringLiteral("Position &X :"), x_);
    AddLabelledRow(grid, 2, QStringLiteral("Position &Y :"), y_);
}

// The platform's open dialog has no read-only box to hide.
void PlacedFileFields::Browse() {
    platform::FileDialogRequest request;
    request.filter = filter_;
    request.defaultExtension = defaultExtension_;
    request.fileMustExist = true;
    std::optional<std::string> chosen = platform::FileDialogs().Ask(request);
    if (!chosen) return;
    file_->setText(QString::fromStdString(*chosen));
    file_->setModified(true);
}

std::optional<PlacedFileFields::Values> PlacedFileFields::Read() {
    const std::optional<int> x = ReadDialogInteger(*x_);
    if (!x) return std::nullopt;
    const std::optional<int> y = ReadDialogInteger(*y_);
    if (!y) return std::nullopt;
    return Values{EditedText(*file_, stored_), *x, *y};
}

CPictureDlg::CPictureDlg(CFoto& picture, QWidget* parent)
    : QDialog(parent),
      picture_(picture),
      placed_(*this, {picture.fileName, picture.x, picture.y},
              CDIB::ImageFileFilter(CDIB::DialogWording::editor), "jpg") {
    setWindowTitle(QStringLiteral("Picture properties"));
    reduce_ = MakeIntegerField(this, picture.reduction, IntegerRange{0, kMaxReduction});
    QDialogButtonBox* buttons = OkCancelButtons(*this);
    ok_ = OkButtonOf(*buttons);
    cancel_ = CancelButtonOf(*buttons);

    auto* grid = new QGridLayout;
    placed_.AddTo(*grid);
    AddLabelledRow(*grid, 3, QStringLiteral("&Reduce % :"), reduce_);
    LayOutDialog(*this, grid, buttons);
}

void CPictureDlg::accept() {
    const std::optional<PlacedFileFields::Values> placed = placed_.Read();
    if (!placed) return;
    const std::optional<int> reduction = ReadDialogInteger(*reduce_, IntegerRange{0, kMaxReduction});
    if (!reduction) return;
    picture_.fileName = placed->file;
    picture_.x = placed->x;
    picture_.y = placed->y;
    picture_.reduction = *reduction;
    picture_.MarkChanged();
    QDialog::accept();
}
