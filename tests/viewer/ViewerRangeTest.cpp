// Ranges natively: the clipboard's text both ways, the range the mouse and the keys select (seen in what
// Ctrl+C copies and in the picture), the commands that work on every cell of it, pasting, and the
// status of its numbers.
#include "base/Numbers.h"
#include "viewer/ClipboardText.h"
#include "viewer/ViewerFixture.h"
#include "workbook/XlsxWorkbook.h"

using namespace tabulix;
using namespace tabulix::testing;

namespace {

// The frame around a range: a darker shade of the selection colour.
constexpr TColor Frame = RgbColor(255 * 2 / 5, 236 * 2 / 5, 217 * 2 / 5);

// Rows of cells from A1: a text that reads as a number is a number cell, anything else an inline string;
// "5@1" is 5 in style 1.
std::string Rows(const std::vector<std::vector<std::string>>& rows) {
    std::string xml;
    for (size_t r = 0; r < rows.size(); ++r) {
        xml += "<row r=\"" + std::to_string(r + 1) + "\">";
        for (size_t c = 0; c < rows[r].size(); ++c) {
            std::string value = rows[r][c];
            std::string style;
            if (const size_t at = value.find('@'); at != std::string::npos) {
                style = value.substr(at + 1);
                value.resize(at);
            }
            const std::string ref = std::string(1, char('A' + c)) + std::to_string(r + 1);
            const bool number = !value.empty() && value.find_first_not_of("0123456789.-") == std::string::npos;
            xml += number ? CellXml(ref, value, "", style)
                          : "<c r=\"" + ref + "\" t=\"inlineStr\"" + (style.empty() ? "" : " s=\"" + style + "\"") +
                                "><is><t>" + value + "</t></is></c>";
        }
        xml += "</row>";
    }
    return xml;
}

// Each cell's text its own reference: "A1", "B1", ...
std::vector<std::vector<std::string>> References(int rows, int cols) {
    std::vector<std::vector<std::string>> cells(size_t(rows), std::vector<std::string>(size_t(cols), ""));
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < cols; ++c) cells[size_t(r)][size_t(c)] = std::string(1, char('A' + c)) + std::to_string(r + 1);
    }
    return cells;
}

// What copying the cells left to right and top to bottom of References puts on the clipboard.
std::u16string Refs(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    std::u16string text;
    for (int32_t r = top; r <= bottom; ++r) {
        for (int32_t c = left; c <= right; ++c) {
            text += std::u16string(1, char16_t(u'A' + c)) + IntToText(r + 1) + (c < right ? u"\t" : u"\r\n");
        }
    }
    return text;
}

class Ranges : public Viewer {
protected:
    TNeoSpreadsheet& Open(const std::string& rows, const std::string& styles = "") {
        TNeoSpreadsheet& viewer = MakeViewer();
        TXlsxFixture fixture;
        fixture.Sheet("One", rows).Sheet("Two", "");
        if (!styles.empty()) fixture.Styles(styles);
        viewer.LoadWorkbook(Write(fixture));
        return viewer;
    }
    void Held(std::set<uint32_t> keys, const std::function<void()>& action) {
        FWindows.KeysDown = std::move(keys);
        action();
        FWindows.KeysDown.clear();
    }
    void ShiftClickCell(int32_t row, int32_t col) {
        Held({keys::Shift}, [&] { ClickCell(row, col); });
    }
    void KeyWith(uint32_t key, std::set<uint32_t> keys) {
        Held(std::move(keys), [&] { Key(key); });
    }
    // The selection as Ctrl+C puts it on the clipboard.
    std::u16string Copied() {
        KeyWith(keys::LetterC, {keys::Control});
        return FWindows.ClipboardHeld.Held.value_or(u"(nothing)");
    }
    // The active cell as (column, row): the one selected cell, or the white one inside a range's frame.
    std::pair<int32_t, int32_t> Active() {
        const TShownGrid grid = Grid();
        for (const TDrawCall& call : FWindows.LastCanvas.Calls) {
            if (call.Kind != "outline" || call.Color != Frame) continue;
            for (const auto& [at, cell] : grid.Cells) {
                if (cell.Fill == White && cell.Rect.Left >= call.Rect.Left && cell.Rect.Top >= call.Rect.Top &&
                    cell.Rect.Right <= call.Rect.Right && cell.Rect.Bottom <= call.Rect.Bottom) {
                    return {at.second, at.first};
                }
            }
        }
        return grid.Selected(Selection);
    }
    // The status at the end of the tab strip, empty when none is drawn.
    std::u16string Status() {
        for (const TDrawCall& call : Painted().Calls) {
            if (call.Kind == "clipped" && call.Text.rfind(u"Sum: ", 0) == 0) return call.Text;
        }
        return u"";
    }
    TXlsxWorkbook& Saved() {
        FViewer->SaveWorkbook(PathToText(FFolder / u"saved.xlsx"));
        FSaved = std::make_unique<TXlsxWorkbook>();
        FSaved->LoadFromFile(PathToText(FFolder / u"saved.xlsx"));
        return *FSaved;
    }
    std::unique_ptr<TXlsxWorkbook> FSaved;
};

} // namespace

