#pragma once

#include "format/NumberFormat.h"
#include "workbook/PackageEntries.h"
#include "workbook/SheetLayout.h"
#include "workbook/StyleSheetReader.h"

#include <pugixml.hpp>

#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tabulix {

struct TListedSheet;

// Texts one after another in UTF-16 blocks of 64 Ki units, each found by a 32-bit handle: the block
// in the upper half, in the lower the offset at which its length stands, one unit (below 0x8000) or
// two, before its characters. A text too long for a block gets a block of its own. A block never moves
// while the pool grows: a text that does not fit in the room left starts a new block, and the room
// stays unused, so a growing pool never copies what it holds. ShrinkToFit, once a pool is complete,
// is the one operation that moves a block. Handle 0 is the empty text. Texts are only added; a text
// that is no longer used stays until the pool is built anew. Handles stay below 2^29 (8 Ki blocks), so
// that a grid has the three upper bits of a cell's handle for marks of its own.
class TTextPool {
public:
    TTextPool();
    uint32_t Add(std::u16string_view text);
    std::u16string_view At(uint32_t handle) const {
        const char16_t* at = FBlocks[handle >> 16].data() + (handle & 0xFFFF);
        size_t length = at[0];
        if (length < 0x8000) return {at + 1, length};
        length = ((length & 0x7FFF) << 16) | at[1];
        return {at + 2, length};
    }
    // Units in use, lengths included.
    size_t Units() const { return FUnits; }
    // The memory the blocks take.
    size_t Bytes() const;
    // Gives back the unused room of the block being filled, moving it.
    void ShrinkToFit() { FBlocks[FFilling].shrink_to_fit(); }

private:
    std::vector<std::vector<char16_t>> FBlocks;
    size_t FFilling = 0; // the block that takes the next text that fits in a block
    size_t FUnits = 0;
};

// What a cell holds, which decides how its style shows it: a text (a shared or inline string, the text
// result of a formula, or nothing); a number, whose display text is the number as the file stores it;
// a date, whose display text is a date (that the loader made of a number, or the ISO date a date cell
// stores) and whose serial is kept beside it; a value shown as stored whatever its style (a truth
// value, an error).
enum class TCellKind : uint8_t { Text = 0, Number = 1, Date = 2, AsStored = 3 };

// One worksheet's grid of display texts, RowCount rows of ColCount cells, 0-based: Text(r, c) is the
// cell in row r+1 and column c (column 0 is A); an empty text is an empty cell. The texts live in the
// sheet's pool, or, for shared strings, in the workbook's shared pool, which the sheet holds on to.
// Beside its text each cell has its kind, kept in its handle, and the index of its style in the
// workbook's cellXfs, kept only for sheets that have a cell of a style other than 0.
struct TXlsxSheet {
    std::u16string Name;
    std::u16string PartName; // entry name of the worksheet part, without a leading "/"
    int32_t RowCount = 0;
    int32_t ColCount = 0;
    // False when the part holds a chart, a dialog or macros instead of a worksheet: such a sheet is
    // listed and read like a worksheet, but no edit may touch its part.
    bool IsWorksheet = true;
    // Column widths, row heights, merged areas and the frozen pane as the worksheet gives them; kept
    // true through every edit.
    TSheetLayout Layout;

    // The cell's text; empty outside the grid. The view stays valid until the sheet is next changed.
    std::u16string_view Text(int32_t row, int32_t col) const {
        const size_t index = CellIndex(row, col);
        if (index == NoCell) return {};
        const uint32_t handle = FCells[index];
        if (handle & SharedText) return FShared->At(handle & PlaceBits);
        return FTexts.At(handle & PlaceBits);
    }
    // Text outside the grid.
    TCellKind Kind(int32_t row, int32_t col) const {
        const size_t index = CellIndex(row, col);
        return index == NoCell ? TCellKind::Text : KindOf(FCells[index]);
    }
    // The cell's index in the workbook's cellXfs, as its s attribute gives it: 0 without one, and
    // outside the grid; 65535 stands for every index from there on, which no workbook has.
    int32_t StyleIndex(int32_t row, int32_t col) const {
        const size_t index = CellIndex(row, col);
        return index == NoCell || FStyles.empty() ? 0 : FStyles[index];
    }
    // The value of a number or a date cell; none for other cells, and for a number cell whose text
    // does not read as a number.
    std::optional<double> Number(int32_t row, int32_t col) const;

