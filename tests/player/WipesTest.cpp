#include <gtest/gtest.h>

#include <QRegion>
#include <chrono>
#include <functional>
#include <vector>

#include "player/SlideShowDlg.h"
#include "player/Wipes.h"
#include "tests/player/FakeWipeClock.h"

using platform::Point;
using platform::Rect;
using player_test::FakeWipeClock;

namespace {

std::vector<Rect> RectsOf(const WipeSequence& wipe, size_t step) {
    return wipe.steps.at(step).rects;
}

QRegion Covered(const WipeSequence& wipe) {
    QRegion all;
    for (const WipeStep& step : wipe.steps) all += WipeStepRegion(step, wipe.area);
    return all;
}

}  // namespace

TEST(Wipes, StepCountsAndDelaysOfTheSlideShowEffects) {
    EXPECT_EQ(WipeColumns(0, 0, 640, 480, 5, 30).steps.size(), 64u);
    EXPECT_EQ(WipeFrames(640, 480, 10).steps.size(), 121u);
    EXPECT_EQ(WipeDiagonalBlocks(640, 480, 5, 10).steps.size(), 223u);
    EXPECT_EQ(WipeDiagonalBands(640, 480, 5, 10).steps.size(), 224u);
    EXPECT_EQ(WipeRows(640, 480, 5, 30).steps.size(), 48u);

    struct Expected {
        int effect;
        size_t steps;
        int delay;
    };
    // Effect 5 and unknown indices fall back on the diagonal bands.
    for (Expected e : {Expected{0, 64, 30},
                       {1, 121, 10},
                       {2, 224, 10},
                       {3, 223, 10},
                       {4, 48, 30},
                       {5, 224, 10},
                       {6, 224, 10},
                       {-1, 224, 10}}) {
        WipeSequence wipe = WipeForEffect(e.effect, 640, 480);
        EXPECT_EQ(wipe.steps.size(), e.steps) << "effect " << e.effect;
        EXPECT_EQ(wipe.delayMs, e.delay) << "effect " << e.effect;
        EXPECT_EQ(wipe.area, (Rect{0, 0, 640, 480}));
    }
}

TEST(Wipes, EffectsRotateThroughSixAndBackToZero) {
    std::vector<int> seen;
    for (int effect = 0, i = 0; i < 8; ++i) seen.push_back(effect = NextEffect(effect));
    EXPECT_EQ(seen, (std::vector<int>{1, 2, 3, 4, 5, 0, 1, 2}));
}

TEST(Wipes, ColumnAndRowStripsComeFromBothEnds) {
    WipeSequence columns = WipeColumns(0, 0, 640, 480, 5, 30);
    EXPECT_EQ(RectsOf(columns, 0), (std::vector<Rect>{{0, 0, 5, 480}, {635, 0, 640, 480}}));
    EXPECT_EQ(RectsOf(columns, 1), (std::vector<Rect>{{10, 0, 15, 480}, {625, 0, 630, 480}}));
    EXPECT_EQ(RectsOf(columns, 63), (std::vector<Rect>{{630, 0, 635, 480}, {5, 0, 10, 480}}));

    WipeSequence rows = WipeRows(640, 480, 5, 30);
    EXPECT_EQ(RectsOf(rows, 0), (std::vector<Rect>{{0, 0, 640, 5}, {0, 475, 640, 480}}));
    EXPECT_EQ(RectsOf(rows, 47), (std::vector<Rect>{{0, 470, 640, 475}, {0, 5, 640, 10}}));

    // With an odd number of strips the far end starts two strips from the edge.
    WipeSequence odd = WipeColumns(0, 0, 15, 4, 5, 30);
    ASSERT_EQ(odd.steps.size(), 2u);
    EXPECT_EQ(RectsOf(odd, 0), (std::vector<Rect>{{0, 0, 5, 4}, {5, 0, 10, 4}}));
    EXPECT_EQ(RectsOf(odd, 1), (std::vector<Rect>{{10, 0, 15, 4}}));  // the far strip fell off the left

    // An origin moves the strips in the window; they still come from the picture's own columns.
    WipeSequence moved = WipeColumns(100, 50, 640, 480, 5, 30);
    EXPECT_EQ(moved.area, (Rect{100, 50, 740, 530}));
    EXPECT_EQ(RectsOf(moved, 0), (std::vector<Rect>{{100, 50, 105, 530}, {735, 50, 740, 530}}));
}

