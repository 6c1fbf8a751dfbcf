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

std::string StringText(int32_t row, int32_t col) { return "Row " + std::to_string(row + 1) + " " + Letters(col); }
std::string NumberText(int32_t row, int32_t col) { return std::to_string((row + 1) * 1000 + col) + ".25"; }

// One sheet "Data" of MaxLoadedRows x MaxLoadedCols cells, every cell filled, packed as .xlsx.
std::string MakeLimitWorkbook() {
    const std::string main = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
    const std::string rels = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
    std::string sheet = R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?><worksheet xmlns=")" + main + R"("><sheetData>)";
    std::string strings;
    int32_t stringCount = 0;
    for (int32_t r = 0; r < MaxLoadedRows; ++r) {
        sheet += "<row r=\"" + std::to_string(r + 1) + "\">";
        for (int32_t c = 0; c < MaxLoadedCols; ++c) {
            const std::string ref = Letters(c) + std::to_string(r + 1);
            if (IsStringColumn(c)) {
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
            R"(<Override PartName="/xl/sharedStrings.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml"/></Types>)");
    zip.Add(u"_rels/.rels", R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
                            R"(<Relationship Id="rId1" Type=")" + rels + R"(/officeDocument" Target="xl/workbook.xml"/></Relationships>)");
    zip.Add(u"xl/workbook.xml", R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?><workbook xmlns=")" + main +
                                    R"(" xmlns:r=")" + rels + R"("><sheets><sheet name="Data" sheetId="1" r:id="rId1"/></sheets></workbook>)");
    zip.Add(u"xl/_rels/workbook.xml.rels",
            R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
            R"(<Relationship Id="rId1" Type=")" + rels + R"(/worksheet" Target="worksheets/sheet1.xml"/>)"
            R"(<Relationship Id="rId2" Type=")" + rels + R"(/sharedStrings" Target="sharedStrings.xml"/></Relationships>)");
    zip.Add(u"xl/worksheets/sheet1.xml", sheet);
    zip.Add(u"xl/sharedStrings.xml", R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?><sst xmlns=")" + main +
                                         R"(" count=")" + count + R"(" uniqueCount=")" + count + R"(">)" + strings + "</sst>");
    return zip.Finish();
}


} // namespace tabulix::bench
