#include "editor/VideoDlg.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLineEdit>
#include <QPushButton>

#include "editor/DialogLayout.h"
#include "editor/DialogStrings.h"
#include "model/Video.h"

namespace {

QCheckBox* Box(QWidget* parent, const char* caption, bool checked) {
    auto* box = new QCheckBox(QString::fromUtf8(caption), parent);
    box->setChecked(checked);
    return box;
}

}  // namespace

CVideoDlg::CVideoDlg(CVideo& video, QWidget* parent)
    : QDialog(parent), video_(video), placed_(*this, {video.file, video.x, video.y}, kFilter, "") {
    setWindowTitle(QStringLiteral("Video properties"));
    loop_ = Box(this, "&Loop", video.loop);
    automaticInit_ = Box(this, "Automatic &Init", video.automaticInit);
    closeWhenFinishes_ = Box(this, "&Close when finishes", video.closeWhenFinishes);
    activate_ = new QLineEdit(ShownText(video.activateOnClose), this);
    QDialogButtonBox* buttons = OkCancelButtons(*this);
    ok_ = OkButtonOf(*buttons);
    cancel_ = CancelButtonOf(*buttons);

    auto* grid = new QGridLayout;
    placed_.AddTo(*grid);
    grid->addWidget(loop_, 3, 1);
    grid->addWidget(automaticInit_, 4, 1);
    grid->addWidget(closeWhenFinishes_, 5, 1);
    AddLabelledRow(*grid, 6, QStringLiteral("When close activate sprites :"), activate_);
    LayOutDialog(*this, grid, buttons);
}

void CVideoDlg::accept() {
    const std::optional<PlacedFileFields::Values> placed = placed_.Read();
    if (!placed) return;
    video_.file = placed->file;
    video_.x = placed->x;
    video_.y = placed->y;
    video_.loop = loop_->isChecked();
    video_.automaticInit = automaticInit_->isChecked();
    video_.closeWhenFinishes = closeWhenFinishes_->isChecked();
    video_.activateOnClose = EditedText(*activate_, video_.activateOnClose);
    video_.MarkChanged();
    QDialog::accept();
}
