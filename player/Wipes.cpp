#include "player/Wipes.h"

#include <algorithm>
#include <chrono>
#include <thread>

using platform::Point;
using platform::Rect;

namespace {

// The wipes' sizes and timings of the slide show.
constexpr int32_t kWipePiece = 5;
constexpr int kSlowStepMs = 30;
constexpr int kFastStepMs = 10;

bool Usable(int32_t width, int32_t height, int32_t piece) {
    return width > 0 && height > 0 && piece > 0;
}

WipeSequence NewSequence(int32_t x0, int32_t y0, int32_t width, int32_t height, int delayMs) {
    WipeSequence wipe;
    wipe.area = {x0, y0, x0 + width, y0 + height};
    wipe.delayMs = delayMs;
    return wipe;
}

// Adds the rectangle x, y, w, h of the window to the step, clipped to the picture's area. Pieces with
// no extent left (the innermost frame lines, strips past the edge) are dropped: they copy nothing.
void AddPiece(WipeStep& step, const Rect& area, int32_t x, int32_t y, int32_t w, int32_t h) {
    if (w <= 0 || h <= 0) return;
    Rect piece = Rect{x, y, x + w, y + h}.Intersect(area);
    if (!piece.IsEmpty()) step.rects.push_back(piece);
}

// The first far strip of the column and row wipes: the last strip whose index has the other parity
// than strip 0, so that the two ends of one step never meet on the same strip.
int32_t FirstFarStrip(int32_t extent, int32_t strip) {
    int32_t k = extent / strip;
    if (extent % strip != 0) {
        if (k % 2 == 0) k -= 1;
        return k * strip;
    }
    return k % 2 == 0 ? extent - strip : extent - 2 * strip;
}

void AddFrame(WipeStep& step, const Rect& area, int32_t width, int32_t height, int32_t i) {
    AddPiece(step, area, i, i, width - 2 * i, 1);
    AddPiece(step, area, i, i, 1, height - 2 * i);
    AddPiece(step, area, i, height - i, width - 2 * i + 1, 1);
    AddPiece(step, area, width - i, i, 1, height - 2 * i + 1);
}

WipeStep BlocksFromTop(const Rect& area, int32_t width, int32_t height, int32_t s, int32_t t) {
    WipeStep step;
    const int32_t columns = std::min(width / s, t);
    int32_t r = t - columns;
    int32_t c = columns - 1;
    for (; (r + 1) * s <= height; --c, ++r) AddPiece(step, area, c * s, r * s, s, s);
    return step;
}

WipeStep BlocksFromBottom(const Rect& area, int32_t width, int32_t height, int32_t s, int32_t t, int32_t n) {
    WipeStep step;
    int32_t r = height / s - 1;
    int32_t c = width / s - t + (n % 2 == 0 ? 0 : 1);
    for (; (c + 1) * s <= width; ++c, --r) AddPiece(step, area, c * s, r * s, s, s);
    return step;
}

// The band between the lines x + y = a and x + y = b (a < b), measured from the top-left corner.
std::vector<Point> BandFromTop(int32_t width, int32_t height, int32_t a, int32_t b) {
    return {a > width ? Point{width, a - width} : Point{a, 0},
            b > width ? Point{width, b - width} : Point{b, 0},
            b > height ? Point{b - height, height} : Point{0, b},
            a > height ? Point{a - height, height} : Point{0, a}};
}

// The band between the distances a and b (a < b) from the bottom-right corner.
std::vector<Point> BandFromBottom(int32_t width, int32_t height, int32_t a, int32_t b) {
    return {width - a < 0 ? Point{0, height + width - a} : Point{width - a, height},
            width - b < 0 ? Point{0, height + width - b} : Point{width - b, height},
            height - b < 0 ? Point{width + height - b, 0} : Point{width, height - b},
            height - a < 0 ? Point{width + height - a, 0} : Point{width, height - a}};
}

std::vector<Point> BandPolygon(int32_t width, int32_t height, int32_t s, int32_t t, int32_t n) {
    if (t == 1) return {{0, 0}, {s, 0}, {0, s}};
    if (t == 2 && n % 2 == 0) return {{width, height}, {width - s, height}, {width, height - s}};
    if (t % 2 == 1) return BandFromTop(width, height, (t - 1) * s, t * s);
    const int32_t k = n % 2 == 0 ? t - 2 : t - 1;
    return BandFromBottom(width, height, k * s, (k + 1) * s);
}

}  // namespace

