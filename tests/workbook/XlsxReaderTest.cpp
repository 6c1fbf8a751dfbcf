#include "base/Error.h"
#include "base/Files.h"
#include "base/Text.h"
#include "support/TempFolder.h"
#include "support/XlsxFixture.h"
#include "workbook/XlsxWorkbook.h"
#include "workbook/ZipPackage.h"

#include <gtest/gtest.h>

using namespace tabulix;
using namespace tabulix::testing;

namespace {

std::unique_ptr<TXlsxWorkbook> Load(const TXlsxFixture& fixture) {
    auto workbook = std::make_unique<TXlsxWorkbook>();
    workbook->LoadFromBytes(u"test.xlsx", fixture.Bytes());
    return workbook;
}

std::u16string LoadFailure(const std::string& package) {
    TXlsxWorkbook workbook;
    try {
        workbook.LoadFromBytes(u"test.xlsx", package);
    } catch (const TTabulixError& error) {
        EXPECT_FALSE(workbook.IsLoaded());
        return error.Message();
    }
    return u"(loaded)";
}

// The text of cell A1 of a one-sheet workbook whose A1 is the given cell element.
std::u16string A1Of(const std::string& cellXml, const TXlsxFixture& base = TXlsxFixture()) {
    TXlsxFixture fixture = base;
    fixture.Sheet("S", "<row r=\"1\">" + cellXml + "</row>");
    return std::u16string(Load(fixture)->Sheet(0).Text(0, 0));
}

// A1 holding value under a cell format whose numFmtId is formatId (custom formats as given).
std::u16string DisplayedAs(const std::string& value, int formatId, const std::vector<std::pair<int, std::string>>& custom = {}) {
    return A1Of(CellXml("A1", value, "", "1"), TXlsxFixture().Styles(StylesXml({0, formatId}, custom)));
}

} // namespace

TEST(CellRefs, ColumnLettersBothWays) {
    EXPECT_EQ(ColumnIndexToLetters(0), u"A");
    EXPECT_EQ(ColumnIndexToLetters(25), u"Z");
    EXPECT_EQ(ColumnIndexToLetters(26), u"AA");
    EXPECT_EQ(ColumnIndexToLetters(701), u"ZZ");
    EXPECT_EQ(ColumnIndexToLetters(702), u"AAA");
    EXPECT_EQ(ColumnIndexToLetters(-1), u"");
    EXPECT_EQ(ColumnLettersToIndex(u"gr"), 199);
    EXPECT_EQ(ColumnLettersToIndex(u""), -1);
    for (int32_t i : {0, 25, 26, 199, 701, 702, 16383}) EXPECT_EQ(ColumnLettersToIndex(ColumnIndexToLetters(i)), i);
    EXPECT_EQ(ColumnLettersToIndex(u"ZZZZZZZZZZZZZZZZ"), INT32_MAX); // saturates instead of overflowing
}

TEST(CellRefs, SplitSortsLettersFromTheRest) {
    int32_t col = -1, row = -1;
    EXPECT_TRUE(SplitCellRef(u"B12", col, row));
    EXPECT_EQ(col, 1);
    EXPECT_EQ(row, 11);
    EXPECT_TRUE(SplitCellRef(u"1A", col, row)); // read as A1
    EXPECT_EQ(col, 0);
    EXPECT_EQ(row, 0);
    EXPECT_TRUE(SplitCellRef(u"A0", col, row));
    EXPECT_EQ(row, -1);
    EXPECT_TRUE(SplitCellRef(u"C#", col, row)); // a row part that is no integer counts as row 1
    EXPECT_EQ(col, 2);
    EXPECT_EQ(row, 0);
    EXPECT_FALSE(SplitCellRef(u"ABC", col, row));
    EXPECT_EQ(col, 0);
    EXPECT_FALSE(SplitCellRef(u"123", col, row));
    EXPECT_FALSE(SplitCellRef(u"", col, row));
    // References as they come out of a part, read directly in their usual form, agree with the rule.
    for (const char* ref : {"A1", "GR2000", "XFD1048576", "b2", "A01", "A0", "ABCD1", "A12345678", "A-1", "A+5", "1A",
                            "A1B", "A 1", "Z", "9", "", "AAAAAAAAAAAAA1", "A99999999999999999999"}) {
        int32_t expectedCol = -1, expectedRow = -1, viewCol = -1, viewRow = -1;
        const bool expected = SplitCellRef(Utf8ToUtf16(ref), expectedCol, expectedRow);
        EXPECT_EQ(SplitCellRef(ref, col, row), expected) << ref;
        EXPECT_EQ(SplitCellRef(std::string_view(ref), viewCol, viewRow), expected) << ref;
        EXPECT_EQ(std::make_pair(col, row), std::make_pair(expectedCol, expectedRow)) << ref;
        EXPECT_EQ(std::make_pair(viewCol, viewRow), std::make_pair(expectedCol, expectedRow)) << ref;
    }
}

