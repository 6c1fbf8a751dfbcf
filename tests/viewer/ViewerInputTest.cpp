// The viewer by hand, natively: keys, wheel, the edit box and the find box, the sheet-tab menu, the
// action toolbar and saving, each through the messages Windows would send.
#include "base/Error.h"
#include "viewer/ViewerFixture.h"
#include "workbook/XlsxWorkbook.h"

using namespace tabulix;
using namespace tabulix::testing;

namespace {

intptr_t At(int32_t x, int32_t y) { return intptr_t(uint32_t(uint16_t(x)) | (uint32_t(uint16_t(y)) << 16)); }
uintptr_t Wheel(int32_t delta, bool shift = false) { return (uintptr_t(uint16_t(int16_t(delta))) << 16) | (shift ? 4 : 0); }

// Rows of the given cell texts, A1 first.
std::string Rows(const std::vector<std::vector<std::string>>& rows) {
    std::string xml;
    for (size_t r = 0; r < rows.size(); ++r) {
        const std::string number = std::to_string(r + 1);
        xml += "<row r=\"" + number + "\">";
        for (size_t c = 0; c < rows[r].size(); ++c) {
            xml += "<c r=\"" + std::string(1, char('A' + c)) + number + "\" t=\"inlineStr\"><is><t xml:space=\"preserve\">" +
                   rows[r][c] + "</t></is></c>";
        }
        xml += "</row>";
    }
    return xml;
}

class ViewerInput : public Viewer {
protected:
    void Click(int32_t x, int32_t y) { FViewer->HandleMessage(messages::LeftButtonDown, 1, At(x, y)); }
    void Key(uint32_t key) { FViewer->HandleMessage(messages::KeyDown, key, 0); }
    void Type(char16_t c) { FViewer->HandleMessage(messages::Char, c, 0); }
    TWindowHandle EditBox() const { return FWindows.ChildOfKind(TScriptedWindow::TKind::CellEditor); }
    TWindowHandle FindBox() const { return FWindows.ChildOfKind(TScriptedWindow::TKind::FindBox); }
    std::pair<int32_t, int32_t> Selected() const { return {FViewer->FSelectedCol, FViewer->FSelectedRow}; }
    std::u16string_view Cell(int32_t row, int32_t col) const { return FViewer->FWorkbook->Sheet(FViewer->FCurrentSheet).Text(row, col); }
};

} // namespace

TEST_F(ViewerInput, ArrowsStopAtTheEdgesPagesAndTheWheelMoveTheView) {
    TProbe& viewer = MakeViewer();
    viewer.LoadWorkbook(Workbook({"One"}, Rows(std::vector<std::vector<std::string>>(12, {"a", "b", "c"}))));
    Key(keys::Left);
    Key(keys::Up);
    EXPECT_EQ(Selected(), std::make_pair(0, 0));
    for (int i = 0; i < 5; ++i) Key(keys::Right);
    for (int i = 0; i < 20; ++i) Key(keys::Down);
    EXPECT_EQ(Selected(), std::make_pair(2, 11));

    for (int i = 0; i < 6; ++i) Key(keys::Up);
    viewer.FTopRow = 0;
    for (int i = 0; i < 3; ++i) Key(keys::PageDown);
    EXPECT_EQ(viewer.FTopRow, 30); // past the last row: the grid shows none
    Key(keys::Up);
    EXPECT_EQ(Selected(), std::make_pair(2, 4));
    EXPECT_EQ(viewer.FTopRow, 4); // scrolled back to the selection
    Key(keys::PageUp);
    EXPECT_EQ(viewer.FTopRow, 0);

    viewer.FTopRow = 4;
    viewer.HandleMessage(messages::MouseWheel, Wheel(240), 0);
    EXPECT_EQ(viewer.FTopRow, 2);
    viewer.HandleMessage(messages::MouseWheel, Wheel(-60), 0);
    EXPECT_EQ(viewer.FTopRow, 2); // less than a notch, not kept
    viewer.HandleMessage(messages::MouseWheel, Wheel(-60), 0);
    EXPECT_EQ(viewer.FTopRow, 2);
    viewer.HandleMessage(messages::MouseWheel, Wheel(-120, true), 0);
    EXPECT_EQ(viewer.FLeftCol, 1);
    EXPECT_EQ(viewer.FTopRow, 2);
}

