#include "engine/PhasedSprite.h"

#include <algorithm>

#include "archive/Archive.h"

IMPLEMENT_SERIAL(CPhasedSprite, CSprite, 0)

CPhasedSprite::CPhasedSprite() {
    cellWidth_ = BitmapWidth();
    cellHeight_ = BitmapHeight();
}

void CPhasedSprite::Serialize(CArchive& ar) {
    CSprite::Serialize(ar);  // loading the bitmap has reset the sheet to one cell
    if (ar.IsStoring()) {
        ar.WriteLong(frames_);
        ar.WriteLong(columns_);
        ar.WriteLong(currentFrame_);
        ar.WriteLong(currentColumn_);
        ar.WriteDword(animated_ ? 1 : 0);
        ar.WriteDword(alwaysAnimated_ ? 1 : 0);
        ar.WriteLong(interval_);
        return;
    }
    // Values the setters refuse (a sheet that does not fit the bitmap) are dropped, keeping the
    // single-cell defaults, so a damaged title cannot point the sprite outside its bitmap.
    SetNumFrames(ar.ReadLong());
    SetNumColumns(ar.ReadLong());
    SetCurrentFrame(ar.ReadLong());
    SetCurrentColumn(ar.ReadLong());
    ar.IoBool(animated_);
    ar.IoBool(alwaysAnimated_);
    ar.Io(interval_);
}

bool CPhasedSprite::Render(CDIB* destination, const std::optional<platform::Rect>& clip) {
    return RenderFrom(destination, clip, CellOriginX(), CellOriginY());
}

bool CPhasedSprite::HitTest(int32_t px, int32_t py) const {
    return HitTestFrom(px, py, CellOriginX(), CellOriginY());
}

void CPhasedSprite::ComputeTransparentColour() {
    MarkStoredChanged();
    CSprite::ComputeTransparentColour();
    ResetSheet();
    animated_ = false;
    interval_ = 0;
}

void CPhasedSprite::ResetSheet() {
    MarkStoredChanged();
    frames_ = 1;
    columns_ = 1;
    currentFrame_ = 0;
    currentColumn_ = 0;
    cellHeight_ = BitmapHeight();
    cellWidth_ = BitmapWidth();
}

bool CPhasedSprite::SetNumFrames(int32_t n) {
    MarkStoredChanged();
    if (n <= 0 || BitmapHeight() / n <= 0) return false;
    frames_ = n;
    cellHeight_ = BitmapHeight() / n;
    currentFrame_ = 0;
    return true;
}

bool CPhasedSprite::SetNumColumns(int32_t n) {
    MarkStoredChanged();
    if (n <= 0 || BitmapWidth() / n <= 0) return false;
    columns_ = n;
    cellWidth_ = BitmapWidth() / n;
    currentColumn_ = 0;
    return true;
}

bool CPhasedSprite::SetCurrentFrame(int32_t n) {
    if (n >= frames_ || n < 0 || n == currentFrame_) return false;
    currentFrame_ = n;
    MarkStoredChanged();
    platform::Rect r = GetRect();
    Notify(kSpriteImageChanged, r, {});
    return true;
}

bool CPhasedSprite::SetCurrentColumn(int32_t n) {
    if (n >= columns_ || n < 0 || n == currentColumn_) return false;
    currentColumn_ = n;
    MarkStoredChanged();
    platform::Rect r = GetRect();
    Notify(kSpriteImageChanged, r, {});
    return true;
}

void CPhasedSprite::Disable() {
    SetCurrentFrame(2);
    SetDisabled(true);
}

void CPhasedSprite::Enable() {
    SetCurrentFrame(0);
    SetDisabled(false);
}

bool CPhasedSprite::ChangeBitmap(const std::string& path) {
    MarkStoredChanged();
    const int32_t oldFrames = frames_;
    const bool animated = animated_;
    const int32_t interval = interval_;
    // A reader that fails part-way leaves no image at all; the sprite keeps its old sheet instead, so
    // that it can still be drawn and the title can still be stored.
    const CDIB previous(*this);
    bool ok = GetVariant() == Variant::editor ? LoadBitmapFile(path) : CDibPcx::Load(path);
    if (!ok) {
        CDIB::operator=(previous);
        return false;
    }
    // The PCX loader may have reset the animation settings through Read; a changed bitmap keeps them.
    animated_ = animated;
    interval_ = interval;
    // The new sheet keeps the frame count. Its cells span the whole width, so the sheet has one column;
    // when the new bitmap is too short for the old count it becomes a single-frame sprite rather than
    // pointing past its last row.
    ResetSheet();
    SetNumFrames(oldFrames);
    // The transparent colour follows the new bitmap's top-left pixel, as after every other load.
    CSprite::ComputeTransparentColour();
    SetPosition(GetX(), GetY());
    return true;
}

bool CPhasedSprite::AnimationTick() {
    if (--countdown_ > 0) return false;
    animationCounter_ = animationCounter_ + 1 >= frames_ ? 0 : animationCounter_ + 1;
    SetCurrentFrame(animationCounter_);
    // A stored interval beyond the editor's choices is held to the longest shift that fits.
    countdown_ = 1 << std::clamp<int32_t>(interval_, 0, 30);
    return true;
}

void CPhasedSprite::StopAnimation() {
    MarkStoredChanged();
    if (alwaysAnimated_) return;
    animated_ = false;
    animationCounter_ = 0;
    SetCurrentFrame(0);
    SetDisabled(false);
}
