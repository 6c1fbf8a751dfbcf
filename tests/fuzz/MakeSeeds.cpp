// Writes the seed corpus of the workbook fuzzer: the test fixtures' kinds of workbook, as whole
// packages (first byte 0) and as parts (first byte 1); and that of the number format fuzzer: values
// under every built-in code and a few that use what the built-in ones do not.
#include "base/Text.h"
#include "format/NumberFormat.h"
#include "support/XlsxFixture.h"
#include "workbook/XlsxBlankTemplate.h"

#include <cstring>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

using namespace tabulix::testing;

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: tabulix_fuzz_seeds WORKBOOK_FOLDER NUMBER_FORMAT_FOLDER\n";
        return 2;
    }
    const std::string rows = "<row r=\"1\">" + CellXml("A1", "0", "s", "3") + CellXml("B1", "45292.75", "", "1") +
                             CellXml("C1", "1", "b", "2") + CellXml("D1", "#N/A", "e") + CellXml("E1", "-2.5", "", "2") +
                             "</row><row r=\"2\">" +
                             "<c r=\"A2\" t=\"inlineStr\"><is><t>in_x000D_line</t></is></c>" + CellXml("GR2000", "9") +
                             "</row>";
    const std::string strings = "<si><t>plain</t></si><si><r><t>run</t></r><rPh><t>ph</t></rPh></si>";
    const std::string styles = StylesXml({0, 14, 164, 165}, {{164, "0.00;[Red]-0.00"}, {165, "@\" units\""}});
    // Formulas of every kind across two sheets, and what else names cells: for the edits that move them.
    const std::string main = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
    const std::string rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
    const std::string formulaSheet =
        "<worksheet xmlns=\"" + main + "\" xmlns:r=\"" + rel + "\"><dimension ref=\"A1:D3\"/><sheetData><row r=\"1\">" +
        CellXml("A1", "1") + "<c r=\"B1\"><f>SUM(A1:A3)</f><v>3</v></c><c r=\"C1\"><f t=\"shared\" ref=\"C1:C2\" si=\"0\">A1*2</f>"
        "<v>2</v></c></row><row r=\"2\">" + CellXml("A2", "2") + "<c r=\"C2\"><f t=\"shared\" si=\"0\"/><v>4</v></c>"
        "<c r=\"D2\"><f t=\"array\" ref=\"D2:D3\">A2:A3</f><v>2</v></c></row></sheetData><mergeCells count=\"1\"><mergeCell ref=\"A3:B3\"/>"
        "</mergeCells><conditionalFormatting sqref=\"A1:A3\"><cfRule type=\"expression\" priority=\"1\"><formula>A1&gt;1</formula>"
        "</cfRule></conditionalFormatting><dataValidations count=\"1\"><dataValidation sqref=\"B2\"><formula1>$A$1:$A$2</formula1>"
        "</dataValidation></dataValidations><hyperlinks><hyperlink ref=\"A1\" location=\"Other!A1\"/></hyperlinks>"
        "<drawing r:id=\"rId1\"/><tableParts count=\"1\"><tablePart r:id=\"rId2\"/></tableParts></worksheet>";
    const std::string formulaPackage =
        TXlsxFixture().Sheet("Data", "").Sheet("Other", "<row r=\"1\"><c r=\"A1\"><f>Data!A2+'Data'!B1</f><v>0</v></c></row>")
            .Entry("xl/worksheets/sheet1.xml", formulaSheet)
            .Entry("xl/workbook.xml", "<workbook xmlns=\"" + main + "\" xmlns:r=\"" + rel + "\"><sheets><sheet name=\"Data\" "
                   "sheetId=\"1\" r:id=\"rId1\"/><sheet name=\"Other\" sheetId=\"2\" r:id=\"rId2\"/></sheets><definedNames>"
                   "<definedName name=\"N\">Data!$A$1:$A$3</definedName></definedNames></workbook>")
            .Entry("xl/worksheets/_rels/sheet1.xml.rels", "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                   "<Relationship Id=\"rId1\" Type=\"" + rel + "/drawing\" Target=\"../drawings/drawing1.xml\"/><Relationship Id=\"rId2\" "
                   "Type=\"" + rel + "/table\" Target=\"../tables/table1.xml\"/></Relationships>")
            .Entry("xl/drawings/drawing1.xml", "<xdr:wsDr xmlns:xdr=\"http://schemas.openxmlformats.org/drawingml/2006/spreadsheetDrawing\">"
                   "<xdr:twoCellAnchor><xdr:from><xdr:col>0</xdr:col><xdr:colOff>0</xdr:colOff><xdr:row>4</xdr:row><xdr:rowOff>0</xdr:rowOff>"
                   "</xdr:from><xdr:to><xdr:col>3</xdr:col><xdr:colOff>0</xdr:colOff><xdr:row>9</xdr:row><xdr:rowOff>0</xdr:rowOff></xdr:to>"
                   "<xdr:clientData/></xdr:twoCellAnchor></xdr:wsDr>")
            .Entry("xl/tables/table1.xml", "<table xmlns=\"" + main + "\" id=\"1\" name=\"T\" displayName=\"T\" ref=\"E1:F3\">"
                   "<autoFilter ref=\"E1:F3\"/><tableColumns count=\"2\"><tableColumn id=\"1\" name=\"a\"/><tableColumn id=\"2\" "
                   "name=\"b\"/></tableColumns></table>")
            .Entry("xl/charts/chart1.xml", "<c:chartSpace xmlns:c=\"http://schemas.openxmlformats.org/drawingml/2006/chart\"><c:f>"
                   "Data!$A$1:$A$3</c:f></c:chartSpace>")
            .Bytes();
    const std::vector<std::string> packages = {
        formulaPackage,
        tabulix::BlankWorkbookBytes(),
        TXlsxFixture().Sheet("Data", rows).SharedStrings({"<t>plain</t>", "<r><t>run</t></r>"}).Styles(styles).Bytes(),
        TXlsxFixture().Sheet("A", "").Sheet("B", rows, "hidden").Sheet("C", rows).Bytes(),
    };
    // A sheet laid out and styled: frozen panes, sized and hidden rows and columns, merged cells, and
    // fonts, fills and borders in theme, indexed and tinted colours.
    const std::string laidOut =
        "<worksheet><sheetViews><sheetView showGridLines=\"0\"><pane xSplit=\"1\" ySplit=\"2\" topLeftCell=\"B3\" "
        "state=\"frozen\"/></sheetView></sheetViews><sheetFormatPr baseColWidth=\"10\" defaultRowHeight=\"16\"/><cols>"
        "<col min=\"2\" max=\"3\" width=\"20.7\"/><col min=\"5\" max=\"16384\" hidden=\"1\"/></cols><sheetData>"
        "<row r=\"1\" ht=\"30\">" + CellXml("A1", "0", "s", "1") + "</row><row hidden=\"1\"><c s=\"2\"><v>4</v></c></row>"
        "</sheetData><mergeCells><mergeCell ref=\"A1:C1\"/><mergeCell ref=\"D5:B4\"/></mergeCells></worksheet>";
    const std::string fullStyles =
        "<styleSheet><fonts><font><sz val=\"11\"/><color theme=\"1\"/><name val=\"Calibri\"/></font><font><b/><i/><u val=\"double\"/>"
        "<color theme=\"4\" tint=\"-0.25\"/></font></fonts><fills><fill><patternFill/></fill><fill><patternFill patternType=\"solid\">"
        "<fgColor indexed=\"22\"/></patternFill></fill><fill><gradientFill><stop position=\"0\"><color rgb=\"FF00B050\"/></stop>"
        "</gradientFill></fill></fills><borders><border><left style=\"thin\"><color auto=\"1\"/></left><top style=\"slantDashDot\">"
        "<color theme=\"3\" tint=\"0.4\"/></top></border></borders><cellStyleXfs><xf fontId=\"0\"/></cellStyleXfs><cellXfs><xf/>"
        "<xf fontId=\"1\" fillId=\"1\" borderId=\"0\"><alignment horizontal=\"center\" wrapText=\"1\" indent=\"1\"/></xf>"
        "<xf fillId=\"2\"><alignment vertical=\"top\"/></xf></cellXfs><colors><indexedColors><rgbColor rgb=\"FF123456\"/>"
        "</indexedColors></colors></styleSheet>";
    const std::vector<std::string> partSets = {
        "<worksheet><sheetData>" + rows + "</sheetData></worksheet>" + '\0' + "<sst>" + strings + "</sst>" + '\0' +
            "<styleSheet>" + styles + "</styleSheet>",
        laidOut + '\0' + "<sst>" + strings + "</sst>" + '\0' + fullStyles,
    };
    int n = 0;
    for (const std::string& package : packages) std::ofstream(std::string(argv[1]) + "/package" + std::to_string(n++), std::ios::binary) << '\0' << package;
    for (const std::string& parts : partSets) std::ofstream(std::string(argv[1]) + "/parts" + std::to_string(n++), std::ios::binary) << '\1' << parts;

    std::vector<std::string> codes = {"[>=100][Red]#,##0.00;[Blue]-0.0%;\"zero\";\"Text: \"@",
                                      "[$\xE2\x82\xAC-407]* #,##0_);(#,##0,,\"M\")", "y yy mmmmm dddd [mm]:ss.00 A/P"};
    for (int32_t id = 0; id < 50; ++id) codes.push_back(tabulix::Utf16ToUtf8(tabulix::BuiltInFormatCode(id)));
    n = 0;
    for (const double value : {1234.5, -45292.75, 0.125}) {
        for (const std::string& code : codes) {
            char head[9];
            std::memcpy(head, &value, sizeof value);
            head[8] = char(n % 2);
            std::ofstream(std::string(argv[2]) + "/code" + std::to_string(n++), std::ios::binary)
                << std::string(head, sizeof head) << code << '\0' << "text";
        }
    }
    return 0;
}
