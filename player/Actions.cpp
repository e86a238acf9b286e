#include "player/Actions.h"

#include <cctype>
#include <climits>
#include <cstdio>
#include <optional>
#include <vector>

#include "engine/PhasedSprite.h"
#include "engine/Sprite.h"
#include "engine/SpriteList.h"
#include "model/Actions.h"
#include "model/AnimDoc.h"
#include "model/FichaDoc.h"
#include "model/Texto.h"
#include "platform/CodePage.h"
#include "platform/FileNames.h"
#include "platform/Sound.h"
#include "player/CardView.h"

namespace {

constexpr int kMenuWithSound = 500;

CPhasedSprite* Phased(CSprite* sprite) {
    return dynamic_cast<CPhasedSprite*>(sprite);
}

// The last sprite in list order with the click action whose first argument is `name`, compared exactly.
CSprite* LastWithAction(const CSpriteList& list, int32_t action, const std::string& name) {
    CSprite* found = nullptr;
    for (CSprite* sprite : list)
        if (sprite->GetClickAction() == action && sprite->GetClickArgument(0) == name) found = sprite;
    return found;
}

}  // namespace

int32_t CPlayerActions::Atoi(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    long long value = 0;
    // Held to the range of an int, so that a long row of digits cannot overflow.
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i)
        if (value <= INT_MAX) value = value * 10 + (text[i] - '0');
    if (negative) value = -value;
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int32_t>(value);
}

std::string CPlayerActions::VideoTitleName(const std::string& stem, int card) {
    char number[16];
    std::snprintf(number, sizeof number, card < 10 ? "0%1d.fca" : "%2d.fca", card);
    return stem + number;
}

CSpriteList& CPlayerActions::Sprites() {
    return view_.GetSceneDocument()->GetSpriteList();
}

void CPlayerActions::Redraw() {
    view_.RenderAndDrawDirtyList();
}

// ---------------------------------------------------------------- sounds

void CPlayerActions::PlaySoundFile(const std::string& name) {
    CAnimDoc* doc = view_.GetSceneDocument();
    const std::optional<std::string> real =
        platform::ResolveWindowsPath(name, doc ? doc->GetBaseDirectory() : std::string());
    platform::Sounds().PlayFile(real ? *real : platform::Cp1252ToUtf8(name), false);
    view_.Trace().Sound(name, false);
}

void CPlayerActions::StopSound() {
    platform::Sounds().Stop();
    view_.Trace().SoundStop();
}

void CPlayerActions::SetVolume(uint32_t volume) {
    platform::Sounds().SetVolume(volume);
    view_.Trace().Volume(static_cast<uint16_t>(volume & 0xFFFF), static_cast<uint16_t>(volume >> 16),
                         RunState().Muted());
}

void CPlayerActions::InitVolumeWidget(bool wholeCardAfter) {
    if (!view_.GetSceneDocument()) return;
    CSpriteList& list = Sprites();
    CSprite* bar = list.FindByClickAction(kActionVolumeBar);
    CSprite* knob = list.FindByClickAction(kActionVolumeKnob);
    if (!bar || !knob) return;
    CSprite* muteOn = list.FindByClickAction(kActionMuteOn);
    CSprite* muteOff = list.FindByClickAction(kActionMuteOff);
    platform::Sound& sound = platform::Sounds();
    if (sound.WaveDeviceCount() == 0) {
        bar->SetVisible(false);
        knob->SetVisible(false);
        if (muteOn) muteOn->SetVisible(false);
        if (muteOff) muteOff->SetVisible(false);
    } else {
        const CPlayerRunState& state = RunState();
        PlaceVolumeKnob((state.Muted() ? state.SavedVolume() : sound.GetVolume()) & 0xFFFFu);
        knob->SetVisible(true);
        knob->SetDisabled(state.Muted());
        if (muteOn) muteOn->SetVisible(state.Muted());
        if (muteOff) muteOff->SetVisible(!state.Muted());
    }
    if (wholeCardAfter)
        view_.EmptyDirtyList();
    else
        Redraw();
}

void CPlayerActions::PlaceVolumeKnob(uint32_t v) {
    if (!view_.GetSceneDocument()) return;
    CSprite* bar = Sprites().FindByClickAction(kActionVolumeBar);
    CSprite* knob = Sprites().FindByClickAction(kActionVolumeKnob);
    if (!bar || !knob) return;
    const int32_t travel = bar->GetWidth() - knob->GetWidth();
    // A knob as wide as its bar, or wider, has no travel and stays at the bar's start.
    const uint32_t offset = travel > 0 ? static_cast<uint32_t>(travel) * (v & 0xFFFFu) / 65535u : 0;
    knob->SetPosition(bar->GetX() + static_cast<int32_t>(offset), knob->GetY());
}

