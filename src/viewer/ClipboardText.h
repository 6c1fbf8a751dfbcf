#pragma once

// The forms in which cells travel between the viewer and other programs: tab-separated Unicode text,
// as spreadsheet applications put it on the clipboard and take it from there, and "HTML Format", the
// clipboard's HTML, a table that word processors and spreadsheet applications paste as a table.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tabulix {

// Builds both forms of a block of cells, cell by cell, row by row.
class TClipboardWriter {
public:
    // Room made for about that many cells of short texts.
    explicit TClipboardWriter(size_t expectedCells = 0);
    // The next cell of the row: its text as the cell shows it.
    void AddCell(std::u16string_view text);
    void EndRow();

    // Cells separated by tabs, each row ended by CR LF; a cell holding a tab, a line break or a double
    // quote is written in double quotes, each of its quotes doubled.
    const std::u16string& Text() const { return FText; }
    // The clipboard's "HTML Format": its header of offsets, then a document whose fragment is the table,
    // all in UTF-8. No cell may be added afterwards.
    const std::string& Html();

private:
    std::u16string FText;
    std::string FHtml; // the header, the document and the table's rows so far
    bool FRowStarted = false;
    bool FCellWritten = false; // in the row being written
    bool FFinished = false;
};

// Rows of cells read from clipboard text: fields separated by tabs, rows ended by CR LF, LF or CR; a
// field that starts with a double quote runs to the matching quote, holding tabs, line breaks and
// doubled quotes, and what follows that quote up to the field's end is kept too. A row end at the very
// end adds no empty row. Rows may differ in length.
struct TClipboardCells {
    std::vector<std::vector<std::u16string>> Rows;
    int32_t Cols() const;
};

// Reads text into cells; false, and cells left incomplete, as soon as the text holds more than maxRows
// rows or a row of more than maxCols fields, so that an oversized text is refused without reading it all.
bool ReadClipboardText(std::u16string_view text, int32_t maxRows, int32_t maxCols, TClipboardCells& cells);

} // namespace tabulix
