#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <memory>
#include <optional>
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

// The line breaks of the greedy word-by-word search: each word is tried on the line, and the first one
// that makes the line too wide starts the next line.
std::vector<std::string> ReferenceLines(const std::string& paragraph, int32_t width) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (;;) {
        size_t end = std::min(paragraph.find(' ', start), paragraph.size());
        while (end < paragraph.size()) {
            size_t next = std::min(paragraph.find(' ', end + 1), paragraph.size());
            if (static_cast<int32_t>(next - start) * 10 > width) break;
            end = next;
        }
        lines.push_back(paragraph.substr(start, end - start));
        if (end >= paragraph.size()) return lines;
        start = end + 1;
    }
}

TEST(WordBreak, LayoutAgreesWithTheWordByWordSearchAtEveryWidth) {
    const std::string paragraph = "a bb ccc dddd  e ffffffffffff gg hhh i jjjjj kk l mmmmmmm n oo";
    for (int32_t width = -10; width <= 700; ++width)
        ASSERT_EQ(Lines(paragraph, width), ReferenceLines(paragraph, width)) << "width " << width;
}

// A context that guesses each character's advance, some characters by `error` units too narrow and some
// too wide; with no error the guess is the measure.
class GuessingContext : public FakeDeviceContext {
  public:
    explicit GuessingContext(double error) : error_(error) {}
    double CharacterAdvance(uint8_t c) override { return 10 + (c % 3 - 1) * error_; }

  private:
    double error_;
};

// Guessed widths only choose which lines are measured: right or wrong, the lines are those of the
// word-by-word search, and a right guess settles each line with at most two measures.
TEST(WordBreak, GuessedWidthsChooseWhatIsMeasuredAndNeverTheLines) {
    const std::string paragraph = "a bb ccc dddd  e ffffffffffff gg hhh i jjjjj kk l mmmmmmm n oo";
    for (double error : {0.0, 0.4, 3.0, 9.0}) {
        for (int32_t width = -10; width <= 700; ++width) {
            GuessingContext dc(error);
            std::vector<std::string> lines;
            for (const platform::TextLine& line : platform::WordBreakLayout(dc, paragraph, width))
                lines.push_back(paragraph.substr(line.begin, line.end - line.begin));
            ASSERT_EQ(lines, ReferenceLines(paragraph, width)) << "width " << width << ", error " << error;
        }
    }
    std::string text;
    for (int i = 0; i < 2000; ++i) text += "ab ";
    GuessingContext exact(0);
    EXPECT_EQ(platform::WordBreakLayout(exact, text, 95).size(), 667u);  // three words a line
    EXPECT_LE(exact.measurements, 2 * 667);
}

// A damaged title may hold one paragraph of many thousand words in a rectangle as wide as the coordinates
// go; laying it out must not measure the growing line once for every word.
TEST(WordBreak, AVeryLongLineTakesFewMeasurements) {
    std::string text;
    for (int i = 0; i < 20000; ++i) text += "ab ";
    FakeDeviceContext dc;
    std::vector<platform::TextLine> lines = platform::WordBreakLayout(dc, text, INT32_MAX);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].end, text.size());
    EXPECT_LT(dc.measurements, 100);

    FakeDeviceContext narrow;
    lines = platform::WordBreakLayout(narrow, text, 95);  // three words a line
    EXPECT_EQ(lines.size(), 6667u);
    EXPECT_LT(narrow.measurements, 6 * 6667);
}

// Records the clip that each line is drawn with.
class ClipRecordingContext : public FakeDeviceContext {
  public:
    void DrawTextLine(int32_t x, int32_t y, std::string_view text, const Rect& clip) override {
        FakeDeviceContext::DrawTextLine(x, y, text, clip);
        clips.push_back(clip);
    }
    std::vector<Rect> clips;
};

TEST(WordBreak, DrawingKeepsToTheDeviceClipBox) {
    ClipRecordingContext dc;
    dc.clip = Rect{0, 0, 640, 480};
    // Lines at -30, -15, 0, 15, ...: the two above the device and those below it are left out.
    platform::DrawWordBreakText(dc, "1\r\n2\r\n3\r\n4\r\n5", Rect{-20, -30, INT32_MAX, 20});
    EXPECT_EQ(DrawnTexts(dc), (Strings{"3", "4"}));
    EXPECT_EQ(dc.lines[0].y, 0);
    EXPECT_EQ(dc.lines[0].x, -20);
    EXPECT_EQ(dc.lines[1].y, 15);
    for (const Rect& clip : dc.clips) EXPECT_EQ(clip, (Rect{0, 0, 640, 20}));

    ClipRecordingContext outside;
    platform::DrawWordBreakText(outside, "uno", Rect{700, 0, 800, 100});
    EXPECT_TRUE(outside.lines.empty());
}

