#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/Geometry.h"

// The five wipes of the slide show, each one a fixed sequence of steps that uncovers the new picture
// piece by piece. The sequences are computed apart from any window, so that what each wipe copies can be
// checked exactly; PlayWipe then paces a sequence on a clock and hands each step to whoever draws it.

// One step of a wipe: the pieces of the new picture that appear together before the step's wait.
struct WipeStep {
    // Window rectangles, each copied from the same place of the picture (offset by the wipe's origin).
    // Pieces that would fall outside the picture's area are already clipped away.
    std::vector<platform::Rect> rects;
    // When not empty, the step instead copies the whole picture clipped to this polygon, filled with
    // the alternate (even-odd) rule.
    std::vector<platform::Point> polygon;
};

struct WipeSequence {
    // Where the picture lies in the window; a window pixel (x, y) of it comes from the picture's pixel
    // (x - area.left, y - area.top).
    platform::Rect area;
    int delayMs = 0;  // time between the starts of two steps
    std::vector<WipeStep> steps;
};

// Strips of `strip` columns: even-numbered strips appear from left to right while odd-numbered strips
// appear from right to left, two strips per step (64 steps for 640 x 480 with strips of 5).
WipeSequence WipeColumns(int32_t x0, int32_t y0, int32_t width, int32_t height, int32_t strip, int delayMs);
// The same on rows of `strip` lines, from the top and from the bottom (48 steps for 480 rows with 5).
WipeSequence WipeRows(int32_t width, int32_t height, int32_t strip, int delayMs);
// One-pixel frames: even insets close in from the edge while odd insets open out from the centre
// (121 steps for 640 x 480).
WipeSequence WipeFrames(int32_t width, int32_t height, int delayMs);
// Square blocks along the anti-diagonals, alternately from the top-left and from the bottom-right
// corner (223 steps for 640 x 480 with blocks of 5).
WipeSequence WipeDiagonalBlocks(int32_t width, int32_t height, int32_t block, int delayMs);
// Diagonal bands as polygons, alternately from the top-left and from the bottom-right corner (224 steps
// for 640 x 480 with bands of 5).
WipeSequence WipeDiagonalBands(int32_t width, int32_t height, int32_t band, int delayMs);

// The slide show's effects, in the order they rotate: 0 columns, 1 frames, 2 diagonal bands, 3 diagonal
// blocks, 4 rows, 5 diagonal bands again. Any other index also gives the diagonal bands.
constexpr int kSlideEffectCount = 6;
WipeSequence WipeForEffect(int effect, int32_t width, int32_t height);
// The effect after `effect` in the rotation: one more below 5, else 0.
int NextEffect(int effect);

// A monotonic millisecond clock that the wipes pace themselves on. The wait must process no events:
// a wipe holds the thread for its whole duration, as the show always did.
class WipeClock {
  public:
    virtual ~WipeClock() = default;
    virtual uint64_t NowMs() = 0;
    // Returns once NowMs() has reached `deadlineMs` (at once when it already has).
    virtual void WaitUntil(uint64_t deadlineMs) = 0;
};

// The real clock: the system's steady clock, sleeping out each wait.
class SteadyWipeClock : public WipeClock {
  public:
    uint64_t NowMs() override;
    void WaitUntil(uint64_t deadlineMs) override;
};

// Draws one step; false when it could not be drawn, which ends the wipe at once.
using WipeStepPainter = std::function<bool(const WipeStep&)>;

// Plays the steps in order. The deadline is taken from the clock once at the start and advances by the
// step delay after each step, and each step waits until its deadline, so that slow drawing does not
// stretch the whole wipe. Returns the number of steps drawn.
size_t PlayWipe(const WipeSequence& wipe, WipeClock& clock, const WipeStepPainter& paint);
