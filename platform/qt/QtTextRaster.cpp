#include "platform/qt/QtTextRaster.h"

#include <QFontMetrics>
#include <QGlyphRun>
#include <QImage>
#include <QPaintEngine>
#include <QPainter>
#include <QRawFont>
#include <QRegion>
#include <QTextLayout>
#include <QTextLine>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include "platform/Processor.h"

namespace platform::text_raster {

namespace {

// Qt keeps glyphs as coverage maps only below this pixel size; larger ones it fills as outlines.
constexpr int kMaxPixelSize = 63;
// What one thread keeps: fonts, and glyphs at sub-pixel positions in each.
constexpr size_t kMaxFonts = 32;
struct KeepLimits {
    size_t masks = 16384;
    size_t coverage = size_t{8} << 20;
};

KeepLimits& Limits() {
    static KeepLimits limits;
    return limits;
}

// A glyph's coverage (0 to 255 a pixel) at one sub-pixel position, placed relative to the whole pixel
// at or before the position.
struct Mask {
    int32_t left = 0, top = 0;
    int32_t width = 0, height = 0;
    size_t offset = 0;  // of its rows in the font's coverage bytes
};

// A glyph of a line: its mask and the whole pixel its position falls in, across from the line's origin
// (every glyph sits on the line's baseline).
struct Placed {
    uint32_t mask;
    int32_t x;
};

// A character's glyph and advance (in 64ths of a pixel); glyph 0 for a character that is not served.
struct CharacterGlyph {
    uint32_t glyph = 0;
    int32_t advance = 0;
};

// Glyph and sub-pixel position (in 64ths) as one key.
uint64_t MaskKey(uint32_t glyph, int32_t fx) {
    return uint64_t{glyph} << 6 | static_cast<uint64_t>(fx);
}

// The characters a line may hold to be served: the printable ones of Windows-1252, which the titles'
// texts are written in, but the soft hyphen, which Qt hides.
bool Printable(char16_t c) {
    static const char16_t kUpper[] = {0x20AC, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030,
                                      0x0160, 0x2039, 0x0152, 0x017D, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
                                      0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x017E, 0x0178};
    if (c < 0x100) return (c >= 0x20 && c < 0x7F) || (c >= 0xA0 && c != 0xAD);
    return std::find(std::begin(kUpper), std::end(kUpper), c) != std::end(kUpper);
}

// Everything kept for one font.
struct FontGlyphs {
    explicit FontGlyphs(const QFont& f) : font(f), raw(QRawFont::fromFont(f)) {}
    QFont font;
    QRawFont raw;
    std::optional<bool> servable;  // the probes' verdict, once taken
    std::array<CharacterGlyph, 256> latin{};
    std::unordered_map<char16_t, CharacterGlyph> others;
    std::unordered_map<uint64_t, uint32_t> maskIndex;
    std::vector<Mask> masks;
    std::vector<uint8_t> coverage;

