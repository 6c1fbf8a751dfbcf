// The sheet as its author laid it out, natively: sizes, hidden rows and columns, zoom, merged areas,
// frozen panes and styles, through clicks, keys, the edit box and what is painted.
#include "base/Numbers.h"
#include "viewer/ViewerFixture.h"

#include <map>

using namespace tabulix;
using namespace tabulix::testing;

namespace {

// A worksheet part: what comes before sheetData (views, sizes), its rows, and what follows (merges).
std::string WorksheetXml(const std::string& before, const std::string& rows, const std::string& after = "") {
    return "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">" + before + "<sheetData>" +
           rows + "</sheetData>" + after + "</worksheet>";
}

// rows x cols cells, each holding its reference (B3), with the attributes given for a row (by its number).
std::string ReferenceRows(int32_t rows, int32_t cols, const std::map<int32_t, std::string>& attributes = {}) {
    std::string xml;
    for (int32_t r = 1; r <= rows; ++r) {
        const auto extra = attributes.find(r);
        xml += "<row r=\"" + std::to_string(r) + "\"" + (extra == attributes.end() ? "" : " " + extra->second) + ">";
        for (int32_t c = 0; c < cols; ++c) {
            const std::string ref = std::string(1, char('A' + c)) + std::to_string(r);
            xml += "<c r=\"" + ref + "\" t=\"inlineStr\"><is><t>" + ref + "</t></is></c>";
        }
        xml += "</row>";
    }
    return xml;
}

class ViewerLayout : public Viewer {
protected:
    // A 600 x 400 viewer, ribbon on top (the column letters from y 62, the cells from (46, 84)), over
    // one sheet of the given worksheet part.
    TNeoSpreadsheet& Open(const std::string& worksheet, const std::string& styles = "", int32_t width = 600) {
        TNeoSpreadsheet& viewer = MakeViewer(width, 400);
        TXlsxFixture fixture;
        fixture.Sheet("S", "").Entry("xl/worksheets/sheet1.xml", worksheet);
        if (!styles.empty()) fixture.Styles(styles);
        viewer.LoadWorkbook(Write(fixture));
        return viewer;
    }
    TRect CellRect(int32_t row, int32_t col) {
        const TShownGrid grid = Grid();
        return grid.Cell(row, col) ? grid.Cell(row, col)->Rect : TRect{};
    }
    const TScriptedWindow* Box() const { return FWindows.Window(EditBox()); }
    TRect BoxRect() const {
        return TRect{Box()->Origin.X, Box()->Origin.Y, Box()->Origin.X + Box()->Client.Width(), Box()->Origin.Y + Box()->Client.Height()};
    }
};

} // namespace

TEST_F(ViewerLayout, SizesHiddenRowsAndColumnsZoomAndSettings) {
    // B 20 characters wide (140 pixels), C hidden, the others 8 characters and 5 pixels (64); row 2 of
    // 30 points (40 pixels), row 3 hidden, the others 15 points (20).
    TNeoSpreadsheet& viewer = Open(WorksheetXml(
        R"(<sheetFormatPr baseColWidth="8" defaultRowHeight="15"/>)"
        R"(<cols><col min="2" max="2" width="20" customWidth="1"/><col min="3" max="3" width="9" hidden="1"/></cols>)",
        ReferenceRows(8, 6, {{2, R"(ht="30" customHeight="1")"}, {3, R"(hidden="1")"}})));
    TShownGrid grid = Grid();
    EXPECT_EQ(grid.Cell(0, 0)->Rect, (TRect{46, 84, 110, 104}));
    EXPECT_EQ(grid.Cell(1, 1)->Rect, (TRect{110, 104, 250, 144}));
    EXPECT_EQ(grid.Cell(3, 3)->Rect, (TRect{250, 144, 314, 164}));
    EXPECT_EQ(grid.Cols.count(2), 0u); // hidden: no letter, no number, no cells
    EXPECT_EQ(grid.Rows.count(2), 0u);
    EXPECT_EQ(grid.Text(3, 3), u"D4");
    // Clicks land where the cells lie, and the arrows pass over what is hidden.
    Click(109, 103);
    EXPECT_EQ(Selected(), std::make_pair(0, 0));
    Click(252, 143);
    EXPECT_EQ(Selected(), std::make_pair(3, 1));
    Key(keys::Left);
    EXPECT_EQ(Selected(), std::make_pair(1, 1));
    Key(keys::Right);
    Key(keys::Down);
    EXPECT_EQ(Selected(), std::make_pair(3, 3));

    // Zoom scales every size the sheet gives; the header row and the row numbers keep the viewer's.
    Choose(8, 0);
    EXPECT_EQ(CellRect(1, 1), (TRect{46 + 70, 62 + 24 + 22, 46 + 70 + 154, 62 + 24 + 22 + 44}));
    Choose(8, 1);
    // The settings' sizes replace the sheet's default ones only.
    viewer.ApplySettings(u"ColumnWidth=80;RowHeight=30");
    EXPECT_EQ(CellRect(1, 1), (TRect{46 + 80, 62 + 30 + 30, 46 + 80 + 140, 62 + 30 + 30 + 40}));

    // Widths count in digits of the workbook's default font where it is installed: 8 pixels give 72
    // (69 up to a multiple of 8).
    FWindows.DigitWidth = 8;
    Open(WorksheetXml(R"(<sheetFormatPr baseColWidth="8" defaultRowHeight="15"/>)", ReferenceRows(3, 3)),
         R"(<fonts count="1"><font><sz val="11"/><name val="Calibri"/></font></fonts>)"
         R"(<cellStyleXfs count="1"><xf fontId="0"/></cellStyleXfs><cellXfs count="1"><xf fontId="0"/></cellXfs>)");
    EXPECT_EQ(CellRect(0, 1), (TRect{46 + 72, 84, 46 + 144, 84 + 20}));
    // Without sheetFormatPr the viewer's own sizes are the defaults.
    Open(WorksheetXml("", ReferenceRows(3, 3, {{1, R"(ht="30" customHeight="1")"}})));
    EXPECT_EQ(CellRect(1, 1), (TRect{46 + 96, 84 + 40, 46 + 192, 84 + 62}));
}

