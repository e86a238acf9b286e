#pragma once

#include "platform/Geometry.h"

// The frame with resize handles that the current text carries: a hatched border just outside the
// rectangle and eight small square handles inside it (corners and edge middles). A press on it starts a
// move or a resize that follows the pointer until the button comes up; the rectangle never gets smaller
// than the minimum size.
class CRectTracker {
  public:
    static constexpr int kHandleSize = 3;
    static constexpr int kMinSize = 8;

    // What a point of the tracker grabs. The edges a handle moves follow from its name.
    enum class Hit { none, topLeft, top, topRight, right, bottomRight, bottom, bottomLeft, left, middle };

    CRectTracker() = default;
    explicit CRectTracker(const platform::Rect& rect) : rect_(rect) {}

    const platform::Rect& GetRect() const { return rect_; }
    void SetRect(const platform::Rect& rect) { rect_ = rect; }

    // Handles first, then the inside and the hatched border around it.
    Hit HitTest(const platform::Point& p) const;
    // The square of a handle (none and middle give an empty rectangle).
    platform::Rect HandleRect(Hit handle) const;
    // Everything the tracker draws on: the rectangle grown by the border.
    platform::Rect DrawnArea() const { return rect_.Inflate(kHandleSize); }

    // A move or resize with `handle`, grabbed at `at`.
    void BeginTrack(Hit handle, const platform::Point& at);
    bool IsTracking() const { return tracking_ != Hit::none; }
    Hit Tracking() const { return tracking_; }
    // The rectangle for the pointer at `at`: the grabbed edges follow the pointer, the size stays at least
    // kMinSize in each direction (the edge that does not move holds its place).
    void TrackTo(const platform::Point& at);
    // Ends the track; true when the rectangle differs from the one it started with.
    bool EndTrack();
    // The rectangle the track started from.
    const platform::Rect& StartRect() const { return start_; }

  private:
    platform::Rect rect_;
    platform::Rect start_;
    platform::Point grab_;
    Hit tracking_ = Hit::none;
};
