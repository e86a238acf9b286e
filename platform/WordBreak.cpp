#include "platform/WordBreak.h"

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

// Breaks one paragraph [begin, end) into lines and appends them.
void LayoutParagraph(DeviceContext& dc, std::string_view text, size_t begin, size_t end, int32_t width,
                     std::vector<TextLine>& lines) {
    size_t lineStart = begin;
    for (;;) {
        // The line holds at least its first word, even when that word alone is too wide.
        size_t lineEnd = WordEnd(text, lineStart, end);
        while (lineEnd < end) {
            size_t next = WordEnd(text, lineEnd + 1, end);
            if (!Fits(dc, text, lineStart, next, width)) break;
            lineEnd = next;
        }
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
    int64_t y = rect.top;
    for (size_t i = first; i < lines.size() && y < rect.bottom; ++i, y += lineHeight) {
        const TextLine& line = lines[i];
        if (line.end > line.begin)
            dc.DrawTextLine(rect.left, static_cast<int32_t>(y),
                            text.substr(line.begin, line.end - line.begin), rect);
    }
}

void DrawWordBreakText(DeviceContext& dc, std::string_view text, const Rect& rect) {
    DrawWordBreakLines(dc, text, WordBreakLayout(dc, text, rect.Width()), 0, rect);
}

}  // namespace platform
