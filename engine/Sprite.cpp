#include "engine/Sprite.h"

#include <algorithm>
#include <limits>

#include "archive/Archive.h"
#include "engine/BlockCopy.h"
#include "platform/FileDialog.h"
#include "platform/MessageBox.h"

IMPLEMENT_SERIAL(CSprite, CDibPcx, 2)

namespace {

const std::string kNoArgument;

// Position plus size, held inside the 32-bit range: a hostile title may place a sprite anywhere.
int32_t SaturatingAdd(int32_t a, int32_t b) {
    int64_t sum = static_cast<int64_t>(a) + b;
    sum = std::clamp<int64_t>(sum, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max());
    return static_cast<int32_t>(sum);
}

bool ValidArgument(int index) {
    return index >= 0 && index < CSprite::kArgumentCount;
}

}  // namespace

void CSprite::Serialize(CArchive& ar) {
    // The bitmap comes first as a complete PCX image written straight onto the file; loading it runs
    // this class's Read, which also recomputes the transparent colour.
    CDibPcx::Serialize(ar);
    ar.Io(reserved_);
    ar.Io(x_);
    ar.Io(y_);
    ar.Io(plane_);
    ar.Io(text_);
    ar.Io(number_);
    ar.IoBool(transparent_);
    ar.IoBool(sensibleRect_);
    ar.IoBool(visible_);
    ar.IoBool(disabled_);
    ar.Io(clickAction_);
    for (std::string& argument : clickArguments_) ar.Io(argument);
    ar.Io(moveAction_);
    for (std::string& argument : moveArguments_) ar.Io(argument);
}

bool CSprite::Load(const std::string& path) {
    bool ok = variant_ == Variant::editor ? LoadBitmapFile(path) : CDibPcx::Load(path);
    if (ok) ComputeTransparentColour();
    return ok;
}

bool CSprite::Read(platform::File& file) {
    if (!CDibPcx::Read(file)) return false;
    ComputeTransparentColour();
    return true;
}

bool CSprite::MapColorsToPalette(const std::vector<PaletteEntry>* palette) {
    if (!CDibPcx::MapColorsToPalette(palette)) return false;
    ComputeTransparentColour();
    return true;
}

platform::Rect CSprite::GetRect() const {
    return {x_, y_, SaturatingAdd(x_, GetWidth()), SaturatingAdd(y_, GetHeight())};
}

const char* CSprite::BitmapFileFilter() {
    return "BMP and PCX files|*.pcx;*.bmp|BMP files (*.bmp)|*.bmp|PCX files(*.pcx)|*.pcx|"
           "All the files (*.*)|*.*||";
}

bool CSprite::LoadBitmapFile(const std::string& path) {
    return LoadChoosingReader(path, OpenDialog(BitmapFileFilter(), "bmp"), "PCX", ReadAsPcx);
}

const std::string& CSprite::GetClickArgument(int index) const {
    return ValidArgument(index) ? clickArguments_[index] : kNoArgument;
}

const std::string& CSprite::GetMoveArgument(int index) const {
    return ValidArgument(index) ? moveArguments_[index] : kNoArgument;
}

void CSprite::SetClickArgument(int index, const std::string& value) {
    if (ValidArgument(index)) clickArguments_[index] = value;
    MarkStoredChanged();
}

void CSprite::SetMoveArgument(int index, const std::string& value) {
    if (ValidArgument(index)) moveArguments_[index] = value;
    MarkStoredChanged();
}

void CSprite::SetVisible(bool on) {
    visible_ = on;
    MarkStoredChanged();
    // The player shows the change at once; the editor draws every sprite whatever its flag.
    if (variant_ == Variant::player) {
        platform::Rect r = GetRect();
        Notify(kSpriteMoved, r, r);
    }
}

void CSprite::SetPosition(int32_t x, int32_t y) {
    platform::Rect before = GetRect();
    x_ = x;
    y_ = y;
    MarkStoredChanged();
    Notify(kSpriteMoved, before, GetRect());
}

void CSprite::SetPlane(int32_t plane) {
    if (plane == plane_) return;
    plane_ = plane;
    MarkStoredChanged();
    Notify(kSpritePlaneChanged, GetRect(), {});
}

void CSprite::Notify(int code, const platform::Rect& r1, const platform::Rect& r2) {
    if (notify_) notify_->Change(this, code, r1, r2);
}

bool CSprite::Render(CDIB* destination, const std::optional<platform::Rect>& clip) {
    return RenderFrom(destination, clip, 0, 0);
}

bool CSprite::RenderFrom(CDIB* destination, const std::optional<platform::Rect>& clip, int32_t originX,
                         int32_t originY) {
    // A hidden sprite is not shown in the player, whatever its class.
    if (!destination || (variant_ == Variant::player && !visible_)) return false;
    platform::Rect r = GetRect();
    if (clip) r = r.Intersect(*clip);
    r = r.Intersect({0, 0, destination->CDIB::GetWidth(), destination->CDIB::GetHeight()});
    if (r.IsEmpty()) return false;
    uint32_t transparent = transparent_ ? transparentColour_ : 0xFFFFFFFF;
    CopyBlock(*this, *destination, r.left, r.top, r.Width(), r.Height(), originX + (r.left - x_),
              originY + (r.top - y_), transparent);
    return true;
}

bool CSprite::HitTest(int32_t px, int32_t py) const {
    return HitTestFrom(px, py, 0, 0);
}

bool CSprite::HitTestFrom(int32_t px, int32_t py, int32_t originX, int32_t originY) const {
    // In the player the pointer passes through hidden and disabled sprites; the editor can grab any.
    if (variant_ == Variant::player && (!visible_ || disabled_)) return false;
    platform::Rect r = GetRect();
    if (!(r.left < px && px < r.right && r.top < py && py < r.bottom)) return false;
    if (!transparent_ || sensibleRect_) return true;
    return PixelValue(originX + (px - x_), originY + (py - y_)) != transparentColour_;
}

uint32_t CSprite::PixelValue(int32_t bx, int32_t by) const {
    const uint8_t* p = (bx < BitmapWidth() && by < BitmapHeight()) ? GetPixelAddress(bx, by) : nullptr;
    if (!p) return 0;
    if (GetBitCount() == 8) return 0x01000000u | p[0];
    return (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[1]) << 8) | p[0];
}

void CSprite::ComputeTransparentColour() {
    // A sprite just read from a title knows its top-left pixel without decoding the rest: opening a title
    // decodes no sprite.
    if (const std::optional<uint32_t> topLeft = TopLeftBeforeDecoding())
        transparentColour_ = *topLeft;
    else
        transparentColour_ = PixelValue(0, 0);
}
