// The viewer shows cells as their number formats show them, finds them by either text, and edits the
// text the file stores; driven through its messages, as Windows and the reader would.
#include "viewer/ViewerFixture.h"

using namespace tabulix;
using namespace tabulix::testing;

namespace {

intptr_t At(int32_t x, int32_t y) { return intptr_t(uint32_t(uint16_t(x)) | (uint32_t(uint16_t(y)) << 16)); }

// Row 1 of a worksheet: currency, a red negative section, accounting (a fill), a date too large to show,
// a percentage.
std::string FormattedRow() {
    return "<row r=\"1\">" + CellXml("A1", "1234.5", "", "1") + CellXml("B1", "-2", "", "2") + CellXml("C1", "12", "", "3") +
           CellXml("D1", "2958466", "", "4") + CellXml("E1", "0.5", "", "5") + "</row>";
}

class ViewerShownText : public Viewer {
protected:
    std::u16string FormattedWorkbook() {
        const auto path = FFolder / u"formats.xlsx";
        TXlsxFixture()
            .Styles(StylesXml({0, 164, 165, 44, 14, 166}, {{164, "\"$\"#,##0.00"}, {165, "0.0;[Red]-0.0"}, {166, "0.0%"}}))
            .Sheet("Formats", FormattedRow())
            .WriteTo(path);
        return PathToText(path);
    }
    // The rectangle of cell col in row 1, in the 800 x 300 viewer with the ribbon on top.
    static TRect FirstRowCell(int32_t col) { return TRect{46 + 96 * col, 84, 142 + 96 * col, 106}; }
    void Click(int32_t x, int32_t y) { FViewer->HandleMessage(messages::LeftButtonDown, 1, At(x, y)); }
    TWindowHandle EditBox() const { return FWindows.ChildOfKind(TScriptedWindow::TKind::CellEditor); }
    TWindowHandle FindBox() const { return FWindows.ChildOfKind(TScriptedWindow::TKind::FindBox); }
    void Find(const std::u16string& text) {
        if (!FindBox()) {
            FWindows.MenuAnswers = {1700}; // Review > Find
            Click(80 * 5 + 20, 10);
        }
        ASSERT_NE(FindBox(), nullptr);
        FWindows.SetText(FindBox(), text);
        EXPECT_TRUE(FViewer->HandleFindBoxKey(keys::Return));
    }
    bool IsSelected(int32_t col) {
        Painted();
        const TDrawCall* fill = FillAt(FirstRowCell(col));
        return fill && fill->Color == Selection;
    }
};

} // namespace

TEST_F(ViewerShownText, CellsPaintFindAndEditAsTheirFormatsShowThem) {
    MakeViewer(800, 300).LoadWorkbook(FormattedWorkbook());
    const TRecordingCanvas& canvas = Painted();
    ASSERT_NE(canvas.TextCall(u"$1,234.50"), nullptr);
    ASSERT_NE(canvas.TextCall(u"-2.0"), nullptr);
    EXPECT_EQ(canvas.TextCall(u"-2.0")->Color, RgbColor(255, 0, 0));
    EXPECT_EQ(canvas.TextCall(u"$1,234.50")->Color, RgbColor(0, 0, 0));
    // The fill character takes the room the text leaves in the cell's 88 pixels, 7 pixels a character.
    EXPECT_NE(canvas.TextCall(u" $    12.00 "), nullptr);
    EXPECT_NE(canvas.TextCall(u"############"), nullptr);
    EXPECT_NE(canvas.TextCall(u"50.0%"), nullptr);

    Find(u"1,234");
    EXPECT_TRUE(IsSelected(0));
    Find(u"-2"); // the stored text of B1, the shown one too
    EXPECT_TRUE(IsSelected(1));
    Find(u"2958466"); // stored only: the cell shows ####
    EXPECT_TRUE(IsSelected(3));
    Find(u"%");
    EXPECT_TRUE(IsSelected(4));
    EXPECT_TRUE(FHost.Errors.empty());

    // The edit box holds what the file stores; a number typed into the cell shows through its format.
    FViewer->HandleMessage(messages::KeyDown, keys::Return, 0);
    ASSERT_NE(EditBox(), nullptr);
    EXPECT_EQ(FWindows.Window(EditBox())->Text, u"0.5");
    FWindows.SetText(EditBox(), u"0.2");
    Click(20, 150); // a row number: the box stores its text
    EXPECT_EQ(EditBox(), nullptr);
    EXPECT_NE(Painted().TextCall(u"20.0%"), nullptr);
}