TEST(XlsxDates, BuiltInDateFormatsShowDates) {
    EXPECT_EQ(DisplayedAs("45292", 14), u"2024-01-01");
    EXPECT_EQ(DisplayedAs("45292.75", 14), u"2024-01-01 18:00");
    EXPECT_EQ(DisplayedAs("0.5", 20), u"1899-12-30 12:00");
    EXPECT_EQ(DisplayedAs("45292.5", 22), u"2024-01-01 12:00");
    for (int id : {15, 16, 17, 18, 19, 21, 45, 46, 47}) EXPECT_EQ(DisplayedAs("45292", id), u"2024-01-01") << id;
    for (int id : {0, 1, 2, 13, 23, 44, 48, 49, 163}) EXPECT_EQ(DisplayedAs("45292", id), u"45292") << id;
}

TEST(XlsxDates, TheFirstSixtyDaysCountTheLeapDayOf1900) {
    EXPECT_EQ(DisplayedAs("1", 14), u"1900-01-01");
    EXPECT_EQ(DisplayedAs("59", 14), u"1900-02-28");
    EXPECT_EQ(DisplayedAs("60", 14), u"1900-02-29");
    EXPECT_EQ(DisplayedAs("60.75", 22), u"1900-02-29 18:00");
    EXPECT_EQ(DisplayedAs("61", 14), u"1900-03-01");
    EXPECT_EQ(DisplayedAs("0.5", 20), u"1899-12-30 12:00"); // below 1 as before
    EXPECT_EQ(DisplayedAs("0.9999999999", 22), u"1900-01-01 00:00");
    EXPECT_EQ(DisplayedAs("59.9999999999", 22), u"1900-02-29 00:00");
    EXPECT_EQ(*SerialToDateText(60, u":", true), u"1904-03-01"); // the 1904 count has no such day
}

TEST(XlsxDates, SecondsAreDroppedAfterRoundingToTheMillisecond) {
    // 12:00:59.9 and 12:00:59.996 stay 12:00; 12:00:59.9996 rounds to 12:01:00.000.
    EXPECT_EQ(DisplayedAs("0.500693287", 20), u"1899-12-30 12:00");
    EXPECT_EQ(DisplayedAs("0.5006944", 20), u"1899-12-30 12:00");
    EXPECT_EQ(DisplayedAs("0.50069444", 20), u"1899-12-30 12:01");
    // A time a hair before midnight rounds into the next day, still shown with its time.
    EXPECT_EQ(DisplayedAs("45291.999999999", 22), u"2024-01-01 00:00");
}

TEST(XlsxDates, CustomFormatsAreDatesOnlyFromId164) {
    EXPECT_EQ(DisplayedAs("45292", 164, {{164, "yyyy-mm-dd"}}), u"2024-01-01");
    EXPECT_EQ(DisplayedAs("45292.25", 170, {{170, "d/m/yy h:mm"}}), u"2024-01-01 06:00");
    EXPECT_EQ(DisplayedAs("45292", 100, {{100, "yyyy-mm-dd"}}), u"45292");
    // A redefined built-in date format is still a date; an unknown custom id is not.
    EXPECT_EQ(DisplayedAs("45292", 14, {{14, "0.00"}}), u"2024-01-01");
    EXPECT_EQ(DisplayedAs("45292", 165, {{164, "yyyy"}}), u"45292");
}

