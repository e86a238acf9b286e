#pragma once

#include <cstdint>
#include <string>

#include "archive/Object.h"
#include "archive/OwnedArray.h"
#include "archive/RecycledBlocks.h"
#include "platform/ChangeMark.h"

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

    // Whoever changes a stored member in place calls MarkChanged afterwards: the change mark tells undo
    // snapshots that the picture must be stored again (see StoredForm).
    void MarkChanged() {
        changeMark_ = platform::NewChangeMark();
        if (arrayMark_) *arrayMark_ = changeMark_;
    }
    uint64_t ChangeMark() const { return changeMark_; }
    // The array that holds the picture, which then knows of its changes without asking each element.
    void SetArrayMark(uint64_t* mark) { arrayMark_ = mark; }

    uint32_t leadingWord = 0;  // stored back as loaded; new pictures and copies have 0
    std::string fileName;
    int32_t x = 0;
    int32_t y = 0;
    int32_t reduction = 0;  // percentage removed from width and height, 0 to 100

    bool selected = false;  // editor only, never stored

  private:
    uint64_t changeMark_ = 0;
    uint64_t* arrayMark_ = nullptr;
};

// The pictures of a card, owned; a picture's index fixes its proxy-sprite number.
class CArrayFotos : public COwnedArray<CFoto> {
    DECLARE_SERIAL(CArrayFotos)
};
