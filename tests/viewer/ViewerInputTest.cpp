// The viewer by hand, natively: keys, wheel, the edit box and the find box, the sheet-tab menu, the
// action toolbar and saving, each through the messages Windows would send.
#include "base/Error.h"
#include "viewer/ViewerFixture.h"

using namespace tabulix;
using namespace tabulix::testing;

TEST_F(Viewer, ArrowsStopAtTheEdgesPagesAndTheWheelMoveTheView) {
    TNeoSpreadsheet& viewer = MakeViewer();
    viewer.LoadWorkbook(Workbook({"One"}, InlineRowsXml(std::vector<std::vector<std::string>>(12, {"a", "b", "c"}))));
    Key(keys::Left);
    Key(keys::Up);
    EXPECT_EQ(Selected(), std::make_pair(0, 0));
    for (int i = 0; i < 5; ++i) Key(keys::Right);
    for (int i = 0; i < 20; ++i) Key(keys::Down);
    EXPECT_EQ(Selected(), std::make_pair(2, 11));

    for (int i = 0; i < 6; ++i) Key(keys::Up);
    Key(keys::PageUp);
    EXPECT_EQ(Grid().TopRow(), 0);
    for (int i = 0; i < 3; ++i) Key(keys::PageDown);
    EXPECT_EQ(Grid().TopRow(), -1); // past the last row: the grid shows none
    Key(keys::Up);
    EXPECT_EQ(Selected(), std::make_pair(2, 4));
    EXPECT_EQ(Grid().TopRow(), 4); // scrolled back to the selection
    Key(keys::PageUp);
    EXPECT_EQ(Grid().TopRow(), 0);

    Wheel(-480);
    EXPECT_EQ(Grid().TopRow(), 4);
    Wheel(240);
    EXPECT_EQ(Grid().TopRow(), 2);
    Wheel(-60);
    Wheel(-60); // less than a notch, each time: not kept
    EXPECT_EQ(Grid().TopRow(), 2);
    Wheel(-120, true);
    EXPECT_EQ(Grid().LeftCol(), 1);
    EXPECT_EQ(Grid().TopRow(), 2);
}

TEST_F(Viewer, TypingEditsTheCellAndTheFocusLeavingStoresIt) {
    TNeoSpreadsheet& viewer = MakeViewer();
    viewer.LoadWorkbook(Workbook({"One"}, InlineRowsXml({{"Apple", "b"}, {"c", "d"}})));
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

    FWindows.SetText(EditBox(), u"typed");
    Click(300, 110); // beside the cells: the box stores its text, the selection stays
    EXPECT_EQ(EditBox(), nullptr);
    EXPECT_EQ(Grid().Text(0, 0), u"typed");
    EXPECT_EQ(Selected(), std::make_pair(0, 0));
    EXPECT_EQ(FWindows.Focus, viewer.Window());

    Key(keys::Return); // the box holds the cell's text, all of it selected
    ASSERT_NE(EditBox(), nullptr);
    EXPECT_EQ(FWindows.Window(EditBox())->SelectionEnd, 5);
    FWindows.SetText(EditBox(), u"again");
    Click(150, 110); // another cell: the edited one stores first, then the click selects
    EXPECT_EQ(Grid().Text(0, 0), u"again");
    EXPECT_EQ(Selected(), std::make_pair(1, 1));

    Send(messages::LeftButtonDoubleClick, 1, At(100, 70)); // the header row
    ASSERT_NE(EditBox(), nullptr);
    EXPECT_EQ(FWindows.Window(EditBox())->Text, u"d");
    FWindows.SetFocus(FHost.Window); // the reader clicks elsewhere in the host
    EXPECT_EQ(EditBox(), nullptr);
    EXPECT_EQ(FWindows.Focus, FHost.Window); // the focus stays where it was put
}

TEST_F(Viewer, TheEditBoxOfACellOutOfView) {
    TNeoSpreadsheet& viewer = MakeViewer();
    viewer.LoadWorkbook(Workbook({"One"}, InlineRowsXml(std::vector<std::vector<std::string>>(8, {"a", "b", "c", "d", "e", "f"}))));
    for (int i = 0; i < 5; ++i) Key(keys::Right);
    Wheel(360, true); // the view back to column A: the selection lies right of the three columns that fit
    viewer.StartEditSelection();
    ASSERT_NE(EditBox(), nullptr);
    EXPECT_EQ(FWindows.Window(EditBox())->Origin.X, 46 + 5 * 96);
    Send(messages::Command, uintptr_t(EditLostFocus) << 16, reinterpret_cast<intptr_t>(EditBox()));
    for (int i = 0; i < 5; ++i) Key(keys::Left);
    Key(keys::Down);
    Wheel(-360); // row 2 above the view: no box
    viewer.StartEditSelection();
    EXPECT_EQ(EditBox(), nullptr);
}

