#include "LimitWorkbook.h"

#include "workbook/XlsxWorkbook.h"
#include "workbook/ZipPackage.h"

#include <iterator>

namespace tabulix::bench {

namespace {

bool IsStringColumn(int32_t col) { return col % 2 == 0; }

std::string Letters(int32_t col) {
    std::string letters;
    for (char16_t c : ColumnIndexToLetters(col)) letters += char(c);
    return letters;
}

const std::string MainNamespace = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
const std::string RelNamespace = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";

// A package of one sheet "Data" holding sheetXml, with its shared strings and styles when given, and
// the worksheet's elements before and after sheetData.
std::string PackWorkbook(const std::string& sheetXml, const std::string& sharedStringsXml, const std::string& stylesXml,
                         const std::string& beforeData = "", const std::string& afterData = "") {
    const std::string declaration = R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)";
    const std::string override = R"(<Override PartName="/xl/)";
    std::string types = declaration + R"(<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">)"
                        R"(<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>)"
                        R"(<Default Extension="xml" ContentType="application/xml"/>)" +
                        override + R"(workbook.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/>)" +
                        override + R"(worksheets/sheet1.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/>)";
    std::string rels = declaration + R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
                       R"(<Relationship Id="rId1" Type=")" + RelNamespace + R"(/worksheet" Target="worksheets/sheet1.xml"/>)";
    TZipWriter zip;
    if (!sharedStringsXml.empty()) {
        types += override + R"(sharedStrings.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml"/>)";
        rels += R"(<Relationship Id="rId2" Type=")" + RelNamespace + R"(/sharedStrings" Target="sharedStrings.xml"/>)";
        zip.Add(u"xl/sharedStrings.xml", declaration + sharedStringsXml);
    }
    if (!stylesXml.empty()) {
        types += override + R"(styles.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml"/>)";
        rels += R"(<Relationship Id="rId3" Type=")" + RelNamespace + R"(/styles" Target="styles.xml"/>)";
        zip.Add(u"xl/styles.xml", declaration + R"(<styleSheet xmlns=")" + MainNamespace + R"(">)" + stylesXml + "</styleSheet>");
    }
    zip.Add(u"[Content_Types].xml", types + "</Types>");
    zip.Add(u"_rels/.rels", declaration + R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
                            R"(<Relationship Id="rId1" Type=")" + RelNamespace + R"(/officeDocument" Target="xl/workbook.xml"/></Relationships>)");
    zip.Add(u"xl/workbook.xml", declaration + R"(<workbook xmlns=")" + MainNamespace + R"(" xmlns:r=")" + RelNamespace +
                                    R"("><sheets><sheet name="Data" sheetId="1" r:id="rId1"/></sheets></workbook>)");
    zip.Add(u"xl/_rels/workbook.xml.rels", rels + "</Relationships>");
    zip.Add(u"xl/worksheets/sheet1.xml", declaration + R"(<worksheet xmlns=")" + MainNamespace + R"(">)" + beforeData +
                                             "<sheetData>" + sheetXml + "</sheetData>" + afterData + "</worksheet>");
    return zip.Finish();
}

} // namespace

// The formula of a cell in the first ten columns of the formula workbook, 1-based row r: each names
// cells of other rows, some of the sheet Lookup.
std::string FormulaText(int32_t r, int32_t col) {
    const std::string row = std::to_string(r), next = std::to_string(r + 1), prev = std::to_string(r > 1 ? r - 1 : 1);
    switch (col) {
    case 0: return "K" + next + "+L" + prev + "*2";
    case 1: return "SUM(K" + row + ":T" + next + ")";
    case 2: return "IF(M" + next + "&gt;0,N" + row + "/M" + next + ",0)";
    case 3: return "VLOOKUP(K" + row + ",Lookup!$A$1:$C$100,2,FALSE)";
    case 4: return "AVERAGE(K$2:K$2000)-K" + next;
    case 5: return "A" + prev + "+B" + row;
    case 6: return "ROUND(O" + row + "*$GR$1,2)";
    case 7: return "P" + row + "&gt;Q" + next;
    case 8: return "SUMPRODUCT(K" + row + ":M" + row + ",$K$1:$M$1)";
    default: return "Lookup!B" + row + "+S" + next;
    }
}

