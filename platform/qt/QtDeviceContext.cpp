#include "platform/qt/QtDeviceContext.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <array>
#include <map>
#include <tuple>

#include "platform/CodePage.h"
#include "platform/Processor.h"
#include "platform/qt/QtTextRaster.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace platform {

namespace {

constexpr int kDefaultCellHeight = 16;
// Heights beyond this come only from damaged titles; Qt is not asked for such fonts.
constexpr int kMaxFontPixels = 2000;
constexpr int32_t kMaxDibSide = 16384;

// Every Windows-1252 character is one UTF-16 unit, so the text goes straight into the string: texts are
// measured many times over while they are laid out, and a detour through UTF-8 was half of each measure.
QString ToQString(std::string_view cp1252) {
    QString text(static_cast<qsizetype>(cp1252.size()), Qt::Uninitialized);
    QChar* out = text.data();
    for (char c : cp1252) *out++ = QChar(static_cast<char16_t>(Cp1252ToUnicode(static_cast<uint8_t>(c))));
    return text;
}

QColor FromColorref(uint32_t c) {
    return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}

// The faces the titles name most, with the metric-compatible families that stand in for them here, for
// the machines whose font configuration does not alias them.
QString FamilyFor(const std::string& face) {
    QString name = ToQString(face).trimmed();
    if (name.isEmpty()) name = QStringLiteral("Arial");
    if (QFontDatabase::hasFamily(name)) return name;
    static const std::pair<const char*, const char*> kStandIns[] = {
        {"Arial", "Liberation Sans"},         {"Helvetica", "Liberation Sans"},
        {"MS Sans Serif", "Liberation Sans"}, {"Times New Roman", "Liberation Serif"},
        {"Times", "Liberation Serif"},        {"Courier New", "Liberation Mono"},
        {"Courier", "Liberation Mono"},
    };
    for (const auto& [windows, here] : kStandIns) {
        if (name.compare(QLatin1String(windows), Qt::CaseInsensitive) == 0 && QFontDatabase::hasFamily(here))
            return QString::fromLatin1(here);
    }
    return name;
}

int CellHeight(QFont font, int pixels) {
    font.setPixelSize(pixels);
    QFontMetrics metrics(font);
    return metrics.ascent() + metrics.descent();
}

// The largest pixel (em) size whose cell is no taller than asked; rounding of ascent and descent makes
// an exact match impossible at some heights.
int PixelSizeForCell(const QFont& font, int cell) {
    constexpr int kReference = 100;
    const int referenceCell = std::max(1, CellHeight(font, kReference));
    int pixels =
        std::clamp(static_cast<int>((int64_t{cell} * kReference + referenceCell / 2) / referenceCell), 1,
                   kMaxFontPixels);
    while (pixels > 1 && CellHeight(font, pixels) > cell) --pixels;
    while (pixels < kMaxFontPixels && CellHeight(font, pixels + 1) <= cell) ++pixels;
    return pixels;
}

int RequestedCell(const FontRequest& request) {
    if (request.height < 0) return 0;
    return request.height == 0 ? kDefaultCellHeight : std::min(request.height, kMaxFontPixels * 2);
}

QFont BuildFont(const FontRequest& request) {
    QFont font(FamilyFor(request.faceName));
    const int weight = request.weight <= 0 ? 400 : std::clamp<int>(request.weight, 1, 1000);
    font.setWeight(static_cast<QFont::Weight>(weight));
    font.setItalic(request.italic);
    font.setUnderline(request.underline);
    font.setKerning(false);  // the platform's text output never kerned
    if (request.quality == 3) font.setStyleStrategy(QFont::NoAntialias);
    const int64_t height = request.height;
    if (height < 0)
        font.setPixelSize(static_cast<int>(std::min<int64_t>(-height, kMaxFontPixels)));
    else
        font.setPixelSize(PixelSizeForCell(
            font, height == 0 ? kDefaultCellHeight
                              : static_cast<int>(std::min<int64_t>(height, kMaxFontPixels * 2))));
    return font;
}

// One row of 24-bit pixels as 32-bit ones (blue, green, red, then an opaque byte: qRgb's memory order on
// a little-endian machine).
void ExpandRow24Plain(const uint8_t* in, QRgb* out, int32_t count) {
    for (int32_t x = 0; x < count; ++x, in += 3) out[x] = qRgb(in[2], in[1], in[0]);
}

#if defined(__x86_64__) && defined(__ORDER_LITTLE_ENDIAN__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__

// Four pixels at a time with a byte shuffle (see CanShuffleBytes). A piece of 16 bytes is read for every
// 12 used, so the last pixels of the row, whose piece would reach past it, are left to the plain loop.
__attribute__((target("ssse3"))) void ExpandRow24Shuffling(const uint8_t* in, QRgb* out, int32_t count) {
    const __m128i spread = _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
    const __m128i opaque = _mm_set1_epi32(static_cast<int>(0xFF000000u));
    int32_t x = 0;
    for (; x + 6 <= count; x += 4) {
        const __m128i piece = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 3 * x));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x),
                         _mm_or_si128(_mm_shuffle_epi8(piece, spread), opaque));
    }
    ExpandRow24Plain(in + 3 * x, out + x, count - x);
}