    // The memory the grid and its own texts take (the shared texts not counted).
    size_t Bytes() const;

    // A sheet holding the given rows (each as long as the longest, filled with empty texts), for grids
    // made in code.
    static TXlsxSheet FromRows(std::u16string name, const std::vector<std::vector<std::u16string>>& rows);

private:
    friend class TXlsxWorkbook;
    // A cell's handle: the top bit for a text of the shared pool, the next two for the cell's kind, the
    // rest for the text's place in its pool.
    static constexpr uint32_t SharedText = 0x80000000u;
    static constexpr uint32_t KindBits = 0x60000000u;
    static constexpr int KindShift = 29;
    static constexpr uint32_t PlaceBits = 0x1FFFFFFFu;
    static constexpr uint32_t KindMark(TCellKind kind) { return uint32_t(kind) << KindShift; }
    static constexpr TCellKind KindOf(uint32_t handle) { return TCellKind((handle & KindBits) >> KindShift); }
    static constexpr size_t NoCell = SIZE_MAX;
    size_t CellIndex(int32_t row, int32_t col) const {
        if (row < 0 || col < 0 || row >= RowCount || col >= ColCount) return NoCell;
        const size_t index = size_t(row) * size_t(ColCount) + size_t(col);
        return index < FCells.size() ? index : NoCell;
    }

    // A cell's new text made ready without changing what the grid shows: the room or the wider grid
    // it needs, and the text in the pool. Committing it cannot fail, so an edit whose other half
    // fails in between leaves the grid as it was.
    // The cell keeps its style.
    struct TCellChange {
        int32_t Row = 0, Col = 0, Rows = 0, Cols = 0;
        uint32_t Handle = 0;                 // with the mark of its kind
        std::vector<uint32_t> Widened;       // the grid with more columns, when it needs them
        std::vector<uint16_t> WidenedStyles; // and its styles, when the sheet keeps them
    };
    TCellChange PrepareCellChange(int32_t row, int32_t col, std::u16string_view text, TCellKind kind);
    void CommitCellChange(TCellChange& change) noexcept;
    // A text shown in a cell of the grid as it stands: added to the pool first, then shown (a cell
    // outside the grid is left alone).
    // A text of the sheet's pool as a cell's handle of the given kind.
    uint32_t AddText(std::u16string_view text, TCellKind kind) { return FTexts.Add(text) | KindMark(kind); }
    void ShowText(int32_t row, int32_t col, uint32_t handle) noexcept;

    // The cells of a structural edit, made ready before the worksheet's XML changes, so that taking
    // them once it has changed cannot fail: a column inserted (empty) or deleted, or the rows in a new
    // order (order[newRow] = oldRow). Every cell keeps its kind and style.
    struct TGridShape {
        int32_t Cols = 0;
        std::vector<uint32_t> Cells;
        std::vector<uint16_t> Styles;
    };
    TGridShape WithColumn(int32_t atCol, bool insert) const;
    TGridShape Reordered(const std::vector<int32_t>& order) const;
    void TakeShape(TGridShape& shape) noexcept;
    // Room for one more row, so that InsertEmptyRow cannot fail; room for a few at once, so that
    // inserting row after row does not copy the grid each time.
    void ReserveRow();
    void InsertEmptyRow(int32_t atRow) noexcept;
    void EraseRow(int32_t atRow) noexcept;

    // A cell put back as a capture saw it (TXlsxWorkbook::RestoreCells): made ready, so that putting it
    // back cannot fail, then put back; and the grid cut back to the size it had, once every cell beyond
    // is empty again.
    struct TCellRestore {
        int32_t Row = 0, Col = 0;
        uint32_t Handle = 0; // with the mark of its kind
        uint16_t Style = 0;
        double Serial = 0;
    };
    TCellRestore PrepareRestore(int32_t row, int32_t col, std::u16string_view text, TCellKind kind, uint16_t style, double serial);
    void Restore(const TCellRestore& cell) noexcept;
    void ShrinkTo(int32_t rows, int32_t cols) noexcept;
    // Room made ready for a cell's new style: every cell's style, all 0, when the sheet keeps none yet
    // and the style is not 0; nothing otherwise. SetStyle takes it and cannot fail.
    std::vector<uint16_t> PrepareStyle(int64_t style) const;
    void SetStyle(int32_t row, int32_t col, int64_t style, std::vector<uint16_t>& prepared) noexcept;

