// The ribbon's drop-down menus: the commands of each tab, the owner-drawn items with their glyphs, and
// the dispatch of a chosen command.
#include "viewer/NeoSpreadsheet.h"

#include "base/Error.h"

namespace tabulix {

namespace {

constexpr TColor White = RgbColor(255, 255, 255);
constexpr TColor Black = RgbColor(0, 0, 0);
constexpr TColor SelectedItem = RgbColor(166, 201, 224);
constexpr TColor DisabledText = RgbColor(160, 160, 160);
constexpr uint32_t FirstCommandId = 1000;
constexpr int32_t MenuItemWidth = 220;
constexpr int32_t MenuItemHeight = 26;

// The shapes the glyphs are made of, drawn in black.
struct TGlyphPen {
    TCanvas& Canvas;

    void Line(int32_t x1, int32_t y1, int32_t x2, int32_t y2) const { Canvas.Line({x1, y1}, {x2, y2}, Black); }
    void Path(std::vector<TPoint> points) const { Canvas.Polyline(points, Black); }
    void Box(int32_t left, int32_t top, int32_t right, int32_t bottom) const {
        Canvas.OutlineRect({left, top, right, bottom}, Black);
    }
    void Plus(int32_t a, int32_t b) const {
        Line(a - 4, b, a + 5, b);
        Line(a, b - 4, a, b + 5);
    }
    void Minus(int32_t a, int32_t b) const { Line(a - 4, b, a + 5, b); }
    void UpArrow(int32_t a, int32_t b) const {
        Line(a, b - 6, a, b + 6);
        Path({{a - 4, b - 2}, {a, b - 6}, {a + 4, b - 2}});
    }
    void DownArrow(int32_t a, int32_t b) const {
        Line(a, b - 6, a, b + 6);
        Path({{a - 4, b + 2}, {a, b + 6}, {a + 4, b + 2}});
    }
    void Magnifier(int32_t a, int32_t b) const {
        Canvas.Ellipse({a - 6, b - 7, a + 3, b + 2}, Black);
        Line(a + 1, b - 1, a + 6, b + 4);
    }
};

} // namespace

const std::vector<std::u16string>& RibbonTabCommands(int32_t id) {
    static const std::vector<std::u16string> none;
    static const std::vector<std::vector<std::u16string>> commands = {
        {u"New", u"Open", u"Save", u"Save As"},
        {u"Bold", u"Italic", u"Underline", u"Align Left", u"Align Center", u"Align Right", u"Insert Row",
         u"Insert Column", u"Delete Row", u"Delete Column", u"Sort A-Z", u"Sort Z-A"},
        {u"Row Above", u"Column Left"},
        {},
        {},
        {u"AutoSum", u"Average", u"Count", u"Max", u"Min"},
        {},
        {u"Find"},
        {u"Zoom In", u"Zoom Out", u"Gridlines"},
    };
    return id >= 0 && id < int32_t(commands.size()) ? commands[size_t(id)] : none;
}

void TNeoSpreadsheet::ShowRibbonMenu(int32_t tab) {
    if (!FWnd) return;
    TRect anchor;
    for (int32_t i = 0; i < int32_t(std::size(RibbonTabs)); ++i) {
        if (RibbonTabs[i] == tab) anchor = RibbonTabRect(i);
    }
    const TPoint at = FWindows.ClientToScreen(FWnd, TPoint{anchor.Left, anchor.Bottom});
    std::vector<TMenuItem> items;
    const std::vector<std::u16string>& commands = RibbonTabCommands(tab);
    for (size_t i = 0; i < commands.size(); ++i) {
        items.push_back({FirstCommandId + 100 * uint32_t(tab) + uint32_t(i), commands[i], true, true});
    }
    if (items.empty()) items.push_back({1, u"(No actions on this tab yet)", false, false});
    // The command runs once the menu is gone.
    const uint32_t chosen = FWindows.TrackPopupMenu(FWnd, items, at);
    if (chosen < FirstCommandId) return;
    try {
        ExecuteRibbonCommand(int32_t((chosen - FirstCommandId) / 100), int32_t((chosen - FirstCommandId) % 100));
    } catch (...) {
        ReportError(CurrentExceptionMessage());
    }
}

intptr_t TNeoSpreadsheet::OnMeasureItem(intptr_t request) {
    return FWindows.SetMenuItemSize(request, TSize{MenuItemWidth, MenuItemHeight}) ? 1 : 0;
}

intptr_t TNeoSpreadsheet::OnDrawItem(intptr_t request) {
    const bool menuItem = FWindows.DrawMenuItem(request, [this](TCanvas& canvas, const TMenuItemState& item) {
        try {
            DrawMenuItem(canvas, item);
        } catch (...) {
            // A menu item that cannot be drawn stays blank; the menu still works.
        }
    });
    return menuItem ? 1 : 0;
}

void TNeoSpreadsheet::DrawMenuItem(TCanvas& canvas, const TMenuItemState& item) {
    if (item.Id < FirstCommandId) return;
    const int32_t tab = int32_t((item.Id - FirstCommandId) / 100);
    const size_t index = (item.Id - FirstCommandId) % 100;
    const std::vector<std::u16string>& commands = RibbonTabCommands(tab);
    if (index >= commands.size()) return;
    const std::u16string& caption = commands[index];
    const TRect& r = item.Rect;

    canvas.SetDialogFont(TFontStyle{});
    const TColor background = item.Selected && !item.Disabled ? SelectedItem : White;
    canvas.FillRect(r, background);
    DrawCommandGlyph(canvas, TRect{r.Left + 4, r.Top + 2, r.Left + 24, r.Bottom - 2}, caption, background);
    const int32_t y = r.Top + (r.Height() - canvas.TextExtent(caption).Height) / 2;
    canvas.TextClipped(TRect{r.Left + 30, r.Top, r.Right - 6, r.Bottom}, TPoint{r.Left + 30, y}, caption,
                       item.Disabled ? DisabledText : Black, background);
    if (caption == u"Gridlines" && FShowGridLines) {
        const int32_t cy = r.Top + r.Height() / 2;
        canvas.Polyline({{r.Right - 18, cy}, {r.Right - 14, cy + 4}, {r.Right - 8, cy - 5}}, Black);
    }
}

void TNeoSpreadsheet::DrawCommandGlyph(TCanvas& canvas, const TRect& box, const std::u16string& caption,
                                       TColor background) {
    const TGlyphPen pen{canvas};
    const int32_t L = box.Left, T = box.Top, R = box.Right, B = box.Bottom;
    const int32_t cx = (L + R) / 2, cy = (T + B) / 2;
    auto letter = [&](const std::u16string& text, TFontStyle style) {
        canvas.SetDialogFont(style);
        canvas.Text(TPoint{L + 3, T - 1}, text, Black, background);
        canvas.SetDialogFont(TFontStyle{});
    };
    auto alignLines = [&](int32_t middleLeft, int32_t middleRight) {
        pen.Line(L + 2, cy - 4, L + 16, cy - 4);
        pen.Line(L + 2, cy + 4, L + 16, cy + 4);
        pen.Line(middleLeft, cy, middleRight, cy);
    };
    auto save = [&] {
        pen.Box(L + 3, T + 1, L + 17, B - 1);
        pen.Path({{L + 12, T + 1}, {L + 17, T + 1}, {L + 17, T + 6}});
        pen.Box(L + 6, T + 2, L + 13, T + 6);
        pen.Line(L + 5, B - 6, L + 15, B - 6);
    };

    if (caption == u"New") {
        pen.Path({{L + 4, T + 1}, {L + 13, T + 1}, {L + 17, T + 5}, {L + 17, B - 1}, {L + 4, B - 1}, {L + 4, T + 1}});
        pen.Path({{L + 13, T + 1}, {L + 13, T + 5}, {L + 17, T + 5}});
        pen.Plus(cx + 1, cy + 3);
    } else if (caption == u"Open") {
        pen.Path({{L + 2, T + 3}, {L + 8, T + 3}, {L + 10, T + 5}, {L + 18, T + 5}, {L + 18, B - 2}, {L + 2, B - 2},
                  {L + 2, T + 3}});
    } else if (caption == u"Save") {
        save();
    } else if (caption == u"Save As") {
        save();
        pen.Path({{L + 13, B - 4}, {L + 18, B - 9}, {L + 19, B - 8}, {L + 14, B - 3}, {L + 13, B - 4}});
    } else if (caption == u"Bold") {
        letter(u"B", TFontStyle{true, false, false});
    } else if (caption == u"Italic") {
        letter(u"I", TFontStyle{false, true, false});
    } else if (caption == u"Underline") {
        letter(u"U", TFontStyle{false, false, true});
    } else if (caption == u"Align Left") {
        alignLines(L + 2, L + 11);
    } else if (caption == u"Align Center") {
        alignLines(L + 5, L + 13);
    } else if (caption == u"Align Right") {
        alignLines(L + 7, L + 16);
    } else if (caption == u"Insert Row" || caption == u"Row Above" || caption == u"Delete Row") {
        pen.Line(L + 1, cy, L + 18, cy);
        caption == u"Delete Row" ? pen.Minus(cx, cy) : pen.Plus(cx, cy);
    } else if (caption == u"Insert Column" || caption == u"Column Left" || caption == u"Delete Column") {
        pen.Line(cx, T + 1, cx, B - 1);
        caption == u"Delete Column" ? pen.Minus(cx, cy) : pen.Plus(cx, cy);
    } else if (caption == u"Sort A-Z" || caption == u"Max") {
        pen.UpArrow(cx, cy);
    } else if (caption == u"Sort Z-A" || caption == u"Min") {
        pen.DownArrow(cx, cy);
    } else if (caption == u"AutoSum") {
        letter(u"\u03A3", TFontStyle{});
    } else if (caption == u"Average") {
        letter(u"\u03BC", TFontStyle{});
    } else if (caption == u"Count") {
        letter(u"#", TFontStyle{});
    } else if (caption == u"Find") {
        pen.Magnifier(cx, cy);
    } else if (caption == u"Zoom In" || caption == u"Zoom Out") {
        pen.Magnifier(cx - 2, cy - 2);
        pen.Line(R - 6, cy + 4, R - 2, cy + 4);
        if (caption == u"Zoom In") pen.Line(R - 4, cy + 2, R - 4, cy + 6);
    } else if (caption == u"Gridlines") {
        pen.Box(L + 2, cy - 8, L + 18, cy + 8);
        pen.Line(L + 2, cy - 3, L + 18, cy - 3);
        pen.Line(L + 2, cy + 3, L + 18, cy + 3);
        pen.Line(L + 8, cy - 8, L + 8, cy + 8);
        pen.Line(L + 13, cy - 8, L + 13, cy + 8);
    }
}

void TNeoSpreadsheet::ExecuteRibbonCommand(int32_t tab, int32_t index) {
    switch (tab * 100 + index) {
    case 0: NewWorkbookDialog(); break;
    case 1: OpenWorkbookDialog(); break;
    case 2: SaveWorkbook(u""); break;
    case 3: SaveAsDialog(); break;
    case 100: ToggleFontStyle(FCellBold); break;
    case 101: ToggleFontStyle(FCellItalic); break;
    case 102: ToggleFontStyle(FCellUnderline); break;
    case 103: SetCellAlignment(0); break;
    case 104: SetCellAlignment(2); break;
    case 105: SetCellAlignment(1); break;
    case 106:
    case 200: InsertRowAtSelection(); break;
    case 107:
    case 201: InsertColumnAtSelection(); break;
    case 108: DeleteSelectedRow(); break;
    case 109: DeleteSelectedColumn(); break;
    case 110: SortBySelectedColumn(true); break;
    case 111: SortBySelectedColumn(false); break;
    case 500:
    case 501:
    case 502:
    case 503:
    case 504: AggregateAbove(index); break;
    case 700: ShowFindBox(); break;
    case 800: Zoom(true); break;
    case 801: Zoom(false); break;
    case 802:
        FShowGridLines = !FShowGridLines;
        InvalidateAll();
        break;
    default: break;
    }
}

} // namespace tabulix