void CPlayerActions::ToggleMute() {
    if (!view_.GetSceneDocument()) return;
    // The sprite a click would have hit is the one showing; the first of its kind stands for it.
    if (RunState().Muted())
        MuteOn(Sprites().FindByClickAction(kActionMuteOn));
    else
        MuteOff(Sprites().FindByClickAction(kActionMuteOff));
}

void CPlayerActions::MuteOff(CSprite* sprite) {
    CPlayerRunState& state = RunState();
    state.SetMuted(true);
    state.SetSavedVolume(platform::Sounds().GetVolume());
    SetVolume(0);
    CSpriteList& list = Sprites();
    if (sprite) sprite->SetVisible(false);
    if (CSprite* muteOn = list.FindByClickAction(kActionMuteOn)) muteOn->SetVisible(true);
    if (CSprite* knob = list.FindByClickAction(kActionVolumeKnob)) knob->SetDisabled(true);
    Redraw();
}

void CPlayerActions::MuteOn(CSprite* sprite) {
    CPlayerRunState& state = RunState();
    state.SetMuted(false);
    SetVolume(state.SavedVolume());
    CSpriteList& list = Sprites();
    if (sprite) sprite->SetVisible(false);
    if (CSprite* muteOff = list.FindByClickAction(kActionMuteOff)) muteOff->SetVisible(true);
    if (CSprite* knob = list.FindByClickAction(kActionVolumeKnob)) knob->SetDisabled(false);
    Redraw();
}

// ---------------------------------------------------------------- menus

void CPlayerActions::ShowMenu(CSprite* sprite) {
    CSpriteList& list = Sprites();
    const int32_t n = sprite->GetNumber();
    view_.SetOpenMenu(n);
    if (n == kMenuWithSound) {
        CSprite* sound = list.FindByNumber(kMenuWithSound + 1);
        if (sound && !sound->GetClickArgument(0).empty()) PlaySoundFile(sound->GetClickArgument(0));
    }
    for (int32_t m = n + 1; CSprite* item = list.FindByNumber(m); ++m) item->SetVisible(true);
    Redraw();
}

void CPlayerActions::CloseMenu() {
    const int n = view_.OpenMenu();
    if (n == 0 || !view_.GetSceneDocument()) return;
    view_.SetOpenMenu(0);
    if (n == kMenuWithSound) StopSound();
    CSpriteList& list = Sprites();
    for (int32_t m = n + 1; CSprite* item = list.FindByNumber(m); ++m) item->SetVisible(false);
    Redraw();
}

// ---------------------------------------------------------------- entering a card

void CPlayerActions::EnterNewTitle(const std::string& file) {
    view_.Video().Stop();
    view_.Host().OpenTitle(file);
    // Whatever document is current now, the old one when the open failed, is entered.
    view_.ApplyCardToView(CPlayerCardView::Changes::leaveToCaller);
    view_.Video().Clear();
    view_.SetFullPaint(false);
    InitVolumeWidget(true);
    view_.Render(std::nullopt);
    view_.Host().RedrawView();
    view_.Video().Start();
    view_.ReportCardEntered();
}

void CPlayerActions::EnterSameTitle() {
    view_.Video().Stop();
    view_.ApplyCardToView(CPlayerCardView::Changes::leaveToCaller);
    view_.SetFullPaint(false);
    view_.Render(std::nullopt);
    // The window is not invalidated here, but the texts of the card left are on it: showing the buffer
    // again replaces them by the new card's.
    view_.DrawBuffer(std::nullopt);
    view_.Video().Start();
    view_.ReportCardEntered();
}

void CPlayerActions::EnterFromCardsList() {
    view_.Video().Stop();
    view_.ApplyCardToView(CPlayerCardView::Changes::leaveToCaller);
    view_.SetFullPaint(false);
    view_.Render(std::nullopt);
    view_.Host().RedrawView();
    view_.Video().Start();
    view_.Video().SetReplayLoop(true);
    view_.ReportCardEntered();
}

// ---------------------------------------------------------------- clicks

void CPlayerActions::Prelude(CSprite* sprite) {
    if (CPhasedSprite* phased = Phased(sprite)) phased->StopAnimation();
    view_.ForgetHover();
    Redraw();
}

