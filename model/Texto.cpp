#include "model/Texto.h"

#include <algorithm>
#include <cstdint>
#include <functional>

#include "archive/Archive.h"
#include "platform/CodePage.h"
#include "platform/WordBreak.h"

IMPLEMENT_SERIAL(CTexto, CObject, 1)
IMPLEMENT_SERIAL(CArrayTextos, CObject, 1)

namespace {
// The font request's output precision and quality that the player asks for: character precision and
// proof quality.
constexpr uint8_t kCharacterPrecision = 2;
constexpr uint8_t kProofQuality = 2;

// Rectangles come from title files and may span more than 32 bits; sizes and moves saturate instead of
// wrapping around.
int32_t Saturate(int64_t v) {
    return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}
int32_t WidthOf(const platform::Rect& r) {
    return Saturate(int64_t{r.right} - r.left);
}
int32_t HeightOf(const platform::Rect& r) {
    return Saturate(int64_t{r.bottom} - r.top);
}

// What the scroll operations need to know of a text, measured on a screen device context in its font.
struct TextMetrics {
    int32_t lineHeight = 0;
    int visibleLines = 0;
    int lineCount = 0;
};
}  // namespace

CTexto::CTexto(std::string text, std::optional<platform::Rect> rect)
    : text(std::move(text)), rect(rect.value_or(platform::Rect{0, 0, 100, 100})), selected(true) {}

CTexto::CTexto(const CTexto& other)
    : CObject(),
      identifier(other.identifier),
      text(other.text),
      fontFace(other.fontFace),
      underline(other.underline),
      italic(other.italic),
      bold(other.bold),
      height(other.height),
      colour(other.colour),
      visible(other.visible),
      rect(other.rect) {}

void CTexto::Serialize(CArchive& ar) {
    ar.Io(leadingWord);
    ar.Io(identifier);
    ar.Io(text);
    ar.Io(fontFace);
    ar.IoBool(underline);
    ar.IoBool(italic);
    ar.IoBool(bold);
    ar.Io(height);
    ar.Io(colour);
    ar.IoBool(visible);
    ar.Io(rect);
    // A save deselects the text; an undo snapshot (stored into pieces) leaves the editor's selection alone.
    if (ar.IsStoring() && !ar.StoresPieces()) selected = false;
}

void CTexto::MoveTo(int32_t x, int32_t y) {
    rect = platform::Rect{x, y, Saturate(int64_t{x} + WidthOf(rect)), Saturate(int64_t{y} + HeightOf(rect))};
    MarkChanged();
}

bool CTexto::Hit(int32_t x, int32_t y) const {
    return visible && rect.Contains(x, y);
}

platform::FontRequest CTexto::Font(bool player) const {
    platform::FontRequest font;
    font.height = height;
    font.italic = italic;
    font.underline = underline;
    font.weight = bold ? 700 : 400;
    font.faceName = fontFace;
    if (player) {
        font.outputPrecision = kCharacterPrecision;
        font.quality = kProofQuality;
    }
    return font;
}

// Draws in the text's font and colour on a transparent background, and leaves the device context as it
// found it.
void CTexto::DrawLines(platform::DeviceContext& dc, const platform::Rect& where, bool player) const {
    if (!visible) return;
    platform::FontRequest oldFont = dc.SelectedFont();
    uint32_t oldColour = dc.TextColor();
    bool oldTransparent = dc.TransparentBackground();
    dc.SelectFont(Font(player));
    dc.SetTransparentBackground(true);
    dc.SetTextColor(colour);

    std::vector<platform::TextLine> lines = LaidOut(dc, WidthOf(where));
    size_t first = player ? static_cast<size_t>(scroll_) : 0;
    platform::DrawWordBreakLines(dc, text, lines, first, where);

    dc.SetTextColor(oldColour);
    dc.SetTransparentBackground(oldTransparent);
    dc.SelectFont(oldFont);
}

void CTexto::LayOut(bool player) const {
    if (!visible) return;
    std::unique_ptr<platform::DeviceContext> dc = platform::ScreenContexts().CreateScreenContext();
    dc->SelectFont(Font(player));
    LaidOut(*dc, WidthOf(rect));
}

