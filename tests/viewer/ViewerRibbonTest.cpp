// The ribbon natively: its menus, the owner-drawn items and their glyphs, and the commands they run.
#include "base/Error.h"
#include "viewer/ViewerFixture.h"
#include "workbook/XlsxWorkbook.h"

#include <array>

using namespace tabulix;
using namespace tabulix::testing;

namespace {

intptr_t At(int32_t x, int32_t y) { return intptr_t(uint32_t(uint16_t(x)) | (uint32_t(uint16_t(y)) << 16)); }

// A column of values in A1 downwards, as inline strings.
std::string Column(const std::vector<std::string>& values) {
    std::string xml;
    for (size_t r = 0; r < values.size(); ++r) {
        const std::string ref = "A" + std::to_string(r + 1);
        xml += "<row r=\"" + std::to_string(r + 1) + "\"><c r=\"" + ref + "\" t=\"inlineStr\"><is><t>" + values[r] +
               "</t></is></c></row>";
    }
    return xml;
}

class Ribbon : public Viewer {
protected:
    TProbe& Open(const std::string& rows = "") {
        TProbe& viewer = MakeViewer(800, 400);
        FBook = Workbook({"One"}, rows);
        viewer.LoadWorkbook(FBook);
        return viewer;
    }
    // The tab's menu opened with a click, answered with the command at index.
    void Choose(int32_t position, int32_t tab, int32_t index) {
        FWindows.MenuAnswers = {uint32_t(1000 + 100 * tab + index)};
        FViewer->HandleMessage(messages::LeftButtonDown, 1, At(80 * position + 20, 10));
    }
    void Select(int32_t col, int32_t row) {
        FViewer->FSelectedCol = col;
        FViewer->FSelectedRow = row;
    }
    std::u16string Cell(int32_t row, int32_t col) const {
        return std::u16string(FViewer->FWorkbook->Sheet(0).Text(row, col));
    }
    TRecordingCanvas& Drawn(uint32_t id, bool selected = false) {
        TItemRequest request;
        request.Item = TMenuItemState{id, TRect{0, 0, 220, 26}, selected, false};
        EXPECT_EQ(FViewer->HandleMessage(messages::DrawItem, 0, reinterpret_cast<intptr_t>(&request)), 1);
        return FWindows.LastCanvas;
    }
    std::u16string FBook;
};

std::vector<std::string> Kinds(const TRecordingCanvas& canvas) {
    std::vector<std::string> kinds;
    for (const TDrawCall& call : canvas.Calls) kinds.push_back(call.Kind);
    return kinds;
}

} // namespace

TEST_F(Ribbon, EachTabDropsItsMenuUnderItself) {
    Open();
    FViewer->HandleMessage(messages::LeftButtonDown, 1, At(3 * 80 + 20, 10)); // Draw
    ASSERT_EQ(FWindows.Menus.size(), 1u);
    ASSERT_EQ(FWindows.Menus[0].size(), 1u);
    EXPECT_EQ(FWindows.Menus[0][0].Text, u"(No actions on this tab yet)");
    EXPECT_FALSE(FWindows.Menus[0][0].Enabled);
    EXPECT_FALSE(FWindows.Menus[0][0].OwnerDrawn);

    FViewer->HandleMessage(messages::LeftButtonDown, 1, At(6 * 80 + 20, 10)); // View, the seventh tab
    ASSERT_EQ(FWindows.Menus[1].size(), 3u);
    EXPECT_EQ(FWindows.Menus[1][2].Id, 1802u);
    EXPECT_EQ(FWindows.Menus[1][2].Text, u"Gridlines");
    EXPECT_TRUE(FWindows.Menus[1][2].OwnerDrawn);
    EXPECT_EQ(FWindows.LastMenuPoint.X, 1000 + 10 + 6 * 80 + 4); // the tab's bottom-left corner on screen
    EXPECT_EQ(FWindows.LastMenuPoint.Y, 2000 + 20 + 28);

    TItemRequest measure;
    EXPECT_EQ(FViewer->HandleMessage(messages::MeasureItem, 0, reinterpret_cast<intptr_t>(&measure)), 1);
    EXPECT_EQ(measure.Size.Width, 220);
    EXPECT_EQ(measure.Size.Height, 26);
    TItemRequest button;
    button.MenuItem = false;
    EXPECT_EQ(FViewer->HandleMessage(messages::MeasureItem, 0, reinterpret_cast<intptr_t>(&button)), 0);
}