TEST(XlsxDates, ColourSectionsLiteralsAndEscapesAreNotDates) {
    EXPECT_EQ(DisplayedAs("3.5", 164, {{164, "0.00;[Red]-0.00"}}), u"3.5");
    for (const char16_t* code : {u"0.00;[Red]-0.00", u"\"Total:\" 0", u"#,##0 \"kids\"", u"0\\d", u"[Color10]0",
                                 u"[$-409]#,##0", u"[$\u20ac-407] #,##0.00", u"[>=100]0;0", u"_(* #,##0_)", u"General"}) {
        EXPECT_FALSE(IsDateFormatCode(code)) << Utf16ToUtf8(code);
    }
    for (const char16_t* code : {u"yyyy-mm-dd", u"d/m/yy h:mm", u"[h]:mm", u"[mm]:ss", u"[ss]", u"mmm-yy",
                                 u"[$-409]d-mmm-yy", u"[Red]dd", u"DD/MM/YYYY"}) {
        EXPECT_TRUE(IsDateFormatCode(code)) << Utf16ToUtf8(code);
    }
}

TEST(XlsxDates, CellsWithoutADateStyleOrValueKeepTheirText) {
    const TXlsxFixture styles = TXlsxFixture().Styles(StylesXml({14}));
    EXPECT_EQ(A1Of(CellXml("A1", "45292"), styles), u"45292");           // no s
    EXPECT_EQ(A1Of(CellXml("A1", "45292", "", "5"), styles), u"45292");  // s beyond cellXfs
    EXPECT_EQ(A1Of(CellXml("A1", "45292", "", "0"), styles), u"2024-01-01");
    EXPECT_EQ(A1Of(CellXml("A1", "abc", "", "0"), styles), u"abc");      // not a number
    EXPECT_EQ(A1Of(CellXml("A1", "-1", "", "0"), styles), u"-1");        // before day 0
    EXPECT_EQ(A1Of(CellXml("A1", "2958465", "", "0"), styles), u"9999-12-31");
    EXPECT_EQ(A1Of(CellXml("A1", "2958466", "", "0"), styles), u"2958466");
    EXPECT_EQ(A1Of(CellXml("A1", " 45292 ", "", "0"), styles), u"2024-01-01");
}

TEST(XlsxCells, ValuesByType) {
    EXPECT_EQ(A1Of(CellXml("A1", "1", "b")), u"TRUE");
    EXPECT_EQ(A1Of(CellXml("A1", "0", "b")), u"FALSE");
    EXPECT_EQ(A1Of(CellXml("A1", "true", "b")), u"FALSE");
    EXPECT_EQ(A1Of(CellXml("A1", "#DIV/0!", "e")), u"#DIV/0!");
    EXPECT_EQ(A1Of(CellXml("A1", "formula text", "str")), u"formula text");
    // Numbers are shown as stored, never reformatted.
    EXPECT_EQ(A1Of(CellXml("A1", "3.1415926535897931")), u"3.1415926535897931");
    EXPECT_EQ(A1Of(CellXml("A1", "1E-3", "n")), u"1E-3");
    EXPECT_EQ(A1Of("<c r=\"A1\" s=\"3\"/>"), u"");
    EXPECT_EQ(A1Of("<c r=\"A1\"><f>SUM(B1:B2)</f></c>"), u"");
}

TEST(XlsxCells, InlineStrings) {
    EXPECT_EQ(A1Of("<c r=\"A1\" t=\"inlineStr\"><is><t>hello</t></is></c>"), u"hello");
    EXPECT_EQ(A1Of("<c r=\"A1\" t=\"InlineStr\"><is><t xml:space=\"preserve\"> </t></is></c>"), u" ");
    // Read as shared strings are: every t, the first t of each run, phonetic runs left out.
    EXPECT_EQ(A1Of("<c r=\"A1\" t=\"inlineStr\"><is><r><rPr><b/></rPr><t>abc</t></r><r><t>defg</t><t>no</t></r></is></c>"),
              u"abcdefg");
    EXPECT_EQ(A1Of("<c r=\"A1\" t=\"inlineStr\"><is><t>base</t><rPh sb=\"0\" eb=\"1\"><t>phonetic</t></rPh><t>!</t></is></c>"),
              u"base!");
    EXPECT_EQ(A1Of("<c r=\"A1\" t=\"inlineStr\"><v>ignored</v></c>"), u"");
    EXPECT_EQ(A1Of("<c r=\"A1\" t=\"inlineStr\"><is><t>a_x000D_&#10;b</t></is></c>"), u"a\r\nb");
}

