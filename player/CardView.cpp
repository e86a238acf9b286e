#include "player/CardView.h"

#include <memory>

#include "engine/PhasedSprite.h"
#include "engine/Sprite.h"
#include "model/Actions.h"
#include "model/AnimDoc.h"
#include "model/FichaDoc.h"
#include "model/Texto.h"
#include "platform/MciDevice.h"
#include "platform/Sound.h"

CPlayerCardView::CPlayerCardView(PlayerHost& host) : host_(host), video_(*this), actions_(*this) {}

CPlayerCardView::~CPlayerCardView() {
    if (scene_) scene_->RemoveView(this);
}

void CPlayerCardView::SetDocument(CAnimDoc* doc) {
    if (doc == scene_) return;
    // A clip still playing would go on notifying this view from the document left.
    if (video_.IsOpen()) video_.Stop();
    if (scene_) scene_->RemoveView(this);
    // Everything that points into the document left goes with it.
    hovered_ = nullptr;
    captured_ = false;
    capturedSprite_ = nullptr;
    drag_ = {};
    openMenu_ = 0;
    video_.Clear();
    videoArea_.reset();
    scene_ = doc;
    doc_ = dynamic_cast<CFichaDoc*>(doc);
    ++documentSerial_;
    // The card view is the one that composes and shows what the sprites change.
    if (scene_) scene_->SetDirtyView(this);
    ReportMusicChange();
}

void CPlayerCardView::ReportMusicChange() {
    if (!scene_) return;
    // The document's open has just applied the background-music rule; its sound is reported like any
    // action's, so that a trace shows every start and stop of what the player plays.
    const CAnimDoc::MusicChange& change = scene_->GetMusicChange();
    if (change.kind == CAnimDoc::MusicChange::Kind::started) trace_->Sound(change.music, change.loop);
    if (change.kind == CAnimDoc::MusicChange::Kind::stopped) trace_->SoundStop();
}

// ---------------------------------------------------------------- framework notices

void CPlayerCardView::OnInitialUpdate() {
    actions_.InitVolumeWidget(true);
    // The whole card is composed right below, so what entering it changed needs no composing of its own.
    video_.SetReplayLoop(true);
    if (doc_) doc_->ApplyCurrentCardToSprites();
    EmptyDirtyList();
    video_.Clear();
    Render(std::nullopt);
    DrawBuffer(std::nullopt);
    video_.Start();
    ReportCardEntered();
}

bool CPlayerCardView::NewBackground(CDIB& background) {
    return TakeBackground(background);
}

void CPlayerCardView::OnDraw() {
    if (!video_.IsOpen() || fullPaint_) DrawBuffer(std::nullopt);
    if (video_.IsOpen()) video_.Refresh();
}

bool CPlayerCardView::OnEraseBackground() {
    if (doc_ && doc_->HasVideo()) DrawBuffer(std::nullopt);
    return true;
}

void CPlayerCardView::ReportCardEntered() {
    if (!doc_) return;
    trace_->CardEntered(doc_->GetPathName(), doc_->GetCurrentCard(),
                        static_cast<int>(doc_->GetCards().GetSize()));
}

// ---------------------------------------------------------------- card

void CPlayerCardView::ApplyCardToView(Changes changes) {
    video_.SetReplayLoop(true);
    if (!doc_ || !doc_->ApplyCurrentCardToSprites()) return;
    if (changes == Changes::compose)
        RenderAndDrawDirtyList();
    else
        EmptyDirtyList();
}

std::vector<CTexto*> CPlayerCardView::TextsToDraw(const std::optional<platform::Rect>& r) const {
    std::vector<CTexto*> texts;
    if (!doc_ || doc_->GetCards().GetSize() == 0) return texts;
    CFicha* card = doc_->GetCurrentCardPtr();
    if (!card) return texts;
    for (CTexto* text : card->texts) {
        if (!r || text->rect.Normalized().Intersects(r->Normalized())) texts.push_back(text);
    }
    return texts;
}

