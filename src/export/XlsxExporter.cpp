#include "export/XlsxExporter.h"

#include "base/Error.h"
#include "base/Files.h"
#include "base/Numbers.h"
#include "base/Text.h"
#include "export/ExportOutput.h"

namespace tabulix {

namespace {

bool IsXmlChar(char16_t c) {
    if (c < 0x20) return c == u'\t' || c == u'\n' || c == u'\r';
    return c != 0xFFFE && c != 0xFFFF;
}

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Folder and name end at the last of these, so that the extension is looked for in the name only.
// A drive colon counts too, as on Windows, where the exports are made.
bool IsFolderDelimiter(char16_t c) { return c == u'\\' || c == u'/' || c == u':'; }

// The file of one worksheet in a per-sheet export: "_" and the worksheet's name before the extension.
std::u16string PerSheetFileName(std::u16string_view fileName, std::u16string_view sheetName) {
    size_t nameStart = 0;
    for (size_t i = fileName.size(); i > 0; --i) {
        if (IsFolderDelimiter(fileName[i - 1])) {
            nameStart = i;
            break;
        }
    }
    size_t extension = fileName.rfind(u'.');
    if (extension == std::u16string_view::npos || extension < nameStart) extension = fileName.size();
    std::u16string result(fileName.substr(0, extension));
    result += u'_';
    result += SanitizeFileNamePart(sheetName);
    result += fileName.substr(extension);
    return result;
}

bool NeedsQuoting(std::u16string_view cell, char16_t separator) {
    for (char16_t c : cell) {
        if (c == separator || c == u'"' || c == u'\n' || c == u'\r') return true;
    }
    return false;
}

void AppendDelimitedCell(std::u16string& line, std::u16string_view cell, char16_t separator) {
    if (!NeedsQuoting(cell, separator)) {
        line += cell;
        return;
    }
    line += u'"';
    for (char16_t c : cell) {
        if (c == u'"') line += u'"';
        line += c;
    }
    line += u'"';
}

// About the size of a text export whose every cell takes perCell bytes of markup besides its text.
size_t ExpectedBytes(const TXlsxWorkbook& workbook, const std::vector<int32_t>& indexes, size_t perCell) {
    size_t bytes = 1024;
    for (const int32_t index : indexes) {
        const TXlsxSheet& sheet = workbook.Sheet(index);
        bytes += size_t(sheet.RowCount) * (16 + size_t(sheet.ColCount) * (perCell + 12));
    }
    return bytes;
}

} // namespace

void ExportWorkbookToFile(const TXlsxWorkbook* workbook, int32_t currentIndex, std::u16string_view formatText,
                          std::u16string_view scopeText, const std::u16string& fileName) {
    if (!workbook) throw TTabulixError(u"No workbook is currently open.");
    if (TrimView(fileName).empty()) throw TTabulixError(u"No output file name was given.");
    const TExportFormat format = ParseExportFormat(formatText);
    const bool allSheets = ParseAllSheets(scopeText);
    switch (format) {
    case TExportFormat::efCsv: ExportDelimited(*workbook, currentIndex, allSheets, fileName, u','); break;
    case TExportFormat::efText: ExportDelimited(*workbook, currentIndex, allSheets, fileName, u'\t'); break;
    case TExportFormat::efHtml: ExportHtml(*workbook, currentIndex, allSheets, fileName); break;
    case TExportFormat::efXmlSpreadsheet: ExportXmlSpreadsheet(*workbook, currentIndex, allSheets, fileName); break;
    case TExportFormat::efWord: ExportWord(*workbook, currentIndex, allSheets, fileName); break;
    case TExportFormat::efPdf: ExportPdf(*workbook, currentIndex, allSheets, fileName); break;
    }
}

TExportFormat ParseExportFormat(std::u16string_view formatText) {
    const std::u16string name = AsciiLower(TrimView(formatText));
    if (name == u"csv") return TExportFormat::efCsv;
    if (name == u"text" || name == u"txt" || name == u"tabtext") return TExportFormat::efText;
    if (name == u"html" || name == u"web page") return TExportFormat::efHtml;
    if (name == u"xmlspreadsheet" || name == u"xml spreadsheet" || name == u"xml") return TExportFormat::efXmlSpreadsheet;
    if (name == u"word" || name == u"docx") return TExportFormat::efWord;
    if (name == u"pdf") return TExportFormat::efPdf;
    throw TTabulixError(FormatMessageText(
        u"Unknown export format \"%s\". Use CSV, Text, HTML, XMLSpreadsheet, Word or PDF.", {formatText}));
}

bool ParseAllSheets(std::u16string_view scopeText) {
    const std::u16string scope = AsciiLower(TrimView(scopeText));
    return scope == u"allsheets" || scope == u"all sheets" || scope == u"all";
}

std::vector<int32_t> SheetIndexesToExport(const TXlsxWorkbook& workbook, int32_t currentIndex, bool allSheets) {
    std::vector<int32_t> indexes;
    if (allSheets) {
        for (int32_t i = 0; i < workbook.SheetCount(); ++i) indexes.push_back(i);
        return indexes;
    }
    // The viewer passes -1 when its workbook has no worksheet; any index outside the list names none.
    if (workbook.SheetCount() == 0) throw TTabulixError(u"The workbook has no worksheet to export.");
    if (currentIndex < 0 || currentIndex >= workbook.SheetCount()) {
        throw TTabulixError(FormatMessageText(u"There is no worksheet %d to export; the workbook has %d.",
                                              {IntToText(currentIndex), IntToText(workbook.SheetCount())}));
    }
    indexes.push_back(currentIndex);
    return indexes;
}

void RefuseOversizedExport(const TXlsxWorkbook& workbook, const std::vector<int32_t>& indexes, uint64_t perCell,
                           size_t maxUnits) {
    uint64_t bytes = 0;
    for (const int32_t index : indexes) {
        if (bytes > MaxOutputBytes) break;
        bytes += SheetOutputBytes(workbook.Sheet(index), perCell, maxUnits);
    }
    RefuseOversizedOutput(bytes, u"export");
}

std::u16string SanitizeFileNamePart(std::u16string_view text) {
    std::u16string result(text);
    for (char16_t& c : result) {
        if (std::u16string_view(u"\\/:*?\"<>|").find(c) != std::u16string_view::npos) c = u'_';
    }
    return result;
}

std::u16string HtmlEscape(std::u16string_view text) {
    std::u16string result;
    result.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c == u'&') result += u"&amp;";
        else if (c == u'<') result += u"&lt;";
        else if (c == u'>') result += u"&gt;";
        else if (c == u'"') result += u"&quot;";
        else if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
            result += u"<br>";
            ++i;
        } else {
            result += c;
        }
    }
    return result;
}

