#include "player/SpriteDetails.h"

#include <algorithm>
#include <memory>

#include "engine/PhasedSprite.h"
#include "engine/Sprite.h"
#include "engine/SpriteList.h"
#include "imaging/Dib.h"
#include "model/Actions.h"
#include "model/AnimDoc.h"
#include "player/CardView.h"
#include "player/Overlay.h"

namespace {

constexpr int32_t kPadding = 4;
// Far enough from the pointer that the cursor does not cover the first line.
constexpr int32_t kOffsetX = 14;
constexpr int32_t kOffsetY = 18;

platform::FontRequest BoxFont() {
    platform::FontRequest font;
    font.height = 14;
    font.faceName = "Arial";
    return font;
}

// The label of a code, or the bare number for a code outside the list.
template <size_t N>
std::string Label(const std::array<const char*, N>& labels, int32_t code) {
    if (code >= 0 && static_cast<size_t>(code) < N) return labels[static_cast<size_t>(code)];
    return std::to_string(code) + " (no such action)";
}

// The arguments up to the last one that is not empty, quoted.
std::string Arguments(const std::string* arguments, size_t count) {
    while (count > 0 && arguments[count - 1].empty()) --count;
    if (count == 0) return "";
    std::string text = " (";
    for (size_t i = 0; i < count; ++i) text += (i ? ", \"" : "\"") + arguments[i] + "\"";
    return text + ")";
}

}  // namespace

void CInspector::Toggle() {
    on_ = !on_;
    Refresh();
}

void CInspector::PointerMoved(const platform::Point& point) {
    pointer_ = point;
}

std::vector<std::string> CInspector::Describe(const CSprite* sprite, const platform::Point& point) {
    std::vector<std::string> lines{"x " + std::to_string(point.x) + ", y " + std::to_string(point.y)};
    if (!sprite) {
        lines.push_back("No sprite");
        return lines;
    }
    std::string head =
        "Sprite " + std::to_string(sprite->GetNumber()) + "   plane " + std::to_string(sprite->GetPlane());
    if (const auto* phased = dynamic_cast<const CPhasedSprite*>(sprite)) {
        head += "   frame " + std::to_string(phased->GetCurrentFrame());
        if (phased->GetNumColumns() > 1) head += "   column " + std::to_string(phased->GetCurrentColumn());
    }
    lines.push_back(head);
    lines.push_back("Click: " + Label(kClickActionLabels, sprite->GetClickAction()) +
                    Arguments(sprite->GetClickArguments().data(), sprite->GetClickArguments().size()));
    // A move action reads its first argument only.
    lines.push_back("Move: " + Label(kMoveActionLabels, sprite->GetMoveAction()) +
                    Arguments(sprite->GetMoveArguments().data(), 1));
    return lines;
}

platform::Rect CInspector::PlaceBox(platform::Size size) const {
    const CDIB* buffer = view_.GetBuffer();
    const int32_t w = buffer && buffer->HasImage() ? buffer->GetWidth() : 640;
    const int32_t h = buffer && buffer->HasImage() ? buffer->GetHeight() : 480;
    const platform::Point p = *pointer_;
    // Right of and below the pointer, or on the other side where the card ends.
    int32_t x = p.x + kOffsetX, y = p.y + kOffsetY;
    if (x + size.cx > w) x = p.x - 4 - size.cx;
    if (y + size.cy > h) y = p.y - 4 - size.cy;
    x = std::max(0, x);
    y = std::max(0, y);
    return {x, y, x + size.cx, y + size.cy};
}

void CInspector::Refresh() {
    std::vector<std::string> lines;
    platform::Rect box;
    CAnimDoc* doc = view_.GetSceneDocument();
    if (on_ && pointer_ && doc) {
        lines = Describe(doc->GetSpriteList().HitTest(pointer_->x, pointer_->y), *pointer_);
        // Measured where it is decided, so that the box painted later is exactly the box repainted now.
        std::unique_ptr<platform::DeviceContext> measure = platform::ScreenContexts().CreateScreenContext();
        measure->SelectFont(BoxFont());
        platform::Size size{0, 0};
        for (const std::string& line : lines) {
            const platform::Size extent = measure->MeasureText(line);
            size.cx = std::max(size.cx, extent.cx);
            lineHeight_ = extent.cy;
        }
        size.cx += 2 * kPadding;
        size.cy = static_cast<int32_t>(lines.size()) * lineHeight_ + 2 * kPadding;
        box = PlaceBox(size);
    }
    if (lines == lines_ && box == box_) return;
    const platform::Rect old = box_;
    lines_ = std::move(lines);
    box_ = box;
    if (!old.IsEmpty()) view_.DrawBuffer(old);
    if (!box_.IsEmpty()) view_.DrawBuffer(box_);
}

void CInspector::Paint(platform::DeviceContext& dc) const {
    if (box_.IsEmpty()) return;
    overlay::FillRect(dc, box_, kBoxColour);
    overlay::FrameRect(dc, box_, 1, kEdgeColour);
    dc.SelectFont(BoxFont());
    dc.SetTextColor(kTextColour);
    dc.SetTransparentBackground(true);
    for (size_t i = 0; i < lines_.size(); ++i)
        dc.DrawTextLine(box_.left + kPadding, box_.top + kPadding + static_cast<int32_t>(i) * lineHeight_,
                        lines_[i], box_);
}
