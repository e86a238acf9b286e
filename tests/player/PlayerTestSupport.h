#pragma once

#include <array>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "engine/PhasedSprite.h"
#include "model/Classes.h"
#include "model/FichaDoc.h"
#include "model/PlayerRunState.h"
#include "model/Texto.h"
#include "platform/File.h"
#include "platform/MessageBox.h"
#include "platform/Sound.h"
#include "player/CardView.h"
#include "player/PlayerHost.h"
#include "tests/support/ScratchFolder.h"

// Titles made in memory and on disk for the player's tests, a host that records what the view asks of
// the program, and a trace that records what the player reports.
namespace player_test {

using test_support::ScratchFolder;

// An opaque single-colour sprite of w x h (frames rows of cells) at (x, y).
inline std::unique_ptr<CPhasedSprite> MakeSprite(int32_t number, int32_t x, int32_t y, int w = 20, int h = 10,
                                                 int frames = 1, int32_t plane = 0) {
    auto s = std::make_unique<CPhasedSprite>();
    s->Create(w, h * frames, 3);
    s->ComputeTransparentColour();
    s->SetTransparent(false);
    s->SetNumFrames(frames);
    s->SetPosition(x, y);
    s->SetPlane(plane);
    s->SetNumber(number);
    return s;
}

// Builds a title sprite by sprite and card by card.
class TitleBuilder {
  public:
    TitleBuilder() : doc_(std::make_unique<CFichaDoc>(Variant::player)) { RegisterTitleClasses(); }

    CPhasedSprite& Sprite(int32_t number, int32_t x, int32_t y, int w = 20, int h = 10, int frames = 1,
                          int32_t plane = 0) {
        auto s = MakeSprite(number, x, y, w, h, frames, plane);
        CPhasedSprite& ref = *s;
        doc_->GetSpriteList().Insert(std::move(s));
        return ref;
    }
    CPhasedSprite& Clicking(int32_t number, int32_t x, int32_t y, int32_t action,
                            std::array<std::string, 4> args = {}, int w = 20, int h = 10) {
        CPhasedSprite& s = Sprite(number, x, y, w, h);
        s.SetClickAction(action);
        s.SetClickArguments(args);
        return s;
    }
    CFicha& Card() {
        doc_->GetCards().Add(std::make_unique<CFicha>());
        return *doc_->GetCards().GetAt(doc_->GetCards().GetSize() - 1);
    }
    CFicha& Cards(int n) {
        for (int i = 0; i < n - 1; ++i) Card();
        return Card();
    }
    CFichaDoc& Doc() { return *doc_; }
    // The document in memory, showing its first card.
    std::unique_ptr<CFichaDoc> Take() {
        doc_->GoToCard(0);
        return std::move(doc_);
    }
    // Stores the title as `path`.
    void Save(const std::string& path) {
        platform::DiskFile file;
        file.Open(path, platform::DiskFile::Mode::write);
        doc_->Store(file);
    }

  private:
    std::unique_ptr<CFichaDoc> doc_;
};

inline std::unique_ptr<CTexto> MakeText(const std::string& id, const std::string& body, platform::Rect rect) {
    auto t = std::make_unique<CTexto>();
    t->identifier = id;
    t->text = body;
    t->rect = rect;
    return t;
}

// Opens titles from a folder as the player does, and records every other request.
class RecordingHost : public PlayerHost {
  public:
    explicit RecordingHost(std::string folder) : folder_(std::move(folder)) {}
    void Attach(CPlayerCardView* view) { view_ = view; }

    bool OpenTitle(const std::string& name) override {
        calls.push_back("open " + name);
        auto doc = std::make_unique<CFichaDoc>(Variant::player);
        doc->SetBaseDirectory(folder_);
        if (!doc->OnOpenDocument(folder_ + "/" + name)) return false;
        view_->SetDocument(doc.get());
        // Documents left stay alive: the clicked sprite of the title left is still on the stack.
        docs.push_back(std::move(doc));
        return true;
    }
    void CloseScene() override { calls.push_back("close-scene"); }
    void ShowCredits() override { calls.push_back("credits"); }
    int RunCardsList(const CArrayFichas& cards, int current) override {
        calls.push_back("cards-list " + std::to_string(current) + " of " + std::to_string(cards.GetSize()));
        return cardsListAnswer;
    }
    void ShowPicture(const std::string& file, const std::string& sound) override {
        calls.push_back("picture " + file + " " + sound);
    }
    void RunSlideShow(const std::array<std::string, 4>& a) override {
        calls.push_back("slide-show " + a[0] + "|" + a[1] + "|" + a[2] + "|" + a[3]);
    }
    bool ShellOpen(const std::string& target) override {
        calls.push_back("shell " + target);
        return shellAnswer;
    }
    void EndProgram() override { calls.push_back("end"); }
    void RedrawView() override { calls.push_back("redraw"); }
    void CaptureMouse(bool capture) override { calls.push_back(capture ? "capture" : "release"); }
    void SetCursor(PlayerCursor cursor) override { cursors.push_back(cursor); }

