#include "base/Error.h"
#include "viewer/ViewerFixture.h"

using namespace tabulix;
using namespace tabulix::testing;

TEST_F(Viewer, FollowsItsRectangleExactly) {
    MakeViewer();
    EXPECT_EQ(FWindows.Log.back(), "show");
    EXPECT_NE(std::find(FWindows.Log.begin(), FWindows.Log.end(), "place 10,20 400x300"), FWindows.Log.end());
    EXPECT_EQ(FWindows.Timers[FWindows.ViewerWindow()], 1);

    FWindows.Windows[FRectangle].Origin = TPoint{50, 60};
    FWindows.Windows[FRectangle].Client = TRect{0, 0, 300, 15};
    FViewer->HandleMessage(messages::Timer, 1, 0);
    EXPECT_FALSE(FWindows.IsWindowVisible(FWindows.ViewerWindow())); // too small: hidden
    FWindows.Windows[FRectangle].Client = TRect{0, 0, 300, 20};
    FViewer->HandleMessage(messages::Timer, 1, 0);
    EXPECT_TRUE(FWindows.IsWindowVisible(FWindows.ViewerWindow()));
    EXPECT_EQ(FWindows.Log[FWindows.Log.size() - 2], "place 50,60 300x20");

    FViewer->LoadWorkbook(Workbook({"One"}, CellXml("A1", "1")));
    FViewer->StartEditSelection(); // an open edit box holds the viewer where it is
    ASSERT_NE(EditBox(), nullptr);
    FWindows.Windows[FRectangle].Origin = TPoint{0, 0};
    const size_t logged = FWindows.Log.size();
    FViewer->HandleMessage(messages::Timer, 1, 0);
    EXPECT_EQ(FWindows.Log.size(), logged);
}

TEST_F(Viewer, FindsItsRectangleAgainOrHidesAndReports) {
    MakeViewer();
    const TWindowHandle recreated = FWindows.Add(FHost.Window, TRect{0, 0, 200, 100}, TPoint{5, 5});
    FWindows.Windows.erase(FRectangle);
    FHost.Objects[u"Rect1"] = recreated;
    FViewer->HandleMessage(messages::Timer, 1, 0);
    EXPECT_EQ(FWindows.Log[FWindows.Log.size() - 1], "place 5,5 200x100");
    FWindows.Windows.erase(recreated);
    FHost.Objects.clear();
    FViewer->HandleMessage(messages::Timer, 1, 0);
    EXPECT_FALSE(FWindows.IsWindowVisible(FWindows.ViewerWindow()));
    EXPECT_EQ(FHost.Errors, std::vector<std::u16string>{u"Excel spreadsheet: Rectangle window is not available."});
}

TEST_F(Viewer, VisibilityAndPageMessages) {
    MakeViewer();
    FViewer->HandleMessage(messages::ViewerVisibility, 0, 1);
    EXPECT_FALSE(FWindows.IsWindowVisible(FWindows.ViewerWindow()));
    FViewer->HandleMessage(messages::ViewerVisibility, 0, 2);
    EXPECT_TRUE(FWindows.IsWindowVisible(FWindows.ViewerWindow()));
    FViewer->HandleMessage(messages::ViewerVisibility, 0, 3);
    EXPECT_FALSE(FWindows.IsWindowVisible(FWindows.ViewerWindow()));
    FViewer->HandleMessage(messages::PageNavigate, 0, 0);
    FViewer->HandleMessage(messages::PageNavigate, 1, 0);
    FViewer->HandleMessage(messages::PageNavigate, 2, 0);
    EXPECT_EQ(FHost.Scripts, (std::vector<std::u16string>{u"GotoPrevpage", u"Gotonextpage"}));
}

TEST_F(Viewer, ReshowingKeepsARectangleThatStillExists) {
    MakeViewer();
    FHost.Objects.clear(); // the host no longer finds the name, but the Rectangle's window is there
    FViewer->HandleMessage(messages::ViewerVisibility, 0, 2);
    FViewer->HandleMessage(messages::Timer, 1, 0);
    EXPECT_TRUE(FWindows.IsWindowVisible(FWindows.ViewerWindow()));
    EXPECT_EQ(FWindows.Log.back(), "place 10,20 400x300");
    EXPECT_TRUE(FHost.Errors.empty());
}

