// Ranges natively: the clipboard's text both ways, the range the mouse and the keys select, the
// commands that work on every cell of it, the clipboard through the viewer, the status and the picture.
#include "viewer/ClipboardText.h"
#include "viewer/ViewerFixture.h"
#include "workbook/XlsxWorkbook.h"

using namespace tabulix;
using namespace tabulix::testing;

namespace {

intptr_t At(int32_t x, int32_t y) { return intptr_t(uint32_t(uint16_t(x)) | (uint32_t(uint16_t(y)) << 16)); }

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

// The viewer is 400 x 300 under a Top ribbon: the column letters from y 62, row r from 84 + 22 r, column
// c from 46 + 96 c.
int32_t CellX(int32_t col) { return 46 + 96 * col + 48; }
int32_t CellY(int32_t row) { return 84 + 22 * row + 11; }

class Ranges : public Viewer {
protected:
    TProbe& Open(const std::string& rows, const std::string& styles = "") {
        TProbe& viewer = MakeViewer();
        TXlsxFixture fixture;
        fixture.Sheet("One", rows).Sheet("Two", "");
        if (!styles.empty()) fixture.Styles(styles);
        const auto path = FFolder / u"ranges.xlsx";
        fixture.WriteTo(path);
        viewer.LoadWorkbook(PathToText(path));
        return viewer;
    }
    void Press(uint32_t message, int32_t x, int32_t y, std::set<uint32_t> keys = {}) {
        FWindows.KeysDown = std::move(keys);
        FViewer->HandleMessage(message, 1, At(x, y));
        FWindows.KeysDown.clear();
    }
    void ClickCell(int32_t col, int32_t row, std::set<uint32_t> keys = {}) {
        Press(messages::LeftButtonDown, CellX(col), CellY(row), std::move(keys));
        Press(messages::LeftButtonUp, CellX(col), CellY(row));
    }
    void Key(uint32_t key, std::set<uint32_t> held = {}) {
        FWindows.KeysDown = std::move(held);
        FViewer->HandleMessage(messages::KeyDown, key, 0);
        FWindows.KeysDown.clear();
    }
    TCellRange Range() const { return FViewer->SelectionRange(); }
    TCellPos Active() const { return {FViewer->FSelectedCol, FViewer->FSelectedRow}; }
    std::u16string Cell(int32_t row, int32_t col) const { return std::u16string(FViewer->FWorkbook->Sheet(0).Text(row, col)); }
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
    std::vector<std::vector<std::string>> rows(30, std::vector<std::string>(8, "x"));
    TProbe& viewer = Open(Rows(rows));
    ClickCell(1, 1);
    ClickCell(3, 3, {keys::Shift});
    EXPECT_EQ(Range(), (TCellRange{1, 1, 3, 3}));
    EXPECT_EQ(Active(), (TCellPos{1, 1}));
    for (int i = 0; i < 5; ++i) Key(keys::Left, {keys::Shift}); // the moving end stops at the edge
    EXPECT_EQ(Range(), (TCellRange{0, 1, 1, 3}));
    Key(keys::End, {keys::Shift});
    EXPECT_EQ(Range(), (TCellRange{1, 1, 7, 3}));
    Key(keys::PageDown, {keys::Shift});
    EXPECT_EQ(Range(), (TCellRange{1, 1, 7, 13}));
    EXPECT_EQ(viewer.FTopRow, 5); // the moving end is shown
    Key(keys::Home, {keys::Shift, keys::Control});
    EXPECT_EQ(Range(), (TCellRange{0, 0, 1, 1}));
    Key(keys::Down); // without Shift: one cell again, moved from the active cell
    EXPECT_EQ(Range(), (TCellRange{1, 2, 1, 2}));

    viewer.FTopRow = 5;
    Press(messages::LeftButtonDown, CellX(2), 70); // the letter C: the column, from the first row shown
    EXPECT_EQ(Range(), (TCellRange{2, 0, 2, 29}));
    EXPECT_EQ(Active(), (TCellPos{2, 5}));
    Press(messages::LeftButtonDown, CellX(0), 70, {keys::Shift});
    EXPECT_EQ(Range(), (TCellRange{0, 0, 2, 29}));
    Press(messages::LeftButtonDown, 20, CellY(2)); // the number of the third row shown
    EXPECT_EQ(Range(), (TCellRange{0, 7, 7, 7}));
    EXPECT_EQ(Active(), (TCellPos{0, 7}));
    Press(messages::LeftButtonDown, 20, 70); // the corner: the sheet, the active cell staying
    EXPECT_EQ(Range(), (TCellRange{0, 0, 7, 29}));
    EXPECT_EQ(Active(), (TCellPos{0, 7}));
    ClickCell(1, 1);
    Key(keys::LetterA, {keys::Control});
    EXPECT_EQ(Range(), (TCellRange{0, 0, 7, 29}));
    EXPECT_EQ(Active(), (TCellPos{1, 6}));

