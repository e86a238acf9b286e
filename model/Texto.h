#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "archive/Object.h"
#include "archive/OwnedArray.h"
#include "archive/RecycledBlocks.h"
#include "platform/ChangeMark.h"
#include "platform/DeviceContext.h"
#include "platform/Geometry.h"
#include "platform/WordBreak.h"

class CArchive;

// A block of word-wrapped text in a rectangle of a card, drawn over the scene in one font and colour. The
// player can scroll it by whole wrapped lines; the editor draws it unscrolled.
class CTexto : public CObject {
    DECLARE_SERIAL(CTexto)
    DECLARE_RECYCLED(CTexto)
  public:
    CTexto() = default;
    // A new text of the editor: the given string and rectangle (0, 0, 100, 100 when none), selected.
    CTexto(std::string text, std::optional<platform::Rect> rect);
    // Copies what a user sees; the copy starts with leading word 0, unselected and unscrolled.
    CTexto(const CTexto& other);
    CTexto& operator=(const CTexto&) = delete;

    // The eleven stored members in stream order. Storing clears the editor's selection, except into
    // pieces (an undo snapshot).
    void Serialize(CArchive& ar) override;

    // Keeps width and height, puts the top-left corner at (x, y).
    void MoveTo(int32_t x, int32_t y);
    // Whether a visible text's rectangle holds the point (right and bottom edges outside).
    bool Hit(int32_t x, int32_t y) const;

    // Player: at the stored place, with the scrolled-away lines left out, in proof-quality type.
    void Draw(platform::DeviceContext& dc) const;
    // Lays the lines out on a screen context as drawing would, for a drawing to come to find them made.
    void LayOut(bool player) const;
    // Editor: unscrolled, moved by minus the view's scroll offset.
    void Draw(platform::DeviceContext& dc, int32_t originX, int32_t originY) const;

    // How many whole lines the rectangle shows; 0 when the font has no line height.
    int VisibleLines() const;
    // How many line breaks the drawn text has: its number of lines minus one.
    int CountBreaks() const;
    // Player scrolling by n lines; n = -1 means a page (the visible lines minus one). True when the
    // scroll position changed or moved as asked.
    bool ScrollUp(int n);
    bool ScrollDown(int n);
    bool SetScroll(int n);
    int GetScroll() const { return scroll_; }

    // Whoever changes a stored member in place calls MarkChanged afterwards: the change mark tells undo
    // snapshots that the text must be stored again (see StoredForm).
    void MarkChanged() {
        changeMark_ = platform::NewChangeMark();
        if (arrayMark_) *arrayMark_ = changeMark_;
    }
    uint64_t ChangeMark() const { return changeMark_; }
    // The array that holds the text, which then knows of its changes without asking each element.
    void SetArrayMark(uint64_t* mark) { arrayMark_ = mark; }

    // Stored members.
    uint32_t leadingWord = 0;  // stored back as loaded; new texts and copies have 0
    std::string identifier;    // the name actions and the caption field find the text by
    std::string text;          // "\r\n" separates paragraphs
    std::string fontFace = "Arial";
    bool underline = false;
    bool italic = false;
    bool bold = false;
    int32_t height = 15;  // font height in logical units, as the font request takes it
    uint32_t colour = 0;  // 0x00BBGGRR
    bool visible = true;
    platform::Rect rect{0, 0, 100, 100};

    // Editor only, never stored.
    bool selected = false;

  private:
    platform::FontRequest Font(bool player) const;
    void DrawLines(platform::DeviceContext& dc, const platform::Rect& where, bool player) const;
    // The scroll step for n, with -1 standing for a page; 0 when the text cannot scroll.
    int ScrollStep(int n) const;
    // The text laid out for `width` in the font selected on `dc`, measured again only when the text, the
    // font, the width or the way of measuring changed since the last time.
    std::vector<platform::TextLine> LaidOut(platform::DeviceContext& dc, int32_t width) const;

    uint64_t changeMark_ = 0;
    uint64_t* arrayMark_ = nullptr;
    int scroll_ = 0;  // player: wrapped lines hidden above the rectangle's top
    // The last layout and what it was measured for. The player lays a card's texts out on every drawing
    // (into its buffer, then on each paint of the window), and measuring is most of what drawing costs.
    struct Layout {
        std::string text;
        platform::FontRequest font;
        int32_t width = 0;
        uint64_t measuring = 0;
        std::vector<platform::TextLine> lines;
    };
    mutable std::optional<Layout> layout_;
};

// The texts of a card, owned, in drawing order.
class CArrayTextos : public COwnedArray<CTexto> {
    DECLARE_SERIAL(CArrayTextos)
  public:
    // The first text whose identifier equals the key, letter case ignored (the caption field's lookup).
    CTexto* FindIgnoringCase(const std::string& key) const;
    // The first text whose identifier equals the key byte for byte (the player's scroll actions).
    CTexto* FindExact(const std::string& key) const;
};