void CPlayerActions::RunClickAction(CSprite* sprite, const platform::Point& point) {
    if (!sprite || !view_.GetSceneDocument()) return;
    Prelude(sprite);
    view_.Trace().Click(sprite->GetNumber(), sprite->GetClickAction(), sprite->GetClickArguments());
    if (view_.IsSceneMode())
        RunSceneAction(sprite, point);
    else
        RunCardAction(sprite, point);
}

void CPlayerActions::RunCardAction(CSprite* sprite, const platform::Point& point) {
    CFichaDoc* doc = view_.GetDocument();
    const std::string& arg1 = sprite->GetClickArgument(0);
    switch (sprite->GetClickAction()) {
        case kActionOpenCard:
            OpenCard(sprite);
            break;
        case kActionNextCard:
            NextCard(sprite);
            break;
        case kActionPreviousCard:
            PreviousCard(sprite);
            break;
        case kActionCardsList:
            CardsList();
            break;
        case kActionTextLineUp:
        case kActionTextLineDown:
        case kActionTextPageUp:
        case kActionTextPageDown:
            ScrollText(sprite, sprite->GetClickAction());
            break;
        case kActionTextScrollKnob:
            StartTextDrag(sprite, point);
            break;
        case kActionPlaySound:
            if (platform::Sounds().WaveDeviceCount() > 0) PlaySoundFile(arg1);
            break;
        case kActionVolumeKnob:
            StartVolumeDrag(sprite, point);
            break;
        case kActionMuteOn:
            MuteOn(sprite);
            break;
        case kActionMuteOff:
            MuteOff(sprite);
            break;
        case kActionPlayVideoTitle:
            RunState().SetStartCard(doc->GetCurrentCard());
            EnterNewTitle(VideoTitleName(arg1, doc->GetCurrentCard() + 1));
            break;
        case kActionVideoPlay:
            view_.Video().Play();
            break;
        case kActionVideoStop:
            view_.Video().Pause();
            break;
        case kActionVideoKnob:
            StartVideoDrag(sprite, point);
            break;
        case kActionShowSprites:
        case kActionHideSprites:
        case kActionAbleSprites:
        case kActionDisableSprites: {
            const std::vector<int32_t> numbers = CSpriteList::ParseNumberList(arg1);
            CSpriteList& list = Sprites();
            if (sprite->GetClickAction() == kActionShowSprites) list.ShowSprites(numbers);
            if (sprite->GetClickAction() == kActionHideSprites) list.HideSprites(numbers);
            if (sprite->GetClickAction() == kActionAbleSprites) list.AbleSprites(numbers);
            if (sprite->GetClickAction() == kActionDisableSprites) list.DisableSprites(numbers);
            Redraw();
            break;
        }
        case kActionSlideShow:
            view_.Trace().Dialog("slide-show", true);
            view_.Host().RunSlideShow(sprite->GetClickArguments());
            view_.Trace().Dialog("slide-show", false);
            view_.Video().Refresh();
            break;
        case kActionShowMenu:
            ShowMenu(sprite);
            break;
        case kActionShowBitmap:
            view_.Trace().Dialog("picture", true);
            view_.Host().ShowPicture(arg1, sprite->GetClickArgument(1));
            view_.Trace().Dialog("picture", false);
            break;
        case kActionEndProgram:
            view_.Trace().Dialog("credits", true);
            view_.Host().ShowCredits();
            view_.Trace().Dialog("credits", false);
            view_.Trace().Exit();
            view_.Host().EndProgram();
            break;
        case kActionLinkToUrl:
        case kActionSendEmail: {
            const std::string target = sprite->GetClickAction() == kActionLinkToUrl ? arg1 : "mailto:" + arg1;
            const bool opened = view_.Host().ShellOpen(target);
            view_.Trace().Shell(target, opened);
            break;
        }
        default:
            // 0, the tracks and the video buttons without behaviour, and codes outside the table.
            break;
    }
}

