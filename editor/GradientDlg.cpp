#include "editor/GradientDlg.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "editor/DialogLayout.h"

namespace {

QGroupBox* Group(QWidget* parent, const QString& title, ColourSwatch* swatch) {
    auto* group = new QGroupBox(title, parent);
    auto* layout = new QVBoxLayout(group);
    layout->addWidget(swatch);
    return group;
}

}  // namespace

CGradientDlg::CGradientDlg(uint32_t initial, uint32_t final, ColourSwatch::Chooser chooseColour,
                           QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(QStringLiteral("Gradient"));
    initial_ = new ColourSwatch(QStringLiteral("Inicial"), initial, chooseColour, this);
    final_ = new ColourSwatch(QStringLiteral("Final"), final, chooseColour, this);
    QDialogButtonBox* buttons = OkCancelButtons(*this);
    ok_ = OkButtonOf(*buttons);
    cancel_ = CancelButtonOf(*buttons);

    auto* groups = new QHBoxLayout;
    groups->addWidget(Group(this, QStringLiteral("&Initial Color"), initial_));
    groups->addWidget(Group(this, QStringLiteral("&Final Color"), final_));
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(groups);
    layout->addWidget(buttons);
}