TEST_F(Ribbon, MenuItemsAndTheirGlyphs) {
    Open();
    TRecordingCanvas& sort = Drawn(1110, true); // Home > Sort A-Z, selected
    EXPECT_EQ(sort.Calls[0].Kind, "dialog font");
    EXPECT_EQ(sort.Calls[1].Color, RgbColor(166, 201, 224)); // the selected item's fill
    // An up arrow at the centre of the glyph box (4, 2)-(24, 24): shaft, then head.
    EXPECT_EQ(sort.Calls[2].At.X, 14);
    EXPECT_EQ(sort.Calls[2].At.Y, 7);
    EXPECT_EQ(sort.Calls[2].To.Y, 19);
    EXPECT_EQ(sort.Calls[3].Points, (std::vector<TPoint>{{10, 11}, {14, 7}, {18, 11}}));
    const TDrawCall* caption = sort.TextCall(u"Sort A-Z");
    ASSERT_NE(caption, nullptr);
    EXPECT_EQ(caption->Rect, (TRect{30, 0, 214, 26}));
    EXPECT_EQ(caption->At.Y, (26 - 15) / 2);

    TRecordingCanvas& bold = Drawn(1100);
    EXPECT_EQ(bold.Calls[1].Color, RgbColor(255, 255, 255));
    EXPECT_EQ(Kinds(bold), (std::vector<std::string>{"dialog font", "fill", "dialog font", "text", "dialog font", "clipped"}));
    EXPECT_TRUE(bold.Calls[2].Style.Bold);
    EXPECT_EQ(bold.Calls[3].At.X, 7); // L + 3
    EXPECT_EQ(bold.Calls[3].At.Y, 1); // T - 1
    EXPECT_FALSE(bold.Calls[4].Style.Bold);

    EXPECT_EQ(Kinds(Drawn(1003)), (std::vector<std::string>{"dialog font", "fill", "outline", "polyline", "outline", "line",
                                                             "polyline", "clipped"})); // Save As
    EXPECT_EQ(Kinds(Drawn(700)).size(), 0u); // no command: nothing

    EXPECT_EQ(Kinds(Drawn(1802)).back(), "polyline"); // the Gridlines check mark while they show
    EXPECT_EQ(FWindows.LastCanvas.Calls.back().Points, (std::vector<TPoint>{{202, 13}, {206, 17}, {212, 8}}));
    Choose(6, 8, 2);
    EXPECT_EQ(Kinds(Drawn(1802)).back(), "clipped");
}

TEST_F(Ribbon, FontStylesAndAlignmentGoIntoTheCellsStyleAndShow) {
    TProbe& viewer = Open(Column({"a", "b"}));
    auto style = [&] { return viewer.FWorkbook->Styles().Style(viewer.FWorkbook->Sheet(0).StyleIndex(0, 0)); };
    auto font = [&] { return viewer.FWorkbook->Styles().Font(style().Font); };
    Choose(1, 1, 0); // Bold
    EXPECT_TRUE(font().Bold);
    EXPECT_TRUE(Painted().TextCall(u"a")->Style.Bold);
    EXPECT_FALSE(Painted().TextCall(u"b")->Style.Bold);
    Choose(1, 1, 0); // Bold again: plain
    EXPECT_FALSE(font().Bold);
    Choose(1, 1, 1); // Italic
    Choose(1, 1, 2); // Underline
    EXPECT_TRUE(font().Italic && font().Underline);
    Choose(1, 1, 5); // Align Right: the text ends 4 pixels before the cell's right edge
    EXPECT_EQ(style().Horizontal, THorizontalAlign::Right);
    const TRect a1 = viewer.Viewport().CellRect(0, 0);
    EXPECT_EQ(Painted().TextCall(u"a")->At.X, a1.Right - 4 - 7);
    Choose(1, 1, 4); // Align Center
    EXPECT_EQ(style().Horizontal, THorizontalAlign::Center);
    EXPECT_TRUE(FHost.Errors.empty());

    // Saved, the workbook keeps them.
    viewer.SaveWorkbook(u"");
    TXlsxWorkbook saved;
    saved.LoadFromFile(FBook);
    const TCellStyle& kept = saved.Styles().Style(saved.Sheet(0).StyleIndex(0, 0));
    EXPECT_EQ(kept.Horizontal, THorizontalAlign::Center);
    EXPECT_TRUE(saved.Styles().Font(kept.Font).Italic);
    EXPECT_FALSE(saved.Styles().Font(kept.Font).Bold);
}

