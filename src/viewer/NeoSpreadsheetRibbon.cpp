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

// What each ribbon command does; its caption, glyph and handler are found through it.
enum class TCommand {
    New, Open, Save, SaveAs,
    Bold, Italic, Underline, AlignLeft, AlignCenter, AlignRight,
    InsertRow, InsertColumn, DeleteRow, DeleteColumn, SortAscending, SortDescending,
    AutoSum, Average, Count, Max, Min,
    Find,
    ZoomIn, ZoomOut, Gridlines,
};

struct TRibbonCommand {
    const char16_t* Caption;
    TCommand Command;
};

// The commands of each ribbon tab, by tab identifier, in menu order: the one table the menus, the glyphs
// and the dispatch read. A command's menu item is FirstCommandId + 100 x its tab + its position.
const std::vector<TRibbonCommand>& RibbonTabCommands(int32_t tab) {
    using C = TCommand;
    static const std::vector<TRibbonCommand> none;
    static const std::vector<std::vector<TRibbonCommand>> commands = {
        {{u"New", C::New}, {u"Open", C::Open}, {u"Save", C::Save}, {u"Save As", C::SaveAs}},
        {{u"Bold", C::Bold}, {u"Italic", C::Italic}, {u"Underline", C::Underline}, {u"Align Left", C::AlignLeft},
         {u"Align Center", C::AlignCenter}, {u"Align Right", C::AlignRight}, {u"Insert Row", C::InsertRow},
         {u"Insert Column", C::InsertColumn}, {u"Delete Row", C::DeleteRow}, {u"Delete Column", C::DeleteColumn},
         {u"Sort A-Z", C::SortAscending}, {u"Sort Z-A", C::SortDescending}},
        {{u"Row Above", C::InsertRow}, {u"Column Left", C::InsertColumn}},
        {},
        {},
        {{u"AutoSum", C::AutoSum}, {u"Average", C::Average}, {u"Count", C::Count}, {u"Max", C::Max}, {u"Min", C::Min}},
        {},
        {{u"Find", C::Find}},
        {{u"Zoom In", C::ZoomIn}, {u"Zoom Out", C::ZoomOut}, {u"Gridlines", C::Gridlines}},
    };
    return tab >= 0 && tab < int32_t(commands.size()) ? commands[size_t(tab)] : none;
}

// The command at a position of a tab's menu; null for none.
const TRibbonCommand* CommandAt(int32_t tab, int32_t index) {
    const std::vector<TRibbonCommand>& commands = RibbonTabCommands(tab);
    return index >= 0 && index < int32_t(commands.size()) ? &commands[size_t(index)] : nullptr;
}

// The command of a menu item; null for an item of no command.
const TRibbonCommand* CommandOfItem(uint32_t id) {
    if (id < FirstCommandId) return nullptr;
    return CommandAt(int32_t((id - FirstCommandId) / 100), int32_t((id - FirstCommandId) % 100));
}

// The picture left of a command in its menu, in the box given.
void DrawCommandGlyph(TCanvas& canvas, const TRect& box, TCommand command, TColor background) {
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

    if (command == TCommand::New) {
        pen.Path({{L + 4, T + 1}, {L + 13, T + 1}, {L + 17, T + 5}, {L + 17, B - 1}, {L + 4, B - 1}, {L + 4, T + 1}});
        pen.Path({{L + 13, T + 1}, {L + 13, T + 5}, {L + 17, T + 5}});
        pen.Plus(cx + 1, cy + 3);
    } else if (command == TCommand::Open) {
        pen.Path({{L + 2, T + 3}, {L + 8, T + 3}, {L + 10, T + 5}, {L + 18, T + 5}, {L + 18, B - 2}, {L + 2, B - 2},
                  {L + 2, T + 3}});
    } else if (command == TCommand::Save) {
        save();
    } else if (command == TCommand::SaveAs) {
        save();
        pen.Path({{L + 13, B - 4}, {L + 18, B - 9}, {L + 19, B - 8}, {L + 14, B - 3}, {L + 13, B - 4}});
    } else if (command == TCommand::Bold) {
        letter(u"B", TFontStyle{true, false, false});
    } else if (command == TCommand::Italic) {
        letter(u"I", TFontStyle{false, true, false});
    } else if (command == TCommand::Underline) {
        letter(u"U", TFontStyle{false, false, true});
    } else if (command == TCommand::AlignLeft) {
        alignLines(L + 2, L + 11);
    } else if (command == TCommand::AlignCenter) {
        alignLines(L + 5, L + 13);
    } else if (command == TCommand::AlignRight) {
        alignLines(L + 7, L + 16);
    } else if (command == TCommand::InsertRow || command == TCommand::DeleteRow) {
        pen.Line(L + 1, cy, L + 18, cy);
        command == TCommand::DeleteRow ? pen.Minus(cx, cy) : pen.Plus(cx, cy);
    } else if (command == TCommand::InsertColumn || command == TCommand::DeleteColumn) {
        pen.Line(cx, T + 1, cx, B - 1);
        command == TCommand::DeleteColumn ? pen.Minus(cx, cy) : pen.Plus(cx, cy);
    } else if (command == TCommand::SortAscending || command == TCommand::Max) {
        pen.UpArrow(cx, cy);
    } else if (command == TCommand::SortDescending || command == TCommand::Min) {
        pen.DownArrow(cx, cy);
    } else if (command == TCommand::AutoSum) {
        letter(u"\u03A3", TFontStyle{});
    } else if (command == TCommand::Average) {
        letter(u"\u03BC", TFontStyle{});
    } else if (command == TCommand::Count) {
        letter(u"#", TFontStyle{});
    } else if (command == TCommand::Find) {
        pen.Magnifier(cx, cy);
    } else if (command == TCommand::ZoomIn || command == TCommand::ZoomOut) {
        pen.Magnifier(cx - 2, cy - 2);
        pen.Line(R - 6, cy + 4, R - 2, cy + 4);
        if (command == TCommand::ZoomIn) pen.Line(R - 4, cy + 2, R - 4, cy + 6);
    } else if (command == TCommand::Gridlines) {
        pen.Box(L + 2, cy - 8, L + 18, cy + 8);
        pen.Line(L + 2, cy - 3, L + 18, cy - 3);
        pen.Line(L + 2, cy + 3, L + 18, cy + 3);
        pen.Line(L + 8, cy - 8, L + 8, cy + 8);
        pen.Line(L + 13, cy - 8, L + 13, cy + 8);
    }
}

} // namespace