TEST(ClipboardText, CellsGoOutQuotedAsApplicationsWriteThemAndComeBackTheSame) {
    const std::vector<std::vector<std::u16string>> rows = {{u"plain", u"a\tb", u"say \"hi\""}, {u"two\r\nlines", u"", u"<&>"}};
    TClipboardWriter writer;
    for (const auto& row : rows) {
        for (const auto& cell : row) writer.AddCell(cell);
        writer.EndRow();
    }
    EXPECT_EQ(writer.Text(), u"plain\t\"a\tb\"\t\"say \"\"hi\"\"\"\r\n\"two\r\nlines\"\t\t<&>\r\n");
    TClipboardCells cells;
    ASSERT_TRUE(ReadClipboardText(writer.Text(), 2, 3, cells));
    EXPECT_EQ(cells.Rows, rows);

    // The HTML's header gives the byte offsets of the document and of the table within it.
    const std::string html = writer.Html();
    auto offset = [&](const std::string& name) {
        const size_t at = html.find(name + ":");
        return at == std::string::npos ? std::string::npos : size_t(std::stoul(html.substr(at + name.size() + 1, 10)));
    };
    EXPECT_EQ(html.compare(offset("StartHTML"), 6, "<html>"), 0);
    EXPECT_EQ(offset("EndHTML"), html.size());
    const std::string fragment = html.substr(offset("StartFragment"), offset("EndFragment") - offset("StartFragment"));
    EXPECT_EQ(fragment.substr(0, 7), "<table>");
    EXPECT_EQ(fragment.substr(fragment.size() - 8), "</table>");
    EXPECT_NE(fragment.find("<td>two<br>lines</td><td></td><td>&lt;&amp;&gt;</td>"), std::string::npos);
    EXPECT_NE(fragment.find("<td>say &quot;hi&quot;</td>"), std::string::npos);

    // As other programs write it: LF alone, no end at the end, quotes inside a field, a quote left open.
    const std::vector<std::pair<std::u16string, std::vector<std::vector<std::u16string>>>> texts = {
        {u"1\t2\n3\t4\n", {{u"1", u"2"}, {u"3", u"4"}}},
        {u"a\nb", {{u"a"}, {u"b"}}},
        {u"a\t\r\n\r\nb\t", {{u"a", u""}, {u""}, {u"b", u""}}},
        {u"5\" pipe\t\"ab\"cd", {{u"5\" pipe", u"abcd"}}},
        {u"\"open\tstill\r\n", {{u"open\tstill\r\n"}}},
        {u"", {}},
    };
    for (const auto& [text, expected] : texts) {
        ASSERT_TRUE(ReadClipboardText(text, 5, 5, cells));
        EXPECT_EQ(cells.Rows, expected);
    }
    // Past the rows or columns allowed: refused, also when the last field comes from a trailing tab.
    EXPECT_TRUE(ReadClipboardText(u"1\n2\n", 2, 1, cells));
    EXPECT_FALSE(ReadClipboardText(u"1\n2\n3", 2, 1, cells));
    EXPECT_FALSE(ReadClipboardText(u"1\t2\t3\n", 5, 2, cells));
    EXPECT_FALSE(ReadClipboardText(u"1\t2\t", 5, 2, cells));
}

