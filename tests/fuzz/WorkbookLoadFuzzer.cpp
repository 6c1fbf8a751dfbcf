// Loads arbitrary bytes as a workbook. Every input must either load or fail with a message, and a
// workbook that loads must load again once edited and saved; the sanitizers report anything else.
//
// An input whose first byte is even is the whole package. One whose first byte is odd is split at
// NUL bytes into the texts of the worksheet, the shared strings, the styles and the workbook part, and
// packed into an archive first, so that mutations reach the XML readers and not only the ZIP reader.
#include "base/Error.h"
#include "workbook/XlsxWorkbook.h"
#include "workbook/ZipPackage.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace {

std::string PackParts(std::string_view text) {
    static const char16_t* const names[] = {u"xl/worksheets/sheet1.xml", u"xl/sharedStrings.xml", u"xl/styles.xml",
                                            u"xl/workbook.xml"};
    std::vector<std::string_view> parts;
    size_t from = 0;
    while (parts.size() < 4) {
        const size_t nul = text.find('\0', from);
        parts.push_back(text.substr(from, nul == std::string_view::npos ? std::string_view::npos : nul - from));
        if (nul == std::string_view::npos) break;
        from = nul + 1;
    }
    tabulix::TZipWriter writer;
    writer.Add(u"xl/_rels/workbook.xml.rels",
               "<Relationships><Relationship Id=\"rId1\" Target=\"worksheets/sheet1.xml\"/></Relationships>");
    if (parts.size() < 4) {
        writer.Add(u"xl/workbook.xml", "<workbook><sheets><sheet name=\"S\" r:id=\"rId1\"/></sheets></workbook>");
    }
    for (size_t i = 0; i < parts.size(); ++i) writer.Add(names[i], parts[i]);
    return writer.Finish();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::string package = (data[0] & 1) ? PackParts(input) : std::string(input);
    tabulix::TXlsxWorkbook workbook;
    try {
        workbook.LoadFromBytes(u"fuzz.xlsx", package);
    } catch (const tabulix::TTabulixError&) {
        return 0;
    }
    // A loaded workbook keeps its promises: at least one sheet, every grid within the load limit and
    // every cell's text readable (the sanitizers watch each handle into the pools), and every cell shown
    // through its style's format in a text of bounded length: the number sections of a code the engine
    // reads (of 1,024 characters at most) stay within 70,000 characters, a text section within what a
    // cell holds.
    if (workbook.SheetCount() < 1) __builtin_trap();
    size_t units = 0;
    for (int32_t i = 0; i < workbook.SheetCount(); ++i) {
        const tabulix::TXlsxSheet& sheet = workbook.Sheet(i);
        if (sheet.RowCount < 0 || sheet.RowCount > tabulix::MaxLoadedRows || sheet.ColCount < 0 ||
            sheet.ColCount > tabulix::MaxLoadedCols) {
            __builtin_trap();
        }
        for (int32_t r = 0; r < sheet.RowCount; ++r) {
            for (int32_t c = 0; c < sheet.ColCount; ++c) {
                const size_t stored = sheet.Text(r, c).size();
                units += stored;
                const tabulix::TShownText shown = workbook.ShownText(i, r, c);
                if (shown.Text.size() > std::max(stored, size_t(70000))) __builtin_trap();
                if (shown.Fill != 0 && shown.FillAt > shown.Text.size()) __builtin_trap();
            }
        }
    }
    if (units > 0x80000000u) __builtin_trap();
    // Edited and saved, it loads again: what the serialiser writes back is read as it was. Its cells
    // are still shown after each edit.
    bool formatted = false;
    try {
        workbook.SetCellValue(0, 0, 0, u"x\ty");
        workbook.InsertRow(0, 0);
        workbook.SortByColumn(0, 0, false, false);
        workbook.DeleteColumn(0, 0); // every reference to the sheet's cells moves, in every part
        workbook.DeleteRow(0, 1);
        workbook.SetCellValue(0, 1, 1, u"0.5");
        tabulix::TFormattingChange change;
        change.Bold = true;
        change.Horizontal = tabulix::THorizontalAlign::Center;
        workbook.SetCellFormatting(0, 1, 1, change);
        formatted = true;
        change.Bold = false;
        change.Underline = true;
        workbook.SetCellFormatting(0, 0, 0, change);
    } catch (const tabulix::TTabulixError&) {
    }
    // The layout stays ordered through the edits, and the formatted cell shows its new style.
    for (int32_t i = 0; i < workbook.SheetCount(); ++i) {
        const tabulix::TSheetLayout& layout = workbook.Sheet(i).Layout;
        for (size_t k = 1; k < layout.Columns.size(); ++k) {
            if (layout.Columns[k].First <= layout.Columns[k - 1].Last) __builtin_trap();
        }
        for (size_t k = 1; k < layout.Rows.size(); ++k) {
            if (layout.Rows[k].Row <= layout.Rows[k - 1].Row) __builtin_trap();
        }
    }
    const tabulix::TCellStyles& styles = workbook.Styles();
    const tabulix::TXlsxSheet& first = workbook.Sheet(0);
    if (formatted && first.RowCount > 1 && first.ColCount > 1 && first.StyleIndex(1, 1) < 65535) {
        const tabulix::TCellStyle& style = styles.Style(first.StyleIndex(1, 1));
        if (!styles.Font(style.Font).Bold || style.Horizontal != tabulix::THorizontalAlign::Center) __builtin_trap();
    }
    const tabulix::TXlsxSheet& edited = workbook.Sheet(0);
    for (int32_t r = 0; r < std::min(edited.RowCount, 3); ++r) {
        for (int32_t c = 0; c < std::min(edited.ColCount, 3); ++c) units += workbook.ShownText(0, r, c).Text.size();
    }
    tabulix::TXlsxWorkbook saved;
    try {
        saved.LoadFromBytes(u"saved.xlsx", workbook.SaveToBytes());
    } catch (const tabulix::TTabulixError& error) {
        // Only a package whose relationships send a sheet to the calculation chain, which a moved
        // formula drops, or to a table that goes with its cells, may lose its sheets; a part the
        // serialiser wrote must always read back.
        if (error.Message() != u"No visible worksheets were found in this workbook.") __builtin_trap();
    }
    return 0;
}
