#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "archive/Object.h"

class CArchive;

// An image file placed on a card at a position, optionally reduced by a percentage. The image itself is
// loaded when the card is shown and takes part in the scene through a proxy sprite.
class CFoto : public CObject {
    DECLARE_SERIAL(CFoto)
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
class CArrayFotos : public CObject {
    DECLARE_SERIAL(CArrayFotos)
  public:
    void Serialize(CArchive& ar) override;

    size_t GetSize() const { return items_.size(); }
    // The picture at i, or none when i is outside the array.
    CFoto* GetAt(size_t i) const { return i < items_.size() ? items_[i].get() : nullptr; }
    void Add(std::unique_ptr<CFoto> foto) { items_.push_back(std::move(foto)); }
    void InsertAt(size_t i, std::unique_ptr<CFoto> foto);
    // Takes the picture at i out; the caller owns it. None when i is outside the array.
    std::unique_ptr<CFoto> RemoveAt(size_t i);
    void DeleteAll() { items_.clear(); }

    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }

  private:
    std::vector<std::unique_ptr<CFoto>> items_;
};
