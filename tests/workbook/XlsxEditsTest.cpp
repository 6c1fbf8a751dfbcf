#include "base/Error.h"
#include "base/Files.h"
#include "base/Numbers.h"
#include "base/Text.h"
#include "support/XlsxFixture.h"
#include "support/Messages.h"
#include "support/TempFolder.h"
#include "support/ThreadsAllowed.h"
#include "workbook/XlsxEditIndex.h"
#include "workbook/XlsxWorkbook.h"
#include "workbook/XmlHelpers.h"
#include "workbook/ZipPackage.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>

using namespace tabulix;
using namespace tabulix::testing;

namespace {

const std::string Sheet1 = "xl/worksheets/sheet1.xml";

std::string EntryOf(const std::string& package, const std::u16string& name) {
    for (TZipEntry& entry : ReadZipArchive(package)) {
        if (entry.Name == name) return std::move(entry.Bytes);
    }
    return "(missing)";
}

// A workbook loaded from a fixture, with what its first worksheet holds when saved.
class TEditedWorkbook : public TXlsxWorkbook {
public:
    explicit TEditedWorkbook(const TXlsxFixture& fixture) { LoadFromBytes(u"edit.xlsx", fixture.Bytes()); }
    explicit TEditedWorkbook(const std::string& rowsXml) : TEditedWorkbook(TXlsxFixture().Sheet("S", rowsXml)) {}

    // The rows and cells of the first worksheet as the saved package holds them, in order: each row's
    // number and other attributes, then each cell's reference, type, style, formula, value and inline
    // text, e.g. "2 ht=30: A2 t=s s=1 v=0, B2 f=A1*2 v=4; 3: A3 t=inlineStr is=x".
    std::string SavedCells() {
        pugi::xml_document document;
        const std::string part = EntryOf(SaveToBytes(), Utf8ToUtf16(Sheet1));
        document.load_buffer(part.data(), part.size());
        std::string cells;
        for (pugi::xml_node row = FirstChildNamed(FirstChildNamed(RootElement(document), "sheetData"), "row"); row;
             row = row.next_sibling("row")) {
            cells += (cells.empty() ? "" : "; ") + std::string(row.attribute("r").value());
            for (pugi::xml_attribute attribute : row.attributes()) {
                if (std::string_view(attribute.name()) != "r") cells += std::string(" ") + attribute.name() + "=" + attribute.value();
            }
            cells += ":";
            for (pugi::xml_node cell = row.child("c"); cell; cell = cell.next_sibling("c")) {
                cells += std::string(cell == row.child("c") ? " " : ", ") + cell.attribute("r").value();
                for (const char* name : {"t", "s"}) {
                    if (cell.attribute(name)) cells += std::string(" ") + name + "=" + cell.attribute(name).value();
                }
                for (const char* name : {"f", "v"}) {
                    if (cell.child(name)) cells += std::string(" ") + name + "=" + cell.child(name).text().get();
                }
                if (cell.child("is")) cells += std::string(" is=") + cell.child("is").child("t").text().get();
            }
        }
        return cells;
    }
    // What a new load of the saved package shows.
    std::unique_ptr<TXlsxWorkbook> Reloaded() {
        auto reloaded = std::make_unique<TXlsxWorkbook>();
        reloaded->LoadFromBytes(u"again.xlsx", SaveToBytes());
        return reloaded;
    }
    const TXlsxSheet& Grid() const { return Sheet(0); }
    // What is wrong with what the edits know of the sheetData they last changed; empty when nothing is.
    std::string EditIndexFault() const { return FEditIndex ? IndexFault(*FEditIndex) : ""; }
    // The worksheet part replaced by bytes that do not parse, as a part that cannot be opened.
    void BreakPart() { FOriginalEntries.Put(u"xl/worksheets/sheet1.xml", "<worksheet><sheetData>"); }
};

// The texts of a grid, row by row, as far as either of two grids reaches.
std::vector<std::u16string> Texts(const TXlsxSheet& sheet, int32_t rows, int32_t cols) {
    std::vector<std::u16string> texts;
    for (int32_t r = 0; r < rows; ++r) {
        for (int32_t c = 0; c < cols; ++c) texts.emplace_back(sheet.Text(r, c));
    }
    return texts;
}

// What a worksheet part written back must be: rows in strictly ascending order, every cell in its row
// and its row's cells in ascending column order before anything else of the row, no r on anything but
// rows and cells, and sheetData after the elements that must come before it.
std::string PartFault(const std::string& part) {
    pugi::xml_document document;
    if (!document.load_string(part.c_str())) return "does not parse";
    const pugi::xml_node sheetData = FirstChildNamed(RootElement(document), "sheetData");
    if (sheetData.select_node("following-sibling::*[local-name()='sheetViews' or local-name()='cols']")) return "sheetData too early";
    if (sheetData.select_node(".//*[@r][local-name()!='row' and local-name()!='c']")) return "an r on neither a row nor a cell";
    if (sheetData.select_node("*/*[local-name()!='c']/following-sibling::*[local-name()='c']")) return "a cell after an extLst";
    int64_t previousRow = 0;
    for (const pugi::xpath_node& row : sheetData.select_nodes("*")) {
        const int64_t number = row.node().attribute("r") ? row.node().attribute("r").as_llong() : previousRow + 1;
        if (number <= previousRow) return "row " + std::to_string(number) + " after row " + std::to_string(previousRow);
        previousRow = number;
        int32_t previousCol = -1;
        for (const pugi::xpath_node& cell : row.node().select_nodes("*[local-name()='c']")) {
            int32_t col = previousCol + 1;
            int32_t r = int32_t(number - 1);
            if (cell.node().attribute("r")) SplitCellRef(std::string_view(cell.node().attribute("r").value()), col, r);
            if (r != number - 1 || col <= previousCol) return "a cell out of place in row " + std::to_string(number);
            previousCol = col;
        }
    }
    return "";
}

const std::string MainNs = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";

std::string Row(int r, const std::string& cells, const std::string& attributes = "") {
    return "<row r=\"" + std::to_string(r) + "\"" + attributes + ">" + cells + "</row>";
}

} // namespace