    // An empty grid of rows x cols.
    void Reset(int32_t rows, int32_t cols);
    uint32_t& Cell(int32_t row, int32_t col) { return FCells[size_t(row) * size_t(ColCount) + size_t(col)]; }
    // The serial of a date cell's handle, kept in FSerials.
    std::optional<double> SerialOf(uint32_t handle) const;
    void SortSerials() noexcept;
    // Builds the pool anew from the texts the grid still shows, once edits have left enough behind; a
    // pool that cannot be built anew for want of memory stays as it is.
    void CompactWhenWasteful() noexcept;

    std::vector<uint32_t> FCells;  // RowCount x ColCount handles, row by row
    std::vector<uint16_t> FStyles; // RowCount x ColCount cellXfs indexes, or none while every one is 0
    // The serial of each date cell by its handle, which no other cell has; sorted by handle. The serial
    // of a cell replaced or removed stays until the pool is built anew.
    std::vector<std::pair<uint32_t, double>> FSerials;
    TTextPool FTexts;
    std::shared_ptr<const TTextPool> FShared;
    size_t FUnusedUnits = 0; // units of replaced texts still in FTexts
};

// Loading keeps at most this many rows and columns of a worksheet (rows 1 to 2000, columns A to GR).
constexpr int32_t MaxLoadedRows = 2000;
constexpr int32_t MaxLoadedCols = 200;

// A cell of a sheet: 0-based row and column.
struct TGridCell {
    int32_t Row = 0;
    int32_t Col = 0;
};

// What a cell is as the workbook holds it, captured to be put back exactly: its element in the
// worksheet's XML and what the grid shows of it.
struct TCellImage {
    int32_t Row = 0;
    int32_t Col = 0;
    bool RowExisted = false; // its row had an element
    std::string Element;     // the c element as XML; empty when the cell had none
    std::u16string Text;
    TCellKind Kind = TCellKind::Text;
    uint16_t Style = 0;
    double Serial = 0; // of a date
};

// Cells captured together, and the size of the grid then.
struct TCellImages {
    int32_t Rows = 0;
    int32_t Cols = 0;
    std::vector<TCellImage> Cells;
    // A captured cell takes part in a shared formula: changing it changes other cells of the formula.
    bool SharedFormula = false;
    size_t Bytes() const;
};

class TWorkbookJournal; // the parts and sheets that edits changed, as they were before (WorkbookJournal.h)

struct TSheetReading;   // what reading one worksheet shares between its cells
struct TSheetDataIndex; // what edits know of the sheetData they last changed
struct TCellAttributes; // the attributes of a c element that reading looks at
struct TPackageMap;     // what the parts of the package may hold that edits move

