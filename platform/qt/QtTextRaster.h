#pragma once

#include <QColor>
#include <QFont>
#include <QPoint>
#include <QRect>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <optional>

class QImage;
class QPainter;

namespace platform {

// Lines of text laid straight into the pixels of a 32-bit raster image, with exactly the pixels that
// QPainter::drawText gives on such an image, at a fraction of its cost. Each line is shaped once and
// each glyph at each sub-pixel position is drawn once through Qt; from then on a line costs only the
// blending of its glyphs' coverage, with the very arithmetic of Qt's own text blending. A font whose
// glyphs Qt draws in some other way (a first drawing of a probe line through both tells) is never served.
namespace text_raster {

// Draws `text` with its baseline starting at `origin` (the painter's coordinates) in the opaque
// `colour`, inside `clip` (the painter's coordinates) and whatever clips the painter itself. False,
// having drawn nothing, when the painter or the font is not one whose drawing can be matched: not a
// raster painter on an RGB32 or premultiplied ARGB32 image of its own, moved by whole pixels only,
// plainly composed and opaque, clipped to a single rectangle at most; a decorated or very large font.
bool DrawLine(QPainter& painter, const QFont& font, const QPoint& origin, const QString& text,
              const QColor& colour, const QRect& clip);

// The width QFontMetrics::horizontalAdvance gives the line, from the advances kept for the font's
// characters; nothing when the font or a character is not served (see DrawLine).
std::optional<int> Width(const QFont& font, const QString& text);

// Forgets every glyph kept so far (the fonts' probes included).
void Forget();

namespace detail {
// How many glyph masks, and how many bytes of their coverage, a font keeps before it starts over.
void SetKeepLimits(size_t masks, size_t coverageBytes);

// The ways a row of pixels takes a row of a glyph's coverage in an opaque colour; each gives what the
// plain one gives. The widest runs only where platform::CanUseWideVectors().
void BlendRowPlain(uint32_t* pixel, const uint8_t* cover, int count, uint32_t colour);
#if defined(__x86_64__)
void BlendRowSse2(uint32_t* pixel, const uint8_t* cover, int count, uint32_t colour);
// Pixels up to `room` from the first may be read and written back as they were.
void BlendRowAvx2(uint32_t* pixel, const uint8_t* cover, int count, uint32_t colour, int room);
// The same for `rows` rows, each so many pixels and coverage bytes after the one before.
void BlendRowsAvx2(uint32_t* pixel, size_t pixelStride, const uint8_t* cover, size_t coverStride, int count,
                   int rows, uint32_t colour, int room);
#endif
}  // namespace detail

}  // namespace text_raster

}  // namespace platform