TEST(SetCellValue, WritesNumbersInGeneralFormatAndOtherTextsAsInlineStrings) {
    TEditedWorkbook workbook(Row(1, CellXml("A1", "old", "", "3")));
    workbook.SetCellValue(0, 0, 0, u"12");
    EXPECT_EQ(workbook.SavedCells(), "1: A1 t=n s=3 v=12");
    workbook.SetCellValue(0, 0, 0, u"1e5");
    EXPECT_EQ(workbook.SavedCells(), "1: A1 t=n s=3 v=100000");
    EXPECT_EQ(workbook.Grid().Text(0, 0), u"1e5"); // the grid shows what was typed
    workbook.SetCellValue(0, 0, 0, u" 0.50 ");
    EXPECT_EQ(workbook.SavedCells(), "1: A1 t=n s=3 v=0.5");
    workbook.SetCellValue(0, 0, 0, u"1,5");
    EXPECT_EQ(workbook.SavedCells(), "1: A1 t=inlineStr s=3 is=1,5");
    workbook.SetCellValue(0, 0, 0, u"12 kg");
    EXPECT_EQ(workbook.SavedCells(), "1: A1 t=inlineStr s=3 is=12 kg");
    workbook.SetCellValue(0, 0, 0, u"   ");
    EXPECT_EQ(workbook.SavedCells(), "1: A1 t=n s=3");
    EXPECT_EQ(workbook.Grid().Text(0, 0), u"   ");
    workbook.SetCellValue(0, 0, 0, u"INF");
    EXPECT_EQ(workbook.SavedCells(), "1: A1 t=inlineStr s=3 is=INF");
}

TEST(SetCellValue, RemovesAFormulaButKeepsTheStyleAndFindsLowerCaseReferences) {
    TEditedWorkbook workbook(Row(2, "<c r=\"b2\" s=\"7\"><f>SUM(A1:A2)</f><v>3</v></c>"));
    workbook.SetCellValue(0, 1, 1, u"4");
    EXPECT_EQ(workbook.SavedCells(), "2: b2 t=n s=7 v=4");
}

TEST(SetCellValue, NewRowsAndCellsGoInAscendingOrder) {
    TEditedWorkbook workbook(Row(2, CellXml("B2", "b") + CellXml("D2", "d")) + Row(5, CellXml("A5", "a")));
    workbook.SetCellValue(0, 1, 2, u"c");  // C2 between B2 and D2
    workbook.SetCellValue(0, 1, 0, u"a");  // A2 first in its row
    workbook.SetCellValue(0, 2, 0, u"r3"); // row 3 between rows 2 and 5
    workbook.SetCellValue(0, 0, 0, u"r1"); // row 1 before all
    EXPECT_EQ(workbook.SavedCells(), "1: A1 t=inlineStr is=r1; 2: A2 t=inlineStr is=a, B2 v=b, C2 t=inlineStr is=c, D2 v=d; "
                                     "3: A3 t=inlineStr is=r3; 5: A5 v=a");
}

TEST(SetCellValue, LongTextsAndManyEditsKeepEveryText) {
    TEditedWorkbook workbook("");
    const std::u16string longText(40000, u'w'); // a length that takes two units in the pool
    workbook.SetCellValue(0, 0, 0, longText);
    for (int n = 0; n < 3000; ++n) workbook.SetCellValue(0, 1 + n % 3, 0, u"edit " + IntToText(n) + u" " + std::u16string(40, u'x'));
    EXPECT_EQ(workbook.Grid().Text(0, 0), longText);
    EXPECT_EQ(workbook.Grid().Text(3, 0), u"edit 2999 " + std::u16string(40, u'x'));
    EXPECT_EQ(workbook.Grid().Text(1, 0), u"edit 2997 " + std::u16string(40, u'x'));
}

TEST(SetCellValue, FindsRowsAfterStructuralEditsAndInAnyOrder) {
    TEditedWorkbook workbook("<row r=\"3\">" + CellXml("A3", "c") + "</row><row r=\"1\">" + CellXml("A1", "a") + "</row>");
    workbook.SetCellValue(0, 1, 0, u"b"); // before the first row of a greater number
    workbook.InsertRow(0, 0);             // renumbered and put in order
    workbook.SetCellValue(0, 2, 1, u"x");
    workbook.SetCellValue(0, 4, 1, u"y");
    EXPECT_EQ(workbook.SavedCells(),
              "2: A2 v=a; 3: A3 t=inlineStr is=b, B3 t=inlineStr is=x; 4: A4 v=c; 5: B5 t=inlineStr is=y");
}

