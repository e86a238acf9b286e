#include "model/Foto.h"

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
