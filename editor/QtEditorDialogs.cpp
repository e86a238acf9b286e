#include "editor/QtEditorDialogs.h"

#include <QColorDialog>

#include "engine/Sprite.h"
#include "imaging/Dib.h"
#include "platform/FileDialog.h"

namespace {

std::optional<std::string> AskOpen(const char* filter, const std::string& defaultExtension) {
    platform::FileDialogRequest request;
    request.filter = filter;
    request.defaultExtension = defaultExtension;
    request.fileMustExist = true;
    return platform::FileDialogs().Ask(request);
}

QColor QColorOf(uint32_t colorref) {
    return QColor(static_cast<int>(colorref & 0xFF), static_cast<int>((colorref >> 8) & 0xFF),
                  static_cast<int>((colorref >> 16) & 0xFF));
}

std::optional<uint32_t> AskColour(QWidget* parent, uint32_t initial, const QString& title) {
    // Qt's dialog always shows its custom colours beside the basic ones, the full panel the editor asks
    // for.
    const QColor chosen = QColorDialog::getColor(QColorOf(initial), parent, title);
    if (!chosen.isValid()) return std::nullopt;
    return ColorrefFromRgb(chosen.red(), chosen.green(), chosen.blue());
}

}  // namespace

uint32_t ColorrefFromRgb(int red, int green, int blue) {
    return static_cast<uint32_t>(red & 0xFF) | static_cast<uint32_t>(green & 0xFF) << 8 |
           static_cast<uint32_t>(blue & 0xFF) << 16;
}

std::optional<std::string> QtEditorDialogs::ChooseImageFile() {
    return AskOpen(CDIB::ImageFileFilter(CDIB::DialogWording::editor), "jpg");
}

std::optional<std::string> QtEditorDialogs::ChooseBitmapFile() {
    return AskOpen(CSprite::BitmapFileFilter(), "bmp");
}

std::optional<uint32_t> QtEditorDialogs::ChooseColour(uint32_t initial) {
    return AskColour(parent_, initial, QString());
}

// Until the gradient dialog comes, its two colour swatches are asked one after the other.
std::optional<std::pair<uint32_t, uint32_t>> QtEditorDialogs::ChooseGradient(uint32_t initial,
                                                                             uint32_t final) {
    std::optional<uint32_t> top = AskColour(parent_, initial, QStringLiteral("Initial Color"));
    if (!top) return std::nullopt;
    std::optional<uint32_t> bottom = AskColour(parent_, final, QStringLiteral("Final Color"));
    if (!bottom) return std::nullopt;
    return std::make_pair(*top, *bottom);
}

platform::MessageAnswer QtEditorDialogs::Message(const std::string& text, platform::MessageIcon icon,
                                                 platform::MessageButtons buttons) {
    return platform::Messages().Show(text, "", icon, buttons);
}

// ---------------------------------------------------------------- not built yet
//
// The property sheets of the sprites and of the screen and card, and the element dialogs (text, align
// texts, text format, picture, video, sprites list, cards list, card identifier field, work directory),
// are the next piece of work. Until they exist every one of them answers as if the user had cancelled:
// the commands then change nothing and leave no undo step.

bool QtEditorDialogs::TextProperties(TextFields&) {
    return false;
}
std::optional<AlignTextsChoice> QtEditorDialogs::AlignTexts(const AlignTextsChoice&) {
    return std::nullopt;
}
bool QtEditorDialogs::TextFormat(const std::string&, const FontChoice&,
                                 const std::function<void(const std::string&, const FontChoice&)>&) {
    return false;
}
bool QtEditorDialogs::PictureProperties(CFoto&) {
    return false;
}
bool QtEditorDialogs::VideoProperties(CVideo&) {
    return false;
}
bool QtEditorDialogs::SpriteProperties(CPhasedSprite&) {
    return false;
}
bool QtEditorDialogs::SpriteConfiguration(CPhasedSprite&) {
    return false;
}
bool QtEditorDialogs::SpriteEvents(CPhasedSprite&) {
    return false;
}
bool QtEditorDialogs::SpritesList(CSpriteList&) {
    return false;
}
bool QtEditorDialogs::ScreenCardProperties(ScreenCardFields&) {
    return false;
}
std::optional<int> QtEditorDialogs::CardsList(const CArrayFichas&, int) {
    return std::nullopt;
}
std::optional<std::string> QtEditorDialogs::IdentificatorField(const std::string&,
                                                               const std::vector<std::string>&) {
    return std::nullopt;
}
std::optional<std::string> QtEditorDialogs::WorkDirectory(const std::string&) {
    return std::nullopt;
}