TEST(SetCellValue, GrowsTheGridAndIgnoresPositionsOutsideTheSheet) {
    TEditedWorkbook workbook("");
    workbook.SetCellValue(0, 149, 0, u"x");
    EXPECT_EQ(workbook.Grid().RowCount, 150);
    workbook.SetCellValue(0, 0, 29, u"y");
    EXPECT_EQ(workbook.Grid().ColCount, 30);
    EXPECT_EQ(workbook.Grid().Text(149, 0), u"x");
    EXPECT_EQ(workbook.Grid().Text(0, 29), u"y");
    workbook.SetCellValue(0, -1, 0, u"no");
    workbook.SetCellValue(0, 0, -1, u"no");
    workbook.SetCellValue(1, 0, 0, u"no");
    workbook.SetCellValue(-1, 0, 0, u"no");
    workbook.SetCellValue(0, int32_t(MaxSheetRows), 0, u"no");
    EXPECT_EQ(workbook.Grid().RowCount, 150);
    EXPECT_EQ(workbook.SavedCells().find("no"), std::string::npos);
}

TEST(SetCellValue, TextsReadBackExactlyAsTyped) {
    TEditedWorkbook workbook("");
    const std::u16string typed[] = {u"tab\tand\r\nbreak", std::u16string(u"bell\x07 nul\0 end", 14), u"_x0041_ stays",
                                    u"\uFFFF\uFFFE", std::u16string(1, char16_t(0xD800)) + u"x", u"  padded  ",
                                    u"emoji \U0001F600"};
    for (int i = 0; i < 7; ++i) workbook.SetCellValue(0, i, 0, typed[i]);
    const auto reloaded = workbook.Reloaded();
    for (int i = 0; i < 7; ++i) EXPECT_EQ(reloaded->Sheet(0).Text(i, 0), typed[i]) << i;
}

TEST(StructuralEdits, InsertRowMovesCellsWithTheirContentStyleAndRowAttributes) {
    TEditedWorkbook workbook(TXlsxFixture()
        .Sheet("S", Row(1, CellXml("A1", "0", "s", "1") + CellXml("B1", "45292", "", "2"), " ht=\"30\" customHeight=\"1\"") +
                    Row(2, CellXml("A2", "1", "b") + "<c r=\"B2\"><f>A1*2</f><v>4</v></c>", " hidden=\"1\"") +
                    Row(2500, CellXml("A2500", "far")) + Row(3, CellXml("GS3", "wide")))
        .SharedStrings({"<t>shared</t>"})
        .Styles(StylesXml({0, 0, 14})));
    workbook.InsertRow(0, 0);
    EXPECT_EQ(workbook.SavedCells(),
              "2 ht=30 customHeight=1: A2 t=s s=1 v=0, B2 s=2 v=45292; 3 hidden=1: A3 t=b v=1, B3 f=A2*2 v=4; "
              "4: GS4 v=wide; 2501: A2501 v=far");
    EXPECT_EQ(workbook.Grid().Text(1, 0), u"shared");
    EXPECT_EQ(workbook.Grid().Text(0, 0), u"");
    const auto reloaded = workbook.Reloaded();
    EXPECT_EQ(reloaded->Sheet(0).Text(1, 1), u"2024-01-01"); // still a date
    EXPECT_EQ(reloaded->Sheet(0).Text(2, 0), u"TRUE");
}

TEST(StructuralEdits, InsertRowClampsAndDeleteRowNeedsTwoRows) {
    TEditedWorkbook workbook(Row(1, CellXml("A1", "a")) + Row(2, CellXml("A2", "b")));
    workbook.InsertRow(0, -5);
    EXPECT_EQ(workbook.Grid().RowCount, 3);
    EXPECT_EQ(workbook.Grid().Text(1, 0), u"a");
    workbook.InsertRow(0, 99);
    EXPECT_EQ(workbook.Grid().RowCount, 4);
    EXPECT_EQ(workbook.Grid().Text(2, 0), u"b");
    workbook.DeleteRow(0, 1); // the row holding a
    EXPECT_EQ(workbook.Grid().Text(1, 0), u"b");
    EXPECT_EQ(workbook.SavedCells(), "2: A2 v=b");
    workbook.DeleteRow(0, 2);
    workbook.DeleteRow(0, 7);  // beyond: nothing
    workbook.DeleteRow(0, -1); // before: nothing
    EXPECT_EQ(workbook.Grid().RowCount, 2);

    TEditedWorkbook single(Row(1, CellXml("A1", "only")));
    single.DeleteRow(0, 0);
    single.DeleteColumn(0, 0);
    EXPECT_EQ(single.Grid().RowCount, 1);
    EXPECT_EQ(single.Grid().ColCount, 1);
    EXPECT_EQ(single.Grid().Text(0, 0), u"only");
}

