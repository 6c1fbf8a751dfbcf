// Ranges through the reference host: selected with Shift and a click, Shift and the arrows, a drag and
// the headers, copied to the Windows clipboard; text from a spreadsheet application pasted; Delete,
// Bold and Highlight on a range, photographed.
#include "base/Files.h"
#include "base/Text.h"
#include "support/TempFolder.h"
#include "support/XlsxFixture.h"
#include "win32/HostProcess.h"
#include "workbook/XlsxWorkbook.h"

#include <gtest/gtest.h>

#include <memory>

using namespace tabulix;
using namespace tabulix::testing;

namespace {

std::string InlineCell(const std::string& ref, const std::string& text) {
    return "<c r=\"" + ref + "\" t=\"inlineStr\"><is><t>" + text + "</t></is></c>";
}

// A sheet of 4 x 5 cells, A1 "a1" to D5 "d5" with numbers in column C, in a Rectangle of 600 x 320:
// under the Top ribbon the letters lie from y 62, row r from 84 + 22 r, column c from 46 + 96 c.
struct TRangeScene {
    TTempFolder Folder;
    std::string Book;
    TRangeScene() {
        std::string rows;
        for (int r = 1; r <= 5; ++r) {
            const std::string n = std::to_string(r);
            rows += "<row r=\"" + n + "\">" + InlineCell("A" + n, "a" + n) + InlineCell("B" + n, "b" + n) +
                    CellXml("C" + n, std::to_string(r * 10)) + InlineCell("D" + n, "d" + n) + "</row>";
        }
        TXlsxFixture().Sheet("Data", rows).WriteTo(Folder / u"Book.xlsx");
        Book = Windows(Folder / u"Book.xlsx");
    }
    std::string Open() const {
        return ScriptStart + "rect Rect1 20 30 600 320\nexec TabulixOpen Rect1 \"" + Book +
               "\" Grid Top No\nexpect-result true\npump 300\n";
    }
    std::string Shot(const std::string& name) const { return Windows(Folder / Utf8ToUtf16(name)); }
    THostRun Run(const std::string& script) const { return RunHostScript(script, Folder.Path()); }
    std::unique_ptr<TXlsxWorkbook> Saved() const {
        auto saved = std::make_unique<TXlsxWorkbook>();
        saved->LoadFromFile(Utf8ToUtf16(Book));
        return saved;
    }
};

// The centre of a cell.
std::string At(int col, int row) { return std::to_string(46 + 96 * col + 48) + " " + std::to_string(84 + 22 * row + 11); }

} // namespace

TEST(RangeByHand, ShiftArrowsDragAndHeadersSelectWhatCtrlCCopies) {
    TRangeScene scene;
    ExpectPassed(scene.Run(scene.Open() +
                           "click Rect1 " + At(0, 0) + "\nclick Rect1 " + At(1, 1) + " shift\n"
                           "key Rect1 C ctrl\n"
                           "expect-clipboard \"a1{TAB}b1{CR}{LF}a2{TAB}b2{CR}{LF}\"\n"
                           "expect-clipboard-html \"<tr><td>a1</td><td>b1</td></tr>\"\n"
                           "key Rect1 VK_RIGHT shift\nkey Rect1 VK_DOWN shift\nkey Rect1 VK_INSERT ctrl\n"
                           "expect-clipboard \"a1{TAB}b1{TAB}10{CR}{LF}a2{TAB}b2{TAB}20{CR}{LF}a3{TAB}b3{TAB}30{CR}{LF}\"\n"
                           "key Rect1 VK_DOWN\nkey Rect1 C ctrl\nexpect-clipboard \"a2{CR}{LF}\"\n" // one cell again
                           "drag Rect1 " + At(1, 2) + " " + At(2, 3) + "\n"
                           "screenshot-rect Rect1 " + scene.Shot("range-drag.png") + "\n"
                           "key Rect1 C ctrl\nexpect-clipboard \"b3{TAB}30{CR}{LF}b4{TAB}40{CR}{LF}\"\n"
                           "click Rect1 300 73\nkey Rect1 C ctrl\n" // the letter C: the column
                           "expect-clipboard \"10{CR}{LF}20{CR}{LF}30{CR}{LF}40{CR}{LF}50{CR}{LF}\"\n"
                           "click Rect1 20 150\nkey Rect1 C ctrl\n" // the number 4: the row
                           "expect-clipboard \"a4{TAB}b4{TAB}40{TAB}d4{CR}{LF}\"\n"
                           "click Rect1 20 73\nkey Rect1 C ctrl\n" // the corner: the sheet
                           "expect-clipboard \"a1{TAB}b1{TAB}10{TAB}d1{CR}{LF}a2{TAB}b2{TAB}20{TAB}d2{CR}{LF}"
                           "a3{TAB}b3{TAB}30{TAB}d3{CR}{LF}a4{TAB}b4{TAB}40{TAB}d4{CR}{LF}a5{TAB}b5{TAB}50{TAB}d5{CR}{LF}\"\n"
                           "click Rect1 " + At(0, 4) + "\nkey Rect1 A ctrl\n" // Ctrl+A, shown with the status
                           "screenshot-rect Rect1 " + scene.Shot("range-all.png") + "\n"));
    KeepScreenshots(scene.Folder.Path(), {u"range-drag.png", u"range-all.png"});
}

