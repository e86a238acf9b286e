#pragma once

#include <string>

#include "platform/DeviceContext.h"
#include "platform/Geometry.h"

namespace ui {

enum class MouseButton { none, left, right, middle };

// A mouse event in the view's pixels, as the window messages of the card views delivered it.
struct MouseEvent {
    // The buffer pixel under the pointer: card coordinates, the view's scroll position included. Points
    // beyond the card arrive too (a drag follows the pointer wherever it goes).
    platform::Point point;
    // The same point counted from the top-left of what the widget shows, without the scroll position:
    // the client coordinates of a scrolling view.
    platform::Point clientPoint;
    // The button that went down, came up or was double-clicked; none for a move.
    MouseButton button = MouseButton::none;
    // The buttons held once the event has happened (a press includes its button, a release does not).
    bool leftDown = false;
    bool rightDown = false;
    bool middleDown = false;
    bool shift = false;
    bool control = false;
};

struct KeyEvent {
    int key = 0;       // a Qt::Key value
    std::string text;  // the characters the key produced, UTF-8; empty for keys that produce none
    bool shift = false;
    bool control = false;
    bool alt = false;
    bool autoRepeat = false;
};

// What a program's card view (a plain class beside the widget, usually a CAnimView) implements to be
// shown by a ViewWidget: the drawing it adds over the buffer, and the input it takes. Nothing here knows
// Qt, so the views can be driven directly by tests.
class ViewClient {
  public:
    virtual ~ViewClient() = default;

    // Draws over the buffer, after it has been drawn and on the same painter: the card's texts, the
    // selection frames, the video picture. `dc` draws in card coordinates and is clipped to `area`, the
    // card rectangle being repainted; drawing outside it is harmless and not shown.
    virtual void PaintOverlay(platform::DeviceContext& dc, const platform::Rect& area) {}

    virtual void MousePress(const MouseEvent& event) {}
    virtual void MouseRelease(const MouseEvent& event) {}
    virtual void MouseMove(const MouseEvent& event) {}
    // The second press of a double click; the release that follows arrives as a release.
    virtual void MouseDoubleClick(const MouseEvent& event) {}

    // True when the key was taken; otherwise it goes on to the widget's parent (menus, shortcuts). Tab
    // and Shift+Tab come here first too, and move Qt's focus only when the client does not take them.
    virtual bool KeyPress(const KeyEvent& event) { return false; }
    virtual bool KeyRelease(const KeyEvent& event) { return false; }
    // The widget lost the keyboard focus: keys held now are released elsewhere, unseen.
    virtual void FocusLost() {}
};

}  // namespace ui