// What a workbook knows of its styles, read from a styles part at once and then taken without fail.
struct TWorkbookStyles {
    std::vector<bool> DateFormatIds; // by cell-format index: whether its display text is a date
    TNumberFormatTable NumberFormats;
    std::vector<const TNumberFormat*> CellFormats; // by cell-format index, from NumberFormats
    TStyleSheetContent Cells;
};

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
    // The same load for edits that follow at once: the parts of the worksheets at the given indexes are
    // parsed as an edit opens them, and each document is kept until the first edit of its sheet takes
    // it, so that the part is not read a second time. Until then the workbook holds those documents.
    void LoadFromFileToEdit(const std::u16string& fileName, const std::vector<int32_t>& sheetsToEdit);

    int32_t SheetCount() const { return int32_t(FSheets.size()); }
    // The record at index, 0 <= index < SheetCount(); the grid is shared, not copied.
    const TXlsxSheet& Sheet(int32_t index) const { return FSheets[size_t(index)]; }
    const std::u16string& FileName() const { return FFileName; }
    // The text a cell shows, as spreadsheet applications show it: its value through the number format
    // of its style (a number, a date or a time; a text through the format's text section), with the
    // colour and the fill character the format names; a truth value or an error as stored; empty
    // outside the sheets and grids. Formatted on each call. A cell's display text, Text(row, col),
    // stays what the file stores, which edits, exports and the page import work with.
    TShownText ShownText(int32_t sheetIndex, int32_t row, int32_t col) const;
    // The number format of a style, by its index in cellXfs; General for an index beyond the list.
    const TNumberFormat& CellNumberFormat(int32_t styleIndex) const;
    // The workbook's cell styles (fonts, fills, borders, alignment), by the cells' style indexes.
    const TCellStyles& Styles() const { return FCellStyles; }
    bool IsLoaded() const { return !FOriginalEntries.Empty(); }

    // Edits of one worksheet: the grid and the worksheet's XML change together, or neither does. A
    // sheet index, row or column outside the sheet changes nothing. Structural edits move cells with
    // their content, type, style and formula (keeping its cached value), and every reference of the
    // workbook to the cells that move goes with them; sorting moves a formula's references to its own
    // row with it.
    // Each throws TTabulixError, changing nothing, when the sheet is not a worksheet (CheckEditable),
    // when its part (or a part that refers to its cells) is missing or cannot be opened, when the
    // worksheet has no room left for the shift, or when the edit would tear apart an array formula or
    // delete the header row of a table.
    void SetCellValue(int32_t sheetIndex, int32_t row, int32_t col, const std::u16string& newValue);
    void InsertRow(int32_t sheetIndex, int32_t atRow);
    void DeleteRow(int32_t sheetIndex, int32_t atRow);
    void InsertColumn(int32_t sheetIndex, int32_t atCol);
    void DeleteColumn(int32_t sheetIndex, int32_t atCol);
    void SortByColumn(int32_t sheetIndex, int32_t col, bool ascending, bool hasHeaderRow);
    // A sort in two halves: the order of the rows it gives (order[newRow] = oldRow; empty when the
    // column is not the sheet's), and the rows, of the grid and the XML, put in a given order.
    std::vector<int32_t> SortOrder(int32_t sheetIndex, int32_t col, bool ascending, bool hasHeaderRow) const;
    void ReorderRows(int32_t sheetIndex, const std::vector<int32_t>& order);
    // Whether a cell of the sheet may hold a formula (its part opened and looked at once).
    bool SheetHoldsFormulas(int32_t sheetIndex);
    // Throws TTabulixError when no edit may change the sheet at sheetIndex, because its part holds a
    // chart (or a dialog or macros), not a worksheet.
    void CheckEditable(int32_t sheetIndex) const;

    // Taking changes back (XlsxCellImages.cpp, XlsxJournal.cpp). The cells as they are now, in the grid
    // and in the worksheet's XML, to be put back by RestoreCells once edits of those cells alone have
    // changed them; cells outside the sheet are captured as empty. Throws as an edit does.
    TCellImages CaptureCells(int32_t sheetIndex, const std::vector<TGridCell>& cells);
    // Puts the cells back as captured, the later of two images of one cell last, and the grid back to
    // its size then. Throws TTabulixError, changing nothing, when the sheet's part cannot be opened.
    void RestoreCells(int32_t sheetIndex, const TCellImages& images);
    // While a journal is attached, each part and each sheet's grid that an edit changes is kept in it as
    // it was before its first change, and sheets added and removed are noted; RestoreJournal puts all
    // of that back, which undoes every edit made while it was attached.
    void AttachJournal(TWorkbookJournal* journal) { FJournal = journal; }
    void RestoreJournal(const TWorkbookJournal& journal);

    // The reader's formatting: the cell takes a style that differs from its own only in what the change
    // gives (a cellXfs entry of styles.xml, reused when one is identical, else appended with the font
    // it needs), so that the saved workbook shows it. Throws TTabulixError on failure.
    void SetCellFormatting(int32_t sheetIndex, int32_t row, int32_t col, const TFormattingChange& change);
    // The same for every cell of an area (clipped to the grid), as one edit: every cell changes, or
    // none does.
    void SetRangeFormatting(int32_t sheetIndex, const TGridArea& area, const TFormattingChange& change);

    // A new empty worksheet at the end; its index. Throws TTabulixError on failure.
    int32_t AddSheet(const std::u16string& sheetName);
    // Removes a worksheet; an index outside the list is ignored. Throws when it is the last one.
    void DeleteSheet(int32_t sheetIndex);
    // Writes the whole package: a temporary file beside the target, then one replacing move, so that a
    // failed save leaves the old file as it was. Throws TTabulixError on failure.
    void SaveToFile(const std::u16string& outputFileName);
    // The package as SaveToFile writes it.
    std::string SaveToBytes();

    // The first entry whose name equals entryName ignoring ASCII case, decoded as UTF-8 (a leading
    // byte-order mark dropped); none when no entry matches.
    std::optional<std::u16string> ReadZipText(std::u16string_view entryName) const;
    // The parsed document of a part opened for change: kept, and written back over the entry when
    // saving. The part is the first entry whose name equals entryName ignoring ASCII case; none when the
    // package has no such entry.
    pugi::xml_document* GetPartDocument(std::u16string_view entryName);

