#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "archive/Object.h"
#include "archive/OwnedArray.h"
#include "engine/Sprite.h"

class CPhasedSprite;

// Whoever composes and shows the rectangles that sprites change: the off-screen buffer view.
class DirtyRectReceiver {
  public:
    virtual ~DirtyRectReceiver() = default;
    virtual void AddDirty(const platform::Rect& r) = 0;
};

// The plane-ordered sprites of a document. From head to tail the planes never decrease: the head is the
// front-most sprite, and of equal planes the one inserted last lies in front. The list owns its sprites.
// Each sprite it holds reports its changes to the list's change sink, which keeps the order and passes
// the changed rectangles to the view that its owner states. The list belongs to a document of one
// program (its variant) and makes every sprite it takes in behave for that program.
class CSpriteList : public CObject {
    DECLARE_SERIAL(CSpriteList)
  public:
    static constexpr size_t kMaxNumbers = 10;  // a sprite number list holds at most this many numbers

    // The class registry's factory makes a player's list; a document states its own variant.
    explicit CSpriteList(Variant variant = Variant::player);
    ~CSpriteList() override;
    CSpriteList(const CSpriteList&) = delete;
    CSpriteList& operator=(const CSpriteList&) = delete;

    // Count, then each sprite as an object pointer from head to tail. Loading replaces the content and
    // keeps the stored order as it is, even when the planes are out of order.
    void Serialize(CArchive& ar) override;

    // Inserts before the first sprite whose plane is greater than or equal to the sprite's own, makes the
    // list its notify object and gives it the list's variant. A null sprite, or one the list already holds
    // (a second owner of the same object), is refused: the list keeps its single ownership and returns
    // false.
    bool Insert(std::unique_ptr<CSprite> sprite);
    // Puts a sprite back at the place `index` it was taken from (past the end: at the tail), without
    // looking at its plane: for whoever takes sprites out for a moment and must leave the order as it was.
    bool InsertAt(size_t index, std::unique_ptr<CSprite> sprite);
    // Takes the sprite out and hands it back, or returns null when it is not in the list. The sprite
    // loses its notify object, so it cannot reach this list after the list is gone.
    std::unique_ptr<CSprite> Remove(CSprite* sprite);
    // Takes the sprite out and inserts it again at the place its plane demands.
    void Reorder(CSprite* sprite);
    // The front-most sprite that accepts the point, or null.
    CSprite* HitTest(int32_t x, int32_t y) const;
    CSprite* FindByNumber(int32_t number) const;
    CSprite* FindByClickAction(int32_t action) const;
    // One animation tick for every animating phased sprite; true when at least one was animating.
    bool AnimateAll();
    void DeleteAll();

    // Splits a text of comma-separated numbers ("3,,7" gives 3, 0, 7). Numbers past the tenth are ignored.
    static std::vector<int32_t> ParseNumberList(const std::string& text);
    void ShowSprites(std::span<const int32_t> numbers);
    void HideSprites(std::span<const int32_t> numbers);
    // Able stops the animation (back to frame 0 and enabled); disable shows the disabled look.
    void AbleSprites(std::span<const int32_t> numbers);
    void DisableSprites(std::span<const int32_t> numbers);

    // The variant of the list and of every sprite it holds.
    void SetVariant(Variant variant);
    Variant GetVariant() const { return variant_; }

    // Exchanges the sprites of the two lists. Each list keeps its own variant and receiver, and every
    // sprite reports to the list that now holds it: a document that loaded into a scratch document takes
    // the loaded sprites this way, and the scratch document deletes the old ones.
    void SwapSprites(CSpriteList& other);

    // The view that receives the dirty rectangles; null: none (notices then only keep the order). Its
    // owner states it and takes it back before the view goes away.
    void SetView(DirtyRectReceiver* view) { sink_.view = view; }
    DirtyRectReceiver* GetView() const { return sink_.view; }
    SpriteChangeSink* GetChangeSink() { return &sink_; }

    // Iteration from head (front) to tail (back).
    size_t GetCount() const { return sprites_.GetSize(); }
    bool IsEmpty() const { return sprites_.IsEmpty(); }
    CSprite* GetAt(size_t index) const { return sprites_.GetAt(index); }
    bool Contains(const CSprite* sprite) const { return sprites_.Contains(sprite); }

    using Iterator = COwnedArray<CSprite>::Iterator;
    Iterator begin() const { return sprites_.begin(); }
    Iterator end() const { return sprites_.end(); }

  private:
    class ChangeSink : public SpriteChangeSink {
      public:
        explicit ChangeSink(CSpriteList& list) : list(list) {}
        void Change(CSprite* sprite, int code, const platform::Rect& r1, const platform::Rect& r2) override;
        CSpriteList& list;
        DirtyRectReceiver* view = nullptr;
    };

    template <class Action>
    void ForEachNumber(std::span<const int32_t> numbers, Action action);

    // Makes `sprite` report to this list and behave for its program.
    void Adopt(CSprite& sprite);

    COwnedArray<CSprite> sprites_;
    ChangeSink sink_;
    Variant variant_;
};

// Registers the engine's persistent classes with the class registry (CSprite schema 2, CPhasedSprite 0,
// CSpriteList 0). Static initialisers do not survive static libraries, so the model calls this.
void RegisterEngineClasses();
