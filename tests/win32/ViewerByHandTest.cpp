// The viewer used by hand in the 64-bit DLL, through the reference host: one script per path a reader
// takes, with the mouse, the keys, the edit and find boxes, the menus and the boxes the library shows.
#include "base/Files.h"
#include "base/Text.h"
#include "support/TempFolder.h"
#include "support/XlsxFixture.h"
#include "win32/HostProcess.h"
#include "workbook/XlsxWorkbook.h"

#include <gtest/gtest.h>

using namespace tabulix;
using namespace tabulix::testing;

namespace {

// A workbook of two sheets and a Rectangle for it, 600 x 320 at (20, 30) of the host's window.
struct TByHand {
    TTempFolder Folder;
    std::string Book;
    TByHand() {
        TXlsxFixture()
            .Sheet("Fruit", InlineRowsXml({{"Apple", "Pear"}, {"Snapper"}, {"Pineapple", "3"}}))
            .Sheet("Costs", "")
            .WriteTo(Folder / u"Book.xlsx");
        Book = Windows(Folder / u"Book.xlsx");
    }
    std::string Open(const std::string& placement, const std::string& toolbar = "No") const {
        return ScriptStart + "rect Rect1 20 30 600 320\nexec TabulixOpen Rect1 \"" + Book + "\" Grid " + placement +
               " " + toolbar + "\nexpect-result true\npump 300\n";
    }
    std::string Shot(const std::string& name) const { return Windows(Folder / Utf8ToUtf16(name)); }
    THostRun Run(const std::string& script) const { return RunHostScript(script, Folder.Path()); }
};

} // namespace

TEST(ViewerByHand, TypeIntoACellAndSaveWithTheActionToolbar) {
    TByHand scene;
    // Page mode: the action toolbar is 34 pixels high, the header row below it, row 1 from y 56.
    ExpectPassed(scene.Run(scene.Open("Page", "Yes") +
                           "click Rect1 160 60\nexpect-focus Rect1 viewer\n"
                           "char Rect1 Plum\nexpect-edit Rect1 Plum 142 56 96 22\nexpect-focus Rect1 edit\n"
                           "screenshot-rect Rect1 " + scene.Shot("edit-box.png") + "\n"
                           "key Rect1 VK_RETURN\nexpect-edit Rect1 Plum\n" // Enter leaves the box open
                           "click Rect1 60 82\nexpect-edit Rect1 none\n"   // another cell stores it
                           "key Rect1 VK_F2\nexpect-edit Rect1 Snapper\nfocus-host\nexpect-edit Rect1 none\n"
                           "expect-focus Rect1 other\n"
                           "click Rect1 370 15\n" // Save
                           "exec TabulixClose Rect1\nexpect-result true\n"));
    EXPECT_EQ(SavedCellText(scene.Folder / u"Book.xlsx", 0, 1), u"Plum");
    EXPECT_EQ(SavedCellText(scene.Folder / u"Book.xlsx", 1, 0), u"Snapper");
    KeepScreenshots(scene.Folder.Path(), {u"edit-box.png"});
}

// The real menu and confirmation box: a sheet added, a deletion answered No keeps it, Yes deletes it.
TEST(ViewerByHand, TheTabMenuAddsASheetAndDeletesOneOnlyWhenConfirmed) {
    TByHand scene;
    const std::string deleteFruit = "answer-menu \"Delete Sheet\"\nrclick Rect1 30 45\nexpect-message Confirm "
                                    "\"Delete worksheet {QUOTE}Fruit{QUOTE}? This cannot be undone once the workbook is saved.\"\n";
    ExpectPassed(scene.Run(scene.Open("Top") + "answer-menu \"Insert Sheet\"\nrclick Rect1 30 45\n"
                           "expect-var [Grid] Sheet3\nexpect-var [Grid_Count] 3\n"
                           "answer-box no\n" + deleteFruit + "expect-var [Grid_Count] 3\n"
                           "answer-box yes\n" + deleteFruit + "exec TabulixGoto Rect1 1\nexpect-var [Grid] Costs\nexpect-var [Grid_Count] 2\n"));
}