TEST(Wipes, FramesCloseInAndOpenOutWithoutEmptyLines) {
    WipeSequence frames = WipeFrames(640, 480, 10);
    // Inset 0 lies on the window's edge: its bottom and right lines fall just outside and copy nothing.
    // Inset 241 is the innermost: its upright lines have no height left.
    EXPECT_EQ(
        RectsOf(frames, 0),
        (std::vector<Rect>{{0, 0, 640, 1}, {0, 0, 1, 480}, {241, 241, 399, 242}, {241, 239, 400, 240}}));
    EXPECT_EQ(RectsOf(frames, 120), (std::vector<Rect>{{240, 240, 400, 241},
                                                       {240, 240, 401, 241},
                                                       {400, 240, 401, 241},
                                                       {1, 1, 639, 2},
                                                       {1, 1, 2, 479},
                                                       {1, 479, 640, 480},
                                                       {639, 1, 640, 480}}));
    for (const WipeStep& step : frames.steps)
        for (const Rect& r : step.rects) {
            EXPECT_FALSE(r.IsEmpty());
            EXPECT_EQ(r.Intersect(frames.area), r);
        }
}

TEST(Wipes, DiagonalBlocksAlternateBetweenTheCorners) {
    WipeSequence blocks = WipeDiagonalBlocks(640, 480, 5, 10);
    EXPECT_EQ(RectsOf(blocks, 0), (std::vector<Rect>{{0, 0, 5, 5}}));
    EXPECT_EQ(RectsOf(blocks, 1), (std::vector<Rect>{{630, 475, 635, 480}, {635, 470, 640, 475}}));
    EXPECT_EQ(RectsOf(blocks, 2), (std::vector<Rect>{{10, 0, 15, 5}, {5, 5, 10, 10}, {0, 10, 5, 15}}));
    // The diagonal next to the first block comes from the bottom-right side, one step before the end.
    EXPECT_EQ(RectsOf(blocks, 221), (std::vector<Rect>{{0, 5, 5, 10}, {5, 0, 10, 5}}));
    // With an even number of diagonals the bottom-right corner block comes last, from the top-left side.
    EXPECT_EQ(RectsOf(blocks, 222), (std::vector<Rect>{{635, 475, 640, 480}}));

    // With an odd number the corner block comes at step 2.
    WipeSequence odd = WipeDiagonalBlocks(10, 5, 5, 10);  // N = 3
    ASSERT_EQ(odd.steps.size(), 2u);
    EXPECT_EQ(RectsOf(odd, 0), (std::vector<Rect>{{0, 0, 5, 5}}));
    EXPECT_EQ(RectsOf(odd, 1), (std::vector<Rect>{{5, 0, 10, 5}}));
}

TEST(Wipes, DiagonalBandsArePolygonsFromBothCorners) {
    WipeSequence bands = WipeDiagonalBands(640, 480, 5, 10);
    for (const WipeStep& step : bands.steps) EXPECT_TRUE(step.rects.empty());
    EXPECT_EQ(bands.steps[0].polygon, (std::vector<Point>{{0, 0}, {5, 0}, {0, 5}}));
    EXPECT_EQ(bands.steps[1].polygon, (std::vector<Point>{{640, 480}, {635, 480}, {640, 475}}));
    EXPECT_EQ(bands.steps[2].polygon, (std::vector<Point>{{10, 0}, {15, 0}, {0, 15}, {0, 10}}));
    EXPECT_EQ(bands.steps[3].polygon, (std::vector<Point>{{630, 480}, {625, 480}, {640, 465}, {640, 470}}));
    // Past the width the top points move down the right edge.
    EXPECT_EQ(bands.steps[130].polygon,
              (std::vector<Point>{{640, 10}, {640, 15}, {175, 480}, {170, 480}}));  // t = 131
    // The last step is the band next to the top-left triangle.
    EXPECT_EQ(bands.steps[223].polygon, (std::vector<Point>{{0, 10}, {0, 5}, {5, 0}, {10, 0}}));
}