    const CharacterGlyph* Find(char16_t c) const {
        if (c < 0x100) return latin[c].glyph ? &latin[c] : nullptr;
        const auto it = others.find(c);
        return it == others.end() ? nullptr : &it->second;
    }
};

struct Cache {
    std::vector<std::unique_ptr<FontGlyphs>> fonts;
    FontGlyphs* last = nullptr;
};

Cache& ThreadCache() {
    thread_local Cache cache;
    return cache;
}

FontGlyphs& GlyphsOf(const QFont& font) {
    Cache& cache = ThreadCache();
    if (cache.last && cache.last->font == font) return *cache.last;
    for (const auto& kept : cache.fonts)
        if (kept->font == font) return *(cache.last = kept.get());
    if (cache.fonts.size() >= kMaxFonts) cache.fonts.clear();
    cache.fonts.push_back(std::make_unique<FontGlyphs>(font));
    return *(cache.last = cache.fonts.back().get());
}

// Where a painter's drawing lands: its image, the whole-pixel move from its coordinates to the image's,
// and the one rectangle of the image it may reach (empty when it may reach nothing).
struct Target {
    QImage* image;
    QPoint offset;
    QRect clip;
};

std::optional<Target> TargetOf(QPainter& painter, const QRect& clip) {
    QPaintEngine* engine = painter.paintEngine();
    if (!engine || engine->type() != QPaintEngine::Raster) return std::nullopt;
    QPaintDevice* device = engine->paintDevice();
    if (!device || device->devType() != QInternal::Image) return std::nullopt;
    auto* image = static_cast<QImage*>(device);
    if (image->format() != QImage::Format_RGB32 && image->format() != QImage::Format_ARGB32_Premultiplied)
        return std::nullopt;
    if (!image->isDetached() || painter.opacity() != 1.0 ||
        painter.compositionMode() != QPainter::CompositionMode_SourceOver ||
        !painter.testRenderHint(QPainter::TextAntialiasing))
        return std::nullopt;
    const QTransform transform = painter.deviceTransform();
    if (transform.type() > QTransform::TxTranslate || transform.dx() != std::floor(transform.dx()) ||
        transform.dy() != std::floor(transform.dy()))
        return std::nullopt;
    const QPoint offset(static_cast<int>(transform.dx()), static_cast<int>(transform.dy()));
    // The painter's own clip is in its coordinates, the system clip in the image's.
    QRegion reach(clip);
    if (painter.hasClipping()) reach &= painter.clipRegion();
    reach.translate(offset);
    reach &= image->rect();
    if (const QRegion system = engine->systemClip(); !system.isEmpty()) reach &= system;
    if (reach.rectCount() > 1) return std::nullopt;
    return Target{image, offset, reach.boundingRect()};
}

// Draws each glyph not yet kept through Qt, white on black, and keeps its coverage: on such an image the
// blue byte that Qt's blending leaves is the coverage itself. Each glyph gets a cell of its own, wide
// enough that nothing it draws reaches the cell's edge; one that does is not kept, and false is returned.
bool CaptureMasks(FontGlyphs& glyphs, const std::vector<uint64_t>& keys) {
    const int size = std::max(1, glyphs.font.pixelSize());
    const int cellWidth = 4 * size + 8, cellHeight = 4 * size + 8;
    const QPoint anchor(size + 4, 2 * size + 4);
    const int columns = std::max(1, std::min<int>(static_cast<int>(keys.size()), 4096 / cellWidth));
    const int rows = (static_cast<int>(keys.size()) + columns - 1) / columns;
    QImage scratch(columns * cellWidth, rows * cellHeight, QImage::Format_RGB32);
    if (scratch.isNull()) return false;
    scratch.fill(Qt::black);
    auto cellOf = [&](size_t i) {
        return QRect(static_cast<int>(i) % columns * cellWidth, static_cast<int>(i) / columns * cellHeight,
                     cellWidth, cellHeight);
    };
    {
        QList<quint32> indexes;
        QList<QPointF> positions;
        for (size_t i = 0; i < keys.size(); ++i) {
            indexes.push_back(static_cast<quint32>(keys[i] >> 6));
            const QPoint at = cellOf(i).topLeft() + anchor;
            positions.push_back(QPointF(at.x() + static_cast<double>(keys[i] & 63) / 64, at.y()));
        }
        QGlyphRun run;
        run.setRawFont(glyphs.raw);
        run.setGlyphIndexes(indexes);
        run.setPositions(positions);
        QPainter painter(&scratch);
        painter.setPen(Qt::white);
        painter.drawGlyphRun(QPointF(0, 0), run);
    }
    bool all = true;
    for (size_t i = 0; i < keys.size(); ++i) {
        const QRect cell = cellOf(i);
        int left = cell.right() + 1, right = cell.left() - 1, top = cell.bottom() + 1,
            bottom = cell.top() - 1;
        for (int y = cell.top(); y <= cell.bottom(); ++y) {
            const auto* line = reinterpret_cast<const QRgb*>(scratch.constScanLine(y));
            for (int x = cell.left(); x <= cell.right(); ++x) {
                if ((line[x] & 0xFF) == 0) continue;
                left = std::min(left, x), right = std::max(right, x);
                top = std::min(top, y), bottom = std::max(bottom, y);
            }
        }
        if (left <= right &&
            (left == cell.left() || right == cell.right() || top == cell.top() || bottom == cell.bottom())) {
            all = false;
            continue;
        }
        Mask mask;
        if (left <= right) {
            mask.left = left - cell.left() - anchor.x();
            mask.top = top - cell.top() - anchor.y();
            mask.width = right - left + 1;
            mask.height = bottom - top + 1;
            mask.offset = glyphs.coverage.size();
            for (int y = top; y <= bottom; ++y) {
                const auto* line = reinterpret_cast<const QRgb*>(scratch.constScanLine(y));
                for (int x = left; x <= right; ++x)
                    glyphs.coverage.push_back(static_cast<uint8_t>(line[x] & 0xFF));
            }
        }
        glyphs.maskIndex.emplace(keys[i], static_cast<uint32_t>(glyphs.masks.size()));
        glyphs.masks.push_back(mask);
    }
    return all;
}

// The line's glyphs, each at the sum of the advances before it, with their masks; false when the line
// holds a character that is not served.
bool Shape(FontGlyphs& glyphs, const QString& text, std::vector<Placed>& placed) {
    placed.clear();
    std::vector<uint64_t> missing;
    int64_t x = 0;
    for (const QChar c : text) {
        const CharacterGlyph* g = glyphs.Find(c.unicode());
        if (!g) return false;
        const uint64_t key = MaskKey(g->glyph, static_cast<int32_t>(x & 63));
        const auto it = glyphs.maskIndex.find(key);
        if (it == glyphs.maskIndex.end()) {
            if (std::find(missing.begin(), missing.end(), key) == missing.end()) missing.push_back(key);
            // Placed once its mask is kept: the mask number stands in for the key meanwhile.
            placed.push_back({UINT32_MAX, static_cast<int32_t>(x >> 6)});
        } else {
            placed.push_back({it->second, static_cast<int32_t>(x >> 6)});
        }
        x += g->advance;
    }
    if (!missing.empty()) {
        // A font that has kept too much starts over, and the line is shaped again with every glyph missing
        // (a line that alone needs more keeps all it needs, until the next line).
        if (!glyphs.masks.empty() && (glyphs.masks.size() + missing.size() > Limits().masks ||
                                      glyphs.coverage.size() > Limits().coverage)) {
            glyphs.maskIndex.clear();
            glyphs.masks.clear();
            glyphs.coverage.clear();
            return Shape(glyphs, text, placed);
        }
        if (!CaptureMasks(glyphs, missing)) return false;
        // The glyphs just kept are looked up again.
        x = 0;
        size_t i = 0;
        for (const QChar c : text) {
            const CharacterGlyph* g = glyphs.Find(c.unicode());
            placed[i++].mask = glyphs.maskIndex.at(MaskKey(g->glyph, static_cast<int32_t>(x & 63)));
            x += g->advance;
        }
    }
    return true;
}

// Builds the font's table of characters and tells whether Qt lays out and draws its lines as the raster
// does: one glyph a character, at the sum of the advances before it (no ligatures, no kerning), and the
// same pixels for a line drawn both ways.
bool Probe(FontGlyphs& glyphs) {
    QString all;
    for (char16_t c = 0x20; c < 0x2200; ++c)
        if (Printable(c)) all.append(QChar(c));
    QList<quint32> indexes = glyphs.raw.glyphIndexesForString(all);
    if (indexes.size() != all.size()) return false;
    const QList<QPointF> advances = glyphs.raw.advancesForGlyphIndexes(indexes);
    for (qsizetype i = 0; i < all.size(); ++i) {
        if (indexes[i] == 0) continue;  // missing from the font: lines with it are Qt's
        const CharacterGlyph g{indexes[i], static_cast<int32_t>(std::llround(advances[i].x() * 64))};
        if (all[i].unicode() < 0x100)
            glyphs.latin[all[i].unicode()] = g;
        else
            glyphs.others.emplace(all[i].unicode(), g);
    }
    // Qt's own layout of every character, and of the pairs that fonts most often join or kern.
    const QString pairs =
        QStringLiteral(" ffi ffl fi fl ff ft fj st ct Th AV AW Av Ta Te To Ty Wa We Yo LT P. r, y.");
    for (const QString& probe : {all, pairs}) {
        QTextLayout layout(probe, glyphs.font);
        layout.beginLayout();
        QTextLine line = layout.createLine();
        if (!line.isValid()) return false;
        line.setLineWidth(1e6);
        layout.endLayout();
        const QList<QGlyphRun> runs = line.glyphRuns();
        if (runs.size() != 1 || runs[0].rawFont() != glyphs.raw) return false;
        const QList<quint32> laid = runs[0].glyphIndexes();
        const QList<QPointF> at = runs[0].positions();
        if (laid.size() != probe.size()) return false;
        int64_t x = 0;
        for (qsizetype i = 0; i < probe.size(); ++i) {
            const CharacterGlyph* g = glyphs.Find(probe[i].unicode());
            if (!g || g->glyph != laid[i] || std::llround(at[i].x() * 64) != x ||
                at[i].y() != runs[0].positions()[0].y())
                return false;
            x += g->advance;
        }
        // A line's measure is its advances' sum, rounded to the pixel.
        if (QFontMetrics(glyphs.font).horizontalAdvance(probe) != static_cast<int>((x + 32) >> 6))
            return false;
    }
    return true;
}

// Qt's multiplication of each byte of a pixel by a byte, rounded as Qt rounds it.
inline uint32_t ByteMul(uint32_t x, uint32_t a) {
    uint64_t t = ((uint64_t{x} | uint64_t{x} << 24) & 0x00FF00FF00FF00FFull) * a;
    t = (t + ((t >> 8) & 0x00FF00FF00FF00FFull) + 0x0080008000800080ull) >> 8;
    t &= 0x00FF00FF00FF00FFull;
    return static_cast<uint32_t>(t) | static_cast<uint32_t>(t >> 24);
}

}  // namespace

namespace detail {

// A row of pixels under a row of a glyph's coverage, as Qt blends an opaque pen into a 32-bit image:
// the pen times the coverage, plus the pixel times what the pen leaves of it. For an opaque pen that is
// also what Qt does where the coverage is full (the pen) or none (the pixel).
void BlendRowPlain(uint32_t* pixel, const uint8_t* cover, int count, uint32_t colour) {
    for (int i = 0; i < count; ++i)
        if (const uint32_t c = cover[i]) pixel[i] = ByteMul(colour, c) + ByteMul(pixel[i], 255 - c);
}

#if defined(__x86_64__)

// The same, four pixels at a time in sixteen-bit lanes.
void BlendRowSse2(uint32_t* pixel, const uint8_t* cover, int count, uint32_t colour) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i half = _mm_set1_epi16(0x80);
    const __m128i full = _mm_set1_epi16(255);
    const __m128i pen = _mm_unpacklo_epi8(_mm_set1_epi32(static_cast<int>(colour)), zero);
    // (x * a + (x * a >> 8) + 0x80) >> 8 in every lane, as ByteMul does in each byte.
    auto mul = [&](__m128i x, __m128i a) {
        const __m128i t = _mm_mullo_epi16(x, a);
        return _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(t, _mm_srli_epi16(t, 8)), half), 8);
    };
    int i = 0;
    for (; i + 4 <= count; i += 4) {
        uint32_t four;
        std::memcpy(&four, cover + i, 4);
        if (four == 0) continue;
        // Each coverage byte over the four lanes of its pixel.
        const __m128i c8 = _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(four)), zero);
        const __m128i c16 = _mm_unpacklo_epi16(c8, c8);
        const __m128i lowCover = _mm_unpacklo_epi32(c16, c16), highCover = _mm_unpackhi_epi32(c16, c16);
        const __m128i dst = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixel + i));
        const __m128i low = _mm_add_epi16(mul(pen, lowCover),
                                          mul(_mm_unpacklo_epi8(dst, zero), _mm_sub_epi16(full, lowCover)));
        const __m128i high = _mm_add_epi16(mul(pen, highCover),
                                           mul(_mm_unpackhi_epi8(dst, zero), _mm_sub_epi16(full, highCover)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(pixel + i), _mm_packus_epi16(low, high));
    }
    BlendRowPlain(pixel + i, cover + i, count - i, colour);
}

