#include "editor/PlayerCopy.h"

#include "model/FichaDoc.h"
#include "platform/File.h"

std::unique_ptr<CFichaDoc> PlayerCopyOf(CFichaDoc& doc) {
    platform::SharedBytes bytes = doc.TitleBytes();
    if (!bytes) return nullptr;
    platform::MemoryFile file(*bytes, doc.GetPathName());
    auto copy = std::make_unique<CFichaDoc>(Variant::player);
    if (!copy->Load(file)) return nullptr;
    if (!doc.GetPathName().empty()) copy->SetPathName(doc.GetPathName());
    copy->SetTitle(doc.GetTitle());
    return copy;
}
