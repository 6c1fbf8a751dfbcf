#pragma once

#include "workbook/XlsxWorkbook.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tabulix {

class TPdfWriter;
class TZipWriter;

// The export writers read the grids of display texts of a loaded workbook and write them as files;
// they keep no state and never change the workbook. Every failure is a TTabulixError with its message.

enum class TExportFormat { efCsv, efText, efHtml, efXmlSpreadsheet, efWord, efPdf };

// The Export action's entry: checks the workbook (may be null), the file name (which must not be
// blank, and is used untrimmed), the format and the scope in that order, then runs the format's writer.
void ExportWorkbookToFile(const TXlsxWorkbook* workbook, int32_t currentIndex, std::u16string_view formatText,
                          std::u16string_view scopeText, const std::u16string& fileName);

// CSV; Text, TXT, TabText; HTML, Web Page; XMLSpreadsheet, XML Spreadsheet, XML; Word, DOCX; PDF:
// blanks around them and the case of ASCII letters ignored.
TExportFormat ParseExportFormat(std::u16string_view formatText);
// AllSheets, All Sheets or All mean every worksheet; anything else the current one only.
bool ParseAllSheets(std::u16string_view scopeText);
// Every worksheet index, or the current one alone. A current index that names no worksheet fails,
// so that no writer ever looks outside the sheet list.
std::vector<int32_t> SheetIndexesToExport(const TXlsxWorkbook& workbook, int32_t currentIndex, bool allSheets);

// Refuses, before anything is written, an export of these worksheets that would take more than
// MaxOutputBytes: perCell bytes of markup for every cell besides its text, cut to maxUnits units.
void RefuseOversizedExport(const TXlsxWorkbook& workbook, const std::vector<int32_t>& indexes, uint64_t perCell,
                           size_t maxUnits = SIZE_MAX);

// The characters a file name cannot hold (\ / : * ? " < > |) replaced by "_".
std::u16string SanitizeFileNamePart(std::u16string_view text);
// &, <, >, the double quote, and CR LF as <br>; lone CR or LF and the apostrophe stay.
std::u16string HtmlEscape(std::u16string_view text);
// &, <, >, the double quote and the apostrophe as entities. Characters XML 1.0 cannot hold (controls
// other than tab, LF and CR, U+FFFE, U+FFFF, unpaired surrogates) are left out, since a single one
// makes the whole file unreadable to every XML reader.
std::u16string XmlEscape(std::u16string_view text);
// A decimal number with "." and no thousands separator, blanks around it allowed.
bool TryParseInvariantNumber(std::u16string_view text, double& value);

// The text writers: UTF-8 with a byte-order mark, CR LF after every line. Each file is built in memory
// and then written beside the target and moved over it, so a failure leaves a previous export intact.
void WriteDelimitedSheet(const TXlsxSheet& sheet, const std::u16string& fileName, char16_t separator);
// One file for the current worksheet (or the only one); otherwise one per worksheet, named after the
// given file with "_" and the worksheet's name before the extension. Two worksheets that would share
// one such file (their names equal once sanitised, ignoring ASCII case) fail before any file is written.
void ExportDelimited(const TXlsxWorkbook& workbook, int32_t currentIndex, bool allSheets,
                     const std::u16string& fileName, char16_t separator);
void ExportHtml(const TXlsxWorkbook& workbook, int32_t currentIndex, bool allSheets, const std::u16string& fileName);
void ExportXmlSpreadsheet(const TXlsxWorkbook& workbook, int32_t currentIndex, bool allSheets,
                          const std::u16string& fileName);

// The Word document: a package of three deflated entries, one heading and one table per worksheet,
// landscape US Letter.
void ExportWord(const TXlsxWorkbook& workbook, int32_t currentIndex, bool allSheets, const std::u16string& fileName);
// Appends the worksheet's heading and table (or its empty-worksheet paragraph) to the document text,
// which is UTF-8 so that the largest documents are held once, not twice.
void AppendWordSheet(const TXlsxSheet& sheet, std::string& documentUtf8);
// One deflate-compressed entry holding the UTF-8 text.
void AddZipTextEntry(TZipWriter& package, std::u16string_view entryName, std::string_view textUtf8);

// The PDF: each worksheet a ruled grid of Helvetica text on landscape US Letter pages, split into bands
// of at most 17 columns and 44 rows.
void ExportPdf(const TXlsxWorkbook& workbook, int32_t currentIndex, bool allSheets, const std::u16string& fileName);
void AddSheetPdfPages(const TXlsxSheet& sheet, TPdfWriter& writer);
// The content stream of one page: the title, the column letters and cells of rows firstRow to lastRow
// and columns firstCol to lastCol, and the grid's rules. colWidths holds the width of each of the
// band's columns, from firstCol on. Its texts are in Windows-1252, the encoding the font declares.
std::string BuildPdfPageContent(const TXlsxSheet& sheet, int32_t firstRow, int32_t lastRow, int32_t firstCol,
                                int32_t lastCol, const std::vector<double>& colWidths, double pageWidth,
                                double pageHeight, double marginLeft, double marginTop, double fontSize,
                                double rowHeight, std::u16string_view title);
// At most two decimals, "." as the decimal point, trailing zeros dropped: 574.8, 43.06, 33. The value
// is taken at 15 significant digits and its halves are rounded away from zero (0.125 and 2.675 give
// 0.13 and 2.68).
std::string PdfNumber(double value);
// The text in Windows-1252, the font's WinAnsiEncoding, whatever the system's ANSI code page is
// (a character it lacks becomes "?"), with "(", ")" and backslash escaped by a backslash.
std::string PdfEscapeText(std::u16string_view text);

} // namespace tabulix