TEST(StructuralEdits, ColumnsMoveWithinEveryRow) {
    TEditedWorkbook workbook(Row(1, CellXml("A1", "a") + CellXml("B1", "b", "", "4") + CellXml("C1", "c"), " spans=\"1:3\"") +
                             Row(2, CellXml("B2", "b2")));
    workbook.InsertColumn(0, 1);
    EXPECT_EQ(workbook.SavedCells(), "1: A1 v=a, C1 s=4 v=b, D1 v=c; 2: C2 v=b2");
    EXPECT_EQ(workbook.Grid().ColCount, 4);
    EXPECT_EQ(workbook.Grid().Text(0, 1), u"");
    EXPECT_EQ(workbook.Grid().Text(0, 2), u"b");
    workbook.DeleteColumn(0, 0);
    EXPECT_EQ(workbook.SavedCells(), "1: B1 s=4 v=b, C1 v=c; 2: B2 v=b2");
    EXPECT_EQ(workbook.Grid().Text(0, 0), u"");
    EXPECT_EQ(workbook.Grid().Text(0, 1), u"b");
}

TEST(StructuralEdits, ASharedGroupWhoseFirstCellIsDeletedGoesOnFromItsNextCell) {
    TEditedWorkbook workbook(Row(1, "<c r=\"A1\"><f>1+1</f><v>2</v></c>") +
                             Row(2, "<c r=\"A2\"><f t=\"shared\" ref=\"A2:A4\" si=\"0\">A1+1</f><v>3</v></c>") +
                             Row(3, "<c r=\"A3\"><f t=\"shared\" si=\"0\"/><v>4</v></c>"));
    workbook.DeleteRow(0, 1); // A2 goes, A3 moves up: it read A2+1, a cell that is gone
    EXPECT_EQ(workbook.SavedCells(), "1: A1 f=1+1 v=2; 2: A2 t=e f=#REF!+1 v=#REF!");
    EXPECT_EQ(workbook.Grid().Text(1, 0), u"#REF!");
}

TEST(StructuralEdits, RefusedWithoutChangeWhenTheSheetHasNoRoomLeft) {
    TEditedWorkbook workbook(Row(1, CellXml("A1", "a") + CellXml("XFD1", "edge")));
    const std::string before = workbook.SavedCells();
    EXPECT_THROW(workbook.InsertColumn(0, 0), TTabulixError);
    EXPECT_EQ(workbook.SavedCells(), before);
    EXPECT_EQ(workbook.Grid().ColCount, 200);
    EXPECT_EQ(workbook.Grid().Text(0, 0), u"a");
    TEditedWorkbook tall(Row(1, CellXml("A1", "a")) + Row(1048576, CellXml("A1048576", "last")));
    EXPECT_THROW(tall.InsertRow(0, 0), TTabulixError);
    EXPECT_EQ(tall.Grid().RowCount, 2000);
}

TEST(StructuralEdits, RoomIsJudgedByWhatEarlierEditsLeft) {
    // Each edit after the first judges the room left without reading every cell again: what earlier
    // edits moved, added or removed must count.
    TEditedWorkbook rows(Row(1, CellXml("A1", "a")) + Row(1048574, CellXml("A1048574", "near")));
    rows.InsertRow(0, 0);                   // the far cell to row 1048575
    rows.SetCellValue(0, 0, 1, u"b");
    rows.InsertRow(0, 0);                   // to 1048576, the last row
    EXPECT_THROW(rows.InsertRow(0, 0), TTabulixError);
    rows.DeleteRow(0, 0);                   // room again
    EXPECT_NO_THROW(rows.InsertRow(0, 5));

    TEditedWorkbook cols(Row(1, CellXml("A1", "a")));
    cols.InsertColumn(0, 0);
    cols.SetCellValue(0, 0, 16383, u"edge"); // a cell set in the last column
    EXPECT_THROW(cols.InsertColumn(0, 0), TTabulixError);
    EXPECT_EQ(cols.Grid().Text(0, 16383), u"edge");
}

TEST(StructuralEdits, AFormulaLeftInPlaceByOneEditMovesWithTheNext) {
    TEditedWorkbook workbook(Row(1, "<c r=\"A1\"><f>1+1</f><v>2</v></c>") + Row(2, CellXml("A2", "x")));
    workbook.InsertRow(0, 1); // below the formula, which stays
    workbook.InsertRow(0, 0); // above it: it moves with its value
    EXPECT_EQ(workbook.SavedCells(), "2: A2 f=1+1 v=2; 4: A4 v=x");
}

TEST(SetCellValue, SeesRowsAddedThroughThePartDocument) {
    TEditedWorkbook workbook(Row(1, CellXml("A1", "a")));
    workbook.SetCellValue(0, 0, 1, u"b");
    pugi::xml_node sheetData = FirstChildNamed(RootElement(*workbook.GetPartDocument(u"xl/worksheets/sheet1.xml")), "sheetData");
    sheetData.append_child("row").append_attribute("r").set_value("7");
    workbook.SetCellValue(0, 6, 0, u"x");
    EXPECT_EQ(workbook.SavedCells(), "1: A1 v=a, B1 t=inlineStr is=b; 7: A7 t=inlineStr is=x");
}