TEST_F(ViewerInput, TypingEditsTheCellAndTheFocusLeavingStoresIt) {
    TProbe& viewer = MakeViewer();
    viewer.LoadWorkbook(Workbook({"One"}, Rows({{"Apple", "b"}, {"c", "d"}})));
    Type(u'\u00e9'); // a letter outside printable ASCII does nothing
    EXPECT_EQ(EditBox(), nullptr);
    Type(u'a');
    ASSERT_NE(EditBox(), nullptr);
    const TScriptedWindow* box = FWindows.Window(EditBox());
    EXPECT_EQ(box->Text, u"a");
    EXPECT_EQ(box->SelectionStart, 1); // the caret after the character
    EXPECT_EQ(box->SelectionEnd, 1);
    EXPECT_EQ(box->Origin.X, 46);
    EXPECT_EQ(box->Origin.Y, 84);
    EXPECT_EQ(FWindows.Focus, EditBox());
    EXPECT_TRUE(viewer.FDraggingEdit);

    FWindows.SetText(EditBox(), u"typed");
    Click(20, 70); // the corner: the box stores its text, the active cell stays
    EXPECT_EQ(EditBox(), nullptr);
    EXPECT_EQ(Cell(0, 0), u"typed");
    EXPECT_EQ(Selected(), std::make_pair(0, 0));
    EXPECT_EQ(FWindows.Focus, viewer.Window());
    EXPECT_FALSE(viewer.FDraggingEdit);

    Key(keys::Return); // the box holds the cell's text, all of it selected
    ASSERT_NE(EditBox(), nullptr);
    EXPECT_EQ(FWindows.Window(EditBox())->SelectionEnd, 5);
    FWindows.SetText(EditBox(), u"again");
    Click(150, 110); // another cell: the edited one stores first, then the click selects
    EXPECT_EQ(Cell(0, 0), u"again");
    EXPECT_EQ(Selected(), std::make_pair(1, 1));

    viewer.HandleMessage(messages::LeftButtonDoubleClick, 1, At(100, 70)); // the header row
    ASSERT_NE(EditBox(), nullptr);
    EXPECT_EQ(FWindows.Window(EditBox())->Text, u"d");
    FWindows.SetFocus(FHost.Window); // the reader clicks elsewhere in the host
    EXPECT_EQ(EditBox(), nullptr);
    EXPECT_EQ(FWindows.Focus, FHost.Window); // the focus stays where it was put
}

TEST_F(ViewerInput, TheEditBoxOfACellOutOfView) {
    TProbe& viewer = MakeViewer();
    viewer.LoadWorkbook(Workbook({"One"}, Rows(std::vector<std::vector<std::string>>(8, {"a", "b", "c", "d", "e", "f"}))));
    viewer.FSelectedCol = 5; // right of the three columns that fit
    viewer.StartEditSelection();
    ASSERT_NE(EditBox(), nullptr);
    EXPECT_EQ(FWindows.Window(EditBox())->Origin.X, 46 + 5 * 96);
    viewer.HandleMessage(messages::Command, uintptr_t(EditLostFocus) << 16, reinterpret_cast<intptr_t>(EditBox()));
    viewer.FSelectedCol = 0;
    viewer.FSelectedRow = 1;
    viewer.FTopRow = 3; // above the view: no box
    viewer.StartEditSelection();
    EXPECT_EQ(EditBox(), nullptr);
}