// Eight pixels at a time: the 24 bytes that hold them are spread over the two halves of the register,
// twelve to each, and each half is shuffled as above. The last pixels, whose 32 bytes read would reach
// past the row, are left to the narrower loop.
__attribute__((target("avx2"))) void ExpandRow24Wide(const uint8_t* in, QRgb* out, int32_t count) {
    const __m256i halves = _mm256_setr_epi32(0, 1, 2, 3, 3, 4, 5, 6);
    const __m256i spread = _mm256_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1, 0, 1, 2, -1,
                                            3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
    const __m256i opaque = _mm256_set1_epi32(static_cast<int>(0xFF000000u));
    int32_t x = 0;
    for (; x + 11 <= count; x += 8) {
        const __m256i piece = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + 3 * x));
        const __m256i split = _mm256_permutevar8x32_epi32(piece, halves);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + x),
                            _mm256_or_si256(_mm256_shuffle_epi8(split, spread), opaque));
    }
    ExpandRow24Shuffling(in + 3 * x, out + x, count - x);
}

void ExpandRow24(const uint8_t* in, QRgb* out, int32_t count) {
    if (CanUseWideVectors())
        ExpandRow24Wide(in, out, count);
    else if (CanShuffleBytes())
        ExpandRow24Shuffling(in, out, count);
    else
        ExpandRow24Plain(in, out, count);
}

#else

void ExpandRow24(const uint8_t* in, QRgb* out, int32_t count) {
    ExpandRow24Plain(in, out, count);
}

#endif

bool ValidDib(const DibView& dib) {
    if (dib.bits == nullptr || dib.width <= 0 || dib.height <= 0) return false;
    if (dib.width > kMaxDibSide || dib.height > kMaxDibSide) return false;
    if (dib.bitCount == 8) return dib.colorTable != nullptr && dib.stride >= dib.width;
    return dib.bitCount == 24 && dib.stride >= int64_t{dib.width} * 3;
}

// The pixel at (x, y), counted top-down, as 0xAARRGGBB.
QRgb DibPixel(const DibView& dib, int32_t x, int32_t y) {
    const uint8_t* row = dib.bits + static_cast<ptrdiff_t>(dib.height - 1 - y) * dib.stride;
    const uint8_t* bgr = dib.bitCount == 8 ? dib.colorTable + 4 * row[x] : row + 3 * x;
    return qRgb(bgr[2], bgr[1], bgr[0]);
}

// Nearest source coordinate for destination offset d of `dn` pixels, sampling at pixel centres.
int32_t Nearest(int32_t d, int32_t dn, int32_t s0, int32_t sn) {
    return s0 + static_cast<int32_t>((int64_t{2} * d + 1) * sn / (int64_t{2} * dn));
}

QRect ToQRect(const Rect& r) {
    return QRect(r.left, r.top, r.Width(), r.Height());
}

}  // namespace

namespace {

using FontKey = std::tuple<std::string, int32_t, int32_t, bool, bool, uint8_t>;

FontKey KeyOf(const FontRequest& request) {
    return {request.faceName, request.height,    request.weight,
            request.italic,   request.underline, request.quality};
}

}  // namespace

QFont QtFontForRequest(const FontRequest& request) {
    // Texts ask for the same few fonts again and again (every measurement makes a new context).
    static std::map<FontKey, QFont> cache;
    FontKey key = KeyOf(request);
    if (auto it = cache.find(key); it != cache.end()) return it->second;
    if (cache.size() > 256) cache.clear();
    QFont font = BuildFont(request);
    cache.emplace(std::move(key), font);
    return font;
}

