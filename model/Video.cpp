#include "model/Video.h"

#include "archive/Archive.h"

IMPLEMENT_SERIAL(CVideo, CObject, 1)

void CVideo::Serialize(CArchive& ar) {
    ar.Io(leadingWord);
    ar.Io(file);
    ar.Io(x);
    ar.Io(y);
    ar.IoBool(loop);
    ar.IoBool(automaticInit);
    ar.IoBool(closeWhenFinishes);
    ar.Io(activateOnClose);
}

void CVideo::Clear() {
    file.clear();
    activateOnClose.clear();
    x = y = 0;
    loop = automaticInit = closeWhenFinishes = false;
    MarkChanged();
}
