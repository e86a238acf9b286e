#include <gtest/gtest.h>

#include "editor/RectTracker.h"

namespace {

using Hit = CRectTracker::Hit;
using platform::Rect;

TEST(RectTrackerTest, HandlesLieInsideTheCornersAndEdgeMiddles) {
    CRectTracker tracker({10, 20, 50, 60});
    EXPECT_EQ(tracker.HandleRect(Hit::topLeft), (Rect{10, 20, 13, 23}));
    EXPECT_EQ(tracker.HandleRect(Hit::bottomRight), (Rect{47, 57, 50, 60}));
    EXPECT_EQ(tracker.HandleRect(Hit::top), (Rect{28, 20, 31, 23}));
    EXPECT_EQ(tracker.HandleRect(Hit::left), (Rect{10, 38, 13, 41}));
    EXPECT_EQ(tracker.HitTest({11, 21}), Hit::topLeft);
    EXPECT_EQ(tracker.HitTest({49, 59}), Hit::bottomRight);
    EXPECT_EQ(tracker.HitTest({48, 40}), Hit::right);
    EXPECT_EQ(tracker.HitTest({30, 45}), Hit::middle);
    EXPECT_EQ(tracker.HitTest({8, 40}), Hit::middle) << "the hatched border outside grabs the whole";
    EXPECT_EQ(tracker.HitTest({6, 40}), Hit::none);
    EXPECT_EQ(tracker.DrawnArea(), (Rect{7, 17, 53, 63}));
}

TEST(RectTrackerTest, EdgeHandlesMoveOneEdgeAndTheSizeNeverFallsBelowEight) {
    CRectTracker tracker({10, 20, 50, 60});
    tracker.BeginTrack(Hit::top, {30, 21});
    tracker.TrackTo({90, 11});
    EXPECT_EQ(tracker.GetRect(), (Rect{10, 10, 50, 60})) << "the top handle moves only the top";
    tracker.TrackTo({30, 200});
    EXPECT_EQ(tracker.GetRect(), (Rect{10, 52, 50, 60}));
    EXPECT_TRUE(tracker.EndTrack());

    tracker.SetRect({10, 20, 50, 60});
    tracker.BeginTrack(Hit::left, {11, 40});
    tracker.TrackTo({100, 40});
    EXPECT_EQ(tracker.GetRect(), (Rect{42, 20, 50, 60}));
    tracker.TrackTo({11, 40});
    EXPECT_FALSE(tracker.EndTrack()) << "back where it started: no change";
}

TEST(RectTrackerTest, TheMiddleMovesTheWholeRectangle) {
    CRectTracker tracker({10, 20, 50, 60});
    tracker.BeginTrack(Hit::middle, {30, 40});
    EXPECT_TRUE(tracker.IsTracking());
    tracker.TrackTo({25, 100});
    EXPECT_EQ(tracker.GetRect(), (Rect{5, 80, 45, 120}));
    EXPECT_EQ(tracker.StartRect(), (Rect{10, 20, 50, 60}));
    EXPECT_TRUE(tracker.EndTrack());
    EXPECT_FALSE(tracker.IsTracking());
}

}  // namespace
