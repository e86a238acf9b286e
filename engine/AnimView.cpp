#include "engine/AnimView.h"

#include <cstring>

#include "engine/BlockCopy.h"

CAnimView::~CAnimView() {
    SetScene(nullptr);
}

void CAnimView::SetScene(AnimScene* scene) {
    if (scene == scene_) return;
    if (AnimScene* old = scene_) {
        if (old->Sprites().GetView() == this) old->Sprites().SetView(nullptr);
        scene_ = nullptr;
        old->ViewDetached(*this);
    }
    scene_ = scene;
    if (scene_) scene_->ViewAttached(*this);
}

namespace {

// Blackens an area of a 24-bit buffer, so that a scene without a background leaves no trace of sprites
// that moved away.
void ClearArea(CDIB& buffer, const platform::Rect& area) {
    for (int32_t y = area.top; y < area.bottom; ++y)
        if (uint8_t* row = buffer.GetPixelAddress(area.left, y))
            std::memset(row, 0, static_cast<size_t>(area.Width()) * (buffer.GetBitCount() / 8));
}

}  // namespace

void CAnimView::Render(const std::optional<platform::Rect>& r) {
    if (!scene_ || !buffer_ || !buffer_->HasImage()) return;
    const platform::Rect bufferRect{0, 0, buffer_->GetWidth(), buffer_->GetHeight()};
    platform::Rect clip;
    CDIB* background = scene_->Background();
    if (background && background->HasImage()) {
        clip = {0, 0, background->CDIB::GetWidth(), background->CDIB::GetHeight()};
        if (r) clip = clip.Intersect(*r);
        clip = clip.Intersect(bufferRect);
        CopyBlock(*background, *buffer_, clip.left, clip.top, clip.Width(), clip.Height(), clip.left,
                  clip.top, 0xFFFFFFFF);
    } else {
        clip = r ? r->Intersect(bufferRect) : bufferRect;
        ClearArea(*buffer_, clip);
    }
    if (clip.IsEmpty()) return;
    CSpriteList& sprites = scene_->Sprites();
    for (size_t i = sprites.GetCount(); i-- > 0;) sprites.GetAt(i)->Render(buffer_.get(), clip);
}

bool CAnimView::TakeBackground(CDIB& background) {
    if (!CreateBuffer(background)) return false;
    if (background.GetBitCount() == 8) background.MapColorsToPalette(GetPalette());
    return true;
}

bool CAnimView::NewBackground(CDIB& background) {
    if (!TakeBackground(background)) return false;
    Render(std::nullopt);
    DrawBuffer(std::nullopt);
    return true;
}