TEST_F(ViewerLayout, AMergedAreaIsOneCell) {
    TNeoSpreadsheet& viewer = Open(WorksheetXml("", ReferenceRows(8, 5), R"(<mergeCells count="1"><mergeCell ref="B2:C5"/></mergeCells>)"));
    const TRect area{46 + 96, 84 + 22, 46 + 3 * 96, 84 + 5 * 22};
    Click(area.Right - 3, area.Bottom - 3); // C5
    TShownGrid grid = Grid();
    EXPECT_EQ(Selected(), std::make_pair(1, 1));
    EXPECT_EQ(grid.Cell(1, 1)->Rect, area); // the whole area is selected
    EXPECT_EQ(grid.Text(1, 1), u"B2");
    EXPECT_EQ(grid.Text(2, 2), u"");
    EXPECT_EQ(Painted().TextCall(u"B2")->Rect, (TRect{area.Left + 1, area.Top + 1, area.Right - 1, area.Bottom - 1}));
    EXPECT_EQ(FillAt(TRect{area.Left + 95, area.Top, area.Left + 96, area.Top + 22}), nullptr); // no line inside

    // The keys pass it as one cell.
    Key(keys::Right);
    EXPECT_EQ(Selected(), std::make_pair(3, 1));
    Key(keys::Left);
    EXPECT_EQ(Selected(), std::make_pair(1, 1));
    Key(keys::Down);
    EXPECT_EQ(Selected(), std::make_pair(1, 5));
    Key(keys::Up);
    EXPECT_EQ(Selected(), std::make_pair(1, 1));

    // The edit box covers the area, also when its first rows are scrolled away.
    viewer.StartEditSelection();
    ASSERT_NE(EditBox(), nullptr);
    EXPECT_EQ(Box()->Text, u"B2");
    EXPECT_EQ(BoxRect(), area);
    FWindows.SetFocus(viewer.Window());
    Wheel(-360);
    viewer.StartEditSelection();
    ASSERT_NE(EditBox(), nullptr);
    EXPECT_EQ(BoxRect(), (TRect{area.Left, 84, area.Right, 84 + 2 * 22}));
}

