#include "editor/VideoDlg.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "editor/DialogIntegerField.h"
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
    : QDialog(parent), video_(video), files_(*this, video.file, kFilter, "") {
    setWindowTitle(QStringLiteral("Video properties"));
    x_ = new DialogIntegerField(this);
    x_->SetValue(video.x);
    y_ = new DialogIntegerField(this);
    y_->SetValue(video.y);
    loop_ = Box(this, "&Loop", video.loop);
    automaticInit_ = Box(this, "Automatic &Init", video.automaticInit);
    closeWhenFinishes_ = Box(this, "&Close when finishes", video.closeWhenFinishes);
    activate_ = new QLineEdit(ShownText(video.activateOnClose), this);
    QDialogButtonBox* buttons = OkCancelButtons(*this);
    ok_ = OkButtonOf(*buttons);
    cancel_ = CancelButtonOf(*buttons);

    auto* grid = new QGridLayout;
    AddLabelledRow(*grid, 0, QStringLiteral("&File :"), &files_.Edit());
    grid->addWidget(&files_.Button(), 0, 2);
    AddLabelledRow(*grid, 1, QStringLiteral("Position &X :"), x_);
    AddLabelledRow(*grid, 2, QStringLiteral("Position &Y :"), y_);
    grid->addWidget(loop_, 3, 1);
    grid->addWidget(automaticInit_, 4, 1);
    grid->addWidget(closeWhenFinishes_, 5, 1);
    AddLabelledRow(*grid, 6, QStringLiteral("When close activate sprites :"), activate_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(buttons);
}

void CVideoDlg::accept() {
    const std::optional<int> x = ReadDialogInteger(*x_);
    if (!x) return;
    const std::optional<int> y = ReadDialogInteger(*y_);
    if (!y) return;
    video_.file = files_.Stored();
    video_.x = *x;
    video_.y = *y;
    video_.loop = loop_->isChecked();
    video_.automaticInit = automaticInit_->isChecked();
    video_.closeWhenFinishes = closeWhenFinishes_->isChecked();
    video_.activateOnClose = EditedText(*activate_, video_.activateOnClose);
    QDialog::accept();
}