void TNeoSpreadsheet::ShowRibbonMenu(int32_t tab) {
    if (!FWnd) return;
    TRect anchor;
    for (int32_t i = 0; i < int32_t(std::size(RibbonTabs)); ++i) {
        if (RibbonTabs[i] == tab) anchor = RibbonTabRect(i);
    }
    const TPoint at = FWindows.ClientToScreen(FWnd, TPoint{anchor.Left, anchor.Bottom});
    std::vector<TMenuItem> items;
    const std::vector<TRibbonCommand>& commands = RibbonTabCommands(tab);
    for (size_t i = 0; i < commands.size(); ++i) {
        items.push_back({FirstCommandId + 100 * uint32_t(tab) + uint32_t(i), commands[i].Caption, true, true});
    }
    if (items.empty()) items.push_back({1, u"(No actions on this tab yet)", false, false});
    // The command runs once the menu is gone.
    const uint32_t chosen = AskMenuChoice(items, at);
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
    const TRibbonCommand* command = CommandOfItem(item.Id);
    if (!command) return;
    const std::u16string caption = command->Caption;
    const TRect& r = item.Rect;

    canvas.SetDialogFont(TFontStyle{});
    const TColor background = item.Selected && !item.Disabled ? SelectedItem : White;
    canvas.FillRect(r, background);
    DrawCommandGlyph(canvas, TRect{r.Left + 4, r.Top + 2, r.Left + 24, r.Bottom - 2}, command->Command, background);
    const int32_t y = r.Top + (r.Height() - canvas.TextExtent(caption).Height) / 2;
    canvas.TextClipped(TRect{r.Left + 30, r.Top, r.Right - 6, r.Bottom}, TPoint{r.Left + 30, y}, caption,
                       item.Disabled ? DisabledText : Black, background);
    if (command->Command == TCommand::Gridlines && FShowGridLines) {
        const int32_t cy = r.Top + r.Height() / 2;
        canvas.Polyline({{r.Right - 18, cy}, {r.Right - 14, cy + 4}, {r.Right - 8, cy - 5}}, Black);
    }
}

void TNeoSpreadsheet::ExecuteRibbonCommand(int32_t tab, int32_t index) {
    const TRibbonCommand* command = CommandAt(tab, index);
    if (!command) return;
    switch (command->Command) {
    case TCommand::New: NewWorkbookDialog(); break;
    case TCommand::Open: OpenWorkbookDialog(); break;
    case TCommand::Save: SaveWorkbook(u""); break;
    case TCommand::SaveAs: SaveAsDialog(); break;
    case TCommand::Bold: ToggleFontStyle(TFontToggle::Bold); break;
    case TCommand::Italic: ToggleFontStyle(TFontToggle::Italic); break;
    case TCommand::Underline: ToggleFontStyle(TFontToggle::Underline); break;
    case TCommand::AlignLeft: AlignSelection(THorizontalAlign::Left); break;
    case TCommand::AlignCenter: AlignSelection(THorizontalAlign::Center); break;
    case TCommand::AlignRight: AlignSelection(THorizontalAlign::Right); break;
    case TCommand::InsertRow: InsertRowAtSelection(); break;
    case TCommand::InsertColumn: InsertColumnAtSelection(); break;
    case TCommand::DeleteRow: DeleteSelectedRow(); break;
    case TCommand::DeleteColumn: DeleteSelectedColumn(); break;
    case TCommand::SortAscending: SortBySelectedColumn(true); break;
    case TCommand::SortDescending: SortBySelectedColumn(false); break;
    case TCommand::AutoSum: AggregateAbove(0); break;
    case TCommand::Average: AggregateAbove(1); break;
    case TCommand::Count: AggregateAbove(2); break;
    case TCommand::Max: AggregateAbove(3); break;
    case TCommand::Min: AggregateAbove(4); break;
    case TCommand::Find: ShowFindBox(); break;
    case TCommand::ZoomIn: Zoom(true); break;
    case TCommand::ZoomOut: Zoom(false); break;
    case TCommand::Gridlines:
        FShowGridLines = !FShowGridLines;
        InvalidateAll();
        break;
    }
}

} // namespace tabulix