// Every way the reader saves, with the save made to fail (a folder stands where the temporary file
// would go), and a failure of each mouse path; then the ribbon's commands that succeed. Each failure
// reaches [LastError], no box shows, and the files stay as they were.
TEST(ViewerByHand, FailuresOfSavingAndOfEachMousePathReachTheHost) {
    TByHand scene;
    const std::string copy = Windows(scene.Folder / u"Copy.xlsx");
    for (const char16_t* name : {u"Book.xlsx", u"Copy.xlsx"}) {
        std::filesystem::create_directories(TemporaryPathBeside(scene.Folder / name) / "keep");
    }
    TXlsxFixture().Sheet("Only", "").Without("[Content_Types].xml").WriteTo(scene.Folder / u"Bare.xlsx");
    TXlsxFixture().Sheet("Fruit", InlineRowsXml({{"Name"}, {"Pear"}, {"Apple"}, {"Fig"}})).Sheet("Costs", "")
        .WriteTo(scene.Folder / u"Good.xlsx");
    const std::string book = scene.Book, bookBytes = ReadFileBytes(scene.Folder / u"Book.xlsx");
    const std::string cannotSave = "expect-var-contains [LastError] \"Cannot create file {QUOTE}";
    const std::string noSheet = "expect-var [LastError] \"Could not read this workbook's internal structure to add a sheet.\"\n";
    const auto open = [](const std::string& file) { return "exec TabulixOpen Rect1 \"" + file + "\" Grid Top No\nvar [LastError] none\n"; };
    ExpectPassed(scene.Run(
        // The action toolbar's Save, its edit box stored first, and TabulixSave.
        scene.Open("Page", "Yes") + "click Rect1 160 60\nchar Rect1 Plum\nclick Rect1 370 15\nexpect-edit Rect1 none\n" +
        cannotSave + book + "{QUOTE}\"\nvar [LastError] none\nexec TabulixSave Rect1 \"\"\nexpect-result false\n" +
        cannotSave + book + "{QUOTE}\"\n" +
        // The ribbon's Save, then Save As: the viewer keeps its file.
        open(book) + "answer-menu Save\nclick Rect1 20 10\n" + cannotSave + book + "{QUOTE}\"\n" +
        "answer-menu \"Save As\"\nanswer-file \"" + copy + "\"\nclick Rect1 20 10\n"
        "expect-file-dialog \"Save Excel Workbook As\"\n" + cannotSave + copy + "{QUOTE}\"\n"
        "exec TabulixSave Rect1 \"\"\n" + cannotSave + book + "{QUOTE}\"\n" +
        // "+" and the tab menu, on a workbook that cannot take another sheet.
        open(Windows(scene.Folder / u"Bare.xlsx")) + "click Rect1 164 45\n" + noSheet +
        "var [LastError] none\nanswer-menu \"Insert Sheet\"\nrclick Rect1 30 45\n" + noSheet +
        // A left click on each sheet tab, then Italic, Underline, Align Right and Sort A-Z on A2, and Save.
        open(Windows(scene.Folder / u"Good.xlsx")) + "click Rect1 200 45\nexpect-var [Grid] Costs\n"
        "click Rect1 50 45\nexpect-var [Grid] Fruit\nclick Rect1 90 115\n"
        "answer-menu Italic\nclick Rect1 100 10\nanswer-menu Underline\nclick Rect1 100 10\n"
        "answer-menu \"Align Right\"\nclick Rect1 100 10\nanswer-menu \"Sort A-Z\"\nclick Rect1 100 10\n"
        "answer-menu Save\nclick Rect1 20 10\nexpect-var [LastError] none\n"));
    EXPECT_EQ(ReadFileBytes(scene.Folder / u"Book.xlsx"), bookBytes);
    EXPECT_FALSE(FileExists(scene.Folder / u"Copy.xlsx"));
    EXPECT_EQ(SavedCellText(scene.Folder / u"Good.xlsx", 1, 0), u"Apple");
    EXPECT_EQ(SavedCellText(scene.Folder / u"Good.xlsx", 3, 0), u"Pear");
}