void CPlayerActions::RunSceneAction(CSprite* sprite, const platform::Point& point) {
    const std::string& arg1 = sprite->GetClickArgument(0);
    switch (sprite->GetClickAction()) {
        case kActionOpenCard:
            RunState().SetStartCard(sprite->GetNumber() == 0 ? 0 : sprite->GetNumber() - 1);
            if (view_.Host().OpenTitle(arg1 + ".fca")) {
                view_.Host().CloseScene();
                // The title comes up as a title opened at start does: its card applied, composed and
                // drawn, its video started; the scene's buffer and widgets mean nothing to it.
                view_.OnInitialUpdate();
            }
            break;
        case kActionPlaySound:
            if (platform::Sounds().WaveDeviceCount() > 0) PlaySoundFile(arg1);
            break;
        case kActionVolumeKnob:
            StartVolumeDrag(sprite, point);
            break;
        case kActionMuteOn:
            MuteOn(sprite);
            break;
        case kActionMuteOff:
            MuteOff(sprite);
            break;
        case kActionSlideShow:
            view_.Trace().Dialog("slide-show", true);
            view_.Host().RunSlideShow(sprite->GetClickArguments());
            view_.Trace().Dialog("slide-show", false);
            break;
        case kActionShowMenu:
            ShowMenu(sprite);
            break;
        case kActionShowBitmap:
            view_.Trace().Dialog("picture", true);
            view_.Host().ShowPicture(arg1, std::string());
            view_.Trace().Dialog("picture", false);
            break;
        case kActionEndProgram:
            view_.Trace().Exit();
            view_.Host().EndProgram();
            break;
        default:
            break;
    }
}

void CPlayerActions::OpenCard(CSprite* sprite) {
    CFichaDoc* doc = view_.GetDocument();
    view_.Trace().Dialog("credits", true);
    view_.Host().ShowCredits();
    view_.Trace().Dialog("credits", false);
    const std::string& arg2 = sprite->GetClickArgument(1);
    int32_t start = 0;
    if (arg2 == "*")
        start = static_cast<int32_t>(doc->GetCards().GetSize()) - 1;
    else if (!arg2.empty())
        start = Atoi(arg2) - 1;
    RunState().SetStartCard(start);
    EnterNewTitle(sprite->GetClickArgument(0) + ".fca");
}

void CPlayerActions::NextCard(CSprite* sprite) {
    CFichaDoc* doc = view_.GetDocument();
    if (doc->NextCardPlayer()) {
        EnterSameTitle();
    } else if (!sprite->GetClickArgument(0).empty()) {
        EnterNewTitle(sprite->GetClickArgument(0) + ".fca");
    }
}

void CPlayerActions::PreviousCard(CSprite* sprite) {
    CFichaDoc* doc = view_.GetDocument();
    if (doc->PreviousCardPlayer()) {
        EnterSameTitle();
        return;
    }
    const std::string arg1 = sprite->GetClickArgument(0);
    const std::string arg2 = sprite->GetClickArgument(1);
    if (arg1.empty()) return;
    view_.Video().Stop();
    const int32_t n = arg2.empty() ? 0 : Atoi(arg2);
    view_.Host().OpenTitle(arg1 + ".fca");
    // The clicked sprite belonged to the title left; only its copied arguments are used from here on.
    doc = view_.GetDocument();
    if (doc) {
        if (arg2 == "*")
            doc->LastCardPlayer();
        else if (n > 0)
            doc->GoToCard(n);
    }
    view_.ApplyCardToView(CPlayerCardView::Changes::leaveToCaller);
    view_.Video().Clear();
    view_.SetFullPaint(false);
    InitVolumeWidget(true);
    view_.Render(std::nullopt);
    view_.Host().RedrawView();
    view_.Video().Start();
    view_.ReportCardEntered();
}

void CPlayerActions::CardsList() {
    CFichaDoc* doc = view_.GetDocument();
    view_.Trace().Dialog("cards-list", true);
    const int chosen = view_.Host().RunCardsList(doc->GetCards(), doc->GetCurrentCard());
    view_.Trace().Dialog("cards-list", false);
    if (chosen >= 0 && doc->GoToCard(chosen))
        EnterFromCardsList();
    else
        view_.Video().Refresh();
}

void CPlayerActions::ScrollText(CSprite* sprite, int action) {
    CFichaDoc* doc = view_.GetDocument();
    CFicha* card = doc->GetCurrentCardPtr();
    if (!card) return;
    const std::string& name = sprite->GetClickArgument(0);
    CTexto* text = card->texts.FindExact(name);
    if (!text) return;
    bool changed = false;
    switch (action) {
        case kActionTextLineUp:
            changed = text->ScrollUp(1);
            break;
        case kActionTextLineDown:
            changed = text->ScrollDown(1);
            break;
        case kActionTextPageUp:
            changed = text->ScrollUp(-1);
            break;
        case kActionTextPageDown:
            changed = text->ScrollDown(-1);
            break;
        default:
            break;
    }
    if (!changed) return;
    CSpriteList& list = Sprites();
    CSprite* knob = LastWithAction(list, 9, name);
    CSprite* bar = LastWithAction(list, 10, name);
    const int lines = text->CountBreaks();
    if (knob && bar && lines != 0)
        knob->SetPosition(knob->GetX(), bar->GetY() + text->GetScroll() * bar->GetHeight() / lines);
    view_.AddDirty(text->rect.Normalized());
    Redraw();
}

