#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "archive/Object.h"
#include "archive/OwnedArray.h"
#include "archive/RecycledBlocks.h"
#include "model/Foto.h"
#include "model/Texto.h"
#include "model/Video.h"

class CArchive;

// One page of a title: what lies over the shared background and sprites while the card is current.
class CFicha : public CObject {
    DECLARE_SERIAL(CFicha)
    DECLARE_RECYCLED(CFicha)
  public:
    // The layout version every card is stored with.
    static constexpr int32_t kCurrentVersion = 3;

    // Stores the current layout; loads layouts 0 to 3 and keeps the version read in `version`.
    void Serialize(CArchive& ar) override;

    void AddText(std::unique_ptr<CTexto> text) { texts.Add(std::move(text)); }
    void AddPicture(std::unique_ptr<CFoto> foto) { pictures.Add(std::move(foto)); }
    CTexto* TextAt(size_t i) const { return texts.GetAt(i); }
    CFoto* PictureAt(size_t i) const { return pictures.GetAt(i); }
    std::unique_ptr<CFoto> RemovePictureAt(size_t i) { return pictures.RemoveAt(i); }
    // The first visible text, in array order, whose rectangle holds the point.
    CTexto* TextAtPoint(int32_t x, int32_t y) const;
    // The player shows every text from its first line when the card is entered.
    void ResetTextScroll();

    // Whoever changes a stored member in place calls MarkChanged afterwards: the change mark tells undo
    // snapshots that the card must be stored again (see StoredForm).
    void MarkChanged() { changeMark_ = platform::NewChangeMark(); }
    uint64_t ChangeMark() const { return changeMark_; }
    // Undo snapshots: the card's form of its last storing, and the largest change mark of the card, its
    // video and its arrays of texts and pictures, which include their elements' marks.
    StoredForm* GetStoredForm() override { return &storedForm_; }
    uint64_t StoredChangeMark() const override;

    CVideo video;
    std::string activationList;    // sprite numbers, separated by commas, activated on entering
    std::string deactivationList;  // sprite numbers deactivated on entering
    CArrayTextos texts;
    CArrayFotos pictures;
    int32_t version = kCurrentVersion;

  private:
    void LoadOldLayout(CArchive& ar);

    uint64_t changeMark_ = 0;
    StoredForm storedForm_;
};

// The cards of a title in presentation order, and the identifier of the text that captions each card.
class CArrayFichas : public COwnedArray<CFicha> {
    DECLARE_SERIAL(CArrayFichas)
  public:
    // The caption field, then the cards as object pointers.
    void Serialize(CArchive& ar) override;

    // The string of card i's text named by the caption field (letter case ignored), else
    // "Ficha nº <i + 1>" (Windows-1252 bytes).
    std::string CaptionOfCard(size_t i) const;
    // Every distinct text identifier of the cards, compared byte for byte, in order of first appearance
    // (card order, then text order): the choices of the caption-field dialog.
    std::vector<std::string> DistinctIdentifiers() const;

    std::string captionField;
};
