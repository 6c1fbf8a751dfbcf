// Structural edits and what they do to every reference of a workbook: formulas of every sheet
// (plain, shared, array), defined names, merged ranges, conditional formats, validations,
// hyperlinks, filters, views, a table, a chart and its drawing.
#include "base/Error.h"
#include "base/Text.h"
#include "support/Messages.h"
#include "support/XlsxFixture.h"
#include "workbook/XlsxWorkbook.h"
#include "workbook/ZipPackage.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>

using namespace tabulix;
using namespace tabulix::testing;

namespace {

const std::string Main = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
const std::string Rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
const std::string PackageRel = "http://schemas.openxmlformats.org/package/2006/relationships";

// Data: numbers in A1:A5 with a sum, a plain, a shared (C1:C3) and an array formula (I1:J1), a second
// shared group whose cells name the next row (E4:E5), a table on G1:H4 and everything a worksheet
// names cells with. Other: formulas, a conditional format and a hyperlink naming Data.
const std::string DataSheet =
    "<worksheet xmlns=\"" + Main + "\" xmlns:r=\"" + Rel + "\"><dimension ref=\"A1:H6\"/>"
    "<sheetViews><sheetView workbookViewId=\"0\"><pane ySplit=\"1\" topLeftCell=\"A2\" state=\"frozen\"/>"
    "<selection activeCell=\"B3\" sqref=\"B3:C4\"/></sheetView></sheetViews><sheetData>"
    "<row r=\"1\"><c r=\"A1\"><v>1</v></c><c r=\"B1\"><f>SUM(A1:A5)</f><v>15</v></c>"
    "<c r=\"C1\"><f t=\"shared\" ref=\"C1:C3\" si=\"0\">A1*10</f><v>10</v></c>"
    "<c r=\"G1\" t=\"inlineStr\"><is><t>Key</t></is></c><c r=\"H1\" t=\"inlineStr\"><is><t>Val</t></is></c>"
    "<c r=\"I1\"><f t=\"array\" ref=\"I1:J1\">SUM(A1:A2)*{1,2}</f><v>3</v></c><c r=\"J1\"><v>6</v></c></row>"
    "<row r=\"2\"><c r=\"A2\"><v>2</v></c><c r=\"B2\"><f>A2*2</f><v>4</v></c><c r=\"C2\"><f t=\"shared\" si=\"0\"/><v>20</v></c>"
    "<c r=\"G2\"><v>1</v></c></row>"
    "<row r=\"3\"><c r=\"A3\"><v>3</v></c><c r=\"C3\"><f t=\"shared\" si=\"0\"/><v>30</v></c></row>"
    "<row r=\"4\"><c r=\"A4\"><v>4</v></c><c r=\"E4\"><f t=\"shared\" ref=\"E4:E5\" si=\"1\">A5</f><v>5</v></c></row>"
    "<row r=\"5\"><c r=\"A5\"><v>5</v></c><c r=\"E5\"><f t=\"shared\" si=\"1\"/><v>0</v></c></row><row r=\"6\"><c r=\"H6\"><v>0</v></c></row></sheetData>"
    "<autoFilter ref=\"A1:C5\"><filterColumn colId=\"2\"><filters><filter val=\"30\"/></filters></filterColumn></autoFilter>"
    "<mergeCells count=\"1\"><mergeCell ref=\"E1:F2\"/></mergeCells>"
    "<conditionalFormatting sqref=\"A2:A5\"><cfRule type=\"expression\" priority=\"1\"><formula>A2&gt;B$1</formula></cfRule>"
    "</conditionalFormatting><dataValidations count=\"1\"><dataValidation type=\"list\" sqref=\"B2:B5\"><formula1>$A$1:$A$5</formula1>"
    "</dataValidation></dataValidations><hyperlinks><hyperlink ref=\"A3\" location=\"Data!A5\"/></hyperlinks>"
    "<drawing r:id=\"rId1\"/><tableParts count=\"1\"><tablePart r:id=\"rId2\"/></tableParts></worksheet>";
const std::string OtherSheet =
    "<worksheet xmlns=\"" + Main + "\"><sheetData><row r=\"1\"><c r=\"A1\"><f>Data!A3*2</f><v>6</v></c>"
    "<c r=\"B1\"><f>SUM(Data!A1:A5)</f><v>15</v></c><c r=\"C1\"><f>A1+1</f><v>7</v></c></row></sheetData>"
    "<conditionalFormatting sqref=\"A1\"><cfRule type=\"expression\" priority=\"1\"><formula>Data!$A$4&gt;0</formula></cfRule>"
    "</conditionalFormatting><hyperlinks><hyperlink ref=\"B1\" location=\"'Data'!B2\"/></hyperlinks></worksheet>";

TXlsxFixture BudgetFixture() {
    return TXlsxFixture()
        .Sheet("Data", "")
        .Sheet("Other", "")
        .Entry("xl/workbook.xml", "<workbook xmlns=\"" + Main + "\" xmlns:r=\"" + Rel + "\"><sheets>"
                                  "<sheet name=\"Data\" sheetId=\"1\" r:id=\"rId1\"/><sheet name=\"Other\" sheetId=\"2\" r:id=\"rId2\"/></sheets>"
                                  "<definedNames><definedName name=\"Total\">Data!$B$1</definedName>"
                                  "<definedName name=\"_xlnm.Print_Area\" localSheetId=\"0\">Data!$A$1:$F$5</definedName></definedNames></workbook>")
        .Entry("xl/worksheets/sheet1.xml", DataSheet)
        .Entry("xl/worksheets/sheet2.xml", OtherSheet)
        .Entry("xl/worksheets/_rels/sheet1.xml.rels",
               "<Relationships xmlns=\"" + PackageRel + "\"><Relationship Id=\"rId1\" Type=\"" + Rel + "/drawing\" Target=\"../drawings/drawing1.xml\"/>"
               "<Relationship Id=\"rId2\" Type=\"" + Rel + "/table\" Target=\"/xl/tables/table1.xml\"/></Relationships>")
        .Entry("xl/drawings/drawing1.xml",
               "<xdr:wsDr xmlns:xdr=\"http://schemas.openxmlformats.org/drawingml/2006/spreadsheetDrawing\"><xdr:twoCellAnchor>"
               "<xdr:from><xdr:col>0</xdr:col><xdr:colOff>10</xdr:colOff><xdr:row>6</xdr:row><xdr:rowOff>20</xdr:rowOff></xdr:from>"
               "<xdr:to><xdr:col>4</xdr:col><xdr:colOff>0</xdr:colOff><xdr:row>10</xdr:row><xdr:rowOff>0</xdr:rowOff></xdr:to>"
               "<xdr:graphicFrame/><xdr:clientData/></xdr:twoCellAnchor></xdr:wsDr>")
        .Entry("xl/charts/chart1.xml", "<c:chartSpace xmlns:c=\"http://schemas.openxmlformats.org/drawingml/2006/chart\"><c:chart>"
                                       "<c:plotArea><c:barChart><c:ser><c:val><c:numRef><c:f>Data!$A$1:$A$5</c:f></c:numRef></c:val>"
                                       "</c:ser></c:barChart></c:plotArea></c:chart></c:chartSpace>")
        .Entry("xl/tables/table1.xml", "<table xmlns=\"" + Main + "\" id=\"1\" name=\"Table1\" displayName=\"Table1\" ref=\"G1:H4\">"
                                       "<autoFilter ref=\"G1:H4\"/><tableColumns count=\"2\"><tableColumn id=\"1\" name=\"Key\"/>"
                                       "<tableColumn id=\"2\" name=\"Val\"/></tableColumns></table>")
        .Entry("[Content_Types].xml", "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
                                      "<Default Extension=\"xml\" ContentType=\"application/xml\"/><Override PartName=\"/xl/tables/table1.xml\" "
                                      "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.table+xml\"/></Types>");
}

const std::string Sheet1 = "xl/worksheets/sheet1.xml", Sheet2 = "xl/worksheets/sheet2.xml", Names = "xl/workbook.xml",
                  Chart = "xl/charts/chart1.xml", Table = "xl/tables/table1.xml", Drawing = "xl/drawings/drawing1.xml";

std::map<std::string, std::string> Entries(const std::string& package) {
    std::map<std::string, std::string> entries;
    for (const TZipEntry& entry : ReadZipArchive(package)) entries[Utf16ToUtf8(entry.Name)] = entry.Bytes;
    return entries;
}

// What an XPath names in a part: an attribute's value or an element's text; "(none)" when nothing.
std::string ValueAt(const std::map<std::string, std::string>& entries, const std::string& part, const std::string& path) {
    const auto entry = entries.find(part);
    if (entry == entries.end()) return "(no part)";
    pugi::xml_document document;
    if (!document.load_string(entry->second.c_str())) return "(not XML)";
    const pugi::xpath_node found = document.select_node(path.c_str());
    if (found.attribute()) return found.attribute().value();
    if (found.node()) return found.node().text().get();
    return "(none)";
}

struct TExpected {
    std::string Part, Path, Value;
};

struct TEditCase {
    std::string Name;
    std::function<void(TXlsxWorkbook&)> Edit;
    std::vector<TExpected> Expected;
};

} // namespace

