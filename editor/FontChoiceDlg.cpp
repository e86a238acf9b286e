#include "editor/FontChoiceDlg.h"

#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QFontInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <cmath>
#include <cstdlib>

#include "editor/ColourSwatch.h"
#include "editor/DialogLayout.h"
#include "editor/DialogStrings.h"
#include "editor/QtEditorDialogs.h"

namespace {

constexpr double kPixelsPerInch = 96.0;
constexpr double kPointsPerInch = 72.0;

double PointsOfHeight(int32_t height) {
    return std::abs(static_cast<double>(height)) * kPointsPerInch / kPixelsPerInch;
}

std::optional<uint32_t> AskColour(QWidget* parent, uint32_t current) {
    const QColor chosen = QColorDialog::getColor(QColorOfColorref(current), parent);
    if (!chosen.isValid()) return std::nullopt;
    return ColorrefFromRgb(chosen.red(), chosen.green(), chosen.blue());
}

}  // namespace

QFont QFontOfChoice(const FontChoice& choice) {
    QFont font(ShownText(choice.face));
    const double points = PointsOfHeight(choice.height);
    if (points > 0) font.setPointSizeF(points);
    font.setWeight(choice.bold ? QFont::Bold : QFont::Normal);
    font.setItalic(choice.italic);
    font.setUnderline(choice.underline);
    return font;
}

FontChoice ChoiceOfQFont(const QFont& font, const QFont& shown, uint32_t colour, const FontChoice& start) {
    FontChoice choice;
    choice.face = font.family() == shown.family() ? start.face : StoredText(font.family());
    const double points = font.pointSizeF();
    const bool sameSize = points <= 0 || std::abs(points - shown.pointSizeF()) < 0.01;
    choice.height = sameSize ? start.height
                             : -static_cast<int32_t>(std::lround(points * kPixelsPerInch / kPointsPerInch));
    choice.bold = font.weight() == shown.weight() ? start.bold : font.weight() == QFont::Bold;
    choice.italic = font.italic() == shown.italic() ? start.italic : font.italic();
    choice.underline = font.underline() == shown.underline() ? start.underline : font.underline();
    choice.colour = colour & 0xFFFFFF;
    return choice;
}

CFontChoiceDlg::CFontChoiceDlg(const FontChoice& start, QWidget* parent) : QDialog(parent), start_(start) {
    setWindowTitle(QStringLiteral("Font"));
    // The dialog lists the families this system has: a face it lacks is shown as the family that stands
    // in for it, whose styles the dialog can then offer.
    QFont initial = QFontOfChoice(start);
    initial.setFamily(QFontInfo(initial).family());
    fonts_ = new QFontDialog(initial, this);
    // Qt's dialog serves as the page's font part: its own buttons give way to this dialog's.
    fonts_->setOptions(QFontDialog::NoButtons | QFontDialog::DontUseNativeDialog);
    fonts_->setWindowFlags(Qt::Widget);
    shown_ = fonts_->currentFont();
    colour_ = new ColourSwatch(
        QStringLiteral("Color"), start.colour, [this](uint32_t current) { return AskColour(this, current); },
        this);
    auto* colourLabel = new QLabel(QStringLiteral("&Color:"), this);
    colourLabel->setBuddy(colour_);
    QDialogButtonBox* buttons = OkCancelButtons(*this);

    auto* colourRow = new QHBoxLayout;
    colourRow->addWidget(colourLabel);
    colourRow->addWidget(colour_);
    colourRow->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(fonts_);
    layout->addLayout(colourRow);
    layout->addWidget(buttons);
}

FontChoice CFontChoiceDlg::Choice() const {
    return ChoiceOfQFont(fonts_->currentFont(), shown_, colour_->Colour(), start_);
}

std::optional<FontChoice> AskFont(QWidget* parent, const FontChoice& start) {
    CFontChoiceDlg dialog(start, parent);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.Choice();
}