// The advances of the Windows-1252 characters in one font, each measured the first time it is asked for
// and kept for every context that selects the font.
struct QtDeviceContext::CharacterAdvances {
    CharacterAdvances() { advance.fill(-1); }
    std::array<float, 256> advance;
};

std::shared_ptr<QtDeviceContext::CharacterAdvances> QtDeviceContext::AdvancesFor(const FontRequest& request) {
    static std::map<FontKey, std::shared_ptr<CharacterAdvances>> cache;
    FontKey key = KeyOf(request);
    if (auto it = cache.find(key); it != cache.end()) return it->second;
    if (cache.size() > 256) cache.clear();
    auto advances = std::make_shared<CharacterAdvances>();
    cache.emplace(std::move(key), advances);
    return advances;
}

int32_t LineHeightForRequest(const FontRequest& request, const QFont& font) {
    QFontMetrics metrics(font);
    return std::max(metrics.ascent() + metrics.descent(), RequestedCell(request));
}

QImage DibViewToQImage(const DibView& dib) {
    if (!ValidDib(dib)) return {};
    QImage image(dib.width, dib.height, QImage::Format_RGB32);
    if (image.isNull()) return {};
    for (int32_t y = 0; y < dib.height; ++y) {
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int32_t x = 0; x < dib.width; ++x) out[x] = DibPixel(dib, x, y);
    }
    return image;
}

bool CopyDibInto(const DibView& dib, const Rect& source, QImage& image) {
    if (!ValidDib(dib) || source.IsEmpty() || source.left < 0 || source.top < 0 || source.right > dib.width ||
        source.bottom > dib.height || source.Width() > image.width() || source.Height() > image.height() ||
        image.depth() != 32)
        return false;
    QRgb palette[256];
    if (dib.bitCount == 8)
        for (int i = 0; i < 256; ++i) {
            const uint8_t* bgr = dib.colorTable + 4 * i;
            palette[i] = qRgb(bgr[2], bgr[1], bgr[0]);
        }
    const int32_t width = source.Width();
    for (int32_t y = 0; y < source.Height(); ++y) {
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
        const uint8_t* row =
            dib.bits + static_cast<ptrdiff_t>(dib.height - 1 - (source.top + y)) * dib.stride;
        if (dib.bitCount == 8) {
            const uint8_t* in = row + source.left;
            for (int32_t x = 0; x < width; ++x) out[x] = palette[in[x]];
        } else {
            ExpandRow24(row + 3 * static_cast<ptrdiff_t>(source.left), out, width);
        }
    }
    return true;
}

QtDeviceContext::QtDeviceContext(QPaintDevice& device) : device_(&device) {
    SelectFont({});
}
QtDeviceContext::QtDeviceContext(QPainter& painter) : painter_(&painter) {
    SelectFont({});
}

template <typename Draw>
void QtDeviceContext::Paint(Draw&& draw) {
    if (painter_) {
        painter_->save();
        draw(*painter_);
        painter_->restore();
        return;
    }
    QPainter painter;
    if (!painter.begin(device_)) return;
    draw(painter);
}

void QtDeviceContext::SelectFont(const FontRequest& request) {
    request_ = request;
    font_ = QtFontForRequest(request);
    lineHeight_ = LineHeightForRequest(request, font_);
    advances_.reset();
}

double QtDeviceContext::CharacterAdvance(uint8_t character) {
    if (!advances_) advances_ = AdvancesFor(request_);
    float& advance = advances_->advance[character];
    if (advance < 0) {
        const QChar unicode(static_cast<char16_t>(Cp1252ToUnicode(character)));
        advance = static_cast<float>(std::max<qreal>(0, QFontMetricsF(font_).horizontalAdvance(unicode)));
    }
    return advance;
}

Size QtDeviceContext::MeasureText(std::string_view text) {
    const QString line = ToQString(text);
    // A line of a font whose advances are kept is measured from them, without Qt shaping it.
    if (const std::optional<int> width = text_raster::Width(font_, line)) return {*width, lineHeight_};
    QFontMetrics metrics(font_);
    return {metrics.horizontalAdvance(line), lineHeight_};
}