protected:
    // Loads from the package's bytes; release, when given, holds them and is emptied once they are read.
    void LoadPackage(const std::u16string& fileName, std::string_view package, std::string* release);
    // The bytes of the first entry matching entryName ignoring ASCII case, inflated.
    std::optional<std::string> FindPartBytes(std::u16string_view entryName) const;
    // Parses the part matching entryName into document, in place in buffer, which must outlive the
    // document; false when there is no such entry.
    bool ParsePart(std::u16string_view entryName, pugi::xml_document& document, std::string& buffer);
    // An entry's inflated bytes: those the check of the package kept while loading, handed out once,
    // or inflated anew.
    std::string TakeInflated(const TPackageEntry& entry);
    // A part for a change that may not happen: its document when the part is open already, otherwise a
    // new parse that scratch holds and KeepOpened makes the part's opened document. Saving writes every
    // opened part through the serialiser, so a part is kept open only once something in it changes.
    // None when the package has no such part.
    pugi::xml_document* PartForChange(std::u16string_view entryName, std::unique_ptr<pugi::xml_document>& scratch);
    // An entry's part parsed as an edit opens it, into a buffer the document owns.
    std::unique_ptr<pugi::xml_document> ParseToChange(
        const TPackageEntry& entry, const std::function<void(std::string_view)>& beforeParsing = {}) const;
    void KeepOpened(std::u16string_view entryName, std::unique_ptr<pugi::xml_document>& scratch);
    // Removes a part from the package, with its opened document.
    void RemovePart(std::u16string_view entryName);
    // What the journal keeps of a part before it changes: its document when open, else its entry as
    // stored, or that there is none; and the grid of the sheet whose part it is.
    void JournalPart(std::u16string_view entryName, bool withGrid);
    void JournalAddedPart(const std::u16string& entryName);
    // A sheet added at the index, or the sheet at the index about to be removed.
    void JournalSheet(int32_t sheetIndex, bool added);

    bool IsSheetIndex(int32_t sheetIndex) const { return sheetIndex >= 0 && sheetIndex < SheetCount(); }
    // A sheet's sheetData opened for one edit (XlsxSheetDataEdit.h).
    class TSheetDataEdit;
    // The styles part opened for one formatting edit, made when the workbook has none (XlsxFormatting.cpp).
    class TStylesPartEdit;
    void RemoveChildNamed(pugi::xml_node element, std::string_view name);
    // The first row element of that number, added in ascending order when there is none; the rows are
    // put in ascending order first when they stand otherwise.
    pugi::xml_node FindOrAddRow(pugi::xml_node sheetData, int64_t rowNumber);
    // What edits know of sheetData, made afresh when it is another sheetData than last time.
    TSheetDataIndex& EditIndex(const pugi::xml_node& sheetData);
    // Forgets it, whenever a part may have been changed in another way, once the references it left
    // for later are written.
    void ForgetEditIndex();
    // The cell of the row element that stands at col, given its reference when it has none; otherwise
    // a new one, before the first cell of a greater column, or after the last cell.
    pugi::xml_node FindOrAddCell(pugi::xml_node rowElement, int64_t rowNumber, int64_t col);
    void WriteCellContent(pugi::xml_node cell, const std::u16string& text);
    // Writes text into the cell at the 0-based row and col of sheetData, adding the cell and its row
    // where they belong when they are missing.
    void WriteCellAt(const pugi::xml_node& sheetData, int64_t row, int64_t col, const std::u16string& text);
    void DropCalculationChain();

    // The rest of the package following an insertion or deletion of rows or columns in one sheet
    // (XlsxReferenceEdits.cpp).
    class TReferenceEdit;
    TPackageMap& PackageMap();
    // What a look at a part's bytes tells edits the part may hold: a guess that errs only towards
    // "may", and that edits, which add no formulas nor references, keep true.
    struct TPartTraits {
        bool Formulas = true;     // an f element
        bool NamesSheets = true;  // a "!", which every reference to a sheet holds
        bool DefinedNames = true; // a definedName element
    };
    // Noted while the loader holds a worksheet's bytes; any other part is inflated when first asked
    // about. All false for a part the package does not hold.
    static TPartTraits TraitsOfPart(std::string_view bytes);
    void NotePartTraits(const std::u16string& partName, std::string_view bytes);
    const TPartTraits& PartTraits(const std::u16string& partName);
    // Whether any sheet of the workbook may hold a cell formula.
    bool WorkbookHasFormulas();
    // Asks spreadsheet applications to calculate every formula again when they open the workbook.
    void RequestFullCalculation();
    // After the grid of a structural edit has changed: what it shows of the references that moved,
    // and what the next save must do.
    void FinishStructuralEdit(TReferenceEdit& references) noexcept;

    std::u16string NextWorksheetPartName() const;
    std::u16string NextRelationshipId(const pugi::xml_document& rels) const;
    int64_t NextSheetId(const pugi::xml_document& workbook) const;
    // Base, or base followed by 2, 3 and so on: the first that no sheet of the workbook has, ignoring
    // ASCII case, hidden sheets included.
    std::u16string UniqueSheetName(const std::u16string& base, const pugi::xml_document& workbook) const;

    void LoadSharedStrings();
    // The number format of every style, and which of them give a date text; the styles resolved.
    void LoadStyles();
    TThemeColors LoadThemeColors();
    TWorkbookStyles ReadStyles(const pugi::xml_node& styleSheet) const;
    void TakeStyles(TWorkbookStyles& styles) noexcept;
    bool IsDateStyle(int64_t styleIndex) const;
    // The worksheets that LoadFromFileToEdit names, parsed as an edit opens them, with what a look at
    // their bytes told; or why one could not be parsed, which loading reports when it comes to that
    // sheet, so that the first failure in tab order is the one reported.
    struct TSheetParsedToEdit {
        const TPackageEntry* Entry = nullptr;
        std::unique_ptr<pugi::xml_document> Document;
        TPartTraits Traits;
        std::exception_ptr Failure;
    };
    std::vector<TSheetParsedToEdit> ParseSheetsToEdit(const std::vector<TListedSheet>& listed);
    void RethrowParseFailure(const std::vector<TSheetParsedToEdit>& parsed, const TListedSheet& sheet) const;
    std::unique_ptr<pugi::xml_document> ParseSheetToEdit(const TPackageEntry& entry, TPartTraits& traits);
    // toEdit: the part is parsed as an edit opens it and its document kept for that edit.
    TXlsxSheet ReadWorksheet(const std::u16string& partName, const std::u16string& name, bool toEdit);
    // The handle of a cell's display text, added to the sheet's pool unless it is a shared string.
    uint32_t CellText(const pugi::xml_node& cell, const TCellAttributes& attributes, TXlsxSheet& sheet,
                      TSheetReading& reading) const;

    std::vector<TXlsxSheet> FSheets;
    // The shared-string table while loading: its texts, and the handle of each by index.
    std::shared_ptr<TTextPool> FSharedTexts;
    std::vector<uint32_t> FSharedHandles;
    std::vector<bool> FDateFormatIds; // by cell-format index: whether its display text is a date
    TNumberFormatTable FNumberFormats; // the workbook's own codes that its styles use, each read once
    TCellStyles FCellStyles;
    TThemeColors FThemeColors{};
    std::vector<const TNumberFormat*> FCellFormats; // by cell-format index, from FNumberFormats
    TPackageEntries FOriginalEntries;
    std::unordered_map<const TPackageEntry*, std::string> FLoadingBytes; // only while loading
    std::mutex FLoadingLock; // parts may be read side by side while loading
    std::unique_ptr<TSheetDataIndex> FEditIndex;
    std::unordered_map<std::u16string, std::unique_ptr<pugi::xml_document>> FSheetDocs;
    // Worksheet documents parsed for change while loading to edit, by entry name, until an edit opens
    // them; never written as they are.
    std::unordered_map<std::u16string, std::unique_ptr<pugi::xml_document>> FParsedToEdit;
    std::vector<int32_t> FSheetsToEdit; // only while loading
    std::u16string FFileName;
    TWorkbookJournal* FJournal = nullptr;
    std::u16string FTimeSeparator; // the system's, read once per load
    bool FDate1904 = false;         // date serials count from 1904-01-01, not 1899-12-30
    // Known once asked for, forgotten when sheets are added or deleted. Shared, not unique, so that the
    // type need not be complete where the workbook is destroyed.
    std::shared_ptr<TPackageMap> FPackageMap;
    std::unordered_map<std::u16string, TPartTraits> FPartTraits; // by entry name, of the loaded package
    // A formula cell moved, was deleted or lost its formula: the calculation chain, which lists formula
    // cells by place, is dropped at the next save, and spreadsheet applications build it anew.
    bool FCalcChainStale = false;
    // A value changed since the last save: in a workbook with formulas, the saved workbook asks to be
    // calculated when opened, so that no formula shows a value of before.
    bool FValuesChanged = false;
};