TEST(ViewerByHand, ATimerScriptClosesTheViewerWhileItsBoxOrMenuWaits) {
    TByHand scene;
    const std::string book = ReadFileBytes(Utf8ToUtf16(scene.Book));
    ExpectPassed(scene.Run(scene.Open("Top") +
                           // Closed while the delete confirmation waits: its Yes deletes nothing.
                           "answer-menu \"Delete Sheet\"\nanswer-box yes\n"
                           "during-next-modal \"expect-viewers 1\"\n" // the tab menu comes first
                           "during-next-modal \"exec TabulixClose Rect1\"\n"
                           "rclick Rect1 30 45\n"
                           "expect-menu \"Insert Sheet|Delete Sheet\"\nexpect-message Confirm "
                           "\"Delete worksheet {QUOTE}Fruit{QUOTE}? This cannot be undone once the workbook is saved.\"\n"
                           "expect-viewers 0\nexpect-var [Grid] Fruit\nexpect-var [Grid_Count] 2\n"
                           "exec TabulixNext Rect1\nexpect-result false\n" +
                           // Opened anew while the owner-drawn Formulas menu waits: its AutoSum runs nowhere.
                           scene.Open("Top").substr(ScriptStart.size()) +
                           "var [LastError] none\nanswer-menu AutoSum\n"
                           "during-next-modal \"exec TabulixOpen Rect1 {QUOTE}" + scene.Book + "{QUOTE} Again Top No\"\n"
                           "click Rect1 340 10\nexpect-menu \"AutoSum|Average|Count|Max|Min\"\n"
                           "expect-viewers 1\nexpect-var [Again_Count] 2\nexpect-var [LastError] none\n"
                           "exec TabulixClose Rect1\nexpect-result true\nexpect-viewers 0\n"));
    EXPECT_EQ(ReadFileBytes(Utf8ToUtf16(scene.Book)), book);
}

TEST(ViewerByHand, FindFromTheRibbonSelectsTheMatchOrSaysThereIsNone) {
    TByHand scene;
    // Review is the sixth ribbon tab; the find box lies at the top right, 30 pixels down.
    ExpectPassed(scene.Run(scene.Open("Top") +
                           "answer-menu Find screenshot " + scene.Shot("review-menu.png") + "\nclick Rect1 420 10\n"
                           "expect-menu Find\nexpect-find Rect1 \"\" 380 30 200 22\nexpect-focus Rect1 find\n"
                           "char Rect1 APPLE\nkey Rect1 VK_RETURN\nexpect-focus Rect1 viewer\n"
                           "screenshot-rect Rect1 " + scene.Shot("find-box.png") + "\n"
                           "key Rect1 VK_RETURN\nexpect-edit Rect1 Pineapple\nclick Rect1 300 200\n"
                           "click Rect1 390 40\nexpect-focus Rect1 find\nexpect-find Rect1 APPLE\n" // back into the box
                           "key Rect1 VK_END\nchar Rect1 \"s \"\nkey Rect1 VK_RETURN\n"
                           "expect-var [LastError] \"Find: no match for {QUOTE}APPLEs {QUOTE}.\"\n"
                           "expect-focus Rect1 find\nkey Rect1 VK_ESCAPE\nexpect-find Rect1 none\n"
                           "expect-focus Rect1 viewer\n"
                           // Find chosen again opens an empty box: a click in the ribbon closes the old one
                           "answer-menu Find\nclick Rect1 420 10\nexpect-menu Find\nexpect-find Rect1 \"\"\n"));
    KeepScreenshots(scene.Folder.Path(), {u"find-box.png", u"review-menu.png"});
}
