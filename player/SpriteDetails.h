#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/DeviceContext.h"
#include "platform/Geometry.h"

class CPlayerCardView;
class CSprite;

// The inspector, for authors: beside the pointer, a box that says which sprite a click there reaches,
// with its number, plane and frame and its click and move actions by their labels with their arguments.
// It is drawn over the card, never into it, and it is off until the key turns it on.
class CInspector {
  public:
    explicit CInspector(CPlayerCardView& view) : view_(view) {}

    void Toggle();
    bool IsOn() const { return on_; }
    void PointerMoved(const platform::Point& point);
    // Describes what lies under the pointer now and repaints the box where it changed.
    void Refresh();

    // The lines of the box for `sprite` (null: none) under `point`, in Windows-1252 as the title's
    // arguments are.
    static std::vector<std::string> Describe(const CSprite* sprite, const platform::Point& point);
    const std::vector<std::string>& Lines() const { return lines_; }
    // Where the box lies, in card pixels; empty while nothing is shown.
    const platform::Rect& Box() const { return box_; }

    void Paint(platform::DeviceContext& dc) const;

    static constexpr uint32_t kBoxColour = 0x00301818;   // dark blue
    static constexpr uint32_t kTextColour = 0x00C0F8FF;  // pale yellow
    static constexpr uint32_t kEdgeColour = 0x00A0A0A0;

  private:
    platform::Rect PlaceBox(platform::Size size) const;

    CPlayerCardView& view_;
    bool on_ = false;
    std::optional<platform::Point> pointer_;
    std::vector<std::string> lines_;
    platform::Rect box_;
    int32_t lineHeight_ = 0;
};