TEST_F(Viewer, CreationFailuresLeaveNoWindow) {
    FHost.Window = nullptr;
    EXPECT_THROW(TNeoSpreadsheet::CreateAttached(nullptr, FHost, FWindows), TTabulixError);
    try {
        TNeoSpreadsheet::CreateAttached(reinterpret_cast<TWindowHandle>(intptr_t(0x9999)), FHost, FWindows);
        FAIL();
    } catch (const TTabulixError& error) {
        EXPECT_EQ(error.Message(), u"Excel spreadsheet: VisualNEO host window is not valid.");
    }
    FWindows.FailCreation = true;
    try {
        TNeoSpreadsheet::CreateAttached(FRectangle, FHost, FWindows); // the Rectangle serves as parent
        FAIL();
    } catch (const TTabulixError& error) {
        EXPECT_EQ(error.Message(), u"Excel spreadsheet: CreateWindowEx(STATIC) failed (Win32 error 1407).");
    }
    EXPECT_EQ(FWindows.ViewerWindow(), nullptr);
    for (const auto& [window, timers] : FWindows.Timers) EXPECT_EQ(timers, 0);
}

TEST_F(Viewer, DestroyingStopsTheTimerAndTheWindow) {
    MakeViewer();
    const TWindowHandle window = FWindows.ViewerWindow();
    FViewer.reset();
    EXPECT_EQ(FWindows.Timers[window], 0);
    EXPECT_FALSE(FWindows.IsWindow(window));
}

TEST_F(Viewer, SheetNavigationPublishesTheVariables) {
    TNeoSpreadsheet& viewer = MakeViewer();
    viewer.SetVariableName(u"Grid");
    viewer.LoadWorkbook(Workbook({"One", "Two", "Sales", "Four", "Five"}));
    EXPECT_EQ(FHost.Set[u"[Grid]"], u"One");
    EXPECT_TRUE(viewer.GotoSheet(2));
    EXPECT_EQ(FHost.Set[u"[Grid]"], u"Sales");
    EXPECT_EQ(FHost.Set[u"[Grid_Index]"], u"3");
    EXPECT_EQ(FHost.Set[u"[Grid_Count]"], u"5");
    EXPECT_EQ(std::vector<std::u16string>(FHost.SetOrder.end() - 3, FHost.SetOrder.end()),
              (std::vector<std::u16string>{u"[Grid]", u"[Grid_Index]", u"[Grid_Count]"}));

    EXPECT_TRUE(viewer.GotoSheet(4));
    const size_t published = FHost.SetOrder.size();
    EXPECT_FALSE(viewer.NextSheet());
    EXPECT_EQ(FHost.SetOrder.size(), published);
    EXPECT_TRUE(viewer.GotoSheetByNameOrNumber(u" 2 "));
    EXPECT_EQ(viewer.CurrentSheetName(), u"Two");
    EXPECT_TRUE(viewer.GotoSheetByNameOrNumber(u"sales"));
    EXPECT_EQ(viewer.CurrentSheetIndex(), 2);
    EXPECT_TRUE(viewer.GotoSheetByNameOrNumber(u"$1"));
    EXPECT_FALSE(viewer.PrevSheet());
    EXPECT_FALSE(viewer.GotoSheetByNameOrNumber(u"9"));
    EXPECT_FALSE(viewer.GotoSheetByNameOrNumber(u"0"));
    EXPECT_FALSE(viewer.GotoSheetByNameOrNumber(u"-1"));
    EXPECT_FALSE(viewer.GotoSheetByNameOrNumber(u"Nowhere"));
    EXPECT_EQ(viewer.CurrentSheetIndex(), 0);
}

TEST_F(Viewer, NoVariablesWithoutAName) {
    TNeoSpreadsheet& viewer = MakeViewer();
    viewer.LoadWorkbook(Workbook({"One", "Two"}));
    viewer.NextSheet();
    EXPECT_TRUE(FHost.Set.empty());
}