// (x * a + (x * a >> 8) + 0x80) >> 8 in every lane, sixteen at a time.
__attribute__((target("avx2"))) inline __m256i MulWide(__m256i x, __m256i a, __m256i half) {
    const __m256i t = _mm256_mullo_epi16(x, a);
    return _mm256_srli_epi16(_mm256_add_epi16(_mm256_add_epi16(t, _mm256_srli_epi16(t, 8)), half), 8);
}

// The same, eight pixels at a time: each half of the register takes four, as the narrow loop does; for
// `rows` rows at once, each `pixelStride` pixels and `coverStride` coverage bytes after the one before.
__attribute__((target("avx2"))) void BlendRowsAvx2(uint32_t* pixel, size_t pixelStride, const uint8_t* cover,
                                                   size_t coverStride, int count, int rows, uint32_t colour,
                                                   int room) {
    const __m256i zero = _mm256_setzero_si256();
    const __m256i half = _mm256_set1_epi16(0x80);
    const __m256i full = _mm256_set1_epi16(255);
    const __m256i pen = _mm256_unpacklo_epi8(_mm256_set1_epi32(static_cast<int>(colour)), zero);
    const __m256i lanes = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
    // Coverage bytes 0 and 1 (4 and 5 in the high half) to the sixteen-bit lanes of their pixels' bytes as
    // the pixels unpack, and 2 and 3 (6 and 7); a byte index with its top bit set makes a zero.
    const __m256i spreadLow = _mm256_setr_epi8(0, -1, 0, -1, 0, -1, 0, -1, 1, -1, 1, -1, 1, -1, 1, -1, 4, -1,
                                               4, -1, 4, -1, 4, -1, 5, -1, 5, -1, 5, -1, 5, -1);
    const __m256i spreadHigh = _mm256_setr_epi8(2, -1, 2, -1, 2, -1, 2, -1, 3, -1, 3, -1, 3, -1, 3, -1, 6, -1,
                                                6, -1, 6, -1, 6, -1, 7, -1, 7, -1, 7, -1, 7, -1);
    for (int row = 0; row < rows; ++row, pixel += pixelStride, cover += coverStride) {
        for (int i = 0; i < count; i += 8) {
            // The last piece may be short: its missing coverage is none, which leaves a pixel as it is.
            // Where the row has room for a whole piece, its pixels are read and written back whole
            // (unchanged past the piece's end); elsewhere only those of the piece are touched.
            const int n = std::min(8, count - i);
            uint64_t eight = 0;
            if (n == 8)
                std::memcpy(&eight, cover + i, 8);
            else
                std::memcpy(&eight, cover + i, static_cast<size_t>(n));
            if (eight == 0) continue;
            const bool whole = i + 8 <= room;
            const __m256i inside = _mm256_cmpgt_epi32(_mm256_set1_epi32(n), lanes);
            // Coverage 0 to 3 in the low half, 4 to 7 in the high one; each over the four lanes of its
            // pixel, in the order the pixels' bytes unpack in.
            const __m256i both = _mm256_set1_epi64x(static_cast<long long>(eight));
            const __m256i lowCover = _mm256_shuffle_epi8(both, spreadLow),
                          highCover = _mm256_shuffle_epi8(both, spreadHigh);
            const __m256i dst = whole
                                    ? _mm256_loadu_si256(reinterpret_cast<const __m256i*>(pixel + i))
                                    : _mm256_maskload_epi32(reinterpret_cast<const int*>(pixel + i), inside);
            const __m256i low = _mm256_add_epi16(
                MulWide(pen, lowCover, half),
                MulWide(_mm256_unpacklo_epi8(dst, zero), _mm256_sub_epi16(full, lowCover), half));
            const __m256i high = _mm256_add_epi16(
                MulWide(pen, highCover, half),
                MulWide(_mm256_unpackhi_epi8(dst, zero), _mm256_sub_epi16(full, highCover), half));
            const __m256i blended = _mm256_packus_epi16(low, high);
            if (whole)
                _mm256_storeu_si256(reinterpret_cast<__m256i*>(pixel + i), blended);
            else
                _mm256_maskstore_epi32(reinterpret_cast<int*>(pixel + i), inside, blended);
        }
    }
}