std::string StringText(int32_t row, int32_t col) { return "Row " + std::to_string(row + 1) + " " + Letters(col); }
std::string NumberText(int32_t row, int32_t col) { return std::to_string((row + 1) * 1000 + col) + ".25"; }

namespace {

// One sheet "Data" of MaxLoadedRows x MaxLoadedCols cells, every cell filled, packed as .xlsx; with
// formulas, its first ten columns hold them, and a second sheet "Lookup" names Data's cells.
std::string MakeWorkbook(bool formulas) {
    const std::string main = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
    const std::string rels = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
    std::string sheet = R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?><worksheet xmlns=")" + main + R"("><sheetData>)";
    std::string strings;
    int32_t stringCount = 0;
    for (int32_t r = 0; r < MaxLoadedRows; ++r) {
        sheet += "<row r=\"" + std::to_string(r + 1) + "\">";
        for (int32_t c = 0; c < MaxLoadedCols; ++c) {
            const std::string ref = Letters(c) + std::to_string(r + 1);
            if (formulas && c < 10) {
                sheet += "<c r=\"" + ref + "\"><f>" + FormulaText(r + 1, c) + "</f><v>1</v></c>";
            } else if (IsStringColumn(c)) {
                sheet += "<c r=\"" + ref + "\" t=\"s\"><v>" + std::to_string(stringCount++) + "</v></c>";
                strings += "<si><t>" + StringText(r, c) + "</t></si>";
            } else {
                sheet += "<c r=\"" + ref + "\"><v>" + NumberText(r, c) + "</v></c>";
            }
        }
        sheet += "</row>";
    }
    const std::string count = std::to_string(stringCount);
    sheet += "</sheetData></worksheet>";

    TZipWriter zip;
    zip.Add(u"[Content_Types].xml",
            R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?><Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">)"
            R"(<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>)"
            R"(<Default Extension="xml" ContentType="application/xml"/>)"
            R"(<Override PartName="/xl/workbook.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/>)"
            R"(<Override PartName="/xl/worksheets/sheet1.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/>)"
            R"(<Override PartName="/xl/worksheets/sheet2.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/>)"
            R"(<Override PartName="/xl/sharedStrings.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml"/></Types>)");
    zip.Add(u"_rels/.rels", R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
                            R"(<Relationship Id="rId1" Type=")" + rels + R"(/officeDocument" Target="xl/workbook.xml"/></Relationships>)");
    zip.Add(u"xl/workbook.xml", R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?><workbook xmlns=")" + main +
                                    R"(" xmlns:r=")" + rels + R"("><sheets><sheet name="Data" sheetId="1" r:id="rId1"/>)" +
                                    (formulas ? R"(<sheet name="Lookup" sheetId="2" r:id="rId3"/>)" : "") + "</sheets></workbook>");
    zip.Add(u"xl/_rels/workbook.xml.rels",
            R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
            R"(<Relationship Id="rId1" Type=")" + rels + R"(/worksheet" Target="worksheets/sheet1.xml"/>)"
            R"(<Relationship Id="rId2" Type=")" + rels + R"(/sharedStrings" Target="sharedStrings.xml"/>)" +
            (formulas ? R"(<Relationship Id="rId3" Type=")" + rels + R"(/worksheet" Target="worksheets/sheet2.xml"/>)" : "") +
            "</Relationships>");
    zip.Add(u"xl/worksheets/sheet1.xml", sheet);
    if (formulas) {
        std::string lookup = R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?><worksheet xmlns=")" + main + R"("><sheetData>)";
        for (int32_t r = 1; r <= 100; ++r) {
            const std::string row = std::to_string(r);
            lookup += "<row r=\"" + row + "\"><c r=\"A" + row + "\"><v>" + row + "</v></c><c r=\"B" + row + "\"><f>Data!K" + row +
                      "*2</f><v>1</v></c><c r=\"C" + row + "\"><f>SUM(Data!A" + row + ":J" + row + ")</f><v>1</v></c></row>";
        }
        zip.Add(u"xl/worksheets/sheet2.xml", lookup + "</sheetData></worksheet>");
    }
    zip.Add(u"xl/sharedStrings.xml", R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?><sst xmlns=")" + main +
                                         R"(" count=")" + count + R"(" uniqueCount=")" + count + R"(">)" + strings + "</sst>");
    return zip.Finish();
}

} // namespace