TEST_F(Viewer, AFailedLoadLeavesNoWorkbook) {
    TNeoSpreadsheet& viewer = MakeViewer(800, 300);
    const std::string rows = "<row r=\"2\">" + CellXml("B2", "2") + "</row>";
    viewer.LoadWorkbook(Workbook({"One", "Two"}, rows));
    ClickCell(1, 1);
    viewer.ToggleHighlightSelection(u"Green");
    EXPECT_THROW(viewer.LoadWorkbook(PathToText(FFolder / u"missing.xlsx")), TTabulixError);
    EXPECT_EQ(viewer.SheetCount(), 0);
    EXPECT_EQ(viewer.CurrentSheetName(), u"");
    EXPECT_FALSE(viewer.GotoSheet(0));
    EXPECT_EQ(Painted().TextCall(u"A"), nullptr); // no headers without a workbook
    viewer.LoadWorkbook(Workbook({"Again"}, rows));
    const TShownGrid grid = Grid();
    const TShownCell* b2 = grid.Cell(1, 1);
    ASSERT_NE(b2, nullptr);
    EXPECT_EQ(b2->Fill, White); // highlights go
}

TEST_F(Viewer, PlacementWords) {
    TNeoSpreadsheet& viewer = MakeViewer();
    viewer.SetToolbarPlacement(u" page ");
    EXPECT_TRUE(viewer.PageMode());
    EXPECT_EQ(viewer.ToolbarRect(), TRect{});
    viewer.SetToolbarPlacement(u"sideways");
    EXPECT_FALSE(viewer.PageMode());
    EXPECT_EQ(viewer.ToolbarRect(), (TRect{0, 0, 400, 32}));
}

TEST_F(Viewer, LayoutOfEveryPlacement) {
    TNeoSpreadsheet& viewer = MakeViewer();
    struct {
        const char16_t* Placement;
        TRect Toolbar, Strip, Grid;
    } const cases[] = {
        {u"Top", {0, 0, 400, 32}, {0, 32, 400, 62}, {0, 62, 400, 300}},
        {u"Bottom", {0, 268, 400, 300}, {0, 0, 400, 30}, {0, 30, 400, 268}},
        {u"Left", {0, 0, 190, 300}, {190, 0, 400, 30}, {190, 30, 400, 300}},
        {u"Right", {210, 0, 400, 300}, {0, 0, 210, 30}, {0, 30, 210, 300}},
        {u"None", {0, 0, 0, 0}, {0, 0, 400, 30}, {0, 30, 400, 300}},
    };
    for (const auto& c : cases) {
        viewer.SetToolbarPlacement(c.Placement);
        EXPECT_EQ(viewer.ToolbarRect(), c.Toolbar);
        EXPECT_EQ(viewer.SheetTabStripRect(), c.Strip);
        EXPECT_EQ(viewer.GridRect(), c.Grid);
    }
    viewer.SetToolbarPlacement(u"Page");
    viewer.SetShowActionToolbar(true);
    EXPECT_EQ(viewer.ActionToolbarRect(), (TRect{0, 0, 400, 34}));
    EXPECT_EQ(viewer.GridRect(), (TRect{0, 34, 400, 300}));
    EXPECT_EQ(viewer.SheetTabStripRect(), TRect{});
    viewer.SetShowActionToolbar(false);
    EXPECT_EQ(viewer.GridRect(), (TRect{0, 0, 400, 300}));
}

TEST_F(Viewer, LayoutOfTinyWindows) {
    TNeoSpreadsheet& narrow = MakeViewer(150, 300);
    narrow.SetToolbarPlacement(u"Left");
    EXPECT_EQ(narrow.ToolbarRect(), (TRect{0, 0, 150, 300}));
    EXPECT_EQ(narrow.SheetTabStripRect().Width(), 0);
    EXPECT_EQ(narrow.GridRect().Width(), 0);
    TNeoSpreadsheet& low = MakeViewer(400, 25);
    EXPECT_EQ(low.ToolbarRect(), (TRect{0, 0, 400, 25}));
    EXPECT_EQ(low.SheetTabStripRect(), (TRect{0, 25, 400, 55}));
    EXPECT_EQ(low.GridRect(), (TRect{0, 55, 400, 55}));
}

