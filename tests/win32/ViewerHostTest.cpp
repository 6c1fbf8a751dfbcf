// The viewer in the 64-bit DLL, driven through the reference host: attachment over a Rectangle,
// following it, visibility, sheet navigation, page mode, and what it paints.
#include "base/Files.h"
#include "base/Text.h"
#include "support/TempFolder.h"
#include "support/XlsxFixture.h"
#include "win32/HostProcess.h"

#include <gtest/gtest.h>

using namespace tabulix;
using namespace tabulix::testing;

namespace {

struct TViewerScene {
    TTempFolder Folder;
    std::string Book;
    TViewerScene() {
        TXlsxFixture()
            .Sheet("Sales", "<row r=\"1\">" + CellXml("A1", "Region") + CellXml("B1", "7") + "</row>")
            .Sheet("Costs", "")
            .Sheet("Notes", "")
            .WriteTo(Folder / u"Book.xlsx");
        Book = Windows(Folder / u"Book.xlsx");
    }
    // The host registered, with Rectangle Rect1 at (20, 30), 400 x 300.
    std::string Header() const { return ScriptStart + "rect Rect1 20 30 400 300\n"; }
    THostRun Run(const std::string& script) const { return RunHostScript(Header() + script, Folder.Path()); }
};

} // namespace

TEST(ViewerInTheHost, OpensOverItsRectangleAndFollowsIt) {
    TViewerScene scene;
    ExpectPassed(scene.Run("exec TabulixOpen Rect1 \"" + scene.Book + "\" Grid Top No\n"
                           "expect-result true\n"
                           "expect-var [Grid] Sales\nexpect-var [Grid_Index] 1\nexpect-var [Grid_Count] 3\n"
                           "pump 300\nexpect-viewers 1\nexpect-visible Rect1 true\n"
                           "rect Rect1 60 80 500 320\npump 700\nexpect-visible Rect1 true\n"
                           "rect Rect1 60 80 500 15\npump 700\nexpect-visible Rect1 false\n"
                           "rect Rect1 60 80 500 20\npump 700\nexpect-visible Rect1 true\n"
                           "rect Rect1 60 80 500 320\npump 700\n"
                           "send Rect1 1274 0 1\nexpect-visible Rect1 false\n"
                           "send Rect1 1274 0 2\nexpect-visible Rect1 true\n"
                           "exec TabulixOpen rect1 \"" + scene.Book + "\" Grid Left No\nexpect-result true\n"
                           "pump 300\nexpect-viewers 1\n"
                           "exec TabulixClose RECT1\nexpect-result true\nexpect-viewers 0\n"
                           "exec TabulixClose Rect1\nexpect-result false\n"
                           "expect-var [LastError] \"There is no Excel viewer attached to an object named Rect1.\"\n"));
}

TEST(ViewerInTheHost, HostAnswersThatFailAndAViewerLeftWithoutItsRectangle) {
    TViewerScene scene;
    const std::string open = "exec TabulixOpen Rect1 \"" + scene.Book + "\" Grid Top No\n";
    ExpectPassed(scene.Run(
        "answer-probe null\n" + open +
        "expect-result false\nexpect-var [LastError] \"This function requires VisualNEO Win 4.0.9 or higher.\"\n"
        // the scripted answer outlives a move of the Rectangle, not its making anew
        "answer-object Rect1 0\n" + open + "expect-var [LastError] \"An object named Rect1 does not exist.\"\n"
        "rect Rect1 20 30 400 300\n" + open + "expect-result false\n"
        "rect-remove Rect1\nrect Rect1 20 30 400 300\n" + open + "expect-result true\n"
        "pump 300\nexpect-viewer Rect1 visible 20 30 400 300\n"
        "expect-edit Rect1 none\nexpect-find Rect1 none\nfocus-host\nexpect-focus Rect1 other\n"
        "send-viewer Rect1 1274 0 1\nexpect-viewer Rect1 hidden 20 30 400 300\n"
        "rect-remove Rect1\nanswer-object Rect1 word\npump 700\n"
        "expect-viewer Rect1 hidden 20 30 400 300\n"
        "expect-var [LastError] \"Excel spreadsheet: Rectangle window is not available.\"\n"
        "rect Rect1 60 80 300 200\npump 700\nexpect-viewer Rect1 visible 60 80 300 200\n"));
}

TEST(ViewerInTheHost, PageModeWithTheActionToolbar) {
    TViewerScene scene;
    // "Next >" and "< Prev": the host hears of each once the click has been handled.
    ExpectPassed(scene.Run("exec TabulixOpen Rect1 \"" + scene.Book + "\" Costs Page Yes\n"
                           "expect-result true\nexpect-var [Costs] Costs\nexpect-var [Costs_Index] 2\n"
                           "pump 300\nclick Rect1 120 15\npump 0\nexpect-script Gotonextpage\n"
                           "click Rect1 40 15\npump 0\nexpect-script GotoPrevpage\n"
                           // the toolbar background, a white button, the grid's corner header cell
                           "pixel Rect1 1 1 E2E2E2\npixel Rect1 10 10 FFFFFF\npixel Rect1 20 40 E8E8E8\n"
                           // the border of the first button, around its label
                           "pixel Rect1 3 10 B0B0B0\npixel Rect1 40 4 B0B0B0\npixel Rect1 76 20 B0B0B0\n"));
}