TEST_F(Ribbon, RowsColumnsAndSorting) {
    TProbe& viewer = Open(Column({"h", "b", "c", "d", "e", "a"}));
    Select(0, 4);
    Choose(1, 1, 6); // Insert Row at row 5
    EXPECT_EQ(Cell(4, 0), u"");
    EXPECT_EQ(Cell(5, 0), u"e");
    EXPECT_EQ(viewer.FSelectedRow, 4);
    Choose(1, 1, 8); // and delete it again
    EXPECT_EQ(Cell(4, 0), u"e");
    Select(0, 5);
    Choose(1, 1, 8); // the last row: the selection follows up
    EXPECT_EQ(viewer.FSelectedRow, 4);
    Choose(1, 1, 11); // Sort Z-A, the first row kept
    EXPECT_EQ(Cell(0, 0), u"h");
    EXPECT_EQ(Cell(1, 0), u"e");
    EXPECT_EQ(Cell(4, 0), u"b");
    Choose(2, 2, 1); // Insert > Column Left
    EXPECT_EQ(Cell(0, 1), u"h");
    Choose(1, 1, 9);
    EXPECT_EQ(Cell(0, 0), u"h");

    viewer.LoadWorkbook(Workbook({"Two"}, Column({"only"})));
    Choose(1, 1, 8); // the only row stays, and the selection on it
    EXPECT_EQ(viewer.FSelectedRow, 0);
}

TEST_F(Ribbon, AggregatesWalkUpToTheFirstCellThatIsNoNumber) {
    TProbe& viewer = Open(Column({"1", "2", "x", "3", "4", "", "1,5", "6", ""}));
    Select(0, 5);
    Choose(4, 5, 0);
    EXPECT_EQ(Cell(5, 0), u"7");
    Choose(4, 5, 1);
    EXPECT_EQ(Cell(5, 0), u"3.5");
    Choose(4, 5, 2);
    EXPECT_EQ(Cell(5, 0), u"2");
    Choose(4, 5, 3);
    EXPECT_EQ(Cell(5, 0), u"4");
    Choose(4, 5, 4);
    EXPECT_EQ(Cell(5, 0), u"3");
    Select(0, 8); // 6 above, then 1,5 ends the walk
    Choose(4, 5, 0);
    EXPECT_EQ(Cell(8, 0), u"6");
    EXPECT_TRUE(FHost.Errors.empty());
    Select(0, 7); // 1,5 directly above
    Choose(4, 5, 1);
    Select(0, 0); // the first row
    Choose(4, 5, 0);
    EXPECT_EQ(FHost.Errors, (std::vector<std::u16string>(2, u"AutoSum: no numeric cells found directly above the selected cell.")));
    EXPECT_EQ(Cell(7, 0), u"6");
    EXPECT_EQ(viewer.FSelectedRow, 0);
}

TEST_F(Ribbon, ZoomStepsAndItsLimits) {
    TProbe& viewer = Open();
    std::vector<int32_t> heights;
    for (int i = 0; i < 15; ++i) {
        Choose(6, 8, 0);
        heights.push_back(viewer.FRowHeight);
    }
    EXPECT_EQ(heights, (std::vector<int32_t>{24, 26, 29, 32, 35, 39, 43, 47, 52, 57, 63, 69, 76, 80, 80}));
    EXPECT_EQ(viewer.FCellWidth, 400);
    EXPECT_EQ(viewer.FGridFontSize, 24);

    TProbe& fresh = MakeViewer();
    std::vector<int32_t> widths;
    for (int i = 0; i < 13; ++i) {
        fresh.ExecuteRibbonCommand(8, 1);
        widths.push_back(fresh.FCellWidth);
        if (i == 4) {
            EXPECT_EQ(fresh.FRowHeight, 14);
        }
    }
    EXPECT_EQ(widths, (std::vector<int32_t>{87, 79, 72, 65, 59, 54, 49, 45, 41, 37, 34, 31, 30}));
    EXPECT_EQ(fresh.FGridFontSize, 6);
}

