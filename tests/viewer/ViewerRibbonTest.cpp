// The ribbon natively: its menus, the owner-drawn items and their glyphs, and the commands they run.
#include "base/Error.h"
#include "viewer/ViewerFixture.h"

#include <array>

using namespace tabulix;
using namespace tabulix::testing;

namespace {

// A column of values in A1 downwards, as inline strings.
std::string Column(const std::vector<std::string>& values) {
    std::vector<std::vector<std::string>> rows;
    for (const std::string& value : values) rows.push_back({value});
    return InlineRowsXml(rows);
}

class Ribbon : public Viewer {
protected:
    TNeoSpreadsheet& Open(const std::string& rows = "") {
        TNeoSpreadsheet& viewer = MakeViewer(800, 400);
        FBook = Workbook({"One"}, rows);
        viewer.LoadWorkbook(FBook);
        return viewer;
    }
    TRecordingCanvas& Drawn(uint32_t id, bool selected = false) {
        TItemRequest request;
        request.Item = TMenuItemState{id, TRect{0, 0, 220, 26}, selected, false};
        EXPECT_EQ(Send(messages::DrawItem, 0, reinterpret_cast<intptr_t>(&request)), 1);
        return FWindows.LastCanvas;
    }
    int32_t SelectedRow() { return Selected().second; }
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
    const TRecordingCanvas& drawn = Painted(); // Draw, the one tab shown without commands, is greyed
    EXPECT_NE(drawn.TextCall(u"Draw")->Color, drawn.TextCall(u"Home")->Color);
    Click(3 * 80 + 20, 10); // Draw
    ASSERT_EQ(FWindows.Menus.size(), 1u);
    ASSERT_EQ(FWindows.Menus[0].size(), 1u);
    EXPECT_EQ(FWindows.Menus[0][0].Text, u"(No actions on this tab yet)");
    EXPECT_FALSE(FWindows.Menus[0][0].Enabled);
    EXPECT_FALSE(FWindows.Menus[0][0].OwnerDrawn);

    Click(6 * 80 + 20, 10); // View, the seventh tab
    ASSERT_EQ(FWindows.Menus[1].size(), 3u);
    EXPECT_EQ(FWindows.Menus[1][2].Id, 1802u);
    EXPECT_EQ(FWindows.Menus[1][2].Text, u"Gridlines");
    EXPECT_TRUE(FWindows.Menus[1][2].OwnerDrawn);
    EXPECT_EQ(FWindows.LastMenuPoint.X, 1000 + 10 + 6 * 80 + 4); // the tab's bottom-left corner on screen
    EXPECT_EQ(FWindows.LastMenuPoint.Y, 2000 + 20 + 28);