TEST_F(Viewer, PaintsOneRowMoreThanItScrollsBy) {
    TNeoSpreadsheet& viewer = MakeViewer(); // Top: grid height 238
    viewer.LoadWorkbook(Workbook({"S"}, "<row r=\"40\">" + CellXml("A40", "x") + "</row>"));
    Painted();
    EXPECT_NE(FWindows.LastCanvas.TextCall(u"10"), nullptr);
    EXPECT_EQ(FWindows.LastCanvas.TextCall(u"11"), nullptr);
    viewer.ScrollIntoView(0, 9);
    EXPECT_EQ(Grid().TopRow(), 1);
    viewer.ScrollIntoView(0, 8);
    EXPECT_EQ(Grid().TopRow(), 1);
}

TEST_F(Viewer, TenSheetTabsInAThousandPixels) {
    TNeoSpreadsheet& viewer = MakeViewer(1000, 300);
    viewer.LoadWorkbook(Workbook({"S0", "S1", "S2", "S3", "S4", "S5", "S6", "S7", "S8", "S9"}));
    Painted();
    for (int i = 0; i <= 6; ++i) EXPECT_NE(FWindows.LastCanvas.TextCall(u"S" + std::u16string(1, char16_t(u'0' + i))), nullptr);
    EXPECT_EQ(FWindows.LastCanvas.TextCall(u"S7"), nullptr);
    EXPECT_EQ(viewer.AddSheetButtonRect(), (TRect{972, 32, 1000, 62}));
    EXPECT_EQ(FillAt(TRect{0, 32, 150, 61})->Color, White);                 // the current tab
    EXPECT_EQ(FillAt(TRect{150, 32, 300, 61})->Color, RgbColor(232, 232, 232));
}

TEST_F(Viewer, CellsShowTheReadersMarksAndFormatting) {
    TNeoSpreadsheet& viewer = MakeViewer(800, 300);
    viewer.LoadWorkbook(Workbook({"S"}, InlineRowsXml({{"a", "b", "long right aligned text", "d"}})));
    const TRect a1{46, 84, 142, 106}, b1{142, 84, 238, 106}, c1{238, 84, 334, 106}, d1{334, 84, 430, 106};
    const TRect d1RightLine{429, 84, 430, 106};
    ClickCell(0, 2);
    Choose(1, 5); // Align Right
    ClickCell(0, 1);
    Choose(1, 0); // Bold
    viewer.ToggleHighlightSelection(u"Green");
    ClickCell(0, 0);
    viewer.ToggleHighlightSelection(u"Yellow"); // A1 is also selected
    Choose(8, 2);                                // grid lines off
    Painted();
    EXPECT_EQ(FillAt(a1)->Color, Selection);
    EXPECT_EQ(FillAt(b1)->Color, RgbColor(128, 255, 128));
    EXPECT_TRUE(OutlinedAt(b1)); // highlighted: bordered without grid lines
    EXPECT_FALSE(OutlinedAt(d1));
    EXPECT_EQ(FillAt(d1RightLine), nullptr);
    EXPECT_TRUE(FWindows.LastCanvas.TextCall(u"b")->Style.Bold);
    // Wider than its cell, the right-aligned text starts at the cell's inner left edge.
    EXPECT_EQ(FWindows.LastCanvas.TextCall(u"long right aligned text")->At.X, c1.Left + 4);
    const TDrawCall* header = FWindows.LastCanvas.TextCall(u"A");
    EXPECT_FALSE(header->Style.Bold || header->Style.Italic);
    EXPECT_EQ(header->At.X, 46 + 4);
    Choose(8, 2); // grid lines on: one line on the right and bottom edges of each cell
    Painted();
    ASSERT_NE(FillAt(d1RightLine), nullptr);
    EXPECT_EQ(FillAt(d1RightLine)->Color, RgbColor(200, 200, 200));
    EXPECT_NE(FillAt(TRect{334, 105, 430, 106}), nullptr);
}