TEST(ReferenceEdits, EveryReferenceMovesWithTheCellsItNames) {
    const std::vector<TEditCase> cases = {
        {"row inserted before everything", [](TXlsxWorkbook& w) { w.InsertRow(0, 0); },
         {{Sheet1, "//c[@r='B2']/f", "SUM(A2:A6)"}, {Sheet1, "//c[@r='C2']/f", "A2*10"}, {Sheet1, "//c[@r='C2']/f/@ref", "C2:C4"},
          {Sheet1, "//c[@r='C3']/f/@t", "shared"}, {Sheet1, "//c[@r='I2']/f", "SUM(A2:A3)*{1,2}"}, {Sheet1, "//c[@r='I2']/f/@ref", "I2:J2"},
          {Sheet1, "//c[@r='B2']/v", "15"}, {Sheet1, "//dimension/@ref", "A2:H7"}, {Sheet1, "//pane/@topLeftCell", "A3"},
          {Sheet1, "//selection/@activeCell", "B4"}, {Sheet1, "//selection/@sqref", "B4:C5"}, {Sheet1, "//autoFilter/@ref", "A2:C6"},
          {Sheet1, "//mergeCell/@ref", "E2:F3"}, {Sheet1, "//conditionalFormatting/@sqref", "A3:A6"},
          {Sheet1, "//cfRule/formula", "A3>B$2"}, {Sheet1, "//dataValidation/@sqref", "B3:B6"},
          {Sheet1, "//dataValidation/formula1", "$A$2:$A$6"}, {Sheet1, "//hyperlink/@ref", "A4"},
          {Sheet1, "//hyperlink/@location", "Data!A6"}, {Sheet2, "//c[@r='A1']/f", "Data!A4*2"},
          {Sheet2, "//c[@r='B1']/f", "SUM(Data!A2:A6)"}, {Sheet2, "//c[@r='C1']/f", "A1+1"},
          {Sheet2, "//cfRule/formula", "Data!$A$5>0"}, {Sheet2, "//hyperlink/@location", "'Data'!B3"},
          {Names, "//definedName[@name='Total']", "Data!$B$2"}, {Names, "//definedName[@localSheetId]", "Data!$A$2:$F$6"},
          {Names, "//calcPr/@fullCalcOnLoad", "1"}, {Chart, "//c:f", "Data!$A$2:$A$6"}, {Table, "/table/@ref", "G2:H5"},
          {Table, "/table/autoFilter/@ref", "G2:H5"}, {Drawing, "//xdr:from/xdr:row", "7"}, {Drawing, "//xdr:to/xdr:row", "11"},
          {Drawing, "//xdr:from/xdr:rowOff", "20"}}},
        {"row inserted inside the ranges", [](TXlsxWorkbook& w) { w.InsertRow(0, 2); },
         {{Sheet1, "//c[@r='B1']/f", "SUM(A1:A6)"}, {Sheet1, "//c[@r='B2']/f", "A2*2"}, {Sheet1, "//c[@r='C1']/f/@ref", "C1:C4"},
          {Sheet1, "//c[@r='C4']/f/@si", "0"}, {Sheet1, "//c[@r='I1']/f/@ref", "I1:J1"}, {Sheet1, "//mergeCell/@ref", "E1:F2"},
          {Sheet1, "//conditionalFormatting/@sqref", "A2:A6"}, {Sheet1, "//cfRule/formula", "A2>B$1"},
          {Table, "/table/@ref", "G1:H5"}, {Sheet2, "//c[@r='A1']/f", "Data!A4*2"}, {Names, "//definedName[@name='Total']", "Data!$B$1"}}},
        {"row inserted between cells of a shared formula that names the next row", [](TXlsxWorkbook& w) { w.InsertRow(0, 4); },
         {{Sheet1, "//c[@r='E4']/f", "A6"}, {Sheet1, "//c[@r='E4']/f/@t", "(none)"}, {Sheet1, "//c[@r='E6']/f", "A7"},
          {Sheet1, "//c[@r='E6']/f/@si", "(none)"}, {Sheet1, "//c[@r='C3']/f/@t", "shared"}}},
        {"row deleted inside the ranges", [](TXlsxWorkbook& w) { w.DeleteRow(0, 2); },
         {{Sheet1, "//c[@r='B1']/f", "SUM(A1:A4)"}, {Sheet1, "//c[@r='C1']/f/@ref", "C1:C2"}, {Sheet1, "//hyperlinks", "(none)"},
          {Sheet1, "//conditionalFormatting/@sqref", "A2:A4"}, {Sheet1, "//dataValidation/@sqref", "B2:B4"},
          {Sheet2, "//c[@r='A1']/f", "Data!#REF!*2"}, {Sheet2, "//c[@r='A1']/@t", "e"}, {Sheet2, "//c[@r='A1']/v", "#REF!"},
          {Sheet2, "//c[@r='C1']/f", "A1+1"}, {Sheet2, "//hyperlink/@location", "'Data'!B2"}, {Table, "/table/@ref", "G1:H3"},
          {Chart, "//c:f", "Data!$A$1:$A$4"}, {Drawing, "//xdr:from/xdr:row", "5"}}},
        {"the first row of a conditional format and validation deleted", [](TXlsxWorkbook& w) { w.DeleteRow(0, 1); },
         {{Sheet1, "//conditionalFormatting/@sqref", "A2:A4"}, {Sheet1, "//cfRule/formula", "A2>B$1"},
          {Sheet1, "//dataValidation/formula1", "$A$1:$A$4"}, {Sheet1, "//mergeCell/@ref", "E1:F1"},
          {Sheet1, "//c[@r='I1']/f", "SUM(A1:A1)*{1,2}"}, {Sheet1, "//c[@r='C1']/f/@ref", "C1:C2"}, {Sheet1, "//c[@r='C2']/v", "30"}}},
        {"row deleted below everything", [](TXlsxWorkbook& w) { w.DeleteRow(0, 5); },
         {{Sheet1, "//c[@r='B1']/f", "SUM(A1:A5)"}, {Sheet2, "//c[@r='A1']/f", "Data!A3*2"}, {Sheet1, "//dimension/@ref", "A1:H5"},
          {Drawing, "//xdr:from/xdr:row", "5"},
          {Drawing, "//xdr:to/xdr:row", "9"}}},
        {"column of the filter deleted", [](TXlsxWorkbook& w) { w.DeleteColumn(0, 1); },
         {{Sheet1, "//autoFilter/@ref", "A1:B5"}, {Sheet1, "//filterColumn/@colId", "1"}, {Sheet1, "//c[@r='B1']/f", "A1*10"},
          {Sheet1, "//dataValidations", "(none)"}, {Sheet1, "//cfRule/formula", "A2>#REF!"},
          {Names, "//definedName[@name='Total']", "Data!#REF!"}, {Sheet1, "//mergeCell/@ref", "D1:E2"},
          {Table, "/table/@ref", "F1:G4"}, {Drawing, "//xdr:to/xdr:col", "3"}, {Sheet2, "//c[@r='B1']/f", "SUM(Data!A1:A5)"},
          {Sheet1, "//c[@r='H1']/f/@ref", "H1:I1"}}},
        {"column inserted inside the table", [](TXlsxWorkbook& w) { w.InsertColumn(0, 7); },
         {{Table, "/table/@ref", "G1:I4"}, {Table, "//tableColumns/@count", "3"}, {Table, "//tableColumn[2]/@name", "Column1"},
          {Table, "//tableColumn[2]/@id", "3"}, {Sheet1, "//c[@r='H1']/is/t", "Column1"}, {Sheet1, "//c[@r='I1']/is/t", "Val"},
          {Sheet1, "//c[@r='J1']/f/@ref", "J1:K1"}}},
    };
    const std::string original = BudgetFixture().Bytes();
    for (const TEditCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TXlsxWorkbook workbook;
        workbook.LoadFromBytes(u"budget.xlsx", original);
        c.Edit(workbook);
        const std::string saved = workbook.SaveToBytes();
        const auto entries = Entries(saved);
        for (const TExpected& expected : c.Expected) EXPECT_EQ(ValueAt(entries, expected.Part, expected.Path), expected.Value) << expected.Path;
        TXlsxWorkbook reloaded;
        EXPECT_NO_THROW(reloaded.LoadFromBytes(u"again.xlsx", saved));
    }
}