TEST(ViewerInTheHost, AViewerWhoseWindowWasDestroyedBySomeoneElseStaysQuiet) {
    TViewerScene scene;
    // WM_CLOSE makes the default processing destroy the viewer's window, as a host tearing down its
    // parent would; the viewer must not touch that handle again.
    ExpectPassed(scene.Run("exec TabulixOpen Rect1 \"" + scene.Book + "\" Grid Top No\npump 300\n"
                           "send Rect1 16 0 0\nexpect-viewers 0\n"
                           "rect Other 500 30 100 100\npump 700\n"
                           "exec TabulixNext Rect1\nexpect-result true\nexpect-var [Grid] Costs\n"
                           "exec TabulixClose Rect1\nexpect-result true\nexpect-viewers 0\n"
                           "exec TabulixOpen Rect1 \"" + scene.Book + "\" Grid Top No\npump 300\n"
                           "expect-visible Rect1 true\n"));
}

TEST(ViewerInTheHost, PaintsTheRegionsOfEachPlacement) {
    TViewerScene scene;
    const std::string open = "exec TabulixOpen Rect1 \"" + scene.Book + "\" Grid ";
    const std::string shots = Windows(scene.Folder.Path());
    ExpectPassed(scene.Run(
        open + "Top No\npump 400\n"
        "pixel Rect1 2 2 E2E2E2\n"        // ribbon
        "pixel Rect1 376 34 DADADA\n"     // the tab strip, under the "+" button
        "pixel Rect1 100 50 FFFFFF\n"     // the current tab
        "pixel Rect1 280 36 E8E8E8\n"     // another tab
        "pixel Rect1 20 70 E8E8E8\n"      // corner header
        "pixel Rect1 130 95 FFECD9\n"     // the selected cell A1, right of its text
        "screenshot-rect Rect1 " + shots + "\\top.png\n" +
        open + "Bottom No\npump 400\npixel Rect1 2 296 E2E2E2\npixel Rect1 376 4 DADADA\n"
        "screenshot-rect Rect1 " + shots + "\\bottom.png\n" +
        open + "Left No\npump 400\npixel Rect1 5 290 E2E2E2\npixel Rect1 395 15 DADADA\n"
        "screenshot-rect Rect1 " + shots + "\\left.png\n" +
        open + "Right No\npump 400\npixel Rect1 395 290 E2E2E2\npixel Rect1 5 15 FFFFFF\n"
        "screenshot-rect Rect1 " + shots + "\\right.png\n" +
        open + "None No\npump 400\npixel Rect1 376 4 DADADA\n"
        "screenshot-rect Rect1 " + shots + "\\none.png\n"));
    EXPECT_GT(ReadFileBytes(scene.Folder / u"top.png").size(), 100u);
    KeepScreenshots(scene.Folder.Path(), {u"top.png", u"bottom.png", u"left.png", u"right.png", u"none.png"});
}

TEST(ViewerInTheHost, TheRibbonsFileDialogsAnsweredByTheScript) {
    TViewerScene scene;
    const std::string saved = Windows(scene.Folder / u"Saved.xlsx"), second = Windows(scene.Folder / u"Second.xlsx");
    const std::string fileMenu = "click Rect1 20 10\n";
    ExpectPassed(scene.Run(
        "exec TabulixOpen Rect1 \"" + scene.Book + "\" Grid Top No\nexec TabulixNext Rect1\nexpect-var [Grid] Costs\n"
        "answer-menu \"Save As\"\nanswer-file \"" + saved + "\"\n" + fileMenu +
        "expect-file-dialog \"Save Excel Workbook As\"\nexpect-no-message\n"
        // onto the file just saved: the overwrite prompt answered No leaves the dialog waiting for the next answer
        "answer-menu \"Save As\"\nanswer-file \"" + saved + "\"\nanswer-box no\nanswer-file \"" + second + "\"\n" + fileMenu +
        "expect-file-dialog \"Save Excel Workbook As\"\nexpect-message-contains * \"already exists\"\nexpect-no-message\n"
        // answered Yes, the prompt lets New replace that file with an empty workbook
        "answer-menu New\nanswer-file \"" + second + "\"\nanswer-box yes\n" + fileMenu +
        "expect-file-dialog \"New Excel Workbook\"\nexpect-message-contains * \"already exists\"\n"
        "expect-var [Grid] Sheet1\nexpect-var [Grid_Count] 1\n"
        // cancelled as told, and with no answer queued: the viewer keeps its workbook
        "answer-menu Open\nanswer-file cancel\n" + fileMenu + "expect-file-dialog \"Open Excel Workbook\"\n"
        "answer-menu \"Save As\"\n" + fileMenu + "expect-file-dialog \"Save Excel Workbook As\"\n"
        "answer-menu Open\nanswer-file \"" + saved + "\"\n" + fileMenu + "expect-file-dialog \"Open Excel Workbook\"\n"
        "expect-var [Grid] Sales\nexpect-var [Grid_Count] 3\nexpect-no-message\n"));
}