TEST_F(Viewer, FindSearchesOnFromTheSelectionAndComesRound) {
    TNeoSpreadsheet& viewer = MakeViewer(800, 300);
    viewer.LoadWorkbook(Workbook({"One"}, InlineRowsXml({{"Apple", "grape"}, {"Snapper", " pp"}})));
    Choose(7, 0); // Review > Find
    ASSERT_NE(FindBox(), nullptr);
    EXPECT_EQ(FWindows.Window(FindBox())->Origin.X, 580);
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

TEST_F(Viewer, TheTabMenuAddsAndDeletesSheets) {
    TNeoSpreadsheet& viewer = MakeViewer(800, 300);
    viewer.SetVariableName(u"Grid");
    viewer.LoadWorkbook(Workbook({"One", "Two", "Three"}));
    FWindows.MenuAnswers = {1};
    RightClick(10, 40);
    ASSERT_EQ(FWindows.Menus.size(), 1u);
    ASSERT_EQ(FWindows.Menus[0].size(), 2u);
    EXPECT_EQ(FWindows.Menus[0][0].Text, u"Insert Sheet");
    EXPECT_TRUE(FWindows.Menus[0][1].Enabled);
    EXPECT_EQ(FWindows.LastMenuPoint.X, 1000 + 10 + 10); // the viewer lies at (10, 20) in the host window
    EXPECT_EQ(viewer.CurrentSheetName(), u"Sheet4");
    EXPECT_EQ(FHost.Set[u"[Grid_Count]"], u"4");

    FWindows.MenuAnswers = {2, 2};
    FWindows.ConfirmAnswers = {false, true};
    RightClick(500, 40); // Sheet4's tab, answered No
    EXPECT_EQ(viewer.SheetCount(), 4);
    ASSERT_EQ(FWindows.Confirmations.size(), 1u);
    EXPECT_EQ(FWindows.Confirmations.back(),
              u"Delete worksheet \"Sheet4\"? This cannot be undone once the workbook is saved.");
    RightClick(500, 40); // Yes: the current last sheet goes
    EXPECT_EQ(viewer.CurrentSheetName(), u"Three");
    EXPECT_EQ(FHost.Set[u"[Grid_Count]"], u"3");

    FWindows.MenuAnswers = {2};
    FWindows.ConfirmAnswers = {true};
    RightClick(10, 40); // an earlier sheet: Three stays on screen
    EXPECT_EQ(viewer.CurrentSheetName(), u"Three");
    EXPECT_EQ(viewer.CurrentSheetIndex(), 1);
    EXPECT_EQ(FHost.Set[u"[Grid_Count]"], u"3"); // not republished

    viewer.LoadWorkbook(Workbook({"Only"}));
    RightClick(10, 40);
    EXPECT_FALSE(FWindows.Menus.back()[1].Enabled);
}

TEST_F(Viewer, ActionToolbarButtonsAndSaving) {
    TNeoSpreadsheet& viewer = MakeViewer();
    viewer.SetToolbarPlacement(u"Page");
    viewer.SetShowActionToolbar(true);
    const std::u16string book = Workbook({"One"}, InlineRowsXml({{"a", "b"}}));
    viewer.LoadWorkbook(book);
    const std::string posted = "post " + std::to_string(messages::PageNavigate);
    Click(40, 15); // < Prev: posted, the host hears of it once this click is done
    EXPECT_EQ(FWindows.Log.back(), posted + " 0 0");
    Click(100, 30);
    EXPECT_EQ(FWindows.Log.back(), posted + " 1 0");
    EXPECT_TRUE(FHost.Scripts.empty());

    Click(250, 15); // Highlight in yellow, then off again
    EXPECT_EQ(HighlightOfSelection(), Yellow);
    Click(250, 15);
    EXPECT_EQ(HighlightOfSelection(), White);

    Click(170, 15); // Edit
    ASSERT_NE(EditBox(), nullptr);
    FWindows.SetText(EditBox(), u"42");
    Click(330, 15); // Save: the box stores its text, the file holds it
    EXPECT_EQ(SavedCellText(book, 0, 0), u"42");

    const std::u16string other = PathToText(FFolder / u"other.xlsx");
    viewer.SaveWorkbook(other);
    TypeIntoSelection(u"43");
    viewer.SaveWorkbook(u"   "); // blank: to the file last saved, not the one opened
    EXPECT_EQ(SavedCellText(other, 0, 0), u"43");
    EXPECT_EQ(SavedCellText(book, 0, 0), u"42");
}

TEST_F(Viewer, AFailureToStoreTheTextIsReportedAndTheBoxStillGoes) {
    // A processing instruction that is not well-formed: reading passes over it, but the part cannot be
    // opened for change, so storing the edit box's text fails.
    TNeoSpreadsheet& viewer = MakeViewer();
    viewer.LoadWorkbook(Workbook({"One"}, InlineRowsXml({{"a"}}) + "<?note?broken?>"));
    Type(u'x');
    ASSERT_NE(EditBox(), nullptr);
    EXPECT_NO_THROW(FWindows.SetFocus(FHost.Window));
    EXPECT_EQ(EditBox(), nullptr);
    EXPECT_EQ(Grid().Text(0, 0), u"a");
    ASSERT_EQ(FHost.Errors.size(), 1u);
    EXPECT_NE(FHost.Errors[0].find(u"is not well-formed XML"), std::u16string::npos);
    viewer.StartEditSelection(); // the next edit opens a box again
    EXPECT_NE(EditBox(), nullptr);
}

TEST(HighlightColours, ByNameTrimmedIgnoringCase) {
    EXPECT_EQ(HighlightColorFromName(u" yellow "), Yellow);
    EXPECT_EQ(HighlightColorFromName(u"ORANGE"), RgbColor(255, 165, 10));
    EXPECT_EQ(HighlightColorFromName(u"Blue"), RgbColor(128, 192, 255));
    EXPECT_FALSE(HighlightColorFromName(u"Purple"));
    EXPECT_FALSE(HighlightColorFromName(u""));
}

TEST_F(Viewer, HighlightTogglesReplacesAndClears) {
    TNeoSpreadsheet& viewer = MakeViewer();
    viewer.LoadWorkbook(Workbook({"One"}, InlineRowsXml({{"a", "b"}})));
    viewer.ToggleHighlightSelection(u" yellow ");
    viewer.ToggleHighlightSelection(u"Green");
    EXPECT_EQ(HighlightOfSelection(), RgbColor(128, 255, 128));
    viewer.ToggleHighlightSelection(u"Purple");
    EXPECT_EQ(HighlightOfSelection(), White);
}