TEST_F(Ranges, ShiftTheHeadersDraggingAndCtrlASelectRangesAroundTheActiveCell) {
    // 400 x 300 under a Top ribbon: the letters from y 62, row r from 84 + 22 r, column c from 46 + 96 c.
    TNeoSpreadsheet& viewer = Open(Rows(References(30, 8)));
    ClickCell(1, 1);
    ShiftClickCell(3, 3);
    EXPECT_EQ(Copied(), Refs(1, 1, 3, 3));
    EXPECT_EQ(Active(), std::make_pair(1, 1));
    for (int i = 0; i < 5; ++i) KeyWith(keys::Left, {keys::Shift}); // the moving end stops at the edge
    EXPECT_EQ(Copied(), Refs(0, 1, 1, 3));
    KeyWith(keys::End, {keys::Shift});
    KeyWith(keys::PageDown, {keys::Shift});
    EXPECT_EQ(Copied(), Refs(1, 1, 7, 12)); // a page down: the 216 pixels of cells hold nine rows whole
    EXPECT_EQ(Grid().TopRow(), 4); // the moving end, row 13, is shown
    KeyWith(keys::Home, {keys::Shift, keys::Control});
    EXPECT_EQ(Copied(), Refs(0, 0, 1, 1));
    Key(keys::Down); // without Shift: one cell again, moved from the active cell
    EXPECT_EQ(Copied(), Refs(1, 2, 1, 2));

    Wheel(-600); // five rows down
    Click(46 + 96 * 2 + 48, 70); // the letter C: the column, the active cell in the first row shown
    EXPECT_EQ(Copied(), Refs(2, 0, 2, 29));
    EXPECT_EQ(Active(), std::make_pair(2, 5));
    Held({keys::Shift}, [&] { Click(46 + 48, 70); }); // with Shift the letter A: the columns A to C
    EXPECT_EQ(Copied(), Refs(0, 0, 2, 29));
    Click(20, 84 + 2 * 22 + 11); // the number of the third row shown: row 8
    EXPECT_EQ(Copied(), Refs(0, 7, 7, 7));
    EXPECT_EQ(Active(), std::make_pair(0, 7));
    Click(20, 70); // the corner: the sheet, the active cell staying
    EXPECT_EQ(Copied(), Refs(0, 0, 7, 29));
    EXPECT_EQ(Active(), std::make_pair(0, 7));
    ClickCell(6, 1);
    KeyWith(keys::LetterA, {keys::Control});
    EXPECT_EQ(Copied(), Refs(0, 0, 7, 29));
    EXPECT_EQ(Active(), std::make_pair(1, 6));

    // Dragging holds the mouse; past the grid's bottom the view moves a row now and on every tick.
    Wheel(600);
    Send(messages::LeftButtonDown, 1, At(142 + 48, 106 + 11));
    EXPECT_EQ(FWindows.Captured, viewer.Window());
    Send(messages::MouseMove, 1, At(238 + 48, 150 + 11));
    EXPECT_EQ(Copied(), Refs(1, 1, 2, 3));
    Send(messages::MouseMove, 1, At(238 + 48, 320));
    EXPECT_EQ(Grid().TopRow(), 1);
    EXPECT_EQ(FWindows.Timers[viewer.Window()], 2); // the follow timer and the drag's
    Send(messages::Timer, 2, 0);
    EXPECT_EQ(Grid().TopRow(), 2);
    Send(messages::LeftButtonUp, 0, At(238 + 48, 320));
    EXPECT_EQ(FWindows.Captured, nullptr);
    EXPECT_EQ(FWindows.Timers[viewer.Window()], 1);
    Send(messages::MouseMove, 0, At(334 + 48, 150)); // the button is up: nothing follows the pointer
    EXPECT_EQ(Copied(), Refs(1, 1, 2, 11));

    // Another sheet: one cell again.
    viewer.NextSheet();
    viewer.PrevSheet();
    EXPECT_EQ(Copied(), Refs(0, 0, 0, 0));
}

