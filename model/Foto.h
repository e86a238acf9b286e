#pragma once

#include <cstdint>
#include <string>

#include "archive/Object.h"
#include "archive/OwnedArray.h"
#include "archive/RecycledBlocks.h"

class CArchive;

// An image file placed on a card at a position, optionally reduced by a percentage. The image itself is
// loaded when the card is shown and takes part in the scene through a proxy sprite.
class CFoto : public CObject {
    DECLARE_SERIAL(CFoto)
    DECLARE_RECYCLED(CFoto)
  public:
    CFoto() = default;
    // Copies the placement; the copy starts with leading word 0 and unselected.
    CFoto(const CFoto& other);
    CFoto& operator=(const CFoto&) = delete;

    void Serialize(CArchive& ar) override;

    uint32_t leadingWord = 0;  // stored back as loaded; new pictures and copies have 0
    std::string fileName;
    int32_t x = 0;
    int32_t y = 0;
    int32_t reduction = 0;  // percentage removed from width and height, 0 to 100

    bool selected = false;  // editor only, never stored
};

// The pictures of a card, owned; a picture's index fixes its proxy-sprite number.
class CArrayFotos : public COwnedArray<CFoto> {
    DECLARE_SERIAL(CArrayFotos)
};