std::string MakeLimitWorkbook() { return MakeWorkbook(false); }
std::string MakeFormulaWorkbook() { return MakeWorkbook(true); }


std::string MakeFormattedWorkbook(int32_t rows, int32_t cols) {
    // Style k + 1 shows column k modulo the number of formats.
    const char* const codes[] = {"&quot;$&quot;#,##0.00", "0.0%", "m/d/yyyy", "h:mm:ss AM/PM", "# ?/?",
                                 "#,##0.00;[Red]-#,##0.00", "_(&quot;$&quot;* #,##0.00_);_(&quot;$&quot;* \\(#,##0.00\\);_(&quot;$&quot;* &quot;-&quot;??_);_(@_)"};
    const int32_t formats = int32_t(std::size(codes));
    std::string styles = "<numFmts count=\"" + std::to_string(formats) + "\">";
    for (int32_t k = 0; k < formats; ++k) {
        styles += "<numFmt numFmtId=\"" + std::to_string(164 + k) + "\" formatCode=\"" + codes[k] + "\"/>";
    }
    styles += "</numFmts><cellXfs count=\"" + std::to_string(formats + 1) + "\"><xf numFmtId=\"0\"/>";
    for (int32_t k = 0; k < formats; ++k) styles += "<xf numFmtId=\"" + std::to_string(164 + k) + "\" applyNumberFormat=\"1\"/>";
    styles += "</cellXfs>";
    std::string sheet;
    for (int32_t r = 0; r < rows; ++r) {
        sheet += "<row r=\"" + std::to_string(r + 1) + "\">";
        for (int32_t c = 0; c < cols; ++c) {
            // Amounts of either sign, fractions of one, dates of the 21st century with their times.
            const double value = c % formats == 2 || c % formats == 3 ? 36526 + r * 7.3 + c * 0.137
                                                                        : (r % 3 == 1 ? -1 : 1) * (r * 1234.567 + c / 8.0);
            sheet += "<c r=\"" + Letters(c) + std::to_string(r + 1) + "\" s=\"" + std::to_string(c % formats + 1) + "\"><v>" +
                     std::to_string(value) + "</v></c>";
        }
        sheet += "</row>";
    }
    return PackWorkbook(sheet, "", styles);
}