TEST(RangeByHand, TextFromASpreadsheetApplicationPastesCellForCell) {
    TRangeScene scene;
    // As spreadsheet applications copy: a field holding a tab, a line break or quotes in quotes.
    ExpectPassed(scene.Run(scene.Open() +
                           "set-clipboard \"Name{TAB}Note{CR}{LF}Plum{TAB}{QUOTE}sweet{TAB}and{LF}ripe{QUOTE}{CR}{LF}"
                           "{QUOTE}{QUOTE}{QUOTE}Kiwi{QUOTE}{QUOTE}{QUOTE}{TAB}1.50{CR}{LF}\"\n"
                           "click Rect1 " + At(1, 1) + "\nkey Rect1 V ctrl\n"
                           "expect-var [LastError] \"\"\n"
                           "key Rect1 C ctrl\n" // the pasted cells are selected
                           "expect-clipboard \"Name{TAB}Note{CR}{LF}Plum{TAB}{QUOTE}sweet{TAB}and{LF}ripe{QUOTE}{CR}{LF}"
                           "{QUOTE}{QUOTE}{QUOTE}Kiwi{QUOTE}{QUOTE}{QUOTE}{TAB}1.5{CR}{LF}\"\n"
                           "set-clipboard \"1{LF}2{LF}3\"\nclick Rect1 " + At(0, 0) + "\nkey Rect1 VK_INSERT shift\n"
                           "exec TabulixSave Rect1 \"\"\nexpect-result true\n"));
    const auto saved = scene.Saved();
    const TXlsxSheet& sheet = saved->Sheet(0);
    EXPECT_EQ(sheet.Text(1, 1), u"Name");
    EXPECT_EQ(sheet.Text(2, 2), u"sweet\tand\nripe");
    EXPECT_EQ(sheet.Text(3, 1), u"\"Kiwi\"");
    EXPECT_EQ(sheet.Text(3, 2), u"1.5");
    EXPECT_EQ(sheet.Kind(3, 2), TCellKind::Number);
    EXPECT_EQ(sheet.Text(2, 0), u"3");
    EXPECT_EQ(sheet.Text(4, 0), u"a5");
}

TEST(RangeByHand, DeleteBoldAndHighlightWorkOnTheWholeRange) {
    TRangeScene scene;
    ExpectPassed(scene.Run(scene.Open() +
                           "click Rect1 " + At(1, 1) + "\nclick Rect1 " + At(2, 3) + " shift\n"
                           "exec TabulixHighlight Rect1 Yellow\nexpect-result true\n"
                           "click Rect1 " + At(0, 0) + "\n" // the highlight shows once the range is gone
                           "pixel Rect1 " + At(1, 1) + " FFFF80\npixel Rect1 " + At(2, 3) + " FFFF80\n"
                           "pixel Rect1 " + At(3, 3) + " FFFFFF\n"
                           "screenshot-rect Rect1 " + scene.Shot("range-highlight.png") + "\n"
                           "click Rect1 " + At(0, 1) + "\nclick Rect1 " + At(1, 2) + " shift\n"
                           "answer-menu Bold\nclick Rect1 100 10\n"
                           "screenshot-rect Rect1 " + scene.Shot("range-bold.png") + "\n"
                           "click Rect1 " + At(2, 0) + "\nclick Rect1 " + At(3, 1) + " shift\nkey Rect1 VK_DELETE\n"
                           "screenshot-rect Rect1 " + scene.Shot("range-delete.png") + "\n"
                           "exec TabulixSave Rect1 \"\"\nexpect-result true\n"));
    const auto saved = scene.Saved();
    EXPECT_EQ(saved->Sheet(0).Text(0, 2), u"");
    EXPECT_EQ(saved->Sheet(0).Text(1, 3), u"");
    EXPECT_EQ(saved->Sheet(0).Text(0, 1), u"b1");
    EXPECT_EQ(saved->Sheet(0).Text(2, 2), u"30");
    KeepScreenshots(scene.Folder.Path(), {u"range-highlight.png", u"range-bold.png", u"range-delete.png"});
}
