// The text each cell shows through its style's number format, beside the text the file stores, after
// loading and after every kind of edit.
#include "support/XlsxFixture.h"
#include "workbook/XlsxWorkbook.h"

#include <gtest/gtest.h>

#include <tuple>

using namespace tabulix;
using namespace tabulix::testing;

namespace {

constexpr uint32_t Red = 0x0000FF; // red in the lowest byte

// The cellXfs of the workbooks below, by index: 0 General, 1 #,##0.00, 2 0.0%, 3 a red negative
// section, 4 h:mm:ss, 5 a text section, 6 id 20 (a built-in time) given a code of its own, 7 a date
// code under an id below 164, 8 m/d/yyyy.
std::string Styles() {
    return StylesXml({0, 4, 166, 164, 21, 165, 20, 100, 14},
                     {{164, "0.00;[Red]-0.00"}, {165, "@\" units\""}, {166, "0.0%"}, {20, "0.0"}, {100, "yyyy-mm-dd"}});
}

std::unique_ptr<TXlsxWorkbook> Load(const TXlsxFixture& fixture) {
    auto workbook = std::make_unique<TXlsxWorkbook>();
    workbook->LoadFromBytes(u"shown.xlsx", fixture.Bytes());
    return workbook;
}

std::string Row(int number, const std::vector<std::string>& cells) {
    std::string xml = "<row r=\"" + std::to_string(number) + "\">";
    for (const std::string& cell : cells) xml += cell;
    return xml + "</row>";
}

} // namespace

TEST(ShownText, EveryKindOfValueThroughItsStyle) {
    const std::string inlineText = R"(<c r="L1" s="5" t="inlineStr"><is><t>kg</t></is></c>)";
    const auto workbook = Load(TXlsxFixture().Styles(Styles()).SharedStrings({"<t>kg</t>"}).Sheet("S",
        Row(1, {CellXml("A1", "1234.5", "", "1"), CellXml("B1", "0.125", "", "2"), CellXml("C1", "-2.5", "", "3"),
                CellXml("D1", "0.50001157407407407", "", "4"), CellXml("E1", "0", "s", "5"), CellXml("F1", "0.5", "", "6"),
                CellXml("G1", "45292", "", "7"), CellXml("H1", "3.14159265358979"), CellXml("I1", "1", "b", "1"),
                CellXml("J1", "#N/A", "e", "1"), CellXml("K1", "12", "str", "1"), inlineText, CellXml("M1", "0.5", "", "99"),
                CellXml("N1", "abc", "", "2"), R"(<c r="O1" s="5"/>)", CellXml("P1", "2958466", "", "8"),
                CellXml("Q1", "-1", "", "8"), CellXml("R1", "1990-01-01T12:00:00Z", "d", "8"),
                CellXml("S1", "1900-02-29", "d", "8"), CellXml("T1", "1900-02-30", "d", "8")})));
    const struct {
        int32_t Col;
        std::u16string Stored, Shown;
    } cases[] = {
        {0, u"1234.5", u"1,234.50"},
        {1, u"0.125", u"12.5%"},
        {2, u"-2.5", u"-2.50"},
        {3, u"1899-12-30 12:00", u"12:00:01"},  // the serial kept beside the date text
        {4, u"kg", u"kg units"},                // a shared string through the text section
        {5, u"1899-12-30 12:00", u"0.5"},       // a time by its id, shown by the code the workbook gives it
        {6, u"45292", u"2024-01-01"},           // a date code below id 164: the stored text is no date
        {7, u"3.14159265358979", u"3.141592654"}, // General in 11 characters
        {8, u"TRUE", u"TRUE"},
        {9, u"#N/A", u"#N/A"},
        {10, u"12", u"12"},                     // a formula's text is text
        {11, u"kg", u"kg units"},
        {12, u"0.5", u"0.5"},                   // a style beyond the list: General
        {13, u"abc", u"abc"},                   // a number cell whose value is no number
        {14, u"", u""},                         // a styled empty cell shows nothing, text section or not
        {15, u"2958466", u"#"},                 // past 9999-12-31: filled with #
        {16, u"-1", u"#"},
        {17, u"1990-01-01T12:00:00Z", u"1/1/1990"}, // a date cell: its ISO date stored, shown by its style
        {18, u"1900-02-29", u"2/29/1900"},
        {19, u"1900-02-30", u"1900-02-30"},
    };
    const TXlsxSheet& sheet = workbook->Sheet(0);
    for (const auto& expected : cases) {
        EXPECT_EQ(sheet.Text(0, expected.Col), expected.Stored) << expected.Col;
        EXPECT_EQ(workbook->ShownText(0, 0, expected.Col).Text, expected.Shown) << expected.Col;
    }
    EXPECT_EQ(workbook->ShownText(0, 0, 2).Color, Red);
    EXPECT_FALSE(workbook->ShownText(0, 0, 0).Color);
    EXPECT_EQ(workbook->ShownText(0, 0, 15).Fill, u'#');
    EXPECT_EQ(sheet.StyleIndex(0, 12), 99);
    EXPECT_EQ(sheet.StyleIndex(0, 7), 0);
    for (auto [sheetIndex, row, col] : {std::tuple{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, 0, 20}, {0, -1, 0}}) {
        EXPECT_EQ(workbook->ShownText(sheetIndex, row, col).Text, u"");
    }

    // A workbook that counts from 1904, and one whose cellXfs has no styles at all.
    const std::string date1904 = R"(<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" )"
                                 R"(xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">)"
                                 R"(<workbookPr date1904="1"/><sheets><sheet name="S" sheetId="1" r:id="rId1"/></sheets></workbook>)";
    const auto counted1904 = Load(TXlsxFixture().Styles(Styles()).Entry("xl/workbook.xml", date1904).Sheet("S",
        Row(1, {CellXml("A1", "0.75", "", "8"), CellXml("B1", "1", "", "7")})));
    EXPECT_EQ(counted1904->ShownText(0, 0, 0).Text, u"1/1/1904");
    EXPECT_EQ(counted1904->Sheet(0).Text(0, 0), u"1904-01-01 18:00");
    EXPECT_EQ(counted1904->ShownText(0, 0, 1).Text, u"1904-01-02");
    const auto unstyled = Load(TXlsxFixture().Sheet("S", Row(1, {CellXml("A1", "0.1", "", "3")})));
    EXPECT_EQ(unstyled->ShownText(0, 0, 0).Text, u"0.1");
}

