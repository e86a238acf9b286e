#include "editor/QtEditorDialogs.h"
#include "editor/ScreenCardSheet.h"
#include "editor/SpriteSheets.h"
#include "editor/SpritesListDlg.h"

// The property sheets of a sprite and of the screen and card, and the sprites list that opens the sprite's
// sheet, each shown modally.

bool QtEditorDialogs::SpriteProperties(CPhasedSprite& sprite) {
    return RunSpriteSheet(SpriteSheet::Kind::properties, sprite, document_, parent_);
}
bool QtEditorDialogs::SpriteConfiguration(CPhasedSprite& sprite) {
    return RunSpriteSheet(SpriteSheet::Kind::configuration, sprite, document_, parent_);
}
bool QtEditorDialogs::SpriteEvents(CPhasedSprite& sprite) {
    return RunSpriteSheet(SpriteSheet::Kind::events, sprite, document_, parent_);
}
bool QtEditorDialogs::SpritesList(CSpriteList& sprites) {
    SpritesListDlg list(sprites, document_, parent_);
    list.exec();
    return list.Changed();
}
bool QtEditorDialogs::ScreenCardProperties(ScreenCardFields& fields) {
    ScreenCardSheet sheet(fields, document_, parent_);
    return sheet.exec() == QDialog::Accepted;
}
