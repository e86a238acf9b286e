#include "editor/QtEditorDialogs.h"

#include <QColorDialog>

#include "editor/ColourSwatch.h"
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

std::optional<uint32_t> AskColour(QWidget* parent, uint32_t initial, const QString& title) {
    // Qt's dialog always shows its custom colours beside the basic ones, the full panel the editor asks
    // for.
    const QColor chosen = QColorDialog::getColor(QColorOfColorref(initial), parent, title);
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

platform::MessageAnswer QtEditorDialogs::Message(const std::string& text, platform::MessageIcon icon,
                                                 platform::MessageButtons buttons) {
    return platform::Messages().Show(text, "", icon, buttons);
}
