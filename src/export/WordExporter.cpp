#include "base/Files.h"
#include "base/Text.h"
#include "export/XlsxExporter.h"
#include "workbook/ZipPackage.h"

#include <algorithm>

namespace tabulix {

namespace {

constexpr std::string_view XmlDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>";

constexpr std::string_view ContentTypesBody =
    "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
    "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
    "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
    "<Override PartName=\"/word/document.xml\" "
    "ContentType=\"application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml\"/>"
    "</Types>";

constexpr std::string_view RelationshipsBody =
    "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
    "<Relationship Id=\"rId1\" "
    "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument\" "
    "Target=\"word/document.xml\"/>"
    "</Relationships>";

constexpr std::string_view DocumentStart =
    "<w:document xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"><w:body>";

constexpr std::string_view SectionAndEnd =
    "<w:sectPr><w:pgSz w:w=\"15840\" w:h=\"12240\" w:orient=\"landscape\"/>"
    "<w:pgMar w:top=\"720\" w:right=\"720\" w:bottom=\"720\" w:left=\"720\"/></w:sectPr>"
    "</w:body></w:document>";

constexpr std::string_view HeadingStart =
    "<w:p><w:pPr><w:spacing w:before=\"240\" w:after=\"120\"/></w:pPr><w:r><w:rPr><w:b/><w:sz w:val=\"28\"/>"
    "</w:rPr><w:t xml:space=\"preserve\">";
constexpr std::string_view ParagraphEnd = "</w:t></w:r></w:p>";

constexpr std::string_view EmptySheetParagraph =
    "<w:p><w:r><w:rPr><w:i/></w:rPr><w:t>(empty worksheet)</w:t></w:r></w:p>";

constexpr std::string_view TableStart =
    "<w:tbl><w:tblPr><w:tblW w:w=\"0\" w:type=\"auto\"/><w:tblBorders>"
    "<w:top w:val=\"single\" w:sz=\"4\" w:space=\"0\" w:color=\"999999\"/>"
    "<w:left w:val=\"single\" w:sz=\"4\" w:space=\"0\" w:color=\"999999\"/>"
    "<w:bottom w:val=\"single\" w:sz=\"4\" w:space=\"0\" w:color=\"999999\"/>"
    "<w:right w:val=\"single\" w:sz=\"4\" w:space=\"0\" w:color=\"999999\"/>"
    "<w:insideH w:val=\"single\" w:sz=\"4\" w:space=\"0\" w:color=\"999999\"/>"
    "<w:insideV w:val=\"single\" w:sz=\"4\" w:space=\"0\" w:color=\"999999\"/>"
    "</w:tblBorders></w:tblPr>";

// The page's width inside its margins, in twentieths of a point.
constexpr int32_t TextWidthTwips = 15840 - 2 * 720;

constexpr std::string_view CellStart =
    "<w:tc><w:tcPr><w:tcW w:w=\"0\" w:type=\"auto\"/></w:tcPr><w:p><w:r><w:rPr><w:sz w:val=\"18\"/></w:rPr>"
    "<w:t xml:space=\"preserve\">";
constexpr std::string_view CellEnd = "</w:t></w:r></w:p></w:tc>";

std::string XmlPart(std::string_view body) {
    std::string part(XmlDeclaration);
    part += body;
    return part;
}

} // namespace

void AppendWordSheet(const TXlsxSheet& sheet, std::string& documentUtf8) {
    documentUtf8 += HeadingStart;
    documentUtf8 += Utf16ToUtf8(XmlEscape(sheet.Name));
    documentUtf8 += ParagraphEnd;
    if (sheet.RowCount == 0 || sheet.ColCount == 0) {
        documentUtf8 += EmptySheetParagraph;
        return;
    }
    documentUtf8 += TableStart;
    // The grid is required by the document schema, and readers that follow it refuse a table without
    // one. Equal shares of the text width are only a starting point: the table's width is automatic.
    const int32_t columnTwips = std::max(1, TextWidthTwips / sheet.ColCount);
    const std::string gridColumn = "<w:gridCol w:w=\"" + std::to_string(columnTwips) + "\"/>";
    documentUtf8 += "<w:tblGrid>";
    for (int32_t c = 0; c < sheet.ColCount; ++c) documentUtf8 += gridColumn;
    documentUtf8 += "</w:tblGrid>";
    for (int32_t r = 0; r < sheet.RowCount; ++r) {
        documentUtf8 += "<w:tr>";
        for (int32_t c = 0; c < sheet.ColCount; ++c) {
            documentUtf8 += CellStart;
            documentUtf8 += Utf16ToUtf8(XmlEscape(sheet.Text(r, c)));
            documentUtf8 += CellEnd;
        }
        documentUtf8 += "</w:tr>";
    }
    documentUtf8 += "</w:tbl>";
}

void AddZipTextEntry(TZipWriter& package, std::u16string_view entryName, std::string_view textUtf8) {
    package.Add(entryName, textUtf8);
}

void ExportWord(const TXlsxWorkbook& workbook, int32_t currentIndex, bool allSheets, const std::u16string& fileName) {
    const std::vector<int32_t> indexes = SheetIndexesToExport(workbook, currentIndex, allSheets);
    RefuseOversizedExport(workbook, indexes, CellStart.size() + CellEnd.size());
    // Most of a large document is the markup around its cells: reserving for it up front spares
    // copying tens of megabytes each time the text outgrows its buffer.
    size_t expected = 4096;
    for (const int32_t index : indexes) {
        const TXlsxSheet& sheet = workbook.Sheet(index);
        expected += size_t(sheet.RowCount) * (16 + size_t(sheet.ColCount) * (CellStart.size() + CellEnd.size() + 16));
    }
    std::string document;
    document.reserve(expected);
    document += XmlDeclaration;
    document += DocumentStart;
    for (const int32_t index : indexes) AppendWordSheet(workbook.Sheet(index), document);
    document += SectionAndEnd;

    TZipWriter package;
    AddZipTextEntry(package, u"[Content_Types].xml", XmlPart(ContentTypesBody));
    AddZipTextEntry(package, u"_rels/.rels", XmlPart(RelationshipsBody));
    AddZipTextEntry(package, u"word/document.xml", document);
    WriteFileAtomically(TextToPath(fileName), package.Finish());
}

} // namespace tabulix
