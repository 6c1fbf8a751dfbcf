#include "support/XlsxFixture.h"

#include "base/Files.h"
#include "base/Text.h"
#include "workbook/XlsxWorkbook.h"
#include "workbook/ZipPackage.h"

#include <algorithm>

namespace tabulix::testing {

namespace {

const char* MainNs = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
const char* RelNs = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";

std::string Escape(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '&') out += "&amp;";
        else if (c == '<') out += "&lt;";
        else if (c == '"') out += "&quot;";
        else out += c;
    }
    return out;
}

} // namespace

TXlsxFixture& TXlsxFixture::Sheet(const std::string& name, const std::string& rowsXml, const std::string& state) {
    FSheets.push_back({name, rowsXml, state});
    return *this;
}

TXlsxFixture& TXlsxFixture::SharedStrings(const std::vector<std::string>& itemsXml) {
    FSharedStrings = itemsXml;
    FHasSharedStrings = true;
    return *this;
}

TXlsxFixture& TXlsxFixture::Styles(const std::string& styleSheetXml) {
    FStyles = styleSheetXml;
    return *this;
}

TXlsxFixture& TXlsxFixture::Entry(const std::string& name, const std::string& bytes) {
    FEntries.emplace_back(name, bytes);
    return *this;
}

TXlsxFixture& TXlsxFixture::StoredEntry(const std::string& storedName, const std::string& bytes) {
    FStoredEntries.emplace_back(storedName, bytes);
    return *this;
}

TXlsxFixture& TXlsxFixture::Declared() {
    FDeclared = true;
    return *this;
}

TXlsxFixture& TXlsxFixture::Without(const std::string& name) {
    FWithout.push_back(name);
    return *this;
}

std::string TXlsxFixture::Bytes() const {
    std::vector<std::pair<std::string, std::string>> parts;
    std::string workbook = std::string("<workbook xmlns=\"") + MainNs + "\" xmlns:r=\"" + RelNs + "\"><sheets>";
    std::string rels = "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
    for (size_t i = 0; i < FSheets.size(); ++i) {
        const std::string n = std::to_string(i + 1);
        workbook += "<sheet name=\"" + Escape(FSheets[i].Name) + "\" sheetId=\"" + n + "\"" +
                    (FSheets[i].State.empty() ? "" : " state=\"" + FSheets[i].State + "\"") + " r:id=\"rId" + n + "\"/>";
        rels += "<Relationship Id=\"rId" + n + "\" Type=\"" + RelNs + "/worksheet\" Target=\"worksheets/sheet" + n + ".xml\"/>";
        parts.emplace_back("xl/worksheets/sheet" + n + ".xml", std::string("<worksheet xmlns=\"") + MainNs +
                                                                    "\"><sheetData>" + FSheets[i].RowsXml +
                                                                    "</sheetData></worksheet>");
    }
    workbook += "</sheets></workbook>";
    rels += "</Relationships>";
    parts.emplace(parts.begin(), "xl/_rels/workbook.xml.rels", rels);
    parts.emplace(parts.begin(), "xl/workbook.xml", workbook);
    parts.emplace(parts.begin(), "[Content_Types].xml",
                  "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
                  "<Default Extension=\"xml\" ContentType=\"application/xml\"/></Types>");
    if (FHasSharedStrings) {
        std::string strings = std::string("<sst xmlns=\"") + MainNs + "\">";
        for (const std::string& item : FSharedStrings) strings += "<si>" + item + "</si>";
        parts.emplace_back("xl/sharedStrings.xml", strings + "</sst>");
    }
    if (!FStyles.empty()) parts.emplace_back("xl/styles.xml", std::string("<styleSheet xmlns=\"") + MainNs + "\">" + FStyles + "</styleSheet>");
    for (auto& part : parts) {
        if (FDeclared) part.second = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" + part.second;
    }
    for (const auto& entry : FEntries) {
        const auto same = std::find_if(parts.begin(), parts.end(), [&](const auto& p) { return p.first == entry.first; });
        if (same != parts.end()) same->second = entry.second;
        else parts.push_back(entry);
    }
    TZipWriter writer;
    for (const auto& [name, bytes] : parts) {
        if (std::find(FWithout.begin(), FWithout.end(), name) == FWithout.end()) writer.Add(Utf8ToUtf16(name), bytes);
    }
    // The writer names entries in UTF-8: a stored name takes the place of an ASCII name of its length,
    // which the writer leaves unflagged, in the entry's local header and in the directory.
    for (size_t i = 0; i < FStoredEntries.size(); ++i) {
        writer.Add(Utf8ToUtf16(std::string(FStoredEntries[i].first.size(), char('A' + i))), FStoredEntries[i].second);
    }
    std::string archive = writer.Finish();
    for (size_t i = 0; i < FStoredEntries.size(); ++i) {
        const std::string placeholder(FStoredEntries[i].first.size(), char('A' + i));
        for (size_t at = archive.find(placeholder); at != std::string::npos; at = archive.find(placeholder, at + 1)) {
            archive.replace(at, placeholder.size(), FStoredEntries[i].first);
        }
    }
    return archive;
}

void TXlsxFixture::WriteTo(const std::filesystem::path& path) const { WriteFileBytes(path, Bytes()); }

std::string CellXml(const std::string& ref, const std::string& value, const std::string& type, const std::string& style) {
    std::string xml = "<c r=\"" + ref + "\"";
    if (!type.empty()) xml += " t=\"" + type + "\"";
    if (!style.empty()) xml += " s=\"" + style + "\"";
    return xml + "><v>" + value + "</v></c>";
}

std::string InlineRowsXml(const std::vector<std::vector<std::string>>& rows) {
    std::string xml;
    for (size_t r = 0; r < rows.size(); ++r) {
        const std::string number = std::to_string(r + 1);
        xml += "<row r=\"" + number + "\">";
        for (size_t c = 0; c < rows[r].size(); ++c) {
            xml += "<c r=\"" + std::string(1, char('A' + c)) + number + "\" t=\"inlineStr\"><is><t xml:space=\"preserve\">" +
                   rows[r][c] + "</t></is></c>";
        }
        xml += "</row>";
    }
    return xml;
}

std::u16string SavedCellText(const std::filesystem::path& file, int32_t row, int32_t col, int32_t sheet) {
    TXlsxWorkbook saved;
    saved.LoadFromFile(PathToText(file));
    return std::u16string(saved.Sheet(sheet).Text(row, col));
}

std::string StylesXml(const std::vector<int>& cellFormatIds, const std::vector<std::pair<int, std::string>>& customFormats) {
    std::string xml = "<numFmts count=\"" + std::to_string(customFormats.size()) + "\">";
    for (const auto& [id, code] : customFormats) {
        xml += "<numFmt numFmtId=\"" + std::to_string(id) + "\" formatCode=\"" + Escape(code) + "\"/>";
    }
    xml += "</numFmts><cellXfs count=\"" + std::to_string(cellFormatIds.size()) + "\">";
    for (int id : cellFormatIds) xml += "<xf numFmtId=\"" + std::to_string(id) + "\" fontId=\"0\"/>";
    return xml + "</cellXfs>";
}

} // namespace tabulix::testing