void CPlayerCardView::DrawBuffer(const std::optional<platform::Rect>& r) {
    CAnimView::DrawBuffer(r);
    platform::DeviceContext* surface = GetSurface();
    if (!surface) return;
    // Texts are not part of the buffer: they are drawn over it on the surface each time it is shown.
    for (CTexto* text : TextsToDraw(r)) text->Draw(*surface);
}

// ---------------------------------------------------------------- input

void CPlayerCardView::Capture(CSprite* sprite, int32_t grabX, int32_t grabY) {
    host_.CaptureMouse(true);
    captured_ = true;
    capturedSprite_ = sprite;
    grabX_ = grabX;
    grabY_ = grabY;
}

void CPlayerCardView::OnMouseMove(const platform::Point& point) {
    if (!scene_) return;
    HoverSprite(scene_->GetSpriteList().HitTest(point.x, point.y));
    if (!captured_ || !capturedSprite_) return;
    switch (capturedSprite_->GetClickAction()) {
        case kActionTextScrollKnob:
            DragText(point);
            break;
        case kActionVolumeKnob:
            DragVolume(point);
            break;
        case kActionVideoKnob:
            DragVideo(point);
            break;
        default:
            break;
    }
}

void CPlayerCardView::HoverSprite(CSprite* hit) {
    if (!scene_) return;
    if (IsSceneMode()) {
        SceneMouseMove(hit);
    } else if (hit) {
        if (hit != hovered_) {
            if (hovered_) actions_.RunLeaveAction(hovered_);
            actions_.RunEnterAction(hit);
            RenderAndDrawDirtyList();
            hovered_ = hit;
        }
        host_.SetCursor(PlayerCursor::sprite);
    } else if (hovered_) {
        actions_.RunLeaveAction(hovered_);
        hovered_ = nullptr;
        RenderAndDrawDirtyList();
        host_.SetCursor(PlayerCursor::normal);
    }
}

void CPlayerCardView::SceneMouseMove(CSprite* hit) {
    // A scene has no move actions: the sprite under the pointer shows its second frame instead.
    if (hit) {
        if (hit != hovered_) {
            if (auto* left = dynamic_cast<CPhasedSprite*>(hovered_)) left->StopAnimation();
            if (auto* entered = dynamic_cast<CPhasedSprite*>(hit)) entered->SetCurrentFrame(1);
            RenderAndDrawDirtyList();
            hovered_ = hit;
        }
        host_.SetCursor(PlayerCursor::sprite);
    } else if (hovered_) {
        if (auto* left = dynamic_cast<CPhasedSprite*>(hovered_)) left->StopAnimation();
        hovered_ = nullptr;
        RenderAndDrawDirtyList();
        host_.SetCursor(PlayerCursor::normal);
    }
    if (captured_ && capturedSprite_ && capturedSprite_->GetClickAction() == kActionVolumeKnob) {
        // The scene looks its volume widget up again on every move.
        drag_.bar = scene_->GetSpriteList().FindByClickAction(kActionVolumeBar);
        drag_.knob = scene_->GetSpriteList().FindByClickAction(kActionVolumeKnob);
    }
}

void CPlayerCardView::DragText(const platform::Point& point) {
    CSprite* bar = drag_.bar;
    CSprite* knob = drag_.knob;
    if (!bar || !knob) return;
    const int32_t y = point.y - grabY_;
    if (y < bar->GetY() || y > bar->GetY() + bar->GetHeight() - knob->GetHeight()) return;
    CTexto* text = drag_.text;
    if (!text) return;
    const int32_t barHeight = bar->GetHeight();
    const int lines = text->CountBreaks();
    // A text without lines has no position to map to: knob and text stay as they are.
    if (barHeight <= 0 || lines <= 0) return;
    const int first = (y - bar->GetY()) * lines / barHeight;
    knob->SetPosition(grabX_, y);
    if (text->SetScroll(first)) AddDirty(text->rect.Normalized());
    RenderAndDrawDirtyList();
}

