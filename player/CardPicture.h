#pragma once

#include <QImage>
#include <optional>
#include <string>

class CFichaView;

// The picture F12 saves: the card at its own size, buffer and texts (and a clip's picture) exactly as
// the player draws them, without the keyboard's ring, the outlines or the inspector. Black 640 x 480
// while nothing is shown.
QImage CardPicture(CFichaView& view);

// The name of the `counter`th picture of card `card` (counted from 0, as --card and fcatool render
// count) of the title with stem `stem`: "demo-card1-3.png".
std::string CardPictureName(const std::string& stem, int card, int counter);

// Writes `image` as a PNG into `folder` under the first name of the series that no file has yet, never
// replacing a file; the path, or nothing when the folder takes no file.
std::optional<std::string> WriteCardPicture(const QImage& image, const std::string& folder,
                                            const std::string& stem, int card);