TEST(ReferenceEdits, PartsWithNothingThatMovesKeepTheirBytes) {
    // Other is named by nothing but itself: Data, the names, the chart, the table and the drawing stay.
    const std::string original = BudgetFixture().Bytes();
    TXlsxWorkbook workbook;
    workbook.LoadFromBytes(u"budget.xlsx", original);
    workbook.InsertRow(1, 0);
    const auto before = Entries(original), after = Entries(workbook.SaveToBytes());
    for (const std::string& part : {Sheet1, Chart, Table, Drawing, std::string("xl/worksheets/_rels/sheet1.xml.rels")}) {
        EXPECT_EQ(after.at(part), before.at(part)) << part;
    }
    EXPECT_EQ(ValueAt(after, Sheet2, "//c[@r='C2']/f"), "A2+1");
    EXPECT_EQ(ValueAt(after, Names, "//calcPr/@fullCalcOnLoad"), "1"); // the workbook has formulas

    // Without formulas nothing but the sheet changes, whatever the edit.
    const std::string plain = TXlsxFixture().Sheet("S", "<row r=\"1\">" + CellXml("A1", "1") + "</row>").Sheet("T", "").Bytes();
    TXlsxWorkbook values;
    values.LoadFromBytes(u"plain.xlsx", plain);
    values.InsertRow(0, 0);
    values.SetCellValue(0, 0, 0, u"2");
    values.SortByColumn(0, 0, true, false);
    values.DeleteColumn(0, 0);
    const auto plainBefore = Entries(plain), plainAfter = Entries(values.SaveToBytes());
    for (const auto& [name, bytes] : plainBefore) EXPECT_EQ(plainAfter.at(name) == bytes, name != Sheet1) << name;
}