TEST(Wipes, EveryEffectUncoversTheWholeWindowAndNothingElse) {
    const QRegion window(0, 0, 640, 480);
    for (int effect = 0; effect < kSlideEffectCount; ++effect) {
        WipeSequence wipe = WipeForEffect(effect, 640, 480);
        EXPECT_EQ(Covered(wipe), window) << "effect " << effect;
    }
}

TEST(Wipes, UnusableSizesGiveNoSteps) {
    EXPECT_TRUE(WipeColumns(0, 0, 640, 480, 0, 30).steps.empty());
    EXPECT_TRUE(WipeRows(640, 0, 5, 30).steps.empty());
    EXPECT_TRUE(WipeFrames(0, 480, 10).steps.empty());
    EXPECT_TRUE(WipeDiagonalBlocks(640, 480, -5, 10).steps.empty());
    EXPECT_TRUE(WipeDiagonalBands(-1, 480, 5, 10).steps.empty());
}

TEST(WipePacing, EachStepWaitsForItsOwnDeadline) {
    FakeWipeClock clock(1000);
    WipeSequence wipe = WipeFrames(640, 480, 10);
    size_t drawn = 0;
    // Drawing takes 7 ms of the 10 ms of each step; the deadlines do not move for it.
    size_t played = PlayWipe(wipe, clock, [&](const WipeStep&) {
        ++drawn;
        clock.now += 7;
        return true;
    });
    EXPECT_EQ(played, 121u);
    EXPECT_EQ(drawn, 121u);
    ASSERT_EQ(clock.deadlines.size(), 121u);
    for (size_t k = 0; k < clock.deadlines.size(); ++k) EXPECT_EQ(clock.deadlines[k], 1000 + 10 * (k + 1));
    EXPECT_EQ(clock.now, 1000u + 121 * 10);
    EXPECT_EQ(clock.waited, 121u * 3);
}

TEST(WipePacing, AStepLaterThanItsDeadlineIsNotMadeUpByTheNextOnes) {
    FakeWipeClock clock(1000);
    WipeSequence wipe = WipeRows(640, 480, 5, 30);
    int step = 0;
    // The fifth step takes 100 ms; the steps after it catch up on the schedule instead of shifting it.
    PlayWipe(wipe, clock, [&](const WipeStep&) {
        if (step++ == 4) clock.now += 100;
        return true;
    });
    EXPECT_EQ(clock.now, 1000u + 48 * 30);
    EXPECT_EQ(clock.deadlines.back(), 1000u + 48 * 30);
}

TEST(WipePacing, AFailedCopyEndsTheWipeAtOnce) {
    FakeWipeClock clock(1000);
    WipeSequence wipe = WipeColumns(0, 0, 640, 480, 5, 30);
    int calls = 0;
    size_t played = PlayWipe(wipe, clock, [&](const WipeStep&) { return ++calls < 5; });
    EXPECT_EQ(calls, 5);
    EXPECT_EQ(played, 4u);
    EXPECT_EQ(clock.deadlines.size(), 4u);
}

TEST(WipePacing, TheSteadyClockSleepsUntilTheDeadline) {
    SteadyWipeClock clock;
    const uint64_t start = clock.NowMs();
    const auto before = std::chrono::steady_clock::now();
    clock.WaitUntil(start + 20);
    EXPECT_GE(clock.NowMs(), start + 20);
    EXPECT_GE(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(19));
    // A deadline already passed returns at once.
    const auto again = std::chrono::steady_clock::now();
    clock.WaitUntil(start);
    EXPECT_LT(std::chrono::steady_clock::now() - again, std::chrono::milliseconds(15));
}
