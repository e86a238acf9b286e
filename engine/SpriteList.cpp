#include "engine/SpriteList.h"

#include <algorithm>
#include <cctype>
#include <limits>

#include "archive/Archive.h"
#include "engine/PhasedSprite.h"

IMPLEMENT_SERIAL(CSpriteList, CObject, 0)

void RegisterEngineClasses() {
    ClassRegistry& registry = ClassRegistry::Instance();
    registry.Register(RUNTIME_CLASS(CSprite));
    registry.Register(RUNTIME_CLASS(CPhasedSprite));
    registry.Register(RUNTIME_CLASS(CSpriteList));
}

CSpriteList::CSpriteList(Variant variant) : sink_(*this), variant_(variant) {}

CSpriteList::~CSpriteList() = default;

void CSpriteList::Serialize(CArchive& ar) {
    sprites_.Serialize(ar);
    if (ar.IsLoading())
        for (CSprite* sprite : sprites_) Adopt(*sprite);
}

void CSpriteList::Adopt(CSprite& sprite) {
    sprite.SetNotifyObject(&sink_);
    sprite.SetVariant(variant_);
}

void CSpriteList::SetVariant(Variant variant) {
    variant_ = variant;
    for (CSprite* sprite : sprites_) sprite->SetVariant(variant);
}

void CSpriteList::SwapSprites(CSpriteList& other) {
    std::swap(sprites_, other.sprites_);
    for (CSprite* sprite : sprites_) Adopt(*sprite);
    for (CSprite* sprite : other.sprites_) other.Adopt(*sprite);
}

bool CSpriteList::Insert(std::unique_ptr<CSprite> sprite) {
    if (!sprite) return false;
    if (Contains(sprite.get())) {
        // The list already owns this object; the second owner handed in must not delete it.
        (void)sprite.release();
        return false;
    }
    Adopt(*sprite);
    const int32_t plane = sprite->GetPlane();
    size_t at = 0;
    while (at < sprites_.GetSize() && sprites_.GetAt(at)->GetPlane() < plane) ++at;
    return sprites_.InsertAt(at, std::move(sprite));
}

bool CSpriteList::InsertAt(size_t index, std::unique_ptr<CSprite> sprite) {
    if (!sprite) return false;
    if (Contains(sprite.get())) {
        (void)sprite.release();
        return false;
    }
    Adopt(*sprite);
    return sprites_.InsertAt(index, std::move(sprite));
}

std::unique_ptr<CSprite> CSpriteList::Remove(CSprite* sprite) {
    std::unique_ptr<CSprite> taken = sprites_.Remove(sprite);
    if (taken) taken->SetNotifyObject(nullptr);
    return taken;
}

void CSpriteList::Reorder(CSprite* sprite) {
    if (std::unique_ptr<CSprite> taken = Remove(sprite)) Insert(std::move(taken));
}

CSprite* CSpriteList::HitTest(int32_t x, int32_t y) const {
    for (CSprite* sprite : sprites_)
        if (sprite->HitTest(x, y)) return sprite;
    return nullptr;
}

CSprite* CSpriteList::FindByNumber(int32_t number) const {
    for (CSprite* sprite : sprites_)
        if (sprite->GetNumber() == number) return sprite;
    return nullptr;
}

CSprite* CSpriteList::FindByClickAction(int32_t action) const {
    for (CSprite* sprite : sprites_)
        if (sprite->GetClickAction() == action) return sprite;
    return nullptr;
}

bool CSpriteList::AnimateAll() {
    bool any = false;
    for (CSprite* sprite : sprites_) {
        auto* phased = dynamic_cast<CPhasedSprite*>(sprite);
        if (!phased || !phased->IsAnimated()) continue;
        any = true;
        phased->AnimationTick();
    }
    return any;
}

void CSpriteList::DeleteAll() {
    sprites_.DeleteAll();
}

namespace {

// The decimal value at the start of a piece: leading blanks, an optional sign, then digits up to the
// first other character; 0 without digits. Values beyond 32 bits are held at the nearest limit.
int32_t PieceValue(std::string_view piece) {
    size_t i = 0;
    while (i < piece.size() && std::isspace(static_cast<unsigned char>(piece[i]))) ++i;
    bool negative = false;
    if (i < piece.size() && (piece[i] == '+' || piece[i] == '-')) negative = piece[i++] == '-';
    int64_t value = 0;
    for (; i < piece.size() && std::isdigit(static_cast<unsigned char>(piece[i])); ++i)
        value = std::min<int64_t>(value * 10 + (piece[i] - '0'), int64_t{1} << 32);
    value = negative ? -value : value;
    value =
        std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max());
    return static_cast<int32_t>(value);
}

}  // namespace

std::vector<int32_t> CSpriteList::ParseNumberList(const std::string& text) {
    std::vector<int32_t> numbers;
    if (text.empty()) return numbers;
    std::string_view rest = text;
    while (numbers.size() < kMaxNumbers) {
        size_t comma = rest.find(',');
        numbers.push_back(PieceValue(rest.substr(0, comma)));
        if (comma == std::string_view::npos) break;
        rest.remove_prefix(comma + 1);
    }
    return numbers;
}

template <class Action>
void CSpriteList::ForEachNumber(std::span<const int32_t> numbers, Action action) {
    for (int32_t number : numbers)
        if (CSprite* sprite = FindByNumber(number)) action(*sprite);
}

void CSpriteList::ShowSprites(std::span<const int32_t> numbers) {
    ForEachNumber(numbers, [](CSprite& s) { s.SetVisible(true); });
}

void CSpriteList::HideSprites(std::span<const int32_t> numbers) {
    ForEachNumber(numbers, [](CSprite& s) { s.SetVisible(false); });
}

// A plain sprite has no frames to show; for it enabling and disabling only set the flag.
void CSpriteList::AbleSprites(std::span<const int32_t> numbers) {
    ForEachNumber(numbers, [](CSprite& s) {
        if (auto* phased = dynamic_cast<CPhasedSprite*>(&s))
            phased->StopAnimation();
        else
            s.SetDisabled(false);
    });
}

void CSpriteList::DisableSprites(std::span<const int32_t> numbers) {
    ForEachNumber(numbers, [](CSprite& s) {
        if (auto* phased = dynamic_cast<CPhasedSprite*>(&s))
            phased->Disable();
        else
            s.SetDisabled(true);
    });
}

void CSpriteList::ChangeSink::Change(CSprite* sprite, int code, const platform::Rect& r1,
                                     const platform::Rect& r2) {
    if (code & kSpritePlaneChanged) {
        list.Reorder(sprite);
        if (view) view->AddDirty(r1);
    }
    if ((code & kSpriteMoved) && view) {
        view->AddDirty(r1);
        view->AddDirty(r2);
    }
    if ((code & kSpriteImageChanged) && view) view->AddDirty(r1);
}
