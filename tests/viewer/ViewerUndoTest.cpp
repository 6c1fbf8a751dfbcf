// Undo and redo natively: the history's memory bound, and a chain of every kind of change taken back
// to the workbook as it was loaded and made again.
#include "base/Numbers.h"
#include "viewer/EditHistory.h"
#include "viewer/ViewerFixture.h"
#include "workbook/XlsxWorkbook.h"

using namespace tabulix;
using namespace tabulix::testing;

namespace {

class TSizedStep final : public TEditStep {
public:
    explicit TSizedStep(size_t bytes) : FBytes(bytes) {}
    void Undo(TNeoSpreadsheet&) override {}
    void Redo(TNeoSpreadsheet&) override {}
    size_t Bytes() const override { return FBytes; }

private:
    size_t FBytes;
};

// Every cell of every sheet of a workbook file, with its style's index, and the sheets' names.
std::u16string Everything(const std::filesystem::path& file) {
    TXlsxWorkbook workbook;
    workbook.LoadFromFile(PathToText(file));
    std::u16string all;
    for (int32_t s = 0; s < workbook.SheetCount(); ++s) {
        const TXlsxSheet& sheet = workbook.Sheet(s);
        all += sheet.Name + u"[";
        for (int32_t r = 0; r < sheet.RowCount; ++r) {
            for (int32_t c = 0; c < sheet.ColCount; ++c) {
                all += std::u16string(sheet.Text(r, c)) + u"@" + IntToText(sheet.StyleIndex(r, c)) + u"|";
            }
            all += u"\n";
        }
        all += u"]";
    }
    return all;
}

class Undo : public Viewer {
protected:
    TNeoSpreadsheet& Open() {
        TNeoSpreadsheet& viewer = MakeViewer(800, 400);
        std::string rows;
        for (int r = 1; r <= 6; ++r) {
            const std::string n = std::to_string(r);
            rows += "<row r=\"" + n + "\">" + CellXml("A" + n, std::to_string(10 - r)) + "<c r=\"B" + n +
                    "\" t=\"inlineStr\"><is><t>b" + n + "</t></is></c></row>";
        }
        viewer.LoadWorkbook(Write(TXlsxFixture().Sheet("One", rows).Sheet("Two", "")));
        return viewer;
    }
    void KeyWith(uint32_t key, std::set<uint32_t> held) {
        FWindows.KeysDown = std::move(held);
        Key(key);
        FWindows.KeysDown.clear();
    }
    void Range(int32_t fromRow, int32_t fromCol, int32_t toRow, int32_t toCol) {
        ClickCell(fromRow, fromCol);
        FWindows.KeysDown = {keys::Shift};
        ClickCell(toRow, toCol);
        FWindows.KeysDown.clear();
    }
    // The whole workbook as saving writes it now.
    std::u16string Now() {
        FViewer->SaveWorkbook(PathToText(FFolder / u"now.xlsx"));
        return Everything(FFolder / u"now.xlsx");
    }
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
    TNeoSpreadsheet& viewer = Open();
    // Highlighted (the viewer's mark, not the cells'); then made bold and centred, typed, pasted,
    // cleared, cut, summed; rows and columns inserted and deleted; sorted; sheets added and deleted. The
    // workbook is saved after each change, so that undoing also takes back what a save has written.
    Range(0, 0, 2, 0);
    viewer.ToggleHighlightSelection(u"Green");
    std::vector<std::u16string> states = {Now()};
    auto changed = [&] { states.push_back(Now()); };
    Choose(1, 0); // Bold
    changed();
    Range(0, 0, 1, 1);
    Choose(1, 4); // Align Center
    changed();
    ClickCell(0, 1);
    TypeIntoSelection(u"typed");
    changed();
    FWindows.ClipboardHeld.Held = u"p1\tp2\r\np3\tp4\r\n";
    ClickCell(1, 1);
    KeyWith(keys::LetterV, {keys::Control});
    changed();
    Range(2, 1, 2, 2);
    Key(keys::Delete);
    changed();
    Range(3, 0, 4, 1);
    KeyWith(keys::LetterX, {keys::Control});
    changed();
    Range(0, 0, 2, 0);
    Choose(5, 0); // AutoSum under the column
    changed();
    Choose(1, 6); // Insert Row
    changed();
    ClickCell(1, 1);
    Choose(1, 9); // Delete Column
    changed();
    Choose(1, 11); // Sort Z-A
    changed();
    Click(2 * 150 + 10, 45); // +
    changed();
    EXPECT_EQ(viewer.CurrentSheetName(), u"Sheet3");
    FWindows.MenuAnswers = {2};
    FWindows.ConfirmAnswers = {true};
    RightClick(10, 45); // Delete Sheet "One"
    changed();
    EXPECT_EQ(viewer.SheetCount(), 2);
    EXPECT_TRUE(FHost.Errors.empty());

    // Back to the start, one change at a time; each undo shows the sheet of its change.
    for (size_t n = states.size() - 1; n > 0; --n) {
        KeyWith(keys::LetterZ, {keys::Control});
        EXPECT_EQ(Now(), states[n - 1]) << "undoing change " << n;
    }
    EXPECT_EQ(viewer.CurrentSheetName(), u"One");
    ClickCell(4, 1);
    EXPECT_FALSE(Grid().Cell(0, 0)->Style.Bold);
    EXPECT_EQ(Grid().Cell(0, 0)->Fill, RgbColor(128, 255, 128)); // green
    KeyWith(keys::LetterZ, {keys::Control});
    ClickCell(4, 1);
    EXPECT_EQ(Grid().Cell(0, 0)->Fill, White); // the highlight taken back
    KeyWith(keys::LetterZ, {keys::Control}); // nothing left: nothing happens
    EXPECT_EQ(Now(), states[0]);
    EXPECT_TRUE(FHost.Errors.empty());

    // And forward again to the end, Ctrl+Y and Ctrl+Shift+Z in turn: the highlight first.
    KeyWith(keys::LetterY, {keys::Control});
    for (size_t n = 1; n < states.size(); ++n) {
        KeyWith(n % 2 ? keys::LetterY : keys::LetterZ,
                n % 2 ? std::set<uint32_t>{keys::Control} : std::set<uint32_t>{keys::Control, keys::Shift});
        EXPECT_EQ(Now(), states[n]) << "redoing change " << n;
    }
    KeyWith(keys::LetterY, {keys::Control}); // nothing left to redo
    EXPECT_EQ(Now(), states.back());
    EXPECT_TRUE(FHost.Errors.empty());

    // Another workbook: nothing to undo.
    viewer.LoadWorkbook(PathToText(FFolder / u"now.xlsx"));
    KeyWith(keys::LetterZ, {keys::Control});
    EXPECT_EQ(Now(), states.back());
}