TEST_F(ViewerLayout, FrozenRowsAndColumnsStayWhileTheRestScrolls) {
    Open(WorksheetXml(R"(<sheetViews><sheetView showGridLines="0" workbookViewId="0">)"
                      R"(<pane xSplit="1" ySplit="1" topLeftCell="D11" activePane="bottomRight" state="frozen"/></sheetView></sheetViews>)",
                      ReferenceRows(40, 8)));
    TShownGrid grid = Grid();
    EXPECT_EQ(std::vector<int32_t>(grid.ColOrder.begin(), grid.ColOrder.begin() + 3), (std::vector<int32_t>{0, 3, 4}));
    EXPECT_EQ(std::vector<int32_t>(grid.RowOrder.begin(), grid.RowOrder.begin() + 3), (std::vector<int32_t>{0, 10, 11}));
    EXPECT_EQ(Selected(), std::make_pair(0, 0)); // A1 shows in the frozen corner
    EXPECT_EQ(grid.Cell(10, 3)->Rect, (TRect{46 + 96, 84 + 22, 46 + 192, 84 + 44}));
    EXPECT_EQ(FillAt(TRect{46 + 95, 84 + 44, 46 + 96, 84 + 66}), nullptr); // no grid lines: the author turned them off
    EXPECT_NE(FillAt(TRect{46 + 95, 84, 46 + 96, 400}), nullptr);          // the dividers
    EXPECT_NE(FillAt(TRect{46, 84 + 21, 600, 84 + 22}), nullptr);
    Click(50 + 96, 90 + 22);
    EXPECT_EQ(Selected(), std::make_pair(3, 10));

    // The scrolled part never goes under the frozen one.
    Wheel(20 * 120);
    EXPECT_EQ(Grid().RowOrder[1], 1);
    Key(keys::PageDown);
    EXPECT_EQ(Grid().RowOrder[1], 1 + 13); // 13 rows of 22 pixels in the 294 left below the frozen row
    Key(keys::PageUp);
    EXPECT_EQ(Grid().RowOrder[1], 1);
    Click(50, 90); // A1, frozen: nothing scrolls
    EXPECT_EQ(Grid().RowOrder[1], 1);
    for (int i = 0; i < 29; ++i) Key(keys::Down);
    EXPECT_EQ(Selected(), std::make_pair(0, 29));
    EXPECT_EQ(Grid().RowOrder[1], 29 - 12);
}

TEST_F(ViewerLayout, TextRunsOnIntoEmptyNeighbours) {
    Open(WorksheetXml("", InlineRowsXml({{"a text as long as three cells are wide", "", "", "x"},
                                         {"another text that goes on and on", "y"}})));
    const TRecordingCanvas& painted = Painted();
    // 38 characters of 7 pixels and 8 of margins: over B1 and C1, stopping before D1.
    EXPECT_EQ(painted.TextCall(u"a text as long as three cells are wide")->Rect.Right, 46 + 3 * 96 - 1);
    EXPECT_EQ(FillAt(TRect{46 + 95, 84, 46 + 96, 106}), nullptr); // no line where it runs on
    EXPECT_EQ(painted.TextCall(u"another text that goes on and on")->Rect.Right, 46 + 96 - 1);
    // Scrolled so that A1 is out of view, its text still shows in B1 and C1.
    Wheel(-120, true);
    const TDrawCall* runner = Painted().TextCall(u"a text as long as three cells are wide");
    ASSERT_NE(runner, nullptr);
    EXPECT_EQ(runner->At.X, 46 - 96 + 4);

    // From a frozen column it runs on into the scrolled part while that is not scrolled.
    Open(WorksheetXml(R"(<sheetViews><sheetView workbookViewId="0"><pane xSplit="1" topLeftCell="B1" state="frozen"/></sheetView></sheetViews>)",
                      InlineRowsXml({{"a text as long as three cells are wide", "", "", "x"}})));
    auto drawn = [&] {
        std::vector<int32_t> at;
        for (const TDrawCall& call : Painted().Texts()) {
            if (call.Text == u"a text as long as three cells are wide") at.push_back(call.At.X);
        }
        return at;
    };
    EXPECT_EQ(drawn(), (std::vector<int32_t>{50, 50})); // in the frozen pane and in the scrolled one
    Wheel(-120, true);
    EXPECT_EQ(drawn(), std::vector<int32_t>{50});
}

