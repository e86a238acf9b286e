#pragma once

#include <QImage>

#include "model/FichaDoc.h"

namespace fcatool {

// Composes the document's current card as the player shows it on entering it: the card's widgets and
// lists applied to the sprites, background and sprites composed back to front, the texts drawn on top.
// The image has the background's size (640 x 480 black without a background). Needs EnsureTextDrawing.
QImage ComposeCard(CFichaDoc& doc);

}  // namespace fcatool
