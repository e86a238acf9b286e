#include "editor/QtEditorDialogs.h"

// The property sheets of a sprite and of the screen and card, and the sprites list that opens the sprite's
// sheet. Not built yet: until they are, each answers as if the user had cancelled, so the commands change
// nothing and leave no undo step.

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
