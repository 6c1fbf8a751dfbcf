#pragma once

#include "workbook/PackageEntries.h"

#include <pugixml.hpp>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tabulix {

// One worksheet's grid of display texts, row-major and 0-based: Data[r][c] is the cell in row r+1
// and column c (column 0 is A). Always RowCount rows of ColCount texts; an empty text is an empty cell.
struct TXlsxSheet {
    std::u16string Name;
    std::u16string PartName; // entry name of the worksheet part, without a leading "/"
    int32_t RowCount = 0;
    int32_t ColCount = 0;
    std::vector<std::vector<std::u16string>> Data;
};

// Loading keeps at most this many rows and columns of a worksheet (rows 1 to 2000, columns A to GR).
constexpr int32_t MaxLoadedRows = 2000;
constexpr int32_t MaxLoadedCols = 200;

// An Excel workbook in memory: the grids of its visible worksheets, and the bytes of every entry of
// its package, so that saving writes back byte for byte every part that was not changed.
class TXlsxWorkbook {
public:
    TXlsxWorkbook();
    ~TXlsxWorkbook();
    TXlsxWorkbook(const TXlsxWorkbook&) = delete;
    TXlsxWorkbook& operator=(const TXlsxWorkbook&) = delete;

    // Loads the package; throws TTabulixError with a message on failure. Called once, on a new workbook.
    void LoadFromFile(const std::u16string& fileName);
    // The same load from bytes already in memory; fileName is only remembered.
    void LoadFromBytes(const std::u16string& fileName, std::string_view package);

    int32_t SheetCount() const { return int32_t(FSheets.size()); }
    // The record at index, 0 <= index < SheetCount(); the grid is shared, not copied.
    const TXlsxSheet& Sheet(int32_t index) const { return FSheets[size_t(index)]; }
    const std::u16string& FileName() const { return FFileName; }
    bool IsLoaded() const { return !FOriginalEntries.Empty(); }

    // The first entry whose name equals entryName ignoring ASCII case, decoded as UTF-8 (a leading
    // byte-order mark dropped); none when no entry matches.
    std::optional<std::u16string> ReadZipText(std::u16string_view entryName) const;
    // The parsed document of a part opened for change: kept, and written back over the entry when
    // saving. None when the package has no entry of exactly that name.
    pugi::xml_document* GetPartDocument(const std::u16string& entryName);

protected:
    // The bytes of the first entry matching entryName ignoring ASCII case, without a byte-order mark.
    std::optional<std::string_view> FindPartBytes(std::u16string_view entryName) const;
    // Parses the part matching entryName into document; false when there is no such entry.
    bool ParsePart(std::u16string_view entryName, pugi::xml_document& document) const;

    void LoadSharedStrings();
    void LoadDateStyles();
    bool IsDateStyle(int64_t styleIndex) const;
    std::u16string ResolveSheetPart(std::u16string_view relId) const;
    TXlsxSheet ReadWorksheet(const std::u16string& partName, const std::u16string& name) const;
    std::u16string CellText(const pugi::xml_node& cell) const;

    std::vector<TXlsxSheet> FSheets;
    std::vector<std::u16string> FSharedStrings;
    std::unordered_map<int32_t, bool> FDateFormatIds;
    TPackageEntries FOriginalEntries;
    std::unordered_map<std::u16string, std::unique_ptr<pugi::xml_document>> FSheetDocs;
    std::u16string FFileName;
    std::u16string FTimeSeparator; // the system's, read once per load
};

// Column letters: 0 is A, 25 is Z, 26 is AA, 701 is ZZ, 702 is AAA; a negative index gives "".
std::u16string ColumnIndexToLetters(int32_t index);
// The inverse, folding a to z; "" gives -1. Letters beyond the int range saturate.
int32_t ColumnLettersToIndex(std::u16string_view letters);
// A cell reference such as B12 into column 1 and row 11. Every ASCII letter goes to the column part,
// every other character to the row part; both must be non-empty. A row part that is not an integer
// counts as row 1. False, with col = row = 0, otherwise.
bool SplitCellRef(std::u16string_view ref, int32_t& col, int32_t& row);
bool SplitCellRef(std::string_view ref, int32_t& col, int32_t& row);

// Characters written as _xHHHH_ (four hex digits) in the strings of a workbook, decoded; _x005F_ is "_".
std::u16string DecodeEscapedCharacters(std::u16string_view text);

// Whether a number format code shows a date or time: a y, d or h outside quoted literals, escaped
// characters and bracketed sections, or an elapsed-time section such as [h] or [mm].
bool IsDateFormatCode(std::u16string_view code);

// A serial day count (day 0 is 1899-12-30) as "yyyy-mm-dd", or "yyyy-mm-dd hh" sep "nn" when it has a
// time of day. None when the value is not a calendar date from 1899-12-30 to 9999-12-31.
std::optional<std::u16string> SerialToDateText(double serial, std::u16string_view timeSeparator);

} // namespace tabulix
