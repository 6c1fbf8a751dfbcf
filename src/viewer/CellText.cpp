#include "viewer/CellText.h"

#include <algorithm>

namespace tabulix {

namespace {

// The room between a cell's edges and its text.
constexpr int32_t SideMargin = 4;
constexpr int32_t EndMargin = 2;
// Only so much of a text is wrapped: more never shows in a cell.
constexpr size_t MaxWrappedUnits = 4096;

TRect Inner(const TRect& rect) {
    return TRect{rect.Left + SideMargin, rect.Top + EndMargin, rect.Right - SideMargin, rect.Bottom - EndMargin};
}

int32_t Width(TCanvas& canvas, std::u16string_view text) { return canvas.TextExtent(std::u16string(text)).Width; }

// The longest start of a word that fits in width, at least one character.
size_t FittingPrefix(TCanvas& canvas, std::u16string_view word, int32_t width) {
    size_t low = 1, high = word.size();
    while (low < high) {
        const size_t middle = (low + high + 1) / 2;
        if (Width(canvas, word.substr(0, middle)) <= width) low = middle;
        else high = middle - 1;
    }
    return low;
}

std::vector<std::u16string_view> Words(std::u16string_view line) {
    std::vector<std::u16string_view> words;
    size_t at = 0;
    while (at < line.size()) {
        while (at < line.size() && line[at] == u' ') ++at;
        const size_t end = std::min(line.find(u' ', at), line.size());
        if (end > at) words.push_back(line.substr(at, end - at));
        at = end;
    }
    return words;
}

// The line's words spread over width from x: the gaps share the room the words leave. A single word
// is centred when spread (distributed), else it stays at x.
void DrawSpread(TCanvas& canvas, const std::u16string& line, int32_t x, int32_t y, int32_t width, bool centreAlone,
                const TRect& clip, TColor color) {
    const std::vector<std::u16string_view> words = Words(line);
    std::vector<int32_t> widths;
    int32_t total = 0;
    for (std::u16string_view word : words) total += widths.emplace_back(Width(canvas, word));
    if (words.size() < 2) {
        const int32_t shift = centreAlone && !words.empty() ? std::max(0, (width - total) / 2) : 0;
        canvas.TextOver(clip, TPoint{x + shift, y}, std::u16string(words.empty() ? u"" : words[0]), color);
        return;
    }
    const int32_t gaps = int32_t(words.size()) - 1;
    const int32_t room = std::max(0, width - total);
    for (size_t n = 0; n < words.size(); ++n) {
        canvas.TextOver(clip, TPoint{x, y}, std::u16string(words[n]), color);
        x += widths[n] + room / gaps + (int32_t(n) < room % gaps ? 1 : 0);
    }
}

int32_t LineX(THorizontalAlign align, const TRect& inner, int32_t indent, int32_t width) {
    switch (align) {
    case THorizontalAlign::Right: return std::max(inner.Right - indent - width, inner.Left);
    case THorizontalAlign::Center:
    case THorizontalAlign::CenterContinuous:
    case THorizontalAlign::Distributed: return inner.Left + std::max(int32_t(0), (inner.Width() - width) / 2);
    default: return inner.Left + indent;
    }
}

int32_t BlockY(TVerticalAlign align, const TRect& rect, int32_t height) {
    const TRect inner = Inner(rect);
    // A block taller than its cell starts at the top, so that its first line shows.
    if (align == TVerticalAlign::Top || height > inner.Height()) return inner.Top;
    if (align == TVerticalAlign::Center) return rect.Top + (rect.Height() - height) / 2;
    return inner.Bottom - height;
}

} // namespace

std::vector<TWrappedLine> WrapText(TCanvas& canvas, std::u16string_view text, int32_t width, size_t maxLines) {
    std::vector<TWrappedLine> lines;
    text = text.substr(0, MaxWrappedUnits);
    width = std::max(width, int32_t(1));
    size_t start = 0;
    while (start <= text.size() && lines.size() < maxLines) {
        const size_t end = std::min(text.find(u'\n', start), text.size());
        std::u16string_view paragraph = text.substr(start, end - start);
        if (!paragraph.empty() && paragraph.back() == u'\r') paragraph.remove_suffix(1);
        std::u16string line;
        auto emit = [&](bool last) {
            if (lines.size() < maxLines) lines.push_back({std::move(line), last});
            line.clear();
        };
        for (std::u16string_view word : Words(paragraph)) {
            if (!line.empty()) {
                if (Width(canvas, line + u" " + std::u16string(word)) <= width) {
                    line += u" ";
                    line += word;
                    continue;
                }
                emit(false);
            }
            // A word wider than a line is cut where it stops fitting.
            while (Width(canvas, word) > width && word.size() > 1 && lines.size() < maxLines) {
                const size_t fits = FittingPrefix(canvas, word, width);
                line = std::u16string(word.substr(0, fits));
                emit(false);
                word.remove_prefix(fits);
            }
            line = std::u16string(word);
        }
        emit(true);
        start = end + 1;
    }
    return lines;
}

int32_t TextRoomNeeded(TCanvas& canvas, const std::u16string& text, int32_t indent) {
    return canvas.TextExtent(text).Width + 2 * SideMargin + indent;
}

void DrawCellText(TCanvas& canvas, const std::u16string& text, const TTextBox& box, const TRect& clip, TColor color) {
    const TRect inner = Inner(box.Rect);
    const THorizontalAlign align = box.Horizontal;
    const bool spread = align == THorizontalAlign::Justify || align == THorizontalAlign::Distributed;
    if (!box.Wrap && !spread) {
        std::u16string shown = text;
        TSize extent = canvas.TextExtent(text);
        if (align == THorizontalAlign::Fill && extent.Width > 0) {
            // The text repeated as often as it fits whole, at least once.
            const int32_t times = std::min(std::max(inner.Width() / extent.Width, int32_t(1)), int32_t(1000));
            for (int32_t n = 1; n < times; ++n) shown += text;
            extent.Width *= times;
        }
        const int32_t width = extent.Width;
        canvas.TextOver(clip, TPoint{LineX(align, inner, box.Indent, width), BlockY(box.Vertical, box.Rect, extent.Height)},
                        shown, color);
        return;
    }
    const int32_t lineHeight = std::max(canvas.TextExtent(u"X").Height, int32_t(1));
    const int32_t indentBoth = align == THorizontalAlign::Distributed ? 2 * box.Indent : box.Indent;
    const size_t maxLines = size_t(std::max(box.Rect.Height(), int32_t(0)) / lineHeight + 1);
    const std::vector<TWrappedLine> lines = WrapText(canvas, text, inner.Width() - indentBoth, maxLines);
    int32_t y = BlockY(box.Vertical, box.Rect, lineHeight * int32_t(lines.size()));
    for (const TWrappedLine& line : lines) {
        const bool justified = align == THorizontalAlign::Distributed || (align == THorizontalAlign::Justify && !line.EndsParagraph);
        if (justified) {
            const int32_t left = inner.Left + box.Indent;
            DrawSpread(canvas, line.Text, left, y, inner.Width() - indentBoth, align == THorizontalAlign::Distributed, clip, color);
        } else {
            canvas.TextOver(clip, TPoint{LineX(align, inner, box.Indent, canvas.TextExtent(line.Text).Width), y}, line.Text, color);
        }
        y += lineHeight;
    }
}

} // namespace tabulix
