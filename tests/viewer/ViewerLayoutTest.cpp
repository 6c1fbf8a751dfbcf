// The sheet as its author laid it out, natively: sizes, hidden rows and columns, zoom, merged areas
// and frozen panes, through clicks, keys, the edit box and what is painted.
#include "viewer/ViewerFixture.h"
#include "workbook/XlsxWorkbook.h"

using namespace tabulix;
using namespace tabulix::testing;

namespace {

intptr_t At(int32_t x, int32_t y) { return intptr_t(uint32_t(uint16_t(x)) | (uint32_t(uint16_t(y)) << 16)); }

// A loaded sheet's layout, set as the loader sets it from the worksheet.
struct TLayoutAccess : TXlsxWorkbook {
    static TSheetLayout& Of(TXlsxWorkbook& workbook, int32_t sheet) {
        return (workbook.*(&TLayoutAccess::FSheets))[size_t(sheet)].Layout;
    }
};

// rows x cols cells, each holding its reference (B3), as inline strings.
std::string Grid(int32_t rows, int32_t cols) {
    std::string xml;
    for (int32_t r = 1; r <= rows; ++r) {
        xml += "<row r=\"" + std::to_string(r) + "\">";
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
    // A 600 x 400 viewer, ribbon on top: the column letters from y 62, the cells from (46, 84).
    TProbe& Open(const std::string& rows, const std::function<void(TSheetLayout&)>& layOut) {
        TProbe& viewer = MakeViewer(600, 400);
        viewer.LoadWorkbook(Workbook({"S"}, rows));
        layOut(TLayoutAccess::Of(*viewer.FWorkbook, 0));
        // Shown anew, as a sheet with that layout is shown when it is loaded.
        viewer.GotoSheet(0);
        return viewer;
    }
    std::pair<int32_t, int32_t> Hit(int32_t x, int32_t y) const {
        int32_t col = -1, row = -1;
        if (!FViewer->CellAt(x, y, col, row)) return {-1, -1};
        return {col, row};
    }
    void Click(int32_t x, int32_t y) { FViewer->HandleMessage(messages::LeftButtonDown, 1, At(x, y)); }
    void Key(uint32_t key) { FViewer->HandleMessage(messages::KeyDown, key, 0); }
    std::pair<int32_t, int32_t> Selected() const { return {FViewer->FSelectedCol, FViewer->FSelectedRow}; }
    const TScriptedWindow* EditBox() const { return FWindows.Window(FWindows.ChildOfKind(TScriptedWindow::TKind::CellEditor)); }
};

} // namespace

TEST_F(ViewerLayout, SizesHiddenRowsAndColumnsZoomAndSettings) {
    TProbe& viewer = Open(Grid(8, 6), [](TSheetLayout& layout) {
        layout.HasFormat = true;
        layout.DefaultRowHeight = 15;                                 // 20 pixels
        layout.Columns = {{1, 1, 20.0, false}, {2, 2, std::nullopt, true}}; // B 140 pixels, C hidden
        layout.Rows = {{1, 30.0, false}, {2, std::nullopt, true}};    // row 2 40 pixels, row 3 hidden
    });
    // Columns A 46..110 (the default 64: 8 digits of 7 pixels and 5, to a multiple of 8), B ..250, D ..314.
    EXPECT_EQ(Hit(46, 84), std::make_pair(0, 0));
    EXPECT_EQ(Hit(109, 103), std::make_pair(0, 0));
    EXPECT_EQ(Hit(110, 104), std::make_pair(1, 1));
    EXPECT_EQ(Hit(252, 143), std::make_pair(3, 1));
    EXPECT_EQ(Hit(252, 144), std::make_pair(3, 3));
    EXPECT_EQ(Hit(30, 100), std::make_pair(-1, -1)); // the row numbers
    const TRecordingCanvas& painted = Painted();
    EXPECT_EQ(painted.TextCall(u"C"), nullptr); // hidden: no letter, no number
    EXPECT_EQ(painted.TextCall(u"3"), nullptr);
    EXPECT_NE(painted.TextCall(u"D"), nullptr);
    EXPECT_NE(painted.TextCall(u"D4"), nullptr);
    EXPECT_EQ(painted.TextCall(u"C1"), nullptr);

    // Arrows pass over hidden rows and columns.
    Click(80, 90);
    Key(keys::Right);
    Key(keys::Right);
    Key(keys::Down);
    Key(keys::Down);
    EXPECT_EQ(Selected(), std::make_pair(3, 3));

    // Zoom scales every size the sheet gives; the header row and the row numbers keep the viewer's.
    viewer.ExecuteRibbonCommand(8, 0);
    EXPECT_EQ(viewer.Viewport().CellRect(1, 1), (TRect{46 + 70, 62 + 24 + 22, 46 + 70 + 154, 62 + 24 + 22 + 44}));
    viewer.ExecuteRibbonCommand(8, 1);
    // The settings' sizes replace the sheet's default ones only.
    viewer.ApplySettings(u"ColumnWidth=80;RowHeight=30");
    EXPECT_EQ(viewer.Viewport().CellRect(1, 1), (TRect{46 + 80, 62 + 30 + 30, 46 + 80 + 140, 62 + 30 + 30 + 40}));

    // Widths count in digits of the workbook's font where it is installed: 8 pixels give 72 (69 up
    // to a multiple of 8). Without sheetFormatPr the viewer's own sizes are the defaults.
    FWindows.DigitWidth = 8;
    TProbe& measured = MakeViewer(600, 400);
    const auto path = FFolder / u"calibri.xlsx";
    TXlsxFixture()
        .Styles("<fonts count=\"1\"><font><sz val=\"11\"/><name val=\"Calibri\"/></font></fonts>"
                "<cellStyleXfs count=\"1\"><xf fontId=\"0\"/></cellStyleXfs><cellXfs count=\"1\"><xf fontId=\"0\"/></cellXfs>")
        .Sheet("S", Grid(3, 3))
        .WriteTo(path);
    measured.LoadWorkbook(PathToText(path));
    TLayoutAccess::Of(*measured.FWorkbook, 0).HasFormat = true;
    measured.GotoSheet(0);
    EXPECT_EQ(measured.Viewport().CellRect(0, 1), (TRect{46 + 72, 84, 46 + 144, 84 + 20}));
    TProbe& plain = Open(Grid(3, 3), [](TSheetLayout& layout) { layout.Rows = {{0, 30.0, false}}; });
    EXPECT_EQ(plain.Viewport().CellRect(1, 1), (TRect{46 + 96, 84 + 40, 46 + 192, 84 + 62}));
}

TEST_F(ViewerLayout, AMergedAreaIsOneCell) {
    TProbe& viewer = Open(Grid(8, 5), [](TSheetLayout& layout) { layout.Merges = {{1, 1, 4, 2}}; }); // B2:C5
    const TRect area{46 + 96, 84 + 22, 46 + 3 * 96, 84 + 5 * 22};
    Click(area.Right - 3, area.Bottom - 3); // C5
    EXPECT_EQ(Selected(), std::make_pair(1, 1));
    const TRecordingCanvas& painted = Painted();
    ASSERT_NE(painted.TextCall(u"B2"), nullptr);
    EXPECT_EQ(painted.TextCall(u"B2")->Rect, (TRect{area.Left + 1, area.Top + 1, area.Right - 1, area.Bottom - 1}));
    EXPECT_EQ(painted.TextCall(u"C3"), nullptr);
    EXPECT_EQ(FillAt(area)->Color, Selection); // the whole area is selected
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
    EXPECT_EQ(EditBox()->Text, u"B2");
    EXPECT_EQ((TRect{EditBox()->Origin.X, EditBox()->Origin.Y, EditBox()->Origin.X + EditBox()->Client.Width(),
                     EditBox()->Origin.Y + EditBox()->Client.Height()}),
              area);
    viewer.HandleMessage(messages::Command, uintptr_t(EditLostFocus) << 16,
                         reinterpret_cast<intptr_t>(FWindows.ChildOfKind(TScriptedWindow::TKind::CellEditor)));
    viewer.FTopRow = 3;
    viewer.StartEditSelection();
    ASSERT_NE(EditBox(), nullptr);
    EXPECT_EQ(EditBox()->Origin.Y, 84);
    EXPECT_EQ(EditBox()->Client.Height(), 2 * 22);
}

TEST_F(ViewerLayout, FrozenRowsAndColumnsStayWhileTheRestScrolls) {
    TProbe& viewer = Open(Grid(40, 8), [](TSheetLayout& layout) {
        layout.FrozenRows = 1;
        layout.FrozenCols = 1;
        layout.TopLeftCell = std::make_pair(10, 3); // D11
        layout.ShowGridLines = false;
    });
    EXPECT_EQ(viewer.FTopRow, 10);
    EXPECT_EQ(viewer.FLeftCol, 3);
    EXPECT_FALSE(viewer.FShowGridLines);
    EXPECT_EQ(Selected(), std::make_pair(0, 0)); // A1 shows in the frozen corner
    EXPECT_EQ(Hit(50, 90), std::make_pair(0, 0));
    EXPECT_EQ(Hit(50 + 96, 90), std::make_pair(3, 0));
    EXPECT_EQ(Hit(50, 90 + 22), std::make_pair(0, 10));
    EXPECT_EQ(Hit(50 + 96, 90 + 22), std::make_pair(3, 10));
    const TRecordingCanvas& painted = Painted();
    for (const char16_t* shown : {u"A1", u"D1", u"A11", u"D11"}) EXPECT_NE(painted.TextCall(shown), nullptr);
    for (const char16_t* scrolled : {u"B1", u"A2", u"B2"}) EXPECT_EQ(painted.TextCall(scrolled), nullptr);
    EXPECT_NE(FillAt(TRect{46 + 95, 84, 46 + 96, 400}), nullptr); // the dividers
    EXPECT_NE(FillAt(TRect{46, 84 + 21, 600, 84 + 22}), nullptr);

    // The scrolled part never goes under the frozen one.
    viewer.HandleMessage(messages::MouseWheel, uintptr_t(uint16_t(int16_t(20 * 120))) << 16, 0);
    EXPECT_EQ(viewer.FTopRow, 1);
    Key(keys::PageDown);
    EXPECT_EQ(viewer.FTopRow, 1 + 13); // 13 rows of 22 pixels in the 294 left below the frozen row
    Key(keys::PageUp);
    EXPECT_EQ(viewer.FTopRow, 1);
    Click(50, 90); // A1, frozen: nothing scrolls
    EXPECT_EQ(viewer.FTopRow, 1);
    viewer.SelectCell(0, 30, true);
    EXPECT_EQ(viewer.FTopRow, 30 - 12);
}

TEST_F(ViewerLayout, TextRunsOnIntoEmptyNeighbours) {
    TProbe& viewer = Open("<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>a text as long as three cells are wide</t></is></c>"
                          "<c r=\"D1\" t=\"inlineStr\"><is><t>x</t></is></c></row>"
                          "<row r=\"2\"><c r=\"A2\" t=\"inlineStr\"><is><t>another text that goes on and on</t></is></c>"
                          "<c r=\"B2\" t=\"inlineStr\"><is><t>y</t></is></c></row>",
                          [](TSheetLayout&) {});
    const TRecordingCanvas& painted = Painted();
    // 38 characters of 7 pixels and 8 of margins: over B1 and C1, stopping before D1.
    EXPECT_EQ(painted.TextCall(u"a text as long as three cells are wide")->Rect.Right, 46 + 3 * 96 - 1);
    EXPECT_EQ(FillAt(TRect{46 + 95, 84, 46 + 96, 106}), nullptr); // no line where it runs on
    EXPECT_EQ(painted.TextCall(u"another text that goes on and on")->Rect.Right, 46 + 96 - 1);
    // Scrolled so that A1 is out of view, its text still shows in B1 and C1.
    viewer.FLeftCol = 1;
    const TDrawCall* runner = Painted().TextCall(u"a text as long as three cells are wide");
    ASSERT_NE(runner, nullptr);
    EXPECT_EQ(runner->At.X, 46 - 96 + 4);

    // From a frozen column it runs on into the scrolled part while that is not scrolled.
    TLayoutAccess::Of(*viewer.FWorkbook, 0).FrozenCols = 1;
    viewer.GotoSheet(0);
    auto drawn = [&] {
        std::vector<int32_t> at;
        for (const TDrawCall& call : Painted().Texts()) {
            if (call.Text == u"a text as long as three cells are wide") at.push_back(call.At.X);
        }
        return at;
    };
    EXPECT_EQ(drawn(), (std::vector<int32_t>{50, 50})); // in the frozen pane and in the scrolled one
    viewer.FLeftCol = 2;
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
    TProbe& viewer = MakeViewer(900, 300);
    const auto path = FFolder / u"styled.xlsx";
    TXlsxFixture()
        .Styles(styles)
        .Sheet("S", "<row r=\"1\">" + text("A1", "plain", "1") + text("B1", "bold", "2") + text("C1", "arial", "3") +
                        text("D1", "", "4") + CellXml("E1", "-5", "", "5") +
                        text("F1", "one two three four five six seven", "6") + text("G1", "mid", "7") +
                        CellXml("H1", "1", "b") + "</row><row r=\"2\">" + text("A2", "right", "8") + "</row>")
        .WriteTo(path);
    viewer.LoadWorkbook(PathToText(path));
    TLayoutAccess::Of(*viewer.FWorkbook, 0).Rows = {{0, 45.0, false}}; // row 1: 60 pixels
    viewer.GotoSheet(0);
    viewer.SelectCell(0, 1, false);
    const TRecordingCanvas& painted = Painted();
    const auto cell = [&](int32_t row, int32_t col) { return viewer.Viewport().CellRect(row, col); };

    // Fonts: the default one in the viewer's font, another as the workbook names it.
    const TDrawCall* plain = painted.TextCall(u"plain");
    EXPECT_EQ(plain->Face, u"Segoe UI");
    EXPECT_EQ(plain->Size, 9);
    EXPECT_TRUE(painted.TextCall(u"bold")->Style.Bold);
    EXPECT_EQ(painted.TextCall(u"bold")->Face, u"Segoe UI");
    const TDrawCall* arial = painted.TextCall(u"arial");
    EXPECT_EQ(arial->Face, u"Arial");
    EXPECT_EQ(arial->Size, 14);
    EXPECT_TRUE(arial->Style.Italic);
    EXPECT_EQ(arial->Color, RgbColor(255, 0, 0));
    EXPECT_EQ(painted.TextCall(u"-5")->Color, RgbColor(255, 0, 0)); // the format's red over the font's blue

    // A fill, with no grid line over it; the medium border on A1's right wins over B1's thin left one.
    EXPECT_EQ(FillAt(cell(0, 3))->Color, RgbColor(255, 255, 0));
    EXPECT_EQ(FillAt(TRect{cell(0, 3).Right - 1, cell(0, 3).Top, cell(0, 3).Right, cell(0, 3).Bottom}), nullptr);
    const TDrawCall* medium = FillAt(TRect{cell(0, 0).Right - 1, cell(0, 0).Top, cell(0, 0).Right + 1, cell(0, 0).Bottom});
    ASSERT_NE(medium, nullptr);
    EXPECT_EQ(medium->Color, RgbColor(0, 255, 0));

    // Alignment: general numbers right, general truth values centred, wrapped text from the top in
    // lines, centred in the middle, right with an indent of 9 pixels; bottom by default.
    EXPECT_EQ(painted.TextCall(u"-5")->At.X, cell(0, 4).Right - 4 - 2 * 7);
    EXPECT_EQ(painted.TextCall(u"TRUE")->At.X, cell(0, 7).Left + 4 + (88 - 4 * 7) / 2);
    EXPECT_EQ(plain->At.Y, cell(0, 0).Bottom - 2 - 15);
    const TDrawCall* first = painted.TextCall(u"one two");
    const TDrawCall* second = painted.TextCall(u"three four");
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(first->At.Y, cell(0, 5).Top + 2);
    EXPECT_EQ(second->At.Y, first->At.Y + 15);
    EXPECT_EQ(painted.TextCall(u"mid")->At.X, cell(0, 6).Left + 4 + (88 - 3 * 7) / 2);
    EXPECT_EQ(painted.TextCall(u"mid")->At.Y, cell(0, 6).Top + (60 - 15) / 2);
    EXPECT_EQ(painted.TextCall(u"right")->At.X, cell(1, 0).Right - 4 - 9 - 5 * 7);
}

TEST_F(ViewerLayout, LayoutsNoApplicationWritesStillPaintAndHit) {
    TProbe& viewer = Open(Grid(6, 4), [](TSheetLayout& layout) {
        layout.HasFormat = true;
        layout.DefaultColWidth = 0;
        layout.BaseColWidth = -3;
        layout.Columns = {{0, 16383, 255.0, false}, {-4, -1, 3.0, true}};
        layout.Rows = {{-5, 10.0, false}, {0, 409.5, false}, {1, 0.0, false}, {900000, 20.0, true}};
        // Areas reaching past the grid, turned round, of one cell, overlapping one another.
        layout.Merges = {{-1, 0, 3, 3}, {0, 0, 1000000, 2}, {3, 3, 1, 1}, {4, 0, 4, 0}, {1, 1, 5, 3}};
        layout.FrozenRows = 5000;
        layout.FrozenCols = 300;
        layout.TopLeftCell = std::make_pair(999999, 999999);
    });
    EXPECT_EQ(viewer.Geometry().FrozenRows(), 6);
    EXPECT_EQ(viewer.Geometry().FrozenCols(), 4);
    EXPECT_EQ(viewer.Geometry().Rows().Size(1), 0); // a height of 0: no room, as if hidden
    Painted();
    EXPECT_EQ(Hit(100, 100), std::make_pair(0, 0));
    Click(300, 200); // inside the first area, which reaches past the grid: its first cell
    EXPECT_EQ(Selected(), std::make_pair(0, 0));
    for (uint32_t key : {keys::Down, keys::Right, keys::PageDown, keys::PageUp, keys::Up, keys::Left}) Key(key);
    viewer.HandleMessage(messages::MouseWheel, uintptr_t(uint16_t(int16_t(-1200))) << 16, 0);
    viewer.StartEditSelection();
    EXPECT_NE(EditBox(), nullptr);
    Painted();
    viewer.ExecuteRibbonCommand(8, 0); // Zoom In
    Painted();
}