TEST(XlsxCells, SharedStringsWithRunsAndPhoneticRuns) {
    const TXlsxFixture strings = TXlsxFixture().SharedStrings({
        "<t>plain</t>",
        "<r><rPr><b/></rPr><t>Bold</t></r><r><t xml:space=\"preserve\"> and </t></r><r><t>more</t></r>",
        "<t>\xE6\x9D\xB1\xE4\xBA\xAC</t><rPh sb=\"0\" eb=\"2\"><t>\xE3\x83\x88\xE3\x82\xA6</t></rPh><phoneticPr fontId=\"1\"/>",
        "<t>line_x000D_&#10;two _x005F_x000D_ _x00e9_ _x00G1_</t>",
        "<t>bad \xFF byte</t>",
    });
    EXPECT_EQ(A1Of(CellXml("A1", "0", "s"), strings), u"plain");
    EXPECT_EQ(A1Of(CellXml("A1", "1", "s"), strings), u"Bold and more");
    EXPECT_EQ(A1Of(CellXml("A1", "2", "s"), strings), u"\u6771\u4eac");
    EXPECT_EQ(A1Of(CellXml("A1", "3", "s"), strings), u"line\r\ntwo _x000D_ \u00e9 _x00G1_");
    EXPECT_EQ(A1Of(CellXml("A1", "4", "s"), strings), u"bad \uFFFD byte");
    EXPECT_EQ(A1Of(CellXml("A1", "5", "s"), strings), u"");
    EXPECT_EQ(A1Of(CellXml("A1", "-1", "s"), strings), u"");
    EXPECT_EQ(A1Of(CellXml("A1", "x", "s"), strings), u"");
    EXPECT_EQ(A1Of(CellXml("A1", "0", "s")), u""); // no shared-strings part
}

TEST(XlsxGrid, SizedByTheFurthestCellAndFilledInDocumentOrder) {
    // A row without r follows the row before it, a cell without r the cell before it in its row
    // element; a reference that names no cell is skipped; a row's extLst is no cell.
    TXlsxFixture fixture;
    fixture.Sheet("S", "<row><c r=\"C2\"><v>1</v></c><c><v>after C2</v></c><c r=\"123\"><v>digits</v></c>"
                       "<c r=\"AB\"><v>letters</v></c><c><v>after that</v></c><c r=\"A0\"><v>row 0</v></c>"
                       "<c r=\"2B\"><v>2B</v></c><c r=\"C2\"><v>later</v></c></row>"
                       "<row><c><v>a2</v></c><c><v>b2</v></c><extLst><ext uri=\"x\"/></extLst></row>"
                       "<row r=\"5\"><c r=\"E5\" s=\"1\"/></row><row><c r=\"A9\"><v>a9</v></c><c><v>b6</v></c></row>");
    const auto workbook = Load(fixture);
    const TXlsxSheet& sheet = workbook->Sheet(0);
    EXPECT_EQ(sheet.RowCount, 9);
    EXPECT_EQ(sheet.ColCount, 5);
    EXPECT_EQ(sheet.Text(1, 2), u"later");
    EXPECT_EQ(sheet.Text(0, 3), u"after C2");
    EXPECT_EQ(sheet.Text(0, 4), u"after that");
    EXPECT_EQ(sheet.Text(1, 1), u"b2"); // replaces 2B, as a later element does
    EXPECT_EQ(sheet.Text(1, 0), u"a2");
    EXPECT_EQ(sheet.Text(8, 0), u"a9");
    EXPECT_EQ(sheet.Text(5, 1), u"b6");
    EXPECT_EQ(sheet.Text(0, 0), u"");
}