WipeSequence WipeColumns(int32_t x0, int32_t y0, int32_t width, int32_t height, int32_t strip, int delayMs) {
    WipeSequence wipe = NewSequence(x0, y0, width, height, delayMs);
    if (!Usable(width, height, strip)) return wipe;
    int32_t right = FirstFarStrip(width, strip) + x0;
    int32_t left = x0;
    // The far end is compared with the origin and the near end with the bare width, so that the step
    // count stays the one the show always had.
    for (; right > x0 || left < width; right -= 2 * strip, left += 2 * strip) {
        WipeStep step;
        AddPiece(step, wipe.area, left, y0, strip, height);
        AddPiece(step, wipe.area, right, y0, strip, height);
        wipe.steps.push_back(std::move(step));
    }
    return wipe;
}

WipeSequence WipeRows(int32_t width, int32_t height, int32_t strip, int delayMs) {
    WipeSequence wipe = NewSequence(0, 0, width, height, delayMs);
    if (!Usable(width, height, strip)) return wipe;
    int32_t bottom = FirstFarStrip(height, strip);
    for (int32_t top = 0; bottom > 0 || top < height; bottom -= 2 * strip, top += 2 * strip) {
        WipeStep step;
        AddPiece(step, wipe.area, 0, top, width, strip);
        AddPiece(step, wipe.area, 0, bottom, width, strip);
        wipe.steps.push_back(std::move(step));
    }
    return wipe;
}

WipeSequence WipeFrames(int32_t width, int32_t height, int delayMs) {
    WipeSequence wipe = NewSequence(0, 0, width, height, delayMs);
    if (!Usable(width, height, 1)) return wipe;
    const int32_t m = std::min(width, height);
    int32_t n = m / 2 + (m % 2 == 0 ? 1 : 0);
    if (n % 2 == 0) n += 1;
    for (int32_t i = 0, j = n; i <= n; i += 2, j -= 2) {
        WipeStep step;
        AddFrame(step, wipe.area, width, height, i);
        if (j >= 0) AddFrame(step, wipe.area, width, height, j);
        wipe.steps.push_back(std::move(step));
    }
    return wipe;
}

WipeSequence WipeDiagonalBlocks(int32_t width, int32_t height, int32_t block, int delayMs) {
    WipeSequence wipe = NewSequence(0, 0, width, height, delayMs);
    if (!Usable(width, height, block)) return wipe;
    const int32_t n = (width + height) / block;
    for (int32_t t = 1; t <= n - 1; ++t)
        wipe.steps.push_back(t % 2 == 1 ? BlocksFromTop(wipe.area, width, height, block, t)
                                        : BlocksFromBottom(wipe.area, width, height, block, t, n));
    return wipe;
}

WipeSequence WipeDiagonalBands(int32_t width, int32_t height, int32_t band, int delayMs) {
    WipeSequence wipe = NewSequence(0, 0, width, height, delayMs);
    if (!Usable(width, height, band)) return wipe;
    const int32_t n = (width + height) / band;
    for (int32_t t = 1; t <= n; ++t) {
        WipeStep step;
        step.polygon = BandPolygon(width, height, band, t, n);
        wipe.steps.push_back(std::move(step));
    }
    return wipe;
}

WipeSequence WipeForEffect(int effect, int32_t width, int32_t height) {
    switch (effect) {
        case 0:
            return WipeColumns(0, 0, width, height, kWipePiece, kSlowStepMs);
        case 1:
            return WipeFrames(width, height, kFastStepMs);
        case 3:
            return WipeDiagonalBlocks(width, height, kWipePiece, kFastStepMs);
        case 4:
            return WipeRows(width, height, kWipePiece, kSlowStepMs);
        default:  // 2, 5 and anything else
            return WipeDiagonalBands(width, height, kWipePiece, kFastStepMs);
    }
}

int NextEffect(int effect) {
    return effect < kSlideEffectCount - 1 ? effect + 1 : 0;
}

uint64_t SteadyWipeClock::NowMs() {
    using namespace std::chrono;
    return static_cast<uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void SteadyWipeClock::WaitUntil(uint64_t deadlineMs) {
    using namespace std::chrono;
    std::this_thread::sleep_until(steady_clock::time_point(milliseconds(deadlineMs)));
}

size_t PlayWipe(const WipeSequence& wipe, WipeClock& clock, const WipeStepPainter& paint) {
    uint64_t deadline = clock.NowMs();
    size_t played = 0;
    for (const WipeStep& step : wipe.steps) {
        if (!paint(step)) break;
        ++played;
        deadline += static_cast<uint64_t>(std::max(wipe.delayMs, 0));
        clock.WaitUntil(deadline);
    }
    return played;
}
