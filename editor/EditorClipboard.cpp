#include "editor/EditorClipboard.h"

#include "engine/PhasedSprite.h"

void EditorClipboard::Empty() {
    sprites.clear();
    texts.clear();
    pictures.clear();
    video.Clear();
    filled = false;
}

std::unique_ptr<CSprite> EditorClipboard::CopyOf(const CSprite& sprite) {
    std::unique_ptr<CSprite> copy;
    if (const auto* phased = dynamic_cast<const CPhasedSprite*>(&sprite))
        copy = std::make_unique<CPhasedSprite>(*phased);
    else
        copy = std::make_unique<CSprite>(sprite);
    // The copy reports to the list that takes it in, never to the one the original lives in.
    copy->SetNotifyObject(nullptr);
    copy->SetSelected(false);
    return copy;
}
