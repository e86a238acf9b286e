#include "model/Parms.h"

#include "archive/Archive.h"

IMPLEMENT_SERIAL(CParms, CObject, 1)

void CParms::Serialize(CArchive& ar) {
    ar.Io(text1);
    ar.Io(playingMusic);
    ar.Io(startCard);
    ar.Io(shortValue);
}
