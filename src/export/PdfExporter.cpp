#include "base/AnsiCodePage.h"
#include "base/Text.h"
#include "export/PdfWriter.h"
#include "export/XlsxExporter.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace tabulix {

namespace {

// Landscape US Letter in PDF units (1/72 inch), with the same margin on every side.
constexpr double PageWidth = 792;
constexpr double PageHeight = 612;
constexpr double Margin = 30;
constexpr double UsableWidth = PageWidth - 2 * Margin;   // 732
constexpr double UsableHeight = PageHeight - 2 * Margin; // 552
constexpr double CellFontSize = 7;
constexpr double EmptySheetFontSize = 12;
constexpr double RowHeight = 12;
constexpr double WidestColumn = 140;
constexpr double NarrowestColumn = 42;
// Below the narrowest width a band holds as many columns as fit at that width.
constexpr int32_t ColumnsPerSplitBand = int32_t(UsableWidth / NarrowestColumn); // 17
// The title and the column letters take two rows' height of each page.
constexpr int32_t RowsPerPage = int32_t((UsableHeight - 2 * RowHeight) / RowHeight); // 44
constexpr double TextInset = 3;
constexpr double CharWidthPerFontSize = 0.55;

void AppendTextLine(std::string& content, double x, double y, std::u16string_view text) {
    content += "1 0 0 1 ";
    content += PdfNumber(x);
    content += ' ';
    content += PdfNumber(y);
    content += " Tm\n(";
    content += PdfEscapeText(text);
    content += ") Tj\n";
}

void AppendRule(std::string& content, double x1, double y1, double x2, double y2) {
    content += PdfNumber(x1) + ' ' + PdfNumber(y1) + " m " + PdfNumber(x2) + ' ' + PdfNumber(y2) + " l S\n";
}

} // namespace

std::string PdfNumber(double value) {
    if (!std::isfinite(value) || value == 0) return "0";
    // The value as the decimal of 15 significant digits it stands for (so that 2.675, held as
    // 2.67499..., counts as 2.675), then rounded to two decimals with halves away from zero.
    char buffer[64];
    const auto [end, error] =
        std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value), std::chars_format::scientific, 14);
    if (error != std::errc()) return "0";
    const std::string_view scientific(buffer, size_t(end - buffer));
    const size_t e = scientific.find('e');
    // digits: a leading 0, for the carry of rounding up, then the 15 significant digits; the decimal
    // point stands after the first `point` of them.
    std::string digits = "0";
    for (const char c : scientific.substr(0, e)) {
        if (c != '.') digits += c;
    }
    int exponent = 0;
    std::from_chars(scientific.data() + e + (scientific[e + 1] == '+' ? 2 : 1), scientific.data() + scientific.size(),
                    exponent);
    const int point = exponent + 2;
    const int kept = point + 2;
    if (kept <= 0) return "0";
    if (size_t(kept) < digits.size()) {
        const bool roundUp = digits[size_t(kept)] >= '5';
        digits.resize(size_t(kept));
        for (size_t i = digits.size(); roundUp && i > 0; --i) {
            if (digits[i - 1] != '9') {
                ++digits[i - 1];
                break;
            }
            digits[i - 1] = '0';
        }
    }
    std::string integer;
    std::string fraction;
    if (point <= 0) {
        fraction = std::string(size_t(-point), '0') + digits;
    } else {
        if (digits.size() < size_t(point)) digits.append(size_t(point) - digits.size(), '0');
        integer = digits.substr(0, size_t(point));
        fraction = digits.substr(size_t(point));
    }
    const size_t firstNonZero = integer.find_first_not_of('0');
    integer = firstNonZero == std::string::npos ? "" : integer.substr(firstNonZero);
    while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();
    if (integer.empty() && fraction.empty()) return "0";
    std::string text = value < 0 ? "-" : "";
    text += integer.empty() ? "0" : integer;
    if (!fraction.empty()) text += "." + fraction;
    return text;
}

std::string PdfEscapeText(std::u16string_view text) {
    // PDF text is written in the system's ANSI code page.
    const std::string ansi = SystemAnsiCodePage().FromUtf16(text);
    std::string escaped;
    escaped.reserve(ansi.size() + 8);
    for (const char c : ansi) {
        if (c == '(' || c == ')' || c == '\\') escaped += '\\';
        escaped += c;
    }
    return escaped;
}