// The most bytes that any output made from a workbook may take (a dump, an export, a publication): a
// small package can fill thousands of cells with one large shared string.
constexpr uint64_t MaxOutputBytes = uint64_t(512) << 20;

// The bytes that writing a sheet's grid would take: perCell for every cell besides the cell's text in
// UTF-8, each text cut to its first maxUnits units, every repeat counted. Counting stops once the total
// passes MaxOutputBytes.
uint64_t SheetOutputBytes(const TXlsxSheet& sheet, uint64_t perCell, size_t maxUnits = SIZE_MAX);
// The same for the texts the cells of a sheet show (ShownText), every one formatted.
uint64_t ShownOutputBytes(const TXlsxWorkbook& workbook, int32_t sheetIndex, uint64_t perCell);
// Throws TTabulixError naming the output ("export", "dump") when bytes pass MaxOutputBytes; called
// before anything is written.
void RefuseOversizedOutput(uint64_t bytes, std::u16string_view output);

// The bytes of a workbook file, read whole; throws TTabulixError when there is no such file or it cannot
// be read.
std::string ReadPackageFile(const std::u16string& fileName);

// The largest worksheet the file format allows.
constexpr int64_t MaxSheetRows = 1048576;
constexpr int64_t MaxSheetCols = 16384;

// Column letters: 0 is A, 25 is Z, 26 is AA, 701 is ZZ, 702 is AAA; a negative index gives "".
std::u16string ColumnIndexToLetters(int32_t index);
// The inverse, folding a to z; "" gives -1. Letters beyond the int range saturate.
int32_t ColumnLettersToIndex(std::u16string_view letters);
// A cell reference such as B12 into column 1 and row 11. Every ASCII letter goes to the column part,
// every other character to the row part; both must be non-empty. A row part that is not an integer
// counts as row 1. False, with col = row = 0, otherwise.
bool SplitCellRef(std::u16string_view ref, int32_t& col, int32_t& row);
bool SplitCellRef(std::string_view ref, int32_t& col, int32_t& row);
bool SplitCellRef(const char* ref, int32_t& col, int32_t& row);