    // Dragging holds the mouse; past the grid's bottom the view moves a row now and on every tick.
    viewer.FTopRow = 0;
    Press(messages::LeftButtonDown, CellX(1), CellY(1));
    EXPECT_EQ(FWindows.Captured, viewer.Window());
    Press(messages::MouseMove, CellX(2), CellY(3));
    EXPECT_EQ(Range(), (TCellRange{1, 1, 2, 3}));
    Press(messages::MouseMove, CellX(2), 320);
    EXPECT_EQ(viewer.FTopRow, 1);
    EXPECT_EQ(Range(), (TCellRange{1, 1, 2, 10}));
    EXPECT_EQ(FWindows.Timers[viewer.Window()], 2); // the follow timer and the drag's
    viewer.HandleMessage(messages::Timer, 2, 0);
    EXPECT_EQ(viewer.FTopRow, 2);
    EXPECT_EQ(Range(), (TCellRange{1, 1, 2, 11}));
    Press(messages::LeftButtonUp, CellX(2), 320);
    EXPECT_EQ(FWindows.Captured, nullptr);
    Press(messages::MouseMove, CellX(3), CellY(5)); // the button is up: nothing follows the pointer
    EXPECT_EQ(Range(), (TCellRange{1, 1, 2, 11}));

    // Another sheet: one cell again.
    ClickCell(0, 0);
    ClickCell(2, 2, {keys::Shift});
    viewer.NextSheet();
    EXPECT_EQ(Range(), (TCellRange{0, 0, 0, 0}));
}

TEST_F(Ranges, CommandsWorkOnEveryCellOfTheRange) {
    TProbe& viewer = Open(Rows({{"1", "2", "note"}, {"3", "4@1", ""}, {"x", "", ""}}), StylesXml({0, 10}));
    ClickCell(0, 0);
    ClickCell(1, 1, {keys::Shift});
    viewer.ToggleHighlightSelection(u"Yellow");
    EXPECT_EQ(viewer.FHighlights.size(), 4u);
    ClickCell(1, 1);
    ClickCell(2, 2, {keys::Shift});
    viewer.ToggleHighlightSelection(u"Yellow"); // the active cell is yellow: off for the whole range
    EXPECT_EQ(viewer.FHighlights.size(), 3u);
    viewer.ExecuteRibbonCommand(1, 0); // Bold on, for the four cells
    EXPECT_EQ(viewer.FCellBold.size(), 4u);
    ClickCell(2, 2);
    ClickCell(1, 1, {keys::Shift});
    viewer.ExecuteRibbonCommand(1, 0); // still on at the active cell: off for all
    EXPECT_TRUE(viewer.FCellBold.empty());
    viewer.ExecuteRibbonCommand(1, 5); // Align Right
    EXPECT_EQ(viewer.FCellAlign.size(), 4u);

    // Delete empties the values and keeps the styles.
    Key(keys::Delete);
    EXPECT_EQ(Cell(1, 1), u"");
    EXPECT_EQ(Cell(0, 1), u"2");
    EXPECT_EQ(viewer.FWorkbook->Sheet(0).StyleIndex(1, 1), 1);

    // AutoSum over a column writes under it, over a row to its right, over more columns under each;
    // cells that hold no number are passed over.
    ClickCell(0, 0);
    ClickCell(0, 2, {keys::Shift});
    viewer.ExecuteRibbonCommand(5, 0);
    EXPECT_EQ(Cell(3, 0), u"4");
    ClickCell(0, 0);
    ClickCell(2, 0, {keys::Shift});
    viewer.ExecuteRibbonCommand(5, 1);
    EXPECT_EQ(Cell(0, 3), u"1.5");
    ClickCell(0, 0);
    ClickCell(1, 1, {keys::Shift});
    viewer.ExecuteRibbonCommand(5, 2);
    EXPECT_EQ(Cell(2, 0), u"2");
    EXPECT_EQ(Cell(2, 1), u"1");
    EXPECT_TRUE(FHost.Errors.empty());
    ClickCell(2, 1);
    ClickCell(2, 2, {keys::Shift});
    viewer.ExecuteRibbonCommand(5, 0);
    EXPECT_EQ(FHost.Errors.back(), u"AutoSum: no numeric cells found in the selected range.");
    EXPECT_EQ(Cell(3, 2), u"");
}

TEST_F(Ranges, CopyCutAndPasteGoThroughTheClipboard) {
    TProbe& viewer = Open(Rows({{"0.25@1", "a\tb", "", ""}, {"say \"hi\"", "7", "", ""}}), StylesXml({0, 10}));
    ClickCell(0, 0);
    ClickCell(1, 1, {keys::Shift});
    Key(keys::LetterC, {keys::Control});
    EXPECT_EQ(FWindows.ClipboardHeld.Held, u"25.00%\t\"a\tb\"\r\n\"say \"\"hi\"\"\"\t7\r\n"); // as the cells show
    EXPECT_NE(FWindows.ClipboardHeld.Html.find("<td>25.00%</td>"), std::string::npos);

    // Pasted from the active cell as typing would store each value; the pasted cells are selected.
    ClickCell(2, 1);
    FWindows.ClipboardHeld.Held = u"12\tx\r\n\"two\nlines\"\t1e3\n";
    Key(keys::Insert, {keys::Shift});
    EXPECT_EQ(Cell(1, 2), u"12");
    EXPECT_EQ(viewer.FWorkbook->Sheet(0).Kind(1, 2), TCellKind::Number);
    EXPECT_EQ(Cell(1, 3), u"x");
    EXPECT_EQ(Cell(2, 2), u"two\nlines");
    EXPECT_EQ(viewer.FWorkbook->ShownText(0, 2, 3).Text, u"1000");
    EXPECT_EQ(Range(), (TCellRange{2, 1, 3, 2}));
    EXPECT_EQ(Active(), (TCellPos{2, 1}));

    // A paste that would pass row 2000 or column GR pastes nothing.
    viewer.FSelectedRow = 1998;
    FWindows.ClipboardHeld.Held = u"1\n2\n3\n";
    Key(keys::LetterV, {keys::Control});
    EXPECT_EQ(FHost.Errors.back(), u"Paste: the cells would pass row 2000 or column 200 (GR); nothing was pasted.");
    EXPECT_EQ(viewer.FWorkbook->Sheet(0).RowCount, 3);

    // Cut copies and empties; a clipboard that cannot be had is said so.
    ClickCell(2, 1);
    ClickCell(3, 1, {keys::Shift});
    Key(keys::LetterX, {keys::Control});
    EXPECT_EQ(FWindows.ClipboardHeld.Held, u"12\tx\r\n");
    EXPECT_EQ(Cell(1, 2), u"");
    EXPECT_EQ(Cell(1, 3), u"");
    FWindows.ClipboardHeld.Refuse = true;
    Key(keys::Insert, {keys::Control});
    EXPECT_EQ(FHost.Errors.back(), u"The clipboard cannot be opened; nothing was copied.");
}

TEST_F(Ranges, TheRangeIsDrawnAroundItsCellsAndItsNumbersSummedInTheTabStrip) {
    TProbe& viewer = Open(Rows({{"1", "2.5"}, {"text", "3"}}));
    ClickCell(0, 0);
    Painted();
    EXPECT_EQ(FillAt(TRect{46, 84, 142, 106})->Color, Selection); // one cell: as it always was
    EXPECT_EQ(viewer.SelectionStatus(), u"");
    ClickCell(1, 1, {keys::Shift});
    Painted();
    EXPECT_EQ(FillAt(TRect{46, 84, 142, 106})->Color, White); // the active cell stays white
    EXPECT_EQ(FillAt(TRect{142, 106, 238, 128})->Color, Selection);
    EXPECT_TRUE(OutlinedAt(TRect{46, 84, 238, 128})); // the frame, two pixels wide
    EXPECT_TRUE(OutlinedAt(TRect{47, 85, 237, 127}));
    // At the strip's right end, its background never over the tab and "+" (the two end at x 328).
    const TDrawCall* status = FWindows.LastCanvas.TextCall(u"Sum: 6.5  Count: 4  Average: 2.166666667");
    ASSERT_NE(status, nullptr);
    EXPECT_GE(status->Rect.Left, 328);
    EXPECT_EQ(status->Rect.Right, 400);
    FWindows.ClipboardHeld.Held = u"4";
    Key(keys::LetterV, {keys::Control}); // the status follows the cells
    EXPECT_EQ(viewer.SelectionStatus(), u"");
    ClickCell(0, 1);
    ClickCell(1, 1, {keys::Shift});
    EXPECT_EQ(viewer.SelectionStatus(), u"Sum: 3  Count: 2  Average: 3");
}
