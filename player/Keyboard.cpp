#include "player/Keyboard.h"

#include <algorithm>

#include "engine/Sprite.h"
#include "engine/SpriteList.h"
#include "model/Actions.h"
#include "model/AnimDoc.h"
#include "model/PlayerRunState.h"
#include "platform/CodePage.h"
#include "platform/Sound.h"
#include "player/CardView.h"
#include "player/Overlay.h"

// ---------------------------------------------------------------- focus

bool CKeyboardAccess::ClickDoesSomething(int32_t code, bool scene) {
    if (scene) {
        switch (code) {
            case kActionOpenCard:
            case kActionPlaySound:
            case kActionMuteOn:
            case kActionMuteOff:
            case kActionSlideShow:
            case kActionShowMenu:
            case kActionShowBitmap:
            case kActionEndProgram:
                return true;
            default:
                return false;
        }
    }
    switch (code) {
        case kActionNone:
        case kActionTextScrollKnob:
        case kActionTextScrollBar:
        case kActionVolumeKnob:
        case kActionVolumeBar:
        case kActionVideoStart:
        case kActionVideoFastForward:
        case kActionVideoRewind:
        case kActionVideoBar:
        case kActionVideoKnob:
            return false;
        default:
            return code > kActionNone && code < kClickActionCount;
    }
}

bool CKeyboardAccess::Reacts(const CSprite* sprite) const {
    return sprite && sprite->IsVisible() && !sprite->IsDisabled() &&
           ClickDoesSomething(sprite->GetClickAction(), view_.IsSceneMode());
}

std::vector<CSprite*> CKeyboardAccess::ReactingSprites() const {
    std::vector<CSprite*> sprites;
    if (CAnimDoc* doc = view_.GetSceneDocument())
        for (CSprite* sprite : doc->GetSpriteList())
            if (Reacts(sprite)) sprites.push_back(sprite);
    return sprites;
}

CSprite* CKeyboardAccess::Focused() const {
    // A sprite of a document left may be gone: it is not even looked at.
    if (!focused_ || serial_ != view_.DocumentSerial() || !view_.GetSceneDocument()) return nullptr;
    for (CSprite* sprite : view_.GetSceneDocument()->GetSpriteList())
        if (sprite == focused_) return Reacts(sprite) ? sprite : nullptr;
    return nullptr;
}

void CKeyboardAccess::Move(bool forward) {
    const std::vector<CSprite*> sprites = ReactingSprites();
    if (sprites.empty()) return Drop();
    const auto at = std::find(sprites.begin(), sprites.end(), Focused());
    CSprite* next = nullptr;
    if (at == sprites.end())
        next = forward ? sprites.front() : sprites.back();
    else if (forward)
        next = std::next(at) == sprites.end() ? sprites.front() : *std::next(at);
    else
        next = at == sprites.begin() ? sprites.back() : *std::prev(at);
    SetFocus(next);
    view_.HoverSprite(next);
}

bool CKeyboardAccess::ClickFocused() {
    CSprite* sprite = Focused();
    if (!sprite) return false;
    const platform::Rect r = sprite->GetRect();
    // The action may open another title and take the sprite with it: nothing touches it afterwards.
    view_.Actions().RunClickAction(sprite, {(r.left + r.right) / 2, (r.top + r.bottom) / 2});
    Validate();
    return true;
}

void CKeyboardAccess::Drop() {
    const bool hadFocus = Focused() != nullptr;
    SetFocus(nullptr);
    if (hadFocus) view_.HoverSprite(nullptr);
}

void CKeyboardAccess::Validate() {
    if (!focused_ || Focused()) return;
    // Still in the same document, the sprite is alive and its place may show the ring yet.
    if (serial_ == view_.DocumentSerial()) Repaint(focused_);
    focused_ = nullptr;
    UpdateName();
}

void CKeyboardAccess::SetFocus(CSprite* sprite) {
    if (CSprite* old = Focused()) Repaint(old);
    focused_ = sprite;
    serial_ = view_.DocumentSerial();
    if (sprite) Repaint(sprite);
    UpdateName();
}

