#include "platform/WordBreak.h"

#include <algorithm>
#include <cstdint>
#include <optional>

namespace platform {

namespace {

bool IsLineBreak(char c) {
    return c == '\r' || c == '\n';
}

// Where the paragraph that starts at `begin` ends: at the first CR or LF, or at the end of the text.
size_t ParagraphEnd(std::string_view text, size_t begin) {
    size_t i = begin;
    while (i < text.size() && !IsLineBreak(text[i])) ++i;
    return i;
}

// Skips the paragraph break at `i`: CR LF counts as one break, a lone CR or LF as one too.
size_t SkipLineBreak(std::string_view text, size_t i) {
    if (i >= text.size()) return i;
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') return i + 2;
    return i + 1;
}

// The end of the word that starts at `i` inside a paragraph ending at `end`: the next blank or `end`.
size_t WordEnd(std::string_view text, size_t i, size_t end) {
    while (i < end && text[i] != ' ') ++i;
    return i;
}

bool Fits(DeviceContext& dc, std::string_view text, size_t begin, size_t end, int32_t width) {
    return dc.MeasureText(text.substr(begin, end - begin)).cx <= width;
}

// The ends of the words of one line, found as the search for the line's break asks for them.
class WordEnds {
  public:
    WordEnds(std::string_view text, size_t lineStart, size_t end) : text_(text), end_(end) {
        ends_.push_back(WordEnd(text, lineStart, end));
    }
    // The end of word k of the line, or the paragraph's end when the paragraph has fewer words.
    size_t At(size_t k) {
        while (ends_.size() <= k && ends_.back() < end_)
            ends_.push_back(WordEnd(text_, ends_.back() + 1, end_));
        return ends_[std::min(k, ends_.size() - 1)];
    }
    // The number of words when the paragraph ends within the first k + 1 of them.
    bool EndsWithin(size_t k) { return At(k) >= end_; }

  private:
    std::string_view text_;
    size_t end_;
    std::vector<size_t> ends_;
};

// The last word k of the line that starts at `lineStart` whose line the context's character advances
// guess to fit; 0 when even the second word would not, and nothing when the context cannot guess.
std::optional<size_t> GuessLastWord(DeviceContext& dc, std::string_view text, size_t lineStart,
                                    WordEnds& ends, int32_t width) {
    double guess = 0;
    size_t at = lineStart;
    for (size_t k = 0;; ++k) {
        const size_t wordEnd = ends.At(k);
        for (; at < wordEnd; ++at) {
            const double advance = dc.CharacterAdvance(static_cast<uint8_t>(text[at]));
            if (advance < 0) return std::nullopt;
            guess += advance;
        }
        if (k > 0 && guess > width + 0.5) return k - 1;
        if (ends.EndsWithin(k)) return k;
    }
}

// The end of the line that starts at `lineStart`: after as many words as fit, and at least the first one,
// even when that word alone is too wide. A line's width only grows as words are added, so the last
// fitting word is the one whose line fits while the line one word longer does not. A context that can
// guess widths names the word to check first, which nearly always settles the line with two measures;
// otherwise, and whenever the guess was wrong, the word is found by doubling the step from the last word
// known to fit and then halving it: a paragraph of many thousand words on one wide line costs a few dozen
// measurements, not one for every word.
size_t LineEnd(DeviceContext& dc, std::string_view text, size_t lineStart, size_t end, int32_t width) {
    WordEnds ends(text, lineStart, end);
    size_t fits = 0;  // word `fits` is known to end a line that fits (or is the compulsory first word)
    size_t step = 1;
    size_t fails = 0;  // 0: no word known not to fit yet
    if (std::optional<size_t> guess = GuessLastWord(dc, text, lineStart, ends, width)) {
        if (*guess == 0 || Fits(dc, text, lineStart, ends.At(*guess), width)) {
            fits = *guess;
        } else {
            fails = *guess;
            // A guess one word too long is the usual miss.
            if (*guess > 1 && Fits(dc, text, lineStart, ends.At(*guess - 1), width)) fits = *guess - 1;
        }
        if (fails == 0 && !ends.EndsWithin(fits)) {
            if (Fits(dc, text, lineStart, ends.At(fits + 1), width))
                fits += 1;
            else
                fails = fits + 1;
        }
    }
    while (fails == 0 && !ends.EndsWithin(fits)) {
        size_t probe = fits + step;
        if (!Fits(dc, text, lineStart, ends.At(probe), width)) {
            fails = probe;
            break;
        }
        fits = probe;
        step *= 2;
    }
    if (fails == 0) return ends.At(fits);
    while (fails - fits > 1) {
        size_t mid = fits + (fails - fits) / 2;
        if (Fits(dc, text, lineStart, ends.At(mid), width))
            fits = mid;
        else
            fails = mid;
    }
    return ends.At(fits);
}

// Breaks one paragraph [begin, end) into lines and appends them.
void LayoutParagraph(DeviceContext& dc, std::string_view text, size_t begin, size_t end, int32_t width,
                     std::vector<TextLine>& lines) {
    size_t lineStart = begin;
    for (;;) {
        size_t lineEnd = LineEnd(dc, text, lineStart, end, width);
        lines.push_back({lineStart, lineEnd});
        if (lineEnd >= end) return;
        lineStart = lineEnd + 1;  // the blank at the break is dropped
    }
}

}  // namespace

std::vector<TextLine> WordBreakLayout(DeviceContext& dc, std::string_view text, int32_t width) {
    std::vector<TextLine> lines;
    size_t begin = 0;
    for (;;) {
        size_t end = ParagraphEnd(text, begin);
        LayoutParagraph(dc, text, begin, end, width, lines);
        if (end >= text.size()) return lines;
        // A break at the very end opens one more, empty line, as the next pass of the loop lays out.
        begin = SkipLineBreak(text, end);
    }
}

int32_t WordBreakLineHeight(DeviceContext& dc) {
    return dc.MeasureText("").cy;
}

void DrawWordBreakLines(DeviceContext& dc, std::string_view text, const std::vector<TextLine>& lines,
                        size_t first, const Rect& rect) {
    int32_t lineHeight = WordBreakLineHeight(dc);
    // Only the part of the rectangle that the device can show is drawn to. This keeps the clip and the
    // line positions handed on within the device's reach even for a rectangle that spans the whole
    // coordinate range, as a damaged title's text may.
    const Rect clip = rect.Intersect(dc.ClipBox());
    if (clip.IsEmpty()) return;
    int64_t y = rect.top;
    for (size_t i = first; i < lines.size() && y < clip.bottom; ++i, y += lineHeight) {
        const TextLine& line = lines[i];
        if (line.end > line.begin && y + lineHeight > clip.top)
            dc.DrawTextLine(rect.left, static_cast<int32_t>(y),
                            text.substr(line.begin, line.end - line.begin), clip);
    }
}

void DrawWordBreakText(DeviceContext& dc, std::string_view text, const Rect& rect) {
    // The width of a rectangle that spans more than 32 bits saturates rather than wrapping round.
    const int64_t width = std::clamp<int64_t>(int64_t{rect.right} - rect.left, INT32_MIN, INT32_MAX);
    DrawWordBreakLines(dc, text, WordBreakLayout(dc, text, static_cast<int32_t>(width)), 0, rect);
}

}  // namespace platform