TEST(ReferenceEdits, CellsThatNowHoldRefErrorsShowIt) {
    TXlsxWorkbook workbook;
    workbook.LoadFromBytes(u"budget.xlsx", BudgetFixture().Bytes());
    workbook.DeleteRow(0, 2);
    EXPECT_EQ(workbook.Sheet(1).Text(0, 0), u"#REF!");
    EXPECT_EQ(workbook.Sheet(1).Text(0, 2), u"7"); // its own formula keeps its value until calculated
    workbook.InsertColumn(0, 7);
    EXPECT_EQ(workbook.Sheet(0).Text(0, 7), u"Column1");
    EXPECT_EQ(workbook.Sheet(0).Text(0, 8), u"Val");
}

TEST(ReferenceEdits, ATableGoesWithItsLastColumnAndItsHeaderRowStays) {
    TXlsxWorkbook workbook;
    const std::string original = BudgetFixture().Bytes();
    workbook.LoadFromBytes(u"budget.xlsx", original);
    EXPECT_EQ(MessageOf([&] { workbook.DeleteRow(0, 0); }), u"The row cannot be deleted: it holds the header of the table \"Table1\".");
    EXPECT_EQ(workbook.Sheet(0).Text(0, 0), u"1");
    EXPECT_EQ(Entries(workbook.SaveToBytes()), Entries(original));

    workbook.DeleteColumn(0, 6); // Key
    workbook.DeleteColumn(0, 6); // Val, the last
    const auto entries = Entries(workbook.SaveToBytes());
    EXPECT_EQ(entries.count(Table), 0u);
    EXPECT_EQ(ValueAt(entries, Sheet1, "//tableParts"), "(none)");
    EXPECT_EQ(ValueAt(entries, "xl/worksheets/_rels/sheet1.xml.rels", "//Relationship[@Id='rId2']"), "(none)");
    EXPECT_EQ(ValueAt(entries, "xl/worksheets/_rels/sheet1.xml.rels", "//Relationship[@Id='rId1']/@Target"), "../drawings/drawing1.xml");
    EXPECT_EQ(entries.at("[Content_Types].xml").find("table1"), std::string::npos);
}