TEST(XlsxGrid, NoCellThatStandsInARowGivesTheEmptyDefaultGrid) {
    TXlsxFixture fixture;
    fixture.Sheet("Empty", "").Sheet("Unusable", "<row><c r=\"123\"><v>1</v></c><c r=\"A0\"/></row>");
    const auto workbook = Load(fixture);
    for (int32_t i = 0; i < 2; ++i) {
        EXPECT_EQ(workbook->Sheet(i).RowCount, 100);
        EXPECT_EQ(workbook->Sheet(i).ColCount, 26);
    }
}

TEST(XlsxGrid, LimitedTo2000RowsAnd200Columns) {
    TXlsxFixture fixture;
    fixture.Sheet("Rows", "<row>" + CellXml("A2000", "last") + CellXml("A2500", "beyond") + "</row>")
        .Sheet("Cols", "<row>" + CellXml("GR1", "last") + CellXml("GS1", "beyond") + "</row>");
    const auto workbook = Load(fixture);
    const TXlsxSheet& rows = workbook->Sheet(0);
    EXPECT_EQ(rows.RowCount, 2000);
    EXPECT_EQ(rows.Text(1999, 0), u"last");
    const TXlsxSheet& cols = workbook->Sheet(1);
    EXPECT_EQ(cols.ColCount, 200);
    EXPECT_EQ(cols.RowCount, 1);
    EXPECT_EQ(cols.Text(0, 199), u"last");
}

TEST(XlsxGrid, MissingPartOrSheetDataGivesAnEmptyRecord) {
    TXlsxFixture fixture;
    fixture.Sheet("Gone", "").Sheet("NoData", "")
        .Without("xl/worksheets/sheet1.xml")
        .Entry("xl/worksheets/sheet2.xml", "<worksheet><dimension ref=\"A1\"/></worksheet>");
    const auto workbook = Load(fixture);
    ASSERT_EQ(workbook->SheetCount(), 2);
    EXPECT_EQ(workbook->Sheet(0).RowCount, 0);
    EXPECT_EQ(workbook->Sheet(1).ColCount, 0);
    EXPECT_EQ(workbook->Sheet(1).RowCount, 0);
}

TEST(XlsxSheets, HiddenSheetsAreSkippedButCountedInDefaultNames) {
    TXlsxFixture fixture;
    fixture.Sheet("H1", "", "hidden").Sheet("H2", "", "VeryHidden").Sheet("", "").Sheet("Shown", "", "Hidden")
        .Sheet("Odd", "", "something");
    std::string bytes = fixture.Bytes();
    // The third sheet element has no name attribute at all.
    TXlsxFixture unnamed = fixture;
    unnamed.Entry("xl/workbook.xml",
                  "<workbook xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"><sheets>"
                  "<sheet name=\"H1\" state=\"hidden\" r:id=\"rId1\"/><sheet name=\"H2\" state=\"veryHidden\" r:id=\"rId2\"/>"
                  "<sheet r:id=\"rId3\"/><sheet name=\"Shown\" state=\"Hidden\" r:id=\"rId4\"/>"
                  "<sheet name=\"Odd\" state=\"something\" id=\"rId5\"/></sheets></workbook>");
    const auto workbook = Load(unnamed);
    ASSERT_EQ(workbook->SheetCount(), 2);
    EXPECT_EQ(workbook->Sheet(0).Name, u"Sheet3");
    EXPECT_EQ(workbook->Sheet(0).PartName, u"xl/worksheets/sheet3.xml");
    EXPECT_EQ(workbook->Sheet(1).Name, u"Odd");
}

TEST(XlsxSheets, PartNamesFromRelationships) {
    TXlsxFixture fixture;
    fixture.Sheet("A", CellXml("A1", "a")).Sheet("B", CellXml("A1", "b")).Sheet("Lost", "")
        .Entry("xl/worksheets/other.xml", "<worksheet><sheetData><row>" + CellXml("A1", "abs") + "</row></sheetData></worksheet>")
        .Entry("xl/_rels/workbook.xml.rels",
               "<Relationships><Relationship Id=\"RID1\" Target=\"/xl/worksheets/other.xml\"/>"
               "<Relationship Id=\"rId2\" Target=\"worksheets/sheet2.xml\"/></Relationships>");
    const auto workbook = Load(fixture);
    ASSERT_EQ(workbook->SheetCount(), 2); // rId3 resolves to nothing
    EXPECT_EQ(workbook->Sheet(0).PartName, u"xl/worksheets/other.xml");
    EXPECT_EQ(workbook->Sheet(0).Text(0, 0), u"abs");
    EXPECT_EQ(workbook->Sheet(1).PartName, u"xl/worksheets/sheet2.xml");
}

