#include "engine/SpriteList.h"

#include <algorithm>
#include <cctype>
#include <limits>

#include "engine/PhasedSprite.h"
#include "archive/Archive.h"

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
    if (ar.IsStoring()) {
        ar.WriteCount(static_cast<uint32_t>(sprites_.size()));
        for (const auto& sprite : sprites_) ar.WriteObject(sprite.get());
        return;
    }
    DeleteAll();
    std::vector<std::unique_ptr<CSprite>> loaded;
    uint32_t count = ar.ReadCount();
    loaded.reserve(count);
    // Each element must be a new sprite: a null pointer or a reference to a sprite read before would
    // leave the list with an empty place or a sprite owned twice, so ReadOwned rejects both.
    for (uint32_t i = 0; i < count; ++i) loaded.push_back(ar.ReadOwned<CSprite>());
    sprites_ = std::move(loaded);
    for (const auto& sprite : sprites_) Adopt(*sprite);
}

void CSpriteList::Adopt(CSprite& sprite) {
    sprite.SetNotifyObject(&sink_);
    sprite.SetVariant(variant_);
}

void CSpriteList::SetVariant(Variant variant) {
    variant_ = variant;
    for (const auto& sprite : sprites_) sprite->SetVariant(variant);
}

void CSpriteList::SwapSprites(CSpriteList& other) {
    sprites_.swap(other.sprites_);
    for (const auto& sprite : sprites_) Adopt(*sprite);
    for (const auto& sprite : other.sprites_) other.Adopt(*sprite);
}

bool CSpriteList::Contains(const CSprite* sprite) const {
    return std::any_of(sprites_.begin(), sprites_.end(), [&](const auto& s) { return s.get() == sprite; });
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
    auto at = std::find_if(sprites_.begin(), sprites_.end(),
                           [plane](const auto& s) { return s->GetPlane() >= plane; });
    sprites_.insert(at, std::move(sprite));
    return true;
}

std::unique_ptr<CSprite> CSpriteList::Remove(CSprite* sprite) {
    auto it =
        std::find_if(sprites_.begin(), sprites_.end(), [&](const auto& s) { return s.get() == sprite; });
    if (it == sprites_.end()) return nullptr;
    std::unique_ptr<CSprite> taken = std::move(*it);
    sprites_.erase(it);
    taken->SetNotifyObject(nullptr);
    return taken;
}

void CSpriteList::Reorder(CSprite* sprite) {
    if (std::unique_ptr<CSprite> taken = Remove(sprite)) Insert(std::move(taken));
}

CSprite* CSpriteList::HitTest(int32_t x, int32_t y) const {
    for (const auto& sprite : sprites_)
        if (sprite->HitTest(x, y)) return sprite.get();
    return nullptr;
}

CSprite* CSpriteList::FindByNumber(int32_t number) const {
    for (const auto& sprite : sprites_)
        if (sprite->GetNumber() == number) return sprite.get();
    return nullptr;
}

CSprite* CSpriteList::FindByClickAction(int32_t action) const {
    for (const auto& sprite : sprites_)
        if (sprite->GetClickAction() == action) return sprite.get();
    return nullptr;
}

bool CSpriteList::AnimateAll() {
    bool any = false;
    for (const auto& sprite : sprites_) {
        auto* phased = dynamic_cast<CPhasedSprite*>(sprite.get());
        if (!phased || !phased->IsAnimated()) continue;
        any = true;
        phased->AnimationTick();
    }
    return any;
}

void CSpriteList::DeleteAll() {
    sprites_.clear();
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