TEST_F(Ranges, CommandsWorkOnEveryCellOfTheRange) {
    TNeoSpreadsheet& viewer = Open(Rows({{"1", "2", "note"}, {"3", "4@1", "y"}, {"x", "", ""}}), StylesXml({0, 10}));
    ClickCell(0, 0);
    ShiftClickCell(1, 1);
    viewer.ToggleHighlightSelection(u"Yellow");
    ClickCell(2, 2);
    TShownGrid grid = Grid();
    for (const auto& at : std::vector<std::pair<int32_t, int32_t>>{{0, 0}, {0, 1}, {1, 0}, {1, 1}}) {
        EXPECT_EQ(grid.Cell(at.first, at.second)->Fill, Yellow);
    }
    ClickCell(1, 1);
    ShiftClickCell(2, 2);
    viewer.ToggleHighlightSelection(u"Yellow"); // the active cell is yellow: off for the whole range
    Choose(1, 0); // Bold: on for the four cells
    ClickCell(0, 2);
    grid = Grid();
    EXPECT_EQ(grid.Cell(1, 1)->Fill, White);
    EXPECT_EQ(grid.Cell(0, 1)->Fill, Yellow);
    EXPECT_TRUE(grid.Cell(1, 2)->Style.Bold);
    EXPECT_FALSE(grid.Cell(0, 1)->Style.Bold);
    ClickCell(2, 2);
    ShiftClickCell(1, 1);
    Choose(1, 0); // still bold at the active cell: off for all
    Choose(1, 5); // Align Right
    ClickCell(0, 0);
    grid = Grid();
    EXPECT_FALSE(grid.Cell(1, 2)->Style.Bold);
    EXPECT_GT(grid.Cell(1, 2)->TextX, grid.Cell(1, 2)->Rect.Left + 40);

    // Delete empties the values and keeps the styles.
    const int32_t styled = Saved().Sheet(0).StyleIndex(1, 1);
    EXPECT_NE(styled, 1); // right-aligned now
    ClickCell(1, 1);
    ShiftClickCell(2, 2);
    Key(keys::Delete);
    EXPECT_EQ(Grid().Text(1, 1), u"");
    EXPECT_EQ(Grid().Text(0, 1), u"2");
    EXPECT_EQ(Saved().Sheet(0).StyleIndex(1, 1), styled);

    // AutoSum over a column writes under it, over a row to its right, over more columns under each;
    // cells that hold no number are passed over.
    ClickCell(0, 0);
    ShiftClickCell(2, 0);
    Choose(5, 0);
    ClickCell(0, 0);
    ShiftClickCell(0, 2);
    Choose(5, 1);
    ClickCell(0, 0);
    ShiftClickCell(1, 1);
    Choose(5, 2);
    grid = Grid();
    EXPECT_EQ(grid.Text(3, 0), u"4");
    EXPECT_EQ(grid.Text(0, 3), u"1.5");
    EXPECT_EQ(grid.Text(2, 0), u"2");
    EXPECT_EQ(grid.Text(2, 1), u"1");
    EXPECT_TRUE(FHost.Errors.empty());
    ClickCell(1, 2);
    ShiftClickCell(2, 2);
    Choose(5, 0);
    EXPECT_EQ(FHost.Errors.back(), u"AutoSum: no numeric cells found in the selected range.");
    EXPECT_EQ(Grid().Text(3, 2), u"");
}

