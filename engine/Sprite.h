#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "archive/RecycledBlocks.h"
#include "engine/Variant.h"
#include "imaging/DibPcx.h"
#include "platform/ChangeMark.h"
#include "platform/Geometry.h"

class CSprite;

// The codes of a sprite's change notice. They form a bit set: a receiver handles each bit it finds.
enum SpriteChangeCode : int {
    kSpritePlaneChanged = 1,  // rectangle 1: the sprite's rectangle
    kSpriteMoved = 2,         // rectangle 1: old rectangle, rectangle 2: new rectangle
    kSpriteImageChanged = 4,  // rectangle 1: the sprite's rectangle
};

// Whoever must hear about a sprite's visible changes: the change sink of the list that holds it.
class SpriteChangeSink {
  public:
    virtual ~SpriteChangeSink() = default;
    virtual void Change(CSprite* sprite, int code, const platform::Rect& r1, const platform::Rect& r2) = 0;
};

// A bitmap placed on the scene: position, plane, transparency, visibility, identity and the two mouse
// events the player runs. The sprite is its own bitmap (a PCX-backed DIB), so it travels in a title as a
// complete PCX image followed by its fields.
class CSprite : public CDibPcx {
    DECLARE_SERIAL(CSprite)
    DECLARE_RECYCLED(CSprite)
  public:
    static constexpr int kArgumentCount = 4;
    using Arguments = std::array<std::string, kArgumentCount>;

    CSprite() = default;

    void Serialize(CArchive& ar) override;

    // Loading the bitmap recomputes the transparent colour after success. The editor's sprite loads BMP or
    // PCX by the file's ending (LoadBitmapFile), the player's reads PCX.
    bool Load(const std::string& path) override;
    bool Read(platform::File& file) override;
    bool MapColorsToPalette(const std::vector<PaletteEntry>* palette) override;
    // The sprite's rectangle on the scene: (x, y, x + GetWidth(), y + GetHeight()).
    platform::Rect GetRect() const override;

    virtual void SetTransparentOff() {
        transparent_ = false;
        MarkStoredChanged();
    }
    // Loads a BMP or PCX file (the ending "PCX" in any case picks PCX). An empty path asks with the open
    // dialog. Reports failures with the DIB load messages. Does not recompute the transparent colour.
    virtual bool LoadBitmapFile(const std::string& path);
    // The open dialog's filter of LoadBitmapFile, for callers that ask for the file themselves.
    static const char* BitmapFileFilter();

    // --- getters ---
    virtual int32_t GetX() const { return x_; }
    virtual int32_t GetY() const { return y_; }
    virtual int32_t GetPlane() const { return plane_; }
    virtual const std::string& GetText() const { return text_; }
    virtual int32_t GetNumber() const { return number_; }
    virtual bool IsTransparent() const { return transparent_; }
    virtual void SetSensibleRect(bool on) {
        sensibleRect_ = on;
        MarkStoredChanged();
    }
    virtual bool HasSensibleRect() const { return sensibleRect_; }
    virtual bool IsVisible() const { return visible_; }
    virtual bool IsDisabled() const { return disabled_; }
    virtual bool IsSelected() const { return selected_; }
    virtual uint32_t GetTransparentColour() const { return transparentColour_; }
    virtual int32_t GetClickAction() const { return clickAction_; }
    // Arguments are numbered 0 to 3; other indices give an empty string.
    virtual const std::string& GetClickArgument(int index) const;
    const Arguments& GetClickArguments() const { return clickArguments_; }
    virtual int32_t GetMoveAction() const { return moveAction_; }
    virtual const std::string& GetMoveArgument(int index) const;
    const Arguments& GetMoveArguments() const { return moveArguments_; }