std::u16string XmlEscape(std::u16string_view text) {
    std::u16string result;
    result.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (IsHighSurrogate(c)) {
            if (i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
                result += c;
                result += text[++i];
            }
            continue;
        }
        if (IsLowSurrogate(c) || !IsXmlChar(c)) continue;
        if (c == u'&') result += u"&amp;";
        else if (c == u'<') result += u"&lt;";
        else if (c == u'>') result += u"&gt;";
        else if (c == u'"') result += u"&quot;";
        else if (c == u'\'') result += u"&apos;";
        else result += c;
    }
    return result;
}

bool TryParseInvariantNumber(std::u16string_view text, double& value) {
    const auto number = ReadDecimalNumber(text);
    if (!number) return false;
    value = *number;
    return true;
}

void WriteDelimitedSheet(const TXlsxSheet& sheet, const std::u16string& fileName, char16_t separator) {
    TExportLines lines;
    lines.Reserve(size_t(sheet.RowCount) * (2 + size_t(sheet.ColCount) * 12));
    std::u16string line;
    for (int32_t r = 0; r < sheet.RowCount; ++r) {
        line.clear();
        for (int32_t c = 0; c < sheet.ColCount; ++c) {
            if (c > 0) line += separator;
            AppendDelimitedCell(line, sheet.Text(r, c), separator);
        }
        lines.Add(line);
    }
    WriteFileAtomically(TextToPath(fileName), lines.Bytes());
}

void ExportDelimited(const TXlsxWorkbook& workbook, int32_t currentIndex, bool allSheets,
                     const std::u16string& fileName, char16_t separator) {
    const std::vector<int32_t> indexes = SheetIndexesToExport(workbook, currentIndex, allSheets);
    RefuseOversizedExport(workbook, indexes, 1); // a separator or a line's end
    if (!allSheets || indexes.size() == 1) {
        WriteDelimitedSheet(workbook.Sheet(indexes.front()), fileName, separator);
        return;
    }
    // Every name is settled before the first file is written: two worksheets whose names differ only in
    // characters a file name cannot hold (A<B and A>B), or only in case, would share one file, and the
    // second would silently replace the first.
    std::vector<std::u16string> names;
    names.reserve(indexes.size());
    for (const int32_t index : indexes) {
        const TXlsxSheet& sheet = workbook.Sheet(index);
        std::u16string name = PerSheetFileName(fileName, sheet.Name);
        for (size_t earlier = 0; earlier < names.size(); ++earlier) {
            if (!SameTextAscii(names[earlier], name)) continue;
            throw TTabulixError(FormatMessageText(
                u"The worksheets \"%s\" and \"%s\" would both be exported to the file \"%s\". Rename one of them.",
                {workbook.Sheet(indexes[earlier]).Name, sheet.Name, name}));
        }
        names.push_back(std::move(name));
    }
    for (size_t i = 0; i < indexes.size(); ++i) WriteDelimitedSheet(workbook.Sheet(indexes[i]), names[i], separator);
}