void CPlayerActions::StartTextDrag(CSprite* sprite, const platform::Point& point) {
    CFichaDoc* doc = view_.GetDocument();
    view_.Capture(sprite, sprite->GetX(), point.y - sprite->GetY());
    CSpriteList& list = Sprites();
    const std::string& name = sprite->GetClickArgument(0);
    CPlayerCardView::Drag& drag = view_.DragRefs();
    drag.knob = LastWithAction(list, 9, name);
    drag.bar = LastWithAction(list, 10, name);
    drag.card = doc->GetCurrentCardPtr();
    drag.text = drag.card ? drag.card->texts.FindExact(name) : nullptr;
}

void CPlayerActions::StartVolumeDrag(CSprite* sprite, const platform::Point& point) {
    view_.Capture(sprite, point.x - sprite->GetX(), sprite->GetY());
    CSpriteList& list = Sprites();
    CPlayerCardView::Drag& drag = view_.DragRefs();
    drag.bar = list.FindByClickAction(kActionVolumeBar);
    drag.knob = list.FindByClickAction(kActionVolumeKnob);
    drag.text = nullptr;
    drag.card = nullptr;
}

void CPlayerActions::StartVideoDrag(CSprite* sprite, const platform::Point& point) {
    view_.Capture(sprite, point.x - sprite->GetX(), sprite->GetY());
    CSpriteList& list = Sprites();
    CPlayerCardView::Drag& drag = view_.DragRefs();
    drag.bar = list.FindByClickAction(kActionVideoBar);
    drag.knob = list.FindByClickAction(kActionVideoKnob);
    drag.text = nullptr;
    drag.card = nullptr;
}

// ---------------------------------------------------------------- moves

void CPlayerActions::RunEnterAction(CSprite* sprite) {
    if (!sprite) return;
    const std::string& arg1 = sprite->GetMoveArgument(0);
    view_.Trace().Enter(sprite->GetNumber(), sprite->GetMoveAction(), arg1);
    CSpriteList& list = Sprites();
    switch (sprite->GetMoveAction()) {
        case kMoveActionChangeFrame:
            if (CPhasedSprite* phased = Phased(sprite); phased && !phased->IsAnimated())
                phased->SetCurrentFrame(Atoi(arg1));
            break;
        case kMoveActionAnimate: {
            CPhasedSprite* target = Phased(arg1.empty() ? sprite : list.FindByNumber(Atoi(arg1)));
            if (target && !target->IsAlwaysAnimated()) target->SetAnimated(true);
            break;
        }
        case kMoveActionShowSprites:
            list.ShowSprites(CSpriteList::ParseNumberList(arg1));
            break;
        case kMoveActionHideSprites:
            list.HideSprites(CSpriteList::ParseNumberList(arg1));
            break;
        case kMoveActionPlaySound:
            PlaySoundFile(arg1);
            break;
        default:
            break;
    }
}

void CPlayerActions::RunLeaveAction(CSprite* sprite) {
    if (!sprite) return;
    const std::string& arg1 = sprite->GetMoveArgument(0);
    view_.Trace().Leave(sprite->GetNumber(), sprite->GetMoveAction(), arg1);
    CSpriteList& list = Sprites();
    switch (sprite->GetMoveAction()) {
        case kMoveActionChangeFrame:
            if (CPhasedSprite* phased = Phased(sprite); phased && !phased->IsAnimated())
                phased->StopAnimation();
            break;
        case kMoveActionAnimate: {
            CPhasedSprite* target = Phased(arg1.empty() ? sprite : list.FindByNumber(Atoi(arg1)));
            if (target && !target->IsAlwaysAnimated()) target->SetAnimated(false);
            break;
        }
        case kMoveActionShowSprites:
            list.HideSprites(CSpriteList::ParseNumberList(arg1));
            break;
        case kMoveActionHideSprites:
            list.ShowSprites(CSpriteList::ParseNumberList(arg1));
            break;
        case kMoveActionPlaySound:
            StopSound();
            break;
        default:
            break;
    }
}