TEST(ShownText, EditsKeepEachCellWithItsStyleAndValue) {
    TXlsxWorkbook workbook;
    workbook.LoadFromBytes(u"edits.xlsx", TXlsxFixture().Styles(Styles()).Sheet("S",
        Row(1, {CellXml("A1", "0.5", "", "2"), CellXml("B1", "0.50001157407407407", "", "4")}) +
        Row(2, {CellXml("A2", "0.25", "", "2"), CellXml("B2", "0.25001157407407407", "", "4")}) +
        Row(3, {CellXml("A3", "-7", "", "3"), CellXml("B3", "x", "str", "5")})).Bytes());
    const auto shown = [&](int32_t row, int32_t col) { return workbook.ShownText(0, row, col).Text; };

    workbook.SetCellValue(0, 0, 0, u"0.2");
    EXPECT_EQ(shown(0, 0), u"20.0%");
    workbook.SetCellValue(0, 1, 0, u"abc");
    EXPECT_EQ(shown(1, 0), u"abc");
    workbook.SetCellValue(0, 2, 1, u"kg");
    EXPECT_EQ(shown(2, 1), u"kg units");
    workbook.SetCellValue(0, 1, 0, u"  ");
    EXPECT_EQ(shown(1, 0), u"  "); // no value: the blanks as they are

    workbook.InsertRow(0, 0);
    workbook.InsertColumn(0, 0);
    EXPECT_EQ(shown(1, 1), u"20.0%");
    EXPECT_EQ(shown(1, 2), u"12:00:01");
    EXPECT_EQ(shown(3, 1), u"-7.00");
    workbook.DeleteRow(0, 0);
    workbook.DeleteColumn(0, 0);
    EXPECT_EQ(shown(0, 1), u"12:00:01");

    // Far right of the grid: the grid widens, every style stays at its cell.
    workbook.SetCellValue(0, 4, 30, u"3.25");
    EXPECT_EQ(shown(4, 30), u"3.25");
    EXPECT_EQ(shown(0, 0), u"20.0%");
    EXPECT_EQ(shown(2, 0), u"-7.00");

    workbook.SetCellValue(0, 1, 0, u"1");
    workbook.SortByColumn(0, 0, false, false); // 1, 0.2, -7, then the empty rows
    EXPECT_EQ(shown(0, 0), u"100.0%");
    EXPECT_EQ(shown(0, 1), u"6:00:01");
    EXPECT_EQ(shown(1, 0), u"20.0%");
    EXPECT_EQ(shown(1, 1), u"12:00:01");
    EXPECT_EQ(shown(2, 0), u"-7.00");
    EXPECT_EQ(workbook.ShownText(0, 2, 0).Color, Red);

    // Texts replaced until the sheet's pool is built anew: the date cells keep their serials.
    for (int n = 0; n < 40; ++n) workbook.SetCellValue(0, 3, 3, std::u16string(4000, char16_t(u'a' + n % 26)));
    EXPECT_EQ(shown(0, 1), u"6:00:01");
    EXPECT_EQ(shown(1, 1), u"12:00:01");

    // What the edits leave shows as a new load of the saved workbook shows it.
    TXlsxWorkbook reloaded;
    reloaded.LoadFromBytes(u"again.xlsx", workbook.SaveToBytes());
    const TXlsxSheet& sheet = workbook.Sheet(0);
    ASSERT_EQ(reloaded.Sheet(0).RowCount, sheet.RowCount);
    for (int32_t r = 0; r < sheet.RowCount; ++r) {
        for (int32_t c = 0; c < sheet.ColCount; ++c) {
            EXPECT_EQ(reloaded.ShownText(0, r, c).Text, shown(r, c)) << r << "," << c;
            EXPECT_EQ(reloaded.Sheet(0).StyleIndex(r, c), sheet.StyleIndex(r, c)) << r << "," << c;
        }
    }

    // A sheet added later has no styles: a typed number shows as General.
    const int32_t added = workbook.AddSheet(u"New");
    workbook.SetCellValue(added, 0, 0, u"0.5");
    EXPECT_EQ(workbook.ShownText(added, 0, 0).Text, u"0.5");
}
