#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "model/Ficha.h"
#include "model/Texto.h"
#include "platform/DeviceContext.h"
#include "platform/WordBreak.h"

namespace {

using platform::FakeDeviceContext;
using platform::Rect;

// The fake device context gives every character 10 units and every line 15.
std::vector<std::string> Lines(const std::string& text, int32_t width) {
    FakeDeviceContext dc;
    std::vector<std::string> result;
    for (const platform::TextLine& line : platform::WordBreakLayout(dc, text, width))
        result.push_back(text.substr(line.begin, line.end - line.begin));
    return result;
}

std::vector<std::string> DrawnTexts(const FakeDeviceContext& dc) {
    std::vector<std::string> texts;
    for (const auto& line : dc.lines) texts.push_back(line.text);
    return texts;
}

CTexto MakeText(const std::string& s, Rect rect) {
    CTexto t;
    t.text = s;
    t.rect = rect;
    return t;
}

using Strings = std::vector<std::string>;

TEST(WordBreak, BreaksAtBlanksWhenTheLineWouldBeTooWide) {
    EXPECT_EQ(Lines("aaaa bbbb cccc", 100), (Strings{"aaaa bbbb", "cccc"}));
    EXPECT_EQ(Lines("aaaa bbbb cccc", 90), (Strings{"aaaa bbbb", "cccc"}));  // exactly as wide fits
    EXPECT_EQ(Lines("aaaa bbbb cccc", 89), (Strings{"aaaa", "bbbb", "cccc"}));
    EXPECT_EQ(Lines("aaaa bbbb cccc", 1000), (Strings{"aaaa bbbb cccc"}));
}

TEST(WordBreak, AWordWiderThanTheLineOverflowsWhole) {
    EXPECT_EQ(Lines("aaaaaaaaaaaaaaa bb", 100), (Strings{"aaaaaaaaaaaaaaa", "bb"}));
    EXPECT_EQ(Lines("bb aaaaaaaaaaaaaaa cc", 100), (Strings{"bb", "aaaaaaaaaaaaaaa", "cc"}));
}

TEST(WordBreak, ParagraphBreaksEndLines) {
    EXPECT_EQ(Lines("uno\r\ndos\ntres\rcuatro", 1000), (Strings{"uno", "dos", "tres", "cuatro"}));
    EXPECT_EQ(Lines("a\r\n", 1000), (Strings{"a", ""}));
    EXPECT_EQ(Lines("a\r\n\r\nb", 1000), (Strings{"a", "", "b"}));
    EXPECT_EQ(Lines("", 100), (Strings{""}));
    EXPECT_EQ(Lines("&amp; uno", 1000), (Strings{"&amp; uno"}));  // no prefix processing
}

TEST(WordBreak, DrawsLineByLineClippedToTheRectangle) {
    FakeDeviceContext dc;
    platform::DrawWordBreakText(dc, "aaaa bbbb cccc dddd eeee", Rect{10, 20, 110, 50});
    ASSERT_EQ(dc.lines.size(), 2u);  // the third line would start at the bottom edge
    EXPECT_EQ(dc.lines[0].text, "aaaa bbbb");
    EXPECT_EQ(dc.lines[0].x, 10);
    EXPECT_EQ(dc.lines[0].y, 20);
    EXPECT_EQ(dc.lines[1].text, "cccc dddd");
    EXPECT_EQ(dc.lines[1].y, 35);
}

TEST(Texto, PlayerDrawLeavesOutTheScrolledLinesAndRestoresTheContext) {
    CTexto t = MakeText("aaaa bbbb cccc dddd eeee", Rect{10, 20, 110, 50});
    t.bold = true;
    t.italic = true;
    t.height = 22;
    t.fontFace = "Times New Roman";
    t.colour = 0x0000FF;
    FakeDeviceContext dc;
    dc.SetTextColor(0x123456);
    t.SetScroll(1);
    t.Draw(dc);
    EXPECT_EQ(DrawnTexts(dc), (Strings{"cccc dddd", "eeee"}));
    EXPECT_EQ(dc.lines[0].y, 20);
    EXPECT_EQ(dc.lines[0].colour, 0x0000FFu);
    const platform::FontRequest& font = dc.lines[0].font;
    EXPECT_EQ(font.height, 22);
    EXPECT_EQ(font.weight, 700);
    EXPECT_TRUE(font.italic);
    EXPECT_FALSE(font.underline);
    EXPECT_EQ(font.faceName, "Times New Roman");
    EXPECT_EQ(font.outputPrecision, 2);
    EXPECT_EQ(font.quality, 2);
    EXPECT_EQ(dc.TextColor(), 0x123456u);
    EXPECT_FALSE(dc.TransparentBackground());
    EXPECT_EQ(dc.SelectedFont(), platform::FontRequest{});

    FakeDeviceContext beyond;
    t.SetScroll(7);
    t.Draw(beyond);
    EXPECT_TRUE(beyond.lines.empty());
}

TEST(Texto, EditorDrawIsUnscrolledAndMovedByTheOrigin) {
    CTexto t = MakeText("aaaa bbbb cccc", Rect{10, 20, 110, 80});
    t.SetScroll(1);
    FakeDeviceContext dc;
    t.Draw(dc, 5, 15);
    EXPECT_EQ(DrawnTexts(dc), (Strings{"aaaa bbbb", "cccc"}));
    EXPECT_EQ(dc.lines[0].x, 5);
    EXPECT_EQ(dc.lines[0].y, 5);
    EXPECT_EQ(dc.lines[0].font.weight, 400);
    EXPECT_EQ(dc.lines[0].font.quality, 0);

    t.visible = false;
    FakeDeviceContext hidden;
    t.Draw(hidden, 0, 0);
    t.Draw(hidden);
    EXPECT_TRUE(hidden.lines.empty());
}

TEST(Texto, HitAndMove) {
    CTexto t = MakeText("x", Rect{10, 20, 110, 70});
    EXPECT_TRUE(t.Hit(10, 20));
    EXPECT_TRUE(t.Hit(109, 69));
    EXPECT_FALSE(t.Hit(110, 30));  // the right edge is outside
    EXPECT_FALSE(t.Hit(50, 70));
    t.visible = false;
    EXPECT_FALSE(t.Hit(50, 30));
    t.MoveTo(-5, 7);
    EXPECT_EQ(t.rect, (Rect{-5, 7, 95, 57}));
}

TEST(Texto, VisibleLinesAndPageScrolls) {
    CTexto t = MakeText("1\r\n2\r\n3\r\n4\r\n5\r\n6", Rect{0, 0, 100, 50});
    EXPECT_EQ(t.VisibleLines(), 3);
    EXPECT_EQ(t.CountBreaks(), 5);
    EXPECT_FALSE(t.ScrollUp(1));  // already at the top
    EXPECT_FALSE(t.ScrollDown(0));
    EXPECT_TRUE(t.ScrollDown(-1));
    EXPECT_EQ(t.GetScroll(), 2);  // a page is the visible lines minus one
    EXPECT_TRUE(t.ScrollDown(-1));
    EXPECT_EQ(t.GetScroll(), 4);
    EXPECT_FALSE(t.ScrollDown(1));  // six lines, three visible from the fifth: the rest fits
    EXPECT_EQ(t.GetScroll(), 4);
    EXPECT_TRUE(t.ScrollUp(-1));
    EXPECT_EQ(t.GetScroll(), 2);
    EXPECT_FALSE(t.ScrollUp(0));

    EXPECT_TRUE(t.SetScroll(3));
    EXPECT_FALSE(t.SetScroll(3));
    EXPECT_TRUE(t.ScrollUp(5));
    EXPECT_EQ(t.GetScroll(), 0);
    EXPECT_FALSE(t.ScrollUp(1));
    EXPECT_TRUE(t.SetScroll(2));
    EXPECT_TRUE(t.SetScroll(-4));  // a scroll position is never negative
    EXPECT_EQ(t.GetScroll(), 0);
}

TEST(Texto, ATextThatFitsCannotScrollDown) {
    CTexto t = MakeText("una sola linea", Rect{0, 0, 200, 30});
    EXPECT_EQ(t.CountBreaks(), 0);
    EXPECT_EQ(t.VisibleLines(), 2);
    EXPECT_FALSE(t.ScrollDown(1));
    EXPECT_FALSE(t.ScrollDown(-1));
    EXPECT_EQ(t.GetScroll(), 0);
}

// The last word wraps onto a line of its own: it is counted, and scrolling brings it to the top, which is
// exactly where drawing puts it.
TEST(Texto, CountBreaksCountsAWrappedLastWordAndScrollingAgreesWithDrawing) {
    CTexto t = MakeText("aaaa bbbb cccc", Rect{0, 0, 100, 15});
    EXPECT_EQ(t.CountBreaks(), 1);
    EXPECT_EQ(t.VisibleLines(), 1);
    EXPECT_TRUE(t.ScrollDown(1));
    FakeDeviceContext dc;
    t.Draw(dc);
    EXPECT_EQ(DrawnTexts(dc), (Strings{"cccc"}));
}

class ScreenFactoryGuard {
  public:
    explicit ScreenFactoryGuard(platform::ScreenContextFactory* f) { platform::SetScreenContextFactory(f); }
    ~ScreenFactoryGuard() { platform::SetScreenContextFactory(nullptr); }
};

class NoLineHeightScreens : public platform::ScreenContextFactory {
  public:
    std::unique_ptr<platform::DeviceContext> CreateScreenContext() override {
        return std::make_unique<FakeDeviceContext>(10, 0);
    }
};

TEST(Texto, WithoutALineHeightNothingIsVisibleAndNothingScrolls) {
    NoLineHeightScreens screens;
    ScreenFactoryGuard guard(&screens);
    CTexto t = MakeText("1\r\n2\r\n3", Rect{0, 0, 100, 50});
    EXPECT_EQ(t.VisibleLines(), 0);
    EXPECT_FALSE(t.ScrollDown(1));
    EXPECT_FALSE(t.ScrollDown(-1));
    t.SetScroll(2);
    EXPECT_FALSE(t.ScrollUp(-1));
    EXPECT_EQ(t.GetScroll(), 2);
}

TEST(Texto, APageNeverMovesBackwardsInARectangleShorterThanALine) {
    CTexto t = MakeText("1\r\n2\r\n3", Rect{0, 0, 100, 10});
    EXPECT_EQ(t.VisibleLines(), 0);
    EXPECT_TRUE(t.ScrollDown(-1));
    EXPECT_EQ(t.GetScroll(), 1);
    EXPECT_TRUE(t.ScrollUp(-1));
    EXPECT_EQ(t.GetScroll(), 0);
}

TEST(Texto, CardFindsTheFirstVisibleTextAtAPointAndResetsScrolling) {
    CFicha card;
    auto hidden = std::make_unique<CTexto>(MakeText("a", Rect{0, 0, 50, 50}));
    hidden->visible = false;
    card.AddText(std::move(hidden));
    card.AddText(std::make_unique<CTexto>(MakeText("b\r\nc\r\nd", Rect{0, 0, 100, 15})));
    card.AddText(std::make_unique<CTexto>(MakeText("c", Rect{0, 0, 100, 100})));
    EXPECT_EQ(card.TextAtPoint(10, 10), card.TextAt(1));
    EXPECT_EQ(card.TextAtPoint(10, 50), card.TextAt(2));
    EXPECT_EQ(card.TextAtPoint(100, 50), nullptr);
    EXPECT_EQ(card.TextAt(3), nullptr);

    card.TextAt(1)->SetScroll(2);
    card.TextAt(2)->SetScroll(1);
    card.ResetTextScroll();
    EXPECT_EQ(card.TextAt(1)->GetScroll(), 0);
    EXPECT_EQ(card.TextAt(2)->GetScroll(), 0);
}

}  // namespace
