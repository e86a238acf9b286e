#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/DeviceContext.h"
#include "platform/Geometry.h"
#include "player/Keys.h"
#include "player/SpriteDetails.h"

class CPlayerCardView;
class CSprite;

// Keyboard access to the sprites, which the mouse alone reached before: a focus that Tab and Shift+Tab
// move through the sprites that react to a click, a ring around the focused one, and outlines around
// all of them while Alt is held. The focus moves the way the pointer does, through the view's hover
// path, so the focused sprite's move actions run (and show in the trace) as if the pointer went there;
// Enter clicks it through the view's click path.
//
// A sprite reacts to a click when it is visible, not disabled, and its click action does something on
// a click. On a card those are every code except 0 (none), the tracks 10, 13 and 22, the video buttons
// 19 to 21 that have no behaviour, and the three knobs 9, 12 and 23, which are dragged with the pointer
// (the volume keys stand in for the volume knob, the line and page sprites for the text knob). In a
// ".anm" scene only the codes its reduced interpreter runs react: 1, 11, 14, 15, 28, 29, 30 and 31.
//
// Tab goes in list order, from the front-most sprite (the smallest plane, the one a click hits first)
// to the rear-most, and wraps; Shift+Tab goes the other way.
class CKeyboardAccess {
  public:
    explicit CKeyboardAccess(CPlayerCardView& view) : view_(view) {}

    static bool ClickDoesSomething(int32_t code, bool scene);
    bool Reacts(const CSprite* sprite) const;
    // The sprites that react, in Tab order.
    std::vector<CSprite*> ReactingSprites() const;

    // The focused sprite, or null: none was focused, the document changed, or the sprite stopped
    // reacting (hidden, disabled, or a card without it).
    CSprite* Focused() const;
    void Move(bool forward);
    // A click on the focused sprite; false when nothing is focused.
    bool ClickFocused();
    // The focus goes, and the hover with it, as when the pointer leaves for empty space.
    void Drop();
    // Forgets a focus that no longer reacts; run after everything that may change the sprites.
    void Validate();

    void SetOutlines(bool on);
    bool Outlines() const { return outlines_; }

    // The ring (and the outlines while they are on), in card pixels.
    void Paint(platform::DeviceContext& dc) const;

    // What a screen reader says for the focused sprite: its text, or the label of its click action when
    // it has none; empty without a focus. UTF-8.
    const std::string& FocusName() const { return name_; }
    // Told every time the focus name changes.
    void SetNameSink(std::function<void(const std::string&)> sink) { nameSink_ = std::move(sink); }

    static constexpr uint32_t kRingColour = 0x0000D8FF;       // amber
    static constexpr uint32_t kRingInnerColour = 0x00000000;  // black, so the ring shows on any picture
    static constexpr uint32_t kOutlineColour = 0x00FFC800;    // sky blue
    static constexpr int32_t kRingWidth = 2;

  private:
    void SetFocus(CSprite* sprite);
    void UpdateName();
    void Repaint(const CSprite* sprite) const;

    CPlayerCardView& view_;
    CSprite* focused_ = nullptr;
    uint64_t serial_ = 0;
    bool outlines_ = false;
    std::string name_;
    std::function<void(const std::string&)> nameSink_;
};

// Moves the wave volume by `steps` key steps (kVolumeKeyStep each), clamped to 0 ... 65535, both channels
// set to the new left-channel value as the volume knob sets them; the knob follows. Nothing changes while
// muted (the knob is disabled then too) or without a wave device. True when the volume changed.
bool StepVolume(CPlayerCardView& view, int steps);

// The keys of the card view: the focus, the outlines, the volume, the mute and the inspector. The frame
// keeps the picture and full-screen keys.
class CCardKeys {
  public:
    explicit CCardKeys(CPlayerCardView& view) : view_(view), focus_(view), inspector_(view) {}

    // Runs a command of the card view; false for the frame's commands.
    bool Run(PlayerCommand command, bool autoRepeat);
    bool Release(PlayerCommand command);
    // The window lost the keyboard: a held Alt is no longer known to be held.
    void FocusLost();
    void PointerMoved(const platform::Point& point);
    // After any input or tick: a focus that stopped reacting goes, the inspector describes anew.
    void AfterInput();
    void Paint(platform::DeviceContext& dc) const;

    CKeyboardAccess& Focus() { return focus_; }
    CInspector& Inspector() { return inspector_; }

  private:
    CPlayerCardView& view_;
    CKeyboardAccess focus_;
    CInspector inspector_;
};