void BlendRowAvx2(uint32_t* pixel, const uint8_t* cover, int count, uint32_t colour, int room) {
    BlendRowsAvx2(pixel, 0, cover, 0, count, 1, colour, room);
}

#endif

void SetKeepLimits(size_t masks, size_t coverageBytes) {
    Limits() = {masks, coverageBytes};
}

}  // namespace detail

namespace {

// A glyph's visible rows, the widest way the processor allows.
void BlendRows(uint32_t* pixel, size_t pixelStride, const uint8_t* cover, size_t coverStride, int count,
               int rows, uint32_t colour, int room) {
#if defined(__x86_64__)
    if (CanUseWideVectors()) {
        detail::BlendRowsAvx2(pixel, pixelStride, cover, coverStride, count, rows, colour, room);
        return;
    }
    for (int row = 0; row < rows; ++row, pixel += pixelStride, cover += coverStride)
        detail::BlendRowSse2(pixel, cover, count, colour);
#else
    (void)room;
    for (int row = 0; row < rows; ++row, pixel += pixelStride, cover += coverStride)
        detail::BlendRowPlain(pixel, cover, count, colour);
#endif
}

void Blit(const FontGlyphs& glyphs, const std::vector<Placed>& line, const Target& target,
          const QPoint& origin, uint32_t colour) {
    QImage& image = *target.image;
    uchar* bits = image.bits();
    const qsizetype stride = image.bytesPerLine();
    const QRect& clip = target.clip;
    for (const Placed& placed : line) {
        const Mask& mask = glyphs.masks[placed.mask];
        if (mask.width == 0) continue;
        const QRect at(origin.x() + placed.x + mask.left, origin.y() + mask.top, mask.width, mask.height);
        const QRect visible = at & clip;
        if (visible.isEmpty()) continue;
        const uint8_t* cover = glyphs.coverage.data() + mask.offset +
                               static_cast<size_t>(visible.top() - at.top()) * mask.width +
                               (visible.left() - at.left());
        BlendRows(reinterpret_cast<uint32_t*>(bits + visible.top() * stride) + visible.left(),
                  static_cast<size_t>(stride / 4), cover, static_cast<size_t>(mask.width), visible.width(),
                  visible.height(), colour, image.width() - visible.left());
    }
}

// A line drawn both ways on a patterned image must come out the same.
bool ProbeAgrees(FontGlyphs& glyphs) {
    if (!Probe(glyphs)) return false;
    const QString probe = QString::fromUtf8(
        "AVWfjgy \xC3\x91\xC3\xA1"
        "1,W\xE2\x80\x9C"
        "fi\xE2\x80\x9D");
    const int size = std::max(1, glyphs.font.pixelSize());
    QImage qt(size * 20 + 16, size * 3, QImage::Format_RGB32);
    if (qt.isNull()) return false;
    for (int y = 0; y < qt.height(); ++y)
        for (int x = 0; x < qt.width(); ++x)
            qt.setPixel(x, y, qRgb((x * 7) & 255, (y * 13) & 255, (x * y) & 255));
    QImage mine = qt.copy();
    const QPoint origin(3, 2 * size);
    const QColor colour(0x33, 0x99, 0xCC);
    {
        QPainter painter(&qt);
        painter.setFont(glyphs.font);
        painter.setPen(colour);
        painter.drawText(origin, probe);
    }
    std::vector<Placed> line;
    if (!Shape(glyphs, probe, line)) return false;
    {
        QPainter painter(&mine);
        const std::optional<Target> target = TargetOf(painter, mine.rect());
        if (!target) return false;
        Blit(glyphs, line, *target, origin, colour.rgba());
    }
    return qt == mine;
}

// The font's glyphs, when its lines can be served at all.
FontGlyphs* ServedGlyphs(const QFont& font) {
    if (font.pixelSize() <= 0 || font.pixelSize() > kMaxPixelSize || font.underline() || font.overline() ||
        font.strikeOut() || font.letterSpacing() != 0 || font.wordSpacing() != 0 || font.kerning())
        return nullptr;
    FontGlyphs& glyphs = GlyphsOf(font);
    if (!glyphs.servable) glyphs.servable = ProbeAgrees(glyphs);
    return *glyphs.servable ? &glyphs : nullptr;
}

}  // namespace

std::optional<int> Width(const QFont& font, const QString& text) {
    FontGlyphs* glyphs = ServedGlyphs(font);
    if (!glyphs) return std::nullopt;
    int64_t sum = 0;
    for (const QChar c : text) {
        const CharacterGlyph* g = glyphs->Find(c.unicode());
        if (!g) return std::nullopt;
        sum += g->advance;
    }
    return static_cast<int>((sum + 32) >> 6);
}

bool DrawLine(QPainter& painter, const QFont& font, const QPoint& origin, const QString& text,
              const QColor& colour, const QRect& clip) {
    if (colour.alpha() != 255) return false;
    const std::optional<Target> target = TargetOf(painter, clip);
    if (!target) return false;
    FontGlyphs* served = ServedGlyphs(font);
    if (!served) return false;
    FontGlyphs& glyphs = *served;
    if (target->clip.isEmpty()) return true;
    thread_local std::vector<Placed> line;
    if (!Shape(glyphs, text, line)) return false;
    Blit(glyphs, line, *target, origin + target->offset, colour.rgba());
    return true;
}

void Forget() {
    Cache& cache = ThreadCache();
    cache.fonts.clear();
    cache.last = nullptr;
}

}  // namespace platform::text_raster
