#pragma once

#include <QImage>

class CFichaDoc;

namespace ui {

// Composes the document's current card as the player shows it on entering it: the card's widgets and
// lists applied to the sprites, background and sprites composed back to front, the texts drawn on top.
// The image has the background's size (640 x 480 black without a background). Texts need the Qt screen
// contexts that the programs' start-up installs. Used by fcatool render and the editor's card overview.
QImage ComposeCard(CFichaDoc& doc);

}  // namespace ui