TEST(SortByColumn, NumbersAsNumbersTextsIgnoringLetterCase) {
    TEditedWorkbook numbers(Row(1, CellXml("A1", "Head")) + Row(2, CellXml("A2", "10")) + Row(3, CellXml("A3", "9")) +
                            Row(4, CellXml("A4", "100")));
    numbers.SortByColumn(0, 0, true, true);
    EXPECT_EQ(numbers.Grid().Text(0, 0), u"Head");
    EXPECT_EQ(numbers.Grid().Text(1, 0), u"9");
    EXPECT_EQ(numbers.Grid().Text(2, 0), u"10");
    EXPECT_EQ(numbers.Grid().Text(3, 0), u"100");

    TEditedWorkbook texts(Row(1, CellXml("A1", "cherry")) + Row(2, CellXml("A2", "apple")) + Row(3, CellXml("A3", "Banana")));
    texts.SortByColumn(0, 0, true, false);
    EXPECT_EQ(texts.Grid().Text(0, 0), u"apple");
    EXPECT_EQ(texts.Grid().Text(1, 0), u"Banana");
    EXPECT_EQ(texts.Grid().Text(2, 0), u"cherry");
    texts.SortByColumn(0, 0, false, false);
    EXPECT_EQ(texts.Grid().Text(0, 0), u"cherry");
}

TEST(SortByColumn, StableAndMovesWholeRowElementsInOrder) {
    TEditedWorkbook workbook(Row(1, CellXml("A1", "k") + CellXml("B1", "h")) +
                             Row(2, CellXml("A2", "b") + CellXml("B2", "first") + CellXml("GZ2", "beyond")) +
                             Row(3, CellXml("A3", "a") + CellXml("B3", "x", "", "2"), " ht=\"20\"") +
                             Row(4, CellXml("A4", "b") + CellXml("B4", "second")) + Row(2100, CellXml("A2100", "stays")));
    // Descending, so that the empty rows of the 2000-row grid sort after these.
    workbook.SortByColumn(0, 0, false, true);
    EXPECT_EQ(workbook.Grid().Text(1, 1), u"first");
    EXPECT_EQ(workbook.Grid().Text(2, 1), u"second");
    EXPECT_EQ(workbook.Grid().Text(3, 1), u"x");
    EXPECT_EQ(workbook.SavedCells(),
              "1: A1 v=k, B1 v=h; 2: A2 v=b, B2 v=first, GZ2 v=beyond; 3: A3 v=b, B3 v=second; "
              "4 ht=20: A4 v=a, B4 s=2 v=x; 2100: A2100 v=stays");
}

TEST(SortByColumn, MixedColumnsFollowTheAdjacentSwapProcedure) {
    // 5 and "a" compare as texts, "a" and 3 as texts, 5 and 3 never meet in the first pass.
    TEditedWorkbook workbook(Row(1, CellXml("A1", "5")) + Row(2, CellXml("A2", "a")) + Row(3, CellXml("A3", "3")) +
                             Row(4, CellXml("A4", "")));
    workbook.SortByColumn(0, 0, true, false);
    std::u16string order;
    for (int r = 0; r < 4; ++r) (order += workbook.Grid().Text(r, 0)) += u",";
    EXPECT_EQ(order, u",3,5,a,");
    workbook.SortByColumn(0, 5, true, false); // no such column: nothing
    workbook.SortByColumn(0, -1, true, false);
    EXPECT_EQ(workbook.Grid().Text(1, 0), u"3");
}

TEST(SortByColumn, MovedCellsReferencesReadAsAMoveWritesThem) {
    // A lower-case reference and a cell without one, in a row sorted away and back; a cell set in a
    // moved row finds its cell.
    TEditedWorkbook workbook(Row(1, "<c r=\"a1\"><v>2</v></c><c><v>x</v></c>") + Row(2, CellXml("A2", "1")));
    workbook.SortByColumn(0, 0, true, false);
    workbook.SortByColumn(0, 0, false, false);
    workbook.SetCellValue(0, 0, 1, u"y");
    EXPECT_EQ(workbook.SavedCells(), "1: A1 v=2, B1 t=inlineStr is=y; 2: A2 v=1");
}

TEST(SortByColumn, ReferencesLeftForLaterAreWrittenBeforeAnythingReadsThem) {
    TEditedWorkbook workbook(TXlsxFixture()
        .Sheet("S", Row(1, CellXml("A1", "2")) + Row(2, CellXml("A2", "1")) + Row(3, CellXml("A3", "3")))
        .Sheet("T", ""));
    const auto savedColumn = [&workbook] {
        const auto reloaded = workbook.Reloaded();
        std::u16string column;
        for (int r = 0; r < reloaded->Sheet(0).RowCount; ++r) (column += reloaded->Sheet(0).Text(r, 0)) += u",";
        return column;
    };
    workbook.SortByColumn(0, 0, true, false);
    EXPECT_EQ(savedColumn(), u"1,2,3,"); // by saving
    workbook.SortByColumn(0, 0, false, false);
    workbook.DeleteRow(0, 0); // by another structural edit
    EXPECT_EQ(savedColumn(), u"2,1,");
    workbook.SortByColumn(0, 0, true, false);
    workbook.SetCellValue(1, 0, 0, u"t"); // by an edit of another sheet
    EXPECT_EQ(savedColumn(), u"1,2,");
}

