#include "model/Foto.h"

#include <algorithm>

#include "archive/Archive.h"

IMPLEMENT_SERIAL(CFoto, CObject, 1)
IMPLEMENT_SERIAL(CArrayFotos, CObject, 1)

CFoto::CFoto(const CFoto& other)
    : CObject(), fileName(other.fileName), x(other.x), y(other.y), reduction(other.reduction) {}

void CFoto::Serialize(CArchive& ar) {
    ar.Io(leadingWord);
    ar.Io(fileName);
    ar.Io(x);
    ar.Io(y);
    ar.Io(reduction);
}

void CArrayFotos::Serialize(CArchive& ar) {
    SerializeOwnedArray(ar, items_);
}

void CArrayFotos::InsertAt(size_t i, std::unique_ptr<CFoto> foto) {
    items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(std::min(i, items_.size())), std::move(foto));
}

std::unique_ptr<CFoto> CArrayFotos::RemoveAt(size_t i) {
    if (i >= items_.size()) return nullptr;
    std::unique_ptr<CFoto> foto = std::move(items_[i]);
    items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(i));
    return foto;
}
