#include "editor/QtEditorDialogs.h"
#include "editor/ScreenCardSheet.h"
#include "editor/SpriteSheets.h"
#include "editor/SpritesListDlg.h"

#include <QWidget>

// The property sheets of a sprite and of the screen and card, and the sprites list that opens the sprite's
// sheet, each shown modally.

namespace {

// The sheets belong to the frame's window rather than to the child window inside the workspace, whose
// Ctrl+Tab would turn to the next child window instead of to the sheet's next page.
QWidget* SheetOwner(QWidget* parent) {
    return parent ? parent->window() : nullptr;
}

}  // namespace

bool QtEditorDialogs::SpriteProperties(CPhasedSprite& sprite) {
    return RunSpriteSheet(SpriteSheet::Kind::properties, sprite, document_, SheetOwner(parent_));
}
bool QtEditorDialogs::SpriteConfiguration(CPhasedSprite& sprite) {
    return RunSpriteSheet(SpriteSheet::Kind::configuration, sprite, document_, SheetOwner(parent_));
}
bool QtEditorDialogs::SpriteEvents(CPhasedSprite& sprite) {
    return RunSpriteSheet(SpriteSheet::Kind::events, sprite, document_, SheetOwner(parent_));
}
bool QtEditorDialogs::SpritesList(CSpriteList& sprites) {
    SpritesListDlg list(sprites, document_, SheetOwner(parent_));
    list.exec();
    return list.Changed();
}
bool QtEditorDialogs::ScreenCardProperties(ScreenCardFields& fields) {
    ScreenCardSheet sheet(fields, document_, SheetOwner(parent_));
    return sheet.exec() == QDialog::Accepted;
}