    // --- setters ---
    virtual void SetText(const std::string& text) {
        text_ = text;
        MarkStoredChanged();
    }
    virtual void SetTransparent(bool on) {
        transparent_ = on;
        MarkStoredChanged();
    }
    // In the player a change of visibility also marks the sprite's rectangle dirty.
    virtual void SetVisible(bool on);
    virtual void SetDisabled(bool on) {
        disabled_ = on;
        MarkStoredChanged();
    }
    // Sends a "moved" notice with the old and the new rectangle.
    virtual void SetPosition(int32_t x, int32_t y);
    // Sends a "plane changed" notice (the list re-sorts on it); the same plane sends nothing.
    virtual void SetPlane(int32_t plane);
    virtual void SetNumber(int32_t number) {
        number_ = number;
        MarkStoredChanged();
    }
    virtual void SetNotifyObject(SpriteChangeSink* sink) { notify_ = sink; }
    // The program the sprite behaves for. The list that holds the sprite sets it from its document; a
    // sprite that no list has held behaves as the player's: hidden and disabled sprites are neither drawn
    // nor hit, and a change of visibility is shown at once.
    void SetVariant(Variant variant) { variant_ = variant; }
    Variant GetVariant() const { return variant_; }
    SpriteChangeSink* GetNotifyObject() const { return notify_; }
    virtual void SetSelected(bool on) { selected_ = on; }
    virtual void SetClickAction(int32_t action) {
        clickAction_ = action;
        MarkStoredChanged();
    }
    virtual void SetClickArgument(int index, const std::string& value);
    virtual void SetClickArguments(const Arguments& values) {
        clickArguments_ = values;
        MarkStoredChanged();
    }
    virtual void SetMoveAction(int32_t action) {
        moveAction_ = action;
        MarkStoredChanged();
    }
    virtual void SetMoveArgument(int index, const std::string& value);
    virtual void SetMoveArguments(const Arguments& values) {
        moveArguments_ = values;
        MarkStoredChanged();
    }

    // Draws the sprite into `destination` (scene coordinates), limited to `clip` when given and always to
    // the destination. Returns whether anything was drawn. The player's hidden sprites draw nothing.
    virtual bool Render(CDIB* destination, const std::optional<platform::Rect>& clip);
    // Makes the pixels that Render would draw now, where they still wait for their first use: a sheet's
    // frames below the one shown may go on waiting.
    virtual void DecodeShownPixels() const { DecodePixels(); }
    // Whether the point hits the sprite: strictly inside its rectangle (the left column and the top row
    // never hit), and on a non-transparent pixel unless the whole rectangle is sensible. The player's
    // hidden and disabled sprites are never hit.
    virtual bool HitTest(int32_t px, int32_t py) const;
    // Takes the transparent colour from the top-left pixel of the bitmap.
    virtual void ComputeTransparentColour();
    virtual int32_t GetReserved() const { return reserved_; }
    // The word stored after the image; only other writers put anything but 0 there.
    virtual void SetReserved(int32_t word) {
        reserved_ = word;
        MarkStoredChanged();
    }

    // Undo snapshots: the sprite's form of its last storing, and the larger of its pixels' change mark and
    // the mark of its other stored members.
    StoredForm* GetStoredForm() override { return &storedForm_; }
    uint64_t StoredChangeMark() const override { return std::max(ChangeMark(), storedMark_); }

  protected:
    // Every setter of a stored member other than the pixels calls this (the pixels take their own mark).
    void MarkStoredChanged() { storedMark_ = platform::NewChangeMark(); }
    // The full bitmap's size, whatever cell size a derived class reports through GetWidth/GetHeight.
    int32_t BitmapWidth() const { return CDIB::GetWidth(); }
    int32_t BitmapHeight() const { return CDIB::GetHeight(); }
    // The colour value of a bitmap pixel in the form of the transparent colour (0 outside the bitmap).
    uint32_t PixelValue(int32_t bx, int32_t by) const;
    // Draws the part of the sprite's rectangle inside `clip` from the bitmap area whose top-left pixel
    // is (originX, originY): the whole bitmap for a plain sprite, one cell for a phased one.
    bool RenderFrom(CDIB* destination, const std::optional<platform::Rect>& clip, int32_t originX,
                    int32_t originY);
    // Hit test against the bitmap area starting at (originX, originY).
    bool HitTestFrom(int32_t px, int32_t py, int32_t originX, int32_t originY) const;
    void Notify(int code, const platform::Rect& r1, const platform::Rect& r2);

  private:
    uint64_t storedMark_ = 0;
    StoredForm storedForm_;
    int32_t reserved_ = 0;
    int32_t x_ = 0;
    int32_t y_ = 0;
    int32_t plane_ = 50;
    std::string text_;
    int32_t number_ = 0;
    int32_t clickAction_ = 0;
    Arguments clickArguments_;
    int32_t moveAction_ = 0;
    Arguments moveArguments_;
    bool selected_ = false;
    bool transparent_ = false;
    bool sensibleRect_ = false;
    bool disabled_ = false;
    bool visible_ = true;
    uint32_t transparentColour_ = 0;
    SpriteChangeSink* notify_ = nullptr;
    Variant variant_ = Variant::player;
};