TEST(XlsxPackage, EntryNamesMatchIgnoringCaseAndPrefixedElementsLoad) {
    TXlsxFixture fixture;
    fixture.Sheet("S", "")
        .Without("xl/workbook.xml")
        .Entry("XL/Workbook.xml", "\xEF\xBB\xBF<x:workbook xmlns:x=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
                                  "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
                                  "<x:sheets><x:sheet name=\"Pre\" r:id=\"rId1\"/></x:sheets></x:workbook>")
        .Entry("xl/worksheets/sheet1.xml", "<x:worksheet xmlns:x=\"urn:x\"><x:sheetData><x:row><x:c r=\"B1\" t=\"inlineStr\">"
                                           "<x:is><x:t>p</x:t></x:is></x:c></x:row></x:sheetData></x:worksheet>");
    const auto workbook = Load(fixture);
    ASSERT_EQ(workbook->SheetCount(), 1);
    EXPECT_EQ(workbook->Sheet(0).Name, u"Pre");
    EXPECT_EQ(workbook->Sheet(0).Text(0, 1), u"p");
    EXPECT_EQ(workbook->ReadZipText(u"xl/WORKBOOK.xml")->substr(0, 12), u"<x:workbook ");
    EXPECT_FALSE(workbook->ReadZipText(u"xl/nothing.xml").has_value());
}

TEST(XlsxPackage, PartDocumentsAreOpenedOnceWhateverTheCaseOfTheName) {
    TXlsxFixture fixture;
    fixture.Sheet("S", "<row>" + CellXml("A1", "1") + "</row>");
    const auto workbook = Load(fixture);
    pugi::xml_document* document = workbook->GetPartDocument(u"xl/worksheets/sheet1.xml");
    ASSERT_NE(document, nullptr);
    EXPECT_EQ(workbook->GetPartDocument(u"xl/worksheets/sheet1.xml"), document);
    EXPECT_EQ(workbook->GetPartDocument(u"XL/worksheets/Sheet1.xml"), document);
    EXPECT_EQ(workbook->GetPartDocument(u"xl/none.xml"), nullptr);
}

TEST(XlsxFailures, MessagesOfTheLoader) {
    TTempFolder folder;
    TXlsxWorkbook workbook;
    const std::u16string missing = PathToText(folder / u"missing.xlsx");
    try {
        workbook.LoadFromFile(missing);
        FAIL();
    } catch (const TTabulixError& error) {
        EXPECT_EQ(error.Message(), u"File not found: " + missing);
    }
    EXPECT_EQ(LoadFailure("not a zip at all"), u"This file is not a valid .xlsx workbook: it is not a ZIP archive.");
    EXPECT_EQ(LoadFailure(""), u"This file is not a valid .xlsx workbook: it is not a ZIP archive.");
    EXPECT_EQ(LoadFailure(TXlsxFixture().Sheet("S", "").Without("xl/workbook.xml").Bytes()),
              u"This does not look like a valid .xlsx workbook (xl/workbook.xml missing).");
    EXPECT_EQ(LoadFailure(TXlsxFixture().Sheet("S", "").Entry("xl/workbook.xml", "<!-- nothing -->").Bytes()),
              u"Could not parse xl/workbook.xml.");
    EXPECT_EQ(LoadFailure(TXlsxFixture().Sheet("S", "").Entry("xl/workbook.xml", "<workbook/>").Bytes()),
              u"Workbook contains no worksheets.");
    EXPECT_EQ(LoadFailure(TXlsxFixture().Sheet("S", "", "hidden").Bytes()),
              u"No visible worksheets were found in this workbook.");
    EXPECT_EQ(LoadFailure(TXlsxFixture().Sheet("S", "").Without("xl/_rels/workbook.xml.rels").Bytes()),
              u"No visible worksheets were found in this workbook.");
    const std::u16string malformed = LoadFailure(TXlsxFixture().Sheet("S", "<row><c r=\"A1\"></row>").Bytes());
    EXPECT_EQ(malformed.rfind(u"xl/worksheets/sheet1.xml is not well-formed XML: ", 0), 0u) << Utf16ToUtf8(malformed);
}

