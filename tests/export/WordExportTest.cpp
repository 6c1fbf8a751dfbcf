#include "base/Text.h"
#include "export/ExportTestSupport.h"
#include "export/XlsxExporter.h"
#include "support/TempFolder.h"
#include "workbook/ZipPackage.h"

#include <gtest/gtest.h>

using namespace tabulix;
using namespace tabulix::testing;

namespace {

const std::string Declaration = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>";

// Name and compression method of every entry, from the archive's central directory.
std::vector<std::pair<std::string, int>> CentralDirectory(const std::string& archive) {
    std::vector<std::pair<std::string, int>> entries;
    const auto u16 = [&](size_t at) { return size_t(uint8_t(archive[at])) | size_t(uint8_t(archive[at + 1])) << 8; };
    for (size_t at = archive.find("PK\x01\x02"); at != std::string::npos; at = archive.find("PK\x01\x02", at + 46)) {
        entries.emplace_back(archive.substr(at + 46, u16(at + 28)), int(u16(at + 10)));
    }
    return entries;
}

std::vector<TZipEntry> ExportedEntries(const TGridWorkbook& book, int32_t current, const std::u16string& scope) {
    TTempFolder folder;
    ExportWorkbookToFile(&book, current, u"Word", scope, PathToText(folder / u"out.docx"));
    const std::string archive = ReadFileBytes(folder / u"out.docx");
    EXPECT_EQ(CentralDirectory(archive), (std::vector<std::pair<std::string, int>>{
                                             {"[Content_Types].xml", 8}, {"_rels/.rels", 8}, {"word/document.xml", 8}}));
    return ReadZipArchive(archive);
}

const std::string HeadingStart = "<w:p><w:pPr><w:spacing w:before=\"240\" w:after=\"120\"/></w:pPr><w:r><w:rPr><w:b/>"
                                 "<w:sz w:val=\"28\"/></w:rPr><w:t xml:space=\"preserve\">";
const std::string CellStart = "<w:tc><w:tcPr><w:tcW w:w=\"0\" w:type=\"auto\"/></w:tcPr><w:p><w:r><w:rPr>"
                              "<w:sz w:val=\"18\"/></w:rPr><w:t xml:space=\"preserve\">";
const std::string CellEnd = "</w:t></w:r></w:p></w:tc>";
const std::string Section = "<w:sectPr><w:pgSz w:w=\"15840\" w:h=\"12240\" w:orient=\"landscape\"/><w:pgMar w:top=\"720\" "
                            "w:right=\"720\" w:bottom=\"720\" w:left=\"720\"/></w:sectPr></w:body></w:document>";

std::string Border(const std::string& side) {
    return "<w:" + side + " w:val=\"single\" w:sz=\"4\" w:space=\"0\" w:color=\"999999\"/>";
}

} // namespace

TEST(WordExport, PackagePartsToTheByte) {
    TGridWorkbook book;
    book.Add(u"S", {{u"x"}});
    const std::vector<TZipEntry> entries = ExportedEntries(book, 0, u"");
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].Bytes,
              Declaration +
                  "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
                  "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
                  "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
                  "<Override PartName=\"/word/document.xml\" "
                  "ContentType=\"application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml\"/>"
                  "</Types>");
    EXPECT_EQ(entries[1].Bytes,
              Declaration +
                  "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                  "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
                  "officeDocument\" Target=\"word/document.xml\"/></Relationships>");
}

TEST(WordExport, HeadingAndTablePerWorksheetAndTheEmptyOne) {
    TGridWorkbook book;
    book.Add(u"Tom & Jerry", {{u" a<b> ", u"\"it's\""}, {u"bell\x07", u"\u00e9"}}).Add(u"Empty", {}).Add(u"Skipped", {{u"z"}});
    const std::vector<TZipEntry> entries = ExportedEntries(book, 0, u"All");
    ASSERT_EQ(entries.size(), 3u);
    const std::string table = "<w:tbl><w:tblPr><w:tblW w:w=\"0\" w:type=\"auto\"/><w:tblBorders>" + Border("top") +
                              Border("left") + Border("bottom") + Border("right") + Border("insideH") +
                              Border("insideV") + "</w:tblBorders></w:tblPr>";
    const std::string twoColumns = "<w:tblGrid><w:gridCol w:w=\"7200\"/><w:gridCol w:w=\"7200\"/></w:tblGrid>";
    const std::string oneColumn = "<w:tblGrid><w:gridCol w:w=\"14400\"/></w:tblGrid>";
    EXPECT_EQ(entries[2].Bytes,
              Declaration + "<w:document xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"><w:body>" +
                  HeadingStart + "Tom &amp; Jerry</w:t></w:r></w:p>" + table + twoColumns + "<w:tr>" + CellStart + " a&lt;b&gt; " +
                  CellEnd + CellStart + "&quot;it&apos;s&quot;" + CellEnd + "</w:tr><w:tr>" + CellStart + "bell" +
                  CellEnd + CellStart + "\xC3\xA9" + CellEnd + "</w:tr></w:tbl>" + HeadingStart +
                  "Empty</w:t></w:r></w:p><w:p><w:r><w:rPr><w:i/></w:rPr><w:t>(empty worksheet)</w:t></w:r></w:p>" +
                  HeadingStart + "Skipped</w:t></w:r></w:p>" + table + oneColumn + "<w:tr>" + CellStart + "z" + CellEnd +
                  "</w:tr></w:tbl>" + Section);
}

TEST(WordExport, CurrentWorksheetOnly) {
    TGridWorkbook book;
    book.Add(u"One", {{u"1"}}).Add(u"Two", {{u"2"}});
    const std::string document = ExportedEntries(book, 1, u"CurrentSheet")[2].Bytes;
    EXPECT_EQ(document.find("One"), std::string::npos);
    EXPECT_NE(document.find(HeadingStart + "Two</w:t>"), std::string::npos);
    // A row of no columns is as empty as no rows at all.
    TGridWorkbook narrow;
    narrow.Add(u"N", {{}, {}});
    EXPECT_NE(ExportedEntries(narrow, 0, u"")[2].Bytes.find("(empty worksheet)"), std::string::npos);
}