void CPlayerCardView::DragVolume(const platform::Point& point) {
    CSprite* bar = drag_.bar;
    CSprite* knob = drag_.knob;
    if (!bar || !knob) return;
    const int32_t x = point.x - grabX_;
    const int32_t travel = bar->GetWidth() - knob->GetWidth();
    if (x < bar->GetX() || x > bar->GetX() + travel) return;
    if (travel <= 0) return;
    const uint32_t v =
        ((65535u / static_cast<uint32_t>(travel)) * static_cast<uint32_t>(x - bar->GetX())) & 0xFFFFu;
    platform::Sounds().SetVolume(v * 65537u);
    trace_->Volume(static_cast<uint16_t>(v), static_cast<uint16_t>(v), RunState().Muted());
    knob->SetPosition(x, grabY_);
    RenderAndDrawDirtyList();
}

void CPlayerCardView::DragVideo(const platform::Point& point) {
    CSprite* bar = drag_.bar;
    CSprite* knob = drag_.knob;
    if (!bar || !knob || !doc_) return;
    const int32_t x = point.x - grabX_;
    const int32_t travel = bar->GetWidth() - knob->GetWidth();
    if (x < bar->GetX() || x > bar->GetX() + travel) return;
    if (travel <= 0) return;
    CMciAvi* device = doc_->GetMciAvi();
    const uint32_t step = device->Length() / static_cast<uint32_t>(travel);
    if (step == 0) return;
    device->Seek(step * static_cast<uint32_t>(x - bar->GetX()));
    if (video_.GetState() == CCardVideo::playing)
        device->PlayNotify(this);
    else
        device->Stop();
    knob->SetPosition(x, grabY_);
    RenderAndDrawDirtyList();
}

void CPlayerCardView::OnLeftButtonDown(const platform::Point& point) {
    if (!scene_) return;
    CSprite* hit = scene_->GetSpriteList().HitTest(point.x, point.y);
    if (!hit)
        actions_.CloseMenu();
    else
        actions_.RunClickAction(hit, point);
}

void CPlayerCardView::OnLeftButtonUp() {
    if (captured_) {
        host_.CaptureMouse(false);
        captured_ = false;
        capturedSprite_ = nullptr;
    }
    drag_ = {};
}

void CPlayerCardView::OnRightButtonDown(bool control) {
    if (!control || IsSceneMode()) return;
    trace_->Dialog("credits", true);
    host_.ShowCredits();
    trace_->Dialog("credits", false);
}

void CPlayerCardView::OnTimer() {
    // A scene is not animated.
    if (!doc_) return;
    CSpriteList& list = doc_->GetSpriteList();
    CSprite* bar = list.FindByClickAction(kActionVideoBar);
    CSprite* knob = list.FindByClickAction(kActionVideoKnob);
    if (bar && knob && doc_->HasVideo() && video_.IsOpen()) {
        const int32_t travel = bar->GetWidth() - knob->GetWidth();
        CMciAvi* device = doc_->GetMciAvi();
        if (travel > 0) {
            const uint32_t step = device->Length() / static_cast<uint32_t>(travel);
            if (step > 0)
                knob->SetPosition(bar->GetX() + static_cast<int32_t>(device->Position() / step),
                                  knob->GetY());
        }
    }
    list.AnimateAll();
    RenderAndDrawDirtyList();
}

void CPlayerCardView::PumpVideo() {
    if (doc_ && video_.IsOpen()) doc_->GetMciAvi()->Pump();
}

// ---------------------------------------------------------------- media window

void CPlayerCardView::DrawMediaFrame(const platform::MediaFrame& frame) {
    videoArea_ = frame.placement;
    ++framesShown_;
}

void CPlayerCardView::EraseMediaArea(const platform::Rect& area) {
    videoArea_.reset();
    AddDirty(area);
    RenderAndDrawDirtyList();
}

void CPlayerCardView::MediaNotify(platform::MediaNotice notice) {
    video_.OnNotify(static_cast<uint32_t>(notice));
}
