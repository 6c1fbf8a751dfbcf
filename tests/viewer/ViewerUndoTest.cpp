// Undo and redo natively: the history's memory bound, and a chain of every kind of change taken back
// to the workbook as it was loaded and made again.
#include "viewer/EditHistory.h"
#include "viewer/ViewerFixture.h"
#include "workbook/XlsxWorkbook.h"

using namespace tabulix;
using namespace tabulix::testing;

namespace {

intptr_t At(int32_t x, int32_t y) { return intptr_t(uint32_t(uint16_t(x)) | (uint32_t(uint16_t(y)) << 16)); }

class TSizedStep final : public TEditStep {
public:
    explicit TSizedStep(size_t bytes) : FBytes(bytes) {}
    void Undo(TNeoSpreadsheet&) override {}
    void Redo(TNeoSpreadsheet&) override {}
    size_t Bytes() const override { return FBytes; }

private:
    size_t FBytes;
};

// Every cell of every sheet, with the sheets' names.
std::u16string Everything(const TXlsxWorkbook& workbook) {
    std::u16string all;
    for (int32_t s = 0; s < workbook.SheetCount(); ++s) {
        const TXlsxSheet& sheet = workbook.Sheet(s);
        all += sheet.Name + u"[";
        for (int32_t r = 0; r < sheet.RowCount; ++r) {
            for (int32_t c = 0; c < sheet.ColCount; ++c) all += std::u16string(sheet.Text(r, c)) + u"|";
            all += u"\n";
        }
        all += u"]";
    }
    return all;
}

class Undo : public Viewer {
protected:
    TProbe& Open() {
        TProbe& viewer = MakeViewer(800, 400);
        std::string rows;
        for (int r = 1; r <= 6; ++r) {
            const std::string n = std::to_string(r);
            rows += "<row r=\"" + n + "\">" + CellXml("A" + n, std::to_string(10 - r)) + "<c r=\"B" + n +
                    "\" t=\"inlineStr\"><is><t>b" + n + "</t></is></c></row>";
        }
        TXlsxFixture fixture;
        fixture.Sheet("One", rows).Sheet("Two", "");
        fixture.WriteTo(FFolder / u"undo.xlsx");
        viewer.LoadWorkbook(PathToText(FFolder / u"undo.xlsx"));
        return viewer;
    }
    void Key(uint32_t key, std::set<uint32_t> held = {}) {
        FWindows.KeysDown = std::move(held);
        FViewer->HandleMessage(messages::KeyDown, key, 0);
        FWindows.KeysDown.clear();
    }
    void Select(int32_t col, int32_t row) { FViewer->SelectCell(col, row, true); }
    void Extend(int32_t col, int32_t row) {
        FWindows.KeysDown = {keys::Shift};
        FViewer->HandleMessage(messages::LeftButtonDown, 1, At(46 + 96 * col + 48, 84 + 22 * row + 11));
        FViewer->HandleMessage(messages::LeftButtonUp, 0, 0);
        FWindows.KeysDown.clear();
    }
    std::u16string Now() const { return Everything(*FViewer->FWorkbook); }
};

} // namespace

TEST(EditHistory, KeepsTheNewestStepsWithinItsBudget) {
    TEditHistory history(1000);
    for (int i = 0; i < 5; ++i) history.Add(std::make_unique<TSizedStep>(300));
    EXPECT_EQ(history.UndoCount(), 3u); // the two oldest went
    EXPECT_EQ(history.Bytes(), 900u);
    history.Undone();
    EXPECT_EQ(history.RedoCount(), 1u);
    history.Add(std::make_unique<TSizedStep>(50)); // a new change: the one undone cannot be redone
    EXPECT_EQ(history.RedoCount(), 0u);
    EXPECT_EQ(history.Bytes(), 650u);
    history.Add(std::make_unique<TSizedStep>(1001)); // more than the budget alone: nothing can be undone
    EXPECT_EQ(history.UndoCount(), 0u);
    EXPECT_EQ(history.Bytes(), 0u);

    TEditHistory defaults;
    for (int i = 0; i < 1000; ++i) defaults.Add(std::make_unique<TSizedStep>(20000));
    EXPECT_GE(defaults.UndoCount(), 100u);
    EXPECT_LE(defaults.Bytes(), TEditHistory::DefaultBudget);
}