// Title files may hold any rectangle; sizes that do not fit in 32 bits saturate instead of wrapping round
// to negative widths and heights.
TEST(Texto, RectanglesSpanningTheWholeCoordinateRangeKeepTheirSize) {
    CTexto wide = MakeText("aaaa bbbb cccc", Rect{INT32_MIN, 0, INT32_MAX, 30});
    EXPECT_EQ(wide.CountBreaks(), 0);  // the whole text on one line
    EXPECT_EQ(wide.VisibleLines(), 2);
    FakeDeviceContext dc;
    wide.Draw(dc);
    EXPECT_EQ(DrawnTexts(dc), (Strings{"aaaa bbbb cccc"}));

    CTexto tall = MakeText("x", Rect{0, INT32_MIN, 100, INT32_MAX});
    EXPECT_EQ(tall.VisibleLines(), INT32_MAX / 15);

    wide.MoveTo(10, 5);
    EXPECT_EQ(wide.rect, (Rect{10, 5, INT32_MAX, 35}));

    CTexto left = MakeText("aaaa bbbb", Rect{INT32_MIN + 5, 0, INT32_MAX - 5, 30});
    FakeDeviceContext editor;
    left.Draw(editor, 10, 0);  // the left edge cannot move below the smallest coordinate
    ASSERT_EQ(editor.lines.size(), 1u);
    EXPECT_EQ(editor.lines[0].x, INT32_MIN);
    EXPECT_EQ(editor.lines[0].text, "aaaa bbbb");
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

namespace {
// A fake whose measurements depend only on the font, as the Qt contexts' do, named by its advance.
class KeyedContext : public FakeDeviceContext {
  public:
    explicit KeyedContext(int32_t advance = 10) : FakeDeviceContext(advance), key_(advance) {}
    std::optional<uint64_t> MeasuringKey() const override { return key_; }

  private:
    uint64_t key_;
};
}  // namespace

// The player draws a card's texts into its buffer and again on every paint of its window: the layout is
// measured once and measured again only when the text, its font, its width or the way of measuring change.
TEST(Texto, TheLayoutIsMeasuredOnceUntilWhatItDependsOnChanges) {
    CTexto t = MakeText("aaaa bbbb cccc dddd eeee ffff gggg", Rect{0, 0, 100, 200});
    auto measuredDrawing = [&](platform::DeviceContext& dc, int& measurements) {
        const int before = measurements;
        t.Draw(dc);
        return measurements - before;
    };
    KeyedContext first;
    const int fresh = measuredDrawing(first, first.measurements);
    EXPECT_EQ(DrawnTexts(first), (Strings{"aaaa bbbb", "cccc dddd", "eeee ffff", "gggg"}));
    KeyedContext second;
    EXPECT_LE(measuredDrawing(second, second.measurements), 1) << "the line height only";
    EXPECT_LT(1, fresh);
    EXPECT_EQ(DrawnTexts(second), DrawnTexts(first));

    auto linesOn = [&](platform::DeviceContext& dc, int& measurements) {
        const int n = measuredDrawing(dc, measurements);
        EXPECT_GT(n, 1) << "measured again";
        return DrawnTexts(static_cast<FakeDeviceContext&>(dc));
    };
    t.text = "aaaa bbbb cccc";
    KeyedContext text;
    EXPECT_EQ(linesOn(text, text.measurements), (Strings{"aaaa bbbb", "cccc"}));
    t.rect.right = 60;
    KeyedContext width;
    EXPECT_EQ(linesOn(width, width.measurements), (Strings{"aaaa", "bbbb", "cccc"}));
    t.bold = true;
    KeyedContext font;
    EXPECT_EQ(linesOn(font, font.measurements), (Strings{"aaaa", "bbbb", "cccc"}));
    KeyedContext wider(20);  // measures otherwise: every word is a line's width alone
    EXPECT_EQ(linesOn(wider, wider.measurements), (Strings{"aaaa", "bbbb", "cccc"}));
    KeyedContext narrow(5);
    EXPECT_EQ(linesOn(narrow, narrow.measurements), (Strings{"aaaa bbbb", "cccc"}));
    // A context that measures in its own way is never answered from the layout of another.
    FakeDeviceContext own(5), again(5);
    EXPECT_EQ(linesOn(own, own.measurements), (Strings{"aaaa bbbb", "cccc"}));
    EXPECT_EQ(linesOn(again, again.measurements), (Strings{"aaaa bbbb", "cccc"}));
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

TEST(Texto, AHugeScrollStepStopsAtTheEndInsteadOfWrappingRound) {
    CTexto t = MakeText("1\r\n2\r\n3\r\n4\r\n5\r\n6", Rect{0, 0, 100, 50});
    EXPECT_TRUE(t.ScrollDown(INT32_MAX));
    EXPECT_EQ(t.GetScroll(), INT32_MAX);
    EXPECT_FALSE(t.ScrollDown(1));  // nothing is left below
    EXPECT_FALSE(t.ScrollDown(INT32_MAX));
    EXPECT_EQ(t.GetScroll(), INT32_MAX);
    EXPECT_TRUE(t.ScrollUp(INT32_MAX));
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