TEST(ReferenceEdits, SortingMovesFormulasWithTheirRows) {
    // Each row's formulas name their own row, D2 another row, which stays named; the total stays below.
    const std::string rows = "<row r=\"1\">" + CellXml("A1", "k") + "</row>"
                             "<row r=\"2\">" + CellXml("A2", "1") + "<c r=\"B2\"><f>A2*2</f><v>2</v></c>"
                             "<c r=\"C2\"><f t=\"shared\" ref=\"C2:C3\" si=\"0\">$A2+B2</f><v>3</v></c><c r=\"D2\"><f>A3</f><v>2</v></c></row>"
                             "<row r=\"3\">" + CellXml("A3", "2") + "<c r=\"B3\"><f>A3*2</f><v>4</v></c><c r=\"C3\"><f t=\"shared\" si=\"0\"/><v>6</v></c></row>"
                             "<row r=\"4\"><c r=\"B4\"><f>SUM(B2:B3)</f><v>6</v></c></row>";
    TXlsxWorkbook workbook;
    workbook.LoadFromBytes(u"sort.xlsx", TXlsxFixture().Sheet("S", rows).Bytes());
    workbook.SortByColumn(0, 0, false, true); // 2 before 1; the total's row, without a key, stays last
    const auto entries = Entries(workbook.SaveToBytes());
    for (const auto& [path, value] : std::vector<std::pair<std::string, std::string>>{
             {"//c[@r='B2']/f", "A2*2"}, {"//c[@r='B2']/v", "4"}, {"//c[@r='B3']/f", "A3*2"}, {"//c[@r='D3']/f", "A3"},
             {"//c[@r='C2']/f", "$A2+B2"}, {"//c[@r='C2']/f/@ref", "C2:C3"}, {"//c[@r='C3']/f", ""}, {"//c[@r='C3']/f/@si", "0"},
             {"//c[@r='B4']/f", "SUM(B2:B3)"}}) {
        EXPECT_EQ(ValueAt(entries, Sheet1, path), value) << path;
    }
    EXPECT_EQ(workbook.Sheet(0).Text(1, 2), u"6");

    // An array formula over two rows would be torn apart by the sort, a row inserted into it, or one of
    // its rows deleted: nothing changes.
    const std::string arrays = "<row r=\"1\">" + CellXml("A1", "2") + "<c r=\"B1\"><f t=\"array\" ref=\"B1:B2\">A1:A2</f><v>2</v></c></row>"
                               "<row r=\"2\">" + CellXml("A2", "1") + CellXml("B2", "1") + "</row>";
    TXlsxWorkbook split;
    const std::string original = TXlsxFixture().Sheet("S", arrays).Bytes();
    split.LoadFromBytes(u"split.xlsx", original);
    const std::u16string refusal = u"The edit would split the array formula of cell B1; nothing was changed.";
    EXPECT_EQ(MessageOf([&] { split.SortByColumn(0, 0, true, false); }), refusal);
    EXPECT_EQ(MessageOf([&] { split.InsertRow(0, 1); }), refusal);
    EXPECT_EQ(MessageOf([&] { split.DeleteRow(0, 1); }), refusal);
    EXPECT_EQ(split.Sheet(0).Text(0, 0), u"2");
    EXPECT_EQ(Entries(split.SaveToBytes()), Entries(original));
}

