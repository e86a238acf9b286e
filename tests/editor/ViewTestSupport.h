#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTest>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "editor/CommandTarget.h"
#include "editor/EditingSeams.h"
#include "editor/FichaView.h"
#include "editor/FichaViewHost.h"
#include "model/Actions.h"
#include "model/Classes.h"
#include "model/FichaDoc.h"
#include "model/Texto.h"
#include "platform/MessageBox.h"
#include "tests/model/DocTestSupport.h"
#include "tests/support/QtApp.h"
#include "tests/support/ScratchFolder.h"

// Helpers of the editing view's tests: an editor document with one card, the view in its real widget,
// a router and an insertion double, and synthetic mouse and key events sent to the widget.
namespace view_test {

using platform::Point;
using platform::Rect;

// The frame's routing as far as the view sees it: the view first, then scripted answers for the
// commands other targets own. Every command run is recorded.
class RecordingRouter : public CommandTarget {
  public:
    bool CommandState(int id, State& state) override {
        if (view && view->CommandState(id, state)) return true;
        auto it = states.find(id);
        if (it == states.end()) return false;
        state = it->second;
        return true;
    }
    bool RunCommand(int id) override {
        run.push_back(id);
        if (view) view->RunCommand(id);
        return true;
    }
    CFichaView* view = nullptr;
    std::map<int, State> states;
    std::vector<int> run;
};

// The model side of the insert tools: records each call; a text is really added to the current card.
class RecordingInsertion : public CardInsertion {
  public:
    explicit RecordingInsertion(CFichaDoc& doc) : doc_(doc) {}
    bool InsertSprite(const Point& at) override {
        calls.push_back("sprite " + Where(at));
        return answer;
    }
    CTexto* InsertText(const Rect& place) override {
        calls.push_back("text " + std::to_string(place.left) + "," + std::to_string(place.top) + "," +
                        std::to_string(place.right) + "," + std::to_string(place.bottom));
        CFicha* card = doc_.GetCurrentCardPtr();
        if (!answer || !card) return nullptr;
        auto text = std::make_unique<CTexto>("Texto", place);
        CTexto* made = text.get();
        card->AddText(std::move(text));
        return made;
    }
    bool InsertPicture(const Point& at) override {
        calls.push_back("picture " + Where(at));
        return answer;
    }
    bool InsertVideo(const Point& at) override {
        calls.push_back("video " + Where(at));
        return answer;
    }
    std::vector<std::string> calls;
    bool answer = true;

  private:
    static std::string Where(const Point& p) { return std::to_string(p.x) + "," + std::to_string(p.y); }
    CFichaDoc& doc_;
};

// The view with its undo steps counted (and still taken).
class CountingView : public CFichaView {
  public:
    using CFichaView::CFichaView;
    int snapshots = 0;
    std::string lastStep;

  protected:
    void TakeUndoSnapshot(const std::string& step) override {
        ++snapshots;
        lastStep = step;
        CFichaView::TakeUndoSnapshot(step);
    }
};

class ViewFixture : public testing::Test {
  protected:
    ViewFixture() {
        test_support::EnsureQtApplication();
        RegisterTitleClasses();
        platform::SetMessageBox(&box);
        EXPECT_TRUE(doc.OnNewDocument());
        auto made = std::make_unique<CountingView>(doc, &insertion, router);
        view = made.get();
        router.view = view;
        host = std::make_unique<CFichaViewHost>(std::move(made));
        host->resize(640, 480);
    }
    ~ViewFixture() override {
        host.reset();
        doc.OnCloseDocument();
        platform::SetMessageBox(nullptr);
    }

    CFicha& Card() { return *doc.GetCurrentCardPtr(); }
    CSpriteList& Sprites() { return doc.GetSpriteList(); }
    QWidget& Widget() { return host->Widget(); }