TEST_F(ViewerInput, FindSearchesOnFromTheSelectionAndComesRound) {
    TProbe& viewer = MakeViewer();
    viewer.LoadWorkbook(Workbook({"One"}, Rows({{"Apple", "grape"}, {"Snapper", " pp"}})));
    viewer.ShowFindBox();
    ASSERT_NE(FindBox(), nullptr);
    EXPECT_EQ(FWindows.Window(FindBox())->Origin.X, 180);
    EXPECT_EQ(FWindows.Window(FindBox())->Origin.Y, 30);
    EXPECT_EQ(FWindows.Focus, FindBox());
    auto find = [&](const std::u16string& text) {
        FWindows.SetText(FindBox(), text);
        EXPECT_TRUE(viewer.HandleFindBoxKey(keys::Return));
        return Selected();
    };
    EXPECT_EQ(find(u"PP"), std::make_pair(0, 1)); // Snapper, case ignored
    EXPECT_EQ(find(u"pp"), std::make_pair(1, 1));
    EXPECT_EQ(find(u"pp"), std::make_pair(0, 0)); // round to Apple
    EXPECT_EQ(find(u" pp"), std::make_pair(1, 1)); // the blank is part of the needle
    EXPECT_EQ(find(u"grape"), std::make_pair(1, 0));
    EXPECT_EQ(find(u"grape"), std::make_pair(1, 0)); // only the selected cell: found again, silently
    EXPECT_TRUE(FHost.Errors.empty());
    EXPECT_EQ(find(u"kiwi "), std::make_pair(1, 0));
    EXPECT_EQ(FHost.Errors.back(), u"Find: no match for \"kiwi \".");
    EXPECT_FALSE(viewer.HandleFindBoxKey(u'x'));
    EXPECT_TRUE(viewer.HandleFindBoxKey(keys::Escape));
    EXPECT_EQ(FindBox(), nullptr);
    EXPECT_EQ(FWindows.Focus, viewer.Window());
}

TEST_F(ViewerInput, TheTabMenuAddsAndDeletesSheets) {
    TProbe& viewer = MakeViewer(800, 300);
    viewer.SetVariableName(u"Grid");
    viewer.LoadWorkbook(Workbook({"One", "Two", "Three"}));
    FWindows.MenuAnswers = {1};
    viewer.HandleMessage(messages::RightButtonDown, 2, At(10, 40));
    ASSERT_EQ(FWindows.Menus.size(), 1u);
    ASSERT_EQ(FWindows.Menus[0].size(), 2u);
    EXPECT_EQ(FWindows.Menus[0][0].Text, u"Insert Sheet");
    EXPECT_TRUE(FWindows.Menus[0][1].Enabled);
    EXPECT_EQ(FWindows.LastMenuPoint.X, 1000 + 10 + 10); // the viewer lies at (10, 20) in the host window
    EXPECT_EQ(viewer.CurrentSheetName(), u"Sheet4");
    EXPECT_EQ(FHost.Set[u"[Grid_Count]"], u"4");

    FWindows.MenuAnswers = {2, 2};
    FWindows.ConfirmAnswers = {false, true};
    viewer.HandleMessage(messages::RightButtonDown, 2, At(500, 40)); // Sheet4's tab, answered No
    EXPECT_EQ(viewer.SheetCount(), 4);
    ASSERT_EQ(FWindows.Confirmations.size(), 1u);
    EXPECT_EQ(FWindows.Confirmations.back(),
              u"Delete worksheet \"Sheet4\"? This cannot be undone once the workbook is saved.");
    viewer.HandleMessage(messages::RightButtonDown, 2, At(500, 40)); // Yes: the current last sheet goes
    EXPECT_EQ(viewer.CurrentSheetName(), u"Three");
    EXPECT_EQ(FHost.Set[u"[Grid_Count]"], u"3");

    FWindows.MenuAnswers = {2};
    FWindows.ConfirmAnswers = {true};
    viewer.HandleMessage(messages::RightButtonDown, 2, At(10, 40)); // an earlier sheet: Three stays on screen
    EXPECT_EQ(viewer.CurrentSheetName(), u"Three");
    EXPECT_EQ(viewer.CurrentSheetIndex(), 1);
    EXPECT_EQ(FHost.Set[u"[Grid_Count]"], u"3"); // not republished

    viewer.LoadWorkbook(Workbook({"Only"}));
    viewer.HandleMessage(messages::RightButtonDown, 2, At(10, 40));
    EXPECT_FALSE(FWindows.Menus.back()[1].Enabled);
}