TEST_F(Ribbon, FileCommandsGoThroughTheirDialogs) {
    TProbe& viewer = Open(Column({"kept"}));
    FWindows.FileAnswers = {FBook};
    Choose(0, 0, 0); // New over the file that is open: replaced by an empty workbook
    ASSERT_EQ(FWindows.FileDialogs.size(), 1u);
    const TFileDialog& created = FWindows.FileDialogs[0];
    EXPECT_TRUE(created.Save && created.OverwritePrompt && created.PathMustExist);
    EXPECT_EQ(created.Title, u"New Excel Workbook");
    EXPECT_EQ(created.Filter, u"Excel Workbook (*.xlsx)|*.xlsx");
    EXPECT_EQ(created.DefaultExtension, u"xlsx");
    EXPECT_EQ(created.InitialFolder, PathToText(FFolder.Path()));
    TXlsxWorkbook blank;
    blank.LoadFromFile(FBook);
    EXPECT_EQ(blank.Sheet(0).Text(0, 0), u"");
    EXPECT_EQ(viewer.SheetCount(), 1);

    const std::u16string copy = PathToText(FFolder / u"copy.xlsx");
    FWindows.FileAnswers = {copy, std::nullopt};
    viewer.SelectCell(0, 0, false);
    viewer.FWorkbook->SetCellValue(0, 0, 0, u"saved");
    Choose(0, 0, 3); // Save As
    EXPECT_EQ(FWindows.FileDialogs[1].InitialFile, FBook);
    EXPECT_EQ(viewer.FFileName, copy);
    Choose(0, 0, 1); // Open, cancelled: nothing changes
    EXPECT_EQ(FWindows.FileDialogs[2].Title, u"Open Excel Workbook");
    EXPECT_TRUE(FWindows.FileDialogs[2].FileMustExist);
    EXPECT_EQ(viewer.FFileName, copy);
    FWindows.FileAnswers = {FBook};
    Choose(0, 0, 1);
    EXPECT_EQ(viewer.FFileName, FBook);
    EXPECT_EQ(Cell(0, 0), u"");
    FWindows.FileAnswers = {copy};
    Choose(0, 0, 1);
    EXPECT_EQ(Cell(0, 0), u"saved");
}

TEST_F(Ribbon, AChartSheetShowsANoteAndRefusesEveryEdit) {
    TProbe& viewer = MakeViewer(800, 400);
    const auto book = FFolder / u"chart.xlsx";
    TXlsxFixture().Sheet("Data", Column({"1"})).Sheet("Chart", "")
        .Entry("xl/worksheets/sheet2.xml", "<chartsheet><drawing/></chartsheet>").WriteTo(book);
    viewer.LoadWorkbook(PathToText(book));
    ASSERT_TRUE(viewer.GotoSheet(1));
    const TDrawCall* note = Painted().TextCall(u"This sheet holds a chart, not a worksheet.");
    ASSERT_NE(note, nullptr);
    EXPECT_EQ(note->At.X, (800 - 7 * int32_t(note->Text.size())) / 2); // in the middle of the grid, as wide as the window

    // Insert and delete rows and columns, sort both ways, AutoSum, then F2 to type into the cell.
    const std::vector<std::array<int32_t, 3>> edits = {{1, 1, 6}, {1, 1, 7}, {1, 1, 8}, {1, 1, 9}, {1, 1, 10},
                                                       {1, 1, 11}, {2, 2, 0}, {2, 2, 1}, {4, 5, 0}, {4, 5, 3}};
    for (const auto& [position, tab, index] : edits) Choose(position, tab, index);
    viewer.HandleMessage(messages::KeyDown, keys::F2, 0);
    EXPECT_EQ(FHost.Errors, std::vector<std::u16string>(edits.size() + 1,
                                                        u"The sheet \"Chart\" holds a chart, not a worksheet, and cannot be edited."));
    EXPECT_EQ(viewer.FWorkbook->Sheet(1).RowCount, 0);
}