TEST(ReferenceEdits, TypingOverAFormulaKeepsTheRestOfItsGroup) {
    const std::string rows = "<row r=\"1\"><c r=\"A1\"><f t=\"shared\" ref=\"A1:A3\" si=\"0\">B1*2</f><v>0</v></c></row>"
                             "<row r=\"2\"><c r=\"A2\"><f t=\"shared\" si=\"0\"/><v>0</v></c></row>"
                             "<row r=\"3\"><c r=\"A3\"><f t=\"shared\" si=\"0\"/><v>0</v></c></row>";
    TXlsxWorkbook workbook;
    workbook.LoadFromBytes(u"typed.xlsx", TXlsxFixture().Sheet("S", rows).Bytes());
    workbook.SetCellValue(0, 0, 0, u"5");
    const auto entries = Entries(workbook.SaveToBytes());
    EXPECT_EQ(ValueAt(entries, Sheet1, "//c[@r='A1']/f"), "(none)");
    EXPECT_EQ(ValueAt(entries, Sheet1, "//c[@r='A2']/f"), "B2*2");
    EXPECT_EQ(ValueAt(entries, Sheet1, "//c[@r='A2']/f/@ref"), "A2:A3");
    EXPECT_EQ(ValueAt(entries, Sheet1, "//c[@r='A3']/f/@si"), "0");
    EXPECT_EQ(ValueAt(entries, Names, "//calcPr/@fullCalcOnLoad"), "1");
}

TEST(ReferenceEdits, AWorkbookLoadedAgainStartsAfresh) {
    // What edits learnt of one package (that Other names no sheet), and what its next save was to do,
    // go when another package is loaded into the same workbook.
    const std::string plain = TXlsxFixture().Sheet("Data", "<row r=\"1\">" + CellXml("A1", "1") + "</row>").Sheet("Other", "").Bytes();
    const std::string budget = BudgetFixture().Bytes();
    TXlsxWorkbook workbook;
    workbook.LoadFromBytes(u"plain.xlsx", plain);
    workbook.InsertRow(0, 0);
    workbook.LoadFromBytes(u"budget.xlsx", budget);
    EXPECT_EQ(Entries(workbook.SaveToBytes()), Entries(budget));
    workbook.InsertRow(0, 0);
    EXPECT_EQ(ValueAt(Entries(workbook.SaveToBytes()), Sheet2, "//c[@r='A1']/f"), "Data!A4*2");
}