    TItemRequest measure;
    EXPECT_EQ(Send(messages::MeasureItem, 0, reinterpret_cast<intptr_t>(&measure)), 1);
    EXPECT_EQ(measure.Size.Width, 220);
    EXPECT_EQ(measure.Size.Height, 26);
    TItemRequest button;
    button.MenuItem = false;
    EXPECT_EQ(Send(messages::MeasureItem, 0, reinterpret_cast<intptr_t>(&button)), 0);
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
    Choose(8, 2);
    EXPECT_EQ(Kinds(Drawn(1802)).back(), "clipped");
}

TEST_F(Ribbon, FontStylesAndAlignmentGoIntoTheCellsStyleAndShow) {
    TNeoSpreadsheet& viewer = Open(Column({"a", "b"}));
    Choose(1, 0); // Bold twice: bold, then plain again
    EXPECT_TRUE(Grid().Cell(0, 0)->Style.Bold);
    Choose(1, 0);
    EXPECT_FALSE(Grid().Cell(0, 0)->Style.Bold);
    Choose(1, 1);
    Choose(1, 2);
    const TShownCell a1 = *Grid().Cell(0, 0);
    EXPECT_TRUE(a1.Style.Italic && a1.Style.Underline);
    Choose(1, 5); // Align Right, Center, then Left, which replaces them
    EXPECT_EQ(Grid().Cell(0, 0)->TextX, a1.Rect.Right - 4 - 7);
    Choose(1, 4);
    EXPECT_EQ(Grid().Cell(0, 0)->TextX, a1.Rect.Left + 4 + (a1.Rect.Width() - 8 - 7) / 2);
    Choose(1, 3);
    EXPECT_EQ(Grid().Cell(0, 0)->TextX, a1.Rect.Left + 4);
    Choose(1, 4);
    EXPECT_TRUE(FHost.Errors.empty());

    // Saved and opened again, the cell shows them; its neighbour stays plain.
    viewer.SaveWorkbook(u"");
    viewer.LoadWorkbook(FBook);
    const TShownGrid grid = Grid();
    EXPECT_TRUE(grid.Cell(0, 0)->Style.Italic && grid.Cell(0, 0)->Style.Underline);
    EXPECT_FALSE(grid.Cell(0, 0)->Style.Bold);
    EXPECT_EQ(grid.Cell(0, 0)->TextX, a1.Rect.Left + 4 + (a1.Rect.Width() - 8 - 7) / 2);
    EXPECT_FALSE(grid.Cell(1, 0)->Style.Italic);
}

TEST_F(Ribbon, RowsColumnsAndSorting) {
    TNeoSpreadsheet& viewer = Open(Column({"h", "b", "c", "d", "e", "a"}));
    ClickCell(4, 0);
    Choose(1, 6); // Insert Row at row 5
    EXPECT_EQ(Grid().Text(4, 0), u"");
    EXPECT_EQ(Grid().Text(5, 0), u"e");
    EXPECT_EQ(SelectedRow(), 4);
    Choose(1, 8); // and delete it again
    EXPECT_EQ(Grid().Text(4, 0), u"e");
    ClickCell(5, 0);
    Choose(1, 8); // the last row: the selection follows up
    EXPECT_EQ(SelectedRow(), 4);
    Choose(1, 11); // Sort Z-A, the first row kept
    EXPECT_EQ(Grid().Text(0, 0), u"h");
    EXPECT_EQ(Grid().Text(1, 0), u"e");
    EXPECT_EQ(Grid().Text(4, 0), u"b");
    Choose(1, 10); // Sort A-Z
    EXPECT_EQ(Grid().Text(1, 0), u"b");
    EXPECT_EQ(Grid().Text(4, 0), u"e");
    Choose(2, 1); // Insert > Column Left
    EXPECT_EQ(Grid().Text(0, 1), u"h");
    Choose(1, 9);
    EXPECT_EQ(Grid().Text(0, 0), u"h");

    viewer.LoadWorkbook(Workbook({"Two"}, Column({"only"})));
    Choose(1, 8); // the only row stays, and the selection on it
    EXPECT_EQ(Grid().Text(0, 0), u"only");
    EXPECT_EQ(SelectedRow(), 0);
}

TEST_F(Ribbon, AggregatesWalkUpToTheFirstCellThatIsNoNumber) {
    Open(Column({"1", "2", "x", "3", "4", "", "1,5", "6", ""}));
    ClickCell(5, 0);
    // AutoSum, Average, Count, Max and Min of 3 and 4
    const std::pair<int32_t, std::u16string> results[] = {{0, u"7"}, {1, u"3.5"}, {2, u"2"}, {3, u"4"}, {4, u"3"}};
    for (const auto& [command, shown] : results) {
        Choose(5, command);
        EXPECT_EQ(Grid().Text(5, 0), shown) << command;
    }
    ClickCell(8, 0); // 6 above, then 1,5 ends the walk
    Choose(5, 0);
    EXPECT_EQ(Grid().Text(8, 0), u"6");
    EXPECT_TRUE(FHost.Errors.empty());
    ClickCell(7, 0); // 1,5 directly above
    Choose(5, 1);
    ClickCell(0, 0); // the first row
    Choose(5, 0);
    EXPECT_EQ(FHost.Errors, (std::vector<std::u16string>(2, u"AutoSum: no numeric cells found directly above the selected cell.")));
    EXPECT_EQ(Grid().Text(7, 0), u"6");
    EXPECT_EQ(SelectedRow(), 0);
}

TEST_F(Ribbon, ZoomStepsAndItsLimits) {
    Open(Column({"a"}));
    std::vector<int32_t> heights;
    for (int i = 0; i < 15; ++i) {
        Choose(8, 0);
        heights.push_back(Grid().Corner.Rect.Height());
    }
    EXPECT_EQ(heights, (std::vector<int32_t>{24, 26, 29, 32, 35, 39, 43, 47, 52, 57, 63, 69, 76, 80, 80}));
    EXPECT_EQ(Grid().Cols.at(0).Rect.Width(), 400);
    EXPECT_EQ(GridFont().PointSize, 24);

    Open(Column({"a"}));
    std::vector<int32_t> widths;
    for (int i = 0; i < 13; ++i) {
        Choose(8, 1);
        widths.push_back(Grid().Cols.at(0).Rect.Width());
        if (i == 4) {
            EXPECT_EQ(Grid().Corner.Rect.Height(), 14);
        }
    }
    EXPECT_EQ(widths, (std::vector<int32_t>{87, 79, 72, 65, 59, 54, 49, 45, 41, 37, 34, 31, 30}));
    EXPECT_EQ(GridFont().PointSize, 6);
}

TEST_F(Ribbon, FileCommandsGoThroughTheirDialogs) {
    TNeoSpreadsheet& viewer = Open(Column({"kept"}));
    FWindows.FileAnswers = {FBook};
    Choose(0, 0); // New over the file that is open: replaced by an empty workbook
    ASSERT_EQ(FWindows.FileDialogs.size(), 1u);
    const TFileDialog& created = FWindows.FileDialogs[0];
    EXPECT_TRUE(created.Save && created.OverwritePrompt && created.PathMustExist);
    EXPECT_EQ(created.Title, u"New Excel Workbook");
    EXPECT_EQ(created.Filter, u"Excel Workbook (*.xlsx)|*.xlsx");
    EXPECT_EQ(created.DefaultExtension, u"xlsx");
    EXPECT_EQ(created.InitialFolder, PathToText(FFolder.Path()));
    EXPECT_EQ(SavedCellText(FBook, 0, 0), u"");
    EXPECT_EQ(viewer.SheetCount(), 1);

    const std::u16string copy = PathToText(FFolder / u"copy.xlsx");
    FWindows.FileAnswers = {copy, std::nullopt, std::nullopt};
    TypeIntoSelection(u"saved");
    Choose(0, 3); // Save As
    EXPECT_EQ(FWindows.FileDialogs[1].InitialFile, FBook);
    EXPECT_EQ(SavedCellText(copy, 0, 0), u"saved");
    Choose(0, 3); // again, cancelled: it starts at the copy, the viewer's file now
    EXPECT_EQ(FWindows.FileDialogs[2].InitialFile, copy);
    Choose(0, 1); // Open, cancelled: nothing changes
    EXPECT_EQ(FWindows.FileDialogs[3].Title, u"Open Excel Workbook");
    EXPECT_TRUE(FWindows.FileDialogs[3].FileMustExist);
    EXPECT_EQ(Grid().Text(0, 0), u"saved");
    FWindows.FileAnswers = {FBook};
    Choose(0, 1);
    EXPECT_EQ(Grid().Text(0, 0), u"");
    FWindows.FileAnswers = {copy};
    Choose(0, 1);
    EXPECT_EQ(Grid().Text(0, 0), u"saved");
    TypeIntoSelection(u"again");
    Choose(0, 2); // Save: to the file opened
    EXPECT_EQ(SavedCellText(copy, 0, 0), u"again");
}

TEST_F(Ribbon, AChartSheetShowsANoteAndRefusesEveryEdit) {
    TNeoSpreadsheet& viewer = MakeViewer(800, 400);
    viewer.LoadWorkbook(Write(TXlsxFixture().Sheet("Data", Column({"1"})).Sheet("Chart", "")
                                  .Entry("xl/worksheets/sheet2.xml", "<chartsheet><drawing/></chartsheet>")));
    ASSERT_TRUE(viewer.GotoSheet(1));
    const std::u16string shown = u"This sheet holds a chart, not a worksheet.";
    const TDrawCall* note = Painted().TextCall(shown);
    ASSERT_NE(note, nullptr);
    EXPECT_EQ(note->At.X, (800 - 7 * int32_t(note->Text.size())) / 2); // in the middle of the grid, as wide as the window

    // Insert and delete rows and columns, sort both ways, AutoSum, then F2 to type into the cell.
    const std::vector<std::array<int32_t, 2>> edits = {{1, 6}, {1, 7}, {1, 8}, {1, 9}, {1, 10},
                                                       {1, 11}, {2, 0}, {2, 1}, {5, 0}, {5, 3}};
    for (const auto& [tab, command] : edits) Choose(tab, command);
    Key(keys::F2);
    EXPECT_EQ(FHost.Errors, std::vector<std::u16string>(edits.size() + 1,
                                                        u"The sheet \"Chart\" holds a chart, not a worksheet, and cannot be edited."));
    EXPECT_NE(Painted().TextCall(shown), nullptr);
}