void CTexto::Draw(platform::DeviceContext& dc) const {
    DrawLines(dc, rect, true);
}

void CTexto::Draw(platform::DeviceContext& dc, int32_t originX, int32_t originY) const {
    const platform::Rect moved{Saturate(int64_t{rect.left} - originX), Saturate(int64_t{rect.top} - originY),
                               Saturate(int64_t{rect.right} - originX),
                               Saturate(int64_t{rect.bottom} - originY)};
    DrawLines(dc, moved, false);
}

namespace {
// `countLines`, when given, counts the text's lines on the context.
TextMetrics Measure(const CTexto& texto, platform::FontRequest font,
                    const std::function<size_t(platform::DeviceContext&)>& countLines) {
    std::unique_ptr<platform::DeviceContext> dc = platform::ScreenContexts().CreateScreenContext();
    dc->SelectFont(font);
    TextMetrics m;
    m.lineHeight = platform::WordBreakLineHeight(*dc);
    // Without a line height nothing fits and nothing can scroll; this also keeps the division defined.
    if (m.lineHeight > 0) m.visibleLines = std::max(0, HeightOf(texto.rect) / m.lineHeight);
    if (countLines) m.lineCount = static_cast<int>(countLines(*dc));
    return m;
}
}  // namespace

std::vector<platform::TextLine> CTexto::LaidOut(platform::DeviceContext& dc, int32_t width) const {
    const std::optional<uint64_t> measuring = dc.MeasuringKey();
    if (!measuring) return platform::WordBreakLayout(dc, text, width);
    const platform::FontRequest font = dc.SelectedFont();
    if (layout_ && layout_->width == width && layout_->measuring == *measuring && layout_->font == font &&
        layout_->text == text)
        return layout_->lines;
    layout_ = Layout{text, font, width, *measuring, platform::WordBreakLayout(dc, text, width)};
    return layout_->lines;
}

int CTexto::VisibleLines() const {
    return Measure(*this, Font(true), {}).visibleLines;
}

int CTexto::CountBreaks() const {
    return Measure(*this, Font(true),
                   [&](platform::DeviceContext& dc) { return LaidOut(dc, WidthOf(rect)).size(); })
               .lineCount -
           1;
}

// A page is the visible lines minus one, but never less than one line: a rectangle that shows one line
// or less would otherwise page by nothing or backwards.
int CTexto::ScrollStep(int n) const {
    if (n >= 0) return n;
    TextMetrics m = Measure(*this, Font(true), {});
    if (m.lineHeight <= 0) return 0;
    return std::max(1, m.visibleLines - 1);
}

bool CTexto::ScrollUp(int n) {
    if (n == 0 || scroll_ == 0) return false;
    n = ScrollStep(n);
    if (n == 0) return false;
    scroll_ = scroll_ < n ? 0 : scroll_ - n;
    return true;
}

bool CTexto::ScrollDown(int n) {
    if (n == 0) return false;
    TextMetrics m = Measure(*this, Font(true),
                            [&](platform::DeviceContext& dc) { return LaidOut(dc, WidthOf(rect)).size(); });
    if (m.lineHeight <= 0) return false;
    if (n < 0) n = std::max(1, m.visibleLines - 1);
    // The rest of the text already fits in the rectangle.
    if (m.lineCount < int64_t{m.visibleLines} + scroll_) return false;
    // Steps come from the titles' action arguments and may be as large as a number can be.
    scroll_ = Saturate(int64_t{scroll_} + n);
    return true;
}

bool CTexto::SetScroll(int n) {
    n = std::max(0, n);
    if (n == scroll_) return false;
    scroll_ = n;
    return true;
}

CTexto* CArrayTextos::FindIgnoringCase(const std::string& key) const {
    std::string upperKey = platform::Cp1252ToUpper(key);
    for (CTexto* t : *this)
        if (platform::Cp1252ToUpper(t->identifier) == upperKey) return t;
    return nullptr;
}

CTexto* CArrayTextos::FindExact(const std::string& key) const {
    for (CTexto* t : *this)
        if (t->identifier == key) return t;
    return nullptr;
}
