#include "LimitWorkbook.h"

#include "workbook/XlsxWorkbook.h"
#include "workbook/ZipPackage.h"

namespace tabulix::bench {

namespace {

bool IsStringColumn(int32_t col) { return col % 2 == 0; }

std::string Letters(int32_t col) {
    std::string letters;
    for (char16_t c : ColumnIndexToLetters(col)) letters += char(c);
    return letters;
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
    sheet += "</sheetData></worksheet>";
    const std::string count = std::to_string(stringCount);

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


} // namespace tabulix::bench