TEST_F(Viewer, PageModeDrawsTheActionToolbarAndNoTabs) {
    TNeoSpreadsheet& viewer = MakeViewer();
    viewer.SetToolbarPlacement(u"Page");
    viewer.SetShowActionToolbar(true);
    viewer.LoadWorkbook(Workbook({"One", "Two"}));
    Painted();
    for (const char16_t* label : {u"< Prev", u"Next >", u"Edit", u"Highlight", u"Save"}) {
        EXPECT_NE(FWindows.LastCanvas.TextCall(label), nullptr);
    }
    EXPECT_EQ(FWindows.LastCanvas.TextCall(u"One"), nullptr);
    EXPECT_EQ(FWindows.LastCanvas.TextCall(u"File"), nullptr);
    EXPECT_NE(FillAt(TRect{3, 4, 77, 30}), nullptr); // the first button
    // Its label's opaque background stays inside the border.
    EXPECT_TRUE(OutlinedAt(TRect{3, 4, 77, 30}));
    EXPECT_EQ(FWindows.LastCanvas.TextCall(u"< Prev")->Rect, (TRect{4, 5, 76, 29}));
}

TEST_F(Viewer, TabsStopAtTheStripBesideARightPanel) {
    TNeoSpreadsheet& viewer = MakeViewer();
    viewer.SetToolbarPlacement(u"Right");
    viewer.LoadWorkbook(Workbook({"One", "Two", "Three"}));
    Painted();
    const auto& calls = FWindows.LastCanvas.Calls;
    const auto clip = std::find_if(calls.begin(), calls.end(), [](const TDrawCall& c) { return c.Kind == "clip"; });
    ASSERT_NE(clip, calls.end());
    EXPECT_EQ(clip->Rect, (TRect{0, 0, 210, 30}));
    const auto tab = std::find_if(clip, calls.end(), [](const TDrawCall& c) { return c.Kind == "clipped" && c.Text == u"Two"; });
    const auto unclip = std::find_if(clip, calls.end(), [](const TDrawCall& c) { return c.Kind == "unclip"; });
    EXPECT_LT(tab, unclip); // the second tab, reaching past the strip, is drawn inside the clip
}

TEST_F(Viewer, AFailureInsideAMessageIsReportedNotThrown) {
    // A host whose script processor fails: the page message must not let the failure out.
    struct TFailingHost : TViewerHostDouble {
        void RunScript(const std::u16string&) override { throw TTabulixError(u"the host refused"); }
    } host;
    host.Window = FHost.Window;
    const TOwnedViewer viewer = TNeoSpreadsheet::CreateAttached(FRectangle, host, FWindows);
    EXPECT_EQ(viewer->HandleMessage(messages::PageNavigate, 1, 0), 0);
    EXPECT_EQ(host.Errors, std::vector<std::u16string>{u"the host refused"});
}

TEST_F(Viewer, AWindowDestroyedBySomeoneElseIsNeverTouchedAgain) {
    TNeoSpreadsheet& viewer = MakeViewer();
    viewer.LoadWorkbook(Workbook({"One", "Two"}));
    const TWindowHandle window = viewer.Window();
    viewer.HandleMessage(messages::NcDestroy, 0, 0);
    // The handle now names another window, as a reused handle would.
    FWindows.Log.clear();
    ASSERT_TRUE(FWindows.IsWindow(window));
    viewer.HandleMessage(messages::Timer, 1, 0);
    viewer.ShowSpreadsheet();
    viewer.HideSpreadsheet();
    EXPECT_TRUE(viewer.NextSheet());
    const int invalidations = FWindows.Invalidations;
    FViewer.reset();
    EXPECT_TRUE(FWindows.Log.empty()) << FWindows.Log.front();
    EXPECT_EQ(FWindows.Invalidations, invalidations);
    EXPECT_TRUE(FWindows.IsWindow(window));
}