TEST(StructuralEdits, ACellNamingAnotherRowMovesByItsOwnReference) {
    TEditedWorkbook workbook(Row(2, CellXml("A5", "x")) + Row(3, CellXml("A3", "y")));
    workbook.InsertRow(0, 3); // before row 4: the rows stay, the cell of row 5 moves
    EXPECT_EQ(workbook.SavedCells(), "2: A6 v=x; 3: A3 v=y");
}

TEST(StructuralEdits, UnusualSheetShapesStayValidAndReloadAsShown) {
    // Rows and cells as streaming writers leave them (without r), a row's extLst, rows out of order, a
    // worksheet without sheetData: every edit leaves a part that reloads to the grid it shows.
    const std::map<std::string, std::string> shapes = {
        {"without r", "<sheetData><row><c><v>1</v></c><c><v>2</v></c></row><row><c><v>3</v></c></row>"
                      "<row r=\"5\"><c><v>5</v></c></row><row><c r=\"C6\"><v>6</v></c><c><v>7</v></c></row></sheetData>"},
        {"row extLst", "<sheetData><row r=\"1\"><c r=\"A1\"><v>1</v></c><c r=\"B1\"><v>2</v></c>"
                       "<extLst><ext uri=\"u\"/></extLst></row><row r=\"2\"><extLst><ext uri=\"v\"/></extLst></row>"
                       "<row r=\"3\"><c r=\"B3\"><v>3</v></c></row></sheetData>"},
        {"out of order", "<sheetData><row r=\"3\"><c r=\"A3\"><v>3</v></c></row><row r=\"1\"><c r=\"A1\"><v>1</v></c></row>"
                         "<row><c r=\"B2\"><v>2</v></c></row></sheetData>"},
        {"no sheetData", "<sheetViews/><cols><col min=\"1\" max=\"1\"/></cols><pageMargins/>"},
        {"formulas", "<sheetData><row r=\"1\"><c r=\"A1\"><v>1</v></c><c><f>A1*2</f><v>2</v></c><c r=\"C1\"><v>3</v></c></row>"
                     "<row><c><f>1</f><v>1</v></c><c><f>B1+1</f><v>3</v></c></row>"
                     "<row r=\"4\"><c r=\"A4\"><f t=\"shared\" ref=\"A4:A5\" si=\"0\">B1</f><v>2</v></c></row>"
                     "<row r=\"5\"><c r=\"A5\"><f t=\"shared\" si=\"0\"/><v>3</v></c><c r=\"D5\"><f>A5</f><v>3</v></c></row></sheetData>"},
    };
    const std::vector<std::pair<std::string, std::function<void(TXlsxWorkbook&)>>> edits = {
        {"set", [](TXlsxWorkbook& w) { w.SetCellValue(0, 1, 0, u"x"); w.SetCellValue(0, 0, 2, u"y"); w.SetCellValue(0, 3, 1, u"z"); }},
        {"insert row", [](TXlsxWorkbook& w) { w.InsertRow(0, 0); }},
        {"insert row, set", [](TXlsxWorkbook& w) { w.InsertRow(0, 1); w.SetCellValue(0, 2, 3, u"x"); }},
        {"insert column", [](TXlsxWorkbook& w) { w.InsertColumn(0, 0); }},
        {"delete row", [](TXlsxWorkbook& w) { w.DeleteRow(0, 0); }},
        {"delete column", [](TXlsxWorkbook& w) { w.DeleteColumn(0, 0); }},
        {"sort", [](TXlsxWorkbook& w) { w.SortByColumn(0, 0, false, false); }},
        {"sort, set, sort", [](TXlsxWorkbook& w) { w.SortByColumn(0, 0, false, false); w.SetCellValue(0, 0, 1, u"x"); w.SortByColumn(0, 1, true, true); }},
        {"insert row, delete column, sort, insert row", [](TXlsxWorkbook& w) {
             w.InsertRow(0, 0); w.DeleteColumn(0, 0); w.SortByColumn(0, 0, true, false); w.InsertRow(0, 2); }},
    };
    for (const auto& [shape, part] : shapes) {
        for (const auto& [name, edit] : edits) {
            SCOPED_TRACE(shape + ", " + name);
            TEditedWorkbook workbook(TXlsxFixture().Sheet("S", "").Entry(Sheet1, "<worksheet xmlns=\"" + MainNs + "\">" + part + "</worksheet>"));
            edit(workbook);
            EXPECT_EQ(workbook.EditIndexFault(), "");
            const std::string saved = workbook.SaveToBytes();
            EXPECT_EQ(PartFault(EntryOf(saved, Utf8ToUtf16(Sheet1))), "");
            TXlsxWorkbook reloaded;
            reloaded.LoadFromBytes(u"again.xlsx", saved);
            const int32_t rows = std::max(workbook.Grid().RowCount, reloaded.Sheet(0).RowCount);
            const int32_t cols = std::max(workbook.Grid().ColCount, reloaded.Sheet(0).ColCount);
            EXPECT_EQ(Texts(reloaded.Sheet(0), rows, cols), Texts(workbook.Grid(), rows, cols));
        }
    }
}

