#include <QDialog>

#include "editor/AlignTextsDlg.h"
#include "editor/CardsListDlg.h"
#include "editor/FontChoiceDlg.h"
#include "editor/GradientDlg.h"
#include "editor/IdFieldDlg.h"
#include "editor/PictureDlg.h"
#include "editor/QtEditorDialogs.h"
#include "editor/TextDlg.h"
#include "editor/VideoDlg.h"
#include "editor/WorkDirDlg.h"

// The element dialogs: text, align texts, text format, picture, video, gradient, cards list, card
// identifier field and work directory. Each dialog edits its own copies and hands them over here only when
// it was confirmed.

int QtEditorDialogs::Run(QDialog& dialog) {
    return dialog.exec();
}

std::optional<FontChoice> QtEditorDialogs::ChooseFont(const FontChoice& start) {
    return AskFont(parent_, start);
}

bool QtEditorDialogs::TextProperties(TextFields& fields) {
    CTextDlg dialog(
        fields, [this](const FontChoice& start) { return ChooseFont(start); }, parent_);
    if (Run(dialog) != QDialog::Accepted) return false;
    fields = dialog.Fields();
    return true;
}

std::optional<AlignTextsChoice> QtEditorDialogs::AlignTexts(const AlignTextsChoice& start) {
    CAlignTextsDlg dialog(start, parent_);
    if (Run(dialog) != QDialog::Accepted) return std::nullopt;
    return dialog.Choice();
}

bool QtEditorDialogs::TextFormat(const std::string& identifier, const FontChoice& start,
                                 const std::function<void(const std::string&, const FontChoice&)>& apply) {
    CTextFormatDlg dialog(
        identifier, start, [this](const FontChoice& font) { return ChooseFont(font); }, apply, parent_);
    Run(dialog);
    return dialog.Applied();
}

bool QtEditorDialogs::PictureProperties(CFoto& picture) {
    CPictureDlg dialog(picture, parent_);
    return Run(dialog) == QDialog::Accepted;
}

bool QtEditorDialogs::VideoProperties(CVideo& video) {
    CVideoDlg dialog(video, parent_);
    return Run(dialog) == QDialog::Accepted;
}

std::optional<int> QtEditorDialogs::CardsList(const CArrayFichas& cards, int current) {
    CCardsListDlg dialog(cards, current, parent_);
    Run(dialog);
    return dialog.Chosen();
}

std::optional<std::string> QtEditorDialogs::IdentificatorField(const std::string& current,
                                                               const std::vector<std::string>& identifiers) {
    CIdFieldDlg dialog(current, identifiers, parent_);
    if (Run(dialog) != QDialog::Accepted) return std::nullopt;
    return dialog.Field();
}

std::optional<std::string> QtEditorDialogs::WorkDirectory(const std::string& current) {
    CWorkDirDlg dialog(current, MountedWorkVolumes(), parent_);
    if (Run(dialog) != QDialog::Accepted) return std::nullopt;
    return dialog.Directory();
}

std::optional<std::pair<uint32_t, uint32_t>> QtEditorDialogs::ChooseGradient(uint32_t initial,
                                                                             uint32_t final) {
    CGradientDlg dialog(
        initial, final, [this](uint32_t current) { return ChooseColour(current); }, parent_);
    if (Run(dialog) != QDialog::Accepted) return std::nullopt;
    return std::make_pair(dialog.InitialSwatch().Colour(), dialog.FinalSwatch().Colour());
}