std::string MakeStyledWorkbook(int32_t rows, int32_t cols) {
    const std::string styles =
        R"(<numFmts count="2"><numFmt numFmtId="164" formatCode="#,##0.00;[Red]-#,##0.00"/>)"
        R"(<numFmt numFmtId="165" formatCode="0.0%"/></numFmts>)"
        R"(<fonts count="5"><font><sz val="11"/><name val="Calibri"/></font><font><b/><sz val="11"/><name val="Calibri"/></font>)"
        R"(<font><i/><u/><sz val="11"/><color rgb="FF2E75B6"/><name val="Calibri"/></font>)"
        R"(<font><b/><sz val="14"/><color rgb="FFFFFFFF"/><name val="Cambria"/></font>)"
        R"(<font><strike/><sz val="9"/><name val="Arial"/></font></fonts>)"
        R"(<fills count="4"><fill><patternFill patternType="none"/></fill><fill><patternFill patternType="gray125"/></fill>)"
        R"(<fill><patternFill patternType="solid"><fgColor rgb="FF1F4E78"/></patternFill></fill>)"
        R"(<fill><patternFill patternType="solid"><fgColor rgb="FFFFF2CC"/></patternFill></fill></fills>)"
        R"(<borders count="4"><border/><border><left style="thin"/><right style="thin"/><top style="thin"/><bottom style="thin"/></border>)"
        R"(<border><bottom style="double"/><top style="medium"><color rgb="FFFF0000"/></top></border>)"
        R"(<border><left style="dashed"/><right style="dotted"/><bottom style="hair"/></border></borders>)"
        R"(<cellStyleXfs count="1"><xf fontId="0"/></cellStyleXfs><cellXfs count="8"><xf/>)"
        R"(<xf fontId="3" fillId="2" applyAlignment="1"><alignment horizontal="center" vertical="center"/></xf>)"
        R"(<xf numFmtId="164" borderId="1"/>)"
        R"(<xf numFmtId="165" fontId="2" borderId="3"/>)"
        R"(<xf fontId="1" fillId="3" borderId="2"><alignment horizontal="right"/></xf>)"
        R"(<xf borderId="1"><alignment wrapText="1" vertical="top"/></xf>)"
        R"(<xf fontId="4"><alignment indent="2"/></xf>)"
        R"(<xf fontId="1"><alignment horizontal="centerContinuous"/></xf></cellXfs>)";
    std::string sheet;
    std::string merges;
    int32_t mergeCount = 0;
    for (int32_t r = 0; r < rows; ++r) {
        const std::string number = std::to_string(r + 1);
        sheet += "<row r=\"" + number + "\"" + (r % 9 == 4 ? " hidden=\"1\"" : r % 5 == 0 ? " ht=\"24\" customHeight=\"1\"" : "") + ">";
        for (int32_t c = 0; c < cols; ++c) {
            const std::string ref = Letters(c) + number;
            if (r == 0) {
                sheet += "<c r=\"" + ref + "\" s=\"1\" t=\"inlineStr\"><is><t>Heading " + Letters(c) + "</t></is></c>";
                continue;
            }
            // A long note every seventh row that runs on over the empty cells after it.
            if (r % 7 == 3 && c % 6 == 0) {
                sheet += "<c r=\"" + ref + "\" t=\"inlineStr\"><is><t>A note long enough to run on over two cells</t></is></c>";
                continue;
            }
            if (r % 7 == 3) continue;
            const int32_t style = 2 + (r + c) % 6;
            if (style == 5) {
                sheet += "<c r=\"" + ref + "\" s=\"5\" t=\"inlineStr\"><is><t>Wrapped text of several words " + ref + "</t></is></c>";
            } else if (style == 6 || style == 7) {
                sheet += "<c r=\"" + ref + "\" s=\"" + std::to_string(style) + "\" t=\"inlineStr\"><is><t>" + StringText(r, c) + "</t></is></c>";
            } else {
                sheet += "<c r=\"" + ref + "\" s=\"" + std::to_string(style) + "\"><v>" + std::to_string((r % 3 == 1 ? -1 : 1) * (r * 12.5 + c)) + "</v></c>";
            }
        }
        sheet += "</row>";
        if (r % 11 == 8 && r + 1 < rows) {
            merges += "<mergeCell ref=\"" + Letters(2) + number + ":" + Letters(4) + std::to_string(r + 2) + "\"/>";
            ++mergeCount;
        }
    }
    std::string columns = "<cols>";
    for (int32_t c = 0; c < cols; ++c) {
        const std::string n = std::to_string(c + 1);
        if (c % 8 == 5) columns += "<col min=\"" + n + "\" max=\"" + n + "\" width=\"9\" hidden=\"1\"/>";
        else columns += "<col min=\"" + n + "\" max=\"" + n + "\" width=\"" + std::to_string(8 + c % 4 * 3) + "\" customWidth=\"1\"/>";
    }
    columns += "</cols>";
    const std::string before = R"(<sheetViews><sheetView workbookViewId="0"><pane xSplit="1" ySplit="1" topLeftCell="B2" )"
                               R"(activePane="bottomRight" state="frozen"/></sheetView></sheetViews>)"
                               R"(<sheetFormatPr baseColWidth="8" defaultRowHeight="15"/>)" + columns;
    const std::string after = "<mergeCells count=\"" + std::to_string(mergeCount) + "\">" + merges + "</mergeCells>";
    return PackWorkbook(sheet, "", styles, before, after);
}

} // namespace tabulix::bench