// Characters written as _xHHHH_ (four hex digits) in the strings of a workbook, decoded; _x005F_ is "_".
std::u16string DecodeEscapedCharacters(std::u16string_view text);
// The reverse, for text written into a part: characters XML 1.0 cannot hold (controls other than tab,
// LF and CR, U+FFFE, U+FFFF, unpaired surrogates) and CR (which readers fold into LF) as _xHHHH_, and a literal _xHHHH_ protected as
// _x005F_xHHHH_, so that the text reads back exactly.
std::u16string EncodeEscapedCharacters(std::u16string_view text);

// Whether a number format code shows a date or time: a y, d or h outside quoted literals, escaped
// characters and bracketed sections, or an elapsed-time section such as [h] or [mm].
bool IsDateFormatCode(std::u16string_view code);

// A serial day count (day 0 is 1899-12-30, or 1904-01-01 in a workbook that counts from 1904) as
// "yyyy-mm-dd", or "yyyy-mm-dd hh" sep "nn" when it has a time of day. Days 1 to 60 of the 1900 count
// are shown as spreadsheet applications show them, which count a 1900-02-29: 1 is 1900-01-01 and 60
// is 1900-02-29. None when the value is not a calendar date from day 0 to 9999-12-31.
std::optional<std::u16string> SerialToDateText(double serial, std::u16string_view timeSeparator, bool date1904 = false);

// The serial of a date cell's value as the file format writes it (t="d"), an ISO 8601 date with an
// optional time: 2024-01-01, 2024-01-01T18:30:15.5, with a final Z; none for anything else and for a
// day its date system does not have.
std::optional<double> IsoDateTimeSerial(std::u16string_view text, bool date1904 = false);

} // namespace tabulix