TEST_F(ViewerLayout, CellsPaintInTheirStyles) {
    const std::string styles =
        R"(<numFmts count="1"><numFmt numFmtId="164" formatCode="0;[Red]-0"/></numFmts>)"
        R"(<fonts count="4"><font><sz val="11"/><name val="Calibri"/></font><font><b/><sz val="11"/><name val="Calibri"/></font>)"
        R"(<font><i/><sz val="14"/><color rgb="FFFF0000"/><name val="Arial"/></font>)"
        R"(<font><sz val="11"/><color rgb="FF0000FF"/><name val="Calibri"/></font></fonts>)"
        R"(<fills count="3"><fill><patternFill patternType="none"/></fill><fill><patternFill patternType="gray125"/></fill>)"
        R"(<fill><patternFill patternType="solid"><fgColor rgb="FFFFFF00"/></patternFill></fill></fills>)"
        R"(<borders count="3"><border/><border><right style="medium"><color rgb="FF00FF00"/></right></border>)"
        R"(<border><left style="thin"/></border></borders>)"
        R"(<cellStyleXfs count="1"><xf fontId="0"/></cellStyleXfs><cellXfs count="9"><xf/>)"
        R"(<xf borderId="1"/>)"                                                         // 1: A1
        R"(<xf fontId="1" borderId="2"/>)"                                              // 2: B1
        R"(<xf fontId="2"/>)"                                                           // 3: C1
        R"(<xf fillId="2"/>)"                                                           // 4: D1
        R"(<xf numFmtId="164" fontId="3"/>)"                                            // 5: E1
        R"(<xf><alignment wrapText="1" vertical="top"/></xf>)"                          // 6: F1
        R"(<xf><alignment horizontal="center" vertical="center"/></xf>)"                // 7: G1
        R"(<xf><alignment horizontal="right" indent="1"/></xf></cellXfs>)";             // 8: A2
    auto text = [](const std::string& ref, const std::string& value, const std::string& style) {
        return "<c r=\"" + ref + "\" s=\"" + style + "\" t=\"inlineStr\"><is><t>" + value + "</t></is></c>";
    };
    Open(WorksheetXml("", "<row r=\"1\" ht=\"45\" customHeight=\"1\">" + text("A1", "plain", "1") + text("B1", "bold", "2") +
                              text("C1", "arial", "3") + text("D1", "", "4") + CellXml("E1", "-5", "", "5") +
                              text("F1", "one two three four five six seven", "6") + text("G1", "mid", "7") +
                              CellXml("H1", "1", "b") + "</row><row r=\"2\">" + text("A2", "right", "8") + "</row>"),
         styles, 900);
    ClickCell(1, 0);
    const TShownGrid grid = Grid();
    const TRecordingCanvas& painted = FWindows.LastCanvas;
    const auto cell = [&](int32_t row, int32_t col) { return grid.Cell(row, col)->Rect; };

    // Fonts: the default one in the viewer's font, another as the workbook names it.
    const TDrawCall* plain = painted.TextCall(u"plain");
    EXPECT_EQ(plain->Face, u"Segoe UI");
    EXPECT_EQ(plain->PointSize, 9);
    EXPECT_TRUE(grid.Cell(0, 1)->Style.Bold);
    EXPECT_EQ(painted.TextCall(u"bold")->Face, u"Segoe UI");
    const TDrawCall* arial = painted.TextCall(u"arial");
    EXPECT_EQ(arial->Face, u"Arial");
    EXPECT_EQ(arial->PointSize, 14);
    EXPECT_TRUE(arial->Style.Italic);
    EXPECT_EQ(arial->Color, RgbColor(255, 0, 0));
    EXPECT_EQ(grid.Cell(0, 4)->TextColor, RgbColor(255, 0, 0)); // the format's red over the font's blue

    // A fill, with no grid line over it; the medium border on A1's right wins over B1's thin left one.
    EXPECT_EQ(grid.Cell(0, 3)->Fill, RgbColor(255, 255, 0));
    EXPECT_EQ(FillAt(TRect{cell(0, 3).Right - 1, cell(0, 3).Top, cell(0, 3).Right, cell(0, 3).Bottom}), nullptr);
    const TDrawCall* medium = FillAt(TRect{cell(0, 0).Right - 1, cell(0, 0).Top, cell(0, 0).Right + 1, cell(0, 0).Bottom});
    ASSERT_NE(medium, nullptr);
    EXPECT_EQ(medium->Color, RgbColor(0, 255, 0));

    // Alignment: general numbers right, general truth values centred, wrapped text from the top in
    // lines, centred in the middle, right with an indent of 9 pixels; bottom by default.
    EXPECT_EQ(grid.Cell(0, 4)->TextX, cell(0, 4).Right - 4 - 2 * 7);
    EXPECT_EQ(grid.Cell(0, 7)->TextX, cell(0, 7).Left + 4 + (88 - 4 * 7) / 2);
    EXPECT_EQ(grid.Cell(0, 0)->TextY, cell(0, 0).Bottom - 2 - 15);
    EXPECT_EQ(grid.Text(0, 5), u"one two\nthree four\nfive six\nseven");
    EXPECT_EQ(grid.Cell(0, 5)->TextY, cell(0, 5).Top + 2);
    EXPECT_EQ(painted.TextCall(u"three four")->At.Y, cell(0, 5).Top + 2 + 15);
    EXPECT_EQ(grid.Cell(0, 6)->TextX, cell(0, 6).Left + 4 + (88 - 3 * 7) / 2);
    EXPECT_EQ(grid.Cell(0, 6)->TextY, cell(0, 6).Top + (60 - 15) / 2);
    EXPECT_EQ(grid.Cell(1, 0)->TextX, cell(1, 0).Right - 4 - 9 - 5 * 7);
}