TEST(XlsxFailures, ASecondElementOrTextBesideTheRootIsNotWellFormed) {
    const std::string worksheet = "<worksheet><sheetData><row>" + CellXml("A1", "1") + "</row></sheetData></worksheet>";
    for (const std::string& bytes : {worksheet + "<worksheet/>", worksheet + "junk", "junk" + worksheet,
                                     worksheet + "<![CDATA[x]]>"}) {
        const std::u16string message =
            LoadFailure(TXlsxFixture().Sheet("S", "").Entry("xl/worksheets/sheet1.xml", bytes).Bytes());
        EXPECT_EQ(message.rfind(u"xl/worksheets/sheet1.xml is not well-formed XML: ", 0), 0u) << Utf16ToUtf8(message);
    }
    // Blanks around the root are allowed; a text without any element is a part without a root.
    const auto blanks = Load(TXlsxFixture().Sheet("S", "").Entry("xl/worksheets/sheet1.xml", "\r\n" + worksheet + "\n "));
    EXPECT_EQ(blanks->Sheet(0).Text(0, 0), u"1");
    EXPECT_EQ(LoadFailure(TXlsxFixture().Sheet("S", "").Entry("xl/workbook.xml", "just text").Bytes()),
              u"Could not parse xl/workbook.xml.");
}

TEST(XlsxFailures, DamagedArchivesFailWithAMessage) {
    const std::string good = TXlsxFixture().Sheet("S", "<row>" + CellXml("A1", "value") + "</row>").Bytes();
    for (size_t cut : {size_t(10), good.size() / 2, good.size() - 10}) {
        EXPECT_NE(LoadFailure(good.substr(0, cut)), u"(loaded)") << cut;
    }
    // The worksheet's compressed data: after its name in its local header, up to the next header.
    const size_t dataStart = good.find("xl/worksheets/sheet1.xml") + 24;
    const size_t dataEnd = std::min(good.find("PK\3\4", dataStart), good.find("PK\1\2", dataStart));
    // A byte flipped anywhere: a message or a load, never a crash. Flipped inside the worksheet's data,
    // the inflate or CRC check fails, unless the flip fell on padding and the sheet reads as it was.
    for (size_t at = 0; at < good.size(); at += at >= dataStart && at < dataEnd ? 1 : 37) {
        std::string damaged = good;
        damaged[at] = char(damaged[at] ^ 0x5A);
        TXlsxWorkbook workbook;
        try {
            workbook.LoadFromBytes(u"x.xlsx", damaged);
            if (at >= dataStart && at < dataEnd) {
                EXPECT_EQ(workbook.Sheet(0).Text(0, 0), u"value") << at;
            }
        } catch (const TTabulixError& error) {
            EXPECT_FALSE(error.Message().empty()) << at;
        }
    }
}

TEST(XlsxFailures, OversizedPackagesAreRefusedWhileInflating) {
    TZipWriter writer;
    writer.Add(u"a.bin", std::string(300000, 'a'));
    writer.Add(u"b.bin", std::string(300000, 'b'));
    const std::string archive = writer.Finish();
    EXPECT_EQ(ReadZipArchive(archive, {600000, 10}).size(), 2u);
    try {
        ReadZipArchive(archive, {599999, 10});
        FAIL() << "an archive over the limit was read";
    } catch (const TTabulixError& error) {
        EXPECT_EQ(error.Message(), u"This workbook is too large to open (more than 512 MB uncompressed).");
    }

    TXlsxFixture many;
    many.Sheet("S", "");
    for (int i = 0; i < 10000; ++i) many.Entry("extra/" + std::to_string(i), "");
    EXPECT_EQ(LoadFailure(many.Bytes()), u"This workbook has too many parts to open (more than 10000).");
}