TEST_F(Undo, EveryKindOfChangeIsTakenBackAndMadeAgainInOneChain) {
    TProbe& viewer = Open();
    // Marked bold and highlighted (the viewer's marks, not the cells); then typed, pasted, cleared, cut,
    // summed; rows and columns inserted and deleted; sorted; sheets added and deleted.
    Select(0, 0);
    Extend(0, 2);
    viewer.ExecuteRibbonCommand(1, 0);
    viewer.ToggleHighlightSelection(u"Green");
    EXPECT_EQ(viewer.FCellBold.size(), 3u);
    EXPECT_EQ(viewer.FHighlights.size(), 3u);
    std::vector<std::u16string> states = {Now()};
    auto changed = [&] { states.push_back(Now()); };
    Select(1, 0);
    viewer.StartEditSelection();
    FWindows.SetText(FWindows.ChildOfKind(TScriptedWindow::TKind::CellEditor), u"typed");
    FWindows.SetFocus(FHost.Window);
    changed();
    FWindows.ClipboardHeld.Held = u"p1\tp2\r\np3\tp4\r\n";
    Select(2, 1);
    Key(keys::LetterV, {keys::Control});
    changed();
    Select(1, 2);
    Extend(2, 2);
    Key(keys::Delete);
    changed();
    Select(0, 3);
    Extend(1, 4);
    Key(keys::LetterX, {keys::Control});
    changed();
    Select(0, 0);
    Extend(0, 2);
    viewer.ExecuteRibbonCommand(5, 0); // AutoSum under the column
    changed();
    viewer.ExecuteRibbonCommand(1, 6); // Insert Row
    changed();
    Select(1, 1);
    viewer.ExecuteRibbonCommand(1, 9); // Delete Column
    changed();
    viewer.ExecuteRibbonCommand(1, 11); // Sort Z-A
    changed();
    viewer.HandleMessage(messages::LeftButtonDown, 1, At(2 * 150 + 10, 45)); // +
    changed();
    EXPECT_EQ(viewer.CurrentSheetName(), u"Sheet3");
    FWindows.MenuAnswers = {2};
    FWindows.ConfirmAnswers = {true};
    viewer.HandleMessage(messages::RightButtonDown, 2, At(10, 45)); // Delete Sheet "One"
    changed();
    EXPECT_EQ(viewer.SheetCount(), 2);
    EXPECT_TRUE(FHost.Errors.empty());

    // Back to the start, one change at a time; each undo shows the sheet of its change.
    for (size_t n = states.size() - 1; n > 0; --n) {
        Key(keys::LetterZ, {keys::Control});
        EXPECT_EQ(Now(), states[n - 1]) << "undoing change " << n;
    }
    EXPECT_EQ(viewer.CurrentSheetName(), u"One");
    Key(keys::LetterZ, {keys::Control});
    EXPECT_TRUE(viewer.FHighlights.empty());
    Key(keys::LetterZ, {keys::Control});
    EXPECT_TRUE(viewer.FCellBold.empty());
    Key(keys::LetterZ, {keys::Control}); // nothing left: nothing happens
    EXPECT_EQ(Now(), states[0]);
    EXPECT_TRUE(FHost.Errors.empty());

    // And forward again to the end, Ctrl+Y and Ctrl+Shift+Z in turn.
    size_t reached = 0;
    for (int redo = 0; redo < 1 + int(states.size()); ++redo) {
        Key(redo % 2 ? keys::LetterY : keys::LetterZ,
            redo % 2 ? std::set<uint32_t>{keys::Control} : std::set<uint32_t>{keys::Control, keys::Shift});
        if (redo < 2) continue; // the marks first
        ++reached;
        EXPECT_EQ(Now(), states[reached]) << "redoing change " << reached;
    }
    EXPECT_EQ(reached, states.size() - 1);
    EXPECT_EQ(viewer.FCellBold.size(), 3u);
    EXPECT_TRUE(FHost.Errors.empty());

    // Saving after undoing everything writes the workbook as it was loaded.
    for (int i = 0; i < 20; ++i) Key(keys::LetterZ, {keys::Control});
    viewer.SaveWorkbook(PathToText(FFolder / u"saved.xlsx"));
    TXlsxWorkbook saved;
    saved.LoadFromFile(PathToText(FFolder / u"saved.xlsx"));
    EXPECT_EQ(Everything(saved), states[0]);
    // Another workbook: nothing to undo.
    viewer.LoadWorkbook(PathToText(FFolder / u"saved.xlsx"));
    Key(keys::LetterY, {keys::Control});
    EXPECT_EQ(Now(), states[0]);
}