TEST_F(ViewerLayout, LayoutsNoApplicationWritesStillPaintAndHit) {
    TNeoSpreadsheet& viewer = Open(WorksheetXml(
        R"(<sheetViews><sheetView workbookViewId="0"><pane xSplit="300" ySplit="5000" topLeftCell="XFD1048576" state="frozen"/></sheetView></sheetViews>)"
        R"(<sheetFormatPr baseColWidth="-3" defaultColWidth="0" defaultRowHeight="15"/>)"
        R"(<cols><col min="1" max="16384" width="255" customWidth="1"/></cols>)",
        ReferenceRows(6, 4, {{1, R"(ht="409.5" customHeight="1")"}}),
        R"(<mergeCells count="4"><mergeCell ref="A1:C1048576"/><mergeCell ref="D4:B2"/><mergeCell ref="A5:A5"/><mergeCell ref="B2:D6"/></mergeCells>)"));
    Painted();
    Click(300, 200); // inside the first area, which reaches past the grid: its first cell
    EXPECT_EQ(Selected(), std::make_pair(0, 0));
    for (uint32_t key : {keys::Down, keys::Right, keys::PageDown, keys::PageUp, keys::Up, keys::Left}) Key(key);
    Wheel(-1200);
    viewer.StartEditSelection();
    EXPECT_NE(EditBox(), nullptr);
    Choose(8, 0); // Zoom In
    Painted();
}

TEST_F(ViewerLayout, RangesFollowHiddenRowsMergedAreasAndFrozenPanes) {
    // Row 1 frozen; row 3 hidden; B5:C6 merged. Columns of 64 pixels from x 46, rows of 20 from y 84.
    Open(WorksheetXml(R"(<sheetViews><sheetView workbookViewId="0"><pane ySplit="1" topLeftCell="A2" state="frozen"/>)"
                      R"(</sheetView></sheetViews><sheetFormatPr baseColWidth="8" defaultRowHeight="15"/>)",
                      ReferenceRows(30, 6, {{3, R"(hidden="1")"}}), R"(<mergeCells count="1"><mergeCell ref="B5:C6"/></mergeCells>)"));
    const auto copied = [&] {
        FWindows.KeysDown = {keys::Control};
        Key(keys::LetterC);
        FWindows.KeysDown.clear();
        return FWindows.ClipboardHeld.Held.value_or(u"");
    };
    const auto shifted = [&](uint32_t key) {
        FWindows.KeysDown = {keys::Shift};
        Key(key);
        FWindows.KeysDown.clear();
    };
    ClickCell(1, 0);
    shifted(keys::Down); // over the hidden row, which is copied with the others
    EXPECT_EQ(copied(), u"A2\r\nA3\r\nA4\r\n");
    shifted(keys::Down);
    shifted(keys::Right); // to B5: the range takes in the merged area whole
    EXPECT_EQ(copied(), u"A2\tB2\tC2\r\nA3\tB3\tC3\r\nA4\tB4\tC4\r\nA5\tB5\tC5\r\nA6\tB6\tC6\r\n");
    constexpr TColor frame = RgbColor(255 * 2 / 5, 236 * 2 / 5, 217 * 2 / 5);
    const auto framed = [&](const TRect& rect) {
        for (const TDrawCall& call : FWindows.LastCanvas.Calls) {
            if (call.Kind == "outline" && call.Color == frame && call.Rect == rect) return true;
        }
        return false;
    };
    Grid();
    EXPECT_TRUE(framed(TRect{46, 104, 238, 184})); // rows 2 to 6, row 3 taking no room
    // Scrolled two shown rows on: the frame's top runs on under the frozen row, which it never crosses.
    Wheel(-240);
    Grid();
    EXPECT_TRUE(framed(TRect{46, 102, 238, 144}));
    for (const TDrawCall& call : FWindows.LastCanvas.Calls) {
        if (call.Kind == "outline" && call.Color == frame) {
            EXPECT_GE(call.Rect.Top, 102);
        }
    }
    // The letter D over the frozen row: the column, every row of it.
    Click(270, 70);
    std::u16string column;
    for (int r = 1; r <= 30; ++r) column += u"D" + IntToText(r) + u"\r\n";
    EXPECT_EQ(copied(), column);
}