void CKeyboardAccess::UpdateName() {
    std::string name;
    if (const CSprite* sprite = Focused()) {
        if (!sprite->GetText().empty())
            name = platform::Cp1252ToUtf8(sprite->GetText());
        else
            name = kClickActionLabels[static_cast<size_t>(sprite->GetClickAction())];
    }
    if (name == name_) return;
    name_ = name;
    if (nameSink_) nameSink_(name_);
}

void CKeyboardAccess::Repaint(const CSprite* sprite) const {
    view_.DrawBuffer(sprite->GetRect());
}

void CKeyboardAccess::SetOutlines(bool on) {
    if (on == outlines_) return;
    outlines_ = on;
    for (CSprite* sprite : ReactingSprites()) Repaint(sprite);
}

void CKeyboardAccess::Paint(platform::DeviceContext& dc) const {
    // Drawn just inside the sprite's rectangle, which every change of the sprite repaints, so a sprite
    // that moves or changes takes its ring along without leaving pieces behind.
    if (outlines_)
        for (CSprite* sprite : ReactingSprites())
            overlay::FrameRect(dc, sprite->GetRect(), 1, kOutlineColour);
    if (const CSprite* sprite = Focused()) {
        const platform::Rect r = sprite->GetRect();
        overlay::FrameRect(dc, r, kRingWidth, kRingColour);
        overlay::FrameRect(dc, r.Inflate(-kRingWidth), 1, kRingInnerColour);
    }
}

// ---------------------------------------------------------------- volume

bool StepVolume(CPlayerCardView& view, int steps) {
    platform::Sound& sound = platform::Sounds();
    if (sound.WaveDeviceCount() == 0 || RunState().Muted()) return false;
    const int32_t now = static_cast<int32_t>(sound.GetVolume() & 0xFFFFu);
    const int32_t next = std::clamp(now + steps * kVolumeKeyStep, 0, 0xFFFF);
    if (next == now) return false;
    view.Actions().SetVolume(static_cast<uint32_t>(next) * 65537u);
    view.Actions().PlaceVolumeKnob(static_cast<uint32_t>(next));
    view.RenderAndDrawDirtyList();
    return true;
}

// ---------------------------------------------------------------- the card view's keys

bool CCardKeys::Run(PlayerCommand command, bool autoRepeat) {
    switch (command) {
        case PlayerCommand::focusNext:
        case PlayerCommand::focusPrevious:
            focus_.Move(command == PlayerCommand::focusNext);
            break;
        case PlayerCommand::clickFocused:
            // A held key clicks once.
            if (!autoRepeat) focus_.ClickFocused();
            break;
        case PlayerCommand::closeMenu:
            view_.Actions().CloseMenu();
            focus_.Drop();
            break;
        case PlayerCommand::outlines:
            focus_.SetOutlines(true);
            break;
        case PlayerCommand::volumeUp:
        case PlayerCommand::volumeDown:
            StepVolume(view_, command == PlayerCommand::volumeUp ? 1 : -1);
            break;
        case PlayerCommand::mute:
            if (!autoRepeat && view_.GetSceneDocument() && platform::Sounds().WaveDeviceCount() > 0)
                view_.Actions().ToggleMute();
            break;
        case PlayerCommand::inspector:
            if (!autoRepeat) inspector_.Toggle();
            break;
        case PlayerCommand::picture:
        case PlayerCommand::fullScreen:
            return false;
    }
    AfterInput();
    return true;
}

bool CCardKeys::Release(PlayerCommand command) {
    if (command != PlayerCommand::outlines) return false;
    focus_.SetOutlines(false);
    return true;
}

void CCardKeys::FocusLost() {
    focus_.SetOutlines(false);
}

void CCardKeys::PointerMoved(const platform::Point& point) {
    inspector_.PointerMoved(point);
    AfterInput();
}

void CCardKeys::AfterInput() {
    focus_.Validate();
    inspector_.Refresh();
}

void CCardKeys::Paint(platform::DeviceContext& dc) const {
    focus_.Paint(dc);
    inspector_.Paint(dc);
}