TEST_F(ViewerInput, ActionToolbarButtonsAndSaving) {
    TProbe& viewer = MakeViewer();
    viewer.SetToolbarPlacement(u"Page");
    viewer.SetShowActionToolbar(true);
    const std::u16string book = Workbook({"One"}, Rows({{"a", "b"}}));
    viewer.LoadWorkbook(book);
    Click(40, 15); // < Prev: posted, the host hears of it once this click is done
    EXPECT_EQ(FWindows.Log.back(), "post 32905 0 0");
    Click(100, 30);
    EXPECT_EQ(FWindows.Log.back(), "post 32905 1 0");
    EXPECT_TRUE(FHost.Scripts.empty());

    Click(250, 15); // Highlight in yellow, then off again
    EXPECT_EQ(viewer.FHighlights.at(CellKey(0, 0, 0)), RgbColor(255, 255, 128));
    Click(250, 15);
    EXPECT_TRUE(viewer.FHighlights.empty());

    Click(170, 15); // Edit
    ASSERT_NE(EditBox(), nullptr);
    FWindows.SetText(EditBox(), u"42");
    Click(330, 15); // Save: the box stores its text, the file holds it
    TXlsxWorkbook saved;
    saved.LoadFromFile(book);
    EXPECT_EQ(saved.Sheet(0).Text(0, 0), u"42");

    const std::u16string other = PathToText(FFolder / u"other.xlsx");
    viewer.SaveWorkbook(other);
    EXPECT_EQ(viewer.FFileName, other);
    viewer.SaveWorkbook(u"   "); // blank: the file last saved
    EXPECT_TRUE(FileExists(FFolder / u"other.xlsx"));
    viewer.FFileName.clear();
    EXPECT_THROW(
        try { viewer.SaveWorkbook(u""); } catch (const TTabulixError& error) {
            EXPECT_EQ(error.Message(), u"No output file name was supplied.");
            throw;
        },
        TTabulixError);
}

TEST_F(ViewerInput, AFailureToStoreTheTextIsReportedAndTheBoxStillGoes) {
    // A workbook whose sheet cannot be opened for change once loaded: storing the edit box's text fails.
    struct TBrokenWorkbook : TXlsxWorkbook {
        void BreakSheet() { FOriginalEntries.Put(u"xl/worksheets/sheet1.xml", "<worksheet><sheetData>"); }
    };
    TProbe& viewer = MakeViewer();
    auto broken = std::make_unique<TBrokenWorkbook>();
    broken->LoadFromFile(Workbook({"One"}, Rows({{"a"}})));
    broken->BreakSheet();
    viewer.FWorkbook = std::move(broken);
    viewer.FCurrentSheet = 0;
    Type(u'x');
    ASSERT_NE(EditBox(), nullptr);
    EXPECT_NO_THROW(FWindows.SetFocus(FHost.Window));
    EXPECT_EQ(EditBox(), nullptr);
    EXPECT_FALSE(viewer.FDraggingEdit);
    ASSERT_EQ(FHost.Errors.size(), 1u);
    EXPECT_NE(FHost.Errors[0].find(u"is not well-formed XML"), std::u16string::npos);
}

TEST(HighlightColours, ByNameTrimmedIgnoringCase) {
    EXPECT_EQ(HighlightColorFromName(u" yellow "), RgbColor(255, 255, 128));
    EXPECT_EQ(HighlightColorFromName(u"ORANGE"), RgbColor(255, 165, 10));
    EXPECT_EQ(HighlightColorFromName(u"Blue"), RgbColor(128, 192, 255));
    EXPECT_FALSE(HighlightColorFromName(u"Purple"));
    EXPECT_FALSE(HighlightColorFromName(u""));
}

TEST_F(ViewerInput, HighlightTogglesReplacesAndClears) {
    TProbe& viewer = MakeViewer();
    viewer.LoadWorkbook(Workbook({"One"}, Rows({{"a"}})));
    viewer.ToggleHighlightSelection(u" yellow ");
    viewer.ToggleHighlightSelection(u"Green");
    EXPECT_EQ(viewer.FHighlights.at(0), RgbColor(128, 255, 128));
    viewer.ToggleHighlightSelection(u"Purple");
    EXPECT_TRUE(viewer.FHighlights.empty());
}