TEST(StructuralEdits, ChartSheetsAreListedButNeverEdited) {
    const std::string chart = "<chartsheet xmlns=\"" + MainNs + "\"><sheetPr/><drawing/></chartsheet>";
    TEditedWorkbook workbook(TXlsxFixture().Sheet("Data", Row(1, CellXml("A1", "1"))).Sheet("Chart", "")
                                 .Entry("xl/worksheets/sheet2.xml", chart));
    ASSERT_EQ(workbook.SheetCount(), 2);
    EXPECT_FALSE(workbook.Sheet(1).IsWorksheet);
    EXPECT_EQ(workbook.Sheet(1).RowCount, 0);
    const std::u16string refusal = u"The sheet \"Chart\" holds a chart, not a worksheet, and cannot be edited.";
    EXPECT_EQ(MessageOf([&] { workbook.SetCellValue(1, 0, 0, u"x"); }), refusal);
    EXPECT_EQ(MessageOf([&] { workbook.InsertRow(1, 0); }), refusal);
    EXPECT_EQ(MessageOf([&] { workbook.DeleteRow(1, 0); }), refusal);
    EXPECT_EQ(MessageOf([&] { workbook.InsertColumn(1, 0); }), refusal);
    EXPECT_EQ(MessageOf([&] { workbook.DeleteColumn(1, 5); }), refusal);
    EXPECT_EQ(MessageOf([&] { workbook.SortByColumn(1, 0, true, true); }), refusal);
    EXPECT_EQ(MessageOf([&] { workbook.SetCellFormatting(1, 0, 0, TFormattingChange{true, {}, {}, {}}); }), refusal);
    workbook.SetCellValue(0, 0, 1, u"data is edited");
    EXPECT_EQ(workbook.Sheet(1).RowCount, 0);
    EXPECT_EQ(EntryOf(workbook.SaveToBytes(), u"xl/worksheets/sheet2.xml"), chart);
}

TEST(StructuralEdits, AnEditWhosePartCannotBeOpenedChangesNothing) {
    // The part fails to open on the first edit of each kind: the grid and the package stay exactly as
    // they were, and the next edit lands where it should.
    const std::vector<std::pair<std::string, std::function<void(TXlsxWorkbook&)>>> edits = {
        {"set", [](TXlsxWorkbook& w) { w.SetCellValue(0, 5, 7, u"x"); }},
        {"insert row", [](TXlsxWorkbook& w) { w.InsertRow(0, 0); }},
        {"delete row", [](TXlsxWorkbook& w) { w.DeleteRow(0, 0); }},
        {"insert column", [](TXlsxWorkbook& w) { w.InsertColumn(0, 0); }},
        {"delete column", [](TXlsxWorkbook& w) { w.DeleteColumn(0, 0); }},
        {"sort", [](TXlsxWorkbook& w) { w.SortByColumn(0, 0, true, false); }},
        {"format", [](TXlsxWorkbook& w) { w.SetCellFormatting(0, 1, 1, TFormattingChange{true, {}, {}, {}}); }},
    };
    for (const auto& [name, edit] : edits) {
        SCOPED_TRACE(name);
        TEditedWorkbook workbook(Row(1, CellXml("A1", "b") + CellXml("B1", "1")) + Row(2, CellXml("A2", "a") + CellXml("B2", "2")));
        workbook.BreakPart();
        const std::vector<std::u16string> grid = Texts(workbook.Grid(), 2, 2);
        const std::string package = workbook.SaveToBytes();
        EXPECT_THROW(edit(workbook), TTabulixError);
        EXPECT_EQ(workbook.Grid().RowCount, 2);
        EXPECT_EQ(workbook.Grid().ColCount, 2);
        EXPECT_EQ(Texts(workbook.Grid(), 2, 2), grid);
        EXPECT_EQ(workbook.SaveToBytes(), package);
    }

    TEditedWorkbook missing(TXlsxFixture().Sheet("Gone", "").Without(Sheet1));
    const std::string package = missing.SaveToBytes();
    const std::u16string refusal = u"The sheet \"Gone\" cannot be edited: the workbook has no worksheet part for it.";
    EXPECT_EQ(MessageOf([&] { missing.SetCellValue(0, 0, 0, u"shown but never saved"); }), refusal);
    EXPECT_EQ(MessageOf([&] { missing.InsertRow(0, 0); }), refusal);
    EXPECT_EQ(missing.Grid().RowCount, 0);
    EXPECT_EQ(missing.SaveToBytes(), package);
}