void QtDeviceContext::DrawTextLine(int32_t x, int32_t y, std::string_view text, const Rect& clip) {
    if (clip.IsEmpty() || text.empty()) return;
    const QString line = ToQString(text);
    // Over a transparent background, a line goes straight into the pixels of the painter's image when it
    // can, with the pixels Qt would give it.
    if (painter_ && transparent_ &&
        text_raster::DrawLine(*painter_, font_, QPoint(x, y + QFontMetrics(font_).ascent()), line,
                              FromColorref(textColour_), ToQRect(clip)))
        return;
    Paint([&](QPainter& painter) {
        painter.setClipRect(ToQRect(clip), Qt::IntersectClip);
        QFontMetrics metrics(font_);
        if (!transparent_) {
            QRect cell(x, y, metrics.horizontalAdvance(line), lineHeight_);
            painter.fillRect(cell, FromColorref(backgroundColour_));
        }
        painter.setFont(font_);
        painter.setPen(FromColorref(textColour_));
        painter.drawText(QPoint(x, y + metrics.ascent()), line);
    });
}

void QtDeviceContext::StretchDib(const DibView& dib, const Rect& destination, const Rect& source) {
    if (!ValidDib(dib) || destination.IsEmpty() || source.IsEmpty()) return;
    // Only the pixels that can show are computed, so a huge destination costs no more than the device.
    const Rect visible = destination.Intersect(ClipBox());
    if (visible.IsEmpty()) return;
    const int32_t dw = destination.Width(), dh = destination.Height();
    const int32_t sw = source.Width(), sh = source.Height();
    if (dw == sw && dh == sh &&
        CopyDibRows(dib, visible, source.left - destination.left, source.top - destination.top))
        return;
    QImage part(visible.Width(), visible.Height(), QImage::Format_ARGB32_Premultiplied);
    if (part.isNull()) return;
    for (int32_t y = visible.top; y < visible.bottom; ++y) {
        auto* out = reinterpret_cast<QRgb*>(part.scanLine(y - visible.top));
        const int32_t sy = Nearest(y - destination.top, dh, source.top, sh);
        for (int32_t x = visible.left; x < visible.right; ++x) {
            const int32_t sx = Nearest(x - destination.left, dw, source.left, sw);
            // Source pixels outside the DIB leave the destination as it was.
            const bool inside = sx >= 0 && sx < dib.width && sy >= 0 && sy < dib.height;
            out[x - visible.left] = inside ? DibPixel(dib, sx, sy) : qRgba(0, 0, 0, 0);
        }
    }
    Paint([&](QPainter& painter) {
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        painter.drawImage(QPoint(visible.left, visible.top), part);
    });
}

bool QtDeviceContext::CopyDibRows(const DibView& dib, const Rect& visible, int32_t dx, int32_t dy) {
    // Only a part that lies wholly inside the DIB is opaque everywhere; the general path keeps what is
    // under the pixels outside it.
    const int64_t left64 = int64_t{visible.left} + dx, top64 = int64_t{visible.top} + dy;
    if (left64 < 0 || top64 < 0 || left64 + visible.Width() > dib.width ||
        top64 + visible.Height() > dib.height)
        return false;
    const int32_t left = static_cast<int32_t>(left64), top = static_cast<int32_t>(top64);
    QImage part(visible.Width(), visible.Height(), QImage::Format_RGB32);
    if (part.isNull() || !CopyDibInto(dib, {left, top, left + visible.Width(), top + visible.Height()}, part))
        return false;
    Paint([&](QPainter& painter) { painter.drawImage(QPoint(visible.left, visible.top), part); });
    return true;
}

Rect QtDeviceContext::ClipBox() const {
    QPaintDevice* device = painter_ ? painter_->device() : device_;
    if (!device) return {};
    QRectF area(0, 0, device->width(), device->height());
    if (painter_) {
        area = painter_->combinedTransform().inverted().mapRect(area);
        if (painter_->hasClipping()) area = area.intersected(painter_->clipBoundingRect());
    }
    QRect r = area.toAlignedRect();
    return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

QtImageDeviceContext::QtImageDeviceContext(int width, int height)
    : detail::ImageHolder(QImage(std::max(1, width), std::max(1, height), QImage::Format_RGB32)),
      QtDeviceContext(static_cast<QPaintDevice&>(image)) {
    image.fill(Qt::white);
}

std::unique_ptr<DeviceContext> QtScreenContextFactory::CreateScreenContext() {
    return std::make_unique<QtImageDeviceContext>(16, 16);
}

}  // namespace platform