std::string BuildPdfPageContent(const TXlsxSheet& sheet, int32_t firstRow, int32_t lastRow, int32_t firstCol,
                                int32_t lastCol, const std::vector<double>& colWidths, double pageWidth,
                                double pageHeight, double marginLeft, double marginTop, double fontSize,
                                double rowHeight, std::u16string_view title) {
    (void)pageWidth; // the grid is as wide as its columns; the page width only bounds the bands
    const int32_t rowCount = std::max(0, lastRow - firstRow + 1);
    const int32_t colCount = std::clamp(lastCol - firstCol + 1, 0, int32_t(colWidths.size()));
    const double xLeft = marginLeft;
    double xRight = marginLeft;
    for (int32_t i = 0; i < colCount; ++i) xRight += colWidths[size_t(i)];

    std::string content;
    content.reserve(size_t(rowCount + 1) * size_t(colCount) * 40 + 1024);
    content += "BT\n/F1 " + PdfNumber(fontSize + 4) + " Tf\n";
    AppendTextLine(content, marginLeft, pageHeight - marginTop, title);
    content += "ET\n";

    const double yTop = pageHeight - marginTop - 0.6 * rowHeight;
    content += "BT\n/F1 " + PdfNumber(fontSize) + " Tf\n";
    double x = xLeft;
    for (int32_t i = 0; i < colCount; ++i) {
        AppendTextLine(content, x + TextInset, yTop - 0.7 * rowHeight, ColumnIndexToLetters(firstCol + i));
        x += colWidths[size_t(i)];
    }
    const double charWidth = CharWidthPerFontSize * fontSize;
    for (int32_t k = 1; k <= rowCount; ++k) {
        const double y = yTop - k * rowHeight - 0.7 * rowHeight;
        x = xLeft;
        for (int32_t i = 0; i < colCount; ++i) {
            const size_t maxChars = size_t(std::max(1, int32_t(colWidths[size_t(i)] / charWidth)));
            std::u16string_view text = sheet.Text(firstRow + k - 1, firstCol + i);
            if (text.size() > maxChars) text = text.substr(0, maxChars);
            AppendTextLine(content, x + TextInset, y, text);
            x += colWidths[size_t(i)];
        }
    }
    content += "ET\n";

    content += "0.6 0.6 0.6 RG 0.5 w\n";
    for (int32_t j = 0; j <= rowCount + 1; ++j) AppendRule(content, xLeft, yTop - j * rowHeight, xRight, yTop - j * rowHeight);
    const double yBottom = yTop - (rowCount + 1) * rowHeight;
    x = xLeft;
    for (int32_t i = 0; i <= colCount; ++i) {
        AppendRule(content, x, yTop, x, yBottom);
        if (i < colCount) x += colWidths[size_t(i)];
    }
    return content;
}

void AddSheetPdfPages(const TXlsxSheet& sheet, TPdfWriter& writer) {
    const int32_t rows = sheet.RowCount;
    const int32_t cols = sheet.ColCount;
    if (rows <= 0 || cols <= 0) {
        const std::string content = "BT /F1 " + PdfNumber(EmptySheetFontSize) + " Tf 1 0 0 1 " + PdfNumber(Margin) +
                                    " " + PdfNumber(PageHeight - Margin) + " Tm (" + PdfEscapeText(sheet.Name) +
                                    " - empty worksheet) Tj ET";
        writer.AddPage(content, PageWidth, PageHeight);
        return;
    }
    const double sheetColumnWidth = std::min(UsableWidth / cols, WidestColumn);
    const int32_t columnsPerBand = std::clamp(sheetColumnWidth < NarrowestColumn ? ColumnsPerSplitBand : cols, 1, cols);

    for (int32_t c0 = 0; c0 < cols; c0 += columnsPerBand) {
        const int32_t c1 = std::min(c0 + columnsPerBand - 1, cols - 1);
        const double bandColumnWidth = std::min(UsableWidth / (c1 - c0 + 1), WidestColumn);
        const std::vector<double> widths(size_t(c1 - c0 + 1), bandColumnWidth);
        for (int32_t r0 = 0; r0 < rows; r0 += RowsPerPage) {
            const int32_t r1 = std::min(r0 + RowsPerPage - 1, rows - 1);
            std::u16string title = sheet.Name;
            if (cols > columnsPerBand) {
                title += u" (columns " + ColumnIndexToLetters(c0) + u"-" + ColumnIndexToLetters(c1) + u")";
            }
            if (rows > RowsPerPage) {
                title += u" [rows " + AsciiToUtf16(std::to_string(r0 + 1)) + u"-" + AsciiToUtf16(std::to_string(r1 + 1)) + u"]";
            }
            writer.AddPage(BuildPdfPageContent(sheet, r0, r1, c0, c1, widths, PageWidth, PageHeight, Margin, Margin,
                                               CellFontSize, RowHeight, title),
                           PageWidth, PageHeight);
        }
    }
}

void ExportPdf(const TXlsxWorkbook& workbook, int32_t currentIndex, bool allSheets, const std::u16string& fileName) {
    const std::vector<int32_t> indexes = SheetIndexesToExport(workbook, currentIndex, allSheets);
    // Each cell is placed with a text matrix of its own, and its text is cut to what its column shows.
    RefuseOversizedExport(workbook, indexes, std::string_view("1 0 0 1 0 0 Tm\n() Tj\n").size(),
                          size_t(WidestColumn / (CharWidthPerFontSize * CellFontSize)));
    TPdfWriter writer;
    for (const int32_t index : indexes) AddSheetPdfPages(workbook.Sheet(index), writer);
    writer.SaveToFile(fileName);
}

} // namespace tabulix
