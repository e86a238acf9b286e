#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "engine/AnimView.h"
#include "platform/Geometry.h"
#include "platform/Media.h"
#include "player/Actions.h"
#include "player/CardVideo.h"
#include "player/PlayerHost.h"

class CAnimDoc;
class CFicha;
class CFichaDoc;
class CSprite;
class CTexto;

// The player's card view without its window: it composes the scene of the open title, turns pointer
// events into the sprites' actions, drives the knobs the author placed on the card, ticks animations and
// the video knob, and keeps the card video's state. The program's widget feeds it the mouse and the
// timer, shows its back buffer and calls DrawBuffer when it paints; the view draws the current card's
// texts over the buffer on the surface it was given. A ".anm" scene is shown in the same view without
// cards, with the reduced behaviour such scenes have.
class CPlayerCardView : public CAnimView, public platform::MediaWindow {
  public:
    static constexpr int kTimerMs = 250;

    explicit CPlayerCardView(PlayerHost& host);
    ~CPlayerCardView() override;

    // Shows `doc`, a CFichaDoc for a title or a bare CAnimDoc for a scene; forgets hover, drags and the
    // video of the document left. Not owned.
    void SetDocument(CAnimDoc* doc);
    CAnimDoc* GetSceneDocument() const { return scene_; }
    // The title document, or null while a scene (or nothing) is shown.
    CFichaDoc* GetDocument() const { return doc_; }
    bool IsSceneMode() const { return scene_ && !doc_; }
    // Changes with every SetDocument, so that whoever keeps a sprite of the shown document can tell
    // that the document (and with it the sprite) may be gone.
    uint64_t DocumentSerial() const { return documentSerial_; }

    void SetTrace(PlayerTrace* trace) { trace_ = trace ? trace : &noTrace_; }
    PlayerTrace& Trace() { return *trace_; }
    PlayerHost& Host() { return host_; }

    // --- the framework's notices ---
    // Composes and shows the first card and starts its video.
    void OnInitialUpdate();
    // Takes the new document's background into the buffer without composing it: a background comes only
    // with a document, and every way of showing one (OnInitialUpdate, the actions that enter a title)
    // composes and draws the whole card right after.
    bool NewBackground(CDIB& background) override;
    void OnDraw();
    // True: the background counts as erased.
    bool OnEraseBackground();

    // --- input ---
    void OnMouseMove(const platform::Point& point);
    // The hovered sprite becomes `hit` (none for null), running the move actions of the sprite left and
    // of the sprite entered, as a pointer move onto `hit` does; the keyboard's focus moves this way too.
    void HoverSprite(CSprite* hit);
    void OnLeftButtonDown(const platform::Point& point);
    void OnLeftButtonUp();
    void OnRightButtonDown(bool control);
    // The 250 ms tick: the video knob follows the play, animations advance.
    void OnTimer();
    // Lets the video device play on by the real time gone; the widget calls it from a frame timer.
    void PumpVideo();

    // --- card ---
    // Widget visibility for the current card, then its activation and deactivation lists; what they
    // changed is composed and drawn at once, unless the caller composes and draws the whole card next
    // (the steps that enter a card), for which composing the changes first would be work thrown away.
    enum class Changes { compose, leaveToCaller };
    void ApplyCardToView(Changes changes = Changes::compose);
    // Copies the buffer to the surface, then draws the current card's texts that meet `r` over it.
    void DrawBuffer(const std::optional<platform::Rect>& r) override;
    // The texts that a DrawBuffer of `r` draws, in array order.
    std::vector<CTexto*> TextsToDraw(const std::optional<platform::Rect>& r) const;
    void ReportCardEntered();

    // --- media window ---
    void DrawMediaFrame(const platform::MediaFrame& frame) override;
    void EraseMediaArea(const platform::Rect& area) override;
    void MediaNotify(platform::MediaNotice notice) override;
    // The last picture the clip showed and where (the widget paints it over the card).
    const std::optional<platform::Rect>& VideoArea() const { return videoArea_; }
    int FramesShown() const { return framesShown_; }

    // --- state the actions share ---
    CPlayerActions& Actions() { return actions_; }
    CCardVideo& Video() { return video_; }
    CSprite* Hovered() const { return hovered_; }
    void ForgetHover() { hovered_ = nullptr; }
    int OpenMenu() const { return openMenu_; }
    void SetOpenMenu(int n) { openMenu_ = n; }
    bool FullPaint() const { return fullPaint_; }
    void SetFullPaint(bool on) { fullPaint_ = on; }

    struct Drag {
        CSprite* bar = nullptr;
        CSprite* knob = nullptr;
        CTexto* text = nullptr;
        CFicha* card = nullptr;
    };
    Drag& DragRefs() { return drag_; }
    bool IsCaptured() const { return captured_; }
    CSprite* CapturedSprite() const { return capturedSprite_; }
    // Starts a knob drag for `sprite` with the grab geometry of its action.
    void Capture(CSprite* sprite, int32_t grabX, int32_t grabY);

  private:
    void DragText(const platform::Point& point);
    void DragVolume(const platform::Point& point);
    void DragVideo(const platform::Point& point);
    void SceneMouseMove(CSprite* hit);
    void ReportMusicChange();

    PlayerHost& host_;
    PlayerTrace noTrace_;
    PlayerTrace* trace_ = &noTrace_;
    CAnimDoc* scene_ = nullptr;
    CFichaDoc* doc_ = nullptr;
    uint64_t documentSerial_ = 0;

    CSprite* hovered_ = nullptr;
    bool captured_ = false;
    CSprite* capturedSprite_ = nullptr;
    int32_t grabX_ = 0;
    int32_t grabY_ = 0;
    int openMenu_ = 0;
    Drag drag_;
    bool fullPaint_ = true;

    std::optional<platform::Rect> videoArea_;
    int framesShown_ = 0;

    CCardVideo video_;
    CPlayerActions actions_;
};
