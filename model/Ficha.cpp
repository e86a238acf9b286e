#include "model/Ficha.h"

#include <algorithm>
#include <cstdio>
#include <set>

#include "archive/Archive.h"

IMPLEMENT_SERIAL(CFicha, CObject, 1)
IMPLEMENT_SERIAL(CArrayFichas, CObject, 1)

void CFicha::Serialize(CArchive& ar) {
    if (ar.IsStoring()) {
        version = kCurrentVersion;
        ar.Io(version);
        video.Serialize(ar);
        ar.Io(activationList);
        ar.Io(deactivationList);
    } else {
        ar.Io(version);
        if (version > 2) {
            video.Serialize(ar);
            ar.Io(activationList);
            ar.Io(deactivationList);
        } else {
            LoadOldLayout(ar);
        }
    }
    texts.Serialize(ar);
    pictures.Serialize(ar);
}

// Layouts 0 to 2 kept the video fields inline, without the video's leading word, and added fields as
// the versions went up: the close flag with 1, the three sprite lists with 2.
void CFicha::LoadOldLayout(CArchive& ar) {
    ar.Io(video.file);
    ar.Io(video.x);
    ar.Io(video.y);
    ar.IoBool(video.loop);
    ar.IoBool(video.automaticInit);
    if (version != 0) ar.IoBool(video.closeWhenFinishes);
    if (version > 1) {
        ar.Io(video.activateOnClose);
        ar.Io(activationList);
        ar.Io(deactivationList);
    }
}

uint64_t CFicha::StoredChangeMark() const {
    // The arrays know of their elements' changes (see SetArrayMark), so no text needs to be asked.
    return std::max({changeMark_, video.ChangeMark(), texts.ChangeMark(), pictures.ChangeMark()});
}

CTexto* CFicha::TextAtPoint(int32_t x, int32_t y) const {
    for (CTexto* t : texts)
        if (t->Hit(x, y)) return t;
    return nullptr;
}

void CFicha::ResetTextScroll() {
    for (const auto& t : texts) t->SetScroll(0);
}

void CArrayFichas::Serialize(CArchive& ar) {
    ar.Io(captionField);
    COwnedArray<CFicha>::Serialize(ar);
}

std::string CArrayFichas::CaptionOfCard(size_t i) const {
    if (!captionField.empty()) {
        if (const CFicha* card = GetAt(i))
            if (const CTexto* t = card->texts.FindIgnoringCase(captionField)) return t->text;
    }
    char caption[32];
    std::snprintf(caption, sizeof caption, "Ficha n\xBA %zu", i + 1);
    return caption;
}

std::vector<std::string> CArrayFichas::DistinctIdentifiers() const {
    std::vector<std::string> identifiers;
    std::set<std::string> seen;
    for (const CFicha* card : *this)
        for (const CTexto* t : card->texts)
            if (seen.insert(t->identifier).second) identifiers.push_back(t->identifier);
    return identifiers;
}