void ExportHtml(const TXlsxWorkbook& workbook, int32_t currentIndex, bool allSheets, const std::u16string& fileName) {
    const std::vector<int32_t> indexes = SheetIndexesToExport(workbook, currentIndex, allSheets);
    RefuseOversizedExport(workbook, indexes, std::string_view("<td></td>\r\n").size());
    TExportLines lines;
    lines.Reserve(ExpectedBytes(workbook, indexes, 11));
    lines.AddAscii("<!DOCTYPE html><html><head><meta charset=\"utf-8\">");
    lines.AddAscii("<style>body{font-family:Segoe UI,Arial,sans-serif;}table{border-collapse:collapse;"
                   "margin-bottom:28px;font-size:13px;}td,th{border:1px solid #999;padding:4px 8px;}"
                   "th{background:#f0f0f0;font-weight:bold;}h2{font-size:16px;}</style></head><body>");
    for (const int32_t index : indexes) {
        const TXlsxSheet& sheet = workbook.Sheet(index);
        lines.Add(u"<h2>" + HtmlEscape(sheet.Name) + u"</h2>");
        lines.AddAscii("<table>");
        for (int32_t r = 0; r < sheet.RowCount; ++r) {
            lines.AddAscii("<tr>");
            for (int32_t c = 0; c < sheet.ColCount; ++c) lines.Add(u"<td>" + HtmlEscape(sheet.Text(r, c)) + u"</td>");
            lines.AddAscii("</tr>");
        }
        lines.AddAscii("</table>");
    }
    lines.AddAscii("</body></html>");
    WriteFileAtomically(TextToPath(fileName), lines.Bytes());
}

void ExportXmlSpreadsheet(const TXlsxWorkbook& workbook, int32_t currentIndex, bool allSheets,
                          const std::u16string& fileName) {
    const std::vector<int32_t> indexes = SheetIndexesToExport(workbook, currentIndex, allSheets);
    RefuseOversizedExport(workbook, indexes, std::string_view("    <Cell><Data ss:Type=\"String\"></Data></Cell>\r\n").size());
    TExportLines lines;
    lines.Reserve(ExpectedBytes(workbook, indexes, 44));
    lines.AddAscii("<?xml version=\"1.0\"?>");
    lines.AddAscii("<?mso-application progid=\"Excel.Sheet\"?>");
    lines.AddAscii("<Workbook xmlns=\"urn:schemas-microsoft-com:office:spreadsheet\" "
                   "xmlns:o=\"urn:schemas-microsoft-com:office:office\" "
                   "xmlns:x=\"urn:schemas-microsoft-com:office:excel\" "
                   "xmlns:ss=\"urn:schemas-microsoft-com:office:spreadsheet\">");
    for (const int32_t index : indexes) {
        const TXlsxSheet& sheet = workbook.Sheet(index);
        lines.Add(u" <Worksheet ss:Name=\"" + XmlEscape(sheet.Name) + u"\">");
        lines.AddAscii("  <Table>");
        for (int32_t r = 0; r < sheet.RowCount; ++r) {
            lines.AddAscii("   <Row>");
            for (int32_t c = 0; c < sheet.ColCount; ++c) {
                const std::u16string_view cell = sheet.Text(r, c);
                double value = 0;
                if (TryParseInvariantNumber(cell, value)) {
                    lines.Add(u"    <Cell><Data ss:Type=\"Number\">" + FormatGeneralNumber(value) + u"</Data></Cell>");
                } else {
                    lines.Add(u"    <Cell><Data ss:Type=\"String\">" + XmlEscape(cell) + u"</Data></Cell>");
                }
            }
            lines.AddAscii("   </Row>");
        }
        lines.AddAscii("  </Table>");
        lines.AddAscii(" </Worksheet>");
    }
    lines.AddAscii("</Workbook>");
    WriteFileAtomically(TextToPath(fileName), lines.Bytes());
}

} // namespace tabulix