TEST(XlsxPackage, EveryEntryIsKeptAndALaterDuplicateReplacesAnEarlierOne) {
    TZipWriter writer;
    const std::string base = TXlsxFixture().Sheet("S", "<row>" + CellXml("A1", "first") + "</row>").Bytes();
    for (const TZipEntry& entry : ReadZipArchive(base)) writer.Add(entry.Name, entry.Bytes);
    writer.Add(u"xl/worksheets/sheet1.xml", "<worksheet><sheetData><row>" + CellXml("A1", "second") + "</row></sheetData></worksheet>");
    TXlsxWorkbook workbook;
    workbook.LoadFromBytes(u"dup.xlsx", writer.Finish());
    EXPECT_EQ(workbook.Sheet(0).Text(0, 0), u"second");
    EXPECT_EQ(workbook.FileName(), u"dup.xlsx");
}

TEST(XlsxCells, TextOfNestedMarkupIsJoinedInDocumentOrder) {
    EXPECT_EQ(A1Of("<c r=\"A1\" t=\"inlineStr\"><is><t>a<x>b<y>c</y></x>d<![CDATA[<e>]]></t></is></c>"), u"abcd<e>");
    std::string deep;
    for (int i = 0; i < 200000; ++i) deep += "<x>";
    deep += "z";
    for (int i = 0; i < 200000; ++i) deep += "</x>";
    EXPECT_EQ(A1Of("<c r=\"A1\" t=\"inlineStr\"><is><t>" + deep + "</t></is></c>"), u"z");
}

TEST(XlsxCells, IntegersAreReadWhateverTheirLength) {
    // Style, shared-string and format numbers padded with zeros are still the integers they spell.
    const std::string padded = "0000000000000000000000001";
    const TXlsxFixture styles = TXlsxFixture().Styles(StylesXml({0, 14}));
    EXPECT_EQ(A1Of(CellXml("A1", "45292", "", padded), styles), u"2024-01-01");
    const TXlsxFixture strings = TXlsxFixture().SharedStrings({"<t>first</t>", "<t>second</t>"});
    EXPECT_EQ(A1Of(CellXml("A1", padded, "s"), strings), u"second");
    const TXlsxFixture formats = TXlsxFixture().Styles(
        "<numFmts><numFmt numFmtId=\"00000000000000000000000164\" formatCode=\"yyyy\"/></numFmts>"
        "<cellXfs><xf numFmtId=\"0\"/><xf numFmtId=\"00000000000000000000000164\"/></cellXfs>");
    EXPECT_EQ(A1Of(CellXml("A1", "45292", "", "1"), formats), u"2024-01-01");
}

TEST(XlsxCells, NumbersTooLongForTheirTypeDoNotWrapAround) {
    // Rows 2^64 + 1 and 2^32 + 1, shared string 2^64, style 2^64 + 1: none of them is row 1, string 0 or style 1.
    const auto workbook = Load(TXlsxFixture().SharedStrings({"<t>first</t>"}).Styles(StylesXml({0, 14}))
        .Sheet("S", "<row r=\"1\">" + CellXml("A18446744073709551617", "far") + CellXml("A4294967297", "far") +
                        CellXml("B1", "18446744073709551616", "s") + CellXml("C1", "45292", "", "18446744073709551617") + "</row>"));
    const TXlsxSheet& sheet = workbook->Sheet(0);
    EXPECT_EQ(sheet.Text(0, 0), u"");
    EXPECT_EQ(sheet.Text(0, 1), u"");
    EXPECT_EQ(sheet.Text(0, 2), u"45292");
}

TEST(XlsxDates, WorkbooksThatCountFrom1904) {
    auto shown = [](const std::string& date1904, const std::string& value) {
        return A1Of(CellXml("A1", value, "", "1"), TXlsxFixture().Styles(StylesXml({0, 22})).Entry("xl/workbook.xml",
            "<workbook xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"><workbookPr date1904=\"" +
            date1904 + "\"/><sheets><sheet name=\"S\" r:id=\"rId1\"/></sheets></workbook>"));
    };
    EXPECT_EQ(shown("1", "45292"), u"2028-01-02");
    EXPECT_EQ(shown("true", "0.5"), u"1904-01-01 12:00");
    EXPECT_EQ(shown("false", "45292"), u"2024-01-01");
}