    // An ordinary (or proxy) sprite of w x h at (x, y) on `plane`.
    CSprite* AddSprite(int32_t number, int32_t x, int32_t y, int32_t plane = 50, int w = 20, int h = 20) {
        auto sprite = doc_test::MakeSprite(number, x, y, plane, w, h);
        CSprite* made = sprite.get();
        Sprites().Insert(std::move(sprite));
        return made;
    }
    CTexto* AddText(const Rect& rect, const std::string& content = "Texto") {
        auto text = std::make_unique<CTexto>(content, rect);
        text->selected = false;
        CTexto* made = text.get();
        Card().AddText(std::move(text));
        return made;
    }
    // A picture record at (x, y) with its proxy sprite, as the document builds it.
    CSprite* AddPicture(int32_t x, int32_t y) {
        auto picture = std::make_unique<CFoto>();
        picture->fileName = "FOTO.BMP";
        picture->x = x;
        picture->y = y;
        const size_t index = Card().pictures.GetSize();
        Card().AddPicture(std::move(picture));
        return AddSprite(PictureProxyNumber(index, true), x, y, 40);
    }
    CSprite* AddVideo(int32_t x, int32_t y) {
        Card().video.file = "CLIP.AVI";
        Card().video.x = x;
        Card().video.y = y;
        return AddSprite(kVideoProxyNumber, x, y, 45, 32, 24);
    }

    void Show() {
        host->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(host.get()));
        QCoreApplication::processEvents();
    }

    void Mouse(QEvent::Type type, Point at, Qt::MouseButton button, Qt::MouseButtons held,
               Qt::KeyboardModifiers modifiers) {
        const QPointF p(at.x, at.y);
        QMouseEvent event(type, p, Widget().mapToGlobal(p), button, held, modifiers);
        QCoreApplication::sendEvent(&Widget(), &event);
    }
    void Press(Point at, Qt::KeyboardModifiers m = Qt::NoModifier, Qt::MouseButton b = Qt::LeftButton) {
        Mouse(QEvent::MouseButtonPress, at, b, b, m);
    }
    void MoveTo(Point at, Qt::MouseButtons held = Qt::LeftButton, Qt::KeyboardModifiers m = Qt::NoModifier) {
        Mouse(QEvent::MouseMove, at, Qt::NoButton, held, m);
    }
    void Release(Point at, Qt::KeyboardModifiers m = Qt::NoModifier, Qt::MouseButton b = Qt::LeftButton) {
        Mouse(QEvent::MouseButtonRelease, at, b, Qt::NoButton, m);
    }
    void Click(Point at, Qt::KeyboardModifiers m = Qt::NoModifier) {
        Press(at, m);
        Release(at, m);
    }
    // Press, a few steps of movement, release.
    void Drag(Point from, Point to, Qt::KeyboardModifiers m = Qt::NoModifier) {
        Press(from, m);
        MoveTo({(from.x + to.x) / 2, (from.y + to.y) / 2}, Qt::LeftButton, m);
        MoveTo(to, Qt::LeftButton, m);
        Release(to, m);
    }
    void DoubleClick(Point at) {
        Press(at);
        Release(at);
        Mouse(QEvent::MouseButtonDblClick, at, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        Release(at);
    }
    void Key(int key, Qt::KeyboardModifiers m = Qt::NoModifier) {
        QKeyEvent press(QEvent::KeyPress, key, m);
        QCoreApplication::sendEvent(&Widget(), &press);
        QKeyEvent release(QEvent::KeyRelease, key, m);
        QCoreApplication::sendEvent(&Widget(), &release);
    }

    platform::RecordingMessageBox box;
    CFichaDoc doc{Variant::editor};
    RecordingRouter router;
    RecordingInsertion insertion{doc};
    CountingView* view = nullptr;
    std::unique_ptr<CFichaViewHost> host;
};

inline Point TopLeft(const CSprite& s) {
    return {s.GetX(), s.GetY()};
}

}  // namespace view_test
