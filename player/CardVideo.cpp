#include "player/CardVideo.h"

#include <vector>

#include "engine/SpriteList.h"
#include "model/FichaDoc.h"
#include "platform/MciDevice.h"
#include "player/CardView.h"

const char* CCardVideo::StateName(State state) {
    switch (state) {
        case atEnd:
            return "at-end";
        case playing:
            return "playing";
        case paused:
            return "paused";
        case closed:
            return "closed";
    }
    return "closed";
}

void CCardVideo::SetState(State state) {
    state_ = state;
    view_.Trace().VideoState(file_, StateName(state));
}

void CCardVideo::Stop() {
    CFichaDoc* doc = view_.GetDocument();
    if (open_ && doc) {
        doc->GetMciAvi()->Stop();
        doc->GetMciAvi()->Close();
        SetState(closed);
    }
    open_ = false;
}

void CCardVideo::Start() {
    if (open_) Stop();
    CFichaDoc* doc = view_.GetDocument();
    if (!doc || !doc->HasVideo()) return;
    CFicha* card = doc->GetCurrentCardPtr();
    if (!card) return;
    const CVideo& video = card->video;
    file_ = video.file;
    if (!video.automaticInit) {
        open_ = false;
        SetState(closed);
        return;
    }
    CMciAvi* device = doc->GetMciAvi();
    // The clip is named as the title names it; the document finds it beside the title.
    const std::optional<std::string> real = doc->ResolveMediaName(video.file);
    if (!device->Open(real ? *real : video.file, &view_)) {
        open_ = false;
        SetState(closed);
        return;
    }
    const platform::Rect source = device->SourceRect();
    device->PlaceWindow(video.x, video.y, source.Width(), source.Height(), &view_,
                        SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    replayLoop_ = video.loop;
    if (video.loop)
        device->PlayRepeatNotify(&view_);
    else
        device->PlayNotify(&view_);
    open_ = true;
    Refresh();
    SetState(playing);
}

void CCardVideo::Refresh() {
    CFichaDoc* doc = view_.GetDocument();
    if (!open_ || !doc) return;
    CMciAvi* device = doc->GetMciAvi();
    device->PlaceWindow(0, 0, 0, 0, nullptr, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    device->UpdateVideoWindow();
}

void CCardVideo::Play() {
    CFichaDoc* doc = view_.GetDocument();
    if (!doc || !doc->HasVideo()) return;
    CMciAvi* device = doc->GetMciAvi();
    switch (state_) {
        case atEnd:
            device->Seek(0);
            if (replayLoop_)
                device->PlayRepeatNotify(&view_);
            else
                device->PlayNotify(&view_);
            SetState(playing);
            break;
        case playing:
            break;
        case paused:
            // Plays on from where it was paused, once, even when the clip loops.
            device->PlayNotify(&view_);
            SetState(playing);
            break;
        case closed: {
            CFicha* card = doc->GetCurrentCardPtr();
            if (!card) return;
            const bool stored = card->video.automaticInit;
            card->video.automaticInit = true;
            Start();
            card->video.automaticInit = stored;
            break;
        }
    }
}

void CCardVideo::Pause() {
    CFichaDoc* doc = view_.GetDocument();
    if (!open_ || !doc || state_ != playing) return;
    SetState(paused);
    doc->GetMciAvi()->Pause();
}

void CCardVideo::OnNotify(uint32_t code) {
    CFichaDoc* doc = view_.GetDocument();
    if (!doc) return;
    if (code != MCI_NOTIFY_SUCCESSFUL) {
        Refresh();
        return;
    }
    SetState(atEnd);
    CFicha* card = doc->GetCurrentCardPtr();
    if (card) {
        const std::vector<int32_t> numbers = CSpriteList::ParseNumberList(card->video.activateOnClose);
        doc->GetSpriteList().ShowSprites(numbers);
        if (!numbers.empty()) view_.RenderAndDrawDirtyList();
    }
    CMciAvi* device = doc->GetMciAvi();
    if (card && card->video.closeWhenFinishes) {
        device->Close();
        view_.DrawBuffer(std::nullopt);
        SetState(closed);
        open_ = false;
    } else {
        device->Seek(0);
    }
}