// Where threads are allowed, the shared strings and the sheets to edit are read side by side, and a
// sheet of several chunks is deflated on them: the same grids, the same saved parts and the same first
// failure as reading and writing in turn.
TEST(LoadToEdit, ReadingSideBySideGivesWhatReadingInTurnGives) {
    TTempFolder folder;
    const auto good = folder / u"good.xlsx";
    const auto damaged = folder / u"damaged.xlsx";
    std::string manyRows;
    for (int r = 3; r <= 4000; ++r) {
        std::string cells;
        for (int c = 0; c < 8; ++c) {
            cells += CellXml(std::string(1, char('A' + c)) + std::to_string(r), std::to_string(r * 7919 % 100003) + "." + std::to_string(c + 1));
        }
        manyRows += Row(r, cells);
    }
    TXlsxFixture()
        .SharedStrings({"<t>one</t>", "<t>two</t>"})
        .Sheet("S", Row(1, CellXml("A1", "0", "s") + CellXml("B1", "1", "s")) + Row(2, CellXml("A2", "5")) + manyRows)
        .Sheet("T", Row(1, CellXml("A1", "1", "s")))
        .WriteTo(good);
    const auto twoDamaged = folder / u"two-damaged.xlsx";
    TXlsxFixture().SharedStrings({"<t>unclosed"}).Sheet("S", "<row r=\"1\"><c").WriteTo(damaged);
    TXlsxFixture().Sheet("S", "<row r=\"1\"><c").Sheet("T", "<row").WriteTo(twoDamaged);
    std::vector<std::vector<TZipEntry>> saved;
    std::vector<std::u16string> failures, firstSheetFailures;
    for (const unsigned threads : {1u, 2u}) {
        const TThreadsAllowed allowed(threads);
        TXlsxWorkbook workbook;
        workbook.LoadFromFileToEdit(PathToText(good), {0, 1});
        EXPECT_EQ(Texts(workbook.Sheet(0), 2, 2), (std::vector<std::u16string>{u"one", u"two", u"5", u""}));
        EXPECT_EQ(Texts(workbook.Sheet(1), 1, 1), (std::vector<std::u16string>{u"two"}));
        workbook.InsertRow(0, 0);
        workbook.SetCellValue(1, 0, 0, u"t");
        saved.push_back(ReadZipArchive(workbook.SaveToBytes()));
        failures.push_back(MessageOf([&] { TXlsxWorkbook().LoadFromFileToEdit(PathToText(damaged), {0}); }));
        // The second sheet, to edit, is parsed first; the first sheet's failure is still the one told.
        firstSheetFailures.push_back(MessageOf([&] { TXlsxWorkbook().LoadFromFileToEdit(PathToText(twoDamaged), {1}); }));
    }
    ASSERT_EQ(saved[0].size(), saved[1].size());
    for (size_t i = 0; i < saved[0].size(); ++i) EXPECT_EQ(saved[0][i].Bytes, saved[1][i].Bytes) << i;
    EXPECT_EQ(failures[1], failures[0]);
    EXPECT_NE(failures[0].find(u"sharedStrings"), std::u16string::npos) << Utf16ToUtf8(failures[0]);
    EXPECT_EQ(firstSheetFailures[1], firstSheetFailures[0]);
    EXPECT_NE(firstSheetFailures[0].find(u"sheet1.xml"), std::u16string::npos) << Utf16ToUtf8(firstSheetFailures[0]);
}

TEST(LoadToEdit, ADocumentParsedWhileLoadingServesTheFirstEditOfItsSheetOnly) {
    TTempFolder folder;
    const auto file = folder / u"edit.xlsx";
    const std::string package = TXlsxFixture()
                                    .Sheet("S", Row(1, CellXml("A1", "a")) + Row(1048576, CellXml("A1048576", "last")))
                                    .Sheet("T", Row(2, CellXml("B2", "t")))
                                    .Bytes();
    WriteFileBytes(file, package);
    TXlsxWorkbook plain;
    plain.LoadFromBytes(u"plain.xlsx", package);
    TXlsxWorkbook workbook;
    workbook.LoadFromFileToEdit(PathToText(file), {0, 1, 7});
    // The grids a plain load gives, and nothing written for documents that no edit opened.
    for (int32_t s = 0; s < 2; ++s) EXPECT_EQ(Texts(workbook.Sheet(s), 2, 2), Texts(plain.Sheet(s), 2, 2));
    EXPECT_EQ(workbook.Sheet(0).RowCount, plain.Sheet(0).RowCount);
    EXPECT_EQ(workbook.SaveToBytes(), plain.SaveToBytes());
    // A refused edit drops the document it took, and the next edit reads the part as it is.
    for (TXlsxWorkbook* each : {&workbook, &plain}) {
        EXPECT_THROW(each->InsertRow(0, 0), TTabulixError);
        each->SetCellValue(0, 0, 1, u"b");
    }
    EXPECT_EQ(workbook.SaveToBytes(), plain.SaveToBytes());
    // A deleted sheet takes its document along: a new sheet given the same part starts blank.
    workbook.DeleteSheet(1);
    ASSERT_EQ(workbook.AddSheet(u"New"), 1);
    ASSERT_EQ(workbook.Sheet(1).PartName, u"xl/worksheets/sheet2.xml");
    workbook.SetCellValue(1, 0, 0, u"n");
    TXlsxWorkbook again;
    again.LoadFromBytes(u"again.xlsx", workbook.SaveToBytes());
    EXPECT_EQ(Texts(again.Sheet(1), 2, 2), (std::vector<std::u16string>{u"n", u"", u"", u""}));
}
