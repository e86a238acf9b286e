#include "editor/RectTracker.h"

#include <array>

namespace {

using Hit = CRectTracker::Hit;
constexpr std::array<Hit, 8> kHandles{Hit::topLeft,     Hit::top,    Hit::topRight,   Hit::right,
                                      Hit::bottomRight, Hit::bottom, Hit::bottomLeft, Hit::left};

bool MovesLeft(Hit h) {
    return h == Hit::topLeft || h == Hit::left || h == Hit::bottomLeft || h == Hit::middle;
}
bool MovesRight(Hit h) {
    return h == Hit::topRight || h == Hit::right || h == Hit::bottomRight || h == Hit::middle;
}
bool MovesTop(Hit h) {
    return h == Hit::topLeft || h == Hit::top || h == Hit::topRight || h == Hit::middle;
}
bool MovesBottom(Hit h) {
    return h == Hit::bottomLeft || h == Hit::bottom || h == Hit::bottomRight || h == Hit::middle;
}

}  // namespace

platform::Rect CRectTracker::HandleRect(Hit handle) const {
    const platform::Rect r = rect_.Normalized();
    const int32_t s = kHandleSize;
    const int32_t midX = r.left + (r.Width() - s) / 2, midY = r.top + (r.Height() - s) / 2;
    int32_t x = 0, y = 0;
    switch (handle) {
        case Hit::topLeft:
            x = r.left, y = r.top;
            break;
        case Hit::top:
            x = midX, y = r.top;
            break;
        case Hit::topRight:
            x = r.right - s, y = r.top;
            break;
        case Hit::right:
            x = r.right - s, y = midY;
            break;
        case Hit::bottomRight:
            x = r.right - s, y = r.bottom - s;
            break;
        case Hit::bottom:
            x = midX, y = r.bottom - s;
            break;
        case Hit::bottomLeft:
            x = r.left, y = r.bottom - s;
            break;
        case Hit::left:
            x = r.left, y = midY;
            break;
        default:
            return {};
    }
    return {x, y, x + s, y + s};
}

CRectTracker::Hit CRectTracker::HitTest(const platform::Point& p) const {
    for (Hit h : kHandles)
        if (HandleRect(h).Contains(p.x, p.y)) return h;
    return DrawnArea().Normalized().Contains(p.x, p.y) ? Hit::middle : Hit::none;
}

void CRectTracker::BeginTrack(Hit handle, const platform::Point& at) {
    tracking_ = handle;
    start_ = rect_;
    grab_ = at;
}

void CRectTracker::TrackTo(const platform::Point& at) {
    if (tracking_ == Hit::none) return;
    const int32_t dx = at.x - grab_.x, dy = at.y - grab_.y;
    platform::Rect r = start_;
    if (MovesLeft(tracking_)) r.left += dx;
    if (MovesRight(tracking_)) r.right += dx;
    if (MovesTop(tracking_)) r.top += dy;
    if (MovesBottom(tracking_)) r.bottom += dy;
    if (tracking_ != Hit::middle) {
        if (r.Width() < kMinSize) {
            if (MovesLeft(tracking_))
                r.left = r.right - kMinSize;
            else
                r.right = r.left + kMinSize;
        }
        if (r.Height() < kMinSize) {
            if (MovesTop(tracking_))
                r.top = r.bottom - kMinSize;
            else
                r.bottom = r.top + kMinSize;
        }
    }
    rect_ = r;
}

bool CRectTracker::EndTrack() {
    tracking_ = Hit::none;
    return !(rect_ == start_);
}
