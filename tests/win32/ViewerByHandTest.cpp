// The viewer used by hand in the 64-bit DLL, through the reference host: one script per path a reader
// takes, with the mouse, the keys, the edit and find boxes, the menus and the boxes the library shows.
#include "base/Files.h"
#include "base/Text.h"
#include "support/TempFolder.h"
#include "support/XlsxFixture.h"
#include "win32/HostProcess.h"
#include "workbook/XlsxWorkbook.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace tabulix;
using namespace tabulix::testing;

namespace {

std::string Windows(const std::filesystem::path& path) { return Utf16ToUtf8(PathToText(path)); }

std::string InlineCell(const std::string& ref, const std::string& text) {
    return "<c r=\"" + ref + "\" t=\"inlineStr\"><is><t>" + text + "</t></is></c>";
}

// A workbook of two sheets and a Rectangle for it, 600 x 320 at (20, 30) of the host's window.
struct TByHand {
    TTempFolder Folder;
    std::string Book;
    TByHand() {
        TXlsxFixture()
            .Sheet("Fruit", "<row r=\"1\">" + InlineCell("A1", "Apple") + InlineCell("B1", "Pear") + "</row>" +
                                "<row r=\"2\">" + InlineCell("A2", "Snapper") + "</row>" + "<row r=\"3\">" +
                                InlineCell("A3", "Pineapple") + CellXml("B3", "3") + "</row>")
            .Sheet("Costs", "")
            .WriteTo(Folder / u"Book.xlsx");
        Book = Windows(Folder / u"Book.xlsx");
    }
    std::string Open(const std::string& placement, const std::string& toolbar = "No") const {
        return "init\nregister\nrect Rect1 20 30 600 320\nexec TabulixOpen Rect1 \"" + Book + "\" Grid " + placement +
               " " + toolbar + "\nexpect-result true\npump 300\n";
    }
    std::string Shot(const std::string& name) const { return Windows(Folder / Utf8ToUtf16(name)); }
    THostRun Run(const std::string& script) const { return RunHostScript(script, Folder.Path()); }
    // Screenshots are kept for a person to look at when TABULIX_KEEP_SCREENSHOTS names a folder.
    void Keep(std::initializer_list<const char16_t*> names) const {
        const char* keep = std::getenv("TABULIX_KEEP_SCREENSHOTS");
        if (!keep || !*keep) return;
        for (const char16_t* name : names) {
            std::filesystem::copy_file(Folder / name, std::filesystem::path(keep) / name,
                                       std::filesystem::copy_options::overwrite_existing);
        }
    }
};

void ExpectPassed(const THostRun& run) {
    EXPECT_EQ(run.ExitCode, 0u) << run.Output;
    EXPECT_NE(run.Output.find("script passed"), std::string::npos) << run.Output;
}

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
    TXlsxWorkbook saved;
    saved.LoadFromFile(Utf8ToUtf16(scene.Book));
    EXPECT_EQ(saved.Sheet(0).Text(0, 1), u"Plum");
    EXPECT_EQ(saved.Sheet(0).Text(1, 0), u"Snapper");
    scene.Keep({u"edit-box.png"});
}

TEST(ViewerByHand, TheTabMenuAddsASheetAndDeletesOneOnlyWhenConfirmed) {
    TByHand scene;
    const std::string question = "\"Delete worksheet {QUOTE}Fruit{QUOTE}? This cannot be undone once the workbook is saved.\"";
    ExpectPassed(scene.Run(scene.Open("Top") +
                           "answer-menu \"Insert Sheet\"\nrclick Rect1 30 45\nexpect-menu \"Insert Sheet|Delete Sheet\"\n"
                           "expect-var [Grid] Sheet3\nexpect-var [Grid_Count] 3\n"
                           "answer-menu \"Delete Sheet\"\nanswer-box no\nrclick Rect1 30 45\n"
                           "expect-menu \"Insert Sheet|Delete Sheet\"\nexpect-message Confirm " + question + "\n"
                           "expect-var [Grid_Count] 3\n"
                           "answer-menu \"Delete Sheet\"\nanswer-box yes\nrclick Rect1 30 45\n"
                           "expect-menu \"Insert Sheet|Delete Sheet\"\nexpect-message Confirm " + question + "\n"
                           "expect-var [Grid] Sheet3\nexpect-var [Grid_Count] 3\n" // an earlier sheet: not republished
                           "answer-menu \"Delete Sheet\"\nanswer-box yes\nrclick Rect1 30 45\n"
                           "expect-menu \"Insert Sheet|Delete Sheet\"\nexpect-message * "
                           "\"Delete worksheet {QUOTE}Costs{QUOTE}? This cannot be undone once the workbook is saved.\"\n"
                           "answer-menu none\nrclick Rect1 30 45\nexpect-menu \"Insert Sheet|Delete Sheet (greyed)\"\n"
                           "expect-var [Grid] Sheet3\nexpect-var [Grid_Count] 3\n"));
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
                           scene.Open("Top").substr(std::string("init\nregister\n").size()) +
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
    scene.Keep({u"find-box.png", u"review-menu.png"});
}