TEST_F(Ranges, CopyCutAndPasteGoThroughTheClipboard) {
    Open(Rows({{"0.25@1", "a\tb", "", ""}, {"say \"hi\"", "7", "", ""}}), StylesXml({0, 10}));
    ClickCell(0, 0);
    ShiftClickCell(1, 1);
    EXPECT_EQ(Copied(), u"25.00%\t\"a\tb\"\r\n\"say \"\"hi\"\"\"\t7\r\n"); // as the cells show
    EXPECT_NE(FWindows.ClipboardHeld.Html.find("<td>25.00%</td>"), std::string::npos);

    // Pasted from the active cell as typing would store each value; the pasted cells are selected.
    ClickCell(1, 2);
    FWindows.ClipboardHeld.Held = u"12\tx\r\n\"two\nlines\"\t1e3\n";
    KeyWith(keys::Insert, {keys::Shift});
    EXPECT_EQ(Copied(), u"12\tx\r\n\"two\nlines\"\t1000\r\n");
    EXPECT_EQ(Active(), std::make_pair(2, 1));
    EXPECT_EQ(Saved().Sheet(0).Kind(1, 2), TCellKind::Number);

    // A paste that would pass column 200 (199 fields from column C) pastes nothing.
    FWindows.ClipboardHeld.Held = u"1";
    for (int i = 1; i < 199; ++i) *FWindows.ClipboardHeld.Held += u"\t1";
    KeyWith(keys::LetterV, {keys::Control});
    EXPECT_EQ(FHost.Errors.back(), u"Paste: the cells would pass row 2000 or column 200 (GR); nothing was pasted.");
    EXPECT_EQ(Saved().Sheet(0).ColCount, 4);

    // Cut copies and empties; a clipboard that cannot be had is said so.
    ClickCell(1, 2);
    ShiftClickCell(1, 3);
    KeyWith(keys::LetterX, {keys::Control});
    EXPECT_EQ(FWindows.ClipboardHeld.Held, u"12\tx\r\n");
    EXPECT_EQ(Grid().Text(1, 2), u"");
    EXPECT_EQ(Grid().Text(1, 3), u"");
    FWindows.ClipboardHeld.Refuse = true;
    KeyWith(keys::Insert, {keys::Control});
    EXPECT_EQ(FHost.Errors.back(), u"The clipboard cannot be opened; nothing was copied.");
}

TEST_F(Ranges, TheRangeIsDrawnAroundItsCellsAndItsNumbersSummedInTheTabStrip) {
    Open(Rows({{"1", "2.5"}, {"text", "3"}}));
    ClickCell(0, 0);
    EXPECT_EQ(Grid().Cell(0, 0)->Fill, Selection); // one cell: as it always was
    EXPECT_EQ(Status(), u"");
    ShiftClickCell(1, 1);
    const TShownGrid grid = Grid();
    EXPECT_EQ(grid.Cell(0, 0)->Fill, White); // the active cell stays white
    EXPECT_EQ(grid.Cell(1, 1)->Fill, Selection);
    EXPECT_TRUE(OutlinedAt(TRect{46, 84, 238, 128})); // the frame, two pixels wide
    EXPECT_TRUE(OutlinedAt(TRect{47, 85, 237, 127}));
    EXPECT_EQ(Status(), u"Sum: 6.5  Count: 4  Average: 2.166666667");
    // At the strip's right end, its background never over the tab and "+" (the two end at x 328).
    const TDrawCall* status = FWindows.LastCanvas.TextCall(Status());
    ASSERT_NE(status, nullptr);
    EXPECT_GE(status->Rect.Left, 328);
    EXPECT_EQ(status->Rect.Right, 400);
    FWindows.ClipboardHeld.Held = u"4";
    KeyWith(keys::LetterV, {keys::Control}); // one cell pasted and selected: no status
    EXPECT_EQ(Status(), u"");
    ClickCell(1, 0);
    ShiftClickCell(1, 1);
    EXPECT_EQ(Status(), u"Sum: 3  Count: 2  Average: 3");
}