    std::vector<std::string> calls;
    std::vector<PlayerCursor> cursors;
    std::vector<std::unique_ptr<CFichaDoc>> docs;
    int cardsListAnswer = -1;
    bool shellAnswer = true;

  private:
    std::string folder_;
    CPlayerCardView* view_ = nullptr;
};

class RecordingTrace : public PlayerTrace {
  public:
    void Click(int32_t sprite, int32_t action, const std::array<std::string, 4>& a) override {
        events.push_back("click " + std::to_string(sprite) + " " + std::to_string(action) + " " + a[0]);
    }
    void Enter(int32_t sprite, int32_t action, const std::string&) override {
        events.push_back("enter " + std::to_string(sprite) + " " + std::to_string(action));
    }
    void Leave(int32_t sprite, int32_t action, const std::string&) override {
        events.push_back("leave " + std::to_string(sprite) + " " + std::to_string(action));
    }
    void Sound(const std::string& file, bool) override { events.push_back("sound " + file); }
    void SoundStop() override { events.push_back("sound-stop"); }
    void Volume(uint16_t l, uint16_t r, bool muted) override {
        events.push_back("volume " + std::to_string(l) + " " + std::to_string(r) + (muted ? " muted" : ""));
    }
    void VideoState(const std::string& file, const std::string& state) override {
        events.push_back("video " + file + " " + state);
    }
    void Dialog(const std::string& name, bool open) override {
        events.push_back(std::string(open ? "open " : "close ") + name);
    }
    void Shell(const std::string& target, bool opened) override {
        events.push_back("shell " + target + (opened ? " 1" : " 0"));
    }
    void CardEntered(const std::string& title, int card, int count) override {
        events.push_back("card " + std::filesystem::path(title).filename().string() + " " +
                         std::to_string(card) + "/" + std::to_string(count));
    }
    void Exit() override { events.push_back("exit"); }
    void Screenshot(const std::string& file) override {
        events.push_back("screenshot " + std::filesystem::path(file).filename().string());
    }
    std::vector<std::string> events;
};

// A view on a title, with the host, the trace, a recording sound service and a fresh run state. `View`
// is the player's card view or a test's subclass of it that keeps more of what it is shown.
template <class View = CPlayerCardView>
struct BasicPlayerFixture {
    BasicPlayerFixture() : host(folder.Path()), view(host), box(messages) {
        platform::SetSound(&sound);
        SetRunState(&state);
        host.Attach(&view);
        view.SetTrace(&trace);
    }
    ~BasicPlayerFixture() {
        view.SetDocument(nullptr);
        platform::SetSound(nullptr);
        SetRunState(nullptr);
    }
    // Shows `doc` (kept here) from its current card.
    void Show(std::unique_ptr<CFichaDoc> d) {
        doc = std::move(d);
        view.SetDocument(doc.get());
        view.OnInitialUpdate();
    }
    // The document the view shows now.
    CFichaDoc& Current() { return *view.GetDocument(); }
    CSprite* Number(int32_t n) { return view.GetSceneDocument()->GetSpriteList().FindByNumber(n); }
    void Click(int32_t x, int32_t y) { view.OnLeftButtonDown({x, y}); }

    ScratchFolder folder;
    platform::RecordingSound sound;
    CPlayerRunState state;
    RecordingHost host;
    RecordingTrace trace;
    View view;
    platform::RecordingMessageBox messages;
    platform::ScopedMessageBox box;
    std::unique_ptr<CFichaDoc> doc;
};

using PlayerFixture = BasicPlayerFixture<>;

}  // namespace player_test
